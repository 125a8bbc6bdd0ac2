// The model spectrum and its derivatives: peak normalisations (FUNDSG0 with DERDSG0) and the
// model, its components and the Jacobian of the free parameters (FUNDSG with DERDSG, FUNP,
// DERP and DERCORR).
//
// Peak k (0-based) owns the parameters 5k … 5k+4 in the order Pos, Height, LFWHM, Alpha, GFWHM;
// the NBG background coefficients follow at 5·NDS. Each peak is y(E) = Height·I(E)/N(k), where
// I(E) is the convolution integral ∫FUNK over the window E − h … E + h and N(k) the same
// integral at E = Pos, so that every peak equals its Height at its position.
#pragma once

#include "integrands.h"
#include "links.h"
#include "qsimp.h"

#include <cstdint>
#include <span>
#include <vector>

namespace varnix::engine {

inline constexpr std::size_t kPeakParameters = 5;
enum PeakSlot : std::size_t { kPos = 0, kHeight = 1, kLfwhm = 2, kAlpha = 3, kGfwhm = 4 };

// What stays the same for every model evaluation of one engine call.
struct ModelSetup {
    std::span<const double> energies;  // NP
    int32_t nds = 0;
    int32_t nbg = 0;
    int32_t ncomp = 0;                 // columns of the component matrix
    int32_t nfree = 0;
    LinkArrays links;
    std::span<const int32_t> freeIndex;  // from freeIndexMap
    SimpsonControls simpson;
    double range = 3.0;                // Integration Range
};

// Integrals and integrand evaluations of one model evaluation, for the benchmarks.
struct IntegrationCount {
    int64_t integrals = 0;
    int64_t evaluations = 0;
    void add(const SimpsonIntegral& integral);
    IntegrationCount& operator+=(const IntegrationCount& other);
};

// N(k) per peak and N′ per parameter (zero except LFWHM, Alpha and GFWHM of free or correlated
// parameters, when derivatives are wanted).
struct Normalisation {
    std::vector<double> n;
    std::vector<double> derivative;
};

// Where a model evaluation writes: the model (NP), the components (NP × NCOMP, column-major)
// and, with derivatives, the Jacobian (NFREE × NP, column i for point i).
struct ModelOutput {
    std::span<double> model;
    std::span<double> components;
    std::span<double> jacobian;
};

PeakShape peakShape(std::span<const double> parameters, std::size_t peak);

// FUNDSG0: the normalisations of every peak for the parameter vector.
Normalisation FUNDSG0(const ModelSetup& setup, std::span<const double> parameters,
                      bool derivatives, IntegrationCount& count);

// FUNDSG: model, components and (with derivatives) the Jacobian at every data point, in
// parallel over points. `norm` must come from FUNDSG0 for the same parameters.
void FUNDSG(const ModelSetup& setup, std::span<const double> parameters, const Normalisation& norm,
            bool derivatives, const ModelOutput& out, IntegrationCount& count);

}  // namespace varnix::engine
