// The natural cubic spline against a reference solved densely, its interval search against a
// plain scan, and the smoothing of line curves built on them.
#include "cubic_spline.h"
#include "kelmar_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace varnix::plot {
namespace {

// Second derivatives of the natural spline from the full n × n system (end rows M = 0),
// solved by Gaussian elimination with partial pivoting.
std::vector<double> denseSecondDerivatives(const std::vector<double>& x,
                                           const std::vector<double>& y)
{
    const std::size_t n = x.size();
    std::vector<std::vector<double>> a(n, std::vector<double>(n + 1, 0.0));
    a[0][0] = 1.0;
    a[n - 1][n - 1] = 1.0;
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const double h0 = x[i] - x[i - 1];
        const double h1 = x[i + 1] - x[i];
        a[i][i - 1] = h0;
        a[i][i] = 2.0 * (h0 + h1);
        a[i][i + 1] = h1;
        a[i][n] = 6.0 * ((y[i + 1] - y[i]) / h1 - (y[i] - y[i - 1]) / h0);
    }
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t pivot = c;
        for (std::size_t r = c + 1; r < n; ++r) {
            pivot = std::fabs(a[r][c]) > std::fabs(a[pivot][c]) ? r : pivot;
        }
        std::swap(a[c], a[pivot]);
        for (std::size_t r = 0; r < n; ++r) {
            const double f = r == c ? 0.0 : a[r][c] / a[c][c];
            for (std::size_t k = c; k <= n; ++k) {
                a[r][k] -= f * a[c][k];
            }
        }
    }
    std::vector<double> m(n);
    for (std::size_t i = 0; i < n; ++i) {
        m[i] = a[i][n] / a[i][i];
    }
    return m;
}

// The spline in power form about the interval's left end, found by a linear scan.
double referenceValue(const std::vector<double>& x, const std::vector<double>& y,
                      const std::vector<double>& m, double t)
{
    std::size_t j = 0;
    while (j + 2 < x.size() && t > x[j + 1]) {
        ++j;
    }
    const double h = x[j + 1] - x[j];
    const double d = t - x[j];
    const double slope = (y[j + 1] - y[j]) / h - h * (2.0 * m[j] + m[j + 1]) / 6.0;
    return y[j] + slope * d + m[j] / 2.0 * d * d + (m[j + 1] - m[j]) / (6.0 * h) * d * d * d;
}

struct SplineCase {
    std::string name;
    std::vector<double> x;
    std::function<double(double)> f;
};

class NaturalSpline : public ::testing::TestWithParam<SplineCase> {};

TEST_P(NaturalSpline, AgreesWithTheDenseSolution)
{
    const SplineCase& c = GetParam();
    std::vector<double> y;
    for (const double e : c.x) {
        y.push_back(c.f(e));
    }
    const std::vector<double> m = denseSecondDerivatives(c.x, y);
    // Targets from end to end, through every node and between them.
    std::vector<double> targets;
    const double x0 = c.x.front();
    const double x1 = c.x.back();
    for (int k = 0; k <= 733; ++k) {
        targets.push_back(x0 + (x1 - x0) * k / 733.0);
    }
    targets.back() = x1;
    std::vector<double> values(targets.size(), std::nan(""));
    ASSERT_TRUE(evaluateSpline(c.x, y, targets, values));
    double scale = 1.0;
    for (const double v : y) {
        scale = std::max(scale, std::fabs(v));
    }
    // Both solve the same well-conditioned system; they differ only by rounding.
    const double tolerance = 1e-11 * scale;
    for (std::size_t k = 0; k < targets.size(); ++k) {
        EXPECT_NEAR(values[k], referenceValue(c.x, y, m, targets[k]), tolerance)
            << "at " << targets[k];
    }
}

std::vector<double> uniform(double a, double b, int n)
{
    std::vector<double> x;
    for (int i = 0; i < n; ++i) {
        x.push_back(a + (b - a) * i / (n - 1));
    }
    return x;
}

INSTANTIATE_TEST_SUITE_P(
    Tables, NaturalSpline,
    ::testing::Values(
        SplineCase{"twoPointsLine", {1.0, 3.0}, [](double e) { return 2.0 * e - 1.0; }},
        SplineCase{"threePoints", {0.0, 1.0, 3.0}, [](double e) { return e * e; }},
        SplineCase{"uniformSine", uniform(280.0, 295.0, 40),
                   [](double e) { return 1000.0 * std::sin(e); }},
        SplineCase{"unevenPeak", {280.0, 280.3, 281.9, 282.0, 283.5, 286.0, 286.1, 290.0, 295.0},
                   [](double e) { return 5000.0 * std::exp(-(e - 284.0) * (e - 284.0)) + 200.0; }},
        SplineCase{"negativeEnergies", uniform(-20.0, -5.0, 17),
                   [](double e) { return std::cos(e) * e; }}),
    [](const ::testing::TestParamInfo<SplineCase>& c) { return c.param.name; });

struct RefusedCase {
    std::string name;
    std::vector<double> x;
    std::vector<double> targets;
};

class SplineErrorFlag : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(SplineErrorFlag, EvaluatesNothing)
{
    const RefusedCase& c = GetParam();
    const std::vector<double> y(c.x.size(), 1.0);
    std::vector<double> values(c.targets.size(), -7.0);
    EXPECT_FALSE(evaluateSpline(c.x, y, c.targets, values));
    EXPECT_EQ(values, std::vector<double>(c.targets.size(), -7.0));
}

INSTANTIATE_TEST_SUITE_P(
    Refused, SplineErrorFlag,
    ::testing::Values(RefusedCase{"firstTargetBelow", {1.0, 2.0, 3.0}, {0.999, 2.0, 3.0}},
                      RefusedCase{"lastTargetAbove", {1.0, 2.0, 3.0}, {1.0, 2.0, 3.0001}},
                      RefusedCase{"zeroWidthInterval", {1.0, 2.0, 2.0, 3.0}, {1.0, 3.0}},
                      RefusedCase{"descendingTable", {3.0, 2.0, 1.0}, {3.0, 1.0}},
                      RefusedCase{"onePoint", {1.0}, {1.0}}),
    [](const ::testing::TestParamInfo<RefusedCase>& c) { return c.param.name; });

// The interval a plain scan finds: the last j whose x[j] the target has reached.
std::size_t scannedInterval(const std::vector<double>& x, double t)
{
    const bool ascending = x.back() >= x.front();
    std::size_t j = 0;
    while (j + 2 < x.size() && (ascending ? t >= x[j + 1] : t <= x[j + 1])) {
        ++j;
    }
    return j;
}

TEST(HuntInterval, FindsTheScannedIntervalFromEveryGuess)
{
    std::vector<double> ascending = {-3.0, -1.0, 0.0, 0.5, 2.0, 2.5, 7.0, 8.0, 11.0, 20.0, 21.0};
    std::vector<double> descending(ascending.rbegin(), ascending.rend());
    for (const auto& table : {ascending, descending}) {
        for (double t = -5.0; t <= 23.0; t += 0.25) {
            const std::size_t expected = scannedInterval(table, t);
            for (std::size_t guess = 0; guess < table.size() + 3; ++guess) {
                ASSERT_EQ(huntInterval(table, t, guess), expected)
                    << "t " << t << " guess " << guess << " descending " << (table[0] > 0.0);
            }
        }
    }
}

TEST(SmoothOnGrid, DescendingEnergiesGiveTheMirroredCurve)
{
    const std::vector<double> x = uniform(280.0, 295.0, 31);
    std::vector<double> v;
    for (const double e : x) {
        v.push_back(std::exp(-(e - 286.0) * (e - 286.0) / 4.0) * 900.0 + 0.1 * e);
    }
    const std::vector<double> up = smoothOnGrid(x, v, interpolationGrid(280.0, 295.0, 500));
    const std::vector<double> xDown(x.rbegin(), x.rend());
    const std::vector<double> vDown(v.rbegin(), v.rend());
    const std::vector<double> down =
        smoothOnGrid(xDown, vDown, interpolationGrid(295.0, 280.0, 500));
    ASSERT_EQ(up.size(), 500u);
    ASSERT_EQ(down.size(), 500u);
    for (std::size_t k = 0; k < 500; ++k) {
        EXPECT_NEAR(down[499 - k], up[k], 1e-9);
    }
}

TEST(SmoothOnGrid, LeavesOutPointsThatAreNoNumbers)
{
    std::vector<double> x = uniform(0.0, 10.0, 11);
    std::vector<double> v = {0, 1, 4, 9, 16, 25, 36, 49, 64, 81, 100};
    const std::vector<double> grid = interpolationGrid(0.0, 10.0, 500);
    std::vector<double> holed = v;
    holed[4] = std::nan("");
    std::vector<double> xWithout = x;
    std::vector<double> vWithout = v;
    xWithout.erase(xWithout.begin() + 4);
    vWithout.erase(vWithout.begin() + 4);
    EXPECT_EQ(smoothOnGrid(x, holed, grid), smoothOnGrid(xWithout, vWithout, grid));
    // Without its last point the table no longer reaches the grid's end.
    holed[10] = std::nan("");
    EXPECT_TRUE(smoothOnGrid(x, holed, grid).empty());
}

TEST(InterpolationGrid, EndsExactlyOnTheLastEnergy)
{
    // Energies for which adding the step up in single precision ends above Xb, which would
    // fail the spline's range check and leave the curve undrawn.
    const float xa = 280.37f;
    const float xb = 296.87f;
    const float step = (xb - xa) / 499.0f;
    float accumulated = xa;
    for (int k = 1; k < 500; ++k) {
        accumulated += step;
    }
    ASSERT_GT(accumulated, xb);

    const std::vector<double> grid =
        interpolationGrid(static_cast<double>(xa), static_cast<double>(xb), 500);
    EXPECT_EQ(grid.front(), static_cast<double>(xa));
    EXPECT_EQ(grid.back(), static_cast<double>(xb));
    EXPECT_TRUE(std::is_sorted(grid.begin(), grid.end()));
    const std::vector<double> x = {static_cast<double>(xa), 290.0, static_cast<double>(xb)};
    const std::vector<double> v = {1.0, 3.0, 2.0};
    EXPECT_EQ(smoothOnGrid(x, v, grid).size(), 500u);

    // Even computed without accumulation, the last step can end above Xb by rounding.
    const double xa2 = 8.9;
    const double xb2 = 72.39;
    ASSERT_GT(xa2 + 499.0 * ((xb2 - xa2) / 499.0), xb2);
    EXPECT_EQ(interpolationGrid(xa2, xb2, 500).back(), xb2);
}

}  // namespace
}  // namespace varnix::plot
