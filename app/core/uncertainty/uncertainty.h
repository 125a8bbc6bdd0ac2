// Standard deviations of the figures of every peak — area, share of the total area, width at
// half the Height, maximum, energy of the maximum, full width at half that maximum — from the
// error matrix of a finished fit, and the diagnosis of the combination of parameters the fit
// leaves undetermined. One call after the fit gives everything the results window, the results
// report and the batch fitter show.
//
// First-order propagation: σ_q² = gᵀ·C·g, with C the error matrix over the free parameters
// and g the derivatives of the figure q with respect to them. A figure of peak k depends only
// on the five parameters of peak k; their derivatives are central differences of engine calls
// with every parameter fixed (probePeaks), one parameter kind of all peaks stepped at once, so
// the cost does not grow with the number of peaks. They reach the free parameters through the
// links: a parameter correlated "Multiplied by" f with a free one passes f times its
// derivative on to it, one correlated "Plus" its derivative itself.
#pragma once

#include "core/session/library_loader.h"
#include "core/session/module1.h"
#include "core/uncertainty/peak_figures.h"
#include "core/uncertainty/peak_uncertainty.h"

#include <cstdint>
#include <vector>

namespace varnix::app {

struct UncertaintyOptions {
    // Difference steps as fractions of each parameter's scale: |Height|, |LFWHM|, |GFWHM|,
    // |LFWHM| + |GFWHM| for Pos, 1 for Alpha.
    double relativeStep = 1e-4;
    ProbeControls probe;
};

// Whether module holds a finished fit whose error matrix belongs to the current model: fitted
// values, the error matrix of module.engine's free parameters, standard deviations available.
bool uncertaintiesAvailable(const Module1& module);

// The diagnosis alone, from the error matrix without engine calls; empty unless
// uncertaintiesAvailable(module).
Diagnosis diagnoseFit(const Module1& module);

// The figures of every peak at the fitted parameters with their σ, and the diagnosis. Needs
// uncertaintiesAvailable(module) (std::logic_error otherwise). Throws what callEngine throws.
Uncertainties computeUncertainties(const Module1& module, LibraryLoader& loader,
                                   const UncertaintyOptions& options = {});

}  // namespace varnix::app
