// The axis-step choice: from the two ends of an axis, a label step of 1, 2 or 5 times a power
// of ten, the first label, and the label style and decimals that suit the step.
#pragma once

#include <cstdint>

namespace varnix::plot {

enum class LabelStyle { Float, Exponential };

struct AxisStep {
    double step = 1.0;        // > 0, in axis units
    double firstLabel = 0.0;  // in axis units
    int32_t decimals = 1;
    LabelStyle style = LabelStyle::Float;
};

// The step for the axis from lo to hi (either may be the larger one; they must be finite and
// different). With a = |hi − lo| brought into 0.1 … 1 by powers of ten (a > 1 towards 1,
// a < 0.1 towards 0.1), the step is 0.05, 0.1 or 0.2 of that power for a below 0.2, below
// 0.5, or up to 1. The first label lies one step above a lower end lo ≥ 0 that is a multiple
// of the step (so an axis from 0 is first labelled at the step), and for lo < 0 at the
// multiple at or above lo. Decimals: 1 for steps ≥ 0.1, 2 and 3 down to 0.01 and 0.001, 1
// below; exponential labels for steps above 500 or below 0.001.
AxisStep chooseAxisStep(double lo, double hi);

}  // namespace varnix::plot
