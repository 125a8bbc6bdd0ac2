// What the uncertainty computation delivers: every peak's figures with their standard
// deviations, and the diagnosis. Kept apart from the computation so that the fit results can
// hold them.
#pragma once

#include "core/uncertainty/degeneracy.h"

#include <limits>
#include <vector>

namespace varnix::app {

struct ValueSigma {
    double value = std::numeric_limits<double>::quiet_NaN();
    double sigma = std::numeric_limits<double>::quiet_NaN();

    bool operator==(const ValueSigma&) const = default;
};

struct PeakUncertainty {
    ValueSigma area;
    ValueSigma share;  // area / the sum of all areas
    ValueSigma widthAtHalfHeight;
    ValueSigma maximum;
    ValueSigma maximumEnergy;  // kinetic energy, as the positions are held
    ValueSigma widthAtHalfMaximum;

    bool operator==(const PeakUncertainty&) const = default;
};

struct Uncertainties {
    std::vector<PeakUncertainty> peaks;  // nds
    Diagnosis diagnosis;

    bool operator==(const Uncertainties&) const = default;
};

}  // namespace varnix::app
