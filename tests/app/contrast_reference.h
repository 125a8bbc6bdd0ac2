// WCAG 2's contrast ratio, written out here from the standard's definition, so that the colours
// the program derives are measured against the definition rather than against its own code.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace varnix::app::test {

// WCAG's least contrast for large text and for the parts of controls.
inline constexpr double kWcagReadable = 3.0;

inline double wcagLuminance(int red, int green, int blue)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(red) + 0.7152 * linear(green) + 0.0722 * linear(blue);
}

// Colours as the settings hold them, 0xBBGGRR.
inline double wcagContrast(int32_t first, int32_t second)
{
    const auto luminance = [](int32_t bgr) {
        return wcagLuminance(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF) + 0.05;
    };
    const double a = luminance(first);
    const double b = luminance(second);
    return std::max(a, b) / std::min(a, b);
}

}  // namespace varnix::app::test
