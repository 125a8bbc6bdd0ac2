// The main window as a user first meets it on a 1280 × 900 screen (the offscreen platform is
// given that screen before the application starts): the menu bar readable with every colour
// set, the window on most of the screen with every status panel whole and its place remembered,
// no width it cannot shrink back from, the usual keys, and every number of a fit of the example
// whole in the results and correlation windows. Colours are measured in the pixels drawn.
#include "contrast_reference.h"
#include "display/format_grid.h"
#include "display/frm_correlation.h"
#include "display/frm_results.h"
#include "display/uncertainty_grid.h"
#include "frm_main.h"
#include "qt_environment.h"
#include "window_fixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTableWidget>
#include <QTimer>

#include <cstdio>
#include <map>

namespace varnix::app {
namespace {

using namespace test;

// Before the QApplication of qt_environment.h is made, when the tests start.
[[maybe_unused]] const bool kScreen1280x900 =
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" VARNIX_SCREEN_FILE);

constexpr double kMostOfTheScreen = 0.85;  // of each side of the free screen, at least
constexpr double kReadableInk = kWcagReadable;
constexpr double kApartInk = 1.5;    // disabled ink from enabled ink, at least
constexpr double kSameInk = 1.05;    // a glyph's full stem is drawn in its pen's colour
constexpr int kWaitMs = 2000;        // for the offscreen platform to carry out a resize
constexpr int kLineEditMargins = 4;  // px a line edit keeps free beside its text, both sides

int32_t bgrOf(QRgb rgb)
{
    return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
}

double contrast(QRgb first, QRgb second)
{
    return wcagContrast(bgrOf(first), bgrOf(second));
}

// The colour most pixels of an entry have (its background) and the one that stands out most
// from it: the text where a glyph's stem covers whole pixels.
struct Ink {
    QRgb back = 0;
    QRgb strongest = 0;
};

Ink inkOf(const QImage& image, const QRect& region)
{
    std::map<QRgb, int> counts;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            ++counts[image.pixel(x, y) & RGB_MASK];
        }
    }
    Ink ink;
    int most = 0;
    for (const auto& [colour, count] : counts) {
        if (count > most) {
            most = count;
            ink.back = colour;
        }
    }
    ink.strongest = ink.back;
    for (const auto& [colour, count] : counts) {
        if (contrast(colour, ink.back) > contrast(ink.strongest, ink.back)) {
            ink.strongest = colour;
        }
    }
    return ink;
}

class LookWindow : public WindowFixture {
protected:
    LookWindow() : WindowFixture(true) {}

    void press(const char* keys)
    {
        QTest::keySequence(m_window.get(), QKeySequence(QString::fromLatin1(keys)));
    }

    bool resizedTo(const QSize& size)
    {
        m_window->resize(size);
        return QTest::qWaitFor([&] { return m_window->size() == size; }, kWaitMs);
    }

    // Open > All Files and Start Fit: the example fitted to its end.
    void fitExample()
    {
        trigger("mnuOpenItem_0");
        trigger("mnuFit");
        ASSERT_TRUE(m_module.fitResults.standardDeviationsAvailable);
        QApplication::processEvents();
    }
};

// ---- the menu bar with every colour set ----------------------------------------------------

struct ColourSet {
    const char* name;
    int32_t text;  // 0xBBGGRR, as the settings file holds it
    int32_t back;  // the window's, the buttons' and the options' background
};

class MenuBarColours : public LookWindow, public testing::WithParamInterface<ColourSet> {};

TEST_P(MenuBarColours, DisabledEntriesAreReadableAndSetApartFromEnabledOnes)
{
    const ColourSet& set = GetParam();
    char settings[320];
    std::snprintf(settings, sizeof settings,
                  "data_extension dat\nconfig_extension cfg\ntext_colour 0x%06X\n"
                  "window_back_colour 0x%06X\ntext_box_back_colour 0xFFFFFF\n"
                  "button_back_colour 0x%06X\noption_back_colour 0x%06X\n",
                  static_cast<unsigned>(set.text), static_cast<unsigned>(set.back),
                  static_cast<unsigned>(set.back), static_cast<unsigned>(set.back));
    std::ofstream(m_folder.file("fini.dat"), std::ios::trunc) << settings;
    frmMain& w = started();
    ASSERT_TRUE(m_dialogs.records().empty());  // the settings were read, not defaulted

    const QImage bar = w.menuBar()->grab().toImage();
    const Ink file = inkOf(bar, w.menuBar()->actionGeometry(action("mnuFile")));
    EXPECT_EQ(bgrOf(file.back), set.back);
    EXPECT_LT(wcagContrast(bgrOf(file.strongest), set.text), kSameInk);
    for (const char* name :
         {"mnuEdit", "mnuPlot", "mnuCalculate", "mnuFit", "mnuWrite", "mnuBreak"}) {
        ASSERT_FALSE(action(name)->isEnabled()) << name;
        const Ink ink = inkOf(bar, w.menuBar()->actionGeometry(action(name)));
        EXPECT_GE(contrast(ink.strongest, ink.back), kReadableInk) << name;
        EXPECT_GE(wcagContrast(bgrOf(ink.strongest), set.text), kApartInk) << name;
    }

    // The menus keep the platform's colours; their disabled entries are readable too.
    QMenu* save = action("mnuSave")->menu();
    save->popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(save));
    const QImage menu = save->grab().toImage();
    save->hide();
    ASSERT_FALSE(action("mnuSaveItem_0")->isEnabled());
    const Ink disabled = inkOf(menu, save->actionGeometry(action("mnuSaveItem_0")));
    EXPECT_GE(contrast(disabled.strongest, disabled.back), kReadableInk);
}

// The defaults, whose light grey the platform's disabled grey vanishes against; colours of
// their own; light text on a dark background; and text hardly apart from its background.
const ColourSet kColourSets[] = {
    {"ClassicGrey", 0x000000, 0xC0C0C0},
    {"RedOnLightBlue", 0x0000FF, 0xFFE0C0},
    {"WhiteOnDarkBlue", 0xFFFFFF, 0x402000},
    {"CloseGreys", 0x505050, 0x606060},
};

INSTANTIATE_TEST_SUITE_P(ColourSets, MenuBarColours, testing::ValuesIn(kColourSets),
                         [](const testing::TestParamInfo<ColourSet>& p) {
                             return std::string(p.param.name);
                         });

// ---- size, place and status panels ----------------------------------------------------------

TEST_F(LookWindow, OpensOnMostOfTheScreenWithEveryStatusPanelWhole)
{
    frmMain& w = started();
    const QRect free = w.screen()->availableGeometry();
    ASSERT_EQ(free.size(), QSize(1280, 900));
    EXPECT_GE(w.width(), kMostOfTheScreen * free.width());
    EXPECT_GE(w.height(), kMostOfTheScreen * free.height());
    EXPECT_TRUE(free.contains(w.frameGeometry()));

    // Every panel with a value: the fit's three, then a spectrum with its photon energy.
    fitExample();
    m_dialogs.answerOpenFile(dataFile("dat/binding_with_photon_energy.dat"));
    action("mnuOpenItem_1")->trigger();
    QApplication::processEvents();
    for (int i = 0; i < kStatusPanels; ++i) {
        const QLabel& panel = *w.pnlStatus(i);
        EXPECT_FALSE(panel.isHidden()) << i;
        EXPECT_GE(panel.width(), panel.sizeHint().width()) << panel.text().toStdString();
    }
    EXPECT_TRUE(w.pnlStatus(5)->text().startsWith(QStringLiteral("Photon Energy : ")));
}

TEST_F(LookWindow, ShrinksBackAfterBeingEnlargedWithTheStatusLineInItsShares)
{
    frmMain& w = started();
    const QSize first = w.size();
    ASSERT_TRUE(resizedTo(first + QSize(200, 0)));
    QApplication::processEvents();
    EXPECT_LE(w.minimumSizeHint().width(), first.width());
    EXPECT_LE(w.minimumWidth(), first.width());
    ASSERT_TRUE(resizedTo(first));

    // 0.075 and 0.9 of the width, less the gap between label and box (the empty rest after the
    // box takes no gap).
    QApplication::processEvents();
    const auto* label = w.findChild<QWidget*>(QStringLiteral("lblStatus"));
    const auto* text = w.findChild<QWidget*>(QStringLiteral("txtStatus"));
    const int gap = text->x() - label->geometry().right() - 1;
    const double width = w.centralWidget()->width() - gap;
    const double kShareTol = 1.0;  // px: a layout rounds each share to a whole pixel
    EXPECT_NEAR(label->width(), 0.075 * width, kShareTol);
    EXPECT_NEAR(text->width(), 0.9 * width, kShareTol);
}

TEST_F(LookWindow, OpensWhereTheUserLeftItInThisStartDirectory)
{
    frmMain& first = started();
    first.move(30, 40);
    ASSERT_TRUE(resizedTo(QSize(900, 640)));
    ASSERT_TRUE(first.close());
    ASSERT_TRUE(fs::exists(m_folder.path() / "varnix_window.ini"));

    frmMain& again = started();
    EXPECT_EQ(again.size(), QSize(900, 640));
    EXPECT_EQ(again.pos(), QPoint(30, 40));

    // A place that cannot be read is no place: most of the screen again.
    ASSERT_TRUE(again.close());
    std::ofstream(m_folder.file("varnix_window.ini"), std::ios::trunc)
        << "[General]\ngeometry=@ByteArray(nonsense)\n";
    const frmMain& third = started();
    EXPECT_GE(third.width(), kMostOfTheScreen * 1280);
}

// ---- keys ------------------------------------------------------------------------------------

struct KeyCase {
    const char* entry;
    const char* keys;
};

const KeyCase kKeys[] = {
    {"mnuOpenItem_1", "Ctrl+O"}, {"mnuSaveItem_0", "Ctrl+S"},
    {"mnuCalculate", "F5"},      {"mnuFit", "F9"},
    {"mnuBreak", "Esc"},         {"mnuExit", "Ctrl+Q"},
};

// A session by the keys alone, each pressed first while its entry is disabled.
TEST_F(LookWindow, EachKeyChoosesItsEntryOnlyWhileTheEntryIsEnabled)
{
    started();
    std::map<std::string, std::unique_ptr<QSignalSpy>> chosen;
    for (const KeyCase& k : kKeys) {
        chosen[k.entry] = std::make_unique<QSignalSpy>(action(k.entry), &QAction::triggered);
    }
    const auto times = [&](const char* entry) { return chosen.at(entry)->count(); };
    for (const char* keys : {"Ctrl+S", "F5", "F9", "Esc"}) {
        press(keys);
    }
    for (const char* entry : {"mnuSaveItem_0", "mnuCalculate", "mnuFit", "mnuBreak"}) {
        EXPECT_FALSE(action(entry)->isEnabled()) << entry;
        EXPECT_EQ(times(entry), 0) << entry;
    }
    EXPECT_TRUE(m_dialogs.records().empty());

    m_dialogs.answerOpenFile(std::nullopt);
    press("Ctrl+O");
    EXPECT_EQ(times("mnuOpenItem_1"), 1);
    ASSERT_EQ(m_dialogs.records().size(), 1U);

    action("mnuOpenItem_0")->trigger();
    press("F5");
    EXPECT_EQ(times("mnuCalculate"), 1);
    EXPECT_TRUE(m_module.calculationDone);

    press("Ctrl+S");  // nothing to save yet
    EXPECT_EQ(times("mnuSaveItem_0"), 0);
    m_dialogs.answerInput("0.1");
    action("mnuEnergyItem_1")->trigger();
    ASSERT_FALSE(m_module.configSaved);
    press("Ctrl+S");
    EXPECT_EQ(times("mnuSaveItem_0"), 1);
    EXPECT_TRUE(m_module.configSaved);

    // Esc while the fit runs, as its iterations let events in; the break is confirmed.
    m_dialogs.answerYesNo(false);
    QTimer::singleShot(0, m_window.get(), [this] { press("Esc"); });
    press("F9");
    EXPECT_EQ(times("mnuFit"), 1);
    EXPECT_EQ(times("mnuBreak"), 1);
    EXPECT_EQ(m_dialogs.records().back().text, "Continue fit ?");
    EXPECT_EQ(m_window->statusText(), QStringLiteral("  Waiting for user action after Break"));
    press("Esc");  // Break is disabled again after the fit
    EXPECT_EQ(times("mnuBreak"), 1);

    m_dialogs.answerYesNo(false);
    press("Ctrl+Q");
    EXPECT_EQ(times("mnuExit"), 1);
    EXPECT_EQ(m_dialogs.records().back().text,
              "Calculated Spectra Not Saved - Continue Exit Anyway?");
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_dialogs.unusedAnswers(), 0U);
    for (const KeyCase& k : kKeys) {
        EXPECT_EQ(action(k.entry)->shortcut(), QKeySequence(QString::fromLatin1(k.keys)));
    }
}

// ---- the numbers of a fit ------------------------------------------------------------------

// Every line of every cell and heading fits its column with the margins the item view keeps
// beside a text.
void expectWholeTexts(const QTableWidget& grid)
{
    const int margins = 2 * (grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    const QFontMetrics cells(grid.font());
    const QFontMetrics headings(grid.horizontalHeader()->font());
    for (int column = 0; column < grid.columnCount(); ++column) {
        QStringList lines;
        if (!grid.horizontalHeader()->isHidden()) {
            lines << grid.horizontalHeaderItem(column)->text().split(QLatin1Char('\n'));
        }
        for (int row = 0; row < grid.rowCount(); ++row) {
            for (const QString& line : cellText(grid, row, column).split(QLatin1Char('\n'))) {
                EXPECT_LE(cells.horizontalAdvance(line) + margins, grid.columnWidth(column))
                    << grid.objectName().toStdString() << " " << line.toStdString();
            }
        }
        for (const QString& line : lines) {
            EXPECT_LE(headings.horizontalAdvance(line) + margins, grid.columnWidth(column))
                << line.toStdString();
        }
    }
}

// The condition number within the box's text area.
void expectWholeConditionNumber(const QLineEdit& box)
{
    EXPECT_TRUE(box.isVisible());
    QStyleOptionFrame frame;
    frame.initFrom(&box);
    frame.rect = box.rect();
    frame.lineWidth = box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, &box);
    const QRect inside = box.style()->subElementRect(QStyle::SE_LineEditContents, &frame, &box);
    EXPECT_LE(QFontMetrics(box.font()).horizontalAdvance(box.text()) + kLineEditMargins,
              inside.width())
        << box.text().toStdString();
}

TEST_F(LookWindow, EveryNumberOfAFitIsWholeInTheResultsAndCorrelationWindowsNarrowOrNot)
{
    started();
    fitExample();
    frmResults& results = *m_window->results();
    const QTableWidget& peaks = *results.grdDS();
    ASSERT_EQ(peaks.rowCount(), 4);
    expectWholeTexts(peaks);
    expectWholeTexts(*results.grdPolynomial());
    // No scrolling either way, and no empty room below the rows (the headings lie outside the
    // viewport).
    EXPECT_EQ(peaks.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(peaks.verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(peaks.viewport()->height(), 4 * peaks.rowHeight(0));

    expectWholeConditionNumber(*results.txtCond());

    const QTableWidget& figures = *results.uncertainties()->grdUncertainties();
    ASSERT_EQ(figures.rowCount(), 4);
    expectWholeTexts(figures);
    EXPECT_EQ(figures.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(figures.viewport()->height(), 4 * figures.rowHeight(0));
    // The example's widths trade against each other: the diagnosis says so, on as many lines as
    // its text needs, and it and the commands below it lie inside the window.
    const QLabel& diagnosis = *results.uncertainties()->lblDiagnosis();
    EXPECT_TRUE(diagnosis.isVisible());
    EXPECT_FALSE(diagnosis.text().isEmpty());
    EXPECT_GE(diagnosis.height(), diagnosis.heightForWidth(diagnosis.width()));
    for (const QWidget* below : {static_cast<const QWidget*>(&diagnosis),
                                 static_cast<const QWidget*>(results.cmdUpdate())}) {
        EXPECT_LE(below->mapTo(&results, QPoint(0, below->height())).y(), results.height())
            << below->objectName().toStdString();
    }

    QTest::mouseClick(results.cmdCorrelation(), Qt::LeftButton);
    auto* correlation = m_window->mdiArea()->findChild<frmCorrelation*>();
    ASSERT_NE(correlation, nullptr);
    const QTableWidget& grid = *correlation->mgrCorrelation();
    ASSERT_EQ(grid.rowCount(), m_module.fitResults.nfree + 2);
    expectWholeTexts(grid);
    // Twelve whole rows and columns in view: no sliver of the next with its number cut.
    EXPECT_EQ(grid.viewport()->width(), 12 * grid.columnWidth(0));
    EXPECT_EQ(grid.viewport()->height(), 12 * grid.rowHeight(0));

    // As narrow as the results window opens on a 1024 px screen: the commands keep their whole
    // captions and the condition number moves below them, still whole.
    constexpr int kNarrowResults = 460;  // px, the results window beside the plot at 1024 px
    QWidget& frame = *results.parentWidget();
    frame.resize(kNarrowResults, frame.height());
    QApplication::processEvents();
    ASSERT_LE(results.width(), kNarrowResults);
    for (const QPushButton* command : {results.cmdUpdate(), results.cmdCorrelation()}) {
        EXPECT_GE(command->width(), command->sizeHint().width()) << command->text().toStdString();
    }
    EXPECT_GT(results.txtCond()->y(), results.cmdUpdate()->geometry().bottom());
    expectWholeConditionNumber(*results.txtCond());
}

}  // namespace
}  // namespace varnix::app
