// frmHeader: the header window. One multi-line box, txtHeader, holding the spectrum's header
// lines; typing marks the data modified, and closing takes the text back into the header by the
// core's transfer rule, with its message when a line is too long.
#pragma once

#include "core/session/dialogs.h"
#include "core/session/module1.h"

#include <QSize>
#include <QWidget>

class QPlainTextEdit;

namespace varnix::app {

class frmHeader : public QWidget {
    Q_OBJECT

public:
    frmHeader(Module1& module, Dialogs& dialogs, QWidget* parent = nullptr);

    QPlainTextEdit* txtHeader() const { return m_txtHeader; }

    // The window's size in a main window whose inner area is innerWidth × innerHeight.
    static QSize sizeFor(int innerWidth, int innerHeight);

signals:
    // The text was typed in: the data are no longer saved.
    void dataModified();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void txtHeader_Change();

    Module1& m_module;
    Dialogs& m_dialogs;
    QPlainTextEdit* m_txtHeader = nullptr;
    bool m_headerChanged = false;
};

}  // namespace varnix::app
