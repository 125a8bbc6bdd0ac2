// The plot window's zoom and Reset, free of widgets. The first zoom backs the spectrum up (with
// the calculated spectrum, its components and the residuals when a calculation exists); every
// zoom then cuts from that backup, never from the window shown, and Reset brings the backup back.
#pragma once

#include "core/menu_state.h"
#include "core/module1.h"

#include <string_view>

namespace varnix::app {

inline constexpr std::string_view kEmptyZoomStatus =
    "  No data points in the zoom rectangle - data unchanged";

enum class ZoomOutcome {
    Nothing,        // a rectangle of no width, or no data: nothing to cut
    Cut,            // np points inside the rectangle remain; the plot is to be redrawn
    NoPointsInside  // nothing changed; the window shows kEmptyZoomStatus
};

// ReSizePlot: keeps the points whose kinetic energy lies between the two energies (either
// order, ends included). Each cut changes the data, so it clears dataSaved and enables
// Save As > Data. A rectangle without points leaves the data and every flag as they were,
// where cutting would leave a spectrum of no points to plot or fit.
ZoomOutcome ReSizePlot(Module1& module, MenuState& menu, double pressKinetic,
                       double releaseKinetic);

// optReset_Click's data part: without a backup nothing happens (false). Otherwise the backed-up
// spectrum returns, with its calculation when one is done; the zoomed flag stays, so that the
// next zoom cuts from the same backup. The data count as saved only when the file held them
// as they now are again.
bool resetZoom(Module1& module);

}  // namespace varnix::app
