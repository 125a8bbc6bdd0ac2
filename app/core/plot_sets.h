// What the plot window shows, free of widgets: the Plot menu's settings, the residuals, and the
// picture Plot draws — its sets with their colour and style codes and legend names, the limits
// of both axes, the peak markers — together with the one table that turns the codes into pens.
// The ticks of the axes are axis_ticks.h's.
//
// Energies are held as kinetic energies. A spectrum read from binding energies is shown as
// binding energies again (HMU − kinetic), on an axis that decreases from left to right as XPS
// users expect; shownEnergy and kineticEnergy convert between the two.
#pragma once

#include "core/menu_state.h"
#include "core/module1.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::app {

inline constexpr int32_t kPlotItems = 5;
inline constexpr std::string_view kGraphTitle = "Fitting Experimental Data";
inline constexpr std::string_view kKineticAxisTitle = "Kinetic Energy (eV)";
inline constexpr std::string_view kBindingAxisTitle = "Binding Energy (eV)";
inline constexpr std::string_view kIntensityAxisTitle = "Intensity (counts)";

// ---- The code table ----------------------------------------------------------------------
// Colour codes 1 … 15 are hues readable on the white chart; higher codes, which many
// components reach, wrap round to 1 … 15. Code 7 is light grey, which is why Plot shows 7 as 8.
struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    bool operator==(const Rgb&) const = default;
};

inline constexpr std::array<Rgb, 15> kColourCodes = {{
    {0, 0, 200},      // 1 blue: the calculated spectrum
    {0, 140, 0},      // 2 green
    {0, 140, 160},    // 3 cyan
    {200, 0, 0},      // 4 red: the measured spectrum
    {180, 0, 180},    // 5 magenta
    {150, 90, 0},     // 6 brown
    {160, 160, 160},  // 7 light grey
    {80, 80, 80},     // 8 dark grey
    {70, 110, 255},   // 9 light blue
    {40, 180, 40},    // 10 light green
    {0, 185, 205},    // 11 light cyan
    {255, 90, 90},    // 12 light red
    {225, 80, 225},   // 13 light magenta
    {190, 160, 0},    // 14 dark yellow
    {120, 0, 160},    // 15 violet
}};

// Style codes: 1 a thin line (components, residuals, markers), 2 a thicker line (the measured
// and the calculated spectrum, which must stand out against their components), 3 a thick dashed
// line (the selected peak).
struct LineStyle {
    double width = 1.0;  // pixels
    bool dashed = false;

    bool operator==(const LineStyle&) const = default;
};

inline constexpr std::array<LineStyle, 3> kStyleCodes = {{{1.0, false}, {2.0, false}, {2.0, true}}};

// The colour of a code ≥ 1, higher codes wrapped round; the style of a code 1 … 3.
Rgb colourOfCode(int32_t code);
LineStyle styleOfCode(int32_t code);

// ---- The picture -------------------------------------------------------------------------
struct PlotSet {
    int32_t colour = 1;
    int32_t style = 1;
    std::vector<double> x;  // shown energies
    std::vector<double> y;
    std::string name;  // in the legend: "Data", "Fit", "Peak 2", "Background", "Residuals ×5"

    bool operator==(const PlotSet&) const = default;
};

struct PlotPicture {
    std::vector<PlotSet> sets;
    double xLow = 0.0;  // the X limits in shown energies, xLow < xHigh
    double xHigh = 1.0;
    double yLow = 0.0;  // the intensity limits, yLow < yHigh
    double yHigh = 1.0;
    bool binding = false;  // binding energies, drawn decreasing from left to right
    std::string title{kGraphTitle};
    std::string xTitle{kKineticAxisTitle};
    std::string yTitle{kIntensityAxisTitle};

    bool operator==(const PlotPicture&) const = default;
};

// The energy as the plot shows it, and back: binding energies for binding-energy data.
double shownEnergy(const Spectrum& spectrum, double kinetic);
double kineticEnergy(const Spectrum& spectrum, double shown);

// mnuPlotItem_Click without the redraw: the check mark on item index alone, the plot settings
// of that item (item 0 keeps the residual scale, so that a PostScript page still carries the
// residuals) and the plot type. The caller then redraws. Throws std::out_of_range for an
// index outside 0 … 4.
void choosePlotItem(Module1& module, MenuState& menu, int32_t index);

// residuals = (counts − calculated) × residual scale over the np points: all 0 until a residual
// plot has been chosen. A calculation and every fit iteration renew them.
void computeResiduals(Module1& module);

// Plot's renewal of the residuals, only when a residual plot asks for them.
void updateResiduals(Module1& module);

// The chart Plot draws. With calculation: the spectrum, the calculated spectrum, each component
// and, with a residual scale, the residuals. Without: the spectrum and a marker stick
// (Pos, Height)–(Pos, 0) for every peak inside the X limits. A set whose values the records do
// not hold (a component matrix of an earlier configuration) is shown without points rather than
// read out of bounds. X limits that coincide (one point) are widened by half an eV each way, as
// a chart cannot show an empty range; the intensity limits hold every value drawn with 5 % of
// their span to spare above and below (half a count each way when all values are one).
PlotPicture plotPicture(const Module1& module);

}  // namespace varnix::app
