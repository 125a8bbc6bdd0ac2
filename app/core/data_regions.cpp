#include "core/data_regions.h"

#include "core/data_commands.h"
#include "core/data_file_choice.h"
#include "core/number_format.h"

#include <algorithm>
#include <cstddef>

namespace varnix::app {

namespace {

// Energies are shown to 0.1 meV: enough for any step an analyser takes, and a start plus
// n steps shows as the round number it is meant to be.
std::string energyText(double value)
{
    std::string text = formatNumber(value, "0.0000");
    text.erase(text.find_last_not_of('0') + 1);
    if (text.ends_with('.')) {
        text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

std::string rangeText(double first, double last)
{
    return energyText(first) + " \u2192 " + energyText(last);
}

// Only an energy axis: the column is in eV, and an etch time or channel index is not.
std::string energyRange(const io::RegionSummary& region)
{
    if (!region.firstEnergy || !region.lastEnergy || region.scale == io::EnergyScale::None) {
        return "";
    }
    std::string text = rangeText(*region.firstEnergy, *region.lastEnergy);
    // Core levels are known by their binding energies; a kinetic axis says them too.
    if (region.scale == io::EnergyScale::Kinetic && region.photonEnergy) {
        const double hv = *region.photonEnergy;
        text += " (BE " + rangeText(hv - *region.firstEnergy, hv - *region.lastEnergy) + ")";
    }
    return text;
}

std::string scaleText(io::EnergyScale scale)
{
    switch (scale) {
        case io::EnergyScale::Binding:
            return "binding";
        case io::EnergyScale::Kinetic:
            return "kinetic";
        case io::EnergyScale::None:
            break;
    }
    return "not an energy axis";
}

// The region `name` names when it is one of `file` that can be read; 0 otherwise.
int32_t regionOfFile(const Module1& module, const std::string& name, const std::string& file,
                     const std::vector<io::RegionSummary>& regions)
{
    const io::RegionName named = splitDataName(module, name);
    const bool same =
        named.region && resolvedName(module, named.file) == resolvedName(module, file);
    if (!same || *named.region > regions.size() || !regions[*named.region - 1].readable()) {
        return 0;
    }
    return static_cast<int32_t>(*named.region);
}

// The region of the spectrum shown, or else of the one opened last, when it is from `file`;
// otherwise the first that can be read.
int32_t proposedRegion(const Module1& module, const std::string& file,
                       const std::vector<io::RegionSummary>& regions)
{
    const int32_t shown =
        module.dataLoaded ? regionOfFile(module, module.spectrum.fileName, file, regions) : 0;
    if (shown != 0) {
        return shown;
    }
    const auto last =
        module.startDirectory.empty() ? std::nullopt : lastDataName(module.startDirectory);
    if (const int32_t remembered = last ? regionOfFile(module, *last, file, regions) : 0) {
        return remembered;
    }
    const auto first = std::find_if(regions.begin(), regions.end(),
                                    [](const io::RegionSummary& r) { return r.readable(); });
    return first == regions.end() ? 0 : static_cast<int32_t>(first - regions.begin() + 1);
}

}  // namespace

io::RegionName splitDataName(const Module1& module, const std::string& name)
{
    const io::RegionName resolved = io::splitRegionName(resolvedName(module, name));
    if (!resolved.region) {
        return {name, std::nullopt};
    }
    const std::size_t suffix = std::to_string(*resolved.region).size() + 1;
    return {name.substr(0, name.size() - suffix), resolved.region};
}

std::vector<RegionRow> regionRows(const std::vector<io::RegionSummary>& regions)
{
    std::vector<RegionRow> rows;
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const io::RegionSummary& r = regions[i];
        RegionRow row;
        row.number = static_cast<int32_t>(i + 1);
        row.name = r.name;
        row.energyRange = energyRange(r);
        row.scale = scaleText(r.scale);
        row.points = std::to_string(r.points);
        row.photonEnergy = r.photonEnergy ? energyText(*r.photonEnergy) : "not stated";
        row.selectable = r.readable();
        rows.push_back(std::move(row));
    }
    return rows;
}

std::optional<std::string> chooseDataRegion(const Module1& module, Dialogs& dialogs,
                                            const std::string& chosen)
{
    if (splitDataName(module, chosen).region) {
        return chosen;
    }
    const std::vector<io::RegionSummary> regions = io::listRegions(resolvedName(module, chosen));
    if (regions.size() <= 1) {
        return chosen;
    }
    const RegionRequest request{chosen, regionRows(regions),
                                proposedRegion(module, chosen, regions)};
    const std::optional<int32_t> number = dialogs.chooseRegion(request);
    if (!number) {
        return std::nullopt;
    }
    return io::regionName(chosen, static_cast<std::size_t>(*number));
}

std::optional<std::string> regionProblem(const Module1& module, const std::string& name)
{
    const io::RegionName named = splitDataName(module, name);
    if (!named.region) {
        return std::nullopt;
    }
    const std::vector<io::RegionSummary> regions =
        io::listRegions(resolvedName(module, named.file));
    const std::size_t n = *named.region;
    if (regions.empty() || (n <= regions.size() && regions[n - 1].readable())) {
        return std::nullopt;
    }
    std::string text = named.file + ": region " + std::to_string(n);
    if (n > regions.size()) {
        text += " does not exist - the file holds " + std::to_string(regions.size()) +
                (regions.size() == 1 ? " spectrum" : " spectra");
    } else {
        const io::RegionSummary& region = regions[n - 1];
        text += " (" + region.name + ")" +
                (region.scale == io::EnergyScale::None ? " is not on an energy axis"
                                                       : " holds no points");
    }
    return text + " - open the file with Open > Data to choose another";
}

std::string dataBaseName(const Module1& module)
{
    const io::RegionName named = splitDataName(module, module.spectrum.fileName);
    std::string base = SplitPath(named.file).baseName;
    if (named.region) {
        base.append("#").append(std::to_string(*named.region));
    }
    return base;
}

}  // namespace varnix::app
