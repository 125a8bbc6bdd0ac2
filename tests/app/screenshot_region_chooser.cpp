// Draws the region chooser into a PNG for the README, with no one clicking:
//   app_screenshot_regions <data file> <output.png> <region selected>
// The rows are the program's own for the file (regionRows of the readers' list).
#include "core/data_regions.h"
#include "region_chooser.h"

#include <QApplication>
#include <QPixmap>
#include <QTableWidget>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: app_screenshot_regions <data file> <out.png> <region>\n");
        return 2;
    }
    QApplication application(argc, argv);
    const std::string file = argv[1];
    varnix::app::RegionRequest request;
    request.fileName = file;
    request.rows = varnix::app::regionRows(varnix::io::listRegions(file));
    request.proposed = std::atoi(argv[3]);
    if (request.rows.size() < 2) {
        return 1;
    }
    varnix::app::RegionChooser chooser(request);
    chooser.show();
    QApplication::processEvents();
    chooser.grdRegions()->setFocus();
    QApplication::processEvents();
    return chooser.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
