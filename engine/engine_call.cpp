#include "engine_call.h"

#include "levenberg_marquardt.h"

#include <algorithm>

namespace varnix::engine {

namespace {

std::size_t size(int32_t count)
{
    return static_cast<std::size_t>(count);
}

bool countsValid(const EngineInput& in)
{
    const std::size_t npar = in.links.state.size();
    const bool ranges = in.nds >= 0 && in.nbg >= 0 && in.nfree >= 0 && in.ncomp >= in.nds
                        && in.mode >= kModeCalculate
                        && in.mode <= kModeErrorMatrix;
    if (!ranges || npar != kPeakParameters * size(in.nds) + size(in.nbg)) {
        return false;
    }
    // The background goes into the last component column, which must not be a peak's.
    if (in.nbg > 0 && in.ncomp <= in.nds) {
        return false;
    }
    // The Jacobian has one row per free parameter: the count must match the link states.
    const auto free = std::count(in.links.state.begin(), in.links.state.end(), kLinkFree);
    return free == in.nfree;
}

bool sizesValid(const EngineInput& in, const EngineState& st)
{
    const std::size_t np = in.energies.size();
    const std::size_t npar = in.links.state.size();
    return in.counts.size() == np && in.sigmas.size() == np && in.links.target.size() == npar
           && in.links.value.size() == npar && in.links.mode.size() == npar
           && st.parameters.size() == npar && st.model.size() == np
           && st.components.size() == np * size(in.ncomp)
           && st.errorMatrix.size() == size(in.nfree) * size(in.nfree)
           && st.areas.size() == size(in.nds) && st.widths.size() == size(in.nds);
}

}  // namespace

bool consistent(const EngineInput& input, const EngineState& state)
{
    return countsValid(input) && sizesValid(input, state);
}

void runEngine(const EngineInput& input, EngineState& state, IntegrationCount* count)
{
    IntegrationCount work;
    state.lambdaStatus = 0;
    const std::vector<int32_t> freeIndex = freeIndexMap(input.links.state);
    if (state.sumSquaredCounts == 0.0 && !input.counts.empty()) {
        double sum = 0.0;
        for (const double y : input.counts) {
            sum += y * y;
        }
        state.sumSquaredCounts = sum;
    }
    const ModelSetup setup{input.energies, input.nds,   input.nbg,     input.ncomp,
                           input.nfree,    input.links, freeIndex,     input.simpson,
                           input.range};
    const bool derivatives = input.mode != kModeCalculate;
    std::vector<double> jacobian(derivatives ? size(input.nfree) * input.energies.size() : 0);
    Normalisation norm = FUNDSG0(setup, state.parameters, derivatives, work);
    FUNDSG(setup, state.parameters, norm, derivatives,
           ModelOutput{state.model, state.components, jacobian}, work);
    if (input.mode != kModeCalculate) {
        levenbergMarquardt(input, setup, jacobian, std::move(norm), state, work);
    }
    if (count != nullptr) {
        *count += work;
    }
}

}  // namespace varnix::engine
