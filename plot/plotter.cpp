// The primitives that set the page up, the curves, and the document DISFIN writes. The axis
// system (GRAF) is in plotter_axes.cpp.

#include "plotter.h"

#include "atomic_file.h"
#include "plot_page_geometry.h"
#include "ps_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace varnix::plot {

namespace {

bool sameKeyword(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char p, char q) {
                  return std::toupper(static_cast<unsigned char>(p))
                         == std::toupper(static_cast<unsigned char>(q));
              });
}

bool namesAxis(std::string_view axes, char axis)
{
    return std::any_of(axes.begin(), axes.end(), [axis](char c) {
        return std::toupper(static_cast<unsigned char>(c)) == axis;
    });
}

template <class Change>
void forAxes(std::string_view axes, AxisSettings& x, AxisSettings& y, Change change)
{
    if (namesAxis(axes, 'X')) {
        change(x);
    }
    if (namesAxis(axes, 'Y')) {
        change(y);
    }
}

// Long paths are stroked in pieces: level 1 interpreters limit a path to about 1500 points.
constexpr std::size_t kPointsPerPath = 400;

}  // namespace

void Extent::take(double x, double y, double margin)
{
    left = std::min(left, x - margin);
    right = std::max(right, x + margin);
    bottom = std::min(bottom, y - margin);
    top = std::max(top, y + margin);
}

void Plotter::SETFIL(std::string_view fileName)
{
    m_fileName = std::string(fileName);
}

void Plotter::FILMOD(std::string_view mode)
{
    m_replaceExisting = sameKeyword(mode, "DELETE");
}

void Plotter::METAFL(std::string_view format)
{
    m_colour = sameKeyword(format, "PSCL");
}

void Plotter::SCRMOD(std::string_view mode)
{
    m_reversed = sameKeyword(mode, "REVERS");
}

void Plotter::SETPAG(std::string_view /*page*/)
{
    // DIN A4 landscape ("DA4L") is the one page this writer lays out.
}

void Plotter::DISINI()
{
    if (m_started) {
        return;
    }
    m_started = true;
    m_symbolSize = kPointsPerUnit * kDefaultSymbolUnits;
    m_lineWidth = kPointsPerUnit;
    if (!m_reversed) {
        // Normal mode draws on black; reversed mode leaves the paper white.
        m_body.append("0 0 0 RGB 0 0 ").append(psNumber(kPageWidth)).append(" ");
        m_body.append(psNumber(kPageHeight)).append(" BOX fill\n");
        m_extent.take(0.0, 0.0, 0.0);
        m_extent.take(kPageWidth, kPageHeight, 0.0);
    }
}

void Plotter::UNIT(int32_t unit)
{
    m_messages = unit != 0;
}

void Plotter::COMPLX()
{
    m_fontName = "Times-Roman";
}

void Plotter::HWFONT()
{
    // Text is always set in the interpreter's own standard fonts, never in stroked or embedded
    // ones, so there is nothing to switch.
}

void Plotter::LABELS(std::string_view style, std::string_view axes)
{
    const bool exponential = sameKeyword(style, "FEXP");
    if (!exponential && !sameKeyword(style, "FLOAT")) {
        return;
    }
    forAxes(axes, m_xAxis, m_yAxis, [exponential](AxisSettings& a) {
        a.style = exponential ? LabelStyle::Exponential : LabelStyle::Float;
    });
}

void Plotter::DIGITS(int32_t decimals, std::string_view axes)
{
    const int32_t d = std::clamp(decimals, 0, 10);
    forAxes(axes, m_xAxis, m_yAxis, [d](AxisSettings& a) { a.decimals = d; });
}

void Plotter::NAME(std::string_view title, std::string_view axes)
{
    forAxes(axes, m_xAxis, m_yAxis, [title](AxisSettings& a) { a.title = std::string(title); });
}

void Plotter::HSYMBL(int32_t size)
{
    m_symbolSize = kPointsPerUnit * std::max(size, 0);
}

void Plotter::LINWID(int32_t width)
{
    m_lineWidth = kPointsPerUnit * std::max(width, 0);
}

void Plotter::CENTER()
{
    m_centred = true;
}

void Plotter::TICKS(int32_t count, std::string_view axes)
{
    const int32_t n = std::clamp(count, 1, 20);
    forAxes(axes, m_xAxis, m_yAxis, [n](AxisSettings& a) { a.ticks = n; });
}

void Plotter::CLPBOR(std::string_view mode)
{
    m_clipAtAxes = sameKeyword(mode, "AXIS");
}

void Plotter::SETVLT(std::string_view /*table*/)
{
    // The VGA table is the only one, and SETCLR always indexes it.
}

void Plotter::INCMRK(int32_t mode)
{
    m_markMode = mode;
}

void Plotter::MARKER(int32_t symbol)
{
    m_symbol = symbol;
}

void Plotter::SETCLR(int32_t index)
{
    m_colourIndex = std::max(index, 0);
}

void Plotter::POLCRV(std::string_view /*mode*/)
{
    // Points are always joined by straight segments ("LINEAR"); smoothing, where wanted, is
    // done by the caller before CURVE.
}

void Plotter::LINTYP(int32_t type)
{
    m_lineType = type;
}

void Plotter::COLOR(std::string_view name)
{
    if (sameKeyword(name, "FORE")) {
        m_colourIndex = -1;
    } else if (sameKeyword(name, "BACK")) {
        m_colourIndex = 0;
    }
}

Rgb Plotter::currentRgb() const
{
    const Rgb white{1.0, 1.0, 1.0};
    const Rgb black{0.0, 0.0, 0.0};
    const Rgb paper = m_reversed ? white : black;
    const Rgb foreground = m_reversed ? black : white;
    if (m_colourIndex < 0) {
        return foreground;
    }
    if (m_colourIndex == 0) {
        return paper;
    }
    return m_colour ? vgaColour(m_colourIndex, paper) : foreground;
}

void Plotter::emitStyle()
{
    const Rgb c = currentRgb();
    m_body.append(psNumber(c.red)).append(" ").append(psNumber(c.green)).append(" ");
    m_body.append(psNumber(c.blue)).append(" RGB ").append(psNumber(m_lineWidth));
    m_body.append(" setlinewidth 1 setlinejoin ");
    if (m_lineType == 0) {
        m_body.append("0 setlinecap [] 0 setdash\n");
    } else if (m_lineType == 1) {
        // Zero-length dashes with round caps are dots of the line's width.
        m_body.append("1 setlinecap [0 ").append(psNumber(kDotSpacing)).append("] 0 setdash\n");
    } else {
        m_body.append("0 setlinecap [").append(psNumber(kDashLength)).append(" ");
        m_body.append(psNumber(kDashGap)).append("] 0 setdash\n");
    }
}

void Plotter::emitClip()
{
    if (!m_clipAtAxes) {
        return;
    }
    const AxisFrame& f = m_frame;
    m_body.append(psNumber(f.left)).append(" ").append(psNumber(f.bottom)).append(" ");
    m_body.append(psNumber(f.width)).append(" ").append(psNumber(f.height));
    m_body.append(" BOX clip newpath\n");
}

void Plotter::CURVE(std::span<const double> x, std::span<const double> y, std::size_t n)
{
    if (!m_started || m_finished || !m_hasAxes) {
        return;
    }
    n = std::min({n, x.size(), y.size()});
    m_body.append("gsave\n");
    emitClip();
    emitStyle();
    if (m_markMode >= 0) {
        emitPolyline(x, y, n);
    }
    if (m_markMode != 0) {
        emitSymbols(x, y, n, m_markMode < 0 ? 1 : static_cast<std::size_t>(m_markMode));
    }
    m_body.append("grestore\n");
}

void Plotter::emitPolyline(std::span<const double> x, std::span<const double> y, std::size_t n)
{
    // A point that is not a number breaks the line rather than being drawn.
    std::size_t inPath = 0;
    double lastX = 0.0;
    double lastY = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) {
            m_body.append(inPath > 1 ? "S\n" : inPath == 1 ? "newpath\n" : "");
            inPath = 0;
            continue;
        }
        const double px = m_frame.pageX(x[i]);
        const double py = m_frame.pageY(y[i]);
        if (inPath == kPointsPerPath) {
            m_body.append("S\n").append(psNumber(lastX)).append(" ");
            m_body.append(psNumber(lastY)).append(" M\n");
            inPath = 1;
        }
        m_body.append(psNumber(px)).append(" ").append(psNumber(py));
        m_body.append(inPath == 0 ? " M\n" : " L\n");
        ++inPath;
        lastX = px;
        lastY = py;
        m_extent.take(std::clamp(px, m_frame.left, m_frame.left + m_frame.width),
                      std::clamp(py, m_frame.bottom, m_frame.bottom + m_frame.height),
                      m_lineWidth);
    }
    m_body.append(inPath > 1 ? "S\n" : inPath == 1 ? "newpath\n" : "");
}

void Plotter::emitSymbols(std::span<const double> x, std::span<const double> y, std::size_t n,
                          std::size_t every)
{
    const double radius = m_symbolSize / 2.0;
    const char* shape = m_symbol == kFilledCircleSymbol ? " DOT\n" : " RING\n";
    for (std::size_t i = 0; i < n; i += every) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) {
            continue;
        }
        const double px = m_frame.pageX(x[i]);
        const double py = m_frame.pageY(y[i]);
        const bool outside = px < m_frame.left - radius || py < m_frame.bottom - radius
                             || px > m_frame.left + m_frame.width + radius
                             || py > m_frame.bottom + m_frame.height + radius;
        if (m_clipAtAxes && outside) {
            continue;
        }
        m_body.append(psNumber(px)).append(" ").append(psNumber(py)).append(" ");
        m_body.append(psNumber(radius)).append(shape);
        m_extent.take(px, py, radius + m_lineWidth);
    }
}

void Plotter::DISFIN()
{
    if (!m_started || m_finished) {
        return;
    }
    m_finished = true;
    m_written = io::writeFileAtomically(m_fileName, document(), m_replaceExisting) == io::kWriteOk;
    if (!m_written && m_messages) {
        std::fprintf(stderr, "KELMAR: the page could not be written to \"%s\"\n",
                     m_fileName.c_str());
    }
}

std::string Plotter::document() const
{
    DocumentInfo info;
    info.title = m_fileName.substr(m_fileName.rfind('/') + 1);
    info.creationDate = currentDate();
    info.fontName = m_fontName;
    info.box = sheetBoundingBox(m_extent);
    std::string out = documentHeader(info);
    out.append(prologue(m_fontName));
    out.append("%%Page: 1 1\ngsave\n");
    // The sheet is portrait; the landscape page is turned onto it, its top at the sheet's left.
    out.append("90 rotate 0 ").append(psNumber(-kPageHeight)).append(" translate\n");
    out.append(m_body);
    out.append("grestore\nshowpage\n%%Trailer\n%%EOF\n");
    return out;
}

}  // namespace varnix::plot
