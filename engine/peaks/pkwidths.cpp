#include "pkwidths.h"

#include "dlsqp.h"

#include <array>
#include <cassert>
#include <cmath>
#include <optional>
#include <utility>

namespace varnix::engine {

namespace {

constexpr int32_t kMaxRefinements = 21;
// Energy step (energy units) below which the refinement has converged.
constexpr double kStepTolerance = 1e-6;
// Relative distance of the model from the level below which the refinement has converged.
constexpr double kLevelTolerance = 1e-6;

struct Point {
    double x;  // energy
    double y;  // model intensity
};

// The energy at which the parabola x(y) through three points reaches `level`. The intensities
// are taken relative to the level: the parabola and its value there are the same, but the raw
// power sums of DLSQP would cancel in just the digits the crossing depends on once the three
// intensities lie close together, as they do near convergence.
double inverseParabola(double level, const Point& lo, const Point& mid, const Point& hi)
{
    const std::array<double, 3> p{lo.y - level, mid.y - level, hi.y - level};
    const std::array<double, 3> q{lo.x, mid.x, hi.x};
    return DLSQP(p, q, 0.0).value;
}

// Index of the largest value; the first wins among equal ones. y is not empty.
std::size_t firstMaximum(std::span<const double> y)
{
    std::size_t best = 0;
    for (std::size_t i = 1; i < y.size(); ++i) {
        if (y[i] > y[best]) {
            best = i;
        }
    }
    return best;
}

// First index at or below `from`, scanning down, whose value is below the level.
std::optional<std::size_t> firstBelowDown(std::span<const double> y, std::size_t from,
                                          double level)
{
    for (std::size_t j = from + 1; j-- > 0;) {
        if (y[j] < level) {
            return j;
        }
    }
    return std::nullopt;
}

// First index at or above `from`, scanning up, whose value is below the level.
std::optional<std::size_t> firstBelowUp(std::span<const double> y, std::size_t from,
                                        double level)
{
    for (std::size_t j = from; j < y.size(); ++j) {
        if (y[j] < level) {
            return j;
        }
    }
    return std::nullopt;
}

}  // namespace

double INTERP(double level, double x1, double y1, double x3, double y3,
              PeakIntegrands& integrands, double norm, const SimpsonControls& controls,
              int32_t& status)
{
    // The bracket tests need the lower energy first; binding-energy axes arrive descending,
    // and without this their crossings would never be refined.
    Point lo{x1, y1};
    Point hi{x3, y3};
    if (hi.x < lo.x) {
        std::swap(lo, hi);
    }
    status = 0;
    double x = lo.x;
    double xm = lo.x + (hi.x - lo.x) * (level - lo.y) / (hi.y - lo.y);
    for (int32_t step = 0; step < kMaxRefinements; ++step) {
        const SimpsonIntegral convolution = integrands.convolution(xm, controls);
        status = convolution.status;
        const double ym = integrands.peak().height * convolution.value / norm;
        // Two equal intensities leave no parabola x(y) through the points; rounding would
        // make one up with an arbitrary crossing. The model was last evaluated at xm, so that
        // is the best estimate there is (exact when ym is the level itself).
        if (ym == lo.y || ym == hi.y) {
            x = xm;
            break;
        }
        x = inverseParabola(level, lo, {xm, ym}, hi);
        // A non-finite model value (a zero norm, say) would otherwise slip past every test.
        if (!std::isfinite(x)) {
            x = xm;
            break;
        }
        if (x == xm || x <= lo.x || x >= hi.x) {
            break;
        }
        if (std::fabs(xm - x) <= kStepTolerance
            || std::fabs(ym - level) / level <= kLevelTolerance) {
            break;
        }
        if (x < xm) {
            hi = {xm, ym};
        } else {
            lo = {xm, ym};
        }
        xm = x;
    }
    return x;
}

double PKWIDTHS(std::span<const double> energies, std::span<const double> component,
                const PeakShape& peak, double norm, const SimpsonControls& controls,
                double range, int32_t& status)
{
    assert(energies.size() == component.size());
    status = 1;
    const double level = peak.height / 2.0;
    // A peak pointing down (or nowhere) has no half-height crossings to find, and a maximum
    // inside the data needs at least three points.
    if (!(level > 0.0) || component.size() < 3) {
        return 0.0;
    }
    const std::size_t last = component.size() - 1;
    const std::size_t imax = firstMaximum(component);
    if (imax == 0 || imax == last || component[imax] < level) {
        return 0.0;
    }
    const std::optional<std::size_t> left = firstBelowDown(component, imax, level);
    const std::optional<std::size_t> right = firstBelowUp(component, imax, level);
    if (!left || *left == 0 || !right || *right == last) {
        return 0.0;
    }
    PeakIntegrands integrands(peak, range);
    int32_t leftStatus = 0;
    int32_t rightStatus = 0;
    const std::size_t l = *left;
    const std::size_t r = *right;
    const double eLeft = INTERP(level, energies[l], component[l], energies[l + 1],
                                component[l + 1], integrands, norm, controls, leftStatus);
    const double eRight = INTERP(level, energies[r - 1], component[r - 1], energies[r],
                                 component[r], integrands, norm, controls, rightStatus);
    // On a descending axis the scan towards lower indices finds the upper crossing.
    const double width = energies[l] < energies[r] ? eRight - eLeft : eLeft - eRight;
    if (!std::isfinite(width)) {
        return 0.0;
    }
    if (width > 0.0) {
        status = (leftStatus != 0 || rightStatus != 0) ? 2 : 0;
    }
    return width;
}

}  // namespace varnix::engine
