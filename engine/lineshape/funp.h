// The polynomial background (FUNP) and its derivatives (DERP).
//
// B(E) = Σ_{m=0}^{NBG−1} a_m·(E − Eref)^m, with Eref the energy of the last data point, so that
// a0 is the background at the last point. NBG = 0 gives no background.
#pragma once

#include <cstdint>
#include <span>

namespace varnix::engine {

// B(E) for the NBG = coefficients.size() coefficients a0, a1, a2.
double FUNP(std::span<const double> coefficients, double energy, double referenceEnergy);

// Writes ∂B/∂a_m = (E − Eref)^m into derivative[m] for every coefficient whose link state is
// below 2 (fixed coefficients are left untouched). Both spans hold the NBG background entries.
void DERP(std::span<const int32_t> state, double energy, double referenceEnergy,
          std::span<double> derivative);

}  // namespace varnix::engine
