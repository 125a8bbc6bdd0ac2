#include "fundsg.h"

#include "funp.h"
#include "parallel.h"

#include <cassert>

namespace varnix::engine {

void IntegrationCount::add(const SimpsonIntegral& integral)
{
    if (integral.wanted) {
        ++integrals;
        evaluations += integral.evaluations;
    }
}

IntegrationCount& IntegrationCount::operator+=(const IntegrationCount& other)
{
    integrals += other.integrals;
    evaluations += other.evaluations;
    return *this;
}

PeakShape peakShape(std::span<const double> parameters, std::size_t peak)
{
    const std::size_t first = kPeakParameters * peak;
    return PeakShape{parameters[first + kPos], parameters[first + kHeight],
                     parameters[first + kLfwhm], parameters[first + kAlpha],
                     parameters[first + kGfwhm]};
}

namespace {

bool varies(const ModelSetup& setup, std::size_t parameter)
{
    return setup.links.state[parameter] != kLinkFixed;
}

// Chooses the integrals of peak k: the line always, the derivative integrals of every
// parameter that is not fixed when derivatives are wanted.
PeakIntegrals wantedIntegrals(const ModelSetup& setup, std::size_t k, bool derivatives,
                              bool withPosition)
{
    const std::size_t first = kPeakParameters * k;
    PeakIntegrals integrals{};
    integrals[kFunk].wanted = true;
    integrals[kFunc1].wanted = derivatives && withPosition && varies(setup, first + kPos);
    integrals[kFunc3].wanted = derivatives && varies(setup, first + kLfwhm);
    integrals[kFunc4].wanted = derivatives && varies(setup, first + kAlpha);
    integrals[kFunc5].wanted = derivatives && varies(setup, first + kGfwhm);
    return integrals;
}

double wantedValue(const SimpsonIntegral& integral)
{
    return integral.wanted ? integral.value : 0.0;
}

// DERDSG0: N′ of the three shape parameters of peak k; N depends on neither Pos nor Height.
void DERDSG0(std::size_t k, const PeakIntegrals& integrals, std::span<double> derivative)
{
    const std::size_t first = kPeakParameters * k;
    derivative[first + kPos] = 0.0;
    derivative[first + kHeight] = 0.0;
    derivative[first + kLfwhm] = wantedValue(integrals[kFunc3]);
    derivative[first + kAlpha] = wantedValue(integrals[kFunc4]);
    derivative[first + kGfwhm] = wantedValue(integrals[kFunc5]);
}

// DERDSG: derivatives of peak k's contribution y at the current point. The LFWHM, Alpha and
// GFWHM derivatives take the quotient rule over the normalisation; fixed parameters get 0.
void DERDSG(const ModelSetup& setup, std::size_t k, double height, double y,
            const PeakIntegrals& integrals, const Normalisation& norm, std::span<double> d)
{
    const std::size_t first = kPeakParameters * k;
    const double n = norm.n[k];
    const std::span<const double> dn(norm.derivative);
    d[first + kPos] = height * wantedValue(integrals[kFunc1]) / n;
    d[first + kHeight] = integrals[kFunk].value / n;
    d[first + kLfwhm] = (height * wantedValue(integrals[kFunc3]) - y * dn[first + kLfwhm]) / n;
    d[first + kAlpha] = (height * wantedValue(integrals[kFunc4]) - y * dn[first + kAlpha]) / n;
    d[first + kGfwhm] = (height * wantedValue(integrals[kFunc5]) - y * dn[first + kGfwhm]) / n;
    for (std::size_t slot = 0; slot < kPeakParameters; ++slot) {
        if (!varies(setup, first + slot)) {
            d[first + slot] = 0.0;
        }
    }
}

// The integrands of every peak, built once per thread and call: they carry the Gaussian
// tables that all points of the thread share.
std::vector<PeakIntegrands> makeIntegrands(const ModelSetup& setup,
                                           std::span<const double> parameters)
{
    std::vector<PeakIntegrands> integrands;
    integrands.reserve(static_cast<std::size_t>(setup.nds));
    for (std::size_t k = 0; k < static_cast<std::size_t>(setup.nds); ++k) {
        integrands.emplace_back(peakShape(parameters, k), setup.range);
    }
    return integrands;
}

// Model, components and Jacobian column of data point i.
void evaluatePoint(const ModelSetup& setup, std::span<const double> parameters,
                   const Normalisation& norm, bool derivatives,
                   std::span<PeakIntegrands> integrands, std::size_t i, const ModelOutput& out,
                   std::span<double> d, IntegrationCount& count)
{
    const std::size_t np = setup.energies.size();
    const double energy = setup.energies[i];
    double model = 0.0;
    for (std::size_t k = 0; k < integrands.size(); ++k) {
        PeakIntegrals integrals = wantedIntegrals(setup, k, derivatives, true);
        integrands[k].integrate(energy, setup.simpson, integrals);
        const double height = integrands[k].peak().height;
        // Height·(I/N) rather than (Height·I)/N: at E = Pos, I and N are the same integral and
        // the peak is then exactly its Height.
        const double y = height * (integrals[kFunk].value / norm.n[k]);
        out.components[k * np + i] = y;
        model += y;
        if (derivatives) {
            DERDSG(setup, k, height, y, integrals, norm, d);
        }
        for (const SimpsonIntegral& integral : integrals) {
            count.add(integral);
        }
    }
    if (setup.nbg >= 1) {
        const std::size_t first = kPeakParameters * integrands.size();
        const auto nbg = static_cast<std::size_t>(setup.nbg);
        const double reference = setup.energies[np - 1];
        const double background = FUNP(parameters.subspan(first, nbg), energy, reference);
        model += background;
        out.components[(static_cast<std::size_t>(setup.ncomp) - 1) * np + i] = background;
        if (derivatives) {
            DERP(setup.links.state.subspan(first, nbg), energy, reference, d.subspan(first, nbg));
        }
    }
    out.model[i] = model;
    if (derivatives) {
        const auto nfree = static_cast<std::size_t>(setup.nfree);
        DERCORR(out.jacobian.subspan(i * nfree, nfree), d, setup.freeIndex, setup.links);
    }
}

}  // namespace

Normalisation FUNDSG0(const ModelSetup& setup, std::span<const double> parameters,
                      bool derivatives, IntegrationCount& count)
{
    const auto nds = static_cast<std::size_t>(setup.nds);
    Normalisation norm;
    norm.n.assign(nds, 0.0);
    norm.derivative.assign(parameters.size(), 0.0);
    for (std::size_t k = 0; k < nds; ++k) {
        PeakIntegrands integrands(peakShape(parameters, k), setup.range);
        PeakIntegrals integrals = wantedIntegrals(setup, k, derivatives, false);
        // The window centred on the peak's own position: the same integral as Pos = E0 = 0.
        integrands.integrate(integrands.peak().pos, setup.simpson, integrals);
        norm.n[k] = integrals[kFunk].value;
        if (derivatives) {
            DERDSG0(k, integrals, norm.derivative);
        }
        for (const SimpsonIntegral& integral : integrals) {
            count.add(integral);
        }
    }
    return norm;
}

void FUNDSG(const ModelSetup& setup, std::span<const double> parameters, const Normalisation& norm,
            bool derivatives, const ModelOutput& out, IntegrationCount& count)
{
    const std::size_t np = setup.energies.size();
    assert(out.model.size() == np);
    assert(out.components.size() == np * static_cast<std::size_t>(setup.ncomp));
    std::vector<IntegrationCount> counts(maxChunks());
    parallelChunks(np, [&](std::size_t chunk, std::size_t begin, std::size_t end) {
        std::vector<PeakIntegrands> integrands = makeIntegrands(setup, parameters);
        std::vector<double> d(parameters.size(), 0.0);
        for (std::size_t i = begin; i < end; ++i) {
            evaluatePoint(setup, parameters, norm, derivatives, integrands, i, out, d,
                          counts[chunk]);
        }
    });
    for (const IntegrationCount& c : counts) {
        count += c;
    }
}

}  // namespace varnix::engine
