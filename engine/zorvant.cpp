// The exported entry: maps the caller's by-reference, 1-based arguments onto one engine call
// and back. Everything the call changes is computed in work storage first and copied out only
// when the whole call succeeded, so a call that cannot get its storage changes nothing.

#include "zorvant.h"

#include "engine_call.h"

#include <algorithm>
#include <new>
#include <vector>

namespace varnix::engine {

namespace {

template <class T>
std::span<T> array(T* data, int32_t count)
{
    return count > 0 && data != nullptr ? std::span<T>(data, static_cast<std::size_t>(count))
                                        : std::span<T>();
}

bool arraysPresent(std::initializer_list<std::pair<const void*, int64_t>> arrays)
{
    return std::all_of(arrays.begin(), arrays.end(),
                       [](const auto& a) { return a.second <= 0 || a.first != nullptr; });
}

// The one place where the caller's 1-based parameter indices become 0-based.
std::vector<int32_t> zeroBasedTargets(std::span<const int32_t> oneBased)
{
    std::vector<int32_t> targets(oneBased.size());
    std::transform(oneBased.begin(), oneBased.end(), targets.begin(),
                   [](int32_t t) { return t - 1; });
    return targets;
}

template <class T>
std::vector<T> copyIn(const T* data, int64_t count)
{
    return count > 0 ? std::vector<T>(data, data + count) : std::vector<T>();
}

template <class T>
void copyOut(const std::vector<T>& from, T* to)
{
    std::copy(from.begin(), from.end(), to);
}

}  // namespace

}  // namespace varnix::engine

extern "C" void ZORVANT(
    const int32_t* np, const double* energies, const double* counts, const double* sigmas,
    const int32_t* npar, const int32_t* nds, const int32_t* nbg, const int32_t* ncomp,
    double* parameters, double* model, double* components, double* errorMatrix, double* lambda,
    const double* lambdaFac, const int32_t* maxLambdaIterations, double* chiSquare,
    double* sumSquaredCounts, const double* simpsonEps, const int32_t* maxSimpsonIterations,
    int32_t* inversionStatus, int32_t* lambdaStatus, const int32_t* mode, double* areas,
    double* widths, int32_t* /*spare*/, const int32_t* nfree, const int32_t* linkStates,
    const int32_t* correlatedWith, const double* factors, const double* integrationRange,
    const int32_t* linkModes, double* conditionNumber)
{
    using namespace varnix::engine;
    *lambdaStatus = 0;
    try {
        const int64_t n = *np;
        const int64_t p = *npar;
        const int64_t f = *nfree;
        const int64_t peaks = *nds;
        const int64_t cells = n * std::max<int64_t>(*ncomp, 0);
        if (n < 0 || p < 0 || f < 0 || peaks < 0
            || !arraysPresent({{energies, n}, {counts, n}, {sigmas, n}, {parameters, p},
                               {model, n}, {components, cells}, {errorMatrix, f * f},
                               {areas, peaks}, {widths, peaks}, {linkStates, p},
                               {correlatedWith, p}, {factors, p}, {linkModes, p}})) {
            *lambdaStatus = kLambdaStatusNotRun;
            return;
        }
        const std::vector<int32_t> targets = zeroBasedTargets(array(correlatedWith, *npar));
        EngineInput in;
        in.mode = *mode;
        in.energies = array(energies, *np);
        in.counts = array(counts, *np);
        in.sigmas = array(sigmas, *np);
        in.nds = *nds;
        in.nbg = *nbg;
        in.ncomp = *ncomp;
        in.nfree = *nfree;
        in.links = LinkArrays{array(linkStates, *npar), targets, array(factors, *npar),
                              array(linkModes, *npar)};
        in.simpson = SimpsonControls{*simpsonEps, *maxSimpsonIterations};
        in.range = *integrationRange;
        in.lambdaFac = *lambdaFac;
        in.maxLambdaIterations = *maxLambdaIterations;

        EngineState st;
        st.parameters = copyIn(parameters, p);
        st.model = copyIn(model, n);
        st.components = copyIn(components, cells);
        st.errorMatrix = copyIn(errorMatrix, f * f);
        st.areas = copyIn(areas, peaks);
        st.widths = copyIn(widths, peaks);
        st.lambda = *lambda;
        st.chiSquare = *chiSquare;
        st.sumSquaredCounts = *sumSquaredCounts;
        st.conditionNumber = *conditionNumber;
        st.inversionStatus = *inversionStatus;
        if (!consistent(in, st)) {
            *lambdaStatus = kLambdaStatusNotRun;
            return;
        }
        runEngine(in, st);

        copyOut(st.parameters, parameters);
        copyOut(st.model, model);
        copyOut(st.components, components);
        copyOut(st.errorMatrix, errorMatrix);
        copyOut(st.areas, areas);
        copyOut(st.widths, widths);
        *lambda = st.lambda;
        *chiSquare = st.chiSquare;
        *sumSquaredCounts = st.sumSquaredCounts;
        *conditionNumber = st.conditionNumber;
        *inversionStatus = st.inversionStatus;
        *lambdaStatus = st.lambdaStatus;
    } catch (...) {
        // Only work storage can fail here; nothing has been written back.
        *lambdaStatus = kLambdaStatusNotRun;
    }
}
