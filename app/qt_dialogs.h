// The program's Dialogs: Qt's standard message boxes, input dialog and file dialogs and the
// region chooser (region_chooser.h), shown over the main window once it exists. Texts pass through
// unchanged; typed numbers are read by the core in the C locale, so the input box hands back
// exactly what was typed.
#pragma once

#include "core/dialogs.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace varnix::app {

class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QString title);

    // The window the dialogs are shown over; may be null.
    void setParent(QWidget* parent) { m_parent = parent; }

    void message(std::string_view text) override;
    bool askYesNo(std::string_view question, DefaultButton defaultButton) override;
    bool askOkCancel(std::string_view question, DefaultButton defaultButton) override;
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override;
    std::optional<std::string> openFileName(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override;
    std::optional<int32_t> chooseRegion(const RegionRequest& request) override;

private:
    QPointer<QWidget> m_parent;
    QString m_title;
};

}  // namespace varnix::app
