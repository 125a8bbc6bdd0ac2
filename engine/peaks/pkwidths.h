// Peak widths (PKWIDTHS) by inverse interpolation of the half-height crossings (INTERP).
#pragma once

#include "fdon.h"
#include "integrands.h"
#include "qsimp.h"

#include <cstdint>
#include <span>

namespace varnix::engine {

// INTERP: the energy between x1 and x3 at which the model peak of `integrands` equals `level`,
// given the model intensities y1 at x1 and y3 at x3 on either side of the level. The model
// peak at X is Height·∫FUNK/N over the window X − h … X + h, with N = `norm`. Starts from the
// linear estimate, then refines at most 21 times by inverse quadratic interpolation (DLSQP on
// the current bracket and the last estimate, energy as a function of intensity); stops when
// the estimate repeats, leaves the bracket (which is then the result), moves by at most 1e-6,
// or the model there is within 1e-6·level of the level; an intensity equal to another of the
// three stops it at the last estimate. The bracket may be given in either energy order.
// `status` is that of the last convolution integral (0 converged, 1 not). `integrands` grows
// its step tables and may be reused for further crossings of its peak.
double INTERP(double level, double x1, double y1, double x3, double y3,
              PeakIntegrands& integrands, double norm, const SimpsonControls& controls,
              int32_t& status);

// PKWIDTHS: the full width at half maximum of one peak, from its component column
// `component` (the peak's model value at energies[i], 0-based i = 0 … NP − 1, energies
// ascending or descending; both spans the caller's and of equal length). The level is
// Height/2 of the peak parameter; the crossings are bracketed by scanning out from the first
// largest component value and refined with INTERP on the model (normalisation `norm`, window
// from `range`). Returns the width, or 0 when there is none: Height ≤ 0, the maximum on the
// first or last point or below the level, or no crossing on a side before the first or last
// point. status: 0 width found with converged integrals, 1 no width, 2 width found but a
// convolution integral of the refinement did not converge (its last estimate was used).
double PKWIDTHS(std::span<const double> energies, std::span<const double> component,
                const PeakShape& peak, double norm, const SimpsonControls& controls,
                double range, int32_t& status);

}  // namespace varnix::engine
