// The plot routine behind KELMAR: the spectrum, its fit, the components and the residuals on
// one page, through the plotting primitives.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace varnix::plot {

// What one call draws. Every array is the caller's and is only read.
struct SpectrumPage {
    std::span<const float> energies;    // N, in the data's order
    std::span<const float> counts;      // N
    std::span<const float> calculated;  // N
    std::span<const float> components;  // N × NC, column-major
    int32_t componentCount = 0;         // NC
    std::span<const float> residuals;   // empty when none are drawn, else at most N
    std::string fileName;
    std::string xTitle;
    std::string yTitle;
};

// Below this many points the calculated spectrum, the components and the residuals are drawn
// as natural cubic splines through their points, on a grid of kSplineGridSize energies.
inline constexpr std::size_t kSplineBelow = 500;
inline constexpr std::size_t kSplineGridSize = 500;

struct ValueRange {
    double lo = 0.0;
    double hi = 1.0;
};

// The Y range: from 0 (or, with residuals, the smallest residual) to the largest value of
// data, fit, components and residuals, 5 % wider at the top and at a negative bottom. Values
// that are not finite are left out. When this leaves no range to draw over (every value
// negative without residuals, none finite, all equal), the range that holds every value is
// used instead, widened around a single value.
ValueRange valueRange(const SpectrumPage& page);

// Ends an axis can be drawn between: equal ends are widened by 5 % of their value each way
// (0 becomes 0 … 1); a range whose ends are not finite becomes 0 … 1.
ValueRange drawableRange(ValueRange r);

// The energies XS(k) = Xa + k (Xb − Xa) / (size − 1), k = 0 … size − 1, the last one set to
// Xb exactly so that the spline's range check never fails on accumulated rounding.
std::vector<double> interpolationGrid(double xa, double xb, std::size_t size);

// The natural cubic spline through the finite points (x[i], v[i]) at the grid energies, in the
// grid's direction; empty when it cannot be evaluated (fewer than two points, energies not
// strictly monotone, a grid end outside the points, a result that is not finite).
std::vector<double> smoothOnGrid(std::span<const double> x, std::span<const double> v,
                                 std::span<const double> grid);

// Draws the page into page.fileName. Throws only what allocation throws.
void drawSpectrumPage(const SpectrumPage& page);

}  // namespace varnix::plot
