// The axis-step choice against values worked out by hand, and the natural cubic spline against
// one solved independently.
#include "axis_step.h"
#include "cubic_spline.h"
#include "kelmar_page.h"
#include "ps_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace varnix::plot {
namespace {

constexpr auto kFloat = LabelStyle::Float;
constexpr auto kExp = LabelStyle::Exponential;

struct StepCase {
    std::string name;
    double lo, hi, step, first;
    int decimals;
    LabelStyle style;
    std::string label;  // the first label as printed
    friend void PrintTo(const StepCase& c, std::ostream* out) { *out << c.name; }
};

class AxisStepRule : public ::testing::TestWithParam<StepCase> {};

TEST_P(AxisStepRule, MatchesHandWorkedValues)
{
    const StepCase& c = GetParam();
    const AxisStep s = chooseAxisStep(c.lo, c.hi);
    EXPECT_DOUBLE_EQ(s.step, c.step);
    // lo / step may round a hair off a whole number, never a step off.
    EXPECT_NEAR(s.firstLabel, c.first, 1e-9 * c.step);
    EXPECT_EQ(s.decimals, c.decimals);
    EXPECT_EQ(s.style, c.style);
    EXPECT_EQ(axisLabel(s.firstLabel, s.step, s.style, s.decimals), c.label);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, AxisStepRule,
    ::testing::Values(
        StepCase{"span15_2", 280.0, 295.2, 5.0, 285.0, 1, kFloat, "285.0"},
        StepCase{"span0_03", 1.0, 1.03, 0.01, 1.01, 2, kFloat, "1.01"},
        StepCase{"span1500", 0.0, 1500.0, 500.0, 500.0, 1, kFloat, "500.0"},
        StepCase{"span2000", 0.0, 2000.0, 1000.0, 1000.0, 1, kExp, "1.0E+03"},
        // A lower end ≥ 0 on a multiple of the step, 0 included, is labelled one step above
        // (0.3 / 0.1 is 2.9999999999999996); below 0 the first label is the multiple at or
        // above the lower end, here −20 × 0, which must not print as "-0.0".
        StepCase{"zeroStartsOneStepUp", 0.0, 105.0, 50.0, 50.0, 1, kFloat, "50.0"},
        StepCase{"multipleStartsOneStepUp", 0.3, 0.6, 0.1, 0.4, 1, kFloat, "0.4"},
        StepCase{"negativeStart", -12.3, 40.0, 20.0, 0.0, 1, kFloat, "0.0"},
        StepCase{"descending", 295.0, 280.0, 5.0, 300.0, 1, kFloat, "300.0"},
        // Spans on the edges of the normalisation into 0.1 … 1 and of the label styles.
        StepCase{"span100", 0.0, 100.0, 20.0, 20.0, 1, kFloat, "20.0"},
        StepCase{"span0_01", 0.0, 0.01, 0.005, 0.005, 3, kFloat, "0.005"},
        StepCase{"span0_0005", 0.0, 0.0005, 0.0002, 0.0002, 1, kExp, "2.0E-04"}),
    [](const ::testing::TestParamInfo<StepCase>& c) { return c.param.name; });

// The reference spline: second derivatives from the system
//   h0 m[i−1] + 2 (h0 + h1) m[i] + h1 m[i+1] = 6 (d1 − d0),  m[0] = m[n−1] = 0,
// eliminated downwards (it is diagonally dominant) and substituted back; evaluated in power form
// about the left end of the interval a linear scan finds.
double referenceSpline(const std::vector<double>& x, const std::vector<double>& y, double t)
{
    const std::size_t n = x.size();
    std::vector<double> diagonal(n, 1.0), rhs(n, 0.0), m(n, 0.0);
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const double h0 = x[i] - x[i - 1];
        const double h1 = x[i + 1] - x[i];
        const double f = h0 / diagonal[i - 1];  // row i−1's upper entry is h0, row 0 has none
        diagonal[i] = 2.0 * (h0 + h1) - (i > 1 ? f * h0 : 0.0);
        rhs[i] = 6.0 * ((y[i + 1] - y[i]) / h1 - (y[i] - y[i - 1]) / h0) - f * rhs[i - 1];
    }
    for (std::size_t i = n - 1; i-- > 1;) {
        m[i] = (rhs[i] - (x[i + 1] - x[i]) * m[i + 1]) / diagonal[i];
    }
    std::size_t j = 0;
    while (j + 2 < n && t > x[j + 1]) {
        ++j;
    }
    const double h = x[j + 1] - x[j];
    const double d = t - x[j];
    const double slope = (y[j + 1] - y[j]) / h - h * (2.0 * m[j] + m[j + 1]) / 6.0;
    return y[j] + slope * d + m[j] / 2.0 * d * d + (m[j + 1] - m[j]) / (6.0 * h) * d * d * d;
}

std::vector<double> uniform(double a, double b, int n)
{
    std::vector<double> x;
    for (int i = 0; i < n; ++i) {
        x.push_back(a + (b - a) * i / (n - 1));
    }
    return x;
}

TEST(NaturalSpline, AgreesWithTheReference)
{
    const std::vector<std::pair<std::vector<double>, std::function<double(double)>>> tables = {
        {{1.0, 3.0}, [](double e) { return 2.0 * e - 1.0; }},
        {{0.0, 1.0, 3.0}, [](double e) { return e * e; }},
        {{280.0, 280.3, 281.9, 282.0, 283.5, 286.0, 286.1, 290.0, 295.0},
         [](double e) { return 5000.0 * std::exp(-(e - 284.0) * (e - 284.0)) + 200.0; }},
        {uniform(-20.0, 40.0, 40), [](double e) { return 1000.0 * std::sin(e); }}};
    for (const auto& [x, f] : tables) {
        std::vector<double> y;
        double scale = 1.0;
        for (const double e : x) {
            y.push_back(f(e));
            scale = std::max(scale, std::fabs(y.back()));
        }
        // Many targets per interval, and few, so that the interval search jumps several nodes.
        for (const int count : {734, 9}) {
            std::vector<double> targets = uniform(x.front(), x.back(), count);
            targets.back() = x.back();
            std::vector<double> values(targets.size());
            ASSERT_TRUE(evaluateSpline(x, y, targets, values));
            for (std::size_t k = 0; k < targets.size(); ++k) {
                // The same well-conditioned system solved two ways differs only by rounding.
                EXPECT_NEAR(values[k], referenceSpline(x, y, targets[k]), 1e-11 * scale)
                    << "at " << targets[k] << " of " << x.size() << " nodes";
            }
        }
    }
}

TEST(InterpolationGrid, EndsExactlyOnTheLastEnergy)
{
    // Here Xa + 499 (Xb − Xa) / 499 rounds above Xb: a grid ending there would fail the
    // spline's range check and the curve would silently be drawn unsmoothed.
    const double xa = 8.9;
    const double xb = 72.39;
    ASSERT_GT(xa + 499.0 * ((xb - xa) / 499.0), xb);
    const std::vector<double> grid = interpolationGrid(xa, xb, 500);
    EXPECT_EQ(grid.back(), xb);
    const std::vector<double> x = {xa, 30.0, xb};
    const std::vector<double> v = {1.0, 3.0, 2.0};
    EXPECT_EQ(smoothOnGrid(x, v, grid).size(), 500u);
}

}  // namespace
}  // namespace varnix::plot
