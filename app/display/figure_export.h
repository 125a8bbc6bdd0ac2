// The figure writer of exportFigure (core/plot_export.h): the picture drawn on a chart of its
// own in the figure's look and written as PNG, PDF or SVG of the figure's size.
#pragma once

#include "core/plot_export.h"
#include "core/plot_sets.h"

namespace varnix::app {

// The file is written to a temporary file beside the target and renamed over it only when
// complete, so a failed export leaves an earlier file of that name as it was. False on failure.
bool writeFigure(const PlotPicture& picture, const FigureFile& file);

}  // namespace varnix::app
