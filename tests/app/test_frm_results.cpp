// The results and correlation windows driven offscreen inside an MDI area, as the main window
// holds them: the grids' headers from their format strings, the cells after a fit, the buttons
// the fit driver shows and hides, Update Configuration, the correlation window opened from its
// button, and the negative diagonal element reported to the caller, who ends the program.
#include "core/fit/engine_call.h"
#include "core/session/menu_state.h"
#include "core/display/results_table.h"
#include "core/session/scripted_dialogs.h"
#include "core/session/startup.h"
#include "display/format_grid.h"
#include "display/frm_correlation.h"
#include "display/frm_results.h"
#include "display/uncertainty_grid.h"
#include "qt_environment.h"
#include "statistics.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace varnix::app {
namespace {

using Texts = std::vector<std::string>;
const std::string kConfigQuestion = "Config Data Not Saved - Continue Exit Anyway?";

QStringList headers(const QTableWidget& grid)
{
    QStringList texts;
    for (int column = 0; column < grid.columnCount(); ++column) {
        texts << grid.horizontalHeaderItem(column)->text();
    }
    return texts;
}

// One peak and a linear background after a fit that varied Pos1, LFWHM1, a0 and a1: standard
// deviations 0.01, 0.03, 0.5 and 0.0002 as the squares on E's diagonal.
void fillFinishedFit(Module1& m)
{
    m.configuration.nds = 1;
    m.configuration.nbg = 2;
    m.configuration.npar = 7;
    m.configuration.p.assign(5, 0.0);
    MakeParameterNames(m.configuration);
    m.engine.varied = {0, 2, 0, 2, 1, 0, 0};
    m.fitResults.parameters = {1200.5, 12345.6, 0.85, 0.1, 1.2, 15.0, -0.0025};
    m.fitResults.nfree = 4;
    m.fitResults.errorMatrix = {1e-4, 0, 0, 0, 0, 9e-4, 0, 0, 0, 0, 0.25, 0, 0, 0, 0, 4e-8};
    m.fitResults.areas = {34567.0};
    m.fitResults.widths = {1.45};
    m.fitResults.conditionNumber = 1234.5678;
    m.fitResults.standardDeviationsAvailable = true;
    m.engineMode = kEngineErrorMatrix;
}

class ResultWindows : public ::testing::Test {
protected:
    ResultWindows()
    {
        m_module.innerWidth = 900;
        m_module.innerHeight = 600;
        m_area.resize(m_module.innerWidth, m_module.innerHeight);
        m_area.show();
    }

    // The results window as the fit driver opens it, its Correlation Matrix button wired as the
    // main window wires it.
    frmResults& results()
    {
        auto* form = new frmResults(m_module, m_dialogs, m_menu);
        QObject::connect(form, &frmResults::correlationRequested,
                         [this] { frmCorrelation::showIn(m_area, m_module, m_dialogs); });
        m_area.addSubWindow(form)->show();
        return *form;
    }

    frmCorrelation* correlationWindow() const
    {
        for (QMdiSubWindow* frame : m_area.subWindowList()) {
            if (auto* form = qobject_cast<frmCorrelation*>(frame->widget())) {
                return form;
            }
        }
        return nullptr;
    }

    Module1 m_module;
    ScriptedDialogs m_dialogs;
    MenuState m_menu;
    QMdiArea m_area;
};

// ---- Loading: captions, headers and what starts hidden ----

struct HeaderCase {
    const char* name;
    bool binding;
    const char* position;
};

class ResultsHeaders : public ResultWindows, public testing::WithParamInterface<HeaderCase> {};

TEST_P(ResultsHeaders, FromTheFormatStringsWithCentredPeakAndLeftCoefficientColumns)
{
    fillFinishedFit(m_module);
    m_module.spectrum.binding = GetParam().binding;
    frmResults& w = results();
    EXPECT_EQ(w.windowTitle(), "Results after previous iteration");
    EXPECT_TRUE(m_module.windowOpen.results);
    EXPECT_EQ(headers(*w.grdDS()), QStringList({"No.", GetParam().position, "Height", "LFWHM",
                                                "Alpha", "GFWHM", "Area", "FWHM"}));
    EXPECT_EQ(w.grdDS()->rowCount(), 1);
    EXPECT_EQ(headers(*w.grdPolynomial()), QStringList({"a0", "a1"}));
    EXPECT_EQ(w.grdDS()->horizontalHeaderItem(1)->textAlignment() & Qt::AlignHorizontal_Mask,
              static_cast<int>(Qt::AlignHCenter));
    EXPECT_EQ(
        w.grdPolynomial()->horizontalHeaderItem(0)->textAlignment() & Qt::AlignHorizontal_Mask,
        static_cast<int>(Qt::AlignLeft));
    // Every heading whole in its column, so the position's wider than LFWHM's.
    const QFontMetrics headings(w.grdDS()->horizontalHeader()->font());
    for (int column = 0; column < w.grdDS()->columnCount(); ++column) {
        const QString heading = w.grdDS()->horizontalHeaderItem(column)->text();
        EXPECT_GT(w.grdDS()->columnWidth(column), headings.horizontalAdvance(heading))
            << heading.toStdString();
    }
    EXPECT_GT(w.grdDS()->columnWidth(1), w.grdDS()->columnWidth(3));
    EXPECT_EQ(w.lblDS()->text(), "Doniach/Sunjic Parameters");
    EXPECT_EQ(w.lblPoly()->text(), "Polynomial Coefficients");
    EXPECT_EQ(w.cmdUpdate()->text(), "Update Configuration");
    EXPECT_EQ(w.cmdCorrelation()->text(), "Correlation Matrix");
    EXPECT_EQ(w.lblCond()->text(), "Condition Number");
    EXPECT_TRUE(w.lblCond()->isHidden());
    EXPECT_TRUE(w.txtCond()->isHidden());
    w.parentWidget()->close();
    EXPECT_FALSE(m_module.windowOpen.results);
}

INSTANTIATE_TEST_SUITE_P(EnergyScales, ResultsHeaders,
                         testing::Values(HeaderCase{"Kinetic", false, "Kin. Energy"},
                                         HeaderCase{"Binding", true, "Bind. Energy"}),
                         [](const testing::TestParamInfo<HeaderCase>& p) {
                             return std::string(p.param.name);
                         });

// ---- UpdateResults ----

TEST_F(ResultWindows, UpdateResultsShowsValuesDeviationsAndConditionNumber)
{
    fillFinishedFit(m_module);
    frmResults& w = results();
    ASSERT_TRUE(w.UpdateResults());
    const QString pm = QString::fromUtf8("\n\xC2\xB1");
    const QStringList row = {"1",        "1200.5000" + pm + "0.0100",
                             "1.23E+04", "0.8500" + pm + "0.0300",
                             "0.1000",   "1.2000",
                             "3.46E+04", "1.4500"};
    for (int column = 0; column < row.size(); ++column) {
        EXPECT_EQ(cellText(*w.grdDS(), 0, column), row[column]) << column;
    }
    EXPECT_EQ(cellText(*w.grdPolynomial(), 0, 0), "1.500E+01" + pm + "5.000E-01");
    EXPECT_EQ(cellText(*w.grdPolynomial(), 0, 1), "-2.500E-03" + pm + "2.000E-04");
    EXPECT_FALSE(w.txtCond()->isHidden());
    EXPECT_FALSE(w.lblCond()->isHidden());
    EXPECT_EQ(w.txtCond()->text(), "1.2346E+03");
    // Room for the second line: every row, header included, at least two lines high.
    EXPECT_GE(w.grdDS()->rowHeight(0), 2 * w.grdDS()->fontMetrics().lineSpacing());
    EXPECT_EQ(w.grdDS()->horizontalHeader()->height(), w.grdDS()->rowHeight(0));
    EXPECT_TRUE(m_dialogs.records().empty());
}

// The second grid follows the fit: the figures with their σ under them and the diagnosis after
// a finished fit, nothing while a fit iterates.
TEST_F(ResultWindows, FiguresWithSigmaAndTheDiagnosisOnlyAfterAFinishedFit)
{
    fillFinishedFit(m_module);
    PeakUncertainty peak;
    peak.area = {34567.0, 123.4};
    peak.share = {1.0, 0.0};
    peak.widthAtHalfHeight = {1.45, 0.0123};
    peak.maximum = {12345.6, 56.7};
    peak.maximumEnergy = {1200.52, 0.0101};
    peak.widthAtHalfMaximum = {1.38, 0.011};
    m_module.fitResults.uncertainties.peaks = {peak};
    m_module.fitResults.uncertainties.diagnosis.text = "Pos1 is not determined by the data.";
    frmResults& w = results();
    ASSERT_TRUE(w.UpdateResults());
    const QTableWidget& grid = *w.uncertainties()->grdUncertainties();
    const QString pm = QString::fromUtf8("\n\xC2\xB1 ");
    const QStringList row = {"1",
                             "34570" + pm + "120",
                             "1.0000" + pm + "0",
                             "1.450" + pm + "0.012",
                             "12346" + pm + "57",
                             "1200.520" + pm + "0.010",
                             "1.380" + pm + "0.011"};
    ASSERT_EQ(grid.rowCount(), 1);
    for (int column = 0; column < row.size(); ++column) {
        EXPECT_EQ(cellText(grid, 0, column), row[column]) << column;
    }
    EXPECT_FALSE(w.uncertainties()->isHidden());
    EXPECT_EQ(w.uncertainties()->lblDiagnosis()->text(), "Pos1 is not determined by the data.");

    m_module.fitResults.standardDeviationsAvailable = false;
    ASSERT_TRUE(w.UpdateResults());
    EXPECT_TRUE(w.uncertainties()->isHidden());
}

TEST_F(ResultWindows, PeakWidthFailureIsToldBeforeTheValueIsShown)
{
    fillFinishedFit(m_module);
    m_module.fitResults.widths = {-0.25};
    frmResults& w = results();
    ASSERT_TRUE(w.UpdateResults());
    EXPECT_EQ(m_dialogs.texts(), Texts{"Failure in interpolation to find peak width - probably "
                                       "due to unphysical line form"});
    EXPECT_EQ(cellText(*w.grdDS(), 0, 7), "-0.2500");
}

TEST_F(ResultWindows, WithoutBackgroundTheCoefficientGridIsHidden)
{
    fillFinishedFit(m_module);
    m_module.configuration.nbg = 0;
    m_module.fitResults.parameters.resize(5);
    m_module.fitResults.nfree = 2;
    m_module.fitResults.errorMatrix = {1e-4, 0, 0, 9e-4};
    frmResults& w = results();
    ASSERT_TRUE(w.UpdateResults());
    EXPECT_TRUE(w.grdPolynomial()->isHidden());
    EXPECT_TRUE(w.lblPoly()->isHidden());
}

TEST_F(ResultWindows, NegativeDiagonalIsReportedAndTheCallerEndsTheProgram)
{
    fillFinishedFit(m_module);
    m_module.fitResults.errorMatrix[5] = -9e-4;
    m_module.configSaved = false;
    frmResults& w = results();
    EXPECT_FALSE(w.UpdateResults());
    EXPECT_TRUE(m_dialogs.records().empty());
    EXPECT_EQ(cellText(*w.grdDS(), 0, 1), "");
    EXPECT_TRUE(w.txtCond()->isHidden());

    // The fit driver's part: the message, then the exit checks; No leaves Varnix running.
    m_dialogs.answerYesNo(false);
    const MenuState before = m_menu;
    EXPECT_FALSE(endProgram(m_module, m_dialogs, engine::kNegativeDiagonalMessage, before, m_menu));
    EXPECT_EQ(m_dialogs.texts(),
              (Texts{"Negative diagonal element in error matrix  -  ABORT", kConfigQuestion}));
    EXPECT_TRUE(m_module.exitCancelled);
    EXPECT_TRUE(m_module.windowOpen.results);
}

// ---- The commands the fit driver shows and hides ----

TEST_F(ResultWindows, ButtonsHiddenWhileIteratingAndShownWithTheFinalCaption)
{
    fillFinishedFit(m_module);
    frmResults& w = results();
    w.hideCommands();
    EXPECT_TRUE(w.cmdUpdate()->isHidden());
    EXPECT_TRUE(w.cmdCorrelation()->isHidden());
    EXPECT_EQ(w.parentWidget()->windowTitle(), "Results after previous iteration");

    w.showFinalResults(true);  // broken off: no error matrix to correlate
    EXPECT_FALSE(w.cmdUpdate()->isHidden());
    EXPECT_TRUE(w.cmdCorrelation()->isHidden());
    EXPECT_EQ(w.parentWidget()->windowTitle(), "Final Results");

    w.hideCommands();
    w.showFinalResults(false);
    EXPECT_FALSE(w.cmdUpdate()->isHidden());
    EXPECT_FALSE(w.cmdCorrelation()->isHidden());
}

TEST_F(ResultWindows, UpdateConfigurationDoesNothingBeforeAFitThenTakesTheFittedValues)
{
    m_module.configuration.nds = 1;
    m_module.configuration.npar = 5;
    m_module.configuration.p.assign(5, 2.0);
    frmResults& w = results();
    ASSERT_TRUE(w.UpdateResults());
    QSignalSpy menuChanged(&w, &frmResults::menuStateChanged);
    const Module1 before = m_module;
    const MenuState menuBefore = m_menu;
    QTest::mouseClick(w.cmdUpdate(), Qt::LeftButton);
    EXPECT_EQ(m_module, before);
    EXPECT_EQ(m_menu, menuBefore);
    EXPECT_EQ(menuChanged.count(), 0);

    fillFinishedFit(m_module);
    QTest::mouseClick(w.cmdUpdate(), Qt::LeftButton);
    EXPECT_EQ(m_module.configuration.p, (std::vector<double>{1200.5, 12345.6, 0.85, 0.1, 1.2}));
    EXPECT_FALSE(m_module.configSaved);
    EXPECT_TRUE(m_menu.saveConfiguration.enabled);
    EXPECT_EQ(menuChanged.count(), 1);
    EXPECT_TRUE(m_dialogs.records().empty());
}

// ---- The correlation window ----

TEST_F(ResultWindows, CorrelationButtonOpensOneCorrelationWindowAndCloseEndsIt)
{
    fillFinishedFit(m_module);
    frmResults& w = results();
    ASSERT_TRUE(w.UpdateResults());
    QTest::mouseClick(w.cmdCorrelation(), Qt::LeftButton);
    frmCorrelation* c = correlationWindow();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->parentWidget()->windowTitle(), "Correlation Matrix");
    EXPECT_TRUE(m_module.windowOpen.correlation);
    const QTableWidget& grid = *c->mgrCorrelation();
    ASSERT_EQ(grid.rowCount(), 6);
    ASSERT_EQ(grid.columnCount(), 6);
    const QStringList names = {"Pos1", "LFWHM1", "a0", "a1"};
    for (int i = 1; i <= 4; ++i) {
        const QString& name = names[i - 1];
        EXPECT_EQ(cellText(grid, 0, i), name);
        EXPECT_EQ(cellText(grid, 5, i), name);
        EXPECT_EQ(cellText(grid, i, 0), name);
        EXPECT_EQ(cellText(grid, i, 5), name);
        EXPECT_EQ(cellText(grid, i, i), "1.000");
        EXPECT_EQ(cellText(grid, i, 4), i < 4 ? "0.000" : "1.000");
        EXPECT_EQ(cellText(grid, 4, i), i < 4 ? "" : "1.000");
    }
    EXPECT_EQ(c->cmdClose()->text(), "Close");

    QTest::mouseClick(w.cmdCorrelation(), Qt::LeftButton);
    EXPECT_EQ(m_area.subWindowList().size(), 2);

    QTest::mouseClick(c->cmdClose(), Qt::LeftButton);
    EXPECT_FALSE(m_module.windowOpen.correlation);
    EXPECT_TRUE(c->parentWidget()->isHidden());
    EXPECT_TRUE(m_dialogs.records().empty());
}

TEST_F(ResultWindows, CorrelationWindowWithoutErrorMatrixSaysSoAndStaysEmpty)
{
    fillFinishedFit(m_module);
    m_module.fitResults.standardDeviationsAvailable = false;  // broken off
    frmCorrelation* c = frmCorrelation::showIn(m_area, m_module, m_dialogs);
    EXPECT_EQ(m_dialogs.texts(), Texts{"No correlation matrix available - it needs the error "
                                       "matrix of a finished fit"});
    EXPECT_EQ(c->mgrCorrelation()->rowCount(), 0);
    EXPECT_EQ(c->mgrCorrelation()->columnCount(), 0);
}

TEST_F(ResultWindows, ElevenVariedParametersScrollWithCellsOfATwelveGrid)
{
    m_module.configuration.nds = 2;
    m_module.configuration.nbg = 1;
    m_module.configuration.npar = 11;
    MakeParameterNames(m_module.configuration);
    m_module.engine.varied.assign(11, kLinkVaried);
    m_module.fitResults.nfree = 11;
    m_module.fitResults.errorMatrix.assign(121, 0.0);
    for (std::size_t i = 0; i < 11; ++i) {
        m_module.fitResults.errorMatrix[i * 12] = 1.0;
    }
    m_module.fitResults.standardDeviationsAvailable = true;
    frmCorrelation* c = frmCorrelation::showIn(m_area, m_module, m_dialogs);
    const QTableWidget& grid = *c->mgrCorrelation();
    ASSERT_EQ(grid.rowCount(), 13);
    EXPECT_EQ(grid.horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(grid.verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    // Twelve cells and a scroll bar fill each direction: thirteen do not fit.
    EXPECT_LE(12 * grid.columnWidth(0), grid.width());
    EXPECT_GT(13 * grid.columnWidth(0), grid.width());
    EXPECT_LE(12 * grid.rowHeight(0), grid.height());
    EXPECT_GT(13 * grid.rowHeight(0), grid.height());
    EXPECT_EQ(cellText(grid, 12, 11), "a0");
    EXPECT_EQ(cellText(grid, 11, 11), "1.000");
}

}  // namespace
}  // namespace varnix::app
