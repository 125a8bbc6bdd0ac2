// Peak areas (PKAREAS): the area of each peak as drawn, truncated to its integration window.
#pragma once

#include "fdon.h"
#include "qsimp.h"


namespace varnix::engine {

// PKAREAS for one peak: Height/N · ∫∫ DS(x)·G(E − x) dx dE over the square [Pos − h, Pos + h]²,
// with h the integration-window half-width for `range` and N = `norm` the peak's
// normalisation (its unscaled convolution at Pos), so that the peak whose value at Pos is
// Height is the one integrated. Outer Simpson integral over E of FUNKA(E), itself the inner
// Simpson integral over x of FUNK2 = DS(x)·G(E − x) divided by N; both with `controls`. A
// non-converged integral is used with its last estimate. Keeps no state beyond the call, so
// the engine runs different peaks on different threads.
double PKAREAS(const PeakShape& peak, double norm, const SimpsonControls& controls, double range);

}  // namespace varnix::engine
