// A PlotPicture drawn into a QCustomPlot, the same way for the plot window and for an exported
// figure: one graph per set with its pen and legend name, the limits and titles of both axes,
// binding energies decreasing from left to right, the ticks and labels of axis_ticks.h on both
// axes, and the legend in the picture's corner. The look says whether the title and the grid
// are drawn and in which font sizes.
#pragma once

#include "core/plot_export.h"
#include "core/plot_sets.h"

#include <QPen>

#include <cstdint>

class QCustomPlot;

namespace varnix::app {

// The pen of a colour code and a style code.
QPen penFor(int32_t colourCode, int32_t styleCode);

// Replaces whatever the chart held; does not replot.
void drawPicture(QCustomPlot& chart, const PlotPicture& picture, const ChartLook& look);

}  // namespace varnix::app
