#include "core/session/module1.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace varnix::app {

namespace {

// Links of parameters from `first` on become "no link", each its own partner.
void clearLinks(std::vector<ParameterLink>& links, std::size_t first)
{
    for (std::size_t j = first; j < links.size(); ++j) {
        links[j] = ParameterLink{kLinkVaried, static_cast<int32_t>(j), 0.0, kLinkKindNone};
    }
}

}  // namespace

void ResizeConfiguration(Module1& module)
{
    Configuration& c = module.configuration;
    if (c.nds < 0 || c.nbg < 0 || c.nbg > kMaxBackgroundCoefficients) {
        throw std::invalid_argument("ResizeConfiguration: NDS or NBG out of range");
    }
    const int32_t peakParameters = kParametersPerPeak * c.nds;
    c.npar = peakParameters + c.nbg;
    c.ncomp = c.nds + (c.nbg > 0 ? 1 : 0);

    const auto peakCount = static_cast<std::size_t>(peakParameters);
    const std::size_t oldPeakCount = std::min(c.links.size(), c.p.size());
    c.p.resize(peakCount, 0.0);
    c.names.resize(static_cast<std::size_t>(c.npar));
    c.links.resize(static_cast<std::size_t>(c.npar));
    clearLinks(c.links, std::min(oldPeakCount, peakCount));
    for (std::size_t j = 0; j < std::min(oldPeakCount, peakCount); ++j) {
        ParameterLink& link = c.links[j];
        if (link.partner < 0 || link.partner >= peakParameters) {
            link = ParameterLink{kLinkVaried, static_cast<int32_t>(j), 0.0, kLinkKindNone};
        }
    }

    module.markerPosition.assign(static_cast<std::size_t>(c.nds), 0.0);
    module.markerHeight.assign(static_cast<std::size_t>(c.nds), 0.0);
}

void discardFit(FitResults& results)
{
    std::vector<double> components = std::move(results.components);
    results = FitResults{};
    results.components = std::move(components);
}

void MakeParameterNames(Configuration& configuration)
{
    std::vector<std::string> names;
    const int32_t count = kParametersPerPeak * configuration.nds + configuration.nbg;
    for (int32_t index = 0; index < count; ++index) {
        names.push_back(parameterName(configuration.nds, index));
    }
    configuration.names = std::move(names);
}

std::string parameterName(int32_t nds, int32_t index)
{
    const int32_t peakParameters = kParametersPerPeak * nds;
    if (index >= peakParameters) {
        return std::string(kParameterKindNames[5]).append(std::to_string(index - peakParameters));
    }
    const auto kind = static_cast<std::size_t>(index % kParametersPerPeak);
    return std::string(kParameterKindNames[kind])
        .append(std::to_string(index / kParametersPerPeak + 1));
}

PathParts SplitPath(std::string_view fullName)
{
    PathParts parts;
    const std::size_t separator = fullName.find_last_of("/\\");
    if (separator != std::string_view::npos) {
        parts.directory = fullName.substr(0, separator);
    }
    parts.fileName = fullName.substr(separator == std::string_view::npos ? 0 : separator + 1);
    parts.baseName = parts.fileName.substr(0, parts.fileName.find('.'));
    return parts;
}

}  // namespace varnix::app
