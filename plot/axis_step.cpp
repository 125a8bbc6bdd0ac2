#include "axis_step.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>

namespace varnix::plot {

namespace {

// Exact powers of ten up to 1e22, so that a decimal step such as 0.01 comes out as the double
// nearest to it rather than as a product of rounded factors.
double powerOfTen(int exponent)
{
    static constexpr std::array<double, 23> kExact = {
        1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const int magnitude = exponent < 0 ? -exponent : exponent;
    const double p = magnitude < 23 ? kExact[static_cast<std::size_t>(magnitude)]
                                    : std::pow(10.0, magnitude);
    return exponent < 0 ? 1.0 / p : p;
}

// unit × 10^exponent, rounded once.
double decimalValue(double unit, int exponent)
{
    return exponent < 0 ? unit / powerOfTen(-exponent) : unit * powerOfTen(exponent);
}

// a scaled by 10^(−exponent), rounded once.
double scaled(double a, int exponent)
{
    return exponent < 0 ? a * powerOfTen(-exponent) : a / powerOfTen(exponent);
}

// The exponent e with a·10^(−e) in 0.1 … 1. Spans above 1 are divided down until they reach
// at most 1, spans below 0.1 multiplied up until they reach at least 0.1, so a span of 100
// normalises to 1 and one of 0.01 to 0.1. Counting from an estimate keeps the loops to a step
// or two, and exact powers keep them from missing the interval through accumulated rounding.
int normalisingExponent(double a)
{
    if (a > 1.0) {
        int e = std::max(1, static_cast<int>(std::floor(std::log10(a))) - 1);
        while (scaled(a, e) > 1.0) {
            ++e;
        }
        return e;
    }
    if (a < 0.1) {
        int e = std::min(-1, static_cast<int>(std::ceil(std::log10(a))) + 1);
        while (scaled(a, e) < 0.1) {
            --e;
        }
        return e;
    }
    return 0;
}

// Whole steps in lo / step, with lo an exact multiple recognised despite rounding in the
// division (0.3 / 0.1 is 2.9999999999999996).
double wholeSteps(double quotient)
{
    constexpr double kMultipleTolerance = 1e-9;  // relative; far below a label's resolution
    const double nearest = std::round(quotient);
    if (std::fabs(quotient - nearest) <= kMultipleTolerance * std::max(1.0, std::fabs(nearest))) {
        return nearest;
    }
    return std::floor(quotient);
}

}  // namespace

AxisStep chooseAxisStep(double lo, double hi)
{
    const double a = std::fabs(hi - lo);
    assert(std::isfinite(a) && a > 0.0);
    const int e = normalisingExponent(a);
    const double normalised = scaled(a, e);

    AxisStep axis;
    if (normalised < 0.2) {
        axis.step = decimalValue(5.0, e - 2);
    } else if (normalised < 0.5) {
        axis.step = decimalValue(1.0, e - 1);
    } else {
        axis.step = decimalValue(2.0, e - 1);
    }
    const double s = axis.step;
    axis.firstLabel = lo >= 0.0 ? s * (wholeSteps(lo / s) + 1.0) : -s * wholeSteps(-lo / s);

    if (s >= 0.1) {
        axis.decimals = 1;
    } else if (s >= 0.01) {
        axis.decimals = 2;
    } else if (s >= 0.001) {
        axis.decimals = 3;
    } else {
        axis.decimals = 1;
    }
    axis.style = s > 500.0 || s < 0.001 ? LabelStyle::Exponential : LabelStyle::Float;
    return axis;
}

}  // namespace varnix::plot
