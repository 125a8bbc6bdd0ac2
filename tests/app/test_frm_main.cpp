// The main window driven offscreen: start-up, the menu bar, File > Open > Data, Save As > Data,
// the energy shift, the header window and the exit checks, through the real file routines of
// the output folder and the scripted dialogs, in a temporary start directory seeded with the
// example settings and fit controls.
#include "apply_colours.h"
#include "contrast_reference.h"
#include "core/files/data_commands.h"
#include "core/files/data_file_choice.h"
#include "display/frm_graph.h"
#include "editor/frm_header.h"
#include "qt_environment.h"
#include "window_fixture.h"

#include <qcustomplot.h>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include <sstream>

namespace varnix::app {
namespace {

using namespace test;

const std::string kExitDataQuestion =
    "Modified Experimental Data Not Saved - Continue Exit Anyway?";
const std::string kMissing = "   does not exist  -  open files individually";

std::string contents(const std::string& file)
{
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class MainWindow : public WindowFixture {
protected:
    MainWindow() : WindowFixture(false) {}

    void openData(const std::string& file)
    {
        m_dialogs.answerOpenFile(file);
        trigger("mnuOpenItem_1");
    }

    void remember(const char* memory, const std::string& file)
    {
        std::ofstream(m_folder.file(memory)) << "\"" << file << "\"\n";
    }
};

TEST_F(MainWindow, StartsQuietlyWithTheMenusAndStatusStartUpGives)
{
    frmMain& w = started();
    EXPECT_TRUE(m_dialogs.records().empty());

    Module1 fresh;
    ScriptedDialogs quiet;
    FakeLock free(true);
    const StartUpOutcome expected = startUp(fresh, quiet, m_loader, free, m_folder.path().string());
    EXPECT_EQ(w.menuState(), expected.menu);
    // The window's inner size is the window's own; everything else is start-up's.
    fresh.innerWidth = m_module.innerWidth;
    fresh.innerHeight = m_module.innerHeight;
    EXPECT_EQ(m_module, fresh);
    EXPECT_EQ(w.statusText(), QStringLiteral("  Waiting for user to open files"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Varnix Version 1.06"));
    const char* captions[] = {
        "After Iteration :", "R:", "deltaR:", "Data File :", "Config. File :", "Photon Energy : "};
    for (int i = 0; i < kStatusPanels; ++i) {
        EXPECT_EQ(w.pnlStatus(i)->text().toStdString(), captions[i]);
        EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("pnlStatus_%1").arg(i)), w.pnlStatus(i));
    }
}

TEST_F(MainWindow, SecondCopyAnsweredNoStopsBeforeAnythingIsRead)
{
    FakeLock taken(false);
    m_dialogs.answerYesNo(false);
    frmMain w(m_module, m_dialogs, m_loader, taken);
    EXPECT_FALSE(w.Form_Load(m_folder.path().string()));
    EXPECT_EQ(m_dialogs.texts(),
              std::vector<std::string>{
                  "Warning - program alrady open - 2nd instance may cause conflict - Continue?"});
    EXPECT_FALSE(m_module.fitParametersLoaded);
}

struct EntryCase {
    const char* name;
    const char* caption;
    bool enabledAtStart;
};

// Top-level entries first, in menu-bar order; then entries of the submenus.
const EntryCase kEntries[] = {
    {"mnuFile", "File", true},
    {"mnuEdit", "Edit", false},
    {"mnuPlot", "Plot", false},
    {"mnuCalculate", "Calculate Spectrum", false},
    {"mnuFit", "Start Fit", false},
    {"mnuWrite", "Write", false},
    {"mnuBreak", "Break", false},
    {"mnuExit", "Exit", true},
    {"mnuHelp", "Help", true},
    {"mnuCustomize", "Customize", true},
    {"mnuNewItem_0", "Configuration", true},
    {"mnuOpenItem_0", "All Files", true},
    {"mnuOpenItem_1", "Data", true},
    {"mnuOpenItem_2", "Configuration", true},
    {"mnuSave", "Save ...", true},
    {"mnuSaveItem_1", "Fit Parameters", false},
    {"mnuSaveAs", "Save As ...", true},
    {"mnuSaveAsItem_0", "Data", false},  // nothing to save before a spectrum is read
    {"mnuSaveAsItem_1", "Configuration", false},
    {"mnuSaveAsItem_3", "Calculated Spectra + Data", false},
    {"mnuFitParItem_1", "Advanced", true},  // reached once Edit is
    {"mnuEnergyItem_2", "Energy Scale and Peak Positions by same amount", false},
    {"mnuPlotItem_4", "Exp and Calc Spectra + Residuals x10", false},
    {"mnuPrintItem_0", "Graph (to PostScript file)", false},
    {"mnuHelpItem_1", "About Varnix", true},
    {"mnuCustomizeItem_0", "Colours", true},
    {"mnuCustomizeItem_1", "File Extensions", true},
};

TEST_F(MainWindow, MenuBarHasEveryEntryWithItsCaptionAndOnlyWorkingOnesEnabled)
{
    frmMain& w = started();
    for (const EntryCase& entry : kEntries) {
        QAction* a = action(entry.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text().toStdString(), entry.caption) << entry.name;
        EXPECT_EQ(a->isEnabled(), entry.enabledAtStart) << entry.name;
    }
    const QList<QAction*> bar = w.menuBar()->actions();
    ASSERT_EQ(bar.size(), 10);
    for (qsizetype i = 0; i < bar.size(); ++i) {
        EXPECT_EQ(bar[i]->objectName().toStdString(), kEntries[static_cast<std::size_t>(i)].name);
    }
    EXPECT_EQ(action("mnuPlot")->menu()->actions().size(), 5);
    EXPECT_EQ(action("mnuWrite")->menu()->actions().size(), 4);
}

TEST_F(MainWindow, OpenDataLoadsTheExampleAndEnablesPlot)
{
    frmMain& w = started();
    const std::string file = example("synthetic_c1s.dat");
    openData(file);

    EXPECT_EQ(m_module.spectrum.np, 601);
    EXPECT_TRUE(m_module.dataLoaded);
    EXPECT_TRUE(action("mnuOpenItem_1")->isChecked());
    for (const char* entry : {"mnuPlot", "mnuEdit", "mnuEnergyItem_0", "mnuSaveAsItem_0"}) {
        EXPECT_TRUE(enabled(entry)) << entry;
    }
    // Without a configuration there are no peaks to move and nothing to calculate.
    for (const char* entry : {"mnuEnergyItem_1", "mnuEnergyItem_2", "mnuCalculate"}) {
        EXPECT_FALSE(enabled(entry)) << entry;
    }
    // The spectrum is shown at once.
    ASSERT_NE(w.graph(), nullptr);
    EXPECT_EQ(w.graph()->Graph1()->graphCount(), 1);
    EXPECT_TRUE(action("mnuPlotItem_0")->isChecked());
    EXPECT_FALSE(enabled("mnuPlotItem_1"));

    EXPECT_EQ(w.pnlStatus(3)->text(), QStringLiteral("Data File : synthetic_c1s.dat  "));
    EXPECT_TRUE(w.pnlStatus(5)->isHidden());  // kinetic energies: no photon energy to show
    EXPECT_EQ(contents(m_folder.file("last_data.dat")), "\"" + file + "\"\n");
    ASSERT_EQ(m_dialogs.records().size(), 1U);
    EXPECT_EQ(m_dialogs.records()[0].filter, "User Data Files (*.dat);;All Files (*)");
    EXPECT_EQ(m_dialogs.records()[0].defaultText, m_folder.path().string());

    // The next open proposes the file just opened.
    m_dialogs.answerOpenFile(std::nullopt);
    trigger("mnuOpenItem_1");
    EXPECT_EQ(m_dialogs.records().back().defaultText, file);
    // Nothing unsaved: exit asks nothing.
    EXPECT_TRUE(w.close());
    EXPECT_EQ(m_dialogs.records().size(), 2U);
}

TEST_F(MainWindow, OpenAllFilesOpensTheRememberedSpectrumWithoutADialog)
{
    frmMain& w = started();
    const std::string file = example("synthetic_c1s.dat");
    remember("last_data.dat", file);
    remember("last_config.dat", example("synthetic_c1s.cfg"));
    trigger("mnuOpenItem_0");

    EXPECT_TRUE(m_dialogs.records().empty());
    EXPECT_EQ(m_module.spectrum.fileName, file);
    EXPECT_EQ(m_module.spectrum.np, 601);
    EXPECT_TRUE(enabled("mnuPlot") && enabled("mnuSaveAsItem_0") && enabled("mnuCalculate"));
    EXPECT_EQ(w.pnlStatus(3)->text(), QStringLiteral("Data File : synthetic_c1s.dat  "));
    EXPECT_EQ(m_module.configuration.nds, 4);
    EXPECT_EQ(w.pnlStatus(4)->text(), QStringLiteral("Config. File : synthetic_c1s.cfg  "));
    EXPECT_TRUE(action("mnuOpenItem_0")->isChecked());
    EXPECT_EQ(w.statusText(), QStringLiteral("  Input data read - waiting for user action"));
}

// No memory of a spectrum, a remembered spectrum gone, an open cancelled or of a missing file:
// each changes nothing, and what is missing is named.
TEST_F(MainWindow, OpenThatFindsNothingChangesNothingAndNamesWhatIsMissing)
{
    frmMain& w = started();
    const Module1 before = m_module;
    const MenuState menuBefore = w.menuState();
    trigger("mnuOpenItem_0");
    const std::string gone = m_folder.file("deleted.dat");
    remember("last_data.dat", gone);
    trigger("mnuOpenItem_0");
    fs::remove(m_folder.file("last_data.dat"));
    m_dialogs.answerOpenFile(std::nullopt);
    trigger("mnuOpenItem_1");
    EXPECT_FALSE(fs::exists(m_folder.file("last_data.dat")));
    const std::string missing = m_folder.file("nowhere.dat");
    openData(missing);
    EXPECT_EQ(m_dialogs.texts(),
              (std::vector<std::string>{m_folder.file("last_data.dat") + kMissing, gone + kMissing,
                                        "Open Data File", "Open Data File", missing + kMissing}));
    EXPECT_EQ(m_module, before);
    EXPECT_EQ(w.menuState(), menuBefore);
    EXPECT_EQ(w.pnlStatus(3)->text(), QStringLiteral("Data File :"));

    // The spectrum opens; without a configuration remembered, its memory file is named.
    remember("last_data.dat", example("synthetic_c1s.dat"));
    trigger("mnuOpenItem_0");
    EXPECT_TRUE(m_module.dataLoaded);
    EXPECT_EQ(m_dialogs.texts().back(), m_folder.file("last_config.dat") + kMissing);
    EXPECT_FALSE(fs::exists(m_folder.file("last_config.dat")));
}

TEST_F(MainWindow, EnergyShiftMovesTheScaleOnlyForANumber)
{
    started();
    openData(example("synthetic_c1s.dat"));
    const Module1 opened = m_module;
    using Typed = std::optional<std::string>;
    for (const Typed& typed : {Typed("abc"), Typed(""), Typed("1,5"), Typed()}) {
        m_dialogs.answerInput(typed);
        trigger("mnuEnergyItem_0");
    }
    EXPECT_EQ(m_module, opened);

    m_dialogs.answerInput("-0.5");
    trigger("mnuEnergyItem_0");
    EXPECT_DOUBLE_EQ(m_module.spectrum.energy.front(), 280.0 - 0.5);  // the file's first energy
    EXPECT_DOUBLE_EQ(m_module.spectrum.energy.back(), 295.0 - 0.5);   // and its last
    EXPECT_FALSE(m_module.dataSaved);
    EXPECT_TRUE(m_dialogs.records().back().text.empty());  // the box asks with an empty prompt
    EXPECT_EQ(m_dialogs.unusedAnswers(), 0U);
}

// A photon energy typed leaves the data unsaved: exit asks and No keeps the window; Save As
// then writes them, photon energy included, and exit asks nothing more.
TEST_F(MainWindow, TypedPhotonEnergyIsUnsavedUntilSaveAsWritesIt)
{
    frmMain& w = started();
    const std::string source = dataFile("dat/binding_without_photon_energy.dat");
    m_dialogs.answerOpenFile(source).answerInput("1486.6");
    trigger("mnuOpenItem_1");
    EXPECT_EQ(w.pnlStatus(5)->text(), QStringLiteral("Photon Energy : 1486.600 eV  "));
    EXPECT_FALSE(w.pnlStatus(5)->isHidden());
    m_dialogs.answerYesNo(false);
    trigger("mnuExit");
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(m_dialogs.texts().back(), kExitDataQuestion);
    EXPECT_TRUE(m_module.exitCancelled);
    const Module1 typed = m_module;

    m_dialogs.answerSaveFile(std::nullopt);
    trigger("mnuSaveAsItem_0");
    m_dialogs.answerSaveFile(m_folder.path().string());  // a folder cannot be written as a file
    trigger("mnuSaveAsItem_0");
    EXPECT_EQ(m_module, typed);
    EXPECT_EQ(m_dialogs.texts().back(), "Error return from woldek.dll - incorrect write of data");

    const std::string saved = m_folder.file("saved.dat");
    m_dialogs.answerSaveFile(saved);
    trigger("mnuSaveAsItem_0");
    const DialogRecord& request = m_dialogs.records().back();
    EXPECT_EQ(request.filter,
              "All Data Files (*.dat);;Sx700 Data Files (*.sx7);;"
              "Scienta Data Files (*.sci);;All Files (*)");
    EXPECT_EQ(request.defaultText, source);
    EXPECT_TRUE(m_module.dataSaved);
    EXPECT_EQ(m_module.spectrum.fileName, saved);
    EXPECT_TRUE(action("mnuSaveAsItem_0")->isChecked());
    EXPECT_EQ(w.pnlStatus(3)->text(), QStringLiteral("Data File : saved.dat  "));
    EXPECT_EQ(contents(m_folder.file("last_data.dat")), "\"" + saved + "\"\n");

    Module1 back;
    ScriptedDialogs none;
    ASSERT_EQ(ReadData(back, none, m_loader, saved), kReadDone);
    EXPECT_EQ(back.spectrum.np, m_module.spectrum.np);
    EXPECT_DOUBLE_EQ(back.spectrum.hmu, 1486.6);
    const std::size_t shown = m_dialogs.records().size();
    EXPECT_TRUE(w.close());
    EXPECT_EQ(m_dialogs.records().size(), shown);
    EXPECT_EQ(m_dialogs.unusedAnswers(), 0U);
}

class HeaderWindow : public MainWindow {
protected:
    frmHeader* form() const
    {
        return m_window->mdiArea()->findChild<frmHeader*>(QStringLiteral("frmHeader"));
    }

    // Opens the header window and puts the cursor after its last line.
    QPlainTextEdit* openHeader()
    {
        trigger("mnuEditHeader");
        QPlainTextEdit* box = form()->txtHeader();
        box->moveCursor(QTextCursor::End);
        return box;
    }

    // As the user closes it; the deletion the event loop would do follows at once.
    void closeHeader()
    {
        form()->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

TEST_F(HeaderWindow, TypedLineIsMarkedAndATooLongOneStopsTheTransfer)
{
    started();
    openData(example("synthetic_c1s.dat"));
    const Module1 opened = m_module;
    const std::vector<std::string>& lines = opened.spectrum.headerLines;
    QString expected;
    for (const std::string& line : lines) {
        expected += QString::fromStdString(line) + QLatin1Char('\n');
    }
    EXPECT_EQ(openHeader()->toPlainText(), expected);
    EXPECT_TRUE(expected.startsWith(QStringLiteral("; Varnix example")));
    closeHeader();
    EXPECT_EQ(m_module, opened);  // closed untouched

    QTest::keyClicks(openHeader(), QStringLiteral("measured again"));
    EXPECT_FALSE(m_module.dataSaved);  // already on typing, before the window closes
    closeHeader();
    ASSERT_EQ(m_module.spectrum.nh, static_cast<int32_t>(lines.size()) + 1);
    EXPECT_EQ(m_module.spectrum.headerLines.back(), ";measured again");
    EXPECT_EQ(form(), nullptr);

    // 100 characters typed become 101 with the ";" in front: one too many.
    QPlainTextEdit* box = openHeader();
    QTest::keyClicks(box, QString(100, QLatin1Char('x')));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, QStringLiteral("lost"));
    closeHeader();
    EXPECT_EQ(m_dialogs.texts().back(),
              "String length is greater than100characters - string will be truncated");
    EXPECT_EQ(m_module.spectrum.nh, static_cast<int32_t>(lines.size()) + 1);

    m_dialogs.answerYesNo(false);
    EXPECT_FALSE(m_window->close());
    EXPECT_EQ(m_dialogs.texts().back(), kExitDataQuestion);
}

// Opening other data while the header window holds edits: the edits go to the spectrum they
// were typed for, never into the new one.
TEST_F(HeaderWindow, EditsStayWithTheirSpectrumWhenOtherDataAreOpened)
{
    started();
    openData(example("synthetic_c1s.dat"));
    QTest::keyClicks(openHeader(), QStringLiteral("typed for the example"));
    openData(example("lmfitxps_clean_Au_4f.csv"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form(), nullptr);
    EXPECT_EQ(m_module.spectrum.np, 294);
    for (const std::string& line : m_module.spectrum.headerLines) {
        EXPECT_EQ(line.find("typed for the example"), std::string::npos) << line;
    }
}

// ---- colours -------------------------------------------------------------------------------

// Colours that all differ and are not symmetric in their bytes, so that a colour taken from the
// wrong slot or with red and blue swapped shows. Written as 0xBBGGRR.
const QColor kRed(255, 0, 0);               // text 0x0000FF
const QColor kLightBlue(0xC0, 0xE0, 0xFF);  // window 0xFFE0C0
const QColor kYellow(255, 255, 0);          // text boxes 0x00FFFF
const QColor kDarkGreen(0, 0x80, 0);        // buttons 0x008000
const QColor kPurple(0x80, 0, 0x80);        // options 0x800080

TEST_F(MainWindow, WindowsTakeTheirColoursFromTheSettingsOnLoad)
{
    std::ofstream(m_folder.file("fini.dat"), std::ios::trunc)
        << "data_extension dat\nconfig_extension cfg\ntext_colour 0x0000FF\n"
           "window_back_colour 0xFFE0C0\ntext_box_back_colour 0x00FFFF\n"
           "button_back_colour 0x008000\noption_back_colour 0x800080\n";
    frmMain& w = started();
    ASSERT_TRUE(m_dialogs.records().empty());  // the settings were read, not defaulted

    EXPECT_EQ(w.palette().color(QPalette::Window), kLightBlue);
    EXPECT_EQ(w.palette().color(QPalette::WindowText), kRed);
    const auto* status = w.findChild<QLineEdit*>(QStringLiteral("txtStatus"));
    EXPECT_EQ(status->palette().color(QPalette::Base), kYellow);
    EXPECT_EQ(status->palette().color(QPalette::Text), kRed);
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("lblStatus"))->palette().color(QPalette::Window),
              kLightBlue);

    openData(example("synthetic_c1s.dat"));
    trigger("mnuEditHeader");
    EXPECT_EQ(w.mdiArea()->findChild<frmHeader*>()->palette().color(QPalette::Window), kLightBlue);
    EXPECT_EQ(w.mdiArea()->findChild<frmHeader*>()->txtHeader()->palette().color(QPalette::Base),
              kYellow);
}

// No library anywhere: start-up says so once for the settings and once for the fit controls,
// in that order, and runs on with the defaults; a data command then says which routine is
// missing and opens nothing, and the exit checks still offer to save the default controls.
TEST_F(MainWindow, WithoutLibrariesStartUpUsesDefaultsAndCommandsSayWhatIsMissing)
{
    LibraryLoader none = loaderWithout(m_folder);
    m_dialogs.answerOpenFile(example("synthetic_c1s.dat")).answerYesNo(false);
    frmMain w(m_module, m_dialogs, none, m_lock);
    ASSERT_TRUE(w.Form_Load(m_folder.path().string()));
    w.show();

    ASSERT_EQ(m_dialogs.records().size(), 2U);
    EXPECT_EQ(m_dialogs.records()[0].text,
              "Fortran dll nostel.DLL not found - using defaults\n"
              "Use menue item Options to change defaults");
    EXPECT_EQ(m_dialogs.records()[1].text,
              "Fortran dll JUNDRA.DLL not found - use Edit:Fit Parameters to edit default "
              "values - then save them");
    EXPECT_EQ(m_module.colours, Colours{});
    EXPECT_EQ(m_module.fitControls, FitControls{});
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xC0));

    w.findChild<QAction*>(QStringLiteral("mnuOpenItem_1"))->trigger();
    EXPECT_EQ(m_dialogs.records().back().text, "Fortran dll TESSOR.DLL not found - ABORT");
    EXPECT_FALSE(m_module.dataLoaded);
    EXPECT_FALSE(w.menuState().plot.enabled);

    w.close();
    EXPECT_EQ(m_dialogs.records().back().text,
              "Fit Parameter Data Not Saved - Continue Exit Anyway?");
    EXPECT_TRUE(w.isVisible());
}

// One control of each kind in a window of its own: the first matching kind decides.
TEST(ApplyColours, EachKindOfControlGetsItsColours)
{
    const Colours colours{0x0000FF, 0xFFE0C0, 0x00FFFF, 0x008000, 0x800080};
    QWidget window;
    auto* masked = new QLineEdit(&window);
    masked->setInputMask(QStringLiteral("99.99"));
    auto* combo = new QComboBox(&window);
    auto* grid = new QTableWidget(2, 2, &window);
    auto* button = new QPushButton(QStringLiteral("Apply"), &window);
    const QColor buttonText = button->palette().color(QPalette::ButtonText);
    auto* option = new QRadioButton(&window);
    auto* container = new QWidget(&window);
    auto* inner = new QLineEdit(container);  // a text box inside a frame is still a text box
    auto* bar = new QMenuBar(&window);
    ApplyColours(window, colours);

    struct Expected {
        const QWidget* control;
        QPalette::ColorRole role;
        QColor colour;
    };
    for (const Expected& e :
         {Expected{masked, QPalette::Base, Qt::white}, Expected{masked, QPalette::Text, kRed},
          Expected{combo, QPalette::Base, kYellow}, Expected{grid, QPalette::Base, kYellow},
          Expected{grid, QPalette::Text, kRed},
          Expected{grid->horizontalHeader(), QPalette::Button, Qt::white},
          Expected{grid->verticalHeader(), QPalette::Button, Qt::white},
          Expected{button, QPalette::Button, kDarkGreen},
          Expected{button, QPalette::ButtonText, buttonText},
          Expected{option, QPalette::Window, kPurple}, Expected{option, QPalette::WindowText, kRed},
          Expected{container, QPalette::Window, kLightBlue},
          Expected{inner, QPalette::Base, kYellow}, Expected{&window, QPalette::Window, kLightBlue},
          Expected{&window, QPalette::WindowText, kRed},
          Expected{bar, QPalette::ButtonText, kRed}}) {
        EXPECT_EQ(e.control->palette().color(e.role), e.colour)
            << e.control->metaObject()->className() << " role " << e.role;
    }

    // Disabled text readable on its own background, whatever the colours.
    struct Disabled {
        const QWidget* control;
        QPalette::ColorRole text;
        QPalette::ColorRole back;
    };
    const auto bgr = [](const QColor& c) { return c.red() | c.green() << 8 | c.blue() << 16; };
    for (const Disabled& d : {Disabled{masked, QPalette::Text, QPalette::Base},
                              Disabled{combo, QPalette::Text, QPalette::Base},
                              Disabled{grid, QPalette::Text, QPalette::Base},
                              Disabled{button, QPalette::ButtonText, QPalette::Button},
                              Disabled{option, QPalette::WindowText, QPalette::Window},
                              Disabled{container, QPalette::WindowText, QPalette::Window},
                              Disabled{bar, QPalette::ButtonText, QPalette::Window}}) {
        const QPalette& p = d.control->palette();
        EXPECT_GE(wcagContrast(bgr(p.color(QPalette::Disabled, d.text)),
                               bgr(p.color(QPalette::Disabled, d.back))),
                  kWcagReadable)
            << d.control->metaObject()->className();
    }
}

// ---- choosing the data file, without a window ----------------------------------------------

TEST(DataFileChoice, ProposesConfigurationNameThenLastExistingFileThenNone)
{
    TempFolder folder;
    Module1 m;
    m.startDirectory = folder.path().string();
    EXPECT_EQ(proposedDataName(m), std::nullopt);

    // A name kept by hand, relative to the start directory, of a file that exists.
    std::ofstream(folder.file("spectrum.dat")) << "1 2\n";
    std::ofstream(folder.file("last_data.dat")) << "\"spectrum.dat\"\r\n";
    EXPECT_EQ(proposedDataName(m), folder.file("spectrum.dat"));

    // A remembered region is proposed as its file: the dialog chooses files.
    std::ofstream(folder.file("last_data.dat")) << "\"spectrum.dat#3\"\n";
    EXPECT_EQ(proposedDataName(m), folder.file("spectrum.dat"));

    ASSERT_TRUE(rememberDataName(m.startDirectory, folder.file("gone.dat")));
    EXPECT_EQ(lastDataName(m.startDirectory), folder.file("gone.dat"));
    EXPECT_EQ(proposedDataName(m), std::nullopt);

    m.configLoaded = true;
    m.dataExtension = "xps";
    EXPECT_EQ(proposedDataName(m), std::nullopt);  // a new configuration names nothing
    m.configuration.fileName = "/some/where/c1s.fit.cfg";
    EXPECT_EQ(proposedDataName(m), "/some/where/c1s.xps");
    EXPECT_EQ(dataFileRequest(m).filter, "User Data Files (*.xps);;All Files (*)");

    // An unwritable start directory is reported.
    EXPECT_FALSE(rememberDataName(folder.file("no_such_folder"), "/x.dat"));
    EXPECT_EQ(lastDataName(folder.file("no_such_folder")), std::nullopt);
}

}  // namespace
}  // namespace varnix::app
