// Draws the main window with a spectrum opened into a PNG, for the README:
//   app_screenshot <start directory> <data file> <output.png>
// The open dialog is answered by the scripted dialogs, so no one has to click.
#include "core/library_loader.h"
#include "core/module1.h"
#include "core/scripted_dialogs.h"
#include "frm_main.h"

#include <QAction>
#include <QApplication>
#include <QPixmap>

#include <cstdio>

namespace {

class NoOtherCopy final : public varnix::app::InstanceLock {
public:
    bool acquire() override { return true; }
};

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: app_screenshot <start directory> <data file> <out.png>\n");
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
    window.show();
    dialogs.answerOpenFile(std::string(argv[2]));
    window.findChild<QAction*>(QStringLiteral("mnuOpenItem_1"))->trigger();
    QApplication::processEvents();
    if (!module.dataLoaded || !window.grab().save(QString::fromLocal8Bit(argv[3]))) {
        return 1;
    }
    return 0;
}
