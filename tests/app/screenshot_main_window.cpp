// Draws the main window into a PNG for the README, with no one clicking:
//   app_screenshot <start directory> <output.png> [fit]
// The start directory names the spectrum and configuration in "last_data.dat" and
// "last_config.dat". Open > All Files, Calculate Spectrum and the residual plot x5 are chosen;
// with "fit", Start Fit runs too and its final results window is shown beside the plot.
#include "core/library_loader.h"
#include "core/module1.h"
#include "core/scripted_dialogs.h"
#include "frm_main.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>

#include <cstdio>
#include <cstring>

namespace {

class NoOtherCopy final : public varnix::app::InstanceLock {
public:
    bool acquire() override { return true; }
};

void trigger(varnix::app::frmMain& window, const char* name)
{
    window.findChild<QAction*>(QString::fromLatin1(name))->trigger();
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char* argv[])
{
    const bool fit = argc == 4 && std::strcmp(argv[3], "fit") == 0;
    if (argc != 3 && !fit) {
        std::fprintf(stderr, "usage: app_screenshot <start directory> <out.png> [fit]\n");
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
    trigger(window, "mnuCalculate");
    trigger(window, "mnuPlotItem_3");
    if (fit) {
        trigger(window, "mnuFit");
        // The results window on the left half, the plot on the right.
        for (QMdiSubWindow* child : window.mdiArea()->subWindowList()) {
            if (child->widget()->objectName() == QStringLiteral("frmResults")) {
                child->move(0, 0);
            }
        }
        QApplication::processEvents();
    }
    if (!module.calculationDone || !dialogs.records().empty() ||
        !window.grab().save(QString::fromLocal8Bit(argv[2]))) {
        return 1;
    }
    return 0;
}
