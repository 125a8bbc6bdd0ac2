// The layout of the page in PostScript points: DIN A4 landscape, the axis system and the room
// its labels and titles take.
#pragma once

#include "plotter.h"
#include "ps_text.h"

#include <algorithm>
#include <cmath>

namespace varnix::plot {

inline constexpr double kPageWidth = 842.0;  // 297 mm
inline constexpr double kPageHeight = 595.0; // 210 mm
inline constexpr double kPointsPerUnit = 72.0 / 254.0;  // a plot unit is 0.1 mm

inline constexpr double kFrameWidth = 620.0;
inline constexpr double kFrameHeight = 390.0;
// Where an uncentred axis system stands.
inline constexpr double kDefaultFrameLeft = 150.0;
inline constexpr double kDefaultFrameBottom = 110.0;
// Room beside the frame for labels and titles, which CENTER centres together with the frame.
inline constexpr double kRoomLeft = 80.0;
inline constexpr double kRoomRight = 20.0;
inline constexpr double kRoomBelow = 50.0;
inline constexpr double kRoomAbove = 10.0;

inline constexpr double kLabelSize = 12.0;
inline constexpr double kTitleSize = 14.0;
inline constexpr double kMajorTick = 8.0;
inline constexpr double kMinorTick = 4.0;
inline constexpr double kXLabelDrop = 16.0;   // frame to the baseline of the X labels
inline constexpr double kYLabelGap = 6.0;     // frame to the end of the Y labels
inline constexpr double kXTitleDrop = 40.0;   // frame to the baseline of the X title
inline constexpr double kYTitleGap = 62.0;    // frame to the baseline of the turned Y title
inline constexpr double kCharWidth = 0.6;     // of the font size: generous for the bounding box

inline constexpr double kDefaultSymbolUnits = 10.0;
inline constexpr int kFilledCircleSymbol = 15;
inline constexpr double kDotSpacing = 2.5;
inline constexpr double kDashLength = 4.0;
inline constexpr double kDashGap = 3.0;

// The extent of what was drawn on the landscape page, as a bounding box of the portrait sheet
// it is turned onto (landscape x runs up the sheet, landscape y from the sheet's right edge to
// its left). Nothing drawn gives the whole sheet.
inline BoundingBox sheetBoundingBox(const Extent& e)
{
    if (e.empty()) {
        return {0, 0, static_cast<int>(kPageHeight), static_cast<int>(kPageWidth)};
    }
    const auto down = [](double v, double limit) {
        return static_cast<int>(std::clamp(std::floor(v), 0.0, limit));
    };
    const auto up = [](double v, double limit) {
        return static_cast<int>(std::clamp(std::ceil(v), 0.0, limit));
    };
    return {down(kPageHeight - e.top, kPageHeight), down(e.left, kPageWidth),
            up(kPageHeight - e.bottom, kPageHeight), up(e.right, kPageWidth)};
}

}  // namespace varnix::plot
