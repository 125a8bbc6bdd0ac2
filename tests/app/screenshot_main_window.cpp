// Draws the main window into a PNG for the README, the docs and the manual, with no one clicking:
//   app_screenshot <start directory> <output.png>
//                  [calculate | open | fit | correlation | new | setup | showall | doubletfit
//                   | dialogs [window [WxH]]]
// The start directory names the spectrum and configuration in "last_data.dat" and
// "last_config.dat". Open > All Files and Calculate Spectrum are chosen, then:
// - no mode, or calculate: the residual plot x5;
// - open: Open > All Files only, no calculation;
// - fit: Start Fit, its final results window beside the plot;
// - correlation: as fit, then the correlation matrix;
// - new: File > New > Configuration instead of the calculation, the setup window on its one peak;
// - setup: the second peak tied to the first as a doublet (Pos2 = Pos1 + 2.1, Height2 =
//   0.5 × Height1) in the setup window, typed and clicked as a user does, then calculated;
// - showall: as setup, then Show All;
// - doubletfit: as setup, then Start Fit, its final results window beside the plot;
// - dialogs: the two fit-parameter dialogs opened over the plot, and only they drawn.
// With a window's name (frmGraph, frmResults, frmCorrelation) only that window is drawn, and
// with a size only its top left corner of that size.
#include "core/session/library_loader.h"
#include "core/session/module1.h"
#include "core/session/scripted_dialogs.h"
#include "editor/frm_ds_setup.h"
#include "frm_main.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdio>
#include <string>

namespace {

using varnix::app::frmDSSetup;

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

void type(QLineEdit* box, const char* text)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, QString::fromLatin1(text));
    QTest::keyClick(box, Qt::Key_Return);
}

void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// Row i of the selected peak tied to peak 1, through "Fixed?", "Correlated with", the
// operation and the factor.
void tieToPeak1(frmDSSetup& form, int i, bool plus, const char* factor)
{
    click(form.chkVary(i));
    QComboBox* list = form.cmbVary(i);
    list->showPopup();
    QTest::keyClick(list->view(), Qt::Key_Home);
    QTest::keyClick(list->view(), Qt::Key_Return);
    click(plus ? form.optP(i) : form.optX(i));
    type(form.txtFactor(i), factor);
}

void tieDoublet(frmDSSetup& form)
{
    type(form.txtPeakNumber(), "2");
    tieToPeak1(form, 0, true, "2.1");
    tieToPeak1(form, 1, false, "0.5");
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
    const std::string mode = argc >= 4 ? argv[3] : "calculate";
    const char* windowName = argc >= 5 ? argv[4] : "";
    const QStringList corner =
        QString::fromLatin1(argc == 6 ? argv[5] : "").split(QLatin1Char('x'));
    const bool doublet = mode == "setup" || mode == "showall" || mode == "doubletfit";
    const bool fit = mode == "fit" || mode == "correlation" || mode == "doubletfit";
    const bool known = doublet || fit || mode == "calculate" || mode == "open" || mode == "new"
                       || mode == "dialogs";
    if (argc < 3 || argc > 6 || !known || (argc == 6 && corner.size() != 2)) {
        std::fprintf(stderr,
                     "usage: app_screenshot <start directory> <out.png> [calculate | open | fit | "
                     "correlation | new | setup | showall | doubletfit | dialogs [window [WxH]]]\n");
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
    if (mode == "new") {
        trigger(window, "mnuNewItem_0");
    } else if (mode == "open") {
        QApplication::processEvents();
    } else if (doublet) {
        tieDoublet(*window.setup());
        trigger(window, "mnuCalculate");
        if (mode == "showall") {
            QTest::mouseClick(window.setup()->cmdShowAll(), Qt::LeftButton);
        }
    } else {
        trigger(window, "mnuCalculate");
        trigger(window, "mnuPlotItem_3");
    }
    if (fit) {
        trigger(window, "mnuFit");
        // The results window on the left half, the plot on the right.
        for (QMdiSubWindow* child : window.mdiArea()->subWindowList()) {
            if (child->widget()->objectName() == QStringLiteral("frmResults")) {
                child->move(0, 0);
            }
        }
    }
    if (mode == "correlation") {
        window.findChild<QPushButton*>(QStringLiteral("cmdCorrelation"))->click();
    }
    QApplication::processEvents();
    QPixmap drawing;
    if (mode == "dialogs") {
        trigger(window, "mnuFitParItem_0");
        trigger(window, "mnuFitParItem_1");
        drawing = window.mdiArea()->viewport()->grab(dialogsArea(window));
    } else {
        drawing = picture(shown(window, windowName), corner);
    }
    const bool drawn = mode == "new"    ? module.configIsNew
                       : mode == "open" ? module.dataLoaded && module.configLoaded
                                        : module.calculationDone;
    if (!drawn || !dialogs.records().empty() || !drawing.save(QString::fromLocal8Bit(argv[2]))) {
        return 1;
    }
    return 0;
}
