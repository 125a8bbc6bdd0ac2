// Start-up, the fit-control file and the "ends the program" path, through the real settings
// routines of the output folder in a temporary start directory and the scripted dialogs.
#include "core/scripted_dialogs.h"
#include "core/startup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>  // mkdtemp
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace varnix::app {
namespace {

namespace fs = std::filesystem;

const std::string kSettingsError =
    "Error in reading initialization parameters - defaults will be used\n"
    "Use menue item Options to change defaults";
const std::string kNostelMissing =
    "Fortran dll nostel.DLL not found - using defaults\n"
    "Use menue item Options to change defaults";
const std::string kFitNotFound =
    "FitFile not found - use Edit:Fit Parameters to edit default values - then save them";
const std::string kFitDataError =
    "Data error in FitFile - use Edit:Fit Parameters to edit default values - then save them";
const std::string kJundraMissing =
    "Fortran dll JUNDRA.DLL not found - use Edit:Fit Parameters to edit default values - then "
    "save them";
const std::string kWriteError =
    "Error in writing data to FitFile.dat\n"
    "- repair file in text editor - or copy fitfile.sav to fitfile.dat";
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

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "varnix_startup_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder");
        }
        m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return m_path; }
    std::string string() const { return m_path.string(); }

private:
    fs::path m_path;
};

class FakeLock final : public InstanceLock {
public:
    explicit FakeLock(bool free) : m_free(free) {}
    bool acquire() override { return m_free; }

private:
    bool m_free;
};

void writeText(const fs::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

// Everything start-up must reset, set otherwise, so that a reset is seen.
Module1 usedModule()
{
    Module1 m;
    m.colours = {0x123456, 0x123456, 0x123456, 0x123456, 0x123456};
    m.dataExtension = "xyz";
    m.configExtension = "zyx";
    m.fitControls.maxit = 999;
    m.fitControls.rmin = 0.25;
    m.dataLoaded = true;
    m.configLoaded = true;
    m.engineMode = 2;
    m.configSaved = false;
    m.fitParametersSaved = false;
    m.dataSaved = false;
    m.calculationSaved = false;
    m.configuration.hmuConfig = 1486.6;
    m.currentPeak = 3;
    m.plotType = 4;
    m.residualScale = 10;
    return m;
}

// ---- Start-up with and without its files and libraries -----------------------------------

enum class Seed { None, Example, HandWritten, Malformed };

struct StartUpCase {
    const char* name;
    Seed settings;
    Seed fitFile;
    const char* fitFileName;  // as it lies in the start directory
    bool librariesPresent;
    std::vector<std::string> messages;
};

// Failures name the case rather than dump its bytes.
void PrintTo(const StartUpCase& c, std::ostream* os) { *os << c.name; }

class StartUpFiles : public ::testing::TestWithParam<StartUpCase> {
protected:
    void seed(const StartUpCase& c)
    {
        const fs::path data(VARNIX_TEST_DATA);
        const fs::path examples(VARNIX_EXAMPLES);
        const fs::path fini = m_folder.path() / "fini.dat";
        const fs::path fit = m_folder.path() / c.fitFileName;
        switch (c.settings) {
        case Seed::None: break;
        case Seed::Example: fs::copy_file(examples / "fini.dat", fini); break;
        case Seed::HandWritten: fs::copy_file(data / "settings/mixed_notation.dat", fini); break;
        case Seed::Malformed: fs::copy_file(data / "settings/colour_out_of_range.dat", fini); break;
        }
        switch (c.fitFile) {
        case Seed::None: break;
        case Seed::Example: fs::copy_file(examples / "FitFile.dat", fit); break;
        case Seed::HandWritten: writeText(fit, kHandWrittenFitFile); break;
        case Seed::Malformed: fs::copy_file(data / "settings/fit_value_missing.dat", fit); break;
        }
    }

    TempFolder m_folder;
};

TEST_P(StartUpFiles, MessagesInOrderAndDefaultsWhereReadingFailed)
{
    const StartUpCase& c = GetParam();
    seed(c);
    const fs::path noLibraries = m_folder.path() / "no_libraries";
    fs::create_directory(noLibraries);
    LibraryLoader loader = c.librariesPresent ? LibraryLoader() : LibraryLoader(noLibraries, false);
    ScriptedDialogs dialogs;
    FakeLock lock(true);
    Module1 m = usedModule();

    const StartUpOutcome outcome = startUp(m, dialogs, loader, lock, m_folder.string());

    EXPECT_TRUE(outcome.proceed);
    EXPECT_EQ(dialogs.texts(), c.messages);
    EXPECT_EQ(outcome.statusLine, "  Waiting for user to open files");
    EXPECT_EQ(m.startDirectory, m_folder.string());

    const bool settingsRead = c.librariesPresent
                              && (c.settings == Seed::Example || c.settings == Seed::HandWritten);
    const bool customSettings = settingsRead && c.settings == Seed::HandWritten;
    EXPECT_EQ(m.colours, customSettings ? kMixedNotationColours : Colours{});
    EXPECT_EQ(m.dataExtension, customSettings ? "sx7" : "dat");
    EXPECT_EQ(m.configExtension, "cfg");

    const bool fitRead = c.librariesPresent
                         && (c.fitFile == Seed::Example || c.fitFile == Seed::HandWritten);
    EXPECT_EQ(m.fitControls,
              fitRead && c.fitFile == Seed::HandWritten ? kHandWrittenControls : FitControls{});
    EXPECT_EQ(m.fitParametersSaved, fitRead);
    MenuState expectedMenu;
    expectedMenu.saveFitParameters.enabled = !fitRead;
    EXPECT_EQ(outcome.menu, expectedMenu);

    // The session starts afresh whatever the files said.
    EXPECT_TRUE(m.fitParametersLoaded);
    EXPECT_FALSE(m.dataLoaded);
    EXPECT_FALSE(m.configLoaded);
    EXPECT_TRUE(m.configSaved);
    EXPECT_TRUE(m.dataSaved);
    EXPECT_TRUE(m.calculationSaved);
    EXPECT_EQ(m.engineMode, 0);
    EXPECT_EQ(m.configuration.hmuConfig, 0.0);
    EXPECT_EQ(m.currentPeak, 1);
    EXPECT_EQ(m.plotType, 0);
    EXPECT_EQ(m.residualScale, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Startup, StartUpFiles,
    ::testing::Values(
        StartUpCase{"ExampleFiles", Seed::Example, Seed::Example, "FitFile.dat", true, {}},
        StartUpCase{"HandWrittenFiles", Seed::HandWritten, Seed::HandWritten, "FitFile.dat",
                    true, {}},
        StartUpCase{"FitFileNamedInOtherCase", Seed::HandWritten, Seed::HandWritten,
                    "fitfile.dat", true, {}},
        StartUpCase{"NoSettingsFile", Seed::None, Seed::HandWritten, "FitFile.dat", true,
                    {kSettingsError}},
        StartUpCase{"MalformedSettings", Seed::Malformed, Seed::HandWritten, "FitFile.dat",
                    true, {kSettingsError}},
        StartUpCase{"NoFitFile", Seed::HandWritten, Seed::None, "FitFile.dat", true,
                    {kFitNotFound}},
        StartUpCase{"MalformedFitFile", Seed::HandWritten, Seed::Malformed, "FitFile.dat",
                    true, {kFitDataError}},
        StartUpCase{"NeitherFile", Seed::None, Seed::None, "FitFile.dat", true,
                    {kSettingsError, kFitNotFound}},
        StartUpCase{"LibrariesMissing", Seed::HandWritten, Seed::HandWritten, "FitFile.dat",
                    false, {kNostelMissing, kJundraMissing}},
        // The file is looked for before its routine is loaded.
        StartUpCase{"LibrariesAndFilesMissing", Seed::None, Seed::None, "FitFile.dat", false,
                    {kNostelMissing, kFitNotFound}}),
    [](const ::testing::TestParamInfo<StartUpCase>& param) { return param.param.name; });

// ---- The second-copy warning --------------------------------------------------------------

struct SecondCopyCase {
    const char* name;
    bool lockFree;
    std::optional<bool> answer;  // to the warning, when it is asked
    bool proceeds;
};

void PrintTo(const SecondCopyCase& c, std::ostream* os) { *os << c.name; }

class SecondCopy : public ::testing::TestWithParam<SecondCopyCase> {};

TEST_P(SecondCopy, OnlyNoEndsTheProgramAndThenBeforeAnythingIsRead)
{
    const SecondCopyCase& c = GetParam();
    TempFolder folder;  // no files: a start-up that goes on says so
    ScriptedDialogs dialogs;
    if (c.answer) {
        dialogs.answerYesNo(*c.answer);
    }
    LibraryLoader loader;
    FakeLock lock(c.lockFree);
    const Module1 before = usedModule();
    Module1 m = before;

    const StartUpOutcome outcome = startUp(m, dialogs, loader, lock, folder.string());

    EXPECT_EQ(outcome.proceed, c.proceeds);
    std::vector<std::string> expected;
    if (c.answer) {
        expected.push_back(kSecondCopy);
    }
    if (c.proceeds) {
        expected.push_back(kSettingsError);
        expected.push_back(kFitNotFound);
    } else {
        EXPECT_EQ(m, before);  // no exit question due: nothing was touched
    }
    EXPECT_EQ(dialogs.texts(), expected);
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
}

INSTANTIATE_TEST_SUITE_P(Startup, SecondCopy,
                         ::testing::Values(SecondCopyCase{"OnlyCopy", true, std::nullopt, true},
                                           SecondCopyCase{"AnsweredYes", false, true, true},
                                           SecondCopyCase{"AnsweredNo", false, false, false}),
                         [](const ::testing::TestParamInfo<SecondCopyCase>& param) {
                             return param.param.name;
                         });

// ---- Fit-control files JUNDRA refuses -----------------------------------------------------

class FitFileDataError : public ::testing::TestWithParam<const char*> {};

TEST_P(FitFileDataError, DefaultsStandAndTheirSaveIsOffered)
{
    TempFolder folder;
    fs::copy_file(fs::path(VARNIX_TEST_DATA) / "settings" / GetParam(),
                  folder.path() / "FitFile.dat");
    ScriptedDialogs dialogs;
    LibraryLoader loader;
    MenuState menu;
    Module1 m = usedModule();
    m.fitParametersSaved = true;
    m.startDirectory = folder.string();

    ReadFitParameters(m, dialogs, loader, menu);

    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{kFitDataError});
    EXPECT_EQ(m.fitControls, FitControls{});
    EXPECT_FALSE(m.fitParametersSaved);
    EXPECT_TRUE(menu.saveFitParameters.enabled);
}

INSTANTIATE_TEST_SUITE_P(Startup, FitFileDataError,
                         ::testing::Values("empty.dat", "fit_value_missing.dat",
                                           "fit_two_values.dat", "fit_not_finite.dat",
                                           "fit_integer_too_large.dat",
                                           "fit_missing_label.dat"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                             std::string name = fs::path(param.param).stem().string();
                             std::erase(name, '_');
                             return name;
                         });

// ---- Writing the fit controls -------------------------------------------------------------

TEST(FitFile, SavedControlsReadBackExactly)
{
    TempFolder folder;
    ScriptedDialogs dialogs;
    LibraryLoader loader;
    MenuState menu;
    Module1 written;
    written.startDirectory = folder.string();
    written.fitParametersSaved = false;
    // Values without a short decimal form, so any rounding on the way shows.
    written.fitControls = {123, 1e-4 / 3.0, 0.1 + 0.2, 7.25, 17, 2.0 / 7.0 * 1e-6, 33, 2.0 / 3.0};

    ASSERT_TRUE(saveFitParameters(written, dialogs, loader, menu));
    EXPECT_TRUE(written.fitParametersSaved);
    EXPECT_TRUE(menu.saveFitParameters.checked);

    Module1 read;
    read.startDirectory = folder.string();
    ReadFitParameters(read, dialogs, loader, menu);
    EXPECT_EQ(read.fitControls, written.fitControls);
    EXPECT_TRUE(read.fitParametersSaved);
    EXPECT_TRUE(dialogs.texts().empty());
}

enum class WriteFault { FolderMissing, TargetIsFolder, ValueNotFinite, LibraryMissing };

struct WriteFailureCase {
    const char* name;
    WriteFault fault;
    std::string message;
};

void PrintTo(const WriteFailureCase& c, std::ostream* os) { *os << c.name; }

class FitFileWriteFailure : public ::testing::TestWithParam<WriteFailureCase> {};

TEST_P(FitFileWriteFailure, TheControlsStayUnsaved)
{
    const WriteFailureCase& c = GetParam();
    TempFolder folder;
    const fs::path noLibraries = folder.path() / "no_libraries";
    fs::create_directory(noLibraries);
    LibraryLoader loader = c.fault == WriteFault::LibraryMissing
                               ? LibraryLoader(noLibraries, false)
                               : LibraryLoader();
    Module1 m;
    m.startDirectory = folder.string();
    m.fitParametersSaved = false;
    switch (c.fault) {
    case WriteFault::FolderMissing: m.startDirectory = (folder.path() / "gone").string(); break;
    case WriteFault::TargetIsFolder: fs::create_directory(folder.path() / "FitFile.dat"); break;
    case WriteFault::ValueNotFinite:
        m.fitControls.rmin = std::numeric_limits<double>::quiet_NaN();
        break;
    case WriteFault::LibraryMissing: break;
    }
    ScriptedDialogs dialogs;
    MenuState menu;

    EXPECT_FALSE(saveFitParameters(m, dialogs, loader, menu));
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{c.message});
    EXPECT_FALSE(m.fitParametersSaved);
    EXPECT_FALSE(menu.saveFitParameters.checked);
}

INSTANTIATE_TEST_SUITE_P(
    Startup, FitFileWriteFailure,
    ::testing::Values(
        WriteFailureCase{"FolderMissing", WriteFault::FolderMissing, kWriteError},
        WriteFailureCase{"TargetIsFolder", WriteFault::TargetIsFolder, kWriteError},
        WriteFailureCase{"ValueNotFinite", WriteFault::ValueNotFinite, kWriteError},
        WriteFailureCase{"LibraryMissing", WriteFault::LibraryMissing,
                         "Fortran dll KELSOP.DLL not found "}),
    [](const ::testing::TestParamInfo<WriteFailureCase>& param) { return param.param.name; });

// ---- The "ends the program" path ----------------------------------------------------------

const std::string kConfigQuestion = "Config Data Not Saved - Continue Exit Anyway?";
const std::string kFitQuestion = "Fit Parameter Data Not Saved - Continue Exit Anyway?";
const std::string kEndMessage = "Fortran dll ZORVANT.DLL not found - ABORT";

struct EndCase {
    const char* name;
    bool configSaved;
    bool fitParametersSaved;
    std::vector<bool> answers;
    std::vector<std::string> texts;
    bool quits;
};

void PrintTo(const EndCase& c, std::ostream* os) { *os << c.name; }

class EndsTheProgram : public ::testing::TestWithParam<EndCase> {};

TEST_P(EndsTheProgram, MessageThenExitChecksOnTheMenusOfBeforeTheCommand)
{
    const EndCase& c = GetParam();
    Module1 m;
    m.configSaved = c.configSaved;
    m.fitParametersSaved = c.fitParametersSaved;
    ScriptedDialogs dialogs;
    for (const bool answer : c.answers) {
        dialogs.answerYesNo(answer);
    }
    MenuState idle;  // data and configuration loaded
    idle.calculateSpectrum.enabled = true;
    idle.startFit.enabled = true;
    MenuState running = idle;  // as a command leaves them while it runs
    running.calculateSpectrum.enabled = false;
    running.startFit.enabled = false;
    running.breakFit.enabled = true;

    EXPECT_EQ(endProgram(m, dialogs, kEndMessage, idle, running), c.quits);

    EXPECT_EQ(dialogs.texts(), c.texts);
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
    EXPECT_EQ(m.exitCancelled, !c.quits);
    if (!c.quits) {
        // Each check enables its Save entry before it asks; the checks after a No never ran.
        const auto asked = [&c](const std::string& question) {
            return std::ranges::find(c.texts, question) != c.texts.end();
        };
        MenuState expected = idle;
        expected.saveConfiguration.enabled = asked(kConfigQuestion);
        expected.saveFitParameters.enabled = asked(kFitQuestion);
        EXPECT_EQ(running, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Startup, EndsTheProgram,
    ::testing::Values(
        EndCase{"NothingUnsaved", true, true, {}, {kEndMessage}, true},
        EndCase{"UnsavedAndExitConfirmed", false, false, {true, true},
                {kEndMessage, kConfigQuestion, kFitQuestion}, true},
        EndCase{"ExitCancelledAtFirstQuestion", false, false, {false},
                {kEndMessage, kConfigQuestion}, false},
        EndCase{"ExitCancelledAtSecondQuestion", false, false, {true, false},
                {kEndMessage, kConfigQuestion, kFitQuestion}, false}),
    [](const ::testing::TestParamInfo<EndCase>& param) { return param.param.name; });

}  // namespace
}  // namespace varnix::app
