#include "core/uncertainty/peak_figures.h"

#include "core/fit/engine_call.h"

#include <cmath>
#include <limits>
#include <numeric>

namespace varnix::app {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int32_t kScanPoints = 961;  // per peak: a spacing of 1/40 of the width scale
constexpr double kScanReach = 12.0;   // width scales either side of Pos
// Stencil spacing in width scales: the five-point differences' O(δ⁴) bias stays near 1e-9 of
// the width while the integration tolerance, divided by δ, stays below 1e-8.
constexpr double kStencil = 5e-3;
constexpr std::size_t kStencilPoints = 5;
constexpr int32_t kMaxNewtonSteps = 10;
constexpr double kConverged = 1e-13;  // of the width scale

// The targets of one peak: its maximum, then the crossings at half the Height and at half the
// maximum, left and right.
enum Target : std::size_t { kMax = 0, kLeftHeight, kRightHeight, kLeftMax, kRightMax, kTargets };

struct PeakSearch {
    double height = 0.0;
    double scale = 0.0;  // |LFWHM| + |GFWHM|
    std::array<double, kTargets> x{};
    std::array<bool, kTargets> valid{};
    double maximum = kNaN;
};

// A model of module's counts with every parameter fixed at `parameters`: a call then changes
// nothing but evaluates. One λ trial is enough for an iteration over no free parameter, which
// leaves the parameters as they are and reports its areas.
Module1 probeModule(const Module1& module, std::span<const double> parameters,
                    const ProbeControls& controls)
{
    Module1 m;
    m.configuration.nds = module.configuration.nds;
    m.configuration.nbg = module.configuration.nbg;
    m.configuration.npar = module.configuration.npar;
    m.configuration.ncomp = module.configuration.ncomp;
    m.fitControls = module.fitControls;
    m.fitControls.simpsonEps = controls.simpsonEps;
    m.fitControls.maxSimpsonIterations = controls.maxSimpsonIterations;
    m.fitControls.maxLambdaIterations = 1;
    EngineParameters& e = m.engine;
    e.p.assign(parameters.begin(), parameters.end());
    const std::size_t npar = parameters.size();
    e.varied.assign(npar, kLinkFixed);
    e.partner.resize(npar);
    std::iota(e.partner.begin(), e.partner.end(), 0);
    e.factor.assign(npar, 0.0);
    e.linkKind.assign(npar, kLinkKindNone);
    e.nfree = 0;
    return m;
}

// The points the engine evaluates the model at; their counts do not matter.
void evaluateAt(Module1& m, std::vector<double> energies)
{
    const std::size_t n = energies.size();
    m.spectrum.np = static_cast<int32_t>(n);
    m.spectrum.energy = std::move(energies);
    m.spectrum.counts.assign(n, 0.0);
    m.spectrum.sigma.assign(n, 1.0);
    m.spectrum.calculated.assign(n, 0.0);
}

// The components of every peak at `energies`, column-major (point i of peak k at [i + n·k]).
const std::vector<double>& components(Module1& m, LibraryLoader& loader,
                                      std::vector<double> energies)
{
    evaluateAt(m, std::move(energies));
    m.fitResults.components.clear();
    callEngine(m, loader, kEngineCalculate, 0.0);
    return m.fitResults.components;
}

// The areas do not depend on where the model is evaluated, so a few points serve.
std::vector<double> areas(Module1& m, LibraryLoader& loader)
{
    evaluateAt(m, {0.0, 1.0, 2.0});
    callEngine(m, loader, kEngineIterate, 0.0);
    return m.fitResults.areas;
}

// Linear interpolation of the crossing of `level` between points a and b.
double crossing(double level, double xa, double ya, double xb, double yb)
{
    return xa + (xb - xa) * (level - ya) / (yb - ya);
}

// The first crossing of `level` going out from index `from` by `step` (±1) within [0, n).
bool scanCrossing(std::span<const double> x, std::span<const double> y, std::size_t from, int step,
                  double level, double& result)
{
    for (auto j = static_cast<std::ptrdiff_t>(from); j >= 0 && j < std::ssize(y); j += step) {
        const auto i = static_cast<std::size_t>(j);
        if (y[i] < level) {
            const std::size_t inner = static_cast<std::size_t>(j - step);
            result = crossing(level, x[i], y[i], x[inner], y[inner]);
            return j != static_cast<std::ptrdiff_t>(from);
        }
    }
    return false;
}

void bracket(PeakSearch& s, std::span<const double> x, std::span<const double> y)
{
    std::size_t top = 0;
    for (std::size_t i = 1; i < y.size(); ++i) {
        top = y[i] > y[top] ? i : top;
    }
    if (top == 0 || top + 1 == y.size()) {
        return;
    }
    s.x[kMax] = x[top];
    s.valid[kMax] = true;
    const double half = y[top] / 2.0;
    s.valid[kLeftHeight] = scanCrossing(x, y, top, -1, s.height / 2.0, s.x[kLeftHeight]);
    s.valid[kRightHeight] = scanCrossing(x, y, top, 1, s.height / 2.0, s.x[kRightHeight]);
    s.valid[kLeftMax] = scanCrossing(x, y, top, -1, half, s.x[kLeftMax]);
    s.valid[kRightMax] = scanCrossing(x, y, top, 1, half, s.x[kRightMax]);
}

std::vector<PeakSearch> scan(Module1& m, LibraryLoader& loader)
{
    const auto nds = static_cast<std::size_t>(m.configuration.nds);
    std::vector<PeakSearch> searches(nds);
    std::vector<double> energies;
    for (std::size_t k = 0; k < nds; ++k) {
        const double* p = m.engine.p.data() + kParametersPerPeak * k;
        searches[k].height = p[kHeightSlot];
        searches[k].scale = std::fabs(p[kLfwhmSlot]) + std::fabs(p[kGfwhmSlot]);
        const double step = 2.0 * kScanReach * searches[k].scale / (kScanPoints - 1);
        for (int32_t i = 0; i < kScanPoints; ++i) {
            energies.push_back(p[kPosSlot] - kScanReach * searches[k].scale + step * i);
        }
    }
    const std::vector<double> x = energies;
    const std::vector<double>& c = components(m, loader, energies);
    const std::size_t n = x.size();
    for (std::size_t k = 0; k < nds; ++k) {
        PeakSearch& s = searches[k];
        if (s.height > 0.0 && s.scale > 0.0) {
            const std::size_t first = k * kScanPoints;
            bracket(s, std::span(x).subspan(first, kScanPoints),
                    std::span(c).subspan(n * k + first, kScanPoints));
        }
    }
    return searches;
}

struct Derivatives {
    double f = 0.0;
    double d1 = 0.0;
    double d2 = 0.0;
};

// Five-point differences at the centre of the stencil values f(x + (i − 2)·δ).
Derivatives differences(std::span<const double> f, double delta)
{
    return Derivatives{
        f[2], (f[0] - 8.0 * f[1] + 8.0 * f[3] - f[4]) / (12.0 * delta),
        (-f[0] + 16.0 * f[1] - 30.0 * f[2] + 16.0 * f[3] - f[4]) / (12.0 * delta * delta)};
}

// One Newton step of every target of one peak from its stencil values (kStencilPoints per
// target, in target order). Returns the largest step taken, in width scales.
double newtonStep(PeakSearch& s, std::span<const double> values)
{
    const double delta = kStencil * s.scale;
    const Derivatives top = differences(values.subspan(0, kStencilPoints), delta);
    if (!(top.d2 < 0.0)) {
        s.valid.fill(false);
        return 0.0;
    }
    const double maxStep = -top.d1 / top.d2;
    s.maximum = top.f - top.d1 * top.d1 / (2.0 * top.d2);
    s.x[kMax] += maxStep;
    double largest = std::fabs(maxStep);
    for (std::size_t t = kLeftHeight; t < kTargets; ++t) {
        if (!s.valid[t]) {
            continue;
        }
        const double level = t <= kRightHeight ? s.height / 2.0 : s.maximum / 2.0;
        const Derivatives d =
            differences(values.subspan(kStencilPoints * t, kStencilPoints), delta);
        const double step = d.d1 != 0.0 ? -(d.f - level) / d.d1 : kNaN;
        s.x[t] += step;
        s.valid[t] = std::isfinite(s.x[t]);
        largest = std::fmax(largest, std::fabs(step));
    }
    return largest / s.scale;
}

std::vector<double> stencils(const std::vector<PeakSearch>& searches)
{
    std::vector<double> energies;
    for (const PeakSearch& s : searches) {
        for (std::size_t t = 0; t < kTargets; ++t) {
            for (int32_t i = -2; i <= 2; ++i) {
                energies.push_back(s.x[t] + i * kStencil * s.scale);
            }
        }
    }
    return energies;
}

void refine(Module1& m, LibraryLoader& loader, std::vector<PeakSearch>& searches)
{
    const std::size_t perPeak = kTargets * kStencilPoints;
    for (int32_t step = 0; step < kMaxNewtonSteps; ++step) {
        const std::vector<double>& c = components(m, loader, stencils(searches));
        const std::size_t n = perPeak * searches.size();
        double largest = 0.0;
        for (std::size_t k = 0; k < searches.size(); ++k) {
            if (searches[k].valid[kMax]) {
                const auto values = std::span(c).subspan(n * k + perPeak * k, perPeak);
                largest = std::fmax(largest, newtonStep(searches[k], values));
            }
        }
        if (largest < kConverged) {
            return;
        }
    }
}

double width(const PeakSearch& s, Target left, Target right)
{
    return s.valid[left] && s.valid[right] ? s.x[right] - s.x[left] : kNaN;
}

}  // namespace

std::vector<PeakFigures> probePeaks(const Module1& module, LibraryLoader& loader,
                                    std::span<const double> parameters,
                                    const ProbeControls& controls)
{
    Module1 m = probeModule(module, parameters, controls);
    const std::vector<double> area = areas(m, loader);
    std::vector<PeakSearch> searches = scan(m, loader);
    refine(m, loader, searches);
    std::vector<PeakFigures> figures(searches.size());
    for (std::size_t k = 0; k < searches.size(); ++k) {
        const PeakSearch& s = searches[k];
        const bool top = s.valid[kMax];
        figures[k] =
            PeakFigures{area[k], width(s, kLeftHeight, kRightHeight), top ? s.maximum : kNaN,
                        top ? s.x[kMax] : kNaN, width(s, kLeftMax, kRightMax)};
    }
    return figures;
}

}  // namespace varnix::app
