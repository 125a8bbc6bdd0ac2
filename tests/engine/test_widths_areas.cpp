// Peak areas and widths against independent references: a dense double integral of the line
// written out here, the Voigt width approximation, and bisection on the model.
#include "dlsqp.h"
#include "integrands.h"
#include "pkareas.h"
#include "pkwidths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace varnix::engine {
namespace {

const SimpsonControls kControls{1e-6, 20};
// Normal equations of a well-spread parabola in double precision.
constexpr double kParabolaRelTol = 1e-9;
// Cells per side of the midpoint double integral: error ~(cell/width)²/24 ≈ 1e-7 here.
constexpr std::size_t kDenseCells = 4000;
// Midpoint rule on kDenseCells² cells against Simpson with EPS 1e-6.
constexpr double kAreaRelTol = 1e-6;
// The Olivero–Longbothum Voigt width approximation is good to 0.02 %.
constexpr double kVoigtRelTol = 3e-4;
// The refinement stops within 1e-6·level of the level or 1e-6 eV from its last step, per side.
constexpr double kCrossingTol = 2e-6;

template <class Case>
std::string caseName(const testing::TestParamInfo<Case>& param)
{
    return param.param.name;
}

double lineDS(const PeakShape& p, double x)
{
    const double eps = 2.0 * (x - p.pos) / p.lfwhm;
    const double d = p.lfwhm * p.lfwhm / 4.0 * (1.0 + eps * eps);
    const double phi = std::numbers::pi / 2.0 * p.alpha + (1.0 - p.alpha) * std::atan(eps);
    return std::cos(phi) / std::pow(d, (1.0 - p.alpha) / 2.0);
}

double gaussG(double u, double fwhm)
{
    return std::exp(-4.0 * std::numbers::ln2 * (u / fwhm) * (u / fwhm));
}

// Height/N·∫∫ DS(x)·G(E − x) dx dE over [Pos − h, Pos + h]², N = ∫ DS(x)·G(Pos − x) dx, all by
// the midpoint rule. On the common grid E − x is a whole number of cells: g[n + d] = G(d·cell).
double denseArea(const PeakShape& p, double h)
{
    const std::size_t n = kDenseCells;
    const double cell = 2.0 * h / static_cast<double>(n);
    std::vector<double> ds(n);
    std::vector<double> g(2 * n);
    double norm = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double offset = (static_cast<double>(i) + 0.5) * cell - h;
        ds[i] = lineDS(p, p.pos + offset);
        norm += ds[i] * gaussG(offset, p.gfwhm);
        g[i] = gaussG(static_cast<double>(i) * cell - h * 2.0, p.gfwhm);
        g[n + i] = gaussG(static_cast<double>(i) * cell, p.gfwhm);
    }
    double total = 0.0;
    for (std::size_t e = 0; e < n; ++e) {
        for (std::size_t i = 0; i < n; ++i) {
            total += ds[i] * g[n + e - i];
        }
    }
    return p.height * total * cell / norm;
}

double normOf(const PeakShape& p, double range)
{
    return PeakIntegrands(p, range).convolution(p.pos, kControls).value;
}

// ---- DLSQP ----

struct ParabolaCase {
    const char* name;
    std::vector<double> p;
    std::vector<double> residual;  // orthogonal to 1, P, P² on p: least squares ignores it
    double r;
};

class DlsqpFit : public testing::TestWithParam<ParabolaCase> {};

TEST_P(DlsqpFit, ReturnsTheParabolaEvaluatedAtR)
{
    const ParabolaCase& c = GetParam();
    auto parabola = [](double x) { return 2.0 - 3.0 * x + 0.5 * x * x; };
    std::vector<double> q;
    for (std::size_t i = 0; i < c.p.size(); ++i) {
        q.push_back(parabola(c.p[i]) + (c.residual.empty() ? 0.0 : c.residual[i]));
    }
    const DlsqpResult result = DLSQP(c.p, q, c.r);
    EXPECT_EQ(result.status, 0);
    EXPECT_NEAR(result.value, parabola(c.r), kParabolaRelTol * std::fabs(parabola(c.r)));
}

const std::vector<double> kCubicResidual{-0.84, 1.68, 0.0, -1.68, 0.84};  // 0.7·(P³ − 3.4·P)

INSTANTIATE_TEST_SUITE_P(
    Parabolas, DlsqpFit,
    testing::Values(ParabolaCase{"ThreePointsInside", {-1.0, 0.5, 3.0}, {}, 1.7},
                    ParabolaCase{"ThreePointsOutside", {-1.0, 0.5, 3.0}, {}, -4.0},
                    ParabolaCase{"IntensitiesAroundLevel", {-410.0, -2.5, 260.0}, {}, 0.0},
                    ParabolaCase{"FivePoints", {-2, -1, 0, 1, 2}, kCubicResidual, 0.3},
                    ParabolaCase{"ShiftedFivePoints", {8, 9, 10, 11, 12}, kCubicResidual, 10.6}),
    caseName<ParabolaCase>);

TEST(Dlsqp, FewerThanThreePointsGiveStatusOne)
{
    const std::vector<double> p{1.0, 2.0};
    for (std::size_t n = 0; n <= 2; ++n) {
        EXPECT_EQ(DLSQP(std::span(p).first(n), std::span(p).first(n), 0.5).status, 1) << n;
    }
}

// ---- Areas ----

struct AreaCase {
    const char* name;
    PeakShape peak;
    double range;
    double halfWidth;  // the integration window for this range, worked out by hand
};

class PeakArea : public testing::TestWithParam<AreaCase> {};

TEST_P(PeakArea, MatchesDenseDoubleIntegral)
{
    const AreaCase& c = GetParam();
    // Peak 0 is the case peak moved and doubled, so that a slot mix-up in the vector shows.
    const PeakShape& p = c.peak;
    const PeakShape moved{p.pos + 7.25, 2.0 * p.height, p.lfwhm, p.alpha, p.gfwhm};
    const std::vector<double> parameters{moved.pos, moved.height, p.lfwhm, p.alpha, p.gfwhm,
                                         p.pos,     p.height,     p.lfwhm, p.alpha, p.gfwhm, 3.0};
    const std::vector<double> norms{normOf(moved, c.range), normOf(p, c.range)};
    std::vector<double> areas(2, -1.0);
    PKAREAS(parameters, 2, kControls, c.range, norms, areas);

    const double reference = denseArea(p, c.halfWidth);
    EXPECT_NEAR(areas[1], reference, kAreaRelTol * reference);
    EXPECT_NEAR(areas[0], 2.0 * reference, 2.0 * kAreaRelTol * reference);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PeakArea,
    testing::Values(AreaCase{"Voigt", {10.0, 1000.0, 1.0, 0.0, 0.8}, 5.0, 5.0},
                    AreaCase{"Asymmetric", {5.0, 500.0, 0.6, 0.25, 0.5}, 6.0, 3.6},
                    AreaCase{"LorentzianWide", {0.0, 1.0, 2.0, 0.1, 0.3}, 3.0, 6.0},
                    AreaCase{"GaussianNarrowsWindow", {100.0, 50.0, 0.1, 0.05, 1.5}, 4.0, 4.5}),
    caseName<AreaCase>);

TEST(PeakArea, GrowsWithIntegrationRangeForLorentzianLines)
{
    const PeakShape peak{0.0, 1.0, 1.0, 0.1, 0.2};
    double previous = 0.0;
    for (const double range : {3.0, 4.0, 6.0, 10.0}) {
        const double area = peakArea(peak, normOf(peak, range), kControls, range);
        EXPECT_GT(area, previous * 1.001) << range;
        previous = area;
    }
}

TEST(PeakArea, TablesChangeNoDigitOfThePlainDoubleIntegral)
{
    const PeakShape p{3.0, 20.0, 0.7, 0.2, 0.9};
    const SimpsonControls controls{1e-4, 21};
    const double norm = normOf(p, 4.0);
    const double h = integrationHalfWidth(4.0, p.lfwhm, p.gfwhm);
    auto funka = [&](double e) {
        auto funk2 = [&](double x) { return FDON(p, x) * gaussian(e - x, p.gfwhm); };
        return QSIMP(funk2, p.pos - h, p.pos + h, controls).value / norm;
    };
    const double plain = p.height * QSIMP(funka, p.pos - h, p.pos + h, controls).value;
    EXPECT_EQ(peakArea(p, norm, controls, 4.0), plain);
}

// ---- Widths ----

std::vector<double> axis(double first, double step, int count)
{
    std::vector<double> e;
    for (int i = 0; i < count; ++i) {
        e.push_back(first + i * step);
    }
    return e;
}

// The peak's component column, Height·∫FUNK/N at each energy, times `scale`.
std::vector<double> column(const std::vector<double>& energies, const PeakShape& p,
                           double range, double scale = 1.0)
{
    PeakIntegrands integrands(p, range);
    const double norm = normOf(p, range);
    std::vector<double> y;
    for (const double e : energies) {
        y.push_back(scale * p.height * integrands.convolution(e, kControls).value / norm);
    }
    return y;
}

// Where the model crosses Height/2 between `below` (under the level) and `above`.
double bisectCrossing(const PeakShape& p, double range, double below, double above)
{
    for (int i = 0; i < 60; ++i) {
        const double mid = 0.5 * (below + above);
        (column({mid}, p, range)[0] < p.height / 2.0 ? below : above) = mid;
    }
    return 0.5 * (below + above);
}

struct WidthCase {
    const char* name;
    PeakShape peak;
    double range;
    double first, step;
    int count;
};

class PeakWidth : public testing::TestWithParam<WidthCase> {};

TEST_P(PeakWidth, MatchesCrossingsOnAscendingAndDescendingAxes)
{
    const WidthCase& c = GetParam();
    const PeakShape& p = c.peak;
    std::vector<double> e = axis(c.first, c.step, c.count);
    std::vector<double> y = column(e, p, c.range);
    int32_t status = -1;
    const double width = PKWIDTHS(e, y, p, normOf(p, c.range), kControls, c.range, status);
    EXPECT_EQ(status, 0);

    const double reach = 4.0 * (p.lfwhm + p.gfwhm);
    const double expected = bisectCrossing(p, c.range, p.pos + reach, p.pos)
                            - bisectCrossing(p, c.range, p.pos - reach, p.pos);
    EXPECT_NEAR(width, expected, kCrossingTol);
    if (p.alpha == 0.0) {
        const double voigt =
            0.5346 * p.lfwhm + std::sqrt(0.2166 * p.lfwhm * p.lfwhm + p.gfwhm * p.gfwhm);
        EXPECT_NEAR(width, voigt, kVoigtRelTol * voigt);
    }

    std::reverse(e.begin(), e.end());
    std::reverse(y.begin(), y.end());
    EXPECT_DOUBLE_EQ(PKWIDTHS(e, y, p, normOf(p, c.range), kControls, c.range, status), width);
    EXPECT_EQ(status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PeakWidth,
    testing::Values(
        WidthCase{"LorentzianVoigt", {284.63, 1000.0, 1.0, 0.0, 0.5}, 6.0, 279.0, 0.1, 120},
        WidthCase{"BalancedVoigt", {531.27, 5e4, 0.8, 0.0, 0.9}, 5.0, 526.0, 0.05, 200},
        WidthCase{"GaussianVoigt", {100.04, 200.0, 0.1, 0.0, 1.5}, 4.0, 95.0, 0.1, 100},
        WidthCase{"CoarseGrid", {50.3, 10.0, 1.2, 0.0, 0.6}, 5.0, 45.1, 0.4, 25},
        WidthCase{"Asymmetric", {20.0, 300.0, 0.7, 0.3, 0.5}, 8.0, 15.05, 0.1, 100}),
    caseName<WidthCase>);

struct NoWidthCase {
    const char* name;
    double first;  // axis of 40 points 0.2 eV apart; the peak at 10 eV, FWHM ≈ 1.294 eV
    double height;
    double columnScale;
};

class NoWidth : public testing::TestWithParam<NoWidthCase> {};

TEST_P(NoWidth, GivesZero)
{
    const NoWidthCase& c = GetParam();
    const PeakShape p{10.0, c.height, 1.0, 0.0, 0.6};
    const std::vector<double> e = axis(c.first, 0.2, 40);
    const std::vector<double> y = column(e, p, 5.0, c.columnScale);
    int32_t status = -1;
    EXPECT_EQ(PKWIDTHS(e, y, p, normOf(p, 5.0), kControls, 5.0, status), 0.0);
    EXPECT_EQ(status, 1);
}

constexpr double kSpan = 39 * 0.2;

INSTANTIATE_TEST_SUITE_P(
    Failures, NoWidth,
    testing::Values(NoWidthCase{"MaximumOnFirstPoint", 10.5, 100.0, 1.0},
                    NoWidthCase{"MaximumOnLastPoint", 9.5 - kSpan, 100.0, 1.0},
                    NoWidthCase{"NeverBelowHalfOnLeft", 9.5, 100.0, 1.0},
                    NoWidthCase{"NeverBelowHalfOnRight", 10.5 - kSpan, 100.0, 1.0},
                    NoWidthCase{"CrossingOnFirstPoint", 9.25, 100.0, 1.0},
                    NoWidthCase{"CrossingOnLastPoint", 10.75 - kSpan, 100.0, 1.0},
                    NoWidthCase{"NegativeHeight", 6.0, -100.0, 1.0},
                    NoWidthCase{"ColumnBelowHalfHeight", 6.0, 100.0, 0.4}),
    caseName<NoWidthCase>);

TEST(Interp, EqualIntensitiesKeepTheLastEstimate)
{
    // The level is the model at x3 itself, so the first estimate lands on x3 and repeats its
    // intensity: no parabola passes through the three points.
    const PeakShape p{10.0, 100.0, 1.0, 0.0, 0.6};
    PeakIntegrands integrands(p, 5.0);
    const std::vector<double> y = column({8.5, 9.5}, p, 5.0);
    int32_t status = -1;
    EXPECT_EQ(INTERP(y[1], 8.5, y[0], 9.5, y[1], integrands, normOf(p, 5.0), kControls, status),
              9.5);
}

}  // namespace
}  // namespace varnix::engine
