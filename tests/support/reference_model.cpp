#include "reference_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace varnix::reference {

namespace {

// The exact π/2 would move φ by 4e-8·α, which shows at 1e-7 of a peak in its far tails.
const double kHalfPi = static_cast<double>(static_cast<float>(std::numbers::pi / 2.0));
// 1/(2√ln 2): the Gaussian's 1/e half width per unit of FWHM.
const double kGaussWidthPerFwhm = 1.0 / (2.0 * std::sqrt(std::numbers::ln2));

// Half-width of the sum in units of c·GFWHM: G is e^(−100) ≈ 4e-44 at the ends, so nothing a
// double can hold is cut off; DS is never truncated, it is evaluated wherever G reaches.
constexpr double kWindowGaussWidths = 10.0;

// Nodes per the smaller of γ and c·GFWHM. The integrand is analytic within γ of the real axis
// (DS branches at Pos ± iγ) and vanishes at both ends, so the trapezoid sum's error falls like
// exp(−2π·d/step); with d half that width it is near e^(−16π) ≈ 1e-22, far below rounding.
constexpr double kNodesPerWidth = 16.0;

constexpr std::size_t kPeakParameters = 5;

double doniachSunjic(const Peak& peak, double x)
{
    const double gamma = peak.lfwhm / 2.0;
    const double epsilon = (x - peak.pos) / gamma;
    const double d = gamma * gamma * (1.0 + epsilon * epsilon);
    const double phi = kHalfPi * peak.alpha + (1.0 - peak.alpha) * std::atan(epsilon);
    return std::cos(phi) / std::pow(d, (1.0 - peak.alpha) / 2.0);
}

double gaussian(double u, double gfwhm)
{
    const double t = u / (kGaussWidthPerFwhm * gfwhm);
    return std::exp(-t * t);
}

// Peak k of a parameter vector: Pos, Height, LFWHM, Alpha, GFWHM.
Peak peakAt(std::span<const double> parameters, std::size_t k)
{
    const std::span<const double> p = parameters.subspan(kPeakParameters * k, kPeakParameters);
    return Peak{p[0], p[1], p[2], p[3], p[4]};
}

}  // namespace

double convolution(const Peak& peak, double energy)
{
    const double s = kGaussWidthPerFwhm * std::fabs(peak.gfwhm);
    const double smaller = std::min(std::fabs(peak.lfwhm) / 2.0, s);
    const double reach = kWindowGaussWidths * s;
    const auto half = static_cast<long>(std::ceil(reach * kNodesPerWidth / smaller));
    const double step = reach / static_cast<double>(half);
    double sum = 0.0;
    for (long m = -half; m <= half; ++m) {
        const double u = static_cast<double>(m) * step;
        sum += doniachSunjic(peak, energy - u) * gaussian(u, peak.gfwhm);
    }
    return sum * step;
}

std::vector<double> spectrumModel(std::span<const double> energies,
                                  std::span<const double> parameters, int32_t nds, int32_t nbg)
{
    std::vector<double> model(energies.size(), 0.0);
    for (std::size_t k = 0; k < static_cast<std::size_t>(nds); ++k) {
        const Peak peak = peakAt(parameters, k);
        const double atPos = convolution(peak, peak.pos);
        for (std::size_t i = 0; i < energies.size(); ++i) {
            model[i] += peak.height * convolution(peak, energies[i]) / atPos;
        }
    }
    const std::span<const double> background = parameters.subspan(
        kPeakParameters * static_cast<std::size_t>(nds), static_cast<std::size_t>(nbg));
    for (std::size_t i = 0; i < energies.size(); ++i) {
        const double u = energies[i] - energies.back();
        double power = 1.0;
        for (const double a : background) {
            model[i] += a * power;
            power *= u;
        }
    }
    return model;
}

double weightedChiSquare(std::span<const double> counts, std::span<const double> sigmas,
                         std::span<const double> model)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const double r = (counts[i] - model[i]) / sigmas[i];
        sum += r * r;
    }
    return sum;
}

}  // namespace varnix::reference
