// The text of the PostScript document: numbers, strings, axis labels, the DSC header and the
// prologue. Everything here is independent of the C locale, which a host program may have set
// to one with a decimal comma.
#pragma once

#include "axis_step.h"

#include <string>
#include <string_view>

namespace varnix::plot {

// A page coordinate or colour component with two decimals. Only finite numbers inside ±1e5
// reach the document: a non-finite one becomes 0 and a larger one is clamped (the page itself
// is below 1000 points, so a clamped point is far outside every clip).
std::string psNumber(double value);

// A PostScript string literal of `text` read as UTF-8: printable ASCII as it is, ( ) \ escaped,
// Latin-1 characters as octal escapes for the ISO Latin-1 encoded font, anything else "?".
std::string psString(std::string_view text);

// An axis label for `value`: fixed-point or exponential ("2.0E+03") with `decimals` decimals.
// `step` only serves to print a value that rounding left a hair from 0 as 0, not "-0.0".
std::string axisLabel(double value, double step, LabelStyle style, int decimals);

// The bounding box in the default (portrait) coordinates of the sheet, in whole points.
struct BoundingBox {
    int left = 0;
    int bottom = 0;
    int right = 0;
    int top = 0;
};

struct DocumentInfo {
    std::string title;         // shown by viewers; made printable here
    std::string creationDate;  // as it is to appear
    std::string fontName;      // the one standard font the page uses
    BoundingBox box;
};

// "%!PS-Adobe-2.0" and the DSC comments up to %%EndComments.
std::string documentHeader(const DocumentInfo& info);

// The prologue: the drawing procedures and the re-encoded font, %%BeginProlog … %%EndProlog.
std::string prologue(std::string_view fontName);

// The local time as "YYYY-MM-DD HH:MM:SS".
std::string currentDate();

}  // namespace varnix::plot
