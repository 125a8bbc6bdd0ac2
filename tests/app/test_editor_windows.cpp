// The configuration editor's windows driven offscreen through their widgets, inside the main
// window, with the real engine and file routines and the scripted dialogs: the setup window's
// controls and captions, the example's model built by hand from File > New and fitted, a doublet
// tied by the link controls, Select mode in the plot window, typed values committed before a
// calculation or fit, the counts and the peak number shared with the plot window, Show All, and
// the windows laid out again on a resize.
#include "core/files/config_commands.h"
#include "display/format_grid.h"
#include "display/frm_graph.h"
#include "display/frm_results.h"
#include "editor/frm_all_parameters.h"
#include "editor/frm_ds_setup.h"
#include "qt_environment.h"
#include "up_down.h"
#include "window_fixture.h"

#include <qcustomplot.h>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QToolButton>

#include <array>

namespace varnix::app {
namespace {

using namespace test;
using Texts = std::vector<std::string>;

constexpr int kPos = 0, kHeight = 1;
constexpr std::size_t kPos1 = 0, kHeight1 = 1, kPos2 = 5, kHeight2 = 6;

// The example's peaks as examples/synthetic_c1s.cfg holds them: Pos, Height, LFWHM, Alpha, GFWHM.
constexpr std::array<std::array<const char*, 5>, 4> kExamplePeaks = {{
    {"283.2", "4000", "0.55", "0.05", "1.1"},
    {"284.9", "3600", "0.4", "0.1", "0.8"},
    {"287.45", "1200", "0.75", "0.1", "1"},
    {"289.3", "1000", "0.4", "0.12", "0.9"},
}};

// Height as the setup window shows it: three decimals of the mantissa.
std::string scientific(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3e", value);
    return text;
}

class EditorWindows : public WindowFixture {
protected:
    EditorWindows() : WindowFixture(true) { started(QSize(1200, 800)); }

    // Open > All Files: the example opened, the setup window showing it beside the plot.
    frmDSSetup& opened()
    {
        trigger("mnuOpenItem_0");
        EXPECT_NE(m_window->setup(), nullptr);
        return *m_window->setup();
    }

    frmGraph& graph() const { return *m_window->graph(); }
    const std::vector<double>& p() const { return m_module.configuration.p; }

    // Everything in the box replaced by `text`, keystroke by keystroke, then Return.
    static void type(QLineEdit* box, const QString& text, bool confirm = true)
    {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, text);
        if (confirm) {
            QTest::keyClick(box, Qt::Key_Return);
        }
    }

    // An entry of a list chosen in its drop-down with the keys, as a user does.
    static void choose(QComboBox* list, int entry)
    {
        list->showPopup();
        QAbstractItemView* view = list->view();
        QTest::keyClick(view, Qt::Key_Home);
        for (int step = 0; step < entry; ++step) {
            QTest::keyClick(view, Qt::Key_Down);
        }
        QTest::keyClick(view, Qt::Key_Return);
    }

    // Row i of the selected peak tied to the same parameter of peak 1, by "x" or "+".
    static void tieToPeak1(frmDSSetup& form, int i, bool plus, const QString& factor)
    {
        click(form.chkVary(i));
        choose(form.cmbVary(i), 0);
        click(plus ? form.optP(i) : form.optX(i));
        type(form.txtFactor(i), factor);
    }

    // A click in the chart at (energy as shown, intensity), Select mode being chosen; returns
    // the point the click's pixel stands for.
    QPointF clickChart(double energy, double intensity)
    {
        QCustomPlot& chart = *graph().Graph1();
        const QPoint pixel(qRound(chart.xAxis->coordToPixel(energy)),
                           qRound(chart.yAxis->coordToPixel(intensity)));
        QTest::mouseClick(&chart, Qt::LeftButton, {}, pixel);
        return {chart.xAxis->pixelToCoord(pixel.x()), chart.yAxis->pixelToCoord(pixel.y())};
    }
};

TEST_F(EditorWindows, SetupWindowShowsTheExampleUnderItsCaptionsBesideThePlot)
{
    frmDSSetup& form = opened();
    EXPECT_EQ(form.windowTitle(), "Setup for Doniach/Sunjic Parameters and BackGround");
    const std::vector<std::pair<const char*, const char*>> captions = {
        {"lblDS", "Doniach/Sunjic Parameters"},
        {"lblPeaks", "Number of peaks"},
        {"lblSelect", "Select peak"},
        {"lblName", "Name"},
        {"lblValue", "Value"},
        {"lblFixed", "Fixed?"},
        {"lblCorr", "Correlated with"},
        {"lblFactor", "Factor"},
        {"lblOp", "Operation"},
        {"lblBackground", "Background"},
        {"lblCoeffts", "Polynomial coefficients"},
        {"lblPol_0", "a0"},
        {"lblPol_1", "a1"}};
    for (const auto& [name, caption] : captions) {
        const auto* label = form.findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->text(), caption) << name;
        EXPECT_GE(label->width(), label->sizeHint().width()) << name << " is cut";
    }
    const std::vector<std::pair<QAbstractButton*, const char*>> buttons = {
        {form.cmdDelete(), "Delete Peak"},
        {form.cmdInsert(), "Insert Before Peak"},
        {form.cmdAuto(), "Auto"},
        {form.cmdShowAll(), "Show All"},
        {form.cmdClose(), "Close"},
        {form.optBack(0), "none"},
        {form.optBack(1), "constant"},
        {form.optBack(2), "linear"},
        {form.optBack(3), "parabolic"},
        {form.optX(4), "x"},
        {form.optP(4), "+"},
        {form.chkVary(4), "no"}};
    for (const auto& [button, caption] : buttons) {
        EXPECT_EQ(button->text(), caption);
    }
    const Texts names = {"Pos1", "Height1", "LFWHM1", "Alpha1", "GFWHM1"};
    const Texts values = {"283.200", "4.000e+03", "0.550", "0.050", "1.100"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(form.txtName(i)->text().toStdString(), names[static_cast<std::size_t>(i)]);
        EXPECT_EQ(form.txtValue(i)->text().toStdString(), values[static_cast<std::size_t>(i)]);
        // One row per parameter, the columns aligned.
        EXPECT_EQ(form.txtValue(i)->x(), form.txtValue(0)->x());
        EXPECT_EQ(form.cmbVary(i)->x(), form.cmbVary(0)->x());
        EXPECT_GT(form.txtValue(i)->y(),
                  i == 0 ? form.txtPeakNumber()->y() : form.txtValue(i - 1)->y());
        EXPECT_EQ(form.cmbVary(i)->count(), 4);
    }
    EXPECT_EQ(form.txtNDS()->text(), "4");
    EXPECT_EQ(form.txtPeakNumber()->text(), "1");
    EXPECT_TRUE(form.cmdDelete()->isEnabled());
    EXPECT_TRUE(form.optBack(2)->isChecked());
    EXPECT_EQ(form.txtPolValue(0)->text(), "240");
    EXPECT_FALSE(form.txtPolValue(2)->isVisibleTo(&form));
    const QRect place = frmDSSetup::geometryFor(m_module.innerWidth, m_module.innerHeight);
    EXPECT_EQ(form.parentWidget()->geometry(), place);
    EXPECT_EQ(place,
              QRect(0, 0, m_module.innerWidth / 2, static_cast<int>(0.96 * m_module.innerHeight)));
    EXPECT_TRUE(m_module.windowOpen.peakSetup);
    EXPECT_TRUE(graph().optSelect()->isEnabled());
    EXPECT_TRUE(graph().txtPeak()->isVisibleTo(&graph()));

    click(graph().optSelect());
    QTest::mouseClick(form.cmdClose(), Qt::LeftButton);
    EXPECT_EQ(m_window->setup(), nullptr);
    EXPECT_FALSE(m_module.windowOpen.peakSetup);
    EXPECT_FALSE(graph().optSelect()->isEnabled());
    EXPECT_TRUE(graph().optZoom()->isChecked());
    trigger("mnuEditConfig");
    EXPECT_NE(m_window->setup(), nullptr);
}

// The example's model typed in from File > New, calculated, fitted, taken into the
// configuration, saved and opened again: every value and link as typed or fitted.
TEST_F(EditorWindows, ExampleBuiltByHandFromNewIsFittedSavedAndReopened)
{
    m_dialogs.answerOpenFile(m_folder.file("synthetic_c1s.dat"));
    trigger("mnuOpenItem_1");
    trigger("mnuNewItem_0");
    frmDSSetup* form = m_window->setup();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->txtNDS()->text(), "1");
    EXPECT_FALSE(form->cmdDelete()->isEnabled());
    type(form->txtNDS(), "4");
    click(form->optBack(2));
    for (std::size_t peak = 0; peak < kExamplePeaks.size(); ++peak) {
        type(form->txtPeakNumber(), QString::number(peak + 1), false);
        for (std::size_t i = 0; i < 5; ++i) {
            type(form->txtValue(static_cast<int>(i)), QString::fromLatin1(kExamplePeaks[peak][i]));
        }
    }
    type(form->txtPolValue(0), "240");
    type(form->txtPolValue(1), "0");

    Module1 example;
    ScriptedDialogs quiet;
    MenuState menu;
    ASSERT_EQ(LoadConfiguration(example, quiet, m_loader, menu, m_folder.file("synthetic_c1s.cfg")),
              0);
    EXPECT_EQ(p(), example.configuration.p);
    EXPECT_EQ(m_module.configuration.a, example.configuration.a);
    EXPECT_EQ(m_module.configuration.nbg, 2);

    trigger("mnuCalculate");
    trigger("mnuFit");
    EXPECT_EQ(m_window->statusText(), "  Finished fit   -    waiting for user action");
    EXPECT_EQ(m_window->setup(), nullptr);  // closed for the fit
    const std::vector<double> fitted = m_module.fitResults.parameters;
    ASSERT_EQ(fitted.size(), 22U);
    EXPECT_NE(fitted[kPos1], p()[kPos1]);
    QTest::mouseClick(m_window->results()->cmdUpdate(), Qt::LeftButton);

    const std::string saved = m_folder.file("by_hand.cfg");
    m_dialogs.answerSaveFile(saved);
    trigger("mnuSaveAsItem_1");
    m_dialogs.answerOpenFile(saved);
    trigger("mnuOpenItem_2");
    const Configuration& c = m_module.configuration;
    EXPECT_TRUE(std::equal(c.p.begin(), c.p.end(), fitted.begin()));
    EXPECT_EQ(c.a[0], fitted[20]);
    EXPECT_EQ(c.a[1], fitted[21]);
    for (int32_t j = 0; j < 20; ++j) {
        EXPECT_EQ(c.links[static_cast<std::size_t>(j)],
                  (ParameterLink{kLinkVaried, j, 1.0, kLinkKindNone}))
            << j;
    }
    ASSERT_NE(m_window->setup(), nullptr);
    EXPECT_EQ(m_window->setup()->txtValue(kPos)->text().toStdString(), fixed(fitted[kPos1], 3));
    EXPECT_EQ(m_dialogs.unusedAnswers(), 0U);
}

// Pos2 = Pos1 + 1.7 and Height2 = 0.5 × Height1 through "Fixed?", "Correlated with", the
// operation and the factor; Show All lists them; the fit keeps both ties exactly.
TEST_F(EditorWindows, DoubletTiedByTheLinkControlsStaysTiedThroughTheFit)
{
    frmDSSetup& form = opened();
    type(form.txtPeakNumber(), "2", false);
    ASSERT_EQ(form.txtName(kPos)->text(), "Pos2");
    click(form.chkVary(kPos));
    EXPECT_EQ(form.chkVary(kPos)->text(), "yes");
    choose(form.cmbVary(kPos), 0);
    click(form.optP(kPos));
    type(form.txtFactor(kPos), "1.", false);
    EXPECT_EQ(form.txtValue(kPos)->text(), "284.200");  // following every keystroke
    QTest::keyClicks(form.txtFactor(kPos), "7");
    EXPECT_EQ(form.txtValue(kPos)->text(), "284.900");
    EXPECT_FALSE(form.txtValue(kPos)->isEnabled());
    tieToPeak1(form, kHeight, false, "0.5");
    EXPECT_EQ(form.txtValue(kHeight)->text(), "2.000e+03");
    EXPECT_EQ(m_module.configuration.links[kPos2],
              (ParameterLink{kLinkCorrelated, 0, 1.7, kLinkKindPlus}));
    EXPECT_EQ(m_module.configuration.links[kHeight2],
              (ParameterLink{kLinkCorrelated, 1, 0.5, kLinkKindMultiplied}));

    QTest::mouseClick(form.cmdShowAll(), Qt::LeftButton);
    frmAllParameters* all = m_window->allParameters();
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->windowTitle(), "Configuration Parameters for Doniach/Sunjic XPS Fit");
    const QTableWidget& grid = *all->grdDS();
    ASSERT_EQ(grid.rowCount(), 22);
    const std::vector<std::pair<int, Texts>> rows = {
        {-1, {"No.", "Name", "Value", "Fixed?", "Correlated with", "Multiplied by", "Plus"}},
        {5, {"6", "Pos2", "284.900", "yes", "Pos1", "", "1.700"}},
        {6, {"7", "Height2", "2.000e+03", "yes", "Height1", "0.500", ""}},
        {7, {"8", "LFWHM2", "0.400", "no", " ", "", ""}},
        {20, {"21", "a0", "2.400E+02", "no", " ", " ", " "}}};
    for (const auto& [row, cells] : rows) {
        for (int column = 0; column < 7; ++column) {
            const QString shown =
                row < 0 ? grid.horizontalHeaderItem(column)->text() : cellText(grid, row, column);
            EXPECT_EQ(shown.toStdString(), cells[static_cast<std::size_t>(column)]) << row;
        }
    }
    const int rowHeight = static_cast<int>(0.04 * all->parentWidget()->height());
    EXPECT_EQ(grid.rowHeight(0), rowHeight);
    EXPECT_EQ(grid.horizontalHeader()->height(), rowHeight);
    EXPECT_TRUE(m_module.windowOpen.allParameters);
    // Show All again: the snapshot taken anew, in one window.
    type(form.txtFactor(kHeight), "0.25");
    QTest::mouseClick(form.cmdShowAll(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(m_window->mdiArea()->findChildren<frmAllParameters*>().size(), 1);
    EXPECT_EQ(cellText(*m_window->allParameters()->grdDS(), 6, 5), "0.250");
    type(form.txtFactor(kHeight), "0.5");

    trigger("mnuCalculate");
    trigger("mnuFit");
    EXPECT_EQ(m_module.fitResults.nfree, 20);
    EXPECT_EQ(m_window->allParameters(), nullptr);  // closed for the fit
    const std::vector<double>& fitted = m_module.fitResults.parameters;
    EXPECT_NE(fitted[kPos1], 283.2);
    EXPECT_DOUBLE_EQ(fitted[kPos2], fitted[kPos1] + 1.7);
    EXPECT_DOUBLE_EQ(fitted[kHeight2], 0.5 * fitted[kHeight1]);
}

// Select mode moves the selected peak to a click in the calculated plot and calculates again;
// once its position is tied to another peak, only its height moves, and the user is told.
TEST_F(EditorWindows, SelectModeMovesThePeakAsItsLinksAllow)
{
    frmDSSetup& form = opened();
    trigger("mnuCalculate");
    // The plot window's peak number selects the peak in the setup window, and stays.
    type(graph().txtPeak(), "2", false);
    EXPECT_EQ(form.txtPeakNumber()->text(), "2");
    EXPECT_EQ(form.txtName(kPos)->text(), "Pos2");
    EXPECT_EQ(graph().txtPeak()->text(), "2");
    click(graph().optSelect());
    const std::vector<double> before = m_module.spectrum.calculated;
    const QPointF first = clickChart(286.0, 2500.0);
    EXPECT_EQ(form.txtValue(kPos)->text().toStdString(), fixed(first.x(), 3));
    EXPECT_EQ(p()[kPos2], std::stod(fixed(first.x(), 3)));
    EXPECT_EQ(p()[kHeight2], std::stod(scientific(first.y())));
    EXPECT_NE(m_module.spectrum.calculated, before);
    EXPECT_TRUE(m_dialogs.records().empty());

    tieToPeak1(form, kPos, true, "1.7");
    const QPointF second = clickChart(287.0, 3000.0);
    EXPECT_EQ(m_dialogs.texts(),
              Texts{"Peak position fixed to another peak(s) - only height changed"});
    EXPECT_DOUBLE_EQ(p()[kPos2], 283.2 + 1.7);
    EXPECT_EQ(p()[kHeight2], std::stod(scientific(second.y())));
}

// Binding energies are shown, kinetic ones held: a peak put at a shown binding energy E sits
// at the kinetic energy hν − E.
TEST_F(EditorWindows, SelectModeOnBindingEnergiesKeepsKineticPositions)
{
    m_dialogs.answerOpenFile(dataFile("dat/binding_without_photon_energy.dat"))
        .answerInput("1486.6");
    trigger("mnuOpenItem_1");
    trigger("mnuNewItem_0");
    ASSERT_NE(m_window->setup(), nullptr);
    click(graph().optSelect());
    const QPointF at = clickChart(290.0, 1500.0);
    EXPECT_EQ(p()[kPos1], std::stod(fixed(1486.6 - at.x(), 3)));
    EXPECT_EQ(m_window->setup()->txtValue(kPos)->text().toStdString(), fixed(1486.6 - at.x(), 3));
}

// A value typed and not yet confirmed counts for Calculate Spectrum and Start Fit; the fit
// closes the editing windows and leaves Select off.
class TypedBeforeCommand : public EditorWindows,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(TypedBeforeCommand, TypedValueCountsAndTheFitClosesTheEditors)
{
    frmDSSetup& form = opened();
    QTest::mouseClick(form.cmdShowAll(), Qt::LeftButton);
    type(form.txtValue(kPos), "283.5", false);
    EXPECT_EQ(p()[kPos1], 283.2);
    trigger(GetParam());
    EXPECT_EQ(p()[kPos1], 283.5);
    const bool fit = std::string(GetParam()) == "mnuFit";
    EXPECT_EQ(m_window->setup() == nullptr, fit);
    EXPECT_EQ(m_window->allParameters() == nullptr, fit);
    EXPECT_EQ(graph().optSelect()->isEnabled(), !fit);
    EXPECT_TRUE(m_module.calculationDone);
}

INSTANTIATE_TEST_SUITE_P(Commands, TypedBeforeCommand, ::testing::Values("mnuCalculate", "mnuFit"),
                         [](const auto& command) { return std::string(command.param); });

TEST_F(EditorWindows, TextThatIsNoNumberIsKeptInWarningColourUntilCorrected)
{
    frmDSSetup& form = opened();
    QLineEdit* box = form.txtValue(kHeight);
    const QColor white(255, 255, 255);
    EXPECT_EQ(box->palette().color(QPalette::Base), white);
    type(box, "12x");
    EXPECT_EQ(box->text(), "12x");
    EXPECT_NE(box->palette().color(QPalette::Base), white);
    EXPECT_EQ(p()[kHeight1], 4000.0);
    type(box, "1234.5");
    EXPECT_EQ(box->palette().color(QPalette::Base), white);
    EXPECT_EQ(p()[kHeight1], 1234.5);
    EXPECT_FALSE(m_module.configSaved);
    EXPECT_TRUE(enabled("mnuSaveItem_0"));
}

// The number of peaks is taken when the box is left, so that typing "12" never passes through
// one peak; the spin buttons and the two peak numbers follow one another.
TEST_F(EditorWindows, CountsAndThePeakNumberFollowEachOther)
{
    frmDSSetup& form = opened();
    const std::vector<double> peaks = p();
    type(form.txtNDS(), "12", false);
    EXPECT_EQ(m_module.configuration.nds, 4);
    QTest::keyClick(form.txtNDS(), Qt::Key_Return);
    EXPECT_EQ(m_module.configuration.nds, 12);
    EXPECT_TRUE(std::equal(peaks.begin(), peaks.end(), p().begin()));
    EXPECT_EQ(graph().UpDownPeak()->maximum(), 12);
    QTest::mouseClick(form.UpDownDS()->downButton(), Qt::LeftButton);
    EXPECT_EQ(form.txtNDS()->text(), "11");
    EXPECT_EQ(graph().UpDownPeak()->maximum(), 11);

    QTest::mouseClick(form.UpDownPeak()->upButton(), Qt::LeftButton);
    EXPECT_EQ(form.txtPeakNumber()->text(), "2");
    EXPECT_EQ(graph().txtPeak()->text(), "2");
    QTest::mouseClick(graph().UpDownPeak()->upButton(), Qt::LeftButton);
    EXPECT_EQ(form.txtPeakNumber()->text(), "3");
    EXPECT_EQ(form.txtName(kPos)->text(), "Pos3");
    QTest::mouseClick(form.cmdInsert(), Qt::LeftButton);
    EXPECT_EQ(form.txtNDS()->text(), "12");
    EXPECT_EQ(form.txtValue(kPos)->text(), "0.000");
}

// A resize lays the editing windows out in their new places without opening them anew, so the
// calculated plot stays; an energy shift is shown in the open setup window.
TEST_F(EditorWindows, ResizeMovesTheEditorsAndShiftsAreShown)
{
    frmDSSetup& form = opened();
    trigger("mnuCalculate");
    QTest::mouseClick(form.cmdShowAll(), Qt::LeftButton);
    m_window->resize(1000, 700);
    QCoreApplication::processEvents();
    const int w = m_module.innerWidth;
    const int h = m_module.innerHeight;
    ASSERT_EQ(m_window->setup(), &form);
    EXPECT_EQ(form.parentWidget()->geometry(), frmDSSetup::geometryFor(w, h));
    frmAllParameters& all = *m_window->allParameters();
    EXPECT_EQ(all.parentWidget()->geometry(), QRect(w / 2, 0, w / 2, static_cast<int>(0.96 * h)));
    EXPECT_EQ(all.grdDS()->rowHeight(0), static_cast<int>(0.04 * all.parentWidget()->height()));
    EXPECT_EQ(m_module.plot.plotType, 1);

    m_dialogs.answerInput("1.5");
    trigger("mnuEnergyItem_1");
    EXPECT_EQ(form.txtValue(kPos)->text(), "284.700");
    QTest::mouseClick(all.cmdClose(), Qt::LeftButton);
    EXPECT_FALSE(m_module.windowOpen.allParameters);
}

}  // namespace
}  // namespace varnix::app
