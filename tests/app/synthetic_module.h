// The synthetic spectrum (four peaks on a linear background) loaded into the records
// as the program would hold it: data and configuration opened, every parameter free at the
// fit's start values, names made.
#pragma once

#include "core/session/module1.h"
#include "synthetic_spectrum.h"

namespace varnix::app::test {

inline Module1 syntheticModule(const reference::SyntheticSpectrum& s)
{
    Module1 m;
    m.spectrum.np = static_cast<int32_t>(s.energies.size());
    m.spectrum.energy = s.energies;
    m.spectrum.counts = s.counts;
    m.spectrum.sigma = s.sigmas;
    m.spectrum.calculated.assign(s.energies.size(), 0.0);
    Configuration& c = m.configuration;
    c.nds = s.nds;
    c.nbg = s.nbg;
    ResizeConfiguration(m);
    const auto peakParameters = static_cast<std::ptrdiff_t>(kParametersPerPeak * s.nds);
    c.p.assign(s.startParameters.begin(), s.startParameters.begin() + peakParameters);
    for (int32_t k = 0; k < s.nbg; ++k) {
        c.a[static_cast<std::size_t>(k)] =
            s.startParameters[static_cast<std::size_t>(peakParameters + k)];
    }
    MakeParameterNames(c);
    m.dataLoaded = m.configLoaded = m.fitParametersLoaded = true;
    return m;
}

}  // namespace varnix::app::test
