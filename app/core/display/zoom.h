// The plot window's zoom and Reset, free of widgets. The first zoom backs the spectrum up (with
// the calculated spectrum, its components and the residuals when a calculation exists); every
// zoom then cuts from that backup, never from the window shown, and Reset brings the backup back.
#pragma once

#include "core/session/menu_state.h"
#include "core/session/module1.h"

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

enum class ResetOutcome {
    Nothing,    // no backup
    Restored,   // the backed-up spectrum is back, with its calculation when one is done
    ModelStale  // the spectrum is back, but the model was calculated since on zoomed data only:
                // recalculateModel must calculate it on these data before anything is drawn
};

// optReset_Click's data part. The zoomed flag stays as it is, so that the next zoom cuts from
// the same backup unless a calculation has cleared it. The data count as saved only when the
// file held them as they now are again. With a stale model the calculated spectrum,
// components and residuals are zeros of the right size until the model is calculated again.
ResetOutcome resetZoom(Module1& module);

// A calculation or fit has replaced the model: the backup stays for Reset, but its curves no
// longer describe the model, and the next zoom takes a new backup.
void clearZoomedFlag(ZoomBackup& zoom);

}  // namespace varnix::app
