#include "core/fit/engine_call.h"

// The entry's signature, from its one declaration beside the engine; the entry itself comes
// through the loader.
#include "zorvant.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace varnix::app {

namespace {

// The engine's answer to a call it could not run at all.
constexpr int32_t kLambdaStatusNotRun = 3;

std::size_t count(int32_t value)
{
    return static_cast<std::size_t>(value);
}

// Every argument of one call, each sized as the engine addresses it. The arrays the engine only
// reads are copies too, so that the call shares nothing with the records while it runs.
struct EngineArguments {
    int32_t np = 0;
    int32_t npar = 0;
    int32_t nds = 0;
    int32_t nbg = 0;
    int32_t ncomp = 0;
    int32_t nfree = 0;
    int32_t mode = kEngineCalculate;
    std::vector<double> energy;
    std::vector<double> counts;
    std::vector<double> sigma;
    std::vector<int32_t> varied;
    std::vector<double> factor;
    std::vector<int32_t> linkKind;
    FitControls controls;
    std::vector<double> parameters;
    std::vector<int32_t> partners;  // 1-based
    std::vector<double> model;
    std::vector<double> components;
    std::vector<double> errorMatrix;
    std::vector<double> areas;
    std::vector<double> widths;
    double lambda = 0.0;
    double chiSquare = 0.0;
    // Σ counts², which the engine fills when it finds 0; nothing of ours reads it, so each call
    // starts afresh.
    double sumSquaredCounts = 0.0;
    double conditionNumber = 0.0;
    int32_t inversionStatus = 0;
    int32_t lambdaStatus = 0;
    int32_t spare = 0;
};

// The record's values when they still have the size the engine expects, else zeros.
std::vector<double> carried(const std::vector<double>& values, std::size_t size)
{
    return values.size() == size ? values : std::vector<double>(size, 0.0);
}

void requireConsistent(const Module1& module)
{
    const Spectrum& s = module.spectrum;
    const Configuration& c = module.configuration;
    const EngineParameters& e = module.engine;
    const auto npar = count(c.npar);
    const bool counts =
        s.np >= 0 && c.nds >= 0 && c.nbg >= 0 && c.npar >= 0 && c.ncomp >= 0 && e.nfree >= 0;
    const bool spectrum = counts && s.energy.size() >= count(s.np) &&
                          s.counts.size() >= count(s.np) && s.sigma.size() >= count(s.np);
    const bool engine = e.p.size() == npar && e.varied.size() == npar && e.partner.size() == npar &&
                        e.factor.size() == npar && e.linkKind.size() == npar;
    if (!spectrum || !engine) {
        throw std::logic_error("callEngine: spectrum or engine arrays do not match their counts");
    }
}

// The first np values of a spectrum's array.
std::vector<double> points(const std::vector<double>& values, int32_t np)
{
    return {values.begin(), values.begin() + np};
}

EngineArguments arguments(const Module1& module, int32_t mode, double lambda)
{
    const Spectrum& s = module.spectrum;
    const Configuration& c = module.configuration;
    const EngineParameters& e = module.engine;
    const FitResults& r = module.fitResults;
    EngineArguments a;
    a.np = s.np;
    a.npar = c.npar;
    a.nds = c.nds;
    a.nbg = c.nbg;
    a.ncomp = c.ncomp;
    a.nfree = module.engine.nfree;
    a.mode = mode;
    a.energy = points(s.energy, a.np);
    a.counts = points(s.counts, a.np);
    a.sigma = points(s.sigma, a.np);
    a.varied = e.varied;
    a.factor = e.factor;
    a.linkKind = e.linkKind;
    a.controls = module.fitControls;
    a.parameters = e.p;
    a.partners.resize(e.partner.size());
    std::transform(e.partner.begin(), e.partner.end(), a.partners.begin(),
                   [](int32_t partner) { return partner + 1; });
    a.model = carried(s.calculated, count(a.np));
    a.components = carried(r.components, count(a.np) * count(a.ncomp));
    a.errorMatrix = carried(r.errorMatrix, count(a.nfree) * count(a.nfree));
    a.areas = carried(r.areas, count(a.nds));
    a.widths = carried(r.widths, count(a.nds));
    a.lambda = lambda;
    a.chiSquare = r.chiSquare;
    a.conditionNumber = r.conditionNumber;
    return a;
}

void invoke(ZorvantFunction zorvant, EngineArguments& a)
{
    const FitControls& f = a.controls;
    zorvant(&a.np, a.energy.data(), a.counts.data(), a.sigma.data(), &a.npar, &a.nds, &a.nbg,
            &a.ncomp, a.parameters.data(), a.model.data(), a.components.data(),
            a.errorMatrix.data(), &a.lambda, &f.lambdaFac, &f.maxLambdaIterations, &a.chiSquare,
            &a.sumSquaredCounts, &f.simpsonEps, &f.maxSimpsonIterations, &a.inversionStatus,
            &a.lambdaStatus, &a.mode, a.areas.data(), a.widths.data(), &a.spare, &a.nfree,
            a.varied.data(), a.partners.data(), a.factor.data(), &f.integrationRange,
            a.linkKind.data(), &a.conditionNumber);
}

// The call through the runner; false when the runner returned without running it.
bool run(const EngineRunner& runner, ZorvantFunction zorvant, EngineArguments& a)
{
    bool ran = false;
    const std::function<void()> call = [zorvant, &a, &ran] {
        invoke(zorvant, a);
        ran = true;
    };
    runThrough(runner, call);
    return ran;
}

void commit(Module1& module, EngineArguments& a)
{
    module.spectrum.calculated = std::move(a.model);
    FitResults& r = module.fitResults;
    r.components = std::move(a.components);
    if (a.mode == kEngineCalculate) {
        return;
    }
    module.engine.p = a.parameters;
    r.parameters = std::move(a.parameters);
    r.nfree = a.nfree;
    r.errorMatrix = std::move(a.errorMatrix);
    r.chiSquare = a.chiSquare;
    r.areas = std::move(a.areas);
    r.widths = std::move(a.widths);
    r.conditionNumber = a.conditionNumber;
}

}  // namespace

void runThrough(const EngineRunner& runner, const std::function<void()>& work)
{
    if (runner) {
        runner(work);
    } else {
        work();
    }
}

EngineCallResult callEngine(Module1& module, LibraryLoader& loader, int32_t mode, double lambda,
                            const EngineRunner& runner)
{
    const auto zorvant = loader.routine<ZorvantFunction>("zorvant");
    requireConsistent(module);
    EngineArguments a = arguments(module, mode, lambda);
    if (!run(runner, zorvant, a)) {
        throw EngineCallFailed("ZORVANT was not called: the runner returned without the call");
    }
    if (a.lambdaStatus == kLambdaStatusNotRun) {
        throw EngineCallFailed("ZORVANT did not run: no work storage or contradictory counts");
    }
    const EngineCallResult result{a.lambda, a.inversionStatus, a.lambdaStatus};
    commit(module, a);
    return result;
}

}  // namespace varnix::app
