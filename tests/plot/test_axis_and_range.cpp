// The axis-step choice and the Y range, against values worked out by hand from the rules.
#include "axis_step.h"
#include "kelmar_page.h"
#include "ps_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace varnix::plot {
namespace {

struct StepCase {
    std::string name;
    double lo;
    double hi;
    double step;
    double first;
    int decimals;
    LabelStyle style;
};

class AxisStepRule : public ::testing::TestWithParam<StepCase> {};

TEST_P(AxisStepRule, MatchesHandWorkedValues)
{
    const StepCase& c = GetParam();
    const AxisStep s = chooseAxisStep(c.lo, c.hi);
    // The step is a decimal number: the double nearest to it is exact enough.
    EXPECT_DOUBLE_EQ(s.step, c.step);
    EXPECT_NEAR(s.firstLabel, c.first, 1e-9 * c.step);
    EXPECT_EQ(s.decimals, c.decimals);
    EXPECT_EQ(s.style, c.style);
}

constexpr auto kFloat = LabelStyle::Float;
constexpr auto kExp = LabelStyle::Exponential;

INSTANTIATE_TEST_SUITE_P(
    Ranges, AxisStepRule,
    ::testing::Values(
        // The cases the page must reproduce: a span of 15.2, 0.03, 1500 and 2000.
        StepCase{"span15_2", 280.0, 295.2, 5.0, 285.0, 1, kFloat},
        StepCase{"span0_03", 1.0, 1.03, 0.01, 1.01, 2, kFloat},
        StepCase{"span1500", 0.0, 1500.0, 500.0, 500.0, 1, kFloat},
        StepCase{"span2000", 0.0, 2000.0, 1000.0, 1000.0, 1, kExp},
        // A lower end on a multiple of the step is labelled one step above, 0 included.
        StepCase{"zeroStartsOneStepUp", 0.0, 105.0, 50.0, 50.0, 1, kFloat},
        StepCase{"multipleStartsOneStepUp", 0.3, 0.6, 0.1, 0.4, 1, kFloat},
        StepCase{"offMultiple", 281.3, 296.3, 5.0, 285.0, 1, kFloat},
        // Below 0 the first label is the multiple at or above the lower end.
        StepCase{"negativeStart", -12.3, 40.0, 20.0, 0.0, 1, kFloat},
        StepCase{"negativeMultiple", -40.0, 10.0, 20.0, -40.0, 1, kFloat},
        StepCase{"negativeOffMultiple", -210.0, 1365.0, 500.0, 0.0, 1, kFloat},
        // Descending ends: the span is what counts, the first label follows the lower-end rule
        // applied to the first end.
        StepCase{"descending", 295.0, 280.0, 5.0, 300.0, 1, kFloat},
        // Spans on the boundaries of the three step sizes and of the normalisation.
        StepCase{"span1", 0.0, 1.0, 0.2, 0.2, 1, kFloat},
        StepCase{"span0_1", 0.0, 0.1, 0.05, 0.05, 2, kFloat},
        StepCase{"span100", 0.0, 100.0, 20.0, 20.0, 1, kFloat},
        StepCase{"span0_01", 0.0, 0.01, 0.005, 0.005, 3, kFloat},
        StepCase{"span0_2", 0.0, 0.2, 0.1, 0.1, 1, kFloat},
        StepCase{"span0_5", 0.0, 0.5, 0.2, 0.2, 1, kFloat},
        StepCase{"span1000", 0.0, 1000.0, 200.0, 200.0, 1, kFloat},
        StepCase{"span3000", 0.0, 3000.0, 1000.0, 1000.0, 1, kExp},
        StepCase{"span0_004", 0.0, 0.004, 0.001, 0.001, 3, kFloat},
        StepCase{"span0_0005", 0.0, 0.0005, 0.0002, 0.0002, 1, kExp},
        StepCase{"span1_5e_7", 0.0, 1.5e-7, 5e-8, 5e-8, 1, kExp},
        StepCase{"span3e38", 0.0, 3e38, 1e38, 1e38, 1, kExp}),
    [](const ::testing::TestParamInfo<StepCase>& c) { return c.param.name; });

// Ranges of a page built from a few values: data, fit and components, with residuals or not.
struct RangeCase {
    std::string name;
    std::vector<float> counts;
    std::vector<float> residuals;
    double lo;
    double hi;
};

class YRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(YRange, CoversWhatIsDrawn)
{
    const RangeCase& c = GetParam();
    const std::vector<float> fit(c.counts.size(), c.counts.empty() ? 0.0f : c.counts[0]);
    SpectrumPage page;
    page.counts = c.counts;
    page.calculated = fit;
    page.residuals = c.residuals;
    const ValueRange r = drawableRange(valueRange(page));
    EXPECT_NEAR(r.lo, c.lo, 1e-9 * std::fabs(c.hi - c.lo));
    EXPECT_NEAR(r.hi, c.hi, 1e-9 * std::fabs(c.hi - c.lo));
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Values, YRange,
    ::testing::Values(
        RangeCase{"fromZeroTo5PercentAbove", {10, 200, 40}, {}, 0.0, 210.0},
        RangeCase{"fromTheSmallestResidual", {10, 200, 40}, {-20, 5, -40}, -42.0, 210.0},
        RangeCase{"positiveResidualsStartAtThem", {10, 200, 40}, {20, 30, 25}, 20.0, 210.0},
        RangeCase{"residualAboveEverything", {10, 200, 40}, {-20, 400, 0}, -21.0, 420.0},
        RangeCase{"notNumbersLeftOut", {10, kNaN, 200, kInf}, {kNaN, -20, -kInf}, -21.0, 210.0},
        // No range from the rule: everything negative without residuals, nothing finite, all
        // zero. The range then holds every value, widened around a single one.
        RangeCase{"allNegativeEndsAtZero", {-10, -200, -40}, {}, -210.0, 0.0},
        RangeCase{"nothingFinite", {kNaN, kInf}, {}, 0.0, 1.0},
        RangeCase{"allZero", {0, 0, 0}, {}, 0.0, 1.0},
        RangeCase{"allZeroWithResiduals", {0, 0}, {0, 0}, 0.0, 1.0},
        RangeCase{"noPoints", {}, {}, 0.0, 1.0},
        RangeCase{"allEqualResidualsEqual", {50, 50}, {50, 50}, 50.0, 52.5}),
    [](const ::testing::TestParamInfo<RangeCase>& c) { return c.param.name; });

struct LabelCase {
    std::string name;
    double value;
    double step;
    LabelStyle style;
    int decimals;
    std::string text;
};

class AxisLabel : public ::testing::TestWithParam<LabelCase> {};

TEST_P(AxisLabel, ReadsAsTheValue)
{
    const LabelCase& c = GetParam();
    EXPECT_EQ(axisLabel(c.value, c.step, c.style, c.decimals), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Labels, AxisLabel,
    ::testing::Values(LabelCase{"fixed", 285.0, 5.0, kFloat, 1, "285.0"},
                      LabelCase{"twoDecimals", 1.01, 0.01, kFloat, 2, "1.01"},
                      LabelCase{"negative", -500.0, 500.0, kFloat, 1, "-500.0"},
                      // -20 × 0 and sums that miss 0 by rounding are labelled 0.
                      LabelCase{"negativeZero", -0.0, 20.0, kFloat, 1, "0.0"},
                      LabelCase{"roundingNearZero", -2.7e-17, 0.1, kFloat, 1, "0.0"},
                      LabelCase{"exponential", 2000.0, 1000.0, kExp, 1, "2.0E+03"},
                      LabelCase{"smallExponential", 2e-4, 2e-4, kExp, 1, "2.0E-04"}),
    [](const ::testing::TestParamInfo<LabelCase>& c) { return c.param.name; });

TEST(PostScriptText, StringsAreEscapedAndLatin1Encoded)
{
    EXPECT_EQ(psString("Binding Energy (ev)"), "(Binding Energy \\(ev\\))");
    EXPECT_EQ(psString("a\\b"), "(a\\\\b)");
    EXPECT_EQ(psString("\xC3\xA9nergie \xC2\xB5m"), "(\\351nergie \\265m)");
    EXPECT_EQ(psString("\xE2\x82\xAC\t\xFF"), "(?" "?" "?)");
    EXPECT_EQ(psNumber(std::nan("")), "0.00");
    EXPECT_EQ(psNumber(-1e300), "-100000.00");
    EXPECT_EQ(psNumber(-0.001), "0.00");
}

TEST(DrawableRange, WidensEqualEndsAndKeepsDirection)
{
    const ValueRange equal = drawableRange({285.0, 285.0});
    EXPECT_DOUBLE_EQ(equal.lo, 285.0 - 14.25);
    EXPECT_DOUBLE_EQ(equal.hi, 285.0 + 14.25);
    const ValueRange descending = drawableRange({295.0, 280.0});
    EXPECT_EQ(descending.lo, 295.0);
    EXPECT_EQ(descending.hi, 280.0);
    const ValueRange broken = drawableRange({std::nan(""), 3.0});
    EXPECT_EQ(broken.lo, 0.0);
    EXPECT_EQ(broken.hi, 1.0);
}

}  // namespace
}  // namespace varnix::plot
