// The plot routine: interpolation grid, Y range, page set-up, axis steps, axis system and the
// curves, in the order the page is built.

#include "kelmar_page.h"

#include "axis_step.h"
#include "cubic_spline.h"
#include "plotter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace varnix::plot {

namespace {

constexpr double kMargin = 1.05;
constexpr double kNoMaximum = -1e30;
constexpr int32_t kSymbolSize = 15;
constexpr int32_t kSymbol = 15;
constexpr int32_t kLineWidth = 2;
constexpr int32_t kTicksBetweenLabels = 2;
constexpr int32_t kPointsColour = 1;
constexpr int32_t kFitColour = 2;
constexpr int32_t kLastComponentColour = 16;
constexpr int32_t kDotted = 1;

std::vector<double> toDoubles(std::span<const float> values)
{
    std::vector<double> out(values.size());
    std::transform(values.begin(), values.end(), out.begin(),
                   [](float v) { return static_cast<double>(v); });
    return out;
}

// Xa and Xb: the first and the last energy that are numbers (both 0 when none is).
ValueRange energyEnds(std::span<const double> x)
{
    const auto finite = [](double v) { return std::isfinite(v); };
    const auto first = std::find_if(x.begin(), x.end(), finite);
    if (first == x.end()) {
        return {0.0, 0.0};
    }
    const auto last = std::find_if(x.rbegin(), x.rend(), finite);
    return {*first, *last};
}

void setUpPage(Plotter& plot, const std::string& fileName)
{
    plot.SETFIL(fileName);
    plot.FILMOD("DELETE");
    plot.METAFL("PSCL");
    plot.SCRMOD("REVERS");
    plot.SETPAG("DA4L");
    plot.DISINI();
    plot.UNIT(0);
    plot.COMPLX();
    plot.HWFONT();
}

AxisStep setAxisLabels(Plotter& plot, ValueRange range, const char* axis)
{
    const AxisStep chosen = chooseAxisStep(range.lo, range.hi);
    plot.LABELS(chosen.style == LabelStyle::Exponential ? "FEXP" : "FLOAT", axis);
    plot.DIGITS(chosen.decimals, axis);
    return chosen;
}

// The X axis runs from Xa on the left to Xb on the right, so descending energies (binding
// energies) plot right to left with a negative step.
void drawAxisSystem(Plotter& plot, const SpectrumPage& page, ValueRange x, ValueRange y)
{
    const AxisStep xStep = setAxisLabels(plot, x, "X");
    const AxisStep yStep = setAxisLabels(plot, y, "Y");
    plot.NAME(page.xTitle, "X");
    plot.NAME(page.yTitle, "Y");
    plot.HSYMBL(kSymbolSize);
    const double xSigned = x.hi < x.lo ? -xStep.step : xStep.step;
    plot.LINWID(kLineWidth);
    plot.CENTER();
    plot.TICKS(kTicksBetweenLabels, "XY");
    plot.GRAF(x.lo, x.hi, xStep.firstLabel, xSigned, y.lo, y.hi, yStep.firstLabel, yStep.step);
    plot.CLPBOR("AXIS");
    plot.SETVLT("VGA");
}

// A line curve: smoothed on the grid when there is one and the spline can be evaluated,
// otherwise through the points themselves.
void drawLineCurve(Plotter& plot, std::span<const double> x, std::span<const double> v,
                   std::span<const double> grid)
{
    if (!grid.empty()) {
        const std::vector<double> smooth = smoothOnGrid(x, v, grid);
        if (!smooth.empty()) {
            plot.CURVE(grid, smooth, smooth.size());
            return;
        }
    }
    plot.CURVE(x, v, v.size());
}

void drawCurves(Plotter& plot, const SpectrumPage& page, std::span<const double> x,
                std::span<const double> grid)
{
    const std::size_t n = x.size();
    plot.INCMRK(-1);
    plot.MARKER(kSymbol);
    plot.SETCLR(kPointsColour);
    plot.CURVE(x, toDoubles(page.counts), n);

    plot.INCMRK(0);
    plot.POLCRV("LINEAR");
    plot.SETCLR(kFitColour);
    drawLineCurve(plot, x, toDoubles(page.calculated), grid);

    int32_t colour = kFitColour;
    const std::vector<double> components = toDoubles(page.components);
    for (int32_t j = 0; j < page.componentCount; ++j) {
        colour = colour == kLastComponentColour ? kFitColour : colour + 1;
        plot.SETCLR(colour);
        plot.POLCRV("LINEAR");
        drawLineCurve(plot, x, std::span(components).subspan(static_cast<std::size_t>(j) * n, n),
                      grid);
    }
    if (!page.residuals.empty()) {
        plot.SETCLR(colour + 1);
        plot.LINTYP(kDotted);
        drawLineCurve(plot, x.first(page.residuals.size()), toDoubles(page.residuals), grid);
    }
}

}  // namespace

ValueRange valueRange(const SpectrumPage& page)
{
    double ymax = kNoMaximum;
    double smallest = std::numeric_limits<double>::infinity();
    double largest = -smallest;
    const auto take = [&](std::span<const float> values) {
        for (const float f : values) {
            const auto v = static_cast<double>(f);
            if (std::isfinite(v)) {
                ymax = std::max(ymax, v);
                smallest = std::min(smallest, v);
                largest = std::max(largest, v);
            }
        }
    };
    take(page.counts);
    take(page.calculated);
    take(page.components);
    take(page.residuals);
    // With residuals the axis starts at the smallest of them, without at 0.
    double ymin = 0.0;
    bool anyResidual = false;
    for (const float f : page.residuals) {
        const auto r = static_cast<double>(f);
        if (std::isfinite(r)) {
            ymin = anyResidual ? std::min(ymin, r) : r;
            anyResidual = true;
        }
    }
    ymax *= kMargin;
    ymin = ymin < 0.0 ? kMargin * ymin : ymin;
    if (ymax > ymin) {
        return {ymin, ymax};
    }
    if (!std::isfinite(smallest)) {
        return {0.0, 0.0};
    }
    return {std::min(0.0, kMargin * smallest), std::max(0.0, kMargin * largest)};
}

ValueRange drawableRange(ValueRange r)
{
    if (!std::isfinite(r.lo) || !std::isfinite(r.hi) || !std::isfinite(r.hi - r.lo)) {
        return {0.0, 1.0};
    }
    if (r.lo != r.hi) {
        return r;
    }
    if (r.lo == 0.0) {
        return {0.0, 1.0};
    }
    const double w = 0.05 * std::fabs(r.lo);
    return {r.lo - w, r.lo + w};
}

std::vector<double> interpolationGrid(double xa, double xb, std::size_t size)
{
    std::vector<double> grid(size);
    const double step = (xb - xa) / static_cast<double>(size - 1);
    for (std::size_t k = 0; k < size; ++k) {
        grid[k] = xa + static_cast<double>(k) * step;
    }
    grid.back() = xb;
    return grid;
}

std::vector<double> smoothOnGrid(std::span<const double> x, std::span<const double> v,
                                 std::span<const double> grid)
{
    std::vector<double> tableX;
    std::vector<double> tableV;
    for (std::size_t i = 0; i < std::min(x.size(), v.size()); ++i) {
        if (std::isfinite(x[i]) && std::isfinite(v[i])) {
            tableX.push_back(x[i]);
            tableV.push_back(v[i]);
        }
    }
    std::vector<double> targets(grid.begin(), grid.end());
    std::vector<double> values(grid.size());
    // The spline wants ascending energies: descending ones are turned round and back.
    const bool descending = grid.back() <= grid.front();
    if (descending) {
        reverseArrays(tableX, tableV);
        std::reverse(targets.begin(), targets.end());
    }
    if (!evaluateSpline(tableX, tableV, targets, values)) {
        return {};
    }
    if (descending) {
        reverseArrays(targets, values);
    }
    if (!std::all_of(values.begin(), values.end(), [](double y) { return std::isfinite(y); })) {
        return {};
    }
    return values;
}

void drawSpectrumPage(const SpectrumPage& page)
{
    const std::vector<double> x = toDoubles(page.energies);
    const ValueRange ends = energyEnds(x);
    const std::vector<double> grid = x.size() >= 2 && x.size() < kSplineBelow
                                         ? interpolationGrid(ends.lo, ends.hi, kSplineGridSize)
                                         : std::vector<double>();
    Plotter plot;
    setUpPage(plot, page.fileName);
    drawAxisSystem(plot, page, drawableRange(ends), drawableRange(valueRange(page)));
    drawCurves(plot, page, x, grid);
    plot.COLOR("FORE");
    plot.DISFIN();
}

}  // namespace varnix::plot
