// Contrast between colours as the settings hold them (24-bit 0xBBGGRR), and the text colour a
// disabled control takes from its text and background colours. The settings may hold any
// colours, also ones the platform's own disabled grey vanishes against (the default light grey
// background is within two steps of it), so the disabled colour is derived from the colours in
// force rather than taken from the platform.
#pragma once

#include <cstdint>

namespace varnix::app {

// WCAG 2 contrast ratio (L1 + 0.05) / (L2 + 0.05) of the relative luminances, L1 the lighter:
// 1 for equal luminance, 21 for black on white.
double contrastRatio(int32_t first, int32_t second);

// Disabled text stays this far from its background, enough to read: the ratio WCAG asks of
// large text and of controls' outlines.
inline constexpr double kReadableContrast = 3.0;
// and this far from the enabled text colour, so that it is seen to be disabled.
inline constexpr double kApartContrast = 1.5;

// A grey that keeps kReadableContrast to `back` and kApartContrast to `text`, as near as both
// allow to halfway (in contrast) between the two. Where no grey keeps both (text and background
// close to each other, or text grey itself), the readable grey farthest from the text.
int32_t disabledTextColour(int32_t text, int32_t back);

}  // namespace varnix::app
