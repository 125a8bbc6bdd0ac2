#include "core/uncertainty/uncertainty.h"

#include "core/display/results_table.h"

#include <cmath>
#include <numeric>
#include <stdexcept>

namespace varnix::app {

namespace {

// Derivatives of each figure of each peak with respect to the free parameters.
using Gradients = std::vector<std::array<std::vector<double>, kPeakFigureCount>>;

std::size_t at(int32_t peak, int32_t slot)
{
    return static_cast<std::size_t>(kParametersPerPeak * peak + slot);
}

double stepScale(std::span<const double> p, int32_t peak, int32_t slot)
{
    const double lw = std::fabs(p[at(peak, kLfwhmSlot)]);
    const double gw = std::fabs(p[at(peak, kGfwhmSlot)]);
    double scale = 1.0;
    if (slot == kPosSlot) {
        scale = lw + gw;
    } else if (slot != kAlphaSlot) {
        scale = std::fabs(p[at(peak, slot)]);
    }
    return scale > 0.0 ? scale : 1.0;
}

// ∂p_j/∂θ: the free parameter p_j depends on, and the factor; none for a fixed parameter or a
// correlation of no kind, which keeps its value.
struct Dependence {
    int32_t free = -1;
    double factor = 0.0;
};

Dependence dependence(const EngineParameters& e, const std::vector<int32_t>& freeIndex,
                      std::size_t j)
{
    if (e.varied[j] == kLinkVaried) {
        return Dependence{freeIndex[j], 1.0};
    }
    const auto partner = static_cast<std::size_t>(e.partner[j]);
    if (e.varied[j] != kLinkCorrelated || e.varied[partner] != kLinkVaried) {
        return {};
    }
    if (e.linkKind[j] == kLinkKindMultiplied) {
        return Dependence{freeIndex[partner], e.factor[j]};
    }
    return e.linkKind[j] == kLinkKindPlus ? Dependence{freeIndex[partner], 1.0} : Dependence{};
}

std::vector<int32_t> freeIndexMap(const EngineParameters& e)
{
    std::vector<int32_t> map(e.varied.size(), -1);
    int32_t next = 0;
    for (std::size_t j = 0; j < map.size(); ++j) {
        map[j] = e.varied[j] == kLinkVaried ? next++ : -1;
    }
    return map;
}

// Central differences of every peak's figures with the parameter `slot` of all peaks stepped
// at once, folded into the gradients through the links.
void addSlot(const Module1& module, LibraryLoader& loader, const UncertaintyOptions& options,
             int32_t slot, Gradients& g)
{
    const EngineParameters& e = module.engine;
    const std::vector<double>& p = module.fitResults.parameters;
    const int32_t nds = module.configuration.nds;
    std::vector<double> up = p;
    std::vector<double> down = p;
    std::vector<double> step(static_cast<std::size_t>(nds));
    for (int32_t k = 0; k < nds; ++k) {
        step[static_cast<std::size_t>(k)] = options.relativeStep * stepScale(p, k, slot);
        up[at(k, slot)] += step[static_cast<std::size_t>(k)];
        down[at(k, slot)] -= step[static_cast<std::size_t>(k)];
    }
    const std::vector<PeakFigures> fUp = probePeaks(module, loader, up, options.probe);
    const std::vector<PeakFigures> fDown = probePeaks(module, loader, down, options.probe);
    const std::vector<int32_t> freeIndex = freeIndexMap(e);
    for (int32_t k = 0; k < nds; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        const Dependence dep = dependence(e, freeIndex, at(k, slot));
        if (dep.free < 0) {
            continue;
        }
        for (std::size_t f = 0; f < kPeakFigureCount; ++f) {
            const double derivative = (fUp[kk][f] - fDown[kk][f]) / (2.0 * step[kk]);
            g[kk][f][static_cast<std::size_t>(dep.free)] += dep.factor * derivative;
        }
    }
}

bool slotMoves(const EngineParameters& e, int32_t nds, int32_t slot)
{
    for (int32_t k = 0; k < nds; ++k) {
        if (e.varied[at(k, slot)] != kLinkFixed) {
            return true;
        }
    }
    return false;
}

double sigma(std::span<const double> c, std::span<const double> g)
{
    const std::size_t n = g.size();
    double variance = 0.0;
    for (std::size_t j = 0; j < n; ++j) {
        for (std::size_t i = 0; i < n; ++i) {
            variance += g[i] * c[i + n * j] * g[j];
        }
    }
    return std::sqrt(variance);
}

// share_k = A_k / ΣA: ∂share_k = (∂A_k − share_k·Σ∂A) / ΣA.
void addShares(std::span<const double> c, const Gradients& g, std::vector<PeakUncertainty>& peaks)
{
    const std::size_t nfree = g.empty() ? 0 : g[0][kFigureArea].size();
    double total = 0.0;
    std::vector<double> totalGradient(nfree, 0.0);
    for (std::size_t k = 0; k < peaks.size(); ++k) {
        total += peaks[k].area.value;
        for (std::size_t m = 0; m < nfree; ++m) {
            totalGradient[m] += g[k][kFigureArea][m];
        }
    }
    for (std::size_t k = 0; k < peaks.size(); ++k) {
        const double share = peaks[k].area.value / total;
        std::vector<double> gradient(nfree);
        for (std::size_t m = 0; m < nfree; ++m) {
            gradient[m] = (g[k][kFigureArea][m] - share * totalGradient[m]) / total;
        }
        peaks[k].share = ValueSigma{share, sigma(c, gradient)};
    }
}

}  // namespace

bool uncertaintiesAvailable(const Module1& module)
{
    const FitResults& r = module.fitResults;
    const auto npar = static_cast<std::size_t>(module.configuration.npar);
    const auto nfree = static_cast<std::size_t>(module.engine.nfree);
    return r.standardDeviationsAvailable && r.parameters.size() == npar &&
           module.engine.varied.size() == npar && r.nfree == module.engine.nfree &&
           r.errorMatrix.size() == nfree * nfree;
}

Diagnosis diagnoseFit(const Module1& module)
{
    if (!uncertaintiesAvailable(module)) {
        return {};
    }
    const FitResults& r = module.fitResults;
    return diagnoseDegeneracy(r.errorMatrix,
                              freeParameterNames(module, static_cast<std::size_t>(r.nfree)));
}

Uncertainties computeUncertainties(const Module1& module, LibraryLoader& loader,
                                   const UncertaintyOptions& options)
{
    if (!uncertaintiesAvailable(module)) {
        throw std::logic_error("computeUncertainties: no error matrix of the current model");
    }
    const FitResults& r = module.fitResults;
    const auto nds = static_cast<std::size_t>(module.configuration.nds);
    const auto nfree = static_cast<std::size_t>(r.nfree);
    Gradients g(nds);
    for (auto& figures : g) {
        figures.fill(std::vector<double>(nfree, 0.0));
    }
    for (int32_t slot = kPosSlot; slot <= kGfwhmSlot; ++slot) {
        if (slotMoves(module.engine, module.configuration.nds, slot)) {
            addSlot(module, loader, options, slot, g);
        }
    }
    const std::vector<PeakFigures> value = probePeaks(module, loader, r.parameters, options.probe);
    Uncertainties u;
    u.peaks.resize(nds);
    for (std::size_t k = 0; k < nds; ++k) {
        PeakUncertainty& peak = u.peaks[k];
        auto figure = [&](PeakFigure f) {
            return ValueSigma{value[k][f], sigma(r.errorMatrix, g[k][f])};
        };
        peak.area = figure(kFigureArea);
        peak.widthAtHalfHeight = figure(kFigureWidthAtHalfHeight);
        peak.maximum = figure(kFigureMaximum);
        peak.maximumEnergy = figure(kFigureMaximumEnergy);
        peak.widthAtHalfMaximum = figure(kFigureWidthAtHalfMaximum);
    }
    addShares(r.errorMatrix, g, u.peaks);
    u.diagnosis = diagnoseFit(module);
    return u;
}

}  // namespace varnix::app
