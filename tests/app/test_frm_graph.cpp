// The plot window driven offscreen: what Graph1 draws for a picture, the pointer read-outs, a
// zoom dragged with the mouse, an empty rectangle, Reset, and the mode options. The main window's
// part (redraw on dataChanged) is played by the fixture.
#include "core/display/plot_sets.h"
#include "core/display/zoom.h"
#include "core/session/scripted_dialogs.h"
#include "display/frm_graph.h"
#include "qt_environment.h"
#include "up_down.h"

#include <qcustomplot.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRubberBand>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace varnix::app {
namespace {

using Values = std::vector<double>;

// Kinetic energies from `first` in steps of 1 eV, counts 1000 + 10·i, calculated 990 + 10·i.
void fill(Module1& m, double first, int32_t np)
{
    Spectrum& s = m.spectrum;
    s = Spectrum{};
    s.np = np;
    for (int32_t i = 0; i < np; ++i) {
        s.energy.push_back(first + i);
        s.counts.push_back(1000.0 + 10.0 * i);
        s.sigma.push_back(1.0);
        s.calculated.push_back(990.0 + 10.0 * i);
    }
    m.dataLoaded = true;
}

class PlotWindow : public ::testing::Test {
protected:
    PlotWindow()
    {
        m_module.innerWidth = 1600;  // a window of 800 × 960 pixels
        m_module.innerHeight = 1000;
        fill(m_module, 100.0, 101);
    }

    // The window as the main window opens it, redrawing whenever the data change.
    frmGraph& opened()
    {
        m_window = std::make_unique<frmGraph>(m_module, m_dialogs, m_menu);
        QObject::connect(m_window.get(), &frmGraph::dataChanged, [this] { plot(); });
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        plot();
        return *m_window;
    }

    void plot()
    {
        updateResiduals(m_module);
        m_window->showPicture(plotPicture(m_module));
    }

    QCustomPlot& graph() const { return *m_window->Graph1(); }

    QPoint pixelOf(double energy, double intensity) const
    {
        return {qRound(graph().xAxis->coordToPixel(energy)),
                qRound(graph().yAxis->coordToPixel(intensity))};
    }

    // Press at one shown energy, move halfway, release at the other.
    void drag(double from, double to)
    {
        const QPoint press = pixelOf(from, 1200.0);
        const QPoint release = pixelOf(to, 1300.0);
        QTest::mousePress(&graph(), Qt::LeftButton, {}, press);
        QTest::mouseMove(&graph(), (press + release) / 2);
        m_bandShownWhileDragging = m_window->findChild<QRubberBand*>()->isVisible();
        QTest::mouseRelease(&graph(), Qt::LeftButton, {}, release);
    }

    Module1 m_module;
    MenuState m_menu;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<frmGraph> m_window;
    bool m_bandShownWhileDragging = false;
};

TEST_F(PlotWindow, ControlsAndLoadState)
{
    frmGraph& w = opened();
    EXPECT_EQ(w.objectName(), "frmGraph");
    EXPECT_EQ(w.windowTitle(), "Plot");
    EXPECT_EQ(w.size(), QSize(800, 960));
    EXPECT_EQ(frmGraph::geometryFor(1600, 1000), QRect(800, 0, 800, 960));
    EXPECT_EQ(w.findChild<QLabel*>("lblSelect")->text(), "Select Peak");
    EXPECT_FALSE(w.findChild<QLabel*>("lblSelect")->isVisible());  // no setup window open
    EXPECT_FALSE(w.optSelect()->isEnabled());
    EXPECT_TRUE(w.optZoom()->isChecked());
    EXPECT_TRUE(m_module.windowOpen.plot);
    EXPECT_TRUE(m_module.plotShown);
    // The graph fills 95 % of the width from 2.5 % and 84 % of the height from the top.
    EXPECT_EQ(graph().geometry(), QRect(20, 0, 760, 806));
    w.close();
    EXPECT_FALSE(m_module.windowOpen.plot);
}

TEST_F(PlotWindow, SelectorShownWhileTheSetupWindowIsOpen)
{
    m_module.windowOpen.peakSetup = true;
    m_module.configuration.nds = 4;
    ResizeConfiguration(m_module);
    m_module.currentPeak = 3;
    frmGraph& w = opened();
    EXPECT_TRUE(w.findChild<QLabel*>("lblSelect")->isVisible());
    EXPECT_EQ(w.txtPeak()->text(), "3");
    EXPECT_EQ(w.UpDownPeak()->maximum(), 4);
    EXPECT_TRUE(w.optSelect()->isEnabled());
    w.setModeOptionsEnabled(false);
    EXPECT_FALSE(w.optSelect()->isEnabled() || w.optZoom()->isEnabled() ||
                 w.optReset()->isEnabled());
    w.setModeOptionsEnabled(true);
    EXPECT_TRUE(w.optSelect()->isEnabled() && w.optZoom()->isEnabled() &&
                w.optReset()->isEnabled());
    m_module.windowOpen.peakSetup = false;
    w.setModeOptionsEnabled(true);
    EXPECT_FALSE(w.optSelect()->isEnabled());
}

// Three peaks with residuals x5: spectrum, fit, three components (the second selected after a
// plain calculation), residuals in colour 5 + 3 = 8, with the pens of docs/plot-window.md.
TEST_F(PlotWindow, OneGraphPerSetWithItsPen)
{
    m_module.configuration.nds = 3;
    ResizeConfiguration(m_module);
    m_module.fitResults.components.assign(3 * 101, 50.0);
    m_module.calculationDone = true;
    m_module.currentPeak = 2;
    choosePlotItem(m_module, m_menu, 3);
    opened();
    ASSERT_EQ(graph().graphCount(), 6);
    struct Pen {
        QColor colour;
        double width;
        Qt::PenStyle style;
    };
    const std::vector<Pen> pens = {
        {QColor(200, 0, 0), 2.0, Qt::SolidLine},   {QColor(0, 0, 200), 2.0, Qt::SolidLine},
        {QColor(180, 0, 180), 1.0, Qt::SolidLine}, {QColor(150, 90, 0), 2.0, Qt::DashLine},
        {QColor(80, 80, 80), 1.0, Qt::SolidLine},  {QColor(80, 80, 80), 1.0, Qt::SolidLine}};
    for (int i = 0; i < 6; ++i) {
        const QPen pen = graph().graph(i)->pen();
        EXPECT_EQ(pen.color(), pens[static_cast<std::size_t>(i)].colour) << i;
        EXPECT_EQ(pen.widthF(), pens[static_cast<std::size_t>(i)].width) << i;
        EXPECT_EQ(pen.style(), pens[static_cast<std::size_t>(i)].style) << i;
        EXPECT_EQ(graph().graph(i)->dataCount(), 101) << i;
    }
    // Residuals (counts − calculated) × 5 = 50 at every point.
    EXPECT_EQ(graph().graph(5)->data()->at(17)->value, 50.0);
    EXPECT_EQ(graph().xAxis->range(), QCPRange(100.0, 200.0));
    EXPECT_FALSE(graph().xAxis->rangeReversed());
    EXPECT_EQ(graph().xAxis->label(), "Kinetic Energy (eV)");
}

TEST_F(PlotWindow, BindingEnergiesDecreaseFromLeftToRight)
{
    fill(m_module, 1186.5, 101);  // binding 300 … 200 eV under 1486.5 eV
    m_module.spectrum.binding = true;
    m_module.spectrum.photonEnergyKnown = true;
    m_module.spectrum.hmu = 1486.5;
    opened();
    EXPECT_EQ(graph().xAxis->label(), "Binding Energy (eV)");
    EXPECT_TRUE(graph().xAxis->rangeReversed());
    EXPECT_EQ(graph().xAxis->range(), QCPRange(200.0, 300.0));
    EXPECT_LT(pixelOf(290.0, 0.0).x(), pixelOf(210.0, 0.0).x());
    // A drag over binding 280.5 … 260.5 eV keeps kinetic 1206.5 … 1225.5 eV.
    drag(280.5, 260.5);
    ASSERT_EQ(m_module.spectrum.np, 20);
    EXPECT_EQ(m_module.spectrum.energy.front(), 1206.5);
    EXPECT_EQ(m_module.spectrum.energy.back(), 1225.5);
}

// Both axes labelled at every major tick by the program's tick rule (a step of 2.5 eV with its
// half shown for Ag 3d), 4 to 8 of them, the intensity axis titled.
TEST_F(PlotWindow, AxesLabelledAtEveryMajorTick)
{
    fill(m_module, 1486.6 - 382.0, 19);
    m_module.spectrum.binding = true;
    m_module.spectrum.photonEnergyKnown = true;
    m_module.spectrum.hmu = 1486.6;
    opened();
    const QVector<QString> energyLabels = graph().xAxis->tickVectorLabels();
    EXPECT_EQ(
        std::vector<QString>(energyLabels.begin(), energyLabels.end()),
        (std::vector<QString>{"365.0", "367.5", "370.0", "372.5", "375.0", "377.5", "380.0"}));
    EXPECT_EQ(graph().yAxis->label(), "Intensity (counts)");
    const QVector<QString> intensityLabels = graph().yAxis->tickVectorLabels();
    EXPECT_GE(intensityLabels.size(), 4);
    EXPECT_LE(intensityLabels.size(), 8);
    for (const QString& label : intensityLabels) {
        bool number = false;
        label.toDouble(&number);
        EXPECT_TRUE(number) << label.toStdString();
    }
}

// The legend names what is drawn; a component the records do not hold has no line and no name.
TEST_F(PlotWindow, LegendNamesEveryLineDrawn)
{
    m_module.configuration.nds = 2;
    m_module.configuration.nbg = 1;
    ResizeConfiguration(m_module);
    m_module.fitResults.components.assign(2 * 101, 50.0);  // the second peak and no background
    m_module.calculationDone = true;
    choosePlotItem(m_module, m_menu, 4);
    opened();
    const QCPLegend& legend = *graph().legend;
    EXPECT_TRUE(legend.visible());
    std::vector<QString> names;
    // The names stand in rows of a grid whose last row may have empty cells.
    for (int i = 0; i < legend.itemCount(); ++i) {
        if (auto* item = qobject_cast<QCPPlottableLegendItem*>(legend.item(i))) {
            names.push_back(item->plottable()->name());
        }
    }
    EXPECT_EQ(names, (std::vector<QString>{"Data", "Fit", "Peak 1", "Peak 2",
                                           QString::fromUtf8("Residuals \u00d710")}));
}

TEST_F(PlotWindow, PointerReadoutsInDataUnits)
{
    frmGraph& w = opened();
    QTest::mouseMove(&graph(), pixelOf(150.25, 1234.0));
    const QCPAxis& x = *graph().xAxis;
    const QCPAxis& y = *graph().yAxis;
    // The pointer sits on whole pixels: one pixel's worth of each axis.
    const double xPixel = x.range().size() / x.axisRect()->width();
    const double yPixel = y.range().size() / y.axisRect()->height();
    EXPECT_NEAR(w.txtX()->text().toDouble(), 150.25, xPixel);
    EXPECT_NEAR(w.txtY()->text().toDouble(), 1234.0, yPixel + 5.0);  // two decimals of 1.23E+03
    EXPECT_TRUE(QRegularExpression("^1[45]\\d\\.\\d{3}$").match(w.txtX()->text()).hasMatch())
        << w.txtX()->text().toStdString();
    EXPECT_TRUE(QRegularExpression("^1\\.2[2-4]E\\+03$").match(w.txtY()->text()).hasMatch())
        << w.txtY()->text().toStdString();
}

TEST_F(PlotWindow, DragCutsTheDataAndAsksForARedraw)
{
    frmGraph& w = opened();
    QSignalSpy redraws(&w, &frmGraph::dataChanged);
    drag(120.5, 140.5);
    EXPECT_TRUE(m_bandShownWhileDragging);
    EXPECT_FALSE(w.findChild<QRubberBand*>()->isVisible());
    EXPECT_EQ(redraws.count(), 1);
    ASSERT_EQ(m_module.spectrum.np, 20);
    EXPECT_EQ(m_module.spectrum.energy.front(), 121.0);
    EXPECT_EQ(m_module.spectrum.energy.back(), 140.0);
    EXPECT_TRUE(m_menu.saveAsData.enabled);
    EXPECT_FALSE(m_module.dataSaved);
    EXPECT_TRUE(w.optReset()->isEnabled());
    EXPECT_EQ(graph().xAxis->range(), QCPRange(121.0, 140.0));  // redrawn
    EXPECT_EQ(graph().graph(0)->dataCount(), 20);

    // Reset brings the full spectrum back, saved as it was, and Zoom is chosen again.
    // On its round indicator: a radio button takes clicks on the indicator and the caption only.
    QTest::mouseClick(w.optReset(), Qt::LeftButton, {}, QPoint(6, w.optReset()->height() / 2));
    EXPECT_EQ(redraws.count(), 2);
    EXPECT_EQ(m_module.spectrum.np, 101);
    EXPECT_TRUE(m_module.dataSaved);
    EXPECT_TRUE(w.optZoom()->isChecked());
    EXPECT_EQ(graph().graph(0)->dataCount(), 101);

    // In Select mode a drag zooms nothing.
    w.optSelect()->setEnabled(true);
    w.optSelect()->setChecked(true);
    drag(120.5, 140.5);
    EXPECT_EQ(m_module.spectrum.np, 101);
}

TEST_F(PlotWindow, RectangleWithoutPointsOrWidthChangesNothing)
{
    fill(m_module, 100.0, 101);
    for (std::size_t i = 21; i < 80; ++i) {  // no points between 120 and 180 eV
        m_module.spectrum.energy[i] = i < 50 ? 120.0 : 180.0;
    }
    frmGraph& w = opened();
    const Module1 before = m_module;
    QSignalSpy redraws(&w, &frmGraph::dataChanged);
    QSignalSpy status(&w, &frmGraph::statusMessage);
    drag(140.5, 160.5);
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.at(0).at(0).toString(),
              "  No data points in the zoom rectangle - data unchanged");
    drag(130.0, 130.0);
    EXPECT_EQ(status.count(), 1);
    EXPECT_EQ(redraws.count(), 0);
    EXPECT_EQ(m_module, before);
    EXPECT_FALSE(m_menu.saveAsData.enabled);
}

}  // namespace
}  // namespace varnix::app
