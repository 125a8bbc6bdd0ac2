// Doniach–Sunjic line and its derivatives (FDON, FDER1, FDERAL) and the Gaussian it is
// convolved with.
//
// With γ = LFWHM/2, ε = 2(x − Pos)/LFWHM, D = γ²(1 + ε²) and φ = (π/2)·α + (1 − α)·arctan ε:
//   DS(x) = cos φ / D^((1 − α)/2)
// The line carries no Γ(1 − α) factor and no normalisation; Height does not enter.
// The model requires LFWHM ≠ 0, GFWHM ≠ 0 and 0 ≤ α < 1; outside that the values are not
// finite, and nothing here checks it.
#pragma once

namespace varnix::engine {

// π/2 as the single-precision value the line has always been defined with. Using the exact
// double would move every fitted position and area in the last digits of stored results.
inline constexpr double kHalfPi = 1.5707963705062866;
// 1/(2·√ln 2): turns a full width at half maximum into the Gaussian's 1/e half width.
inline constexpr double kGaussWidth = 0.600561204395;
// 8·ln 2, the factor of the Gaussian's derivative with respect to its FWHM.
inline constexpr double kEightLn2 = 5.54517744448;

// The five parameters of one peak, in the order of the parameter vector.
struct PeakShape {
    double pos = 0.0;
    double height = 0.0;
    double lfwhm = 0.0;
    double alpha = 0.0;
    double gfwhm = 0.0;
};

// DS(x): the Doniach–Sunjic line at energy x.
double FDON(const PeakShape& peak, double x);
// ∂DS/∂Pos at x.
double FDER1(const PeakShape& peak, double x);
// ∂DS/∂Alpha at x.
double FDERAL(const PeakShape& peak, double x);

// G(u) = exp(−(u/(c·GFWHM))²): value 1 at u = 0, full width GFWHM at half maximum.
double gaussian(double u, double gfwhm);

// Half-width h of the convolution window of a peak, in energy units. The Integration Range
// `range` counts widths of the larger of the two FWHMs; Gaussian-dominated lines (GFWHM more
// than 10 times LFWHM) need fewer of them because their tails fall off fast.
double integrationHalfWidth(double range, double lfwhm, double gfwhm);

}  // namespace varnix::engine
