// An independent model of an XPS spectrum, written from the line-shape formulas alone, against
// which the engine is tested and from which the synthetic spectra are drawn. It shares no code
// with the engine: a fault in the engine's model cannot reappear here.
//
// Each peak is a Doniach–Sunjic line convolved with a Gaussian and scaled to equal Height at
// Pos; the background is a polynomial in (E − E_last), E_last the last energy. The convolution
// is a dense direct sum over the whole reach of the Gaussian, not over a window of the peak.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace varnix::reference {

// One peak, in the order of the parameter vector: Pos, Height, LFWHM, Alpha, GFWHM.
struct Peak {
    double pos = 0.0;
    double height = 0.0;
    double lfwhm = 0.0;
    double alpha = 0.0;
    double gfwhm = 0.0;
};

// ∫ DS(x)·G(E − x) dx over the real line, with
//   DS(x) = cos φ / D^((1 − α)/2), γ = LFWHM/2, ε = (x − Pos)/γ, D = γ²(1 + ε²),
//   φ = (π/2)·α + (1 − α)·arctan ε (π/2 rounded to single precision, as the line is defined),
//   G(u) = exp(−(u/(c·GFWHM))²), c = 1/(2√ln 2): 1 at u = 0, full width GFWHM at half maximum.
// Height does not enter.
double convolution(const Peak& peak, double energy);

// The spectrum of `parameters` (nds peaks, then nbg background coefficients a0 … about the
// last energy) at each energy.
std::vector<double> spectrumModel(std::span<const double> energies,
                                  std::span<const double> parameters, int32_t nds, int32_t nbg);

// χ² = Σᵢ ((yᵢ − modelᵢ)/σᵢ)².
double weightedChiSquare(std::span<const double> counts, std::span<const double> sigmas,
                         std::span<const double> model);

}  // namespace varnix::reference
