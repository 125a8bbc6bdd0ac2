#include "levenberg_marquardt.h"

#include "dgausj.h"
#include "parallel.h"
#include "pkareas.h"
#include "pkwidths.h"
#include "singval.h"

#include <algorithm>

namespace varnix::engine {

double FCHI(std::span<const double> counts, std::span<const double> sigmas,
            std::span<const double> model)
{
    double chi = 0.0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const double r = (counts[i] - model[i]) / sigmas[i];
        chi += r * r;
    }
    return chi;
}

NormalEquations normalEquations(std::span<const double> jacobian, std::span<const double> counts,
                                std::span<const double> sigmas, std::span<const double> model,
                                std::size_t nfree)
{
    NormalEquations eq{std::vector<double>(nfree * nfree, 0.0), std::vector<double>(nfree, 0.0)};
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const double w = 1.0 / (sigmas[i] * sigmas[i]);
        const std::span<const double> column = jacobian.subspan(i * nfree, nfree);
        for (std::size_t m = 0; m < nfree; ++m) {
            const double wj = w * column[m];
            eq.beta[m] += wj * (counts[i] - model[i]);
            for (std::size_t l = 0; l <= m; ++l) {
                eq.alpha[l * nfree + m] += wj * column[l];
            }
        }
    }
    for (std::size_t m = 0; m < nfree; ++m) {
        for (std::size_t l = 0; l < m; ++l) {
            eq.alpha[m * nfree + l] = eq.alpha[l * nfree + m];
        }
    }
    return eq;
}

namespace {

// Error matrix = (α with its diagonal scaled by 1 + λ)⁻¹, step = its solution for β.
int32_t solveDamped(const NormalEquations& eq, double lambda, std::size_t nfree,
                    std::vector<double>& errorMatrix, std::vector<double>& step)
{
    errorMatrix = eq.alpha;
    for (std::size_t m = 0; m < nfree; ++m) {
        errorMatrix[m * nfree + m] *= 1.0 + lambda;
    }
    step = eq.beta;
    std::vector<int32_t> ipiv(nfree);
    std::vector<int32_t> indxr(nfree);
    std::vector<int32_t> indxc(nfree);
    const auto n = static_cast<int32_t>(nfree);
    return DGAUSJ(errorMatrix, n, step, 1, ipiv, indxr, indxc);
}

// Model and components of `parameters` into the state, without derivatives.
Normalisation recalculate(const ModelSetup& setup, std::span<const double> parameters,
                          EngineState& state, IntegrationCount& count)
{
    Normalisation norm = FUNDSG0(setup, parameters, false, count);
    FUNDSG(setup, parameters, norm, false, ModelOutput{state.model, state.components, {}}, count);
    return norm;
}

}  // namespace

void peakAreasAndWidths(const EngineInput& input, std::span<const double> parameters,
                        const Normalisation& norm, EngineState& state)
{
    const auto nds = static_cast<std::size_t>(input.nds);
    const std::size_t np = input.energies.size();
    parallelChunks(nds, [&](std::size_t, std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end; ++k) {
            const PeakShape peak = peakShape(parameters, k);
            const std::span<const double> component(state.components.data() + k * np, np);
            state.areas[k] = PKAREAS(peak, norm.n[k], input.simpson, input.range);
            int32_t status = 0;
            state.widths[k] = PKWIDTHS(input.energies, component, peak, norm.n[k], input.simpson,
                                       input.range, status);
        }
    });
}

void levenbergMarquardt(const EngineInput& input, const ModelSetup& setup,
                        std::span<const double> jacobian, Normalisation norm, EngineState& state,
                        IntegrationCount& count)
{
    const auto nfree = static_cast<std::size_t>(input.nfree);
    const NormalEquations eq =
        normalEquations(jacobian, input.counts, input.sigmas, state.model, nfree);
    const double chi0 = FCHI(input.counts, input.sigmas, state.model);
    // Without a single allowed trial the loop could only end through λ, which may never grow.
    const int32_t maxTrials = std::max(input.maxLambdaIterations, 1);
    std::vector<double> step;
    std::vector<double> trial(state.parameters.size());
    for (int32_t trialCount = 1;; ++trialCount) {
        state.inversionStatus = solveDamped(eq, state.lambda, nfree, state.errorMatrix, step);
        if (state.inversionStatus != 0) {
            // The parameters stay as they came, so the chi-square is theirs: a caller judging
            // the fit by it sees the value repeat instead of one left over from elsewhere.
            if (input.mode == kModeIterate) {
                state.chiSquare = chi0;
            }
            break;
        }
        if (input.mode == kModeErrorMatrix) {
            SingvalWork work(input.nfree);
            SINGVAL(state.errorMatrix, input.nfree, work, state.conditionNumber);
            return;
        }
        trialParameters(state.parameters, step, setup.freeIndex, setup.links, trial);
        Normalisation trialNorm = recalculate(setup, trial, state, count);
        state.chiSquare = FCHI(input.counts, input.sigmas, state.model);
        // A non-finite χ² fails this test and so counts as no decrease.
        if (state.chiSquare < chi0) {
            state.parameters = trial;
            state.lambda /= input.lambdaFac;
            norm = std::move(trialNorm);
            break;
        }
        if (trialCount >= maxTrials) {
            state.lambdaStatus = kLambdaStatusMaxTrials;
        } else if (state.lambda > kLambdaLimit) {
            state.lambdaStatus = kLambdaStatusOverflow;
        }
        if (state.lambdaStatus != 0) {
            // The model and components of the rejected trial would not describe the parameters
            // returned; the chi-square stays the trial's, as the fit's stopping rule expects.
            norm = recalculate(setup, state.parameters, state, count);
            break;
        }
        state.lambda *= input.lambdaFac;
    }
    peakAreasAndWidths(input, state.parameters, norm, state);
}

}  // namespace varnix::engine
