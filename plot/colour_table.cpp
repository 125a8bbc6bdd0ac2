#include "colour_table.h"

#include <array>

namespace varnix::plot {

namespace {

constexpr Rgb rgb(int red, int green, int blue)
{
    return {red / 255.0, green / 255.0, blue / 255.0};
}

// The VGA hues, ordered so that the measured points (1) and the fit (2) contrast most and
// neighbouring components differ in hue.
constexpr std::array<Rgb, kDrawingColours> kColours = {
    rgb(0, 0, 255),      // 1 blue
    rgb(220, 0, 0),      // 2 red
    rgb(0, 150, 0),      // 3 green
    rgb(200, 0, 200),    // 4 magenta
    rgb(0, 160, 200),    // 5 cyan
    rgb(150, 75, 0),     // 6 brown
    rgb(255, 130, 0),    // 7 orange (VGA light grey does not show on paper)
    rgb(100, 100, 100),  // 8 dark grey
    rgb(80, 80, 255),    // 9 light blue
    rgb(60, 200, 60),    // 10 light green
    rgb(0, 200, 200),    // 11 light cyan
    rgb(255, 80, 80),    // 12 light red
    rgb(230, 80, 230),   // 13 light magenta
    rgb(200, 170, 0),    // 14 yellow, darkened
    rgb(120, 0, 160),    // 15 violet (VGA white is the paper)
    rgb(0, 90, 90),      // 16 dark teal
};

}  // namespace

Rgb vgaColour(int32_t index, Rgb paper)
{
    if (index <= 0) {
        return paper;
    }
    return kColours[static_cast<std::size_t>((index - 1) % kDrawingColours)];
}

}  // namespace varnix::plot
