// Where the main window opens when the start directory remembers no place of its own.
//
// The classic rule placed it in whole units of screen width / 1024 and screen height / 768,
// 950 × 630 units at (50, 80): every screen below 2048 × 1536 pixels got a 950 × 630 window, too
// small for the results beside the plot and for the six status panels. The window now takes
// most of the screen instead.
#pragma once

#include <cstdint>

namespace varnix::app {

struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool operator==(const ScreenRect&) const = default;
};

// The share of the free screen's width and height the window takes, leaving a margin for its
// frame and a glimpse of the desktop.
inline constexpr double kMainWindowShare = 0.9;

// The window's size and the place of its top left corner on a screen whose free area (the
// screen without its panels) is `available`: kMainWindowShare of each side, but at least
// neededWidth × neededHeight (what its menu bar and status panels take) as far as the free area
// allows, centred in it.
ScreenRect mainWindowGeometry(const ScreenRect& available, int32_t neededWidth,
                              int32_t neededHeight);

}  // namespace varnix::app
