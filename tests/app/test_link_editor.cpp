// The link rules of the setup window's rows: what a user sees after each click or keystroke in
// "Fixed?", "Correlated with", "Factor" and the x/+ options, and how values follow partners.
#include "editor_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace varnix::app::test {
namespace {

constexpr double kTol = 1e-9;  // values are a single product or sum of short decimals

// What one row shows: value text, Factor text, x, +, value box enabled (Factor the opposite),
// the peak "Correlated with" shows (from 0).
struct ShownRow {
    Kind kind;
    const char* value;
    const char* factor;
    bool multiply, plus, valueEnabled;
    int32_t entry;
};

struct LinkCase {
    const char* name;
    std::vector<LinkAt> links;  // before the window opens
    std::vector<ValueAt> values;
    int32_t peak;  // shown when the action starts
    std::function<void(LinkEditor&, PeakSetup&)> act;
    std::vector<ValueAt> expectedValues;
    std::vector<LinkAt> expectedLinks;
    std::optional<ShownRow> shown;
    std::vector<std::string> messages;
    bool modified;
};

class Links : public ::testing::TestWithParam<LinkCase> {};

TEST_P(Links, RecordsValuesAndRow)
{
    const LinkCase& t = GetParam();
    Editor e(4, 0, t.links, t.values);
    e.setup.Form_Load();
    e.setup.txtPeakNumber_Change(std::to_string(t.peak));
    e.module.configSaved = true;
    t.act(e.setup.links(), e.setup);

    for (const auto& [index, value] : t.expectedValues) {
        EXPECT_NEAR(e.value(index), value, kTol) << index;
    }
    for (const auto& [index, link] : t.expectedLinks) {
        EXPECT_EQ(e.link(index), link) << index;
    }
    if (t.shown) {
        const ParameterRow& row = e.row(t.shown->kind);
        EXPECT_EQ(row.value.text, t.shown->value);
        EXPECT_EQ(row.factor.text, t.shown->factor);
        EXPECT_EQ(row.multiplySelected, t.shown->multiply);
        EXPECT_EQ(row.plusSelected, t.shown->plus);
        EXPECT_EQ(row.value.enabled, t.shown->valueEnabled);
        EXPECT_EQ(row.factor.enabled, !t.shown->valueEnabled);
        EXPECT_EQ(row.selectedEntry, t.shown->entry);
    }
    EXPECT_EQ(e.dialogs.texts(), t.messages);
    EXPECT_EQ(e.module.configSaved, !t.modified);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(LinkEditor, Links, ::testing::Values(
    LinkCase{"HeightByFactorFollowsItsPartner", {{kHeight2, {kCorr, kHeight1, 0.5, kTimes}}}, {}, 1,
        [](LinkEditor&, PeakSetup& s) { typeValue(s, kHeight, "1000"); },
        {{kHeight1, 1000.0}, {kHeight2, 500.0}}, {},
        ShownRow{kHeight, "1000", "", false, false, true, 0}, {}, true},
    LinkCase{"PositionByOffsetFollowsItsPartner", {{kPos2, {kCorr, kPos1, 1.2, kPlus}}}, {}, 1,
        [](LinkEditor&, PeakSetup& s) { typeValue(s, kPos, "84.0"); },
        {{kPos1, 84.0}, {kPos2, 85.2}}, {}, std::nullopt, {}, true},
    LinkCase{"MultiplyChosenInsteadOfPlus", {{kPos2, {kCorr, kPos1, 1.2, kPlus}}}, {{kPos1, 84.0}}, 2,
        [](LinkEditor& l, PeakSetup&) { l.optX_Click(kPos); },
        {{kPos2, 100.8}}, {{kPos2, {kCorr, kPos1, 1.2, kTimes}}},
        ShownRow{kPos, "100.800", "1.2", true, false, false, 0}, {}, true},
    LinkCase{"ChainThroughACorrelatedPartnerIsRedirected",
        {{kPos3, {kCorr, kPos1, 2.0, kPlus}}, {kPos4, {kFixed, kPos4, 1.0, 0}}}, {}, 4,
        [](LinkEditor& l, PeakSetup&) { l.cmbVary_Click(kPos, 2); },
        {{kPos4, 81.0}}, {{kPos4, {kCorr, kPos1, 1.0, kTimes}}},
        ShownRow{kPos, "81.000", "1", true, false, false, 0},
        {"Warning - chosen variable  Pos3 is already correlated with Pos1.\n"
         "Thus Pos4 will be correlated with Pos1."}, true},
    LinkCase{"FixingAPartnerFixesItsDependants",
        {{kPos2, {kCorr, kPos1, 1.0, kPlus}}, {kPos3, {kCorr, kPos1, 2.0, kPlus}}}, {}, 1,
        [](LinkEditor& l, PeakSetup&) { l.chkVary_Click(kPos, true); }, {},
        {{kPos1, {kFixed, kPos1, 1.0, 0}}, {kPos2, {kFixed, kPos1, 1.0, kPlus}},
         {kPos3, {kFixed, kPos1, 2.0, kPlus}}},
        ShownRow{kPos, "81.000", "", false, false, true, 0}, {}, true},
    LinkCase{"FreeingAPartnerLetsDependantsFollowIt",
        {{kPos1, {kFixed, kPos1, 1.0, 0}}, {kPos2, {kFixed, kPos1, 1.0, kPlus}}}, {}, 1,
        [](LinkEditor& l, PeakSetup&) { l.chkVary_Click(kPos, false); }, {},
        {{kPos1, {kVaried, kPos1, 1.0, 0}}, {kPos2, {kCorr, kPos1, 1.0, kPlus}}},
        std::nullopt, {}, true},
    LinkCase{"StoredFactorZeroIsShownAsOffset", {{kHeight2, {kCorr, kHeight1, 0.0, kTimes}}}, {}, 2,
        [](LinkEditor&, PeakSetup&) {}, {}, {{kHeight2, {kCorr, kHeight1, 0.0, kPlus}}},
        ShownRow{kHeight, "1.000e+04", "0", false, true, false, 0}, {}, false},
    LinkCase{"EmptyFactorLeftTurnsIntoTheOffset", {{kPos2, {kCorr, kPos1, 0.5, kTimes}}},
        {{kPos1, 84.0}}, 2,
        [](LinkEditor& l, PeakSetup&) { l.txtFactor_Change(kPos, ""); l.txtFactor_LostFocus(kPos, ""); },
        {{kPos2, 84.5}}, {{kPos2, {kCorr, kPos1, 0.5, kPlus}}},
        ShownRow{kPos, "84.500", "0.5", false, true, false, 0}, {}, true},
    LinkCase{"OwnPeakChosenFixesAtTheValue", {{kPos2, {kCorr, kPos1, 0.5, kTimes}}}, {}, 2,
        [](LinkEditor& l, PeakSetup&) { l.cmbVary_Click(kPos, 1); },
        {{kPos2, 82.0}}, {{kPos2, {kFixed, kPos2, 0.5, 0}}},
        ShownRow{kPos, "82.000", "", false, false, true, 1}, {}, true},
    LinkCase{"ValueFollowsEveryKeystrokeOfTheFactor", {{kHeight2, {kCorr, kHeight1, 1.0, kTimes}}}, {}, 2,
        [](LinkEditor& l, PeakSetup&) {
            for (const char* typed : {"0", "0.", "0.2", "0.2x"}) { l.txtFactor_Change(kHeight, typed); }
        },
        {{kHeight2, 1000.0}}, {{kHeight2, {kCorr, kHeight1, 0.2, kTimes}}},
        ShownRow{kHeight, "1.000e+03", "0.2x", true, false, false, 0}, {}, true},
    LinkCase{"DependantsOfANewlyCorrelatedParameterFollowItsPartner",
        {{kPos1, {kFixed, kPos1, 1.0, 0}}, {kPos2, {kFixed, kPos1, 1.0, kPlus}}}, {}, 1,
        [](LinkEditor& l, PeakSetup&) { l.cmbVary_Click(kPos, 2); },
        {{kPos1, 83.0}}, {{kPos1, {kCorr, kPos3, 1.0, kTimes}}, {kPos2, {kCorr, kPos3, 1.0, kPlus}}},
        ShownRow{kPos, "83.000", "1", true, false, false, 2}, {}, true}),
    [](const ::testing::TestParamInfo<LinkCase>& p) { return std::string(p.param.name); });
// clang-format on

// Before the window is filled, and for entries the list does not hold, nothing changes.
TEST(LinkEditor, IgnoresEventsBeforeReadyAndOutsideThePeaks)
{
    Editor e(2, 0);
    EXPECT_EQ(e.setup.links().chkVary_Click(kPos, true), SetupEffects{});
    e.setup.Form_Load();
    const Configuration opened = e.module.configuration;
    e.setup.links().chkVary_Click(kPos, true);
    const Configuration fixed = e.module.configuration;
    EXPECT_NE(fixed, opened);
    for (const int32_t entry : {-1, 2}) {
        EXPECT_EQ(e.setup.links().cmbVary_Click(kPos, entry), SetupEffects{}) << entry;
    }
    EXPECT_EQ(e.module.configuration, fixed);
}

}  // namespace
}  // namespace varnix::app::test
