// The Levenberg–Marquardt continuation of modes 1 and 2: the weighted chi-square (FCHI), the
// curvature matrix and gradient, the damped trial loop, and the error matrix with its
// condition number.
#pragma once

#include "engine_call.h"

#include <span>
#include <vector>

namespace varnix::engine {

// FCHI: χ² = Σᵢ ((yᵢ − modelᵢ)/σᵢ)².
double FCHI(std::span<const double> counts, std::span<const double> sigmas,
            std::span<const double> model);

// α (NFREE × NFREE, column-major) and β (NFREE) of the weighted least-squares problem with
// weights 1/σᵢ²: βₘ = Σᵢ wᵢ·(yᵢ − modelᵢ)·J(m, i), αₘₗ = Σᵢ wᵢ·J(m, i)·J(l, i).
// The Jacobian holds column i (NFREE entries) for point i.
struct NormalEquations {
    std::vector<double> alpha;
    std::vector<double> beta;
};
NormalEquations normalEquations(std::span<const double> jacobian, std::span<const double> counts,
                                std::span<const double> sigmas, std::span<const double> model,
                                std::size_t nfree);

// Areas (PKAREAS) and widths (PKWIDTHS) of every peak into the state, in parallel over peaks,
// from the parameters, their normalisations and the components in the state.
void peakAreasAndWidths(const EngineInput& input, std::span<const double> parameters,
                        const Normalisation& norm, EngineState& state);

// Modes 1 and 2 after the model and the Jacobian of the current parameters are in `state`:
// one damped iteration (mode 1) or the error matrix and condition number (mode 2).
void levenbergMarquardt(const EngineInput& input, const ModelSetup& setup,
                        std::span<const double> jacobian, Normalisation norm, EngineState& state,
                        IntegrationCount& count);

}  // namespace varnix::engine
