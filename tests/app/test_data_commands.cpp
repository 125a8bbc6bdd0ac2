// The data commands through the real file routines of the output folder and scripted dialogs.
// Expected values are read off the files themselves (tests/data/real/PROVENANCE.md).
#include "command_fixture.h"
#include "core/files/data_commands.h"
#include "core/files/data_file_choice.h"
#include "core/files/data_regions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace varnix::app {
namespace {

using namespace test;
using Texts = std::vector<std::string>;
constexpr double kTol = 1e-9;  // energies go through HMU − E once
const std::string kAsk = "Enter photon energy";
const std::string kNoHmu = "@ - contains binding energy data - photon energy must be given";
const std::string kUnknown = "Unknown error in reading data - ABORT";
const std::string kHeaderError = "Error in reading file header - abort data read";
const std::string kLastZero =
    "Warning - last energy is zero - probable error at end of data file - Continue ?";
const std::string kAfter3 = "Warning - error in reading data after3Continue ?";
const char* const kNoHmuFile = "dat/binding_without_photon_energy.dat";

// An earlier spectrum with flags no read produces, so that any change shows in a comparison.
Module1 earlier()
{
    Module1 m;
    m.spectrum.np = 2;
    m.spectrum.energy = {10.0, 11.0};
    m.spectrum.counts = {4.0, 9.0};
    m.spectrum.sigma = {3.0, 4.0};
    m.spectrum.calculated = {0.0, 0.0};
    m.spectrum.fileName = "earlier.dat";
    m.dataLoaded = m.calculationDone = true;
    m.dataSaved = m.calculationSaved = false;
    m.plot.plotType = 3;
    return m;
}

// ---- Reads: kinetic and binding files of several formats, and every way a read fails ----

struct ReadCase {
    const char* name;
    const char* file;
    std::optional<std::string> typed;                // photon energy typed when asked
    std::optional<bool> yes, ok;                     // data-error and last-energy-zero answers
    Texts texts;                                     // "@" stands for the file name
    int32_t np = 0;                                  // 0: the read is abandoned
    double first = 0, last = 0, count = 0, hmu = 0;  // kinetic energies as held
    bool binding = false, saved = true;
};

class ReadDataFiles : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadDataFiles, QuestionsInOrderThenTheSpectrumOrNothingChanged)
{
    const ReadCase& c = GetParam();
    Module1 m = earlier();
    const Module1 before = m;
    ScriptedDialogs dialogs;
    script(dialogs, c.typed, c.yes, c.ok);
    LibraryLoader loader;
    EXPECT_EQ(ReadData(m, dialogs, loader, dataFile(c.file)), c.np ? kReadDone : kReadAbandoned);
    Texts expected = c.texts;
    for (std::string& text : expected) {
        text = text.starts_with('@') ? dataFile(c.file).append(text.substr(1)) : text;
    }
    EXPECT_EQ(dialogs.texts(), expected);
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
    // OK to the last-energy question drops a point: Cancel is the default.
    for (const DialogRecord& r : dialogs.records()) {
        if (r.kind == DialogKind::OkCancel) {
            EXPECT_EQ(r.defaultButton, DefaultButton::NoOrCancel);
        }
    }
    if (c.np == 0) {
        EXPECT_EQ(m, before);
        return;
    }
    const Spectrum& s = m.spectrum;
    ASSERT_EQ(s.np, c.np);
    ASSERT_EQ(s.energy.size(), s.sigma.size());
    EXPECT_EQ(s.calculated, std::vector<double>(s.energy.size(), 0.0));
    EXPECT_NEAR(s.energy.front(), c.first, kTol);
    EXPECT_NEAR(s.energy.back(), c.last, kTol);
    EXPECT_NEAR(s.counts.front(), c.count, kTol * c.count);
    for (std::size_t i = 0; i < s.counts.size(); ++i) {
        EXPECT_DOUBLE_EQ(s.sigma[i], std::sqrt(s.counts[i]) + 1.0) << i;
    }
    EXPECT_EQ(std::tuple(s.binding, s.photonEnergyKnown, s.hmu, s.fileName, m.dataSaved),
              std::tuple(c.binding, c.binding, c.hmu, dataFile(c.file), c.saved));
    EXPECT_TRUE(m.calculationDone);  // the open command's flags are left to it
    const std::string panel = "Photon Energy : " + fixed(c.hmu, 3) + " eV  ";
    EXPECT_EQ(photonEnergyPanel(s), c.binding ? std::optional(panel) : std::nullopt);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, ReadDataFiles, testing::Values(
    ReadCase{"DatBinding", "dat/binding_with_photon_energy.dat", {}, {}, {}, {},
             3, 1486.6 - 88, 1486.6 - 87, 2100, 1486.6, true},
    ReadCase{"PhotonEnergyTyped", kNoHmuFile, " 1.2536e3 ", {}, {}, {kAsk},
             2, 1253.6 - 305, 1253.6 - 275, 2047.5, 1253.6, true, false},
    ReadCase{"DatCrlf", "dat/crlf.dat", {}, {}, {}, {}, 3, 100.5, 101.5, 10},
    ReadCase{"TrailingZeroPointDropped", "dat/trailing_zero_point.dat", {}, {}, true, {kLastZero},
             2, 1486.6 - 2, 1486.6 - 1, 20, 1486.6, true},
    ReadCase{"SurveyEndingAtZeroKept", "dat/survey_ending_at_zero.dat", {}, {}, {}, {},
             3, 1486.6 - 2, 1486.6, 20, 1486.6, true},
    ReadCase{"BrokenAfter3Continued", "dat/broken_after_3_points.dat", {}, true, {}, {kAfter3},
             3, 1, 3, 10},
    ReadCase{"CsvKinetic", "real/lmfitxps_clean_Au_4f.csv", {}, {}, {}, {},
             294, 84.0, 95.9984, 9616, 180},
    // PHI gives counts per second; dwell 0.4 s and 1 scan make 2047.5 c/s 819 counts.
    ReadCase{"VamasPhiBinding", "real/LG4X_Mutlipak_vms.npl", {}, {}, {}, {},
             601, 1486.6 - 305, 1486.6 - 275, 2047.5 * 0.4, 1486.6, true},
    ReadCase{"ScientaBinding", "real/pynxtools-xps_Ag_0001.txt", {}, {}, {}, {},
             361, 520 - 382, 520 - 364, 15.7494897842407, 520, true},
    ReadCase{"VamasKinetic", "real/pynxtools-xps_regular.vms", {}, {}, {}, {},
             1351, 136.61, 1486.61, 1559.87, 1486.61},
    ReadCase{"HeaderOnly", "dat/header_only.dat", {}, {}, {}, {kHeaderError}},
    ReadCase{"NoSuchFile", "dat/no_such_file.dat", {}, {}, {}, {kHeaderError}},
    ReadCase{"BrokenFirstPoint", "dat/broken_first_point.dat", {}, {}, {},
             {"Error in reading data - abort data read"}},
    ReadCase{"BrokenAfter3Declined", "dat/broken_after_3_points.dat", {}, false, {}, {kAfter3}},
    ReadCase{"TrailingZeroPointCancel", "dat/trailing_zero_point.dat", {}, {}, false, {kLastZero}},
    ReadCase{"PhotonEnergyEmpty", kNoHmuFile, "", {}, {}, {kAsk, kNoHmu}},
    ReadCase{"PhotonEnergyCancelled", kNoHmuFile, "<cancel>", {}, {}, {kAsk, kNoHmu}},
    ReadCase{"PhotonEnergyComma", kNoHmuFile, "1486,6", {}, {}, {kAsk, kUnknown}},
    ReadCase{"PhotonEnergyText", kNoHmuFile, "Al K alpha", {}, {}, {kAsk, kUnknown}}),
    [](const testing::TestParamInfo<ReadCase>& p) { return std::string(p.param.name); });
// clang-format on

TEST(DataCommands, MissingLibrariesFilesAndRefusedWritesChangeNothing)
{
    TempFolder empty, onlyTessor;
    fs::copy_file(fs::read_symlink("/proc/self/exe").parent_path() / "libtessor.so",
                  onlyTessor.path() / "libtessor.so");
    LibraryLoader nothing = loaderWithout(empty), half(onlyTessor.path(), false), loader;
    Module1 m = earlier();
    const Module1 before = m;
    ScriptedDialogs dialogs;
    const std::string gone = dataFile("dat/gone.dat");
    EXPECT_EQ(ReadData(m, dialogs, nothing, dataFile("dat/crlf.dat")), kReadAbandoned);
    EXPECT_FALSE(WriteData(m, dialogs, nothing));
    EXPECT_EQ(ReadData(m, dialogs, half, dataFile("dat/crlf.dat")), kReadAbandoned);
    MenuState menu;
    EXPECT_FALSE(OpenData(m, dialogs, loader, menu, gone));
    EXPECT_FALSE(menu.saveAsData.enabled);
    EXPECT_EQ(m, before);
    m.spectrum.fileName = empty.path().string();  // a folder cannot be replaced by a file
    EXPECT_FALSE(WriteData(m, dialogs, loader));
    EXPECT_EQ(dialogs.texts(), (Texts{"Fortran dll TESSOR.DLL not found - ABORT",
                                      "Error in call to woldek.dll - or dll not found",
                                      "Fortran dll KAPRIL.DLL not found - ABORT",
                                      gone + "   does not exist  -  open files individually",
                                      "Error return from woldek.dll - incorrect write of data"}));
    ASSERT_TRUE(OpenData(m, dialogs, loader, menu, dataFile("dat/crlf.dat")));
    EXPECT_TRUE(m.dataLoaded && !m.calculationDone && m.calculationSaved && m.dataSaved);
    EXPECT_EQ(m.plot.plotType, 0);
    EXPECT_TRUE(menu.saveAsData.enabled);  // there are data to save now
}

// ---- Files with several spectra: the chooser's rows, the choice, regions that cannot be read ----

struct RowCase {
    const char* name;
    const char* file;
    RegionRow row;  // the row of its number
};

class RegionRows : public testing::TestWithParam<RowCase> {};

TEST_P(RegionRows, ShowWhatTheFileSays)
{
    const RowCase& c = GetParam();
    const std::vector<RegionRow> rows = regionRows(io::listRegions(dataFile(c.file)));
    ASSERT_GE(rows.size(), static_cast<std::size_t>(c.row.number));
    EXPECT_EQ(rows[static_cast<std::size_t>(c.row.number - 1)], c.row);
}

// Energies read off the files; a kinetic axis gives the binding energies hν − E beside it.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, RegionRows, testing::Values(
    RowCase{"KineticWithBinding", "real/LG4X_0-150W.vms",
            {5, "W 4f", "1436.69 → 1461.69 (BE 50 → 25)", "kinetic", "251", "1486.69", true}},
    RowCase{"Binding", "real/LG4X_Mutlipak_vms.npl",
            {1, "Block No.1 (C 1s)", "305 → 275", "binding", "601", "1486.6", true}},
    RowCase{"XyRegion", "real/pynxtools-xps_MgFe2O4_small.xy",
            {2, "Fe2p", "750 → 695", "binding", "56", "1486.61", true}},
    RowCase{"EtchTimeNotChosen", "vamas/first_block_not_energy.vms",
            {1, "depth profile (O 1s)", "", "not an energy axis", "3", "1486.6", false}},
    RowCase{"EmptyNotChosen", "vamas/empty_block_then_spectrum.vms",
            {1, "Au 4f empty (Au 4f)", "", "kinetic", "0", "1486.6", false}},
    RowCase{"PhotonEnergyNotStated", "vamas/photon_not_stated.vms",
            {1, "Au 4f", "1400.6 → 1402.6", "kinetic", "5", "not stated", true}}),
    [](const testing::TestParamInfo<RowCase>& p) { return std::string(p.param.name); });
// clang-format on

struct ChoiceCase {
    const char* name;
    std::string file;
    std::string shown;                    // the spectrum on screen, if any, else the one opened
                                          // last when it ends in "!"
    std::optional<int32_t> answer;        // the chooser's answer; none: Cancel
    std::optional<std::string> expected;  // the name to open
    int32_t proposed = 0;                 // 0: the chooser is not shown
};

class RegionChoice : public testing::TestWithParam<ChoiceCase> {};

TEST_P(RegionChoice, AsksOnlyForFilesWithSeveralSpectra)
{
    const ChoiceCase& c = GetParam();
    TempFolder start;
    Module1 m;
    m.startDirectory = start.path().string();
    if (c.shown.ends_with('!')) {
        rememberDataName(m.startDirectory, c.shown.substr(0, c.shown.size() - 1));
    } else {
        m.dataLoaded = !c.shown.empty();
        m.spectrum.fileName = c.shown;
    }
    ScriptedDialogs dialogs;
    if (c.proposed != 0) {
        dialogs.answerRegion(c.answer);
    }
    EXPECT_EQ(chooseDataRegion(m, dialogs, c.file), c.expected);
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
    ASSERT_EQ(dialogs.records().size(), c.proposed == 0 ? 0U : 1U);
    if (c.proposed != 0) {
        const DialogRecord& asked = dialogs.records().front();
        EXPECT_EQ(asked.kind, DialogKind::Region);
        EXPECT_EQ(asked.text, c.file);
        EXPECT_EQ(asked.defaultText, std::to_string(c.proposed));
        EXPECT_EQ(asked.rows, regionRows(io::listRegions(c.file)));
    }
}

const std::string kKratos = dataFile("real/LG4X_0-150W.vms");
const std::string kEtchFirst = dataFile("vamas/first_block_not_energy.vms");

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, RegionChoice, testing::Values(
    ChoiceCase{"NamesTheRegionChosen", kKratos, "", 4, kKratos + "#4", 1},
    ChoiceCase{"ProposesTheRegionShown", kKratos, kKratos + "#5", 2, kKratos + "#2", 5},
    ChoiceCase{"ProposesTheRegionOpenedLast", kKratos, kKratos + "#3!", 3, kKratos + "#3", 3},
    ChoiceCase{"AnotherFileShownProposesTheFirst", kKratos, kEtchFirst + "#2", 1, kKratos + "#1",
               1},
    ChoiceCase{"ProposesTheFirstReadable", kEtchFirst, "", 2, kEtchFirst + "#2", 2},
    ChoiceCase{"CancelOpensNothing", kKratos, "", std::nullopt, std::nullopt, 1},
    ChoiceCase{"OneSpectrumIsNotAsked", dataFile("real/lmfitxps_clean_Au_4f.csv"), "", {},
               dataFile("real/lmfitxps_clean_Au_4f.csv")},
    ChoiceCase{"ARegionNamedIsNotAsked", kKratos + "#3", "", {}, kKratos + "#3"},
    ChoiceCase{"NoSpectrumTheReadersKnowIsNotAsked", dataFile("dat/header_only.dat"), "", {},
               dataFile("dat/header_only.dat")}),
    [](const testing::TestParamInfo<ChoiceCase>& p) { return std::string(p.param.name); });
// clang-format on

struct RegionOpenCase {
    const char* name;
    std::string fileName;
    std::string message;  // empty: the region opens
};

class RegionOpen : public testing::TestWithParam<RegionOpenCase> {};

TEST_P(RegionOpen, ReadsTheRegionOrSaysWhyNot)
{
    const RegionOpenCase& c = GetParam();
    Module1 m = earlier();
    const Module1 before = m;
    ScriptedDialogs dialogs;
    LibraryLoader loader;
    MenuState menu;
    EXPECT_EQ(OpenData(m, dialogs, loader, menu, c.fileName), c.message.empty());
    if (!c.message.empty()) {
        EXPECT_EQ(dialogs.texts(), Texts{c.message});
        EXPECT_EQ(m, before);
        return;
    }
    EXPECT_TRUE(dialogs.texts().empty());
    EXPECT_EQ(m.spectrum.fileName, c.fileName);
    EXPECT_EQ(m.spectrum.np, 301);
    ASSERT_FALSE(m.spectrum.headerLines.empty());
    EXPECT_EQ(m.spectrum.headerLines.front(), "Read as VAMAS, block 4 of 5");
}

const std::string kChooseAnother = " - open the file with Open > Data to choose another";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Names, RegionOpen, testing::Values(
    RegionOpenCase{"Region", kKratos + "#4", ""},
    RegionOpenCase{"PastTheLast", kKratos + "#9",
                   kKratos + ": region 9 does not exist - the file holds 5 spectra" + kChooseAnother},
    RegionOpenCase{"PastTheOnlyOne", dataFile("dat/crlf.dat") + "#2", dataFile("dat/crlf.dat") +
                   ": region 2 does not exist - the file holds 1 spectrum" + kChooseAnother},
    RegionOpenCase{"NotOnAnEnergyAxis", kEtchFirst + "#1", kEtchFirst +
                   ": region 1 (depth profile (O 1s)) is not on an energy axis" + kChooseAnother},
    RegionOpenCase{"WithoutPoints", dataFile("vamas/empty_block_then_spectrum.vms") + "#1",
                   dataFile("vamas/empty_block_then_spectrum.vms") +
                   ": region 1 (Au 4f empty (Au 4f)) holds no points" + kChooseAnother},
    RegionOpenCase{"FileGone", dataFile("real/gone.vms") + "#2",
                   dataFile("real/gone.vms") + "   does not exist  -  open files individually"}),
    [](const testing::TestParamInfo<RegionOpenCase>& p) { return std::string(p.param.name); });
// clang-format on

// ---- Save As > Data: kept only when written, then remembered for the next open ----

TEST(DataCommands, SaveDataAsKeepsNameAndMarksSavedOnlyWhenWritten)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m;
    m.startDirectory = folder.path().string();
    ScriptedDialogs dialogs;
    script(dialogs, "1486.6");
    MenuState menu;
    ASSERT_TRUE(OpenData(m, dialogs, loader, menu, dataFile(kNoHmuFile)));
    ASSERT_FALSE(m.dataSaved);  // the photon energy was typed
    const Module1 typed = m;
    const MenuState typedMenu = menu;

    EXPECT_FALSE(SaveDataAs(m, dialogs, loader, menu, folder.path().string()));
    EXPECT_EQ(m, typed);
    EXPECT_EQ(menu, typedMenu);
    EXPECT_FALSE(fs::exists(folder.file("last_data.dat")));

    const std::string saved = folder.file("saved.dat");
    ASSERT_TRUE(SaveDataAs(m, dialogs, loader, menu, saved));
    EXPECT_EQ(m.spectrum.fileName, saved);
    EXPECT_TRUE(m.dataSaved);
    EXPECT_TRUE(menu.saveAsData.checked);
    EXPECT_EQ(lastDataName(m.startDirectory), saved);
    EXPECT_EQ(dialogs.texts(),
              (Texts{kAsk, "Error return from woldek.dll - incorrect write of data"}));

    // What was written reads back to the same spectrum, photon energy included, without a question.
    Module1 back;
    ScriptedDialogs quiet;
    ASSERT_EQ(ReadData(back, quiet, loader, saved), kReadDone);
    EXPECT_TRUE(quiet.texts().empty());
    EXPECT_DOUBLE_EQ(back.spectrum.hmu, 1486.6);
    ASSERT_EQ(back.spectrum.energy.size(), m.spectrum.energy.size());
    for (std::size_t i = 0; i < back.spectrum.energy.size(); ++i) {
        EXPECT_NEAR(back.spectrum.energy[i], m.spectrum.energy[i], kTol) << i;
        EXPECT_DOUBLE_EQ(back.spectrum.counts[i], m.spectrum.counts[i]) << i;
    }
}

// ---- WriteData with an edited header, read back ----

class WriteAndReadBack : public testing::TestWithParam<const char*> {};

TEST_P(WriteAndReadBack, GivesTheSameSpectrum)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m;
    ScriptedDialogs dialogs;
    dialogs.answerInput("1486.6");  // asked only by the file without a photon energy
    ASSERT_EQ(ReadData(m, dialogs, loader, dataFile(GetParam())), kReadDone);
    applyHeaderTransfer(m, transferHeaderText(headerWindowText(m.spectrum).append("added")));
    m.spectrum.fileName = folder.file("written.dat");
    ScriptedDialogs none;  // the written file holds the photon energy: no question
    ASSERT_TRUE(WriteData(m, none, loader));
    Module1 back;
    ASSERT_EQ(ReadData(back, none, loader, m.spectrum.fileName), kReadDone);
    EXPECT_TRUE(none.texts().empty());
    Spectrum expected = m.spectrum;
    expected.hmu = expected.binding ? expected.hmu : 0.0;  // a kinetic file keeps none
    ASSERT_EQ(back.spectrum.np, expected.np);
    for (std::size_t i = 0; i < expected.energy.size(); ++i) {
        EXPECT_NEAR(back.spectrum.energy[i], expected.energy[i], kTol) << i;
    }
    back.spectrum.energy = expected.energy;
    back.spectrum.headerCodes = expected.headerCodes;  // a read pads with 0, a transfer with 32
    EXPECT_EQ(back.spectrum, expected);
}

INSTANTIATE_TEST_SUITE_P(Files, WriteAndReadBack,
                         testing::Values(kNoHmuFile, "dat/kinetic_with_photon_energy.dat"));

// ---- Header window transfer: 100 accepted, 101 stops, ";" added ----

struct HeaderCase {
    const char* name;
    std::string text;
    Texts lines;
    bool stopped;
};

class HeaderTransferRules : public testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderTransferRules, LinesCodesAndMessage)
{
    const HeaderCase& c = GetParam();
    const HeaderTransfer t = transferHeaderText(c.text);
    EXPECT_EQ(t.lines, c.lines);
    const std::string tooLong =
        "String length is greater than100characters - string will be "
        "truncated";
    EXPECT_EQ(t.message, c.stopped ? std::optional(tooLong) : std::nullopt);
    // The codes' layout is checked by writing an edited header and reading it back.
    EXPECT_EQ(t.codes.size(), std::max<std::size_t>(c.lines.size(), 1) * kHeaderWidth);
}

const std::string k99(99, 'x');

// clang-format off
INSTANTIATE_TEST_SUITE_P(Texts, HeaderTransferRules, testing::Values(
    HeaderCase{"Marks", "; kept\r\nmarked\nb\r\n  \r\n", {"; kept", ";marked", ";b", ""}, false},
    HeaderCase{"LeadingBreakAddsNoMarks", "\r\nfree text\r\n", {"", "free text"}, false},
    HeaderCase{"HundredAccepted", std::string(";").append(k99), {std::string(";").append(k99)},
               false},
    HeaderCase{"HundredOneStops", std::string("first\r\n;").append(k99).append("y\r\nlast"),
               {";first"}, true},
    HeaderCase{"MarkMakesHundredOne", std::string("y").append(k99), {}, true}),
    [](const testing::TestParamInfo<HeaderCase>& p) { return std::string(p.param.name); });
// clang-format on

}  // namespace
}  // namespace varnix::app
