// Peak areas (PKAREAS): the area of each peak as drawn, truncated to its integration window.
#pragma once

#include "fdon.h"
#include "qsimp.h"

#include <cstdint>
#include <span>

namespace varnix::engine {

// Area of one peak, Height/N · ∫∫ DS(x)·G(E − x) dx dE over the square [Pos − h, Pos + h]²,
// with h the integration-window half-width for `range` and N = `norm` the peak's
// normalisation (its unscaled convolution at Pos), so that the peak whose value at Pos is
// Height is the one integrated. Outer Simpson integral over E of FUNKA(E), itself the inner
// Simpson integral over x of FUNK2 = DS(x)·G(E − x) divided by N; both with `controls`. A
// non-converged integral is used with its last estimate. Keeps no state beyond the call, so
// different peaks may run on different threads.
double peakArea(const PeakShape& peak, double norm, const SimpsonControls& controls,
                double range);

// PKAREAS: areas[k] = peakArea of peak k = 0 … nds − 1 (0-based), whose parameters are
// parameters[5k … 5k + 4] (Pos, Height, LFWHM, Alpha, GFWHM) and whose normalisation is
// norms[k]. parameters holds at least 5·nds values (background coefficients may follow),
// norms and areas at least nds; all buffers are the caller's.
void PKAREAS(std::span<const double> parameters, int32_t nds, const SimpsonControls& controls,
             double range, std::span<const double> norms, std::span<double> areas);

}  // namespace varnix::engine
