#include "core/fit/init_par.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace varnix::app {

namespace {

constexpr std::string_view kEditHint = "  - need to edit configuration data";

std::size_t count(int32_t value)
{
    return static_cast<std::size_t>(value);
}

std::string refusal(std::string name, std::string_view fault)
{
    return name.append(fault).append(kEditHint);
}

// Written as "not inside the range" so that a NaN is refused too.
bool withinRange(double value, bool zeroAllowed)
{
    const bool aboveLower = zeroAllowed ? value >= 0.0 : value > 0.0;
    return aboveLower && value <= kMaxParameterValue;
}

std::optional<std::string> zeroFactor(const Configuration& configuration, std::size_t peakParameters)
{
    for (std::size_t i = 0; i < peakParameters; ++i) {
        const ParameterLink& link = configuration.links[i];
        if (link.kind == kLinkKindMultiplied && link.value == 0.0) {
            // One blank before the dash here, two after a parameter's name.
            return std::string(
                "Correlated parameter value is zero - need to edit configuration data");
        }
    }
    return std::nullopt;
}

std::optional<std::string> badPeakValue(double value, std::size_t index, int32_t nds)
{
    const auto name = [&] { return parameterName(nds, static_cast<int32_t>(index)); };
    const bool alpha = index % count(kParametersPerPeak) == count(kAlphaSlot);
    if (!withinRange(value, alpha)) {
        return refusal(name(), " is negative or zero");
    }
    if (alpha && value >= 1.0) {
        return refusal(name(), " must be less than 1");
    }
    return std::nullopt;
}

void appendParameter(EngineParameters& engine, double value, const ParameterLink& link)
{
    engine.p.push_back(value);
    engine.varied.push_back(link.state);
    engine.partner.push_back(link.partner);
    engine.factor.push_back(link.value);
    engine.linkKind.push_back(link.kind);
    engine.nfree += link.state == kLinkVaried ? 1 : 0;
}

void requireArrays(const Configuration& configuration)
{
    const bool countsValid = configuration.nds >= 0 && configuration.nbg >= 0
                             && configuration.nbg <= kMaxBackgroundCoefficients;
    if (!countsValid
        || configuration.p.size() < count(kParametersPerPeak) * count(configuration.nds)
        || configuration.links.size() < count(kParametersPerPeak) * count(configuration.nds)) {
        throw std::invalid_argument("InitPar: configuration arrays shorter than its counts");
    }
}

// The engine arrays, or the message of the first fault.
std::optional<std::string> prepare(const Configuration& configuration, EngineParameters& engine)
{
    const std::size_t peakParameters = count(kParametersPerPeak) * count(configuration.nds);
    if (std::optional<std::string> fault = zeroFactor(configuration, peakParameters)) {
        return fault;
    }
    for (std::size_t i = 0; i < peakParameters; ++i) {
        if (std::optional<std::string> fault =
                badPeakValue(configuration.p[i], i, configuration.nds)) {
            return fault;
        }
        appendParameter(engine, configuration.p[i], configuration.links[i]);
    }
    for (std::size_t k = 0; k < count(configuration.nbg); ++k) {
        const auto own = static_cast<int32_t>(peakParameters + k);
        appendParameter(engine, configuration.a[k],
                        ParameterLink{kLinkVaried, own, 1.0, kLinkKindNone});
    }
    if (configuration.nbg >= 1 && !withinRange(configuration.a[0], true)) {
        return refusal(parameterName(configuration.nds, static_cast<int32_t>(peakParameters)),
                       " is negative or zero");
    }
    return std::nullopt;
}

}  // namespace

int16_t InitPar(Module1& module, Dialogs& dialogs)
{
    requireArrays(module.configuration);
    EngineParameters engine;
    if (std::optional<std::string> fault = prepare(module.configuration, engine)) {
        dialogs.message(*fault);
        return kInitParRefused;
    }
    module.engine = std::move(engine);
    return kInitParReady;
}

}  // namespace varnix::app
