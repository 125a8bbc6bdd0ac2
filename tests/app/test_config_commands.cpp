// The configuration commands through the real file routines of the output folder and scripted
// dialogs. Expected values are read off the configuration files the tests name or write.
#include "command_fixture.h"
#include "core/files/config_commands.h"
#include "core/files/data_commands.h"
#include "core/files/data_file_choice.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <functional>
#include <tuple>
#include <utility>
#include <vector>

namespace varnix::app {
namespace {

using namespace test;
using Texts = std::vector<std::string>;
using Links = std::vector<std::pair<int32_t, int32_t>>;  // state and 0-based partner per parameter

const std::string kReadError =
    "Error in reading Configuration File - try editing and repairing file - or create new";
const std::string kWriteError = "Error in writing Configuration File";
const std::string kMissing = "   does not exist  -  open files individually";
constexpr const char* kBindingData = "dat/binding_with_photon_energy.dat";  // HMU 1486.6
constexpr double kTol = 1e-9;  // one photon-energy difference added to a position

// A module started in the test's folder, where "last_config.dat" is written.
Module1 startedIn(const TempFolder& folder)
{
    Module1 m;
    m.startDirectory = folder.path().string();
    return m;
}

std::string writeConfig(const TempFolder& folder, const std::string& body)
{
    const std::string path = folder.file("model.cfg");
    std::ofstream(path) << "Varnix configuration 1\n" << body;
    return path;
}

Links stateAndPartner(const Configuration& c)
{
    Links links;
    for (const ParameterLink& link : c.links) {
        links.emplace_back(link.state, link.partner);
    }
    return links;
}

// ---- New > Configuration ----

TEST(ConfigCommands, NewStartsWithOnePeakOfZerosUnsavedWithoutAFile)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m = startedIn(folder);
    ScriptedDialogs dialogs;
    MenuState menu;
    ASSERT_TRUE(OpenConfiguration(m, dialogs, loader, menu, example("synthetic_c1s.cfg")));
    m.dataLoaded = true;
    menu.saveConfiguration = MenuEntry{true, true};
    menu.saveAsConfiguration.checked = true;
    EXPECT_EQ(NewConfiguration(m, menu),
              std::string("  Input data read - waiting for user action"));
    const Configuration& c = m.configuration;
    EXPECT_EQ(std::tuple(c.nds, c.nbg, c.npar, c.ncomp), std::tuple(1, 2, 7, 2));
    EXPECT_EQ(c.p, std::vector<double>(5, 0.0));
    EXPECT_EQ(c.names, (Texts{"Pos1", "Height1", "LFWHM1", "Alpha1", "GFWHM1", "a0", "a1"}));
    EXPECT_EQ(c.fileName, "");
    EXPECT_TRUE(m.configLoaded && !m.configSaved && m.configIsNew);
    // Save > Configuration would have written the new model over the file of the old one.
    EXPECT_EQ(menu.saveConfiguration, (MenuEntry{false, false}));
    EXPECT_EQ(menu.saveAsConfiguration, (MenuEntry{true, false}));
    EXPECT_TRUE(menu.editConfigurationData.enabled && menu.calculateSpectrum.enabled);

    // A new model is saved with Save As: a shift enables that, not Save.
    ASSERT_TRUE(ShiftPeakPositions(m, menu, "1.5"));
    EXPECT_EQ(c.p, (std::vector<double>{1.5, 0, 0, 0, 0}));
    EXPECT_FALSE(menu.saveConfiguration.enabled);
}

// ---- A new spectrum or model discards the fit made on the old ones ----

struct DiscardCase {
    const char* name;
    std::function<bool(Module1&, Dialogs&, LibraryLoader&, MenuState&)> command;
};

class NewSpectrumOrModel : public testing::TestWithParam<DiscardCase> {};

TEST_P(NewSpectrumOrModel, LeavesNoFitResultsToShowOrWrite)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m = startedIn(folder);
    ScriptedDialogs dialogs;
    MenuState menu;
    ASSERT_TRUE(OpenData(m, dialogs, loader, menu, example("synthetic_c1s.dat")));
    ASSERT_TRUE(OpenConfiguration(m, dialogs, loader, menu, example("synthetic_c1s.cfg")));
    // A finished fit of this very model: one value per parameter, an area and a width per peak.
    FitResults& f = m.fitResults;
    f.parameters.assign(22, 1.0);
    f.areas.assign(4, 2.0);
    f.widths.assign(4, 0.5);
    f.nfree = 1;
    f.errorMatrix = {0.25};
    f.standardDeviations = {0.5};
    f.chiSquare = 3.0;
    f.standardDeviationsAvailable = true;
    ASSERT_TRUE(GetParam().command(m, dialogs, loader, menu));
    EXPECT_TRUE(f.parameters.empty() && f.areas.empty() && f.widths.empty());
    EXPECT_TRUE(f.errorMatrix.empty() && f.standardDeviations.empty());
    EXPECT_EQ(std::tuple(f.nfree, f.chiSquare, f.standardDeviationsAvailable),
              std::tuple(0, 0.0, false));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, NewSpectrumOrModel,
    testing::Values(DiscardCase{"OpenData",
                                [](Module1& m, Dialogs& d, LibraryLoader& l, MenuState& menu) {
                                    return OpenData(m, d, l, menu, example("synthetic_c1s.dat"));
                                }},
                    DiscardCase{"OpenConfiguration",
                                [](Module1& m, Dialogs& d, LibraryLoader& l, MenuState& menu) {
                                    return OpenConfiguration(m, d, l, menu,
                                                             example("synthetic_c1s.cfg"));
                                }},
                    DiscardCase{"NewConfiguration",
                                [](Module1& m, Dialogs&, LibraryLoader&, MenuState& menu) {
                                    return NewConfiguration(m, menu).has_value();
                                }}),
    [](const testing::TestParamInfo<DiscardCase>& p) { return std::string(p.param.name); });

// ---- Open > Configuration: sizes, and links repaired as read ----

struct OpenCase {
    const char* name;
    std::string file;               // a configuration's name, or the lines of one to write
    std::array<int32_t, 4> counts;  // NDS, NBG, NPAR, NCOMP
    Links links;
    bool saved;
};

class OpenRepairsLinks : public testing::TestWithParam<OpenCase> {};

TEST_P(OpenRepairsLinks, SizesLinksAndSavedFlag)
{
    const OpenCase& c = GetParam();
    TempFolder folder;
    LibraryLoader loader;
    Module1 m = startedIn(folder);
    ScriptedDialogs dialogs;
    MenuState menu;
    const std::string file = c.file.starts_with("NDS") ? writeConfig(folder, c.file) : c.file;
    ASSERT_TRUE(OpenConfiguration(m, dialogs, loader, menu, file));
    EXPECT_TRUE(dialogs.texts().empty());
    const Configuration& config = m.configuration;
    EXPECT_EQ((std::array{config.nds, config.nbg, config.npar, config.ncomp}), c.counts);
    EXPECT_EQ(config.p.size(), 5 * static_cast<std::size_t>(c.counts[0]));
    EXPECT_EQ(config.names.size(), static_cast<std::size_t>(c.counts[2]));
    EXPECT_EQ(stateAndPartner(config), c.links);
    EXPECT_EQ(m.configSaved, c.saved);
    EXPECT_EQ(menu.saveConfiguration.enabled, !c.saved);
    EXPECT_TRUE(m.configLoaded && !m.configIsNew && menu.openConfiguration.checked);
    EXPECT_EQ(config.fileName, file);
    EXPECT_EQ(lastConfigName(m.startDirectory), file);
}

Links ownPartners(int32_t n)
{
    Links links;
    for (int32_t i = 0; i < n; ++i) {
        links.emplace_back(kLinkVaried, i);
    }
    return links;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, OpenRepairsLinks, testing::Values(
    OpenCase{"Clean", example("synthetic_c1s.cfg"), {4, 2, 22, 5}, ownPartners(22), true},
    OpenCase{"NoPeaksParabolicBackground", "NDS 0\nNBG 3\na0 1.5\na1 -2\na2 0.25\n", {0, 3, 3, 1},
             ownPartners(3), true},
    // Pos2 is varied but names Pos1.
    OpenCase{"VariedWithForeignPartner", dataFile("cfg/varied_with_foreign_partner.cfg"),
             {2, 0, 10, 2},
             {{0, 0}, {0, 1}, {0, 2}, {2, 3}, {0, 4}, {0, 5}, {1, 1}, {1, 2}, {2, 3}, {1, 4}},
             false},
    OpenCase{"CorrelatedWithoutVariedPartner", "NDS 2\nNBG 1\n"
             "Pos1 284 0 1 1 0\nHeight1 100 2 2 1 0\n"
             "LFWHM1 0.3 1 10 1 1\n"  // follows a correlated parameter: fixed
             "Alpha1 0.1 0 4 1 0\nGFWHM1 1 0 5 1 0\n"
             "Pos2 285 1 1 1.5 2\n"   // follows a varied one: kept
             "Height2 50 1 2 0.5 1\n"  // follows a fixed one: fixed
             "LFWHM2 0.3 1 8 1 1\n"   // follows itself: fixed
             "Alpha2 0.1 0 9 1 0\nGFWHM2 1 1 5 1 1\na0 5\na1 0\na2 0\n", {2, 1, 11, 3},
             {{0, 0}, {2, 1}, {2, 9}, {0, 3}, {0, 4}, {1, 0}, {2, 1}, {2, 7}, {0, 8}, {1, 4},
              {0, 10}}, false}),
    [](const testing::TestParamInfo<OpenCase>& p) { return std::string(p.param.name); });
// clang-format on

TEST(ConfigCommands, PartnersOutsideTheModelAreRepairedToTheirOwn)
{
    Configuration c;
    c.nds = 1;
    c.links = {{kLinkVaried, -1, 1, 0},    {kLinkCorrelated, 5, 2, 1}, {kLinkFixed, 99, 3, 2},
               {kLinkCorrelated, 0, 4, 2}, {kLinkVaried, 4, 5, 0},     {kLinkVaried, 77, 0, 0}};
    EXPECT_TRUE(repairLinks(c));
    // The background's link (the last) is no peak parameter's and stays as it is.
    EXPECT_EQ(stateAndPartner(c), (Links{{0, 0}, {2, 1}, {2, 2}, {1, 0}, {0, 4}, {0, 77}}));
    EXPECT_EQ(std::tuple(c.links[1].value, c.links[2].kind), std::tuple(2.0, 2));
    EXPECT_FALSE(repairLinks(c));
}

// ---- The photon energy of the configuration against loaded data ----

struct PhotonCase {
    const char* name;
    const char* data;         // nullptr: no data loaded
    std::string hmuConfig;    // as the file holds it
    std::optional<bool> yes;  // the answer, when asked
    double moved;
    bool saved;
    bool dataLast = false;  // the data opened after the configuration
};

class PhotonEnergyCheck : public testing::TestWithParam<PhotonCase> {};

TEST_P(PhotonEnergyCheck, AsksMovesAndMarks)
{
    const PhotonCase& c = GetParam();
    TempFolder folder;
    LibraryLoader loader;
    Module1 m = startedIn(folder);
    ScriptedDialogs dialogs;
    MenuState menu;
    const std::string file = writeConfig(folder, "NDS 1\nNBG 0\nHMUConfig " + c.hmuConfig +
                                                     "\nPos1 84 0 1 1 0\nHeight1 9 0 2 1 0\n"
                                                     "LFWHM1 1 0 3 1 0\nAlpha1 0 0 4 1 0\n"
                                                     "GFWHM1 1 0 5 1 0\na0 0\na1 0\na2 0\n");
    if (c.dataLast) {
        ASSERT_TRUE(OpenConfiguration(m, dialogs, loader, menu, file));
    } else if (c.data != nullptr) {
        ASSERT_TRUE(OpenData(m, dialogs, loader, menu, dataFile(c.data)));
    }
    if (c.yes) {
        dialogs.answerYesNo(*c.yes);
    }
    ASSERT_TRUE(c.dataLast ? OpenData(m, dialogs, loader, menu, dataFile(c.data))
                           : OpenConfiguration(m, dialogs, loader, menu, file));
    const Texts asked = {
        "Photon energy HMU in Data File = 1486.6\n"
        "Photon energy HMUConfig in Config File = " +
        c.hmuConfig + "\nUpdate peak positions in Config Data by HMU-HMUConfig ?"};
    EXPECT_EQ(dialogs.texts(), c.yes ? asked : Texts{});
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
    EXPECT_NEAR(m.configuration.p[0], 84 + c.moved, kTol);
    EXPECT_EQ(m.configuration.p[1], 9);
    EXPECT_EQ(m.configuration.hmuConfig, c.moved != 0 ? 1486.6 : std::stod(c.hmuConfig));
    EXPECT_EQ(m.configSaved, c.saved);
    if (!c.dataLast) {
        EXPECT_EQ(menu.saveConfiguration.enabled, !c.saved);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, PhotonEnergyCheck, testing::Values(
    PhotonCase{"Yes", kBindingData, "1486", true, 0.6, false},
    PhotonCase{"No", kBindingData, "1486", false, 0, true},
    PhotonCase{"YesDataOpenedLast", kBindingData, "1486", true, 0.6, false, true},
    PhotonCase{"NoDataOpenedLast", kBindingData, "1486", false, 0, true, true},
    PhotonCase{"JustBeyondTolerance", kBindingData, "1486.59998", false, 0, true},
    PhotonCase{"WithinTolerance", kBindingData, "1486.600009", {}, 0, true},
    PhotonCase{"NoneStoredWithBindingData", kBindingData, "0", {}, 0, false},
    PhotonCase{"KineticData", "dat/kinetic_with_photon_energy.dat", "1486", {}, 0, true},
    PhotonCase{"NoData", nullptr, "1486", {}, 0, true}),
    [](const testing::TestParamInfo<PhotonCase>& p) { return std::string(p.param.name); });
// clang-format on

// ---- Save and read back ----

TEST(ConfigCommands, SavedConfigurationReadsBackFieldForField)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m = startedIn(folder);
    ScriptedDialogs dialogs;
    MenuState menu;
    ASSERT_TRUE(OpenData(m, dialogs, loader, menu, dataFile(kBindingData)));
    dialogs.answerYesNo(false);  // 1253.6 in the configuration: keep the peaks
    ASSERT_TRUE(OpenConfiguration(m, dialogs, loader, menu,
                                  dataFile("cfg/varied_with_foreign_partner.cfg")));
    m.configuration.p[2] = 0.1 + 0.2;  // needs all 17 digits
    m.configuration.a = {1e-300, -3.5, 7};
    m.configuration.links[5] = ParameterLink{kLinkCorrelated, 0, 1.0 / 3.0, kLinkKindPlus};
    m.markerPosition = {1, 2};

    const std::string saved = folder.file("saved.cfg");
    ASSERT_TRUE(saveConfigurationAs(m, dialogs, loader, menu, saved));
    EXPECT_EQ(m.configuration.fileName, saved);
    EXPECT_EQ(configurationPanel(m.configuration), "Config. File : saved.cfg  ");
    EXPECT_TRUE(m.configSaved && !m.configIsNew && menu.saveAsConfiguration.checked);
    EXPECT_EQ(lastConfigName(m.startDirectory), saved);
    EXPECT_EQ(m.configuration.hmuConfig, 1486.6);  // the spectrum's, as the file now holds
    EXPECT_EQ(m.markerPosition, (std::vector<double>{1, 2}));  // saving moves no peak

    Module1 back = startedIn(folder);
    MenuState backMenu;
    ASSERT_TRUE(OpenConfiguration(back, dialogs, loader, backMenu, saved));
    EXPECT_EQ(back.configuration, m.configuration);
    EXPECT_TRUE(back.configSaved);

    // Without data, Save keeps the photon energy the configuration has.
    back.configuration.hmuConfig = 1253.6;
    back.configSaved = false;
    ASSERT_TRUE(saveConfiguration(back, dialogs, loader, backMenu));
    EXPECT_TRUE(back.configSaved && backMenu.saveConfiguration.checked);
    Module1 again = startedIn(folder);
    ASSERT_TRUE(OpenConfiguration(again, dialogs, loader, backMenu, saved));
    EXPECT_EQ(again.configuration.hmuConfig, 1253.6);
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
}

// ---- Failures change nothing ----

struct FailureCase {
    const char* name;
    std::string file;
    bool withLibrary;
    std::string message;  // "@" stands for the file name
};

class FailedOpen : public testing::TestWithParam<FailureCase> {};

TEST_P(FailedOpen, LeavesConfigurationFlagsAndMenus)
{
    const FailureCase& c = GetParam();
    TempFolder folder;
    LibraryLoader real;
    LibraryLoader none = loaderWithout(folder);
    Module1 m = startedIn(folder);
    MenuState menu;
    NewConfiguration(m, menu);
    m.configuration.p[0] = 284.5;
    m.configuration.hmuConfig = 1486.6;
    m.markerPosition = {284.5};
    const Module1 before = m;
    const MenuState menuBefore = menu;
    ScriptedDialogs dialogs;
    EXPECT_FALSE(OpenConfiguration(m, dialogs, c.withLibrary ? real : none, menu, c.file));
    const std::string text =
        c.message.starts_with('@') ? std::string(c.file).append(c.message.substr(1)) : c.message;
    EXPECT_EQ(dialogs.texts(), Texts{text});
    EXPECT_EQ(m, before);
    EXPECT_EQ(menu, menuBefore);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, FailedOpen, testing::Values(
    FailureCase{"MissingVersion", dataFile("cfg/missing_version.cfg"), true, kReadError},
    FailureCase{"DamagedParameters", dataFile("cfg/damaged_parameters.cfg"), true, kReadError},
    FailureCase{"PartnerOutOfRange", dataFile("cfg/partner_out_of_range.cfg"), true, kReadError},
    FailureCase{"HugeNds", dataFile("cfg/nds_huge.cfg"), true, kReadError},
    FailureCase{"NoSuchFile", dataFile("cfg/no_such.cfg"), true, "@" + kMissing},
    FailureCase{"LibraryMissing", example("synthetic_c1s.cfg"), false,
                "Fortran dll FENTAR.DLL not found - ABORT"}),
    [](const testing::TestParamInfo<FailureCase>& p) { return std::string(p.param.name); });
// clang-format on

TEST(ConfigCommands, FailedSavesLeaveTheConfigurationUnsaved)
{
    TempFolder folder;
    LibraryLoader loader;
    LibraryLoader none = loaderWithout(folder);
    Module1 m = startedIn(folder);
    ScriptedDialogs dialogs;
    MenuState menu;
    ASSERT_TRUE(OpenConfiguration(m, dialogs, loader, menu, example("synthetic_c1s.cfg")));
    ASSERT_TRUE(ShiftPeakPositions(m, menu, "0.5"));
    m.configuration.fileName = folder.path().string();  // a folder cannot be replaced by a file
    const Module1 before = m;
    const MenuState menuBefore = menu;
    EXPECT_FALSE(saveConfiguration(m, dialogs, loader, menu));
    EXPECT_FALSE(saveConfiguration(m, dialogs, none, menu));
    EXPECT_FALSE(saveConfigurationAs(m, dialogs, loader, menu, folder.file("no_folder/x.cfg")));
    EXPECT_EQ(m, before);
    EXPECT_EQ(menu, menuBefore);
    NewConfiguration(m, menu);  // no file name at all
    EXPECT_FALSE(saveConfiguration(m, dialogs, loader, menu));
    EXPECT_FALSE(m.configSaved || menu.saveConfiguration.checked);
    EXPECT_EQ(dialogs.texts(), Texts(4, kWriteError));
    EXPECT_EQ(lastConfigName(m.startDirectory), example("synthetic_c1s.cfg"));
}

// ---- Choosing the configuration file ----

TEST(ConfigFileChoice, ProposesDataNameThenLastExistingFileThenNone)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m = startedIn(folder);
    EXPECT_EQ(proposedConfigName(m), std::nullopt);
    EXPECT_EQ(configFileRequest(m).defaultName, m.startDirectory);

    // A name kept by hand, relative to the start directory, of a file that exists.
    std::ofstream(folder.file("c1s.cfg")) << "x\n";
    std::ofstream(folder.file("last_config.dat")) << "\"c1s.cfg\"\r\n";
    EXPECT_EQ(proposedConfigName(m), folder.file("c1s.cfg"));

    ASSERT_TRUE(rememberConfigName(m.startDirectory, folder.file("gone.cfg")));
    EXPECT_EQ(proposedConfigName(m), std::nullopt);
    ScriptedDialogs dialogs;
    MenuState menu;
    EXPECT_FALSE(OpenAllFilesConfiguration(m, dialogs, loader, menu));
    ASSERT_TRUE(rememberConfigName(m.startDirectory, example("synthetic_c1s.cfg")));
    EXPECT_TRUE(OpenAllFilesConfiguration(m, dialogs, loader, menu));
    EXPECT_EQ(dialogs.texts(), Texts{folder.file("gone.cfg").append(kMissing)});
    EXPECT_EQ(lastDataName(m.startDirectory), std::nullopt);  // the data's memory is apart

    m.dataLoaded = true;
    m.configExtension = "mod";
    m.spectrum.fileName = "/some/where/c1s.scan.dat";
    EXPECT_EQ(proposedConfigName(m), "/some/where/c1s.mod");
    const FileDialogRequest request = configFileRequest(m);
    EXPECT_EQ(request.filter, "User Configuration Files (*.mod);;All Files (*)");
    EXPECT_EQ(request.defaultName, "/some/where/c1s.mod");
    // Each region of a file gets a model of its own.
    m.spectrum.fileName = "/some/where/survey.vms#4";
    EXPECT_EQ(proposedConfigName(m), "/some/where/survey#4.mod");
}

// ---- Energy menu: energies, peak positions, or both by one amount read in single precision ----

enum class Moved { Energies, Peaks, Both };
using Shift = std::pair<const char*, std::optional<double>>;
class EnergyShift : public testing::TestWithParam<Shift> {};

TEST_P(EnergyShift, MovesEveryEnergyOrPeakPositionOrNothing)
{
    const auto& [typed, amount] = GetParam();
    Module1 m;
    m.dataLoaded = m.configLoaded = true;
    m.spectrum.energy = {10.0, 11.0};
    m.configuration.nds = 2;
    m.configuration.p = {84, 1, 2, 3, 4, 87.7, 5, 6, 7, 8};
    for (const Moved moved : {Moved::Energies, Moved::Peaks, Moved::Both}) {
        Module1 shifted = m;
        MenuState menu;
        Module1 expected = m;
        MenuState expectedMenu;
        if (amount && moved != Moved::Energies) {
            expected.configuration.p[0] += *amount;
            expected.configuration.p[5] += *amount;
            expected.configSaved = false;
            expectedMenu.saveConfiguration.enabled = true;
        }
        if (amount && moved != Moved::Peaks) {
            expected.spectrum.energy = {10.0 + *amount, 11.0 + *amount};
            expected.dataSaved = false;
            expectedMenu.saveAsData.enabled = moved == Moved::Both;
        }
        const bool done = moved == Moved::Energies ? ShiftExperimentalEnergies(shifted, typed)
                          : moved == Moved::Peaks
                              ? ShiftPeakPositions(shifted, menu, typed)
                              : ShiftEnergiesAndPeakPositions(shifted, menu, typed);
        EXPECT_EQ(done, amount.has_value());
        EXPECT_EQ(shifted, expected) << static_cast<int>(moved);
        EXPECT_EQ(menu, expectedMenu) << static_cast<int>(moved);
    }
}

INSTANTIATE_TEST_SUITE_P(Typed, EnergyShift,
                         testing::Values(Shift{" -0.25 ", -0.25}, Shift{"2e-1", 0.2F},
                                         Shift{"", {}}, Shift{"1,5", {}}, Shift{"1e300", {}}));

}  // namespace
}  // namespace varnix::app
