// A deterministic synthetic XPS spectrum: four overlapping asymmetric peaks on a linear
// background, drawn from the independent reference model with Poisson noise from a fixed seed.
// The tests fit it, the benchmarks time it, and the example spectrum was made from it.
#pragma once

#include <cstdint>
#include <vector>

namespace varnix::reference {

inline constexpr uint64_t kSyntheticSeed = 20261206;

struct SyntheticSpectrum {
    int32_t nds = 4;
    int32_t nbg = 2;
    std::vector<double> energies;         // ascending, eV
    std::vector<double> model;            // the reference model of the true parameters
    std::vector<double> counts;           // Poisson draws with the model as mean
    std::vector<double> sigmas;           // √counts + 1, the weights the program uses
    std::vector<double> trueParameters;   // the parameters the counts were drawn from
    std::vector<double> startParameters;  // clearly wrong start values for a fit
};

// The spectrum at np equidistant energies over the same range, so that different np sample
// the same curve.
SyntheticSpectrum makeSyntheticSpectrum(int32_t np, uint64_t seed = kSyntheticSeed);

}  // namespace varnix::reference
