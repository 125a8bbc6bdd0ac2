// Draws the main window into a PNG for the README and the manual, with no one clicking:
//   app_screenshot <start directory> <output.png> [open|calculate|fit|correlation [window [WxH]]]
// The start directory names the spectrum and configuration in "last_data.dat" and
// "last_config.dat". Open > All Files, Calculate Spectrum and the residual plot x5 are chosen;
// with "open", Open > All Files only; with "fit", Start Fit runs too and its final results
// window is shown beside the plot; with "correlation", the fit's correlation matrix is shown.
// With a window's name (frmGraph, frmResults, frmCorrelation) only that window is drawn, and
// with a size only its top left corner of that size.
#include "core/library_loader.h"
#include "core/module1.h"
#include "core/scripted_dialogs.h"
#include "frm_main.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPushButton>

#include <cstdio>
#include <string_view>

namespace {

class NoOtherCopy final : public varnix::app::InstanceLock {
public:
    bool acquire() override { return true; }
};

// The child window of that name with its frame, or the whole main window.
QWidget& shown(varnix::app::frmMain& window, const char* name)
{
    for (QMdiSubWindow* child : window.mdiArea()->subWindowList()) {
        if (child->widget()->objectName() == QLatin1String(name)) {
            return *child;
        }
    }
    return window;
}

// The widget as drawn, or its top left corner of the size given as width and height.
QPixmap picture(QWidget& widget, const QStringList& corner)
{
    if (corner.size() != 2) {
        return widget.grab();
    }
    return widget.grab(QRect(0, 0, corner[0].toInt(), corner[1].toInt()));
}

void trigger(varnix::app::frmMain& window, const char* name)
{
    window.findChild<QAction*>(QString::fromLatin1(name))->trigger();
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char* argv[])
{
    const std::string_view mode = argc >= 4 ? argv[3] : "calculate";
    const char* windowName = argc >= 5 ? argv[4] : "";
    const QStringList corner =
        QString::fromLatin1(argc == 6 ? argv[5] : "").split(QLatin1Char('x'));
    if (argc < 3 || argc > 6 || (argc == 6 && corner.size() != 2) ||
        (mode != "calculate" && mode != "open" && mode != "fit" && mode != "correlation")) {
        std::fprintf(stderr,
                     "usage: app_screenshot <start directory> <out.png> "
                     "[open|calculate|fit|correlation [window [WxH]]]\n");
        return 2;
    }
    QApplication application(argc, argv);
    varnix::app::Module1 module;
    varnix::app::ScriptedDialogs dialogs;
    varnix::app::LibraryLoader loader;
    NoOtherCopy lock;
    varnix::app::frmMain window(module, dialogs, loader, lock);
    if (!window.Form_Load(argv[1])) {
        return 1;
    }
    window.resize(1500, 820);
    window.show();
    trigger(window, "mnuOpenItem_0");
    if (mode != "open") {
        trigger(window, "mnuCalculate");
        trigger(window, "mnuPlotItem_3");
    }
    if (mode == "fit" || mode == "correlation") {
        trigger(window, "mnuFit");
        // The results window on the left half, the plot on the right.
        for (QMdiSubWindow* child : window.mdiArea()->subWindowList()) {
            if (child->widget()->objectName() == QStringLiteral("frmResults")) {
                child->move(0, 0);
            }
        }
        QApplication::processEvents();
    }
    if (mode == "correlation") {
        window.findChild<QPushButton*>(QStringLiteral("cmdCorrelation"))->click();
        QApplication::processEvents();
    }
    if (module.calculationDone != (mode != "open") || !dialogs.records().empty() ||
        !picture(shown(window, windowName), corner).save(QString::fromLocal8Bit(argv[2]))) {
        return 1;
    }
    return 0;
}
