#include "core/colour_contrast.h"

#include <cmath>
#include <optional>

namespace varnix::app {

namespace {

constexpr int32_t kGreyStep = 0x010101;
constexpr int kGreyLevels = 256;
constexpr double kLuminanceOffset = 0.05;  // the flare term of the contrast ratio

// sRGB channel 0..255 to linear light.
double linear(int32_t channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double relativeLuminance(int32_t bgr)
{
    return 0.2126 * linear(bgr & 0xFF) + 0.7152 * linear((bgr >> 8) & 0xFF) +
           0.0722 * linear((bgr >> 16) & 0xFF);
}

}  // namespace

double contrastRatio(int32_t first, int32_t second)
{
    const double a = relativeLuminance(first) + kLuminanceOffset;
    const double b = relativeLuminance(second) + kLuminanceOffset;
    return a > b ? a / b : b / a;
}

int32_t disabledTextColour(int32_t text, int32_t back)
{
    // Halfway in contrast is the geometric mean of the two offset luminances.
    const double halfway = std::log(relativeLuminance(text) + kLuminanceOffset) / 2.0 +
                           std::log(relativeLuminance(back) + kLuminanceOffset) / 2.0;
    std::optional<int32_t> best;
    double bestDistance = 0.0;
    std::optional<int32_t> fallback;
    double fallbackApart = 0.0;
    for (int level = 0; level < kGreyLevels; ++level) {
        const int32_t grey = level * kGreyStep;
        if (contrastRatio(grey, back) < kReadableContrast) {
            continue;
        }
        const double apart = contrastRatio(grey, text);
        if (apart > fallbackApart) {
            fallback = grey;
            fallbackApart = apart;
        }
        const double distance =
            std::abs(std::log(relativeLuminance(grey) + kLuminanceOffset) - halfway);
        if (apart >= kApartContrast && (!best || distance < bestDistance)) {
            best = grey;
            bestDistance = distance;
        }
    }
    // Black or white is always readable on any background, so a fallback exists.
    return best ? *best : fallback.value_or(0);
}

}  // namespace varnix::app
