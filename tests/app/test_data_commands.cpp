// The data commands through the real file routines of the output folder and scripted dialogs.
// Expected values are read off the files themselves (tests/data/real/PROVENANCE.md).
#include "core/data_commands.h"
#include "core/number_format.h"
#include "core/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace varnix::app {
namespace {

namespace fs = std::filesystem;

const std::string kData = VARNIX_TEST_DATA;
// Energies go through HMU − E once; the files' decimals survive that to well below this.
constexpr double kEnergyTol = 1e-9;

std::string dataFile(const std::string& name)
{
    return kData + "/" + name;
}

fs::path programFolder()
{
    return fs::read_symlink("/proc/self/exe").parent_path();
}

// A folder of its own per test, removed afterwards.
class TempFolder {
public:
    TempFolder()
        : m_path(fs::temp_directory_path()
                 / ("varnix_data_commands_" + std::to_string(::getpid()) + "_"
                    + testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempFolder() { fs::remove_all(m_path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

// A module holding an earlier spectrum with flags no read would produce, so that a read that
// touched anything at all shows in a comparison.
Module1 moduleWithEarlierSpectrum()
{
    Module1 m;
    m.spectrum.np = 2;
    m.spectrum.energy = {10.0, 11.0};
    m.spectrum.counts = {4.0, 9.0};
    m.spectrum.sigma = {3.0, 4.0};
    m.spectrum.calculated = {0.0, 0.0};
    m.spectrum.fileName = "earlier.dat";
    m.dataLoaded = true;
    m.dataSaved = false;
    m.calculationDone = true;
    m.calculationSaved = false;
    m.plotType = 3;
    return m;
}

// ---- Successful reads: kinetic and binding files of several formats ----

struct ReadCase {
    const char* name;
    const char* file;
    std::optional<std::string> photonEnergyAnswer;  // typed into the input box when asked
    bool continueAfterError;                        // Yes to the data-error question
    bool lastZeroOk;                                // OK to the last-energy question
    int32_t np;
    double firstEnergy, lastEnergy;  // kinetic, as held after the read
    double firstCount;
    bool binding;
    double hmu;
    bool dataSaved;
    std::vector<std::string> dialogTexts;
};

class ReadDataFiles : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadDataFiles, HoldsKineticEnergiesWeightsAndFlags)
{
    const ReadCase& c = GetParam();
    Module1 m = moduleWithEarlierSpectrum();
    ScriptedDialogs dialogs;
    if (c.photonEnergyAnswer) {
        dialogs.answerInput(c.photonEnergyAnswer);
    }
    if (c.continueAfterError) {
        dialogs.answerYesNo(true);
    }
    if (c.lastZeroOk) {
        dialogs.answerOkCancel(true);
    }
    LibraryLoader loader;
    ASSERT_EQ(ReadData(m, dialogs, loader, dataFile(c.file)), kReadDone);
    EXPECT_EQ(dialogs.texts(), c.dialogTexts);
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
    const Spectrum& s = m.spectrum;
    ASSERT_EQ(s.np, c.np);
    ASSERT_EQ(s.energy.size(), static_cast<std::size_t>(c.np));
    ASSERT_EQ(s.sigma.size(), static_cast<std::size_t>(c.np));
    EXPECT_EQ(s.calculated, std::vector<double>(static_cast<std::size_t>(c.np), 0.0));
    EXPECT_NEAR(s.energy.front(), c.firstEnergy, kEnergyTol);
    EXPECT_NEAR(s.energy.back(), c.lastEnergy, kEnergyTol);
    EXPECT_NEAR(s.counts.front(), c.firstCount, 1e-9 * c.firstCount);
    for (std::size_t i = 0; i < s.counts.size(); ++i) {
        EXPECT_DOUBLE_EQ(s.sigma[i], std::sqrt(s.counts[i]) + 1.0) << i;
    }
    EXPECT_EQ(s.binding, c.binding);
    EXPECT_EQ(s.photonEnergyKnown, c.binding);
    EXPECT_EQ(s.hmu, c.hmu);
    EXPECT_EQ(s.fileName, dataFile(c.file));
    EXPECT_EQ(static_cast<std::size_t>(s.nh), s.headerLines.size());
    EXPECT_EQ(m.dataSaved, c.dataSaved);
    // ReadData leaves the open command's flags to the open command.
    EXPECT_TRUE(m.calculationDone);
    EXPECT_EQ(m.plotType, 3);
    if (c.binding) {
        EXPECT_EQ(photonEnergyPanel(s),
                  "Photon Energy : " + formatNumber(c.hmu, "0.000") + " eV  ");
    } else {
        EXPECT_EQ(photonEnergyPanel(s), std::nullopt);
    }
}

const std::string kAskPhotonEnergy = "Enter photon energy";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Formats, ReadDataFiles,
    testing::Values(
        ReadCase{"DatKineticWithPhotonEnergy", "dat/kinetic_with_photon_energy.dat", {}, false,
                 false, 2, 84.0, 95.9984, 9616, false, 180, true, {}},
        ReadCase{"DatBindingWithPhotonEnergy", "dat/binding_with_photon_energy.dat", {}, false,
                 false, 3, 1486.6 - 88.0, 1486.6 - 87.0, 2100, true, 1486.6, true, {}},
        ReadCase{"DatBindingPhotonEnergyTyped", "dat/binding_without_photon_energy.dat",
                 "1253.6", false, false, 2, 1253.6 - 305, 1253.6 - 275, 2047.5, true, 1253.6,
                 false, {kAskPhotonEnergy}},
        ReadCase{"DatBindingPhotonEnergyTypedWithBlanksAndExponent",
                 "dat/binding_without_photon_energy.dat", " 1.4866e3 ", false, false, 2,
                 1486.6 - 305, 1486.6 - 275, 2047.5, true, 1486.6, false, {kAskPhotonEnergy}},
        ReadCase{"DatCrlf", "dat/crlf.dat", {}, false, false, 3, 100.5, 101.5, 10, false, 0,
                 true, {}},
        ReadCase{"DatLastEnergyZeroDropped", "dat/last_energy_zero.dat", {}, false, true, 2,
                 1486.6 - 2, 1486.6 - 1, 20, true, 1486.6, true,
                 {"Warning - last energy is zero - probable error at end of data file - "
                  "Continue ?"}},
        ReadCase{"DatBrokenAfterThreeContinued", "dat/broken_after_3_points.dat", {}, true,
                 false, 3, 1, 3, 10, false, 0, true,
                 {"Warning - error in reading data after3Continue ?"}},
        ReadCase{"CsvKinetic", "real/lmfitxps_clean_Au_4f.csv", {}, false, false, 294, 84.0,
                 95.9984, 9616, false, 180, true, {}},
        // PHI gives counts per second; dwell 0.4 s and 1 scan make 2047.5 c/s 819 counts.
        ReadCase{"VamasPhiBinding", "real/LG4X_Mutlipak_vms.npl", {}, false, false, 601,
                 1486.60 - 305, 1486.60 - 275, 2047.5 * 0.4, true, 1486.60, true, {}},
        ReadCase{"ScientaBinding", "real/pynxtools-xps_Ag_0001.txt", {}, false, false, 361,
                 520 - 382, 520 - 364, 15.7494897842407, true, 520, true, {}},
        ReadCase{"VamasKinetic", "real/pynxtools-xps_regular.vms", {}, false, false, 1351,
                 136.61, 1486.61, 1559.87, false, 1486.61, true, {}}),
    [](const testing::TestParamInfo<ReadCase>& p) { return std::string(p.param.name); });
// clang-format on

TEST(ReadData, HeaderLinesComeFromTheFileWithoutTheirPadding)
{
    Module1 m;
    ScriptedDialogs dialogs;
    LibraryLoader loader;
    ASSERT_EQ(ReadData(m, dialogs, loader, dataFile("dat/header_blanks.dat")), kReadDone);
    EXPECT_EQ(m.spectrum.headerLines,
              (std::vector<std::string>{";", ";  two blanks", ";no blank"}));
    EXPECT_EQ(m.spectrum.headerWidth, kHeaderWidth);
    EXPECT_EQ(headerWindowText(m.spectrum), ";\r\n;  two blanks\r\n;no blank\r\n");
}

TEST(ReadData, ZeroCountsWeighOne)
{
    // The weight rule at its edge: √0 + 1.
    Module1 m;
    ScriptedDialogs dialogs;
    LibraryLoader loader;
    TempFolder folder;
    const std::string file = (folder.path() / "zero.dat").string();
    std::FILE* out = std::fopen(file.c_str(), "w");
    ASSERT_NE(out, nullptr);
    std::fputs("1 0\n2 4\n", out);
    std::fclose(out);
    ASSERT_EQ(ReadData(m, dialogs, loader, file), kReadDone);
    EXPECT_EQ(m.spectrum.sigma, (std::vector<double>{1.0, 3.0}));
}

// ---- Failed and abandoned reads: the message, and nothing changed ----

struct FailCase {
    const char* name;
    const char* file;
    std::optional<std::string> photonEnergyAnswer;
    std::optional<bool> continueAfterError;
    std::optional<bool> lastZeroOk;
    std::vector<std::string> dialogTexts;  // "@" stands for the file name
};

class ReadDataFailures : public testing::TestWithParam<FailCase> {};

TEST_P(ReadDataFailures, ReportsOnceAndKeepsTheEarlierSpectrumAndFlags)
{
    const FailCase& c = GetParam();
    Module1 m = moduleWithEarlierSpectrum();
    const Module1 before = m;
    ScriptedDialogs dialogs;
    if (c.photonEnergyAnswer) {
        dialogs.answerInput(c.photonEnergyAnswer == "<cancel>" ? std::nullopt
                                                               : c.photonEnergyAnswer);
    }
    if (c.continueAfterError) {
        dialogs.answerYesNo(*c.continueAfterError);
    }
    if (c.lastZeroOk) {
        dialogs.answerOkCancel(*c.lastZeroOk);
    }
    LibraryLoader loader;
    EXPECT_EQ(ReadData(m, dialogs, loader, dataFile(c.file)), kReadAbandoned);
    std::vector<std::string> expected = c.dialogTexts;
    for (std::string& text : expected) {
        if (text.starts_with('@')) {
            text = dataFile(c.file).append(text.substr(1));
        }
    }
    EXPECT_EQ(dialogs.texts(), expected);
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
    EXPECT_EQ(m, before);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Statuses, ReadDataFailures,
    testing::Values(
        FailCase{"HeaderOnly", "dat/header_only.dat", {}, {}, {},
                 {"Error in reading file header - abort data read"}},
        FailCase{"NoSuchFile", "dat/no_such_file.dat", {}, {}, {},
                 {"Error in reading file header - abort data read"}},
        FailCase{"BrokenFirstPoint", "dat/broken_first_point.dat", {}, {}, {},
                 {"Error in reading data - abort data read"}},
        FailCase{"BrokenAfterThreeDeclined", "dat/broken_after_3_points.dat", {}, false, {},
                 {"Warning - error in reading data after3Continue ?"}},
        FailCase{"LastEnergyZeroCancelled", "dat/last_energy_zero.dat", {}, {}, false,
                 {"Warning - last energy is zero - probable error at end of data file - "
                  "Continue ?"}},
        FailCase{"PhotonEnergyEmpty", "dat/binding_without_photon_energy.dat", "", {}, {},
                 {kAskPhotonEnergy,
                  "@ - contains binding energy data - photon energy must be given"}},
        FailCase{"PhotonEnergyCancelled", "dat/binding_without_photon_energy.dat", "<cancel>",
                 {}, {},
                 {kAskPhotonEnergy,
                  "@ - contains binding energy data - photon energy must be given"}},
        FailCase{"PhotonEnergyDecimalComma", "dat/binding_without_photon_energy.dat", "1486,6",
                 {}, {}, {kAskPhotonEnergy, "Unknown error in reading data - ABORT"}},
        FailCase{"PhotonEnergyText", "dat/binding_without_photon_energy.dat", "Al K alpha", {},
                 {}, {kAskPhotonEnergy, "Unknown error in reading data - ABORT"}}),
    [](const testing::TestParamInfo<FailCase>& p) { return std::string(p.param.name); });
// clang-format on

// ---- Missing libraries ----

TEST(DataLibraries, MissingRoutinesAbandonWithTheirMessages)
{
    TempFolder empty;
    LibraryLoader nothing(empty.path(), false);
    Module1 m = moduleWithEarlierSpectrum();
    const Module1 before = m;
    {
        ScriptedDialogs dialogs;
        EXPECT_EQ(ReadData(m, dialogs, nothing, dataFile("dat/crlf.dat")), kReadAbandoned);
        EXPECT_EQ(dialogs.texts(),
                  std::vector<std::string>{"Fortran dll TESSOR.DLL not found - ABORT"});
    }
    {
        ScriptedDialogs dialogs;
        EXPECT_FALSE(WriteData(m, dialogs, nothing));
        EXPECT_EQ(dialogs.texts(),
                  std::vector<std::string>{"Error in call to woldek.dll - or dll not found"});
    }
    // TESSOR present, KAPRIL not: the message names the routine that failed.
    TempFolder onlyTessor;
    fs::copy_file(programFolder() / "libtessor.so", onlyTessor.path() / "libtessor.so");
    LibraryLoader half(onlyTessor.path(), false);
    ScriptedDialogs dialogs;
    EXPECT_EQ(ReadData(m, dialogs, half, dataFile("dat/crlf.dat")), kReadAbandoned);
    EXPECT_EQ(dialogs.texts(),
              std::vector<std::string>{"Fortran dll KAPRIL.DLL not found - ABORT"});
    EXPECT_EQ(m, before);
}

// ---- Open: existence check and the flags of a freshly opened spectrum ----

TEST(OpenData, MissingFileStopsAndAReadSetsTheOpenFlags)
{
    Module1 m = moduleWithEarlierSpectrum();
    const Module1 before = m;
    ScriptedDialogs dialogs;
    LibraryLoader loader;
    const std::string missing = dataFile("dat/gone.dat");
    EXPECT_FALSE(OpenData(m, dialogs, loader, missing));
    EXPECT_EQ(dialogs.texts(),
              std::vector<std::string>{missing + "   does not exist  -  open files individually"});
    EXPECT_EQ(m, before);

    ASSERT_TRUE(OpenData(m, dialogs, loader, dataFile("dat/crlf.dat")));
    EXPECT_TRUE(m.dataLoaded);
    EXPECT_FALSE(m.calculationDone);
    EXPECT_TRUE(m.calculationSaved);
    EXPECT_TRUE(m.dataSaved);
    EXPECT_EQ(m.plotType, 0);
}

// ---- Photon energy of a loaded configuration ----

struct ConfigHmuCase {
    const char* name;
    double hmuConfig;
    std::optional<bool> answer;  // nullopt: no question may be asked
    double expectedPosition, expectedHmuConfig;
    bool configSaved;
};

class ReadDataWithConfiguration : public testing::TestWithParam<ConfigHmuCase> {};

TEST_P(ReadDataWithConfiguration, OffersToShiftPeakPositions)
{
    const ConfigHmuCase& c = GetParam();
    Module1 m;
    m.configLoaded = true;
    m.configuration.nds = 2;
    m.configuration.p = {100, 1, 1, 0, 1, 200, 1, 1, 0, 1};
    m.configuration.hmuConfig = c.hmuConfig;
    ScriptedDialogs dialogs;
    if (c.answer) {
        dialogs.answerYesNo(*c.answer);
    }
    LibraryLoader loader;
    ASSERT_EQ(ReadData(m, dialogs, loader, dataFile("dat/binding_with_photon_energy.dat")),
              kReadDone);
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
    if (c.answer) {
        EXPECT_EQ(dialogs.texts(),
                  std::vector<std::string>{
                      "Photon energy HMU in Data File = 1486.6\nPhoton energy "
                      "HMUConfig in "
                      "Config File = "
                      + formatNumber(c.hmuConfig)
                      + "\nUpdate peak positions in Config Data by HMU-HMUConfig ?"});
    }
    EXPECT_NEAR(m.configuration.p[0], c.expectedPosition, kEnergyTol);
    EXPECT_NEAR(m.configuration.p[5], c.expectedPosition + 100, kEnergyTol);
    EXPECT_EQ(m.configuration.p[1], 1.0);  // heights stay
    EXPECT_EQ(m.configuration.hmuConfig, c.expectedHmuConfig);
    EXPECT_EQ(m.configSaved, c.configSaved);
}

INSTANTIATE_TEST_SUITE_P(
    PhotonEnergies, ReadDataWithConfiguration,
    testing::Values(ConfigHmuCase{"DifferentYes", 1253.6, true, 333, 1486.6, false},
                    ConfigHmuCase{"DifferentNo", 1253.6, false, 100, 1253.6, true},
                    ConfigHmuCase{
                        "WithinTolerance", 1486.6 - 0.5e-5, {}, 100, 1486.6 - 0.5e-5, true},
                    ConfigHmuCase{"NoneStored", 0.0, {}, 100, 0.0, true}),
    [](const testing::TestParamInfo<ConfigHmuCase>& p) { return std::string(p.param.name); });

// ---- WriteData and reading back ----

class WriteAndReadBack : public testing::TestWithParam<const char*> {};

TEST_P(WriteAndReadBack, GivesTheSameSpectrum)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m;
    ScriptedDialogs dialogs;
    dialogs.answerInput("1486.6");  // used only by the file without a photon energy
    ASSERT_EQ(ReadData(m, dialogs, loader, dataFile(GetParam())), kReadDone);
    m.spectrum.fileName = (folder.path() / "written.dat").string();
    const Module1 beforeWrite = m;
    ScriptedDialogs writeDialogs;
    ASSERT_TRUE(WriteData(m, writeDialogs, loader));
    EXPECT_TRUE(writeDialogs.texts().empty());
    EXPECT_EQ(m,
              beforeWrite);  // the Save As command, not WriteData, marks the data saved

    Module1 back;
    ScriptedDialogs none;  // the photon energy is in the written file now: no question
    ASSERT_EQ(ReadData(back, none, loader, m.spectrum.fileName), kReadDone);
    Spectrum expected = m.spectrum;
    if (!expected.binding) {
        expected.hmu = 0.0;  // a kinetic file keeps no photon energy
    }
    EXPECT_EQ(back.spectrum.np, expected.np);
    for (std::size_t i = 0; i < expected.energy.size(); ++i) {
        EXPECT_NEAR(back.spectrum.energy[i], expected.energy[i], kEnergyTol) << i;
    }
    back.spectrum.energy = expected.energy;
    if (!std::string(GetParam()).ends_with(".dat")) {
        // A foreign header becomes comment lines of the program's own layout; the text stays.
        ASSERT_EQ(back.spectrum.headerLines.size(), expected.headerLines.size());
        for (std::size_t i = 0; i < expected.headerLines.size(); ++i) {
            EXPECT_TRUE(back.spectrum.headerLines[i].ends_with(expected.headerLines[i])) << i;
        }
        back.spectrum.headerLines = expected.headerLines;
        back.spectrum.headerCodes = expected.headerCodes;
    }
    EXPECT_EQ(back.spectrum, expected);
    EXPECT_TRUE(back.dataSaved);
}

INSTANTIATE_TEST_SUITE_P(Files, WriteAndReadBack,
                         testing::Values("dat/binding_with_photon_energy.dat",
                                         "dat/binding_without_photon_energy.dat",
                                         "dat/kinetic_with_photon_energy.dat",
                                         "real/LG4X_Mutlipak_vms.npl"));

TEST(WriteData, RefusedTargetReportsTheStatus)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m = moduleWithEarlierSpectrum();
    m.spectrum.fileName = folder.path().string();  // a folder cannot be replaced by a file
    ScriptedDialogs dialogs;
    EXPECT_FALSE(WriteData(m, dialogs, loader));
    EXPECT_EQ(dialogs.texts(),
              std::vector<std::string>{"Error return from woldek.dll - incorrect write of data"});
}

// ---- Energy shift ----

struct ShiftCase {
    const char* name;
    const char* typed;
    std::optional<double> amount;  // nullopt: nothing may change
};

class EnergyShift : public testing::TestWithParam<ShiftCase> {};

TEST_P(EnergyShift, MovesEveryEnergyOrNothing)
{
    const ShiftCase& c = GetParam();
    Module1 m = moduleWithEarlierSpectrum();
    m.dataSaved = true;
    const Module1 before = m;
    EXPECT_EQ(ShiftExperimentalEnergies(m, c.typed), c.amount.has_value());
    if (!c.amount) {
        EXPECT_EQ(m, before);
        return;
    }
    EXPECT_EQ(m.spectrum.energy, (std::vector<double>{10.0 + *c.amount, 11.0 + *c.amount}));
    EXPECT_FALSE(m.dataSaved);
    Module1 rest = m;
    rest.spectrum.energy = before.spectrum.energy;
    rest.dataSaved = true;
    EXPECT_EQ(rest, before);
}

INSTANTIATE_TEST_SUITE_P(
    Typed, EnergyShift,
    testing::Values(ShiftCase{"Positive", "1.5", 1.5},
                    ShiftCase{"NegativeWithBlanks", " -0.25 ", -0.25},
                    // Read in single precision, as the command always has.
                    ShiftCase{"SinglePrecision", "0.1", static_cast<double>(0.1F)},
                    ShiftCase{"Exponent", "2e-1", static_cast<double>(0.2F)},
                    ShiftCase{"Empty", "", std::nullopt},
                    ShiftCase{"DecimalComma", "1,5", std::nullopt},
                    ShiftCase{"Text", "one", std::nullopt},
                    ShiftCase{"BeyondSinglePrecision", "1e300", std::nullopt}),
    [](const testing::TestParamInfo<ShiftCase>& p) { return std::string(p.param.name); });

// ---- Header window transfer ----

struct HeaderCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
    bool stopped;
};

class HeaderTransferRules : public testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderTransferRules, LinesAndCodes)
{
    const HeaderCase& c = GetParam();
    const HeaderTransfer t = transferHeaderText(c.text);
    EXPECT_EQ(t.lines, c.lines);
    if (c.stopped) {
        EXPECT_EQ(t.message,
                  "String length is greater than100characters - string will be truncated");
    } else {
        EXPECT_EQ(t.message, std::nullopt);
    }
    // Column-major rows of 100 codes, blanks as 32 after each line's characters.
    const std::size_t rows = std::max<std::size_t>(c.lines.size(), 1);
    ASSERT_EQ(t.codes.size(), rows * kHeaderWidth);
    for (std::size_t row = 0; row < c.lines.size(); ++row) {
        std::string fromCodes;
        for (std::size_t column = 0; column < kHeaderWidth; ++column) {
            fromCodes.push_back(static_cast<char>(t.codes[row + rows * column]));
        }
        EXPECT_EQ(fromCodes, c.lines[row] + std::string(kHeaderWidth - c.lines[row].size(), ' '));
    }
}

const std::string k99(99, 'x');

INSTANTIATE_TEST_SUITE_P(
    Texts, HeaderTransferRules,
    testing::Values(
        HeaderCase{"MarksAdded", "; kept\r\nmarked\r\n", {"; kept", ";marked"}, false},
        HeaderCase{"LoneLineFeedsAndNoFinalBreak", "a\nb", {";a", ";b"}, false},
        HeaderCase{"BlankLinesUnmarked", "a\r\n   \r\n\r\nb\r\n", {";a", "", "", ";b"}, false},
        HeaderCase{"LeadingBreakAddsNoMarks", "\r\nfree text\r\n", {"", "free text"}, false},
        HeaderCase{"HundredAccepted", ";" + k99 + "\r\n", {";" + k99}, false},
        HeaderCase{"HundredOneStops", "first\r\n;" + k99 + "y\r\nlast\r\n", {";first"}, true},
        // 100 typed characters become 101 with the mark, more than a code row holds.
        HeaderCase{"MarkMakesHundredOne", "y" + k99 + "\r\n", {}, true},
        HeaderCase{"Empty", "", {}, false}),
    [](const testing::TestParamInfo<HeaderCase>& p) { return std::string(p.param.name); });

TEST(HeaderWindow, EditedHeaderIsWrittenAndReadBack)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m;
    ScriptedDialogs dialogs;
    ASSERT_EQ(ReadData(m, dialogs, loader, dataFile("dat/crlf.dat")), kReadDone);
    const std::string text = headerWindowText(m.spectrum) + "sample 7, sputtered\r\n";
    applyHeaderTransfer(m, transferHeaderText(text));
    EXPECT_FALSE(m.dataSaved);
    MenuState menu;
    menu.saveAsData.enabled = false;
    enableUnsavedSaves(m, menu);
    EXPECT_TRUE(menu.saveAsData.enabled);
    EXPECT_FALSE(menu.saveConfiguration.enabled);

    m.spectrum.fileName = (folder.path() / "edited.dat").string();
    ASSERT_TRUE(WriteData(m, dialogs, loader));
    Module1 back;
    ASSERT_EQ(ReadData(back, dialogs, loader, m.spectrum.fileName), kReadDone);
    EXPECT_EQ(back.spectrum.headerLines,
              (std::vector<std::string>{"; CRLF line ends", ";sample 7, sputtered"}));
    EXPECT_EQ(back.spectrum.nh, 2);
}

}  // namespace
}  // namespace varnix::app
