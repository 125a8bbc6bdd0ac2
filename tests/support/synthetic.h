// The synthetic spectrum as the engine's C++ callers use it: the spectrum itself (drawn from the
// independent reference model) and the same data as an engine problem.
#pragma once

#include "problem.h"
#include "synthetic_spectrum.h"

#include <cstdint>

namespace varnix::engine {

using reference::kSyntheticSeed;
using reference::makeSyntheticSpectrum;
using reference::SyntheticSpectrum;

// The spectrum as an engine problem with every parameter free and the default controls.
Problem syntheticProblem(int32_t np, uint64_t seed = kSyntheticSeed);

}  // namespace varnix::engine
