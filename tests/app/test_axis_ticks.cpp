// The axis tick rule: the ranges XPS users meet (a region, a survey, a narrow doublet, a window
// zoomed to a few meV, counts in the millions, residuals around zero) against ticks and labels
// worked out by hand, then every range of a wide sweep against the rule's promises checked
// independently: 4 to 8 labelled ticks, inside the range, on a step of 1, 2, 2.5 or 5 × 10^k,
// labels that tell the ticks apart and read back as them.
#include "core/display/axis_ticks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace varnix::app {
namespace {

using Values = std::vector<double>;
using Labels = std::vector<std::string>;

Labels labelsOf(const AxisTicks& ticks)
{
    Labels labels;
    for (double tick : ticks.major) {
        labels.push_back(tickLabel(tick, ticks));
    }
    return labels;
}

struct TickCase {
    const char* name;
    double low, high;  // as the axis holds them, either order
    double step;
    Labels labels;
    Values major;  // exactly, as the literals' doubles
};

class AxisTickCases : public testing::TestWithParam<TickCase> {};

TEST_P(AxisTickCases, StepTicksAndLabels)
{
    const TickCase& c = GetParam();
    const AxisTicks ticks = axisTicks(c.low, c.high);
    EXPECT_EQ(ticks.step, c.step);
    EXPECT_EQ(ticks.major, c.major);
    EXPECT_EQ(labelsOf(ticks), c.labels);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(XpsRanges, AxisTickCases, testing::Values(
    // Step 2 would give 10 ticks; 2.5 gives 7, with the half shown.
    TickCase{"Ag3dBinding382To364", 382.0, 364.0, 2.5,
             {"365.0", "367.5", "370.0", "372.5", "375.0", "377.5", "380.0"},
             {365.0, 367.5, 370.0, 372.5, 375.0, 377.5, 380.0}},
    TickCase{"Survey1200To0", 1200.0, 0.0, 200.0, {"0", "200", "400", "600", "800", "1000", "1200"},
             {0.0, 200.0, 400.0, 600.0, 800.0, 1000.0, 1200.0}},
    TickCase{"Au4f92To82", 92.0, 82.0, 2.0, {"82", "84", "86", "88", "90", "92"},
             {82.0, 84.0, 86.0, 88.0, 90.0, 92.0}},
    // Limits that are not multiples: only the ticks inside.
    TickCase{"KineticRegionOddLimits", 1103.7, 1125.2, 5.0,
             {"1105", "1110", "1115", "1120", "1125"},
             {1105.0, 1110.0, 1115.0, 1120.0, 1125.0}},
    // Ends that are multiples only up to rounding (283.41 / 0.01 is not quite 28341).
    TickCase{"ZoomedToHundredths", 283.41, 283.47, 0.01,
             {"283.41", "283.42", "283.43", "283.44", "283.45", "283.46", "283.47"},
             {283.41, 283.42, 283.43, 283.44, 283.45, 283.46, 283.47}},
    TickCase{"ZoomedToAFewMeV", 1486.6001, 1486.6009, 0.0002,
             {"1486.6002", "1486.6004", "1486.6006", "1486.6008"},
             {1486.6002, 1486.6004, 1486.6006, 1486.6008}},
    TickCase{"ResidualsAroundZero", -7.3, 12.1, 2.5,
             {"-5.0", "-2.5", "0.0", "2.5", "5.0", "7.5", "10.0"},
             {-5.0, -2.5, 0.0, 2.5, 5.0, 7.5, 10.0}},
    TickCase{"UnitRange", 0.0, 1.0, 0.2, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"},
             {0.0, 0.2, 0.4, 0.6, 0.8, 1.0}},
    // Counts of a million and more: exponent form, zero plain.
    TickCase{"MillionsOfCounts", -30000.0, 1.26e6, 200000.0,
             {"0", "2.0E+05", "4.0E+05", "6.0E+05", "8.0E+05", "1.0E+06", "1.2E+06"},
             {0.0, 200000.0, 400000.0, 600000.0, 800000.0, 1e6, 1.2e6}},
    // Step 2E+05 would give 9 ticks; 2.5E+05 needs a third mantissa digit.
    TickCase{"MillionsOnAHalfStep", 0.0, 1.75e6, 250000.0,
             {"0", "2.50E+05", "5.00E+05", "7.50E+05", "1.00E+06", "1.25E+06", "1.50E+06",
              "1.75E+06"},
             {0.0, 250000.0, 500000.0, 750000.0, 1e6, 1.25e6, 1.5e6, 1.75e6}}),
    [](const testing::TestParamInfo<TickCase>& item) { return std::string(item.param.name); });
// clang-format on

TEST(AxisTicks, MinorTicksSplitEachStepIntoRoundParts)
{
    // Step 2 into halves of one: every multiple of 0.5 inside that is not a major tick.
    const AxisTicks au = axisTicks(82.0, 92.0);
    Values expected;
    for (double v = 82.5; v < 92.0; v += 0.5) {
        if (std::fmod(v, 2.0) != 0.0) {
            expected.push_back(v);
        }
    }
    EXPECT_EQ(au.minor, expected);
    // Step 200 into quarters: 50, 100, 150, 250, …, 1150.
    const AxisTicks survey = axisTicks(0.0, 1200.0);
    EXPECT_EQ(survey.minor.size(), 18U);
    EXPECT_EQ(survey.minor.front(), 50.0);
    EXPECT_EQ(survey.minor.back(), 1150.0);
    // Step 5 into fifths: the ends 1103.7 and 1125.2 keep 1104 and 1125 … none beyond.
    const AxisTicks kinetic = axisTicks(1103.7, 1125.2);
    EXPECT_EQ(kinetic.minor.front(), 1104.0);
    EXPECT_EQ(kinetic.minor.back(), 1124.0);
    // Step 2.5 into halves of one, beside the major ticks too: 364 … 382 by 0.5.
    const AxisTicks ag = axisTicks(364.0, 382.0);
    EXPECT_EQ(ag.minor.front(), 364.0);
    EXPECT_EQ(ag.minor.back(), 382.0);
    EXPECT_EQ(ag.minor.size() + ag.major.size(), 37U);
}

struct DegenerateCase {
    const char* name;
    double low, high;
};

class NoTicks : public testing::TestWithParam<DegenerateCase> {};

TEST_P(NoTicks, RangeWithoutUsableWidth)
{
    const AxisTicks ticks = axisTicks(GetParam().low, GetParam().high);
    EXPECT_TRUE(ticks.major.empty());
    EXPECT_TRUE(ticks.minor.empty());
    EXPECT_EQ(ticks.step, 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    Degenerate, NoTicks,
    testing::Values(DegenerateCase{"NoWidth", 5.0, 5.0},
                    DegenerateCase{"NotANumber", std::numeric_limits<double>::quiet_NaN(), 1.0},
                    DegenerateCase{"Infinite", 0.0, std::numeric_limits<double>::infinity()},
                    // 1e-6 wide at 1e9: neighbouring ticks would be the same double.
                    DegenerateCase{"BelowDoublePrecision", 1e9, 1e9 + 1e-6}),
    [](const testing::TestParamInfo<DegenerateCase>& item) { return item.param.name; });

// The step as mantissa × 10^k with the mantissa one of the series, within rounding.
bool isNiceStep(double step)
{
    constexpr double kRelTol = 1e-12;  // a power of ten divided or multiplied once
    const double exponent = std::floor(std::log10(step));
    const double mantissa = step / std::pow(10.0, exponent);
    for (double nice : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (std::abs(mantissa - nice) <= kRelTol * nice) {
            return true;
        }
    }
    return false;
}

// Spans from a micro-eV to ten million counts, at offsets from zero to far beyond the span, in
// both orders: every promise of the rule, checked without it.
TEST(AxisTicks, EveryRangeOfASweepKeepsThePromises)
{
    int ranges = 0;
    for (double span = 1e-6; span < 1e7; span *= 1.37) {
        for (double low : {0.0, -0.5 * span, 0.37 * span, 3.0 * span, 283.0, 1486.6}) {
            const double high = low + span;
            const AxisTicks ticks = axisTicks(high, low);
            const std::string where = std::to_string(low) + " … " + std::to_string(high);
            ASSERT_GE(ticks.major.size(), 4U) << where;
            ASSERT_LE(ticks.major.size(), 8U) << where;
            EXPECT_TRUE(isNiceStep(ticks.step)) << where << " step " << ticks.step;
            std::set<std::string> labels;
            for (std::size_t i = 0; i < ticks.major.size(); ++i) {
                const double tick = ticks.major[i];
                const double slack = 1e-9 * ticks.step;  // ends equal up to rounding
                EXPECT_GE(tick, low - slack) << where;
                EXPECT_LE(tick, high + slack) << where;
                EXPECT_NEAR(std::remainder(tick, ticks.step), 0.0, 1e-6 * ticks.step) << where;
                if (i > 0) {
                    EXPECT_NEAR(tick - ticks.major[i - 1], ticks.step, 1e-6 * ticks.step);
                }
                const std::string label = tickLabel(tick, ticks);
                // What the label says is the tick, to far better than a step.
                EXPECT_NEAR(std::stod(label), tick, 1e-3 * ticks.step) << where << " " << label;
                labels.insert(label);
            }
            EXPECT_EQ(labels.size(), ticks.major.size()) << where;
            ++ranges;
        }
    }
    EXPECT_GT(ranges, 200);
}

}  // namespace
}  // namespace varnix::app
