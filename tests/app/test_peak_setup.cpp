// The setup window's rules without its widgets: opening, selecting and counting peaks, Insert
// and Delete with their links, the background, typed values and the plot window's Select mode.
#include "editor_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace varnix::app::test {
namespace {

constexpr double kTol = 1e-9;  // values are copied or typed, never computed here

ParameterLink freeAt(int32_t index)
{
    return ParameterLink{kLinkVaried, index, 1.0, kLinkKindNone};
}

// ---- Insert and Delete --------------------------------------------------------------------

struct PeakCase {
    const char* name;
    std::vector<LinkAt> links;
    int32_t selected;
    bool insert;                   // else delete
    std::optional<bool> answerOk;  // the warning's answer, when it is to be asked
    int32_t nds, currentPeak;
    std::vector<ValueAt> values;
    std::vector<LinkAt> expectedLinks;
};

class InsertDelete : public ::testing::TestWithParam<PeakCase> {};

TEST_P(InsertDelete, MovesPeaksAndTheirLinks)
{
    const PeakCase& t = GetParam();
    Editor e(3, 1, t.links);
    e.module.dataLoaded = true;
    e.setup.Form_Load();
    e.setup.txtPeakNumber_Change(std::to_string(t.selected));
    if (t.answerOk) {
        e.dialogs.answerOkCancel(*t.answerOk);
    }
    const SetupEffects effects = t.insert ? e.setup.cmdInsert_Click() : e.setup.cmdDelete_Click();

    const std::vector<std::string> warning = {
        "Warning - later parameters which are currently correlated with this peak's parameters "
        "will now be freely varied"};
    EXPECT_EQ(e.dialogs.texts(), t.answerOk ? warning : std::vector<std::string>{});
    if (t.answerOk) {
        EXPECT_EQ(e.dialogs.records()[0].defaultButton, DefaultButton::NoOrCancel);
    }
    EXPECT_EQ(e.module.configuration.npar, 5 * t.nds + 1);
    EXPECT_EQ(e.module.currentPeak, t.currentPeak);
    EXPECT_EQ(e.setup.view().nds.text, std::to_string(t.nds));
    EXPECT_EQ(e.setup.view().peakNumber.text, std::to_string(t.currentPeak));
    EXPECT_EQ(e.row(kPos).name, "Pos" + std::to_string(t.currentPeak));
    for (const auto& [index, value] : t.values) {
        EXPECT_NEAR(e.value(index), value, kTol) << index;
    }
    for (const auto& [index, link] : t.expectedLinks) {
        EXPECT_EQ(e.link(index), link) << index;
    }
    EXPECT_EQ(e.module.configSaved, t.nds == 3);
    EXPECT_EQ(effects.replot, !t.insert && t.nds != 3 ? std::optional(0) : std::nullopt);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(PeakSetup, InsertDelete, ::testing::Values(
    PeakCase{"InsertBeforePeak2MovesLinksWithThePeaks",
        {{kPos3, {kCorr, kPos1, 1.5, kPlus}}, {kHeight3, {kCorr, kHeight2, 0.5, kTimes}}},
        2, true, std::nullopt, 4, 2,
        {{kPos2, 0.0}, {kHeight2, 0.0}, {at(2, kLfwhm), 0.4}, {at(2, kGfwhm), 2.5}, {kPos3, 82.0},
         {kHeight4, 15000.0}},
        {{kPos4, {kCorr, kPos1, 1.5, kPlus}}, {kHeight4, {kCorr, kHeight3, 0.5, kTimes}},
         {kPos2, freeAt(kPos2)}, {kHeight2, freeAt(kHeight2)}}},
    PeakCase{"InsertMovesLinksOfEarlierPeaksIntoTheMovedOnes", {{kPos1, {kCorr, kPos3, 1.0, kPlus}}},
        2, true, std::nullopt, 4, 2, {}, {{kPos1, {kCorr, kPos4, 1.0, kPlus}}}},
    PeakCase{"DeletePeak1FreesItsDependantsAfterOneQuestion",
        {{kPos2, {kCorr, kPos1, 1.0, kPlus}}, {kHeight2, {kCorr, kHeight1, 2.0, kTimes}},
         {kHeight3, {kCorr, kHeight2, 0.5, kTimes}}},
        1, false, true, 2, 1, {{kPos1, 82.0}, {kPos2, 83.0}},
        {{kPos1, freeAt(kPos1)}, {kHeight1, freeAt(kHeight1)}, {kHeight2, {kCorr, kHeight1, 0.5, kTimes}}}},
    PeakCase{"DeleteCancelledChangesNothing", {{kPos2, {kCorr, kPos1, 1.0, kPlus}}},
        1, false, false, 3, 1, {{kPos1, 81.0}}, {{kPos2, {kCorr, kPos1, 1.0, kPlus}}}},
    PeakCase{"DeleteLastPeakSelectsTheNewLastAndFreesLinksIntoIt", {{kPos1, {kCorr, kPos3, 1.0, kPlus}}},
        3, false, true, 2, 2, {{kPos2, 82.0}}, {{kPos1, freeAt(kPos1)}}},
    PeakCase{"DeleteWithoutLinksIntoThePeakAsksNothing", {{kPos3, {kCorr, kPos1, 1.5, kPlus}}},
        2, false, std::nullopt, 2, 2, {{kPos2, 83.0}, {at(2, kAlpha), 0.1}},
        {{kPos2, {kCorr, kPos1, 1.5, kPlus}}}}),
    [](const ::testing::TestParamInfo<PeakCase>& p) { return std::string(p.param.name); });
// clang-format on

// ---- Opening --------------------------------------------------------------------------------

struct OpenCase {
    const char* name;
    int32_t nds;
    bool configIsNew, dataLoaded;
    double hmuData, hmuConfig;
    bool savedBefore;
    int32_t ndsShown;
    bool deleteEnabled, savedAfter;
};

class Opening : public ::testing::TestWithParam<OpenCase> {};

TEST_P(Opening, NormalisesAndNeverMarksSaved)
{
    const OpenCase& t = GetParam();
    // A varied parameter that names another as its partner.
    const std::vector<LinkAt> links = {{0, {kLinkVaried, 3, 0.0, kTimes}}};
    Editor e(t.nds, 0, t.nds > 0 ? links : std::vector<LinkAt>{});
    e.module.configIsNew = t.configIsNew;
    e.module.dataLoaded = t.dataLoaded;
    e.module.windowOpen.plot = true;
    e.module.spectrum.hmu = t.hmuData;
    e.module.configuration.hmuConfig = t.hmuConfig;
    e.module.configSaved = t.savedBefore;
    const SetupEffects effects = e.setup.Form_Load();

    EXPECT_EQ(e.module.configuration.nds, t.ndsShown);
    EXPECT_EQ(e.setup.view().nds.text, std::to_string(t.ndsShown));
    EXPECT_EQ(e.setup.view().peakLimit, t.ndsShown);
    EXPECT_EQ(e.setup.view().deleteEnabled, t.deleteEnabled);
    EXPECT_EQ(e.module.configSaved, t.savedAfter);
    EXPECT_EQ(e.menu.saveConfiguration.enabled, t.savedBefore && !t.savedAfter);
    EXPECT_EQ(e.link(0), freeAt(0));
    EXPECT_EQ(e.setup.view().peakNumber.text, "1");
    EXPECT_TRUE(e.module.windowOpen.peakSetup);
    EXPECT_EQ(effects.closePlotWindow, t.dataLoaded);
    EXPECT_EQ(effects.replot, t.dataLoaded ? std::optional(0) : std::nullopt);
    EXPECT_EQ(effects.plotSelectEnabled, t.dataLoaded ? std::optional(true) : std::nullopt);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(PeakSetup, Opening, ::testing::Values(
    OpenCase{"NoPeaksBecomeOne", 0, false, false, 0.0, 0.0, true, 1, false, true},
    OpenCase{"OnePeakCannotBeDeleted", 1, false, true, 0.0, 0.0, true, 1, false, true},
    OpenCase{"TwoSavedPeaksCanBeDeleted", 2, false, true, 0.0, 0.0, true, 2, true, true},
    OpenCase{"NewConfigurationCannotDelete", 2, true, true, 0.0, 0.0, false, 2, false, false},
    OpenCase{"OtherPhotonEnergyIsUnsaved", 2, false, true, 1486.6, 1253.6, true, 2, true, false},
    OpenCase{"OtherPhotonEnergyWithoutDataIsNot", 2, false, false, 1486.6, 1253.6, true, 2, true, true},
    OpenCase{"SamePhotonEnergyKeepsUnsaved", 2, false, true, 1486.6, 1486.6, false, 2, true, false}),
    [](const ::testing::TestParamInfo<OpenCase>& p) { return std::string(p.param.name); });
// clang-format on

// Delete is judged when the window opens: peaks inserted since do not enable it.
TEST(PeakSetup, DeleteStaysDisabledUntilReopened)
{
    Editor e(1, 0);
    e.setup.Form_Load();
    e.setup.cmdInsert_Click();
    EXPECT_EQ(e.setup.cmdDelete_Click(), SetupEffects{});
    EXPECT_EQ(e.module.configuration.nds, 2);
    e.setup.Form_Unload();
    e.setup.Form_Load();
    EXPECT_TRUE(e.setup.view().deleteEnabled);
}

// ---- Counting and selecting peaks ----------------------------------------------------------

// A new peak shows Pos and Height 0 and the widths of the peak before it once it is shown; a
// peak with any value inherits nothing; the lists keep their length until a peak is shown.
TEST(PeakSetup, NewPeakInheritsWidthsWhenShown)
{
    Editor e(1, 0);
    e.setup.Form_Load();
    e.setup.txtNDS_Change("3");
    EXPECT_EQ(e.row(kPos).entries.size(), 1U);
    e.module.configuration.p[kPos3] = 90.0;
    e.setup.txtPeakNumber_Change("2");
    EXPECT_EQ(e.row(kPos).entries, (std::vector<std::string>{"Pos1", "Pos2", "Pos3"}));
    const std::vector<std::string> shown = {"0.000", "0.000e+00", "0.200", "0.100", "1.500"};
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(e.setup.view().rows[i].value.text, shown[i]) << i;
    }
    EXPECT_EQ(e.value(at(2, kGfwhm)), 1.5);
    e.setup.txtPeakNumber_Change("3");
    EXPECT_EQ(e.value(at(3, kLfwhm)), 0.0);
}

struct CountCase {
    const char* name;
    const char* text;
    int32_t nds, currentPeak;
    bool invalid;
};

class PeakCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(PeakCount, TakesWholeNumbersFromOneOnly)
{
    const CountCase& t = GetParam();
    Editor e(3, 0, {{kPos1, {kCorr, kPos3, 1.0, kPlus}}});
    e.setup.Form_Load();
    e.setup.txtPeakNumber_Change("3");
    e.setup.txtNDS_Change(t.text);
    EXPECT_EQ(e.module.configuration.nds, t.nds);
    EXPECT_EQ(e.module.currentPeak, t.currentPeak);
    EXPECT_EQ(e.setup.view().peakLimit, t.nds);
    EXPECT_EQ(e.setup.view().nds.invalid, t.invalid);
    EXPECT_EQ(e.setup.view().peakNumber.text, std::to_string(t.currentPeak));
    EXPECT_EQ(e.module.configSaved, t.invalid);
    EXPECT_EQ(e.link(kPos1).partner, t.nds < 3 ? kPos1 : kPos3);  // never past the peaks
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(PeakSetup, PeakCount, ::testing::Values(
    CountCase{"Zero", "0", 3, 3, true}, CountCase{"Negative", "-1", 3, 3, true},
    CountCase{"Text", "abc", 3, 3, true}, CountCase{"Fraction", "2.5", 3, 3, true},
    CountCase{"Empty", "", 3, 3, true}, CountCase{"BeyondTheLimit", "1000", 3, 3, true},
    CountCase{"FewerThanSelectedSelectsTheLast", "2", 2, 2, false},
    CountCase{"More", "5", 5, 3, false}),
    [](const ::testing::TestParamInfo<CountCase>& p) { return std::string(p.param.name); });
// clang-format on

// A number that names no peak selects nothing and leaves no replot suppressed; a value typed
// but not left counts for the peak it was typed for; the plot window follows, and a number
// chosen there is not sent back.
TEST(PeakSetup, SelectingAPeakCommitsTheTypedValueFirst)
{
    Editor e(3, 0);
    e.module.dataLoaded = e.module.windowOpen.plot = true;
    e.module.plot.plotType = 2;
    e.setup.Form_Load();
    for (const char* text : {"abc", "0", "4", "1.5"}) {
        e.setup.txtPeakNumber_Change(text);
        EXPECT_EQ(e.module.currentPeak, 1) << text;
        EXPECT_TRUE(e.setup.view().peakNumber.invalid) << text;
        EXPECT_FALSE(e.module.replotSuppressed) << text;
    }
    e.setup.txtValue_Change(kPos, "90");
    const SetupEffects effects = e.setup.txtPeakNumber_Change("2");
    EXPECT_EQ(e.value(kPos1), 90.0);
    EXPECT_EQ(e.row(kPos).value.text, "82.000");
    EXPECT_EQ(effects.plotPeakNumber, 2);
    EXPECT_EQ(effects.replot, 2);
    EXPECT_EQ(e.setup.peakChosenInPlot("3").plotPeakNumber, std::nullopt);
    EXPECT_EQ(e.module.currentPeak, 3);
}

// ---- Values and coefficients ----------------------------------------------------------------

TEST(PeakSetup, ValuesAreCommittedOnlyWhenTyped)
{
    Editor e(1, 2, {}, {{kPos1, 84.0004}, {kHeight1, 1234.5}});
    e.setup.Form_Load();
    EXPECT_EQ(e.row(kPos).value.text, "84.000");
    EXPECT_EQ(e.row(kHeight).value.text, "1.235e+03");
    EXPECT_EQ(e.setup.txtValue_LostFocus(kPos, "84.000"), SetupEffects{});  // passing through
    EXPECT_EQ(e.value(kPos1), 84.0004);
    EXPECT_TRUE(e.module.configSaved);

    typeValue(e.setup, kHeight, "12x");
    EXPECT_EQ(e.value(kHeight1), 1234.5);
    EXPECT_TRUE(e.row(kHeight).value.invalid);
    e.setup.txtValue_Change(kHeight, "12");
    EXPECT_FALSE(e.row(kHeight).value.invalid);
    e.setup.txtPolValue_Change(1, "-2.5");
    e.setup.commitTypedBoxes();
    EXPECT_EQ(e.value(kHeight1), 12.0);
    EXPECT_EQ(e.module.configuration.a[1], -2.5);
    EXPECT_FALSE(e.module.configSaved);
    EXPECT_TRUE(e.menu.saveConfiguration.enabled);

    e.setup.txtValue_Change(kLfwhm, "0.75");  // closing commits it
    EXPECT_EQ(e.setup.Form_Unload().plotSelectEnabled, false);
    EXPECT_EQ(e.value(at(1, kLfwhm)), 0.75);
    e.setup.txtValue_Change(kLfwhm, "0.5");
    EXPECT_EQ(e.setup.txtValue_LostFocus(kLfwhm, "0.5"), SetupEffects{});
    EXPECT_EQ(e.value(at(1, kLfwhm)), 0.75);
}

TEST(PeakSetup, BackgroundTypeKeepsHiddenCoefficients)
{
    Editor e(1, 3);
    e.module.configuration.a = {10.0, -2.0, 0.5};
    e.setup.Form_Load();
    e.setup.optBack_Click(2);
    EXPECT_FALSE(e.setup.view().coefficients[2].visible);
    EXPECT_EQ(e.module.configuration.npar, 7);
    EXPECT_FALSE(e.module.configSaved);
    e.setup.optBack_Click(3);
    EXPECT_EQ(e.setup.view().coefficients[2], (CoefficientBox{true, TextBox{"0.5"}}));
    e.module.configSaved = true;
    e.setup.optBack_Click(0);  // no box to rewrite, still a change
    EXPECT_FALSE(e.setup.view().coefficientsShown);
    EXPECT_FALSE(e.module.configSaved);
}

struct AutoCase {
    const char* name;
    bool dataLoaded;
    std::vector<double> energy, counts;
    std::array<double, 3> a;
    const char* status;
};

class Auto : public ::testing::TestWithParam<AutoCase> {};

TEST_P(Auto, LineThroughFirstAndLastPoints)
{
    const AutoCase& t = GetParam();
    Editor e(1, 1);
    e.module.configuration.a = {1.0, 2.0, 3.0};
    e.module.dataLoaded = t.dataLoaded;
    e.module.spectrum.np = static_cast<int32_t>(t.energy.size());
    e.module.spectrum.energy = t.energy;
    e.module.spectrum.counts = t.counts;
    e.setup.Form_Load();
    e.module.configSaved = true;
    const SetupEffects effects = e.setup.cmdAuto_Click();
    EXPECT_EQ(e.module.configuration.a, t.a);
    EXPECT_EQ(effects.status.value_or(""), t.status);
    EXPECT_EQ(e.module.configSaved, *t.status != '\0');
    EXPECT_EQ(effects.replot, std::nullopt);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(PeakSetup, Auto, ::testing::Values(
    AutoCase{"Descending", true, {90.0, 85.0, 80.0}, {100.0, 50.0, 300.0}, {300.0, -20.0, 0.0}, ""},
    AutoCase{"NoSpectrum", false, {}, {}, {1.0, 2.0, 3.0},
             "  Auto needs a spectrum: open the data first - background unchanged"},
    AutoCase{"EqualEnergies", true, {80.0, 80.0}, {100.0, 300.0}, {1.0, 2.0, 3.0},
             "  Auto needs different first and last energies - background unchanged"}),
    [](const ::testing::TestParamInfo<AutoCase>& p) { return std::string(p.param.name); });
// clang-format on

// ---- Select mode -------------------------------------------------------------------------

struct MoveCase {
    const char* name;
    std::vector<LinkAt> links;
    bool binding, calculated;
    double pos, height;
    std::vector<std::string> messages;
    bool redraws;
};

class SelectMode : public ::testing::TestWithParam<MoveCase> {};

TEST_P(SelectMode, MovesWhatTheLinksAllow)
{
    const MoveCase& t = GetParam();
    Editor e(2, 1, t.links);
    e.module.dataLoaded = true;
    e.module.calculationDone = t.calculated;
    e.module.spectrum.binding = t.binding;
    e.module.spectrum.hmu = 1486.6;
    e.setup.Form_Load();
    e.setup.txtPeakNumber_Change("2");
    e.setup.txtPolValue_Change(0, "7");
    const SetupEffects effects = e.setup.moveSelectedPeak(84.12345, 12345.678);

    EXPECT_NEAR(e.value(kPos2), t.pos, kTol);
    EXPECT_NEAR(e.value(kHeight2), t.height, kTol);
    EXPECT_EQ(e.module.configuration.a[0], 7.0);  // the coefficient typed last is committed
    EXPECT_EQ(e.dialogs.texts(), t.messages);
    EXPECT_FALSE(e.module.replotSuppressed);
    EXPECT_EQ(effects.recalculate, t.redraws && t.calculated);
    EXPECT_EQ(effects.replot.has_value(), t.redraws && !t.calculated);
}

const LinkAt kPos2OnPos1{kPos2, {kCorr, kPos1, 1.0, kPlus}};
const LinkAt kHeight2OnHeight1{kHeight2, {kCorr, kHeight1, 2.0, kTimes}};

// clang-format off
INSTANTIATE_TEST_SUITE_P(PeakSetup, SelectMode, ::testing::Values(
    MoveCase{"BothFree", {}, false, false, 84.123, 12350.0, {}, true},
    MoveCase{"BindingEnergyShownTurnsKinetic", {}, true, true, 1402.477, 12350.0, {}, true},
    MoveCase{"PositionLinked", {kPos2OnPos1}, false, true, 82.0, 12350.0,
             {"Peak position fixed to another peak(s) - only height changed"}, true},
    MoveCase{"HeightLinked", {kHeight2OnHeight1}, false, false, 84.123, 10000.0,
             {"Peak height fixed to another peak(s) - only position changed"}, true},
    MoveCase{"BothLinked", {kPos2OnPos1, kHeight2OnHeight1}, false, true, 82.0, 10000.0,
             {"Peak position and height fixed to another peak(s) - cannot change"}, false}),
    [](const ::testing::TestParamInfo<MoveCase>& p) { return std::string(p.param.name); });
// clang-format on

}  // namespace
}  // namespace varnix::app::test
