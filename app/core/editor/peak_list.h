// Inserting and deleting a peak in the configuration's flat arrays: the parameters and links of
// the peaks that move, and every link that points into them, so that no link ever names the
// wrong peak. First indices are 0-based, 5·(peak − 1).
#pragma once

#include "core/session/module1.h"

#include <cstdint>
#include <vector>

namespace varnix::app {

// After the arrays grew by one peak (nds already counts it): the peaks from `first` on move up
// one peak, links into them follow, and the new peak at `first` is free with Pos and Height 0
// and the LFWHM, Alpha and GFWHM of the peak it displaced.
void openPeakAt(Configuration& configuration, int32_t first);

// The parameters of other peaks whose partner lies in the peak starting at `first`.
std::vector<int32_t> linksInto(const Configuration& configuration, int32_t first);

// Before the arrays shrink by one peak: the peak at `first` is overwritten by the peaks after
// it, and links into those follow them down. Links into the removed peak itself must have been
// freed (linksInto).
void closePeakAt(Configuration& configuration, int32_t first);

}  // namespace varnix::app
