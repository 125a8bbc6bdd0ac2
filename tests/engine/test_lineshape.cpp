// The line shape against independent computations: the Voigt limit, the peak height at its
// position, the integration window and the background.
#include "problem.h"
#include "synthetic.h"
#include "fdon.h"
#include "funp.h"
#include "integrands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

namespace varnix::engine {
namespace {


// Dense convolution of a Lorentzian (FWHM fl) with the Gaussian (FWHM fg) at offset u from
// the line centre, over the window ±h: a plain composite trapezoid on a fine grid.
double denseVoigt(double u, double fl, double fg, double h)
{
    const int n = 400000;
    const double dx = 2.0 * h / n;
    const double sigma = fg / (2.0 * std::sqrt(2.0 * std::log(2.0)));
    double sum = 0.0;
    for (int m = 0; m <= n; ++m) {
        const double x = -h + m * dx;  // offset of the Gaussian's argument from u
        const double lorentz = 1.0 / ((fl / 2) * (fl / 2) + (u - x) * (u - x));
        const double gauss = std::exp(-x * x / (2 * sigma * sigma));
        sum += (m == 0 || m == n ? 0.5 : 1.0) * lorentz * gauss;
    }
    return sum * dx;
}

// The model peak Height·I(E)/N as the engine forms it.
double modelPeak(const PeakShape& peak, double range, double energy, const SimpsonControls& c)
{
    PeakIntegrands integrands(peak, range);
    const double norm = integrands.convolution(peak.pos, c).value;
    return peak.height * (integrands.convolution(energy, c).value / norm);
}

// Voigt profile FWHM approximation of Olivero and Longbothum, good to 0.02 %.
double voigtFwhm(double fl, double fg)
{
    return 0.5346 * fl + std::sqrt(0.2166 * fl * fl + fg * fg);
}

struct VoigtCase {
    const char* name;
    double lfwhm;
    double gfwhm;
};

class VoigtLimit : public ::testing::TestWithParam<VoigtCase> {};

TEST_P(VoigtLimit, AlphaZeroGivesTheVoigtProfile)
{
    const VoigtCase c = GetParam();
    const PeakShape peak{100.0, 1000.0, c.lfwhm, 0.0, c.gfwhm};
    const double range = 40.0;
    const SimpsonControls tight{1e-10, 24};
    const double h = integrationHalfWidth(range, c.lfwhm, c.gfwhm);

    // The Lorentzian of α = 0 is DS = 1/D; the convolution is the Voigt profile scaled to
    // Height at Pos. Convolution error of the dense sum and the adaptive rule: 1e-6 relative.
    const double ref0 = denseVoigt(0.0, c.lfwhm, c.gfwhm, h);
    for (const double u : {0.0, 0.3, 0.8, 1.7, 3.0}) {
        const double expected = peak.height * denseVoigt(u, c.lfwhm, c.gfwhm, h) / ref0;
        EXPECT_NEAR(modelPeak(peak, range, peak.pos + u, tight), expected, 1e-6 * peak.height)
            << "u = " << u;
    }

    // FWHM from the half-height crossings, found by bisection on the model.
    auto crossing = [&](double inside, double outside) {
        for (int i = 0; i < 60; ++i) {
            const double mid = 0.5 * (inside + outside);
            (modelPeak(peak, range, mid, tight) > peak.height / 2 ? inside : outside) = mid;
        }
        return 0.5 * (inside + outside);
    };
    const double width = crossing(peak.pos, peak.pos + 3 * (c.lfwhm + c.gfwhm))
                         - crossing(peak.pos, peak.pos - 3 * (c.lfwhm + c.gfwhm));
    // The approximation's own accuracy, plus the window truncation of the Lorentzian wings.
    EXPECT_NEAR(width / voigtFwhm(c.lfwhm, c.gfwhm), 1.0, 5e-4);
}

INSTANTIATE_TEST_SUITE_P(Shapes, VoigtLimit,
                         ::testing::Values(VoigtCase{"LorentzianDominated", 1.0, 0.2},
                                           VoigtCase{"Balanced", 0.6, 0.8},
                                           VoigtCase{"GaussianDominated", 0.1, 1.2}),
                         [](const auto& c) { return std::string(c.param.name); });

TEST(LineShape, EveryPeakEqualsItsHeightAtItsPosition)
{
    const SimpsonControls controls{1e-4, 21};
    for (const PeakShape peak : {PeakShape{284.5, 5000.0, 0.4, 0.1, 0.9},
                                 PeakShape{0.0, 1.0, 2.0, 0.0, 0.1},
                                 PeakShape{1253.6, 17.5, 0.05, 0.45, 3.0},
                                 PeakShape{-7.25, 300.0, 1.3, 0.9, 0.5}}) {
        EXPECT_DOUBLE_EQ(modelPeak(peak, 3.0, peak.pos, controls), peak.height);
    }
}

TEST(LineShape, DoniachSunjicIsTheRealPartOfAComplexPower)
{
    // DS(x) = Re[e^(i·(π/2)·α)·(γ − i(x − Pos))^(α − 1)]: the same line by complex arithmetic.
    for (const double alpha : {0.0, 0.1, 0.35, 0.8}) {
        const PeakShape peak{10.0, 1.0, 0.6, alpha, 1.0};
        for (const double x : {8.0, 9.8, 10.0, 10.1, 13.0}) {
            const std::complex<double> z(peak.lfwhm / 2.0, -(x - peak.pos));
            const double expected =
                (std::polar(1.0, kHalfPi * alpha) * std::pow(z, alpha - 1.0)).real();
            EXPECT_NEAR(FDON(peak, x), expected, 1e-13 * std::fabs(expected)) << alpha << " " << x;
        }
    }
}

TEST(LineShape, SharedIntegrandsAgreeWithTheScalarLine)
{
    // The batched integrands recombine the line's transcendental parts; they must agree with
    // integrals of FDON, FDER1 and FDERAL taken the plain way.
    const PeakShape peak{5.0, 2.0, 0.6, 0.2, 0.7};
    const SimpsonControls c{1e-10, 22};
    const double e0 = 5.3;
    PeakIntegrands integrands(peak, 4.0);
    PeakIntegrals all{};
    integrands.integrate(e0, c, all);
    const double h = integrands.halfWidth();
    auto g = [&](double x) { return gaussian(e0 - x, peak.gfwhm); };
    auto integral = [&](auto f) { return QSIMP(f, e0 - h, e0 + h, c).value; };
    const double funk = integral([&](double x) { return FDON(peak, x) * g(x); });
    const double func1 = integral([&](double x) { return FDER1(peak, x) * g(x); });
    const double func3 = integral(
        [&](double x) { return (x - peak.pos) / peak.lfwhm * FDER1(peak, x) * g(x); });
    const double func4 = integral([&](double x) { return FDERAL(peak, x) * g(x); });
    const double func5 = integral([&](double x) {
        const double u = e0 - x;
        return kEightLn2 * u * u / std::pow(peak.gfwhm, 3) * g(x) * FDON(peak, x);
    });
    constexpr double kTol = 1e-8;  // two converged integrals of the same function
    EXPECT_NEAR(all[kFunk].value, funk, kTol * std::fabs(funk));
    EXPECT_NEAR(all[kFunc1].value, func1, kTol * std::fabs(func1));
    EXPECT_NEAR(all[kFunc3].value, func3, kTol * std::fabs(func3));
    EXPECT_NEAR(all[kFunc4].value, func4, kTol * std::fabs(func4));
    EXPECT_NEAR(all[kFunc5].value, func5, kTol * std::fabs(func5));
}

struct WindowCase {
    const char* name;
    double range;
    double lfwhm;
    double gfwhm;
    double widths;  // expected h / max(|LFWHM|, |GFWHM|)
};

class IntegrationWindow : public ::testing::TestWithParam<WindowCase> {};

TEST_P(IntegrationWindow, GaussianDominatedLinesUseFewerWidths)
{
    const WindowCase c = GetParam();
    const double larger = std::max(std::fabs(c.lfwhm), std::fabs(c.gfwhm));
    EXPECT_DOUBLE_EQ(integrationHalfWidth(c.range, c.lfwhm, c.gfwhm), c.widths * larger);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, IntegrationWindow,
    ::testing::Values(WindowCase{"Balanced", 3.0, 1.0, 1.0, 3.0},
                      WindowCase{"TenfoldIsNotMore", 3.0, 0.1, 1.0, 3.0},
                      WindowCase{"Gauss11xRange1", 1.0, 0.1, 1.1, 1.0},
                      WindowCase{"Gauss11xRange2", 2.0, 0.1, 1.1, 1.0},
                      WindowCase{"Gauss11xRange3", 3.0, 0.1, 1.1, 2.0},
                      WindowCase{"Gauss101xRange3", 3.0, 0.01, 1.01, 1.0},
                      WindowCase{"Gauss101xRange2", 2.0, 0.01, 1.01, 1.0},
                      WindowCase{"Gauss101xRangeHalf", 0.5, 0.01, 1.01, 0.5},
                      WindowCase{"NegativeWidths", 3.0, -0.1, -1.1, 2.0}),
    [](const auto& c) { return std::string(c.param.name); });

TEST(Background, PolynomialAboutTheLastPoint)
{
    const std::vector<double> a = {3.0, -0.5, 0.25};
    EXPECT_DOUBLE_EQ(FUNP(std::span(a).first(0), 7.0, 10.0), 0.0);
    EXPECT_DOUBLE_EQ(FUNP(std::span(a).first(1), 7.0, 10.0), 3.0);
    EXPECT_DOUBLE_EQ(FUNP(std::span(a).first(2), 7.0, 10.0), 3.0 + 1.5);
    EXPECT_DOUBLE_EQ(FUNP(a, 7.0, 10.0), 3.0 + 1.5 + 2.25);
    EXPECT_DOUBLE_EQ(FUNP(a, 10.0, 10.0), 3.0);

    std::vector<double> d = {-1.0, -1.0, -1.0};
    const std::vector<int32_t> state = {kLinkFree, kLinkFixed, kLinkCorrelated};
    DERP(state, 7.0, 10.0, d);
    EXPECT_EQ(d, (std::vector<double>{1.0, -1.0, 9.0}));
}

TEST(Background, ComponentColumnOnlyWithABackground)
{
    const std::vector<double> e = {1.0, 2.0, 3.0, 4.0};
    const std::vector<double> y = {10.0, 10.0, 10.0, 10.0};
    const std::vector<double> peak = {2.5, 4.0, 0.5, 0.1, 0.5};
    for (const int32_t nbg : {0, 1, 2, 3}) {
        Problem p(e, y, 1, nbg);
        std::vector<double> params = peak;
        for (int32_t m = 0; m < nbg; ++m) {
            params.push_back(m == 0 ? 5.0 : 0.5);
        }
        EngineState st = p.state0(params);
        p.run(kModeCalculate, st);
        ASSERT_EQ(st.components.size(), e.size() * static_cast<std::size_t>(nbg > 0 ? 2 : 1));
        for (std::size_t i = 0; i < e.size(); ++i) {
            const double background = nbg > 0 ? st.components[e.size() + i] : 0.0;
            EXPECT_DOUBLE_EQ(st.model[i], st.components[i] + background);
        }
        if (nbg > 0) {
            EXPECT_DOUBLE_EQ(st.components[2 * e.size() - 1], 5.0);  // a0 at the last point
        }
    }
}

}  // namespace
}  // namespace varnix::engine
