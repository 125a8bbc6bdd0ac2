// The natural cubic spline (second derivative 0 at both ends) that smooths line curves, with
// the interval search it evaluates through and the array reversal that lets descending
// energies use it.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace varnix::plot {

// a′(k) = a(n − 1 − k), b′(k) = b(n − 1 − k), k = 0 … n − 1, in place; a and b of one size.
void reverseArrays(std::vector<double>& a, std::vector<double>& b);

// The interval j (0 ≤ j ≤ n − 2) of the monotone table x (ascending or descending, n ≥ 2)
// that brackets t: x[j] ≤ t ≤ x[j + 1] for an ascending table, x[j] ≥ t ≥ x[j + 1] for a
// descending one; a t beyond either end gives the end interval. Brackets by doubling steps
// from `guess` (the interval of the previous target, so a sweep costs little), then bisects.
std::size_t huntInterval(std::span<const double> x, double t, std::size_t guess);

// The second derivatives m (n) of the natural cubic spline through (x[i], y[i]), x strictly
// ascending, n ≥ 2: m[0] = m[n − 1] = 0 and, for 0 < i < n − 1,
//   h[i−1] m[i−1] + 2 (h[i−1] + h[i]) m[i] + h[i] m[i+1] = 6 (d[i] − d[i−1]),
// with h[i] = x[i+1] − x[i] and d[i] = (y[i+1] − y[i]) / h[i]; a forward sweep and
// back-substitution of this tridiagonal system. `scratch` holds n values of the sweep.
void splineSecondDerivatives(std::span<const double> x, std::span<const double> y,
                             std::span<double> m, std::span<double> scratch);

// The spline value at t on interval j, from the values and second derivatives at its ends.
double splinePoint(std::span<const double> x, std::span<const double> y,
                   std::span<const double> m, std::size_t j, double t);

// Evaluates the natural cubic spline through (x, y) at the targets (ascending as x) into
// `values` (same size as targets). Returns false, the error flag, and evaluates nothing when
// the first target lies below x[0] or the last above x[n − 1], when n < 2, or when x is not
// strictly ascending (an interval of zero width).
bool evaluateSpline(std::span<const double> x, std::span<const double> y,
                    std::span<const double> targets, std::span<double> values);

}  // namespace varnix::plot
