// GRAF: the axis system, its frame, ticks, labels and titles, and the user coordinates that
// the curves are drawn in.

#include "plot_page_geometry.h"
#include "plotter.h"
#include "ps_text.h"

#include <cmath>
#include <vector>

namespace varnix::plot {

namespace {

struct Mark {
    double value;
    bool labelled;
};

// Ends an axis can be drawn between: finite and apart. Anything else gives 0 … 1.
void usableEnds(double& start, double& end)
{
    if (!std::isfinite(start) || !std::isfinite(end) || !std::isfinite(end - start)
        || start == end) {
        start = 0.0;
        end = 1.0;
    }
}

// The first label and the step, signed to run from start towards end. A step that is not a
// number, is zero, would put more labels on the axis than it can hold, or starts counting
// from a first label too far away is replaced by the axis-step choice for the axis.
void usableStep(double start, double end, double& first, double& step)
{
    constexpr double kMostLabels = 100.0;
    constexpr double kFarthestFirst = 1e6;  // steps from the start
    const double span = end - start;
    if (!std::isfinite(first) || !std::isfinite(step) || step == 0.0
        || std::fabs(span / step) > kMostLabels
        || !(std::fabs((first - start) / step) <= kFarthestFirst)) {
        const AxisStep chosen = chooseAxisStep(std::fmin(start, end), std::fmax(start, end));
        first = chosen.firstLabel;
        step = chosen.step;
    }
    step = std::copysign(step, span);
}

// The labelled marks first + k·step (k ≥ 0) and the unlabelled ones between them, every
// step / ticks, that lie between start and end.
std::vector<Mark> axisMarks(double start, double end, double first, double step, int ticks)
{
    constexpr double kEdgeTolerance = 1e-9;  // of a mark spacing: an end on a mark keeps it
    const double spacing = step / ticks;
    const double lowest = std::ceil((start - first) / spacing - kEdgeTolerance);
    const double highest = std::floor((end - first) / spacing + kEdgeTolerance);
    std::vector<Mark> marks;
    for (double j = lowest; j <= highest; ++j) {
        const auto k = static_cast<long long>(j);
        const bool labelled = k >= 0 && k % ticks == 0;
        marks.push_back({labelled ? first + static_cast<double>(k / ticks) * step
                                  : first + j * spacing,
                         labelled});
    }
    return marks;
}

}  // namespace

void Plotter::GRAF(double xa, double xe, double xor_, double xstep, double ya, double ye,
                   double yor, double ystep)
{
    if (!m_started || m_finished) {
        return;
    }
    usableEnds(xa, xe);
    usableEnds(ya, ye);
    usableStep(xa, xe, xor_, xstep);
    usableStep(ya, ye, yor, ystep);
    placeFrame();
    m_frame.xStart = xa;
    m_frame.xEnd = xe;
    m_frame.yStart = ya;
    m_frame.yEnd = ye;
    m_body.append("gsave\n");
    emitStyle();
    drawFrame();
    drawXAxis(xor_, xstep);
    drawYAxis(yor, ystep);
    drawTitles();
    m_body.append("grestore\n");
    m_hasAxes = true;
}

void Plotter::placeFrame()
{
    m_frame.width = kFrameWidth;
    m_frame.height = kFrameHeight;
    if (m_centred) {
        const double blockWidth = kRoomLeft + kFrameWidth + kRoomRight;
        const double blockHeight = kRoomBelow + kFrameHeight + kRoomAbove;
        m_frame.left = (kPageWidth - blockWidth) / 2.0 + kRoomLeft;
        m_frame.bottom = (kPageHeight - blockHeight) / 2.0 + kRoomBelow;
    } else {
        m_frame.left = kDefaultFrameLeft;
        m_frame.bottom = kDefaultFrameBottom;
    }
}

void Plotter::drawFrame()
{
    const AxisFrame& f = m_frame;
    m_body.append(psNumber(f.left)).append(" ").append(psNumber(f.bottom)).append(" ");
    m_body.append(psNumber(f.width)).append(" ").append(psNumber(f.height));
    m_body.append(" BOX stroke\n");
    m_extent.take(f.left, f.bottom, m_lineWidth);
    m_extent.take(f.left + f.width, f.bottom + f.height, m_lineWidth);
}

void Plotter::drawXAxis(double first, double step)
{
    const AxisFrame& f = m_frame;
    const double top = f.bottom + f.height;
    for (const Mark& mark : axisMarks(f.xStart, f.xEnd, first, step, m_xAxis.ticks)) {
        const double x = f.pageX(mark.value);
        const double tick = mark.labelled ? kMajorTick : kMinorTick;
        emitLine(x, f.bottom, x, f.bottom + tick);
        emitLine(x, top, x, top - tick);
        if (mark.labelled) {
            emitText(x, f.bottom - kXLabelDrop,
                     axisLabel(mark.value, step, m_xAxis.style, m_xAxis.decimals), kLabelSize,
                     'c', false);
        }
    }
}

void Plotter::drawYAxis(double first, double step)
{
    const AxisFrame& f = m_frame;
    const double right = f.left + f.width;
    // Moves a label's baseline down so that its digits sit centred on the tick.
    constexpr double kDigitCentre = 0.35 * kLabelSize;
    for (const Mark& mark : axisMarks(f.yStart, f.yEnd, first, step, m_yAxis.ticks)) {
        const double y = f.pageY(mark.value);
        const double tick = mark.labelled ? kMajorTick : kMinorTick;
        emitLine(f.left, y, f.left + tick, y);
        emitLine(right, y, right - tick, y);
        if (mark.labelled) {
            emitText(f.left - kYLabelGap, y - kDigitCentre,
                     axisLabel(mark.value, step, m_yAxis.style, m_yAxis.decimals), kLabelSize,
                     'r', false);
        }
    }
}

void Plotter::drawTitles()
{
    const AxisFrame& f = m_frame;
    if (!m_xAxis.title.empty()) {
        emitText(f.left + f.width / 2.0, f.bottom - kXTitleDrop, m_xAxis.title, kTitleSize, 'c',
                 false);
    }
    if (!m_yAxis.title.empty()) {
        emitText(f.left - kYTitleGap, f.bottom + f.height / 2.0, m_yAxis.title, kTitleSize, 'c',
                 true);
    }
}

void Plotter::emitLine(double x0, double y0, double x1, double y1)
{
    m_body.append(psNumber(x0)).append(" ").append(psNumber(y0)).append(" M ");
    m_body.append(psNumber(x1)).append(" ").append(psNumber(y1)).append(" L S\n");
}

void Plotter::emitText(double x, double y, std::string_view text, double size, char align,
                       bool vertical)
{
    m_body.append("gsave ").append(psNumber(x)).append(" ").append(psNumber(y));
    m_body.append(vertical ? " translate 90 rotate 0 0 M " : " translate 0 0 M ");
    m_body.append(psNumber(size)).append(" FONT ").append(psString(text));
    m_body.append(align == 'c' ? " CSHOW" : align == 'r' ? " RSHOW" : " show");
    m_body.append(" grestore\n");

    // The text's extent, estimated generously from its length, for the bounding box.
    const double length = kCharWidth * size * static_cast<double>(text.size());
    const double before = align == 'c' ? length / 2.0 : align == 'r' ? length : 0.0;
    const double descent = 0.3 * size;
    const double ascent = size;
    if (vertical) {
        m_extent.take(x - ascent, y - before, 0.0);
        m_extent.take(x + descent, y + length - before, 0.0);
    } else {
        m_extent.take(x - before, y - descent, 0.0);
        m_extent.take(x + length - before, y + ascent, 0.0);
    }
}

}  // namespace varnix::plot
