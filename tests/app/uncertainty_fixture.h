// Models for the uncertainty tests: a spectrum drawn from the independent reference model, a
// configuration of chosen peaks and links, fitted through Start Fit or given an error matrix.
#pragma once

#include "core/fit/fit_driver.h"
#include "core/fit/init_par.h"
#include "core/session/menu_state.h"
#include "core/session/module1.h"
#include "core/session/scripted_dialogs.h"
#include "reference_model.h"

#include <cmath>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

namespace varnix::app::test {

inline std::vector<double> equidistant(double first, double last, int32_t np)
{
    std::vector<double> e(static_cast<std::size_t>(np));
    for (int32_t i = 0; i < np; ++i) {
        e[static_cast<std::size_t>(i)] = first + (last - first) * i / (np - 1);
    }
    return e;
}

// Counts drawn from a Poisson distribution about `mean`, with a fixed seed.
inline std::vector<double> poissonCounts(const std::vector<double>& mean, uint64_t seed)
{
    std::mt19937_64 generator(seed);
    std::vector<double> counts;
    for (const double m : mean) {
        counts.push_back(static_cast<double>(std::poisson_distribution<int64_t>(m)(generator)));
    }
    return counts;
}

// A module holding `counts` at `energies` and the model `parameters` (nds peaks, nbg
// coefficients), every parameter varied, names made.
inline Module1 moduleOf(const std::vector<double>& energies, const std::vector<double>& counts,
                        const std::vector<double>& parameters, int32_t nds, int32_t nbg)
{
    Module1 m;
    m.spectrum.np = static_cast<int32_t>(energies.size());
    m.spectrum.energy = energies;
    m.spectrum.counts = counts;
    for (const double c : counts) {
        m.spectrum.sigma.push_back(std::sqrt(std::fabs(c)) + 1.0);
    }
    m.spectrum.calculated.assign(energies.size(), 0.0);
    m.configuration.nds = nds;
    m.configuration.nbg = nbg;
    ResizeConfiguration(m);
    const auto peaks = static_cast<std::size_t>(kParametersPerPeak * nds);
    m.configuration.p.assign(parameters.begin(),
                             parameters.begin() + static_cast<std::ptrdiff_t>(peaks));
    for (int32_t k = 0; k < nbg; ++k) {
        m.configuration.a[static_cast<std::size_t>(k)] =
            parameters[peaks + static_cast<std::size_t>(k)];
    }
    MakeParameterNames(m.configuration);
    m.dataLoaded = m.configLoaded = m.fitParametersLoaded = true;
    return m;
}

inline void fixParameter(Module1& m, int32_t j)
{
    m.configuration.links[static_cast<std::size_t>(j)].state = kLinkFixed;
}

inline void linkParameter(Module1& m, int32_t j, int32_t partner, int32_t kind, double value)
{
    m.configuration.links[static_cast<std::size_t>(j)] =
        ParameterLink{kLinkCorrelated, partner, value, kind};
}

// The engine's arrays from the configuration, and a finished fit's results at the
// configuration's values with the given error matrix over the free parameters.
inline void giveErrorMatrix(Module1& m, const std::vector<double>& errorMatrix)
{
    ScriptedDialogs dialogs;
    if (InitPar(m, dialogs) != kInitParReady) {
        throw std::logic_error("the test's configuration was refused");
    }
    FitResults& r = m.fitResults;
    r.parameters = m.engine.p;
    r.nfree = m.engine.nfree;
    r.errorMatrix = errorMatrix;
    r.standardDeviationsAvailable = true;
}

// Start Fit to the end, without windows.
inline FitOutcome fitModule(Module1& m, LibraryLoader& loader)
{
    ScriptedDialogs dialogs;
    MenuState menu;
    Enable(m, menu);
    FitHooks hooks;
    return mnuFit_Click(m, dialogs, loader, menu, hooks);
}

}  // namespace varnix::app::test
