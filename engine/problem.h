// An engine problem that owns its arrays — spectrum, links and controls — so that the spans of
// an EngineInput built from it stay valid: for C++ callers of the engine such as the tests, the
// benchmarks and the synthetic spectrum. The program itself calls the exported entry.
#pragma once

#include "engine_call.h"
#include "fundsg.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace varnix::engine {

struct Problem {
    std::vector<double> energies;
    std::vector<double> counts;
    std::vector<double> sigmas;
    int32_t nds = 0;
    int32_t nbg = 0;
    std::vector<int32_t> state;
    std::vector<int32_t> target;  // 0-based
    std::vector<double> value;
    std::vector<int32_t> mode;
    SimpsonControls simpson{1e-4, 21};
    double range = 3.0;
    double lambdaFac = 10.0;
    int32_t maxLambdaIterations = 10;

    Problem(std::vector<double> e, std::vector<double> y, int32_t peaks, int32_t background)
        : energies(std::move(e)), counts(std::move(y)), nds(peaks), nbg(background)
    {
        for (const double c : counts) {
            sigmas.push_back(std::sqrt(std::fabs(c)) + 1.0);
        }
        const auto npar = static_cast<std::size_t>(5 * nds + nbg);
        state.assign(npar, kLinkFree);
        target.assign(npar, 0);
        value.assign(npar, 0.0);
        mode.assign(npar, 0);
    }

    void fix(std::size_t j) { state[j] = kLinkFixed; }
    void link(std::size_t j, std::size_t t, int32_t linkMode, double v)
    {
        state[j] = kLinkCorrelated;
        target[j] = static_cast<int32_t>(t);
        mode[j] = linkMode;
        value[j] = v;
    }

    int32_t ncomp() const { return nds + (nbg > 0 ? 1 : 0); }
    int32_t nfree() const
    {
        int32_t n = 0;
        for (const int32_t s : state) {
            n += s == kLinkFree ? 1 : 0;
        }
        return n;
    }

    EngineInput input(int32_t engineMode) const
    {
        EngineInput in;
        in.mode = engineMode;
        in.energies = energies;
        in.counts = counts;
        in.sigmas = sigmas;
        in.nds = nds;
        in.nbg = nbg;
        in.ncomp = ncomp();
        in.nfree = nfree();
        in.links = LinkArrays{state, target, value, mode};
        in.simpson = simpson;
        in.range = range;
        in.lambdaFac = lambdaFac;
        in.maxLambdaIterations = maxLambdaIterations;
        return in;
    }

    // What the model routines read, for calling them outside an engine call; freeIndex must
    // outlive the result.
    ModelSetup setup(const std::vector<int32_t>& freeIndex) const
    {
        const EngineInput in = input(kModeCalculate);
        return ModelSetup{in.energies, in.nds,     in.nbg,     in.ncomp, in.nfree,
                          in.links,    freeIndex, in.simpson, in.range};
    }

    // A state with every array sized for this problem and zero.
    EngineState state0(const std::vector<double>& parameters, double lambda = 0.01) const
    {
        EngineState st;
        const std::size_t np = energies.size();
        st.parameters = parameters;
        st.model.assign(np, 0.0);
        st.components.assign(np * static_cast<std::size_t>(ncomp()), 0.0);
        const auto nf = static_cast<std::size_t>(nfree());
        st.errorMatrix.assign(nf * nf, 0.0);
        st.areas.assign(static_cast<std::size_t>(nds), 0.0);
        st.widths.assign(static_cast<std::size_t>(nds), 0.0);
        st.lambda = lambda;
        return st;
    }

    // One call on `st` in the given mode.
    void run(int32_t engineMode, EngineState& st) const { runEngine(input(engineMode), st); }
};

// A fit with the program's stopping rules: iterate while R = √(χ²/NP) keeps falling by at
// least rmin, then the error matrix with λ = 0 (the carried λ is kept). Returns the number of
// iterations.
inline int32_t fitByStoppingRules(const Problem& p, EngineState& st, int32_t maxit = 51, double rmin = 1e-4)
{
    const double np = static_cast<double>(p.energies.size());
    double previousR = 0.0;
    int32_t iteration = 1;
    for (; iteration <= maxit; ++iteration) {
        p.run(kModeIterate, st);
        const double r = std::sqrt(st.chiSquare / np);
        const double deltaR = iteration == 1 ? r : previousR - r;
        if (r < rmin || deltaR < 0.0 || deltaR < rmin) {
            break;
        }
        previousR = r;
    }
    EngineState final = st;
    final.lambda = 0.0;
    p.run(kModeErrorMatrix, final);
    final.lambda = st.lambda;
    st = final;
    return iteration;
}

}  // namespace varnix::engine
