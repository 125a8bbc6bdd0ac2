// The varnix program: the main window over the application core, started in the current
// directory with the real dialogs, libraries and instance lock.
#include "core/session/library_loader.h"
#include "core/session/module1.h"
#include "frm_main.h"
#include "qt_dialogs.h"
#include "qt_instance_lock.h"

#include <QApplication>
#include <QDir>
#include <QLocale>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // Numbers are shown and read in the C locale, whatever the user's settings.
    QLocale::setDefault(QLocale::c());

    varnix::app::Module1 module;
    varnix::app::QtDialogs dialogs(QStringLiteral("Varnix"));
    varnix::app::LibraryLoader loader;
    varnix::app::QtInstanceLock lock;
    varnix::app::frmMain window(module, dialogs, loader, lock);
    dialogs.setParent(&window);
    if (!window.Form_Load(QDir::currentPath().toStdString())) {
        return 0;
    }
    window.show();
    return QApplication::exec();
}
