// Draws the main window into a PNG for the README, with no one clicking:
//   app_screenshot <start directory> <output.png> [fit | dialogs]
// The start directory names the spectrum and configuration in "last_data.dat" and
// "last_config.dat". Open > All Files, Calculate Spectrum and the residual plot x5 are chosen;
// with "fit", Start Fit runs too and its final results window is shown beside the plot; with
// "dialogs", the two fit-parameter dialogs open over the plot and only they are drawn.
#include "core/library_loader.h"
#include "core/module1.h"
#include "core/scripted_dialogs.h"
#include "frm_main.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QRect>

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

// The part of the main window's inner area the fit-parameter dialogs cover, with a margin.
QRect dialogsArea(varnix::app::frmMain& window)
{
    constexpr int kMargin = 12;  // px of the plot around the dialogs
    QRect area;
    for (QMdiSubWindow* child : window.mdiArea()->subWindowList()) {
        const QString name = child->widget()->objectName();
        if (name == QStringLiteral("frmFitParameters") ||
            name == QStringLiteral("frmFitAdvanced")) {
            area = area.united(child->geometry());
        }
    }
    return area.adjusted(-kMargin, -kMargin, kMargin, kMargin)
        .intersected(window.mdiArea()->viewport()->rect());
}

}  // namespace

int main(int argc, char* argv[])
{
    const bool fit = argc == 4 && std::strcmp(argv[3], "fit") == 0;
    const bool dialogs = argc == 4 && std::strcmp(argv[3], "dialogs") == 0;
    if (argc != 3 && !fit && !dialogs) {
        std::fprintf(stderr, "usage: app_screenshot <start directory> <out.png> [fit | dialogs]\n");
        return 2;
    }
    QApplication application(argc, argv);
    varnix::app::Module1 module;
    varnix::app::ScriptedDialogs messages;
    varnix::app::LibraryLoader loader;
    NoOtherCopy lock;
    varnix::app::frmMain window(module, messages, loader, lock);
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
    QPixmap picture;
    if (dialogs) {
        trigger(window, "mnuFitParItem_0");
        trigger(window, "mnuFitParItem_1");
        picture = window.mdiArea()->viewport()->grab(dialogsArea(window));
    } else {
        picture = window.grab();
    }
    if (!module.calculationDone || !messages.records().empty() ||
        !picture.save(QString::fromLocal8Bit(argv[2]))) {
        return 1;
    }
    return 0;
}
