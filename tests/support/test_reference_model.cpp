// The reference model the engine is checked against, checked itself against closed forms: the
// Voigt profile at its centre and the bare Doniach–Sunjic line under a very narrow Gaussian.
#include "reference_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

namespace varnix::reference {
namespace {

// The trapezoid sum's own error (≈ 1e-22) and the rounding of up to 1e5 terms.
constexpr double kClosedFormTol = 1e-12;
// A Gaussian of FWHM 1e-3·LFWHM still smooths the line by about (c·GFWHM/γ)²/4 ≈ 4e-7 of it.
constexpr double kNarrowGaussianTol = 1e-5;
constexpr double kGaussWidthPerFwhm = 0.6005612043932249;  // 1/(2√ln 2)

struct VoigtCase {
    const char* name;
    double lfwhm;
    double gfwhm;
};

class VoigtCentre : public ::testing::TestWithParam<VoigtCase> {};

// With α = 0 the line is γ/(γ² + x²), and its convolution with exp(−x²/s²) at the centre is
// π·e^(a²)·erfc(a), a = γ/s.
TEST_P(VoigtCentre, MatchesTheErfcClosedForm)
{
    const VoigtCase c = GetParam();
    const Peak peak{3.0, 1.0, c.lfwhm, 0.0, c.gfwhm};
    const double gamma = c.lfwhm / 2.0;
    const double a = gamma / (kGaussWidthPerFwhm * c.gfwhm);
    const double expected = std::numbers::pi * std::exp(a * a) * std::erfc(a);
    EXPECT_NEAR(convolution(peak, peak.pos), expected, kClosedFormTol * expected);
}

INSTANTIATE_TEST_SUITE_P(Shapes, VoigtCentre,
                         ::testing::Values(VoigtCase{"LorentzianDominated", 1.0, 0.2},
                                           VoigtCase{"Balanced", 0.6, 0.8},
                                           VoigtCase{"GaussianDominated", 0.1, 1.2},
                                           VoigtCase{"NearlyGaussian", 0.01, 1.01}),
                         [](const auto& c) { return std::string(c.param.name); });

// DS as Re[e^(i·(π/2)·α)·(γ − i(x − Pos))^(α − 1)], up to a factor that the scaling to Height
// at Pos cancels.
double complexLine(double pos, double lfwhm, double alpha, double x)
{
    const std::complex<double> z(lfwhm / 2.0, -(x - pos));
    return (std::polar(1.0, std::numbers::pi / 2.0 * alpha) * std::pow(z, alpha - 1.0)).real();
}

class NarrowGaussian : public ::testing::TestWithParam<double> {};

// A quadratic background about the last energy under one peak whose Gaussian is too narrow to
// change it: the spectrum is Height·DS(E)/DS(Pos) + a0 + a1·(E − E_last) + a2·(E − E_last)².
TEST_P(NarrowGaussian, SpectrumIsTheScaledLineOnTheBackground)
{
    const double alpha = GetParam();
    const std::vector<double> parameters = {10.0, 250.0, 0.6, alpha, 6e-4, 40.0, -3.0, 0.5};
    const std::vector<double> energies = {8.0, 9.7, 10.0, 10.15, 11.0, 13.5};
    const std::vector<double> model = spectrumModel(energies, parameters, 1, 3);
    const double atPos = complexLine(10.0, 0.6, alpha, 10.0);
    for (std::size_t i = 0; i < energies.size(); ++i) {
        const double u = energies[i] - 13.5;
        const double peak = 250.0 * complexLine(10.0, 0.6, alpha, energies[i]) / atPos;
        const double expected = peak + 40.0 - 3.0 * u + 0.5 * u * u;
        EXPECT_NEAR(model[i], expected, kNarrowGaussianTol * std::fabs(peak)) << energies[i];
    }
}

INSTANTIATE_TEST_SUITE_P(Asymmetries, NarrowGaussian, ::testing::Values(0.0, 0.1, 0.35, 0.8),
                         [](const auto& c) { return "Alpha" + std::to_string(c.index); });

}  // namespace
}  // namespace varnix::reference
