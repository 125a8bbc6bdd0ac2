#include "core/axis_ticks.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

namespace varnix::app {

namespace {

// A step mantissa × 10^exponent of the series, with the minor intervals that split it into
// round parts: 1 into fifths, 2 into halves of one, 2.5 into halves of one, 5 into ones.
struct Step {
    double mantissa = 1.0;
    int exponent = 0;
    int32_t minorIntervals = 5;
};

constexpr std::array<Step, 4> kSeries = {{{1.0, 0, 5}, {2.0, 0, 4}, {2.5, 0, 5}, {5.0, 0, 5}}};

// An end within this share of a step of a multiple counts as that multiple, so that rounding in
// the caller's limits (0.1 + 0.2) neither drops nor adds a tick.
constexpr double kEndSlack = 1e-9;
// Below this width relative to the numbers, neighbouring ticks would not be told apart.
constexpr double kNarrowestRelativeWidth = 1e-12;
constexpr double kExponentFormFrom = 1e6;
constexpr int kLabelCapacity = 64;

double powerOfTen(int exponent)
{
    return std::pow(10.0, exponent);
}

// i × step, divided rather than multiplied by a power of ten below 1, so that 7 × 0.01 is the
// double nearest 0.07.
double multiple(double i, const Step& step)
{
    const double scaled = i * step.mantissa;
    return step.exponent >= 0 ? scaled * powerOfTen(step.exponent)
                              : scaled / powerOfTen(-step.exponent);
}

struct Multiples {
    double first = 0.0;
    double last = -1.0;
};

Multiples multiplesInside(double low, double high, double step)
{
    return {std::ceil(low / step - kEndSlack) + 0.0, std::floor(high / step + kEndSlack) + 0.0};
}

double countOf(const Multiples& m)
{
    return m.last - m.first + 1.0;
}

// The smallest step of the series with at most kMaxMajorTicks multiples inside. Its neighbour
// below left more than kMaxMajorTicks, so the range is at least that many of those steps long,
// and each step of the series is at most twice the one below it: at least kMinMajorTicks remain.
Step stepFor(double low, double high)
{
    Step step;
    step.exponent = static_cast<int>(std::floor(std::log10(high - low))) - 2;
    for (;; ++step.exponent) {
        for (Step candidate : kSeries) {
            candidate.exponent = step.exponent;
            const Multiples m = multiplesInside(low, high, multiple(1.0, candidate));
            if (countOf(m) <= kMaxMajorTicks) {
                return candidate;
            }
        }
    }
}

int decimalsOf(const Step& step)
{
    const int extra = step.mantissa == 2.5 ? 1 : 0;  // 2.5 × 10^k has one digit more than 10^k
    return std::max(0, extra - step.exponent);
}

std::vector<double> majorTicks(double low, double high, const Step& step)
{
    const Multiples m = multiplesInside(low, high, multiple(1.0, step));
    std::vector<double> ticks;
    for (double i = m.first; i <= m.last; ++i) {
        ticks.push_back(multiple(i, step));
    }
    return ticks;
}

std::vector<double> minorTicks(double low, double high, const Step& step)
{
    const double intervals = step.minorIntervals;
    const Multiples m = multiplesInside(low, high, multiple(1.0, step) / intervals);
    std::vector<double> ticks;
    for (double j = m.first; j <= m.last; ++j) {
        if (std::fmod(j, intervals) != 0.0) {
            ticks.push_back(multiple(j, step) / intervals);
        }
    }
    return ticks;
}

std::string written(double value, std::chars_format format, int precision)
{
    std::array<char, kLabelCapacity> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format, precision);
    std::string text(buffer.data(), result.ptr);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

AxisTicks axisTicks(double low, double high)
{
    if (low > high) {
        std::swap(low, high);
    }
    const double magnitude = std::max(std::abs(low), std::abs(high));
    if (!std::isfinite(low) || !std::isfinite(high) ||
        !(high - low > kNarrowestRelativeWidth * magnitude)) {
        return {};
    }
    const Step step = stepFor(low, high);
    AxisTicks ticks;
    ticks.step = multiple(1.0, step);
    ticks.decimals = decimalsOf(step);
    ticks.major = majorTicks(low, high, step);
    ticks.minor = minorTicks(low, high, step);
    return ticks;
}

std::string tickLabel(double value, const AxisTicks& ticks)
{
    const double positive = value == 0.0 ? 0.0 : value;  // no "-0"
    double largest = 0.0;
    for (double tick : ticks.major) {
        largest = std::max(largest, std::abs(tick));
    }
    if (largest < kExponentFormFrom || ticks.step <= 0.0) {
        return written(positive, std::chars_format::fixed, ticks.decimals);
    }
    // The mantissa digits that show the step in the largest tick's exponent.
    const double stepExponent = std::floor(std::log10(ticks.step));
    const double stepMantissa = ticks.step / powerOfTen(static_cast<int>(stepExponent));
    const double halfDigit = std::round(2.0 * stepMantissa) == 5.0 ? 1.0 : 0.0;  // 2.5
    const auto digits =
        static_cast<int>(std::floor(std::log10(largest)) - stepExponent + halfDigit);
    if (positive == 0.0) {
        return "0";  // "0.0E+00" among "2.0E+05" would only hide the zero
    }
    return written(positive, std::chars_format::scientific, std::max(digits, 0));
}

}  // namespace varnix::app
