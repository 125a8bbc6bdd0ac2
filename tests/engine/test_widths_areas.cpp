// DLSQP, peak areas and widths against independent references written out here.
#include "dlsqp.h"
#include "integrands.h"
#include "pkareas.h"
#include "pkwidths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <string>
#include <vector>

namespace varnix::engine {
namespace {

const SimpsonControls kControls{1e-6, 20};
// Normal equations of a well-spread parabola in double precision.
constexpr double kParabolaRelTol = 1e-9;
// Midpoint cells of the reference area: error ~(cell/LFWHM)²/24 ≤ 1e-7 here.
constexpr std::size_t kCells = 200000;
// Midpoint rule against Simpson with EPS 1e-6.
constexpr double kAreaRelTol = 1e-6;
// The Olivero–Longbothum Voigt width approximation is good to 0.02 %.
constexpr double kVoigtRelTol = 3e-4;
// The refinement stops within 1e-6·level of the level or 1e-6 eV from its last step, per side.
constexpr double kCrossingTol = 2e-6;

double normOf(const PeakShape& p, double range)
{
    return PeakIntegrands(p, range).convolution(p.pos, kControls).value;
}

// Height/N·∫∫ DS(x)·G(E − x) dE dx over [Pos − h, Pos + h]², N = ∫ DS(x)·G(Pos − x) dx: the
// integral over E in closed form, G(u) = exp(−(u/c)²), those over x by the midpoint rule.
double referenceArea(const PeakShape& p, double h)
{
    const double c = p.gfwhm / (2.0 * std::sqrt(std::numbers::ln2)), cell = 2.0 * h / kCells;
    double area = 0.0, norm = 0.0;
    for (std::size_t i = 0; i < kCells; ++i) {
        const double u = (double(i) + 0.5) * cell - h, eps = 2.0 * u / p.lfwhm;  // u = x − Pos
        const double phi = std::numbers::pi / 2.0 * p.alpha + (1.0 - p.alpha) * std::atan(eps);
        const double d = p.lfwhm * p.lfwhm / 4.0 * (1.0 + eps * eps);
        const double ds = std::cos(phi) / std::pow(d, (1.0 - p.alpha) / 2.0);
        area += ds * (std::erf((h - u) / c) + std::erf((h + u) / c));  // ·c·√π/2: ∫G(E − x) dE
        norm += ds * std::exp(-(u / c) * (u / c));
    }
    return p.height * area * c * std::sqrt(std::numbers::pi) / 2.0 / norm;
}

// Q = 2 − 3·P + P²/2 through three points, and on five with 0.7·(P − 10)³ − 2.38·(P − 10)
// added, which is orthogonal to 1, P and P² there, so that least squares ignores it.
TEST(Dlsqp, GivesTheParabolaAtROrStatusOneBelowThreePoints)
{
    const std::vector<double> p3{-1.0, 0.5, 3.0}, q3{5.5, 0.625, -2.5};
    const std::vector<double> p5{8, 9, 10, 11, 12}, q5{9.16, 17.18, 22, 27.82, 38.84};
    for (const std::size_t n : {0U, 1U, 2U}) {
        EXPECT_EQ(DLSQP(std::span(p3).first(n), std::span(q3).first(n), 0.5).status, 1) << n;
    }
    const DlsqpResult three = DLSQP(p3, q3, -4.0), five = DLSQP(p5, q5, 10.6);
    EXPECT_EQ(three.status, 0);
    EXPECT_EQ(five.status, 0);
    EXPECT_NEAR(three.value, 22.0, kParabolaRelTol * 22.0);
    EXPECT_NEAR(five.value, 26.38, kParabolaRelTol * 26.38);
}

// The peak's component column, Height·∫FUNK/N at each energy, times `scale`.
std::vector<double> column(const std::vector<double>& energies, const PeakShape& p,
                           double range, double scale = 1.0)
{
    PeakIntegrands integrands(p, range);
    const double norm = normOf(p, range);
    std::vector<double> y;
    for (const double e : energies) {  // in the order of the model's own evaluation
        y.push_back(scale * p.height * integrands.convolution(e, kControls).value / norm);
    }
    return y;
}

// Full width of the model at Height/2, by bisection on each side between Pos and far out.
double bisectedWidth(const PeakShape& p, double range)
{
    double width = 0.0;
    for (const double side : {-1.0, 1.0}) {
        double inside = p.pos, outside = p.pos + side * 4.0 * (p.lfwhm + p.gfwhm);
        for (int i = 0; i < 60; ++i) {
            const double mid = 0.5 * (inside + outside);
            (column({mid}, p, range)[0] < p.height / 2.0 ? outside : inside) = mid;
        }
        width += side * 0.5 * (inside + outside);
    }
    return width;
}

struct LineCase {
    const char* name;
    PeakShape peak;
    double range, halfWidth;  // the window's half-width for this range, worked out by hand
    double first, step;
    std::size_t count;   // the energy axis
    double scale = 1.0;  // of the component column
    int32_t status = 0;  // of PKWIDTHS; 1: no width
};

class Line : public testing::TestWithParam<LineCase> {};

// PKWIDTHS must give the same on the reversed axis and, for a symmetric Voigt line, the
// approximation.
TEST_P(Line, AreaMatchesTheReferenceAndWidthTheBisectionOrIsZero)
{
    const LineCase& c = GetParam();
    const PeakShape& p = c.peak;
    const double norm = normOf(p, c.range);
    const double area = referenceArea(p, c.halfWidth);
    EXPECT_NEAR(PKAREAS(p, norm, kControls, c.range), area, kAreaRelTol * std::fabs(area));
    std::vector<double> e(c.count);
    for (std::size_t i = 0; i < c.count; ++i) {
        e[i] = c.first + double(i) * c.step;
    }
    std::vector<double> y = column(e, p, c.range, c.scale);
    int32_t status = -1;
    const double width = PKWIDTHS(e, y, p, norm, kControls, c.range, status);
    EXPECT_EQ(status, c.status);
    EXPECT_NEAR(width, c.status == 0 ? bisectedWidth(p, c.range) : 0.0,
                c.status == 0 ? kCrossingTol : 0.0);
    std::ranges::reverse(e);
    std::ranges::reverse(y);
    EXPECT_DOUBLE_EQ(PKWIDTHS(e, y, p, norm, kControls, c.range, status), width);
    EXPECT_EQ(status, c.status);
    const double voigt = 0.5346 * p.lfwhm + std::hypot(std::sqrt(0.2166) * p.lfwhm, p.gfwhm);
    EXPECT_TRUE(c.status != 0 || p.alpha != 0.0 || std::fabs(width / voigt - 1) < kVoigtRelTol);
}

// The failures' peak, FWHM ≈ 1.294 eV; reversed, their first point is last and left is right.
const PeakShape kPeak{10.0, 100.0, 1.0, 0.0, 0.6};

INSTANTIATE_TEST_SUITE_P(
    Lines, Line,
    testing::Values(
        LineCase{"Voigt", {10.0, 1000.0, 1.0, 0.0, 0.8}, 5.0, 5.0, 5.0, 0.1, 100},
        LineCase{"Asymmetric", {5.0, 500.0, 0.6, 0.25, 0.5}, 6.0, 3.6, 0.05, 0.1, 100},
        LineCase{"Lorentzian", {0.0, 1.0, 2.0, 0.1, 0.3}, 3.0, 6.0, -6.0, 0.2, 60},
        LineCase{"LorentzianWiderRange", {0.0, 1.0, 2.0, 0.1, 0.3}, 5.0, 10.0, -6.0, 0.2, 60},
        LineCase{"GaussianVoigt", {100.04, 200.0, 0.1, 0.0, 1.5}, 4.0, 4.5, 95.0, 0.1, 100},
        LineCase{"CoarseGrid", {50.3, 10.0, 1.2, 0.0, 0.6}, 5.0, 6.0, 45.1, 0.4, 25},
        LineCase{"MaximumOnFirstPoint", kPeak, 5.0, 5.0, 10.5, 0.2, 40, 1.0, 1},
        LineCase{"NeverBelowHalfOnLeft", kPeak, 5.0, 5.0, 9.5, 0.2, 40, 1.0, 1},
        LineCase{"CrossingOnFirstPoint", kPeak, 5.0, 5.0, 9.25, 0.2, 40, 1.0, 1},
        LineCase{"NegativeHeight", {10.0, -100.0, 1.0, 0.0, 0.6}, 5.0, 5.0, 6.0, 0.2, 40, 1.0, 1},
        LineCase{"ColumnBelowHalfHeight", kPeak, 5.0, 5.0, 6.0, 0.2, 40, 0.4, 1}),
    [](const auto& tested) { return std::string(tested.param.name); });

// The level is the model at x3 itself, so the first estimate lands on x3 and repeats its
// intensity: no parabola passes through the three points, and the estimate is kept.
TEST(Interp, EqualIntensitiesKeepTheLastEstimate)
{
    PeakIntegrands integrands(kPeak, 5.0);
    const std::vector<double> y = column({8.5, 9.5}, kPeak, 5.0);
    int32_t status = -1;
    const double norm = normOf(kPeak, 5.0);
    EXPECT_EQ(INTERP(y[1], 8.5, y[0], 9.5, y[1], integrands, norm, kControls, status), 9.5);
}

}  // namespace
}  // namespace varnix::engine
