// Least-squares parabola (DLSQP).
#pragma once

#include <cstdint>
#include <span>

namespace varnix::engine {

struct DlsqpResult {
    double value = 0.0;  // a + b·r + c·r²; NaN when status is 1
    int32_t status = 0;  // 0 fitted, 1 fewer than three points
};

// Fits Q = a + b·P + c·P² to the n points (p[i], q[i]), i = 0 … n − 1, by least squares
// through the normal equations in raw power sums, and evaluates the parabola at P = r.
// With exactly three distinct abscissae this is the interpolating parabola. p and q have the
// same length n and stay the caller's; n ≤ 2 gives status 1 and no value.
// Coinciding abscissae make the system singular: the value is then not finite or, through
// rounding, meaningless; callers that can meet them must test for them first.
DlsqpResult DLSQP(std::span<const double> p, std::span<const double> q, double r);

}  // namespace varnix::engine
