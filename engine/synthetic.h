// A deterministic synthetic XPS spectrum: four overlapping asymmetric peaks on a linear
// background with Poisson noise from a fixed seed. The tests fit it, the benchmarks time it,
// and the example spectrum is made from it.
#pragma once

#include "problem.h"

#include <cstdint>
#include <vector>

namespace varnix::engine {

inline constexpr uint64_t kSyntheticSeed = 20261206;

struct SyntheticSpectrum {
    int32_t nds = 4;
    int32_t nbg = 2;
    std::vector<double> energies;         // ascending, eV
    std::vector<double> counts;           // Poisson draws around the model
    std::vector<double> sigmas;           // √counts + 1, the weights the program uses
    std::vector<double> trueParameters;   // the parameters the counts were drawn from
    std::vector<double> startParameters;  // clearly wrong start values for a fit
};

// The spectrum at np equidistant energies over the same range, so that different np sample
// the same curve.
SyntheticSpectrum makeSyntheticSpectrum(int32_t np, uint64_t seed = kSyntheticSeed);

// The model of the parameters at the energies (mode 0 of the engine, tight tolerance).
std::vector<double> syntheticModel(const std::vector<double>& energies,
                                   const std::vector<double>& parameters, int32_t nds, int32_t nbg);

// The spectrum as an engine problem with every parameter free and the default controls.
Problem syntheticProblem(int32_t np, uint64_t seed = kSyntheticSeed);

// Poisson deviate with mean `mean` from a 64-bit generator state, the same on every platform.
int64_t poissonDeviate(double mean, uint64_t& state);

}  // namespace varnix::engine
