#include "cubic_spline.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace varnix::plot {

void reverseArrays(std::vector<double>& a, std::vector<double>& b)
{
    assert(a.size() == b.size());
    std::reverse(a.begin(), a.end());
    std::reverse(b.begin(), b.end());
}

std::size_t huntInterval(std::span<const double> x, double t, std::size_t guess)
{
    const std::size_t n = x.size();
    assert(n >= 2);
    const bool ascending = x[n - 1] >= x[0];
    // Whether t lies at or beyond x[i] in the table's own direction.
    const auto reached = [&](std::size_t i) { return ascending ? t >= x[i] : t <= x[i]; };

    // Invariant once bracketed: reached(lo) or lo = 0; not reached(hi) or hi = n − 1.
    std::size_t lo = std::min(guess, n - 2);
    std::size_t hi = lo + 1;
    std::size_t stride = 1;
    if (reached(lo)) {
        while (hi < n - 1 && reached(hi)) {
            lo = hi;
            stride *= 2;
            hi = std::min(lo + stride, n - 1);
        }
    } else {
        hi = lo;
        while (lo > 0 && !reached(lo)) {
            hi = lo;
            lo = lo > stride ? lo - stride : 0;
            stride *= 2;
        }
    }
    while (hi - lo > 1) {
        const std::size_t mid = lo + (hi - lo) / 2;
        (reached(mid) ? lo : hi) = mid;
    }
    return lo;
}

void splineSecondDerivatives(std::span<const double> x, std::span<const double> y,
                             std::span<double> m, std::span<double> scratch)
{
    const std::size_t n = x.size();
    assert(n >= 2 && y.size() == n && m.size() == n && scratch.size() == n);
    m[0] = 0.0;
    scratch[0] = 0.0;
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const double sig = (x[i] - x[i - 1]) / (x[i + 1] - x[i - 1]);
        const double p = sig * m[i - 1] + 2.0;
        m[i] = (sig - 1.0) / p;
        const double curvature = (y[i + 1] - y[i]) / (x[i + 1] - x[i])
                                 - (y[i] - y[i - 1]) / (x[i] - x[i - 1]);
        scratch[i] = (6.0 * curvature / (x[i + 1] - x[i - 1]) - sig * scratch[i - 1]) / p;
    }
    m[n - 1] = 0.0;
    for (std::size_t k = n - 1; k-- > 0;) {
        m[k] = m[k] * m[k + 1] + scratch[k];
    }
}

double splinePoint(std::span<const double> x, std::span<const double> y,
                   std::span<const double> m, std::size_t j, double t)
{
    const double h = x[j + 1] - x[j];
    const double a = (x[j + 1] - t) / h;
    const double b = (t - x[j]) / h;
    return a * y[j] + b * y[j + 1]
           + ((a * a * a - a) * m[j] + (b * b * b - b) * m[j + 1]) * (h * h) / 6.0;
}

bool evaluateSpline(std::span<const double> x, std::span<const double> y,
                    std::span<const double> targets, std::span<double> values)
{
    const std::size_t n = x.size();
    assert(y.size() == n && values.size() == targets.size());
    if (n < 2 || targets.empty() || targets.front() < x[0] || targets.back() > x[n - 1]) {
        return false;
    }
    // Checked before the sweep, which divides by every width.
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (!(x[i + 1] > x[i])) {
            return false;
        }
    }
    std::vector<double> m(n);
    std::vector<double> scratch(n);
    splineSecondDerivatives(x, y, m, scratch);
    std::size_t j = 0;
    for (std::size_t k = 0; k < targets.size(); ++k) {
        j = huntInterval(x, targets[k], j);
        values[k] = splinePoint(x, y, m, j, targets[k]);
    }
    return true;
}

}  // namespace varnix::plot
