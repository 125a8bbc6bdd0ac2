// Start-up, the fit-control file and the "ends the program" path, through the real settings
// routines of the output folder in a temporary start directory and the scripted dialogs.
#include "command_fixture.h"
#include "core/session/startup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

namespace varnix::app {
namespace {

using namespace test;
using Texts = std::vector<std::string>;
const std::string kUseOptions = "\nUse menue item Options to change defaults";
const std::string kSettingsError =
    std::string("Error in reading initialization parameters - defaults will be used")
        .append(kUseOptions);
const std::string kNostelMissing =
    std::string("Fortran dll nostel.DLL not found - using defaults").append(kUseOptions);
const std::string kEditFit =
    " - use Edit:Fit Parameters to edit default values - then save them";
const std::string kFitNotFound = std::string("FitFile not found").append(kEditFit);
const std::string kFitDataError = std::string("Data error in FitFile").append(kEditFit);
const std::string kJundraMissing = std::string("Fortran dll JUNDRA.DLL not found").append(kEditFit);
const std::string kSecondCopy =
    "Warning - program alrady open - 2nd instance may cause conflict - Continue?";

// Hand-written fit controls, none of them a default, so reading them is visible.
constexpr const char* kHandWrittenFitFile =
    "# written by hand\nmaxit 7\nrmin 2.5e-6\nlambda 0.5\nlambda_fac 4\n"
    "max_lambda_iterations 9\nsimpson_eps 1e-7\nmax_simpson_iterations 13\n"
    "integration_range 5.5\n";
const FitControls kHandWrittenControls{7, 2.5e-6, 0.5, 4.0, 9, 1e-7, 13, 5.5};
// What tests/data/settings/mixed_notation.dat states.
const Colours kMixedNotationColours{0x0000FF, 0xC0C0C0, 0xFFFFFF, 0x00FF00, 0xC0C0C0};

// Everything start-up must reset, set otherwise, so that a reset is seen.
Module1 usedModule()
{
    Module1 m;
    m.colours = {0x123456, 0x123456, 0x123456, 0x123456, 0x123456};
    m.dataExtension = "xyz";
    m.configExtension = "zyx";
    m.fitControls.maxit = 999;
    m.dataLoaded = m.configLoaded = true;
    m.configSaved = m.fitParametersSaved = m.dataSaved = m.calculationSaved = false;
    m.engineMode = 2;
    m.configuration.hmuConfig = 1486.6;
    m.currentPeak = 3;
    m.plot.plotType = 4;
    m.plot.residualScale = 10;
    return m;
}

// ---- Start-up with and without its files and libraries, and the second-copy warning ----

const std::string kExampleFini = VARNIX_EXAMPLES "/fini.dat";
const std::string kExampleFit = VARNIX_EXAMPLES "/FitFile.dat";
const std::string kMixedFini = VARNIX_TEST_DATA "/settings/mixed_notation.dat";
const std::string kBadFini = VARNIX_TEST_DATA "/settings/colour_out_of_range.dat";
const std::string kBadFit = VARNIX_TEST_DATA "/settings/fit_value_missing.dat";
const std::string kHandFit = "written by hand";

struct StartUpCase {
    const char* name;
    std::string fini, fit;  // copied into the start directory; empty: none
    bool libraries;
    std::optional<bool> secondCopy;  // another copy runs: the answer to the warning
    Texts messages;
};

class StartUp : public testing::TestWithParam<StartUpCase> {};

TEST_P(StartUp, MessagesInOrderAndDefaultsWhereReadingFailed)
{
    const StartUpCase& c = GetParam();
    TempFolder folder;
    if (!c.fini.empty()) {
        fs::copy_file(c.fini, folder.path() / "fini.dat");
    }
    const fs::path fit = folder.path() / "fitfile.dat";  // its name is matched in any case
    if (c.fit == kHandFit) {
        std::ofstream(fit) << kHandWrittenFitFile;
    } else if (!c.fit.empty()) {
        fs::copy_file(c.fit, fit);
    }
    LibraryLoader loader = c.libraries ? LibraryLoader() : loaderWithout(folder);
    ScriptedDialogs dialogs;
    script(dialogs, {}, c.secondCopy);
    FakeLock lock(!c.secondCopy);
    const Module1 before = usedModule();
    Module1 m = before;

    const StartUpOutcome outcome = startUp(m, dialogs, loader, lock, folder.path().string());

    EXPECT_EQ(dialogs.texts(), c.messages);
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
    EXPECT_EQ(outcome.proceed, c.secondCopy != false);
    if (!outcome.proceed) {
        EXPECT_EQ(m, before);  // nothing read, and no exit question due
        return;
    }
    EXPECT_EQ(outcome.statusLine, "  Waiting for user to open files");
    const bool custom = c.libraries && c.fini == kMixedFini;
    const bool fitRead = c.libraries && (c.fit == kExampleFit || c.fit == kHandFit);
    MenuState expectedMenu;
    expectedMenu.saveFitParameters.enabled = !fitRead;
    EXPECT_EQ(outcome.menu, expectedMenu);
    // The session starts afresh whatever the files said: defaults but for what was read.
    Module1 expected;
    expected.startDirectory = folder.path().string();
    expected.colours = custom ? kMixedNotationColours : Colours{};
    expected.dataExtension = custom ? "sx7" : "dat";
    expected.fitControls = fitRead && c.fit == kHandFit ? kHandWrittenControls : FitControls{};
    expected.fitParametersLoaded = true;
    expected.fitParametersSaved = fitRead;
    EXPECT_EQ(m, expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, StartUp, testing::Values(
    StartUpCase{"ExampleFiles", kExampleFini, kExampleFit, true, {}, {}},
    StartUpCase{"HandWrittenFiles", kMixedFini, kHandFit, true, {}, {}},
    StartUpCase{"MalformedSettings", kBadFini, kHandFit, true, {}, {kSettingsError}},
    StartUpCase{"MalformedFitFile", kMixedFini, kBadFit, true, {}, {kFitDataError}},
    StartUpCase{"NeitherFile", "", "", true, {}, {kSettingsError, kFitNotFound}},
    StartUpCase{"NoLibraries", kMixedFini, kHandFit, false, {}, {kNostelMissing, kJundraMissing}},
    // The file is looked for before its routine is loaded.
    StartUpCase{"LibrariesAndFilesMissing", "", "", false, {}, {kNostelMissing, kFitNotFound}},
    StartUpCase{"SecondCopyYes", "", "", true, true, {kSecondCopy, kSettingsError, kFitNotFound}},
    StartUpCase{"SecondCopyNo", kExampleFini, kExampleFit, true, false, {kSecondCopy}}),
    [](const testing::TestParamInfo<StartUpCase>& p) { return std::string(p.param.name); });
// clang-format on

// ---- The fit controls: refused writes, written and read back exactly, a data error ----

TEST(FitFile, OnlyAWriteThatSucceededMarksTheControlsSaved)
{
    TempFolder folder;
    LibraryLoader loader, none = loaderWithout(folder);
    ScriptedDialogs dialogs;
    MenuState menu;
    Module1 written;
    written.startDirectory = folder.path().string();
    written.fitParametersSaved = false;
    // Values without a short decimal form, so any rounding on the way shows.
    written.fitControls = {123, 1e-4 / 3.0, 0.1 + 0.2, 7.25, 17, 2.0 / 7.0 * 1e-6, 29, 2.0 / 3.0};
    fs::create_directory(folder.path() / "FitFile.dat");  // a folder where the file should be
    EXPECT_FALSE(saveFitParameters(written, dialogs, loader, menu));
    EXPECT_FALSE(saveFitParameters(written, dialogs, none, menu));
    EXPECT_FALSE(written.fitParametersSaved || menu.saveFitParameters.checked);
    EXPECT_EQ(dialogs.texts(), (Texts{"Error in writing data to FitFile.dat\n- repair file in text "
                                      "editor - or copy fitfile.sav to fitfile.dat",
                                      "Fortran dll KELSOP.DLL not found "}));
    fs::remove(folder.path() / "FitFile.dat");
    ASSERT_TRUE(saveFitParameters(written, dialogs, loader, menu));
    EXPECT_TRUE(written.fitParametersSaved && menu.saveFitParameters.checked);
    Module1 read;
    read.startDirectory = folder.path().string();
    ReadFitParameters(read, dialogs, loader, menu);
    EXPECT_EQ(read.fitControls, written.fitControls);
    EXPECT_TRUE(read.fitParametersSaved);
    EXPECT_EQ(dialogs.texts().size(), 2U);

    fs::copy_file(dataFile("settings/fit_not_finite.dat"), folder.path() / "FitFile.dat",
                  fs::copy_options::overwrite_existing);
    menu = MenuState{};
    ReadFitParameters(read, dialogs, loader, menu);
    EXPECT_EQ(dialogs.texts().back(), kFitDataError);
    EXPECT_EQ(read.fitControls, FitControls{});
    EXPECT_FALSE(read.fitParametersSaved);
    EXPECT_TRUE(menu.saveFitParameters.enabled);
}

// A file whose values a fit cannot use is a bad file: the defaults and the message of one.
struct LimitCase {
    const char* name;
    const char* line;  // replaces the hand-written file's line of that label
    bool accepted;
};

class FitFileLimits : public testing::TestWithParam<LimitCase> {};

TEST_P(FitFileLimits, ValuesOutsideTheDialogsLimitsAreADataError)
{
    const LimitCase& c = GetParam();
    std::string text = kHandWrittenFitFile;
    const std::string label = std::string(c.line).substr(0, std::string(c.line).find(' ') + 1);
    const std::size_t at = text.find("\n" + label) + 1;
    text.replace(at, text.find('\n', at) - at, c.line);
    TempFolder folder;
    std::ofstream(folder.path() / "FitFile.dat") << text;
    Module1 m;
    m.startDirectory = folder.path().string();
    ScriptedDialogs dialogs;
    MenuState menu;
    LibraryLoader loader;
    ReadFitParameters(m, dialogs, loader, menu);
    EXPECT_EQ(dialogs.texts(), c.accepted ? Texts{} : Texts{kFitDataError});
    EXPECT_EQ(m.fitParametersSaved, c.accepted);
    if (c.accepted) {
        EXPECT_NE(m.fitControls, FitControls{});
    } else {
        EXPECT_EQ(m.fitControls, FitControls{});
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Values, FitFileLimits, testing::Values(
    LimitCase{"MaxitZero", "maxit 0", true},
    LimitCase{"MaxitNegative", "maxit -1", false},
    LimitCase{"LambdaFacOne", "lambda_fac 1", false},
    LimitCase{"LambdaFacAboveOne", "lambda_fac 1.01", true},
    LimitCase{"EpsZero", "simpson_eps 0", false},
    LimitCase{"EpsNegative", "simpson_eps -1e-5", false},
    LimitCase{"SimpsonSix", "max_simpson_iterations 6", false},
    LimitCase{"SimpsonSeven", "max_simpson_iterations 7", true},
    LimitCase{"SimpsonThirty", "max_simpson_iterations 30", true},
    LimitCase{"SimpsonThirtyOne", "max_simpson_iterations 31", false}),
    [](const testing::TestParamInfo<LimitCase>& p) { return std::string(p.param.name); });
// clang-format on

// ---- The "ends the program" path ----

const std::string kConfigQuestion = "Config Data Not Saved - Continue Exit Anyway?";
const std::string kFitQuestion = "Fit Parameter Data Not Saved - Continue Exit Anyway?";
const std::string kEndMessage = "Fortran dll ZORVANT.DLL not found - ABORT";

struct EndCase {
    const char* name;
    bool saved;  // configuration and fit controls alike
    std::vector<bool> answers;
    Texts texts;
    bool quits;
};

class EndsTheProgram : public testing::TestWithParam<EndCase> {};

TEST_P(EndsTheProgram, MessageThenExitChecksOnTheMenusOfBeforeTheCommand)
{
    const EndCase& c = GetParam();
    Module1 m;
    m.configSaved = m.fitParametersSaved = c.saved;
    ScriptedDialogs dialogs;
    for (const bool answer : c.answers) {
        dialogs.answerYesNo(answer);
    }
    MenuState idle;  // data and configuration loaded
    idle.calculateSpectrum.enabled = idle.startFit.enabled = true;
    MenuState running;  // as a command leaves them while it runs
    running.breakFit.enabled = true;

    EXPECT_EQ(endProgram(m, dialogs, kEndMessage, idle, running), c.quits);
    EXPECT_EQ(dialogs.texts(), c.texts);
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
    EXPECT_EQ(m.exitCancelled, !c.quits);
    if (!c.quits) {
        // Each check enables its Save entry before it asks; the checks after a No never ran.
        MenuState expected = idle;
        expected.saveConfiguration.enabled = true;
        expected.saveFitParameters.enabled = std::ranges::count(c.texts, kFitQuestion) == 1;
        EXPECT_EQ(running, expected);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Answers, EndsTheProgram, testing::Values(
    EndCase{"NothingUnsaved", true, {}, {kEndMessage}, true},
    EndCase{"Confirmed", false, {true, true}, {kEndMessage, kConfigQuestion, kFitQuestion}, true},
    EndCase{"CancelledAtFirst", false, {false}, {kEndMessage, kConfigQuestion}, false},
    EndCase{"CancelledAtSecond", false, {true, false}, {kEndMessage, kConfigQuestion, kFitQuestion},
            false}),
    [](const testing::TestParamInfo<EndCase>& p) { return std::string(p.param.name); });
// clang-format on

}  // namespace
}  // namespace varnix::app
