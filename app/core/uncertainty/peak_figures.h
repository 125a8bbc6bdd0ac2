// The figures of each peak that a scientist quantifies with — its area, its width at half the
// Height, its maximum, the energy of the maximum and the full width at half that maximum — at
// any parameter vector, through calls of the fit engine with every parameter fixed.
//
// The area is the engine's own (PKAREAS, the peak as drawn, truncated to its window). The
// shape figures are found here on the engine's calculated component: a coarse scan of each
// peak brackets its maximum and its four crossings (half the Height, half the maximum), then
// Newton steps on five-point stencils, all peaks and crossings in one engine call per step,
// refine them. A crossing is a root of the component minus its level, so it converges to the
// integration tolerance (about 1e-10 of the width at the default probe controls); the maximum's
// energy is where the stencil's central difference vanishes, which places it within about 1e-9
// of the width (the stencil's O(δ⁴) bias), and the maximum itself, being flat there, to about
// 1e-12.
#pragma once

#include "core/session/library_loader.h"
#include "core/session/module1.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace varnix::app {

enum PeakFigure : std::size_t {
    kFigureArea = 0,
    kFigureWidthAtHalfHeight,
    kFigureMaximum,
    kFigureMaximumEnergy,
    kFigureWidthAtHalfMaximum,
    kPeakFigureCount
};

// One peak's figures in PeakFigure order; NaN where a figure does not exist (a non-positive
// Height, a crossing outside the scanned reach of 12 widths either side of Pos).
using PeakFigures = std::array<double, kPeakFigureCount>;

// The engine's integration controls for the probe: tighter than a fit needs, because the
// figures are differentiated by finite differences.
struct ProbeControls {
    double simpsonEps = 1e-10;
    int32_t maxSimpsonIterations = 20;
};

// The figures of every peak of module's model (its configuration's counts, the fit controls'
// Integration Range) at the full parameter vector `parameters` (npar values, links already
// applied). Throws what callEngine throws.
std::vector<PeakFigures> probePeaks(const Module1& module, LibraryLoader& loader,
                                    std::span<const double> parameters,
                                    const ProbeControls& controls = {});

}  // namespace varnix::app
