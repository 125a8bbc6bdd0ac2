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

struct ShownRow {
    Kind kind;
    const char* value;
    const char* factor;
    bool multiply;
    bool plus;
    bool valueEnabled;
    int32_t entry;  // the peak "Correlated with" shows, from 0
};

struct LinkCase {
    const char* name;
    std::vector<LinkAt> links;  // before the window opens
    std::vector<ValueAt> values;
    int32_t peak;  // shown when the action starts
    std::function<void(PeakSetup&)> act;
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
    t.act(e.setup);

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

const ParameterLink kFree1{kLinkVaried, at(1, kPos), 1.0, kLinkKindNone};

INSTANTIATE_TEST_SUITE_P(
    LinkEditor, Links,
    ::testing::Values(
        LinkCase{"HeightByFactorFollowsItsPartner",
                 {{at(2, kHeight), {kLinkCorrelated, at(1, kHeight), 0.5, kLinkKindMultiplied}}},
                 {},
                 1,
                 [](PeakSetup& s) { typeValue(s, kHeight, "1000"); },
                 {{at(1, kHeight), 1000.0}, {at(2, kHeight), 500.0}},
                 {},
                 ShownRow{kHeight, "1000", "", false, false, true, 0},
                 {},
                 true},
        LinkCase{"PositionByOffsetFollowsItsPartner",
                 {{at(2, kPos), {kLinkCorrelated, at(1, kPos), 1.2, kLinkKindPlus}}},
                 {},
                 1,
                 [](PeakSetup& s) { typeValue(s, kPos, "84.0"); },
                 {{at(1, kPos), 84.0}, {at(2, kPos), 85.2}},
                 {},
                 std::nullopt,
                 {},
                 true},
        LinkCase{"MultiplyChosenInsteadOfPlus",
                 {{at(2, kPos), {kLinkCorrelated, at(1, kPos), 1.2, kLinkKindPlus}}},
                 {{at(1, kPos), 84.0}},
                 2,
                 [](PeakSetup& s) { s.links().optX_Click(kPos); },
                 {{at(2, kPos), 100.8}},
                 {{at(2, kPos), {kLinkCorrelated, at(1, kPos), 1.2, kLinkKindMultiplied}}},
                 ShownRow{kPos, "100.800", "1.2", true, false, false, 0},
                 {},
                 true},
        LinkCase{"ChainThroughACorrelatedPartnerIsRedirected",
                 {{at(3, kPos), {kLinkCorrelated, at(1, kPos), 2.0, kLinkKindPlus}},
                  {at(4, kPos), {kLinkFixed, at(4, kPos), 1.0, kLinkKindNone}}},
                 {},
                 4,
                 [](PeakSetup& s) { s.links().cmbVary_Click(kPos, 2); },
                 {{at(4, kPos), 81.0}},
                 {{at(4, kPos), {kLinkCorrelated, at(1, kPos), 1.0, kLinkKindMultiplied}}},
                 ShownRow{kPos, "81.000", "1", true, false, false, 0},
                 {"Warning - chosen variable  Pos3 is already correlated with Pos1.\n"
                  "Thus Pos4 will be correlated with Pos1."},
                 true},
        LinkCase{"FixingAPartnerFixesItsDependants",
                 {{at(2, kPos), {kLinkCorrelated, at(1, kPos), 1.0, kLinkKindPlus}},
                  {at(3, kPos), {kLinkCorrelated, at(1, kPos), 2.0, kLinkKindPlus}}},
                 {},
                 1,
                 [](PeakSetup& s) { s.links().chkVary_Click(kPos, true); },
                 {},
                 {{at(1, kPos), {kLinkFixed, at(1, kPos), 1.0, kLinkKindNone}},
                  {at(2, kPos), {kLinkFixed, at(1, kPos), 1.0, kLinkKindPlus}},
                  {at(3, kPos), {kLinkFixed, at(1, kPos), 2.0, kLinkKindPlus}}},
                 ShownRow{kPos, "81.000", "", false, false, true, 0},
                 {},
                 true},
        LinkCase{"FreeingAPartnerLetsDependantsFollowIt",
                 {{at(1, kPos), {kLinkFixed, at(1, kPos), 1.0, kLinkKindNone}},
                  {at(2, kPos), {kLinkFixed, at(1, kPos), 1.0, kLinkKindPlus}},
                  {at(3, kPos), {kLinkFixed, at(1, kPos), 2.0, kLinkKindPlus}}},
                 {},
                 1,
                 [](PeakSetup& s) { s.links().chkVary_Click(kPos, false); },
                 {},
                 {{at(1, kPos), kFree1},
                  {at(2, kPos), {kLinkCorrelated, at(1, kPos), 1.0, kLinkKindPlus}},
                  {at(3, kPos), {kLinkCorrelated, at(1, kPos), 2.0, kLinkKindPlus}}},
                 std::nullopt,
                 {},
                 true},
        LinkCase{"StoredFactorZeroIsShownAsOffset",
                 {{at(2, kHeight), {kLinkCorrelated, at(1, kHeight), 0.0, kLinkKindMultiplied}}},
                 {},
                 2,
                 [](PeakSetup&) {},
                 {},
                 {{at(2, kHeight), {kLinkCorrelated, at(1, kHeight), 0.0, kLinkKindPlus}}},
                 ShownRow{kHeight, "1.000e+04", "0", false, true, false, 0},
                 {},
                 false},
        LinkCase{"EmptyFactorLeftTurnsIntoTheOffset",
                 {{at(2, kPos), {kLinkCorrelated, at(1, kPos), 0.5, kLinkKindMultiplied}}},
                 {{at(1, kPos), 84.0}},
                 2,
                 [](PeakSetup& s) {
                     s.links().txtFactor_Change(kPos, "");
                     s.links().txtFactor_LostFocus(kPos, "");
                 },
                 {{at(2, kPos), 84.5}},
                 {{at(2, kPos), {kLinkCorrelated, at(1, kPos), 0.5, kLinkKindPlus}}},
                 ShownRow{kPos, "84.500", "0.5", false, true, false, 0},
                 {},
                 true},
        LinkCase{"OwnPeakChosenFixesAtTheValue",
                 {{at(2, kPos), {kLinkCorrelated, at(1, kPos), 0.5, kLinkKindMultiplied}}},
                 {},
                 2,
                 [](PeakSetup& s) { s.links().cmbVary_Click(kPos, 1); },
                 {{at(2, kPos), 82.0}},
                 {{at(2, kPos), {kLinkFixed, at(2, kPos), 0.5, kLinkKindNone}}},
                 ShownRow{kPos, "82.000", "", false, false, true, 1},
                 {},
                 true},
        LinkCase{"ValueFollowsEveryKeystrokeOfTheFactor",
                 {{at(2, kHeight), {kLinkCorrelated, at(1, kHeight), 1.0, kLinkKindMultiplied}}},
                 {},
                 2,
                 [](PeakSetup& s) {
                     for (const char* typed : {"0", "0.", "0.2", "0.2x"}) {
                         s.links().txtFactor_Change(kHeight, typed);
                     }
                 },
                 {{at(2, kHeight), 1000.0}},
                 {{at(2, kHeight), {kLinkCorrelated, at(1, kHeight), 0.2, kLinkKindMultiplied}}},
                 ShownRow{kHeight, "1.000e+03", "0.2x", true, false, false, 0},
                 {},
                 true},
        LinkCase{"DependantsOfANewlyCorrelatedParameterFollowItsPartner",
                 {{at(1, kPos), {kLinkFixed, at(1, kPos), 1.0, kLinkKindNone}},
                  {at(2, kPos), {kLinkFixed, at(1, kPos), 1.0, kLinkKindPlus}}},
                 {},
                 1,
                 [](PeakSetup& s) { s.links().cmbVary_Click(kPos, 2); },
                 {{at(1, kPos), 83.0}},
                 {{at(1, kPos), {kLinkCorrelated, at(3, kPos), 1.0, kLinkKindMultiplied}},
                  {at(2, kPos), {kLinkCorrelated, at(3, kPos), 1.0, kLinkKindPlus}}},
                 ShownRow{kPos, "83.000", "1", true, false, false, 2},
                 {},
                 true}),
    [](const ::testing::TestParamInfo<LinkCase>& param) { return param.param.name; });

// Before the window is filled, and for entries the list does not hold, nothing changes.
TEST(LinkEditor, IgnoresEventsBeforeReadyAndOutsideThePeaks)
{
    Editor e(2, 0);
    const Configuration before = e.module.configuration;
    EXPECT_EQ(e.setup.links().chkVary_Click(kPos, true), SetupEffects{});
    e.setup.Form_Load();
    e.setup.links().chkVary_Click(kPos, true);
    const Configuration fixed = e.module.configuration;
    EXPECT_NE(fixed, before);
    EXPECT_EQ(e.setup.links().cmbVary_Click(kPos, 2), SetupEffects{});
    EXPECT_EQ(e.setup.links().cmbVary_Click(kPos, -1), SetupEffects{});
    EXPECT_EQ(e.module.configuration, fixed);
}

}  // namespace
}  // namespace varnix::app::test
