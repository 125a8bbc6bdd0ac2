// Whole sessions in the main window, offscreen, through the real engine and file routines and
// the scripted dialogs: open the example spectrum and configuration, calculate, look at the
// plot types, zoom, fit, read and take the results, write every output, and exit. The example
// files are copied into a temporary start directory, so that the outputs named after them land
// there.
#include "core/display/zoom.h"
#include "display/frm_correlation.h"
#include "display/frm_graph.h"
#include "display/frm_results.h"
#include "qt_environment.h"
#include "window_fixture.h"

#include <qcustomplot.h>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <tuple>

namespace varnix::app {
namespace {

using namespace test;
using Texts = std::vector<std::string>;
constexpr double kBackgroundTol = 1e-9;  // counts: a line of some hundred counts, a few roundings

std::vector<double> yValues(const QCPGraph& graph)
{
    std::vector<double> values;
    for (auto it = graph.data()->constBegin(); it != graph.data()->constEnd(); ++it) {
        values.push_back(it->value);
    }
    return values;
}

class Session : public WindowFixture {
protected:
    Session() : WindowFixture(true) { started(); }

    QCustomPlot& chart() const { return *m_window->graph()->Graph1(); }

    // Open > All Files, then Calculate Spectrum: the example drawn with its model.
    void calculated()
    {
        trigger("mnuOpenItem_0");
        trigger("mnuCalculate");
        ASSERT_TRUE(m_module.calculationDone);
    }
};

TEST_F(Session, CalculationDrawsTheModelComponentsAndResidualsOfEachPlotType)
{
    trigger("mnuOpenItem_0");
    // Before a calculation: the spectrum and one marker per peak inside the energy range.
    ASSERT_NE(m_window->graph(), nullptr);
    EXPECT_EQ(chart().graphCount(), 1 + 4);
    EXPECT_FALSE(enabled("mnuPlotItem_1"));

    trigger("mnuCalculate");
    EXPECT_TRUE(m_dialogs.records().empty());
    EXPECT_EQ(m_window->statusText(), QStringLiteral("  Waiting for user input"));
    EXPECT_EQ(m_module.plot.plotType, 1);
    EXPECT_TRUE(action("mnuPlotItem_1")->isChecked());
    // Spectrum, model and five components (four peaks and the background).
    ASSERT_EQ(chart().graphCount(), 7);
    EXPECT_EQ(yValues(*chart().graph(0)), m_module.spectrum.counts);
    EXPECT_EQ(yValues(*chart().graph(1)), m_module.spectrum.calculated);
    for (const char* entry : {"mnuPlotItem_4", "mnuFit", "mnuWrite", "mnuPrintItem_0",
                              "mnuSaveAsItem_2", "mnuSaveAsItem_3"}) {
        EXPECT_TRUE(enabled(entry)) << entry;
    }
    // The residuals are 0 until a residual plot asks for them.
    EXPECT_EQ(m_module.residuals, std::vector<double>(601, 0.0));

    trigger("mnuPlotItem_3");
    ASSERT_EQ(chart().graphCount(), 8);
    const std::vector<double> residuals = yValues(*chart().graph(7));
    for (std::size_t i = 0; i < residuals.size(); i += 100) {
        EXPECT_DOUBLE_EQ(residuals[i],
                         5.0 * (m_module.spectrum.counts[i] - m_module.spectrum.calculated[i]));
    }
    trigger("mnuPlotItem_0");
    EXPECT_EQ(chart().graphCount(), 1 + 4);
    EXPECT_EQ(m_module.plot.residualScale, 5);  // kept for the PostScript page
}

// Binding energies are held as kinetic ones once the photon energy is known, and shown as
// binding energies again, decreasing from left to right.
TEST_F(Session, BindingEnergyDataAreShownOnABindingAxis)
{
    m_dialogs.answerOpenFile(dataFile("dat/binding_without_photon_energy.dat"))
        .answerInput("1486.6");
    trigger("mnuOpenItem_1");
    ASSERT_TRUE(m_module.dataLoaded && m_module.spectrum.binding);
    const QCPAxis& axis = *chart().xAxis;
    EXPECT_EQ(axis.label(), QStringLiteral("Binding Energy (eV)"));
    EXPECT_TRUE(axis.rangeReversed());
    const auto [low, high] =
        std::minmax_element(m_module.spectrum.energy.begin(), m_module.spectrum.energy.end());
    EXPECT_DOUBLE_EQ(axis.range().lower, 1486.6 - *high);
    EXPECT_DOUBLE_EQ(axis.range().upper, 1486.6 - *low);
    EXPECT_EQ(m_window->pnlStatus(5)->text(), QStringLiteral("Photon Energy : 1486.600 eV  "));
}

// A zoom cuts the data the next calculation or fit uses. Reset still brings the full spectrum
// back, with the last model calculated again on all of it rather than the curves of before:
// the same peaks, and the background polynomial referred to the full spectrum's last point.
class ZoomedThenReset : public Session, public testing::WithParamInterface<const char*> {};

TEST_P(ZoomedThenReset, ResetRestoresTheFullSpectrumWithTheModelOnIt)
{
    calculated();
    const Spectrum full = m_module.spectrum;
    MenuState menu = m_window->menuState();
    ASSERT_EQ(ReSizePlot(m_module, menu, 283.0, 287.0), ZoomOutcome::Cut);
    const auto zoomed = static_cast<std::size_t>(m_module.spectrum.np);
    EXPECT_LT(zoomed, 601U);
    m_module.configuration.p[1] *= 2.0;  // a changed model: the old curves no longer hold
    trigger(GetParam());
    EXPECT_FALSE(m_module.zoom.zoomed);
    EXPECT_EQ(chart().graph(1)->dataCount(), static_cast<int>(zoomed));
    EXPECT_FALSE(m_module.dataSaved);
    const std::vector<double> zoomedComponents = m_module.fitResults.components;
    const std::vector<double> p = m_module.engine.p;  // the model now shown

    // After a fit Reset waits until Zoom is chosen again.
    click(m_window->graph()->optZoom());
    ASSERT_TRUE(m_window->graph()->optReset()->isEnabled());
    click(m_window->graph()->optReset());
    const Spectrum& s = m_module.spectrum;
    EXPECT_EQ(std::tuple(s.np, s.energy, s.counts), std::tuple(601, full.energy, full.counts));
    EXPECT_TRUE(m_module.dataSaved);
    ASSERT_EQ(chart().graph(1)->dataCount(), 601);
    EXPECT_EQ(yValues(*chart().graph(1)), s.calculated);
    EXPECT_NE(s.calculated, full.calculated);

    // Four peaks, then the background a0 + a1·(E − E(last point)).
    const std::vector<double>& c = m_module.fitResults.components;
    ASSERT_EQ(c.size(), 5U * 601U);
    const auto offset = static_cast<std::size_t>(std::distance(
        full.energy.begin(), std::lower_bound(full.energy.begin(), full.energy.end(), 283.0)));
    for (std::size_t peak = 0; peak < 4; ++peak) {
        for (std::size_t i = 0; i < zoomed; ++i) {
            EXPECT_DOUBLE_EQ(c[offset + i + 601 * peak], zoomedComponents[i + zoomed * peak])
                << "peak " << peak + 1 << " point " << i;
        }
    }
    for (std::size_t i = 0; i < 601; ++i) {
        const double background = p[20] + p[21] * (s.energy[i] - s.energy.back());
        EXPECT_NEAR(c[i + 601 * 4], background, kBackgroundTol) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, ZoomedThenReset, testing::Values("mnuCalculate", "mnuFit"),
                         [](const testing::TestParamInfo<const char*>& p) {
                             return std::string(p.param);
                         });

TEST_F(Session, NewConfigurationSavedAsThenReopenedAndShifted)
{
    trigger("mnuNewItem_0");
    EXPECT_EQ(m_module.configuration.nds, 1);
    EXPECT_EQ(m_module.configuration.p, std::vector<double>(5, 0.0));
    EXPECT_TRUE(m_module.configIsNew);
    EXPECT_FALSE(enabled("mnuSaveItem_0"));  // no file yet: Save As names one
    EXPECT_TRUE(enabled("mnuSaveAsItem_1"));

    m_module.configuration.p = {284.0, 1000.0, 0.3, 0.1, 0.8};
    const std::string saved = m_folder.file("new_model.cfg");
    m_dialogs.answerSaveFile(saved);
    trigger("mnuSaveAsItem_1");
    EXPECT_TRUE(fs::exists(saved));
    EXPECT_TRUE(m_module.configSaved);
    EXPECT_FALSE(m_module.configIsNew);
    EXPECT_EQ(m_window->pnlStatus(4)->text(), QStringLiteral("Config. File : new_model.cfg  "));

    const Configuration written = m_module.configuration;
    m_module.configuration = Configuration{};
    m_dialogs.answerOpenFile(saved);
    trigger("mnuOpenItem_2");
    EXPECT_EQ(m_module.configuration, written);

    m_dialogs.answerInput("1.5");
    trigger("mnuEnergyItem_1");
    EXPECT_DOUBLE_EQ(m_module.configuration.p[0], 285.5);
    EXPECT_FALSE(m_module.configSaved);
    EXPECT_TRUE(enabled("mnuSaveItem_0"));
    trigger("mnuSaveItem_0");
    EXPECT_TRUE(m_module.configSaved);

    m_dialogs.answerYesNo(false);
    m_module.configSaved = false;
    m_window->close();
    EXPECT_EQ(m_dialogs.texts().back(), "Config Data Not Saved - Continue Exit Anyway?");
    EXPECT_TRUE(m_window->isVisible());
}

// Started on the experimental spectrum alone, the fit ends showing its model, ticked in the menu.
TEST_F(Session, FitShowsFinalResultsAndUpdateConfigurationTakesThem)
{
    trigger("mnuOpenItem_0");
    ASSERT_EQ(m_module.plot.plotType, 0);
    trigger("mnuFit");
    EXPECT_TRUE(m_dialogs.records().empty());
    EXPECT_EQ(m_window->statusText(),
              QStringLiteral("  Finished fit   -    waiting for user action"));
    EXPECT_TRUE(m_window->pnlStatus(0)->text().startsWith(QStringLiteral("After Iteration : ")));
    frmResults* results = m_window->results();
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(results->windowTitle(), QStringLiteral("Final Results"));
    EXPECT_TRUE(results->txtCond()->isVisibleTo(results));
    EXPECT_TRUE(results->cmdCorrelation()->isVisibleTo(results));
    EXPECT_TRUE(enabled("mnuPrintItem_2") && enabled("mnuFit") && !enabled("mnuBreak"));
    EXPECT_EQ(m_module.plot.plotType, 1);
    EXPECT_TRUE(action("mnuPlotItem_1")->isChecked() && !action("mnuPlotItem_0")->isChecked());
    ASSERT_EQ(chart().graphCount(), 7);
    EXPECT_EQ(yValues(*chart().graph(1)), m_module.spectrum.calculated);

    const std::vector<double> fitted = m_module.fitResults.parameters;
    QTest::mouseClick(results->cmdUpdate(), Qt::LeftButton);
    EXPECT_TRUE(std::equal(m_module.configuration.p.begin(), m_module.configuration.p.end(),
                           fitted.begin()));
    EXPECT_FALSE(m_module.configSaved);
    EXPECT_TRUE(enabled("mnuSaveItem_0"));

    QTest::mouseClick(results->cmdCorrelation(), Qt::LeftButton);
    const auto windows = m_window->mdiArea()->subWindowList();
    EXPECT_TRUE(std::any_of(windows.begin(), windows.end(), [](QMdiSubWindow* w) {
        return qobject_cast<frmCorrelation*>(w->widget()) != nullptr;
    }));
}

// Every correlation window a user closed, or a fit replaced, is gone, not just hidden.
int correlationWindows(const QMdiArea& area)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const auto windows = area.subWindowList();
    return static_cast<int>(std::count_if(windows.begin(), windows.end(), [](QMdiSubWindow* w) {
        return qobject_cast<frmCorrelation*>(w->widget()) != nullptr;
    }));
}

TEST_F(Session, ClosedCorrelationWindowsAreGoneAndOpenDataClosesTheResults)
{
    calculated();
    trigger("mnuFit");
    QMdiArea& area = *m_window->mdiArea();
    for (int round = 0; round < 2; ++round) {
        QTest::mouseClick(m_window->results()->cmdCorrelation(), Qt::LeftButton);
        EXPECT_EQ(correlationWindows(area), 1);
        auto* form = area.findChild<frmCorrelation*>();
        ASSERT_NE(form, nullptr);
        QTest::mouseClick(form->cmdClose(), Qt::LeftButton);
        EXPECT_EQ(correlationWindows(area), 0);
    }
    QTest::mouseClick(m_window->results()->cmdCorrelation(), Qt::LeftButton);
    trigger("mnuFit");
    EXPECT_EQ(correlationWindows(area), 0);

    QTest::mouseClick(m_window->results()->cmdCorrelation(), Qt::LeftButton);
    m_dialogs.answerOpenFile(data());
    trigger("mnuOpenItem_1");
    EXPECT_EQ(m_window->results(), nullptr);
    EXPECT_EQ(correlationWindows(area), 0);
    // The fit belonged to the spectrum it was made on. Write offers its reports after a
    // calculation once the menu rule runs again (here on opening the configuration), but a
    // calculation alone has no results to write.
    trigger("mnuCalculate");
    m_dialogs.answerOpenFile(config());
    trigger("mnuOpenItem_2");
    ASSERT_TRUE(enabled("mnuPrintItem_2") && enabled("mnuPrintItem_3"));
    trigger("mnuPrintItem_2");
    trigger("mnuPrintItem_3");
    const Texts texts = m_dialogs.texts();
    ASSERT_GE(texts.size(), 2U);
    EXPECT_EQ(Texts(texts.end() - 2, texts.end()),
              Texts(2, "No fit results to write yet - run Start Fit first"));
    EXPECT_FALSE(fs::exists(m_folder.file("synthetic_c1s_results.txt")));
}

// Exit during the fit waits for the current engine call, then asks the exit questions; No lets
// the fit go on to its end with standard deviations, and Varnix keeps running.
TEST_F(Session, ExitDuringTheFitAsksAndCancelledLetsTheFitFinish)
{
    calculated();
    QTimer::singleShot(0, m_window.get(), [this] { m_window->close(); });
    m_dialogs.answerYesNo(false);
    trigger("mnuFit");
    EXPECT_EQ(m_dialogs.texts(), Texts{"Calculated Spectra Not Saved - Continue Exit Anyway?"});
    EXPECT_EQ(m_dialogs.records().back().defaultButton, DefaultButton::NoOrCancel);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(m_module.fitResults.standardDeviationsAvailable);
    EXPECT_EQ(m_window->statusText(),
              QStringLiteral("  Finished fit   -    waiting for user action"));
    EXPECT_TRUE(enabled("mnuFit") && !enabled("mnuBreak"));
}

TEST_F(Session, EveryOutputIsWrittenUnderItsDefaultNameAndCancelWritesNothing)
{
    calculated();
    trigger("mnuFit");
    const char* writes[] = {"mnuPrintItem_0", "mnuPrintItem_1", "mnuPrintItem_2", "mnuPrintItem_3"};
    const char* names[] = {"synthetic_c1s.ps", "synthetic_c1s_config.txt",
                           "synthetic_c1s_results.txt", "synthetic_c1s_corr.txt"};
    for (std::size_t i = 0; i < 4; ++i) {
        m_dialogs.answerSaveFile(std::nullopt);
        trigger(writes[i]);
        EXPECT_FALSE(fs::exists(m_folder.file(names[i]))) << names[i];
        EXPECT_EQ(m_dialogs.records().back().defaultText, m_folder.file(names[i]));
        m_dialogs.answerSaveFile(m_folder.file(names[i]));
        trigger(writes[i]);
        EXPECT_GT(fs::file_size(m_folder.file(names[i])), 0U) << names[i];
    }
    m_dialogs.answerSaveFile(m_folder.file("fit.cal"));
    trigger("mnuSaveAsItem_2");
    EXPECT_TRUE(m_module.calculationSaved);
    m_dialogs.answerSaveFile(m_folder.file("fit.cex"));
    trigger("mnuSaveAsItem_3");
    EXPECT_TRUE(fs::exists(m_folder.file("fit.cal")) && fs::exists(m_folder.file("fit.cex")));
    EXPECT_TRUE(action("mnuSaveAsItem_3")->isChecked());
    EXPECT_EQ(m_dialogs.unusedAnswers(), 0U);
}

// ---- A file with several spectra: one region chosen, fitted, written and reopened ----

// One Doniach-Sunjic peak on a constant background for the C 1s region of the Kratos file,
// started 1.3 eV off the line and well below its height.
constexpr const char* kCarbideModel = R"(Varnix configuration 1
NDS 1
NBG 1
HMUConfig 0
Pos1      1203.0   0  1  0  0
Height1   600      0  2  0  0
LFWHM1    0.4      0  3  0  0
Alpha1    0.1      0  4  0  0
GFWHM1    1.2      0  5  0  0
a0 1850
a1 0
a2 0
)";

// The middle of the line at half height, read off the file: the counts pass halfway between
// the background (about 1860) and the top (about 2760) at 1203.49 and 1205.18 eV kinetic.
constexpr double kCarbideCentre = 1204.35;
constexpr double kPositionTol = 0.3;  // eV: an asymmetric line's position is off its middle

// Σ ((y − ŷ) / σ)²: what the fit lowers, computed here from what the plot shows.
double weightedSquares(const Spectrum& s)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < s.counts.size(); ++i) {
        const double r = (s.counts[i] - s.calculated[i]) / s.sigma[i];
        sum += r * r;
    }
    return sum;
}

TEST_F(Session, ACoreLevelOfAVamasFileIsChosenFittedWrittenAndReopened)
{
    const std::string vamas = m_folder.file("0-150W.vms");
    fs::copy_file(dataFile("real/LG4X_0-150W.vms"), vamas);
    std::ofstream(m_folder.file("carbide.cfg")) << kCarbideModel;
    m_dialogs.answerOpenFile(vamas).answerRegion(4).answerOpenFile(m_folder.file("carbide.cfg"));
    trigger("mnuOpenItem_1");
    trigger("mnuOpenItem_2");
    ASSERT_EQ(m_dialogs.records().size(), 3U);
    const DialogRecord& chooser = m_dialogs.records()[1];
    EXPECT_EQ(std::tuple(chooser.kind, chooser.text, chooser.rows.size()),
              std::tuple(DialogKind::Region, vamas, 5U));
    EXPECT_EQ(chooser.rows[3].name, "C 1s");
    ASSERT_EQ(m_module.spectrum.np, 301);
    EXPECT_EQ(m_module.spectrum.fileName, vamas + "#4");
    EXPECT_EQ(m_window->pnlStatus(3)->text(), QStringLiteral("Data File : 0-150W.vms#4  "));

    trigger("mnuCalculate");
    const double before = weightedSquares(m_module.spectrum);
    ASSERT_GT(std::abs(m_module.configuration.p[0] - kCarbideCentre), 1.0);
    trigger("mnuFit");
    EXPECT_EQ(m_dialogs.records().size(), 3U);  // the fit asked nothing
    EXPECT_LT(weightedSquares(m_module.spectrum), 0.25 * before);
    EXPECT_NEAR(m_module.fitResults.parameters[0], kCarbideCentre, kPositionTol);

    // The outputs are named after the region, so that another region's do not replace them.
    m_dialogs.answerSaveFile(std::nullopt).answerSaveFile(std::nullopt);
    trigger("mnuPrintItem_2");
    trigger("mnuSaveAsItem_0");
    EXPECT_EQ(m_dialogs.records()[3].defaultText, m_folder.file("0-150W#4_results.txt"));
    EXPECT_EQ(m_dialogs.records()[4].defaultText, m_folder.file("0-150W#4.dat"));

    // All Files opens the same region and model again, without a question.
    const std::vector<double> energies = m_module.spectrum.energy;
    trigger("mnuOpenItem_0");
    EXPECT_EQ(m_dialogs.records().size(), 5U);
    EXPECT_EQ(m_module.spectrum.fileName, vamas + "#4");
    EXPECT_EQ(m_module.spectrum.energy, energies);
    EXPECT_EQ(m_module.configuration.fileName, m_folder.file("carbide.cfg"));
    EXPECT_EQ(m_dialogs.unusedAnswers(), 0U);

    // A region that is gone from the file is named, and nothing is opened.
    std::ofstream(m_folder.file("last_data.dat")) << "\"" << vamas << "#7\"\n";
    const Module1 opened = m_module;
    trigger("mnuOpenItem_0");
    EXPECT_EQ(
        m_dialogs.texts().back(),
        std::string{vamas + ": region 7 does not exist - the file holds 5 spectra - open the file "
                            "with Open > Data to choose another"});
    EXPECT_EQ(m_module, opened);
}

TEST_F(Session, CancellingTheRegionChooserKeepsTheSpectrumAndEveryFlag)
{
    calculated();
    const Module1 before = m_module;
    const MenuState menu = m_window->menuState();
    const int curves = chart().graphCount();
    m_dialogs.answerOpenFile(dataFile("real/LG4X_Mutlipak_vms.npl")).answerRegion(std::nullopt);
    trigger("mnuOpenItem_1");
    EXPECT_EQ(m_dialogs.records().back().kind, DialogKind::Region);
    EXPECT_EQ(m_module, before);
    EXPECT_EQ(m_window->menuState(), menu);
    EXPECT_EQ(chart().graphCount(), curves);
    std::string remembered;
    std::getline(std::ifstream(m_folder.file("last_data.dat")), remembered);
    EXPECT_EQ(remembered, std::string(1, '"').append(data()).append(1, '"'));
}

}  // namespace
}  // namespace varnix::app
