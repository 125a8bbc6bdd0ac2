#include "core/plot_sets.h"

#include "core/engine_call.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

namespace varnix::app {

namespace {

constexpr int32_t kSpectrumColour = 4;
constexpr int32_t kCalculatedColour = 1;
constexpr int32_t kThinStyle = 1;
constexpr int32_t kSpectrumStyle = 2;
constexpr int32_t kSelectedStyle = 3;
constexpr double kHalfWidthOfOnePoint = 0.5;   // eV each way around a single energy
constexpr double kHalfHeightOfOneValue = 0.5;  // counts each way around a single intensity
constexpr double kIntensityMargin = 0.05;      // of the span, above and below

// Light grey would vanish on the white chart.
int32_t avoidGrey(int32_t code)
{
    return code == 7 ? 8 : code;
}

std::size_t count(int32_t np)
{
    return static_cast<std::size_t>(std::max(np, 0));
}

std::string peakName(int32_t peak)
{
    return "Peak " + std::to_string(peak);
}

// "Residuals ×5": the scale is what the Plot menu chose, and residuals drawn at five times their
// size must not be read as counts.
std::string residualsName(int32_t scale)
{
    return "Residuals \u00d7" + std::to_string(scale);
}

// Column `column` of an np-row column-major matrix; no points when the matrix lacks it.
PlotSet setOf(int32_t colour, int32_t style, const std::vector<double>& x,
              const std::vector<double>& values, std::size_t column, std::string name)
{
    PlotSet set{colour, style, {}, {}, std::move(name)};
    const std::size_t n = x.size();
    if (values.size() >= n * (column + 1)) {
        set.x = x;
        set.y.assign(values.begin() + static_cast<std::ptrdiff_t>(n * column),
                     values.begin() + static_cast<std::ptrdiff_t>(n * (column + 1)));
    }
    return set;
}

void setXLimits(PlotPicture& picture, const std::vector<double>& x)
{
    if (x.empty()) {
        return;
    }
    picture.xLow = std::min(x.front(), x.back());
    picture.xHigh = std::max(x.front(), x.back());
    if (!(picture.xLow < picture.xHigh)) {
        picture.xLow -= kHalfWidthOfOnePoint;
        picture.xHigh += kHalfWidthOfOnePoint;
    }
}

void addCalculation(PlotPicture& picture, const Module1& m, const std::vector<double>& x)
{
    picture.sets.push_back(
        setOf(kCalculatedColour, kSpectrumStyle, x, m.spectrum.calculated, 0, "Fit"));
    const int32_t ncomp = m.configuration.ncomp;
    for (int32_t c = 1; c <= ncomp; ++c) {
        const bool selected = c == m.currentPeak && m.engineMode == kEngineCalculate;
        // The component after the peaks is the background.
        std::string name = c <= m.configuration.nds ? peakName(c) : "Background";
        picture.sets.push_back(setOf(avoidGrey(4 + c), selected ? kSelectedStyle : kThinStyle, x,
                                     m.fitResults.components, static_cast<std::size_t>(c - 1),
                                     std::move(name)));
    }
    if (m.plot.residualScale >= 1) {
        picture.sets.push_back(setOf(avoidGrey(5 + ncomp), kThinStyle, x, m.residuals, 0,
                                     residualsName(m.plot.residualScale)));
    }
}

void addPeakMarkers(PlotPicture& picture, const Module1& m)
{
    const Configuration& config = m.configuration;
    int32_t k = 0;
    for (int32_t peak = 0; peak < config.nds; ++peak) {
        const auto first = static_cast<std::size_t>(kParametersPerPeak * peak);
        if (config.p.size() < first + 2) {
            break;
        }
        const double position = shownEnergy(m.spectrum, config.p[first]);
        if (position < picture.xLow || position > picture.xHigh) {
            continue;
        }
        k = avoidGrey(k + 1);
        const int32_t style = peak + 1 == m.currentPeak ? kSelectedStyle : kThinStyle;
        picture.sets.push_back(PlotSet{
            k, style, {position, position}, {config.p[first + 1], 0.0}, peakName(peak + 1)});
    }
}

void setYLimits(PlotPicture& picture)
{
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const PlotSet& set : picture.sets) {
        for (double y : set.y) {
            if (std::isfinite(y)) {
                low = std::min(low, y);
                high = std::max(high, y);
            }
        }
    }
    if (low > high) {
        return;  // nothing drawn: the default limits
    }
    if (low == high) {
        picture.yLow = low - kHalfHeightOfOneValue;
        picture.yHigh = high + kHalfHeightOfOneValue;
        return;
    }
    const double margin = kIntensityMargin * (high - low);
    picture.yLow = low - margin;
    picture.yHigh = high + margin;
}

}  // namespace

Rgb colourOfCode(int32_t code)
{
    assert(code >= 1);
    const auto size = static_cast<int32_t>(kColourCodes.size());
    return kColourCodes[static_cast<std::size_t>((code - 1) % size)];
}

LineStyle styleOfCode(int32_t code)
{
    assert(code >= 1 && code <= static_cast<int32_t>(kStyleCodes.size()));
    return kStyleCodes[static_cast<std::size_t>(code - 1)];
}

double shownEnergy(const Spectrum& spectrum, double kinetic)
{
    return spectrum.binding ? spectrum.hmu - kinetic : kinetic;
}

double kineticEnergy(const Spectrum& spectrum, double shown)
{
    return spectrum.binding ? spectrum.hmu - shown : shown;
}

void choosePlotItem(Module1& module, MenuState& menu, int32_t index)
{
    if (index < 0 || index >= kPlotItems) {
        throw std::out_of_range("Plot menu item outside 0 … 4");
    }
    for (MenuEntry& item : menu.plotItems) {
        item.checked = false;
    }
    menu.plotItems[static_cast<std::size_t>(index)].checked = true;
    constexpr std::array<int32_t, kPlotItems> kResidualScale = {0, 0, 1, 5, 10};
    PlotSettings& plot = module.plot;
    plot.withCalculation = index >= 1;
    if (index >= 1) {
        plot.residualScale = kResidualScale[static_cast<std::size_t>(index)];
    }
    if (index >= 2) {
        plot.residualFlag = true;
    }
    plot.plotType = index;
}

void updateResiduals(Module1& module)
{
    if (module.plot.residualScale >= 1 && module.plot.residualFlag) {
        computeResiduals(module);
    }
}

void computeResiduals(Module1& module)
{
    const Spectrum& s = module.spectrum;
    const std::size_t n = std::min({count(s.np), s.counts.size(), s.calculated.size()});
    module.residuals.assign(count(s.np), 0.0);
    const auto scale = static_cast<double>(module.plot.residualScale);
    for (std::size_t i = 0; i < n; ++i) {
        module.residuals[i] = (s.counts[i] - s.calculated[i]) * scale;
    }
}

PlotPicture plotPicture(const Module1& module)
{
    const Spectrum& s = module.spectrum;
    std::vector<double> x(std::min(count(s.np), s.energy.size()));
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = shownEnergy(s, s.energy[i]);
    }
    PlotPicture picture;
    picture.binding = s.binding;
    picture.xTitle = s.binding ? kBindingAxisTitle : kKineticAxisTitle;
    setXLimits(picture, x);
    picture.sets.push_back(setOf(kSpectrumColour, kSpectrumStyle, x, s.counts, 0, "Data"));
    if (module.plot.withCalculation) {
        addCalculation(picture, module, x);
    } else {
        addPeakMarkers(picture, module);
    }
    setYLimits(picture);
    return picture;
}

}  // namespace varnix::app
