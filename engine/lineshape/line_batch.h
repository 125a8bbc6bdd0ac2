// The Doniach–Sunjic line and its Pos and Alpha derivatives on a batch of nodes, the inner
// loop of every convolution integral. On processors with AVX2 four nodes go through the vector
// versions of atan, log, exp, sin and cos of the C library's vector math library at once.
#pragma once

#include <cstddef>

namespace varnix::engine {

// Per-peak constants of the line.
struct LineConstants {
    double lfwhm = 1.0;
    double gamma = 0.5;          // LFWHM/2
    double gamma2 = 0.25;        // γ²
    double halfExponent = 0.5;   // (1 − α)/2
    double phase0 = 0.0;         // (π/2)·α
    double oneMinusAlpha = 1.0;  // 1 − α
};

// The line at x − Pos = shift + t[m] for m < count (count ≤ kLineBatch): DS into ds and, when
// derivatives are wanted, ∂DS/∂Pos into fder1 and ∂DS/∂Alpha into fderal.
inline constexpr std::size_t kLineBatch = 4;
void lineBatch(const LineConstants& line, double shift, const double* t, std::size_t count,
               bool derivatives, double* ds, double* fder1, double* fderal);

}  // namespace varnix::engine
