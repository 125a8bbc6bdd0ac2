// The 16-colour table that SETVLT("VGA") loads: colour 0 is the paper, colours 1 … 16 the
// drawing colours, each a VGA hue made dark enough to show on white paper (the pale VGA
// entries, white, light grey, yellow, would vanish on a printed page).
#pragma once

#include <cstdint>

namespace varnix::plot {

struct Rgb {
    double red = 0.0;  // 0 … 1
    double green = 0.0;
    double blue = 0.0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr int32_t kDrawingColours = 16;

// Colour `index` of the table; indices above 16 wrap round to 1 … 16 and negative ones give the
// paper colour, so that any index draws something defined.
Rgb vgaColour(int32_t index, Rgb paper);

}  // namespace varnix::plot
