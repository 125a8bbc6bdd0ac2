// The ticks of a chart axis, labelled as a scientific plot labels them: a readable number at
// every major tick, 4 to 8 of them whatever the range, on a step of 1, 2, 2.5 or 5 × 10^k, with
// unlabelled minor ticks between. Both axes of the plot window and of an exported figure use
// it: an XPS region of 18 eV gets 365 … 380 by 2.5, a survey of 1200 eV 0 … 1200 by 200, a
// window zoomed to 0.06 eV its hundredths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnix::app {

inline constexpr int32_t kMinMajorTicks = 4;
inline constexpr int32_t kMaxMajorTicks = 8;

struct AxisTicks {
    double step = 0.0;          // between major ticks; 0 when the range has none
    int32_t decimals = 0;       // after the point, enough to tell neighbouring labels apart
    std::vector<double> major;  // inside the range, ends included, ascending
    std::vector<double> minor;  // between and beside the major ones, inside the range

    bool operator==(const AxisTicks&) const = default;
};

// The ticks of the range between low and high, in either order: the smallest step of the
// series 1, 2, 2.5, 5 × 10^k that leaves at most kMaxMajorTicks major ticks, which always
// leaves at least kMinMajorTicks. Each tick is a whole multiple of the step, computed as such
// (no sum of steps drifts). A range without width, too narrow for the precision of doubles, or
// not finite gets no ticks.
AxisTicks axisTicks(double low, double high);

// The label of a tick: fixed decimals as the ticks need ("367.5", "0.25", "1200"), zero without
// a sign; ticks reaching a million and more in exponent form with a capital E and as many
// mantissa digits as tell them apart ("1.2E+06"), zero among them as "0".
std::string tickLabel(double value, const AxisTicks& ticks);

}  // namespace varnix::app
