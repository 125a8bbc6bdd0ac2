// frmExt, "File Extensions": the user's data and configuration file extensions in two masked
// boxes (maskData, "Data Files"; maskConfig, "Configuration Files"). Each change is taken over at
// once, so the next open dialog filters by it; Close stores the settings and closes.
#pragma once

#include "core/session/dialogs.h"
#include "core/session/library_loader.h"
#include "core/session/module1.h"

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace varnix::app {

class frmExt : public QWidget {
    Q_OBJECT

public:
    // Form_Load: each box shows its current extension.
    frmExt(Module1& module, Dialogs& dialogs, LibraryLoader& loader, QWidget* parent = nullptr);

    QLineEdit* maskData() const { return m_maskData; }
    QLineEdit* maskConfig() const { return m_maskConfig; }
    QPushButton* cmdClose() const { return m_cmdClose; }

private:
    void maskData_Change(const QString& text);
    void maskConfig_Change(const QString& text);
    void cmdClose_Click();

    Module1& m_module;
    Dialogs& m_dialogs;
    LibraryLoader& m_loader;
    QLineEdit* m_maskData = nullptr;
    QLineEdit* m_maskConfig = nullptr;
    QPushButton* m_cmdClose = nullptr;
};

}  // namespace varnix::app
