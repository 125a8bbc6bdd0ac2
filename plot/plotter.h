// The plotting primitives: a small PostScript writer with the routines the plot routine draws
// through, each with the effect it relies on. Settings made before DISINI choose the file and
// the page; DISINI starts the page; GRAF draws the axis system and fixes the user coordinates
// that CURVE draws in; DISFIN writes the whole document to the file in one step.
//
// Page coordinates are PostScript points on the landscape page, origin at its lower left;
// sizes given in plot units are tenths of a millimetre. Keywords are case-insensitive.
// Routines that draw do nothing before DISINI or after DISFIN.
#pragma once

#include "axis_step.h"
#include "colour_table.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace varnix::plot {

struct Extent {
    double left = 1e300;
    double bottom = 1e300;
    double right = -1e300;
    double top = -1e300;

    void take(double x, double y, double margin);
    bool empty() const { return left > right; }
};

// One axis's labels and title.
struct AxisSettings {
    LabelStyle style = LabelStyle::Float;
    int32_t decimals = 1;
    int32_t ticks = 2;  // intervals between two labels
    std::string title;
};

// The rectangle of the axis system and the user range along each side.
struct AxisFrame {
    double left = 0.0;
    double bottom = 0.0;
    double width = 0.0;
    double height = 0.0;
    double xStart = 0.0;  // at the left edge
    double xEnd = 1.0;    // at the right edge
    double yStart = 0.0;  // at the bottom edge
    double yEnd = 1.0;    // at the top edge

    double pageX(double x) const { return left + (x - xStart) / (xEnd - xStart) * width; }
    double pageY(double y) const { return bottom + (y - yStart) / (yEnd - yStart) * height; }
};

class Plotter {
public:
    void SETFIL(std::string_view fileName);
    void FILMOD(std::string_view mode);
    void METAFL(std::string_view format);
    void SCRMOD(std::string_view mode);
    void SETPAG(std::string_view page);
    void DISINI();
    void UNIT(int32_t unit);
    void COMPLX();
    void HWFONT();
    void LABELS(std::string_view style, std::string_view axes);
    void DIGITS(int32_t decimals, std::string_view axes);
    void NAME(std::string_view title, std::string_view axes);
    void HSYMBL(int32_t size);
    void LINWID(int32_t width);
    void CENTER();
    void TICKS(int32_t count, std::string_view axes);
    void GRAF(double xa, double xe, double xor_, double xstep, double ya, double ye, double yor,
              double ystep);
    void CLPBOR(std::string_view mode);
    void SETVLT(std::string_view table);
    void INCMRK(int32_t mode);
    void MARKER(int32_t symbol);
    void SETCLR(int32_t index);
    void CURVE(std::span<const double> x, std::span<const double> y, std::size_t n);
    void POLCRV(std::string_view mode);
    void LINTYP(int32_t type);
    void COLOR(std::string_view name);
    void DISFIN();

    // Whether DISFIN put the complete document in place.
    bool written() const { return m_written; }

private:
    Rgb currentRgb() const;
    void emitStyle();
    void emitClip();
    void emitSymbols(std::span<const double> x, std::span<const double> y, std::size_t n,
                     std::size_t every);
    void emitPolyline(std::span<const double> x, std::span<const double> y, std::size_t n);
    void emitLine(double x0, double y0, double x1, double y1);
    void emitText(double x, double y, std::string_view text, double size, char align,
                  bool vertical);
    void placeFrame();
    void drawFrame();
    void drawXAxis(double first, double step);
    void drawYAxis(double first, double step);
    void drawTitles();
    std::string document() const;

    // Settings before DISINI.
    std::string m_fileName;
    bool m_replaceExisting = false;
    bool m_colour = false;
    bool m_reversed = false;
    // State of the page.
    bool m_started = false;
    bool m_finished = false;
    bool m_written = false;
    bool m_messages = true;
    std::string m_fontName = "Helvetica";
    AxisSettings m_xAxis;
    AxisSettings m_yAxis;
    double m_symbolSize = 0.0;  // points
    double m_lineWidth = 0.0;   // points
    bool m_centred = false;
    AxisFrame m_frame;
    bool m_hasAxes = false;
    bool m_clipAtAxes = false;
    int32_t m_markMode = 0;  // < 0 symbols only, 0 lines only, n > 0 lines and every n-th symbol
    int32_t m_symbol = 0;
    int32_t m_colourIndex = -1;  // < 0: the foreground
    int32_t m_lineType = 0;
    std::string m_body;
    Extent m_extent;
};

}  // namespace varnix::plot
