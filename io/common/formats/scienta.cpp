// Scienta SES text export reader (.txt, .sci). The file is INI-like: "[Region n]" gives the
// axis, "[Info n]" the acquisition, "[Data n]" the rows. Sections end at the next "[...]"
// line, not at a blank line, because real files run "[Run Mode Information n]" straight on
// from the last info line. The region asked for, or else the first on an energy axis, is
// returned; slices of an angle-resolved region are summed. Every region is listed, in the header
// and for the caller. Layout and traps: docs/formats.md.
#include "reader_support.h"
#include "spectrum.h"
#include "text.h"

#include <algorithm>
#include <array>
#include <map>

namespace varnix::io {

namespace {

using namespace reader;

constexpr std::string_view kFormat = "Scienta";

constexpr std::array<std::string_view, 10> kShownKeys = {
    "Sample",   "Instrument",       "Lens Mode",       "Pass Energy", "Number of Sweeps",
    "Comments", "Acquisition Mode", "Aquisition Mode", "Date",        "Time"};

struct Region {
    std::string_view number;  // n of the section names
    std::string_view name, axis;
    std::optional<std::int64_t> size;  // Dimension 1 size
    Scale infoScale = Scale::None;
    double photonEnergy = kNotStated;
    std::vector<std::pair<std::string_view, std::string_view>> shown;
    std::vector<double> energies, counts;
    std::size_t columns = 0;  // intensity columns, one per slice of a second dimension
    bool broken = false;      // a row that is not numbers, or a ragged row

    // The axis name decides; "Energy Scale" only speaks when the axis name does not. The
    // "Energy Unit" key names the scale of Low/High Energy, not of the data, so it is ignored.
    Scale scale() const
    {
        if (istartsWith(axis, "Binding")) {
            return Scale::Binding;
        }
        return istartsWith(axis, "Kinetic") ? Scale::Kinetic : infoScale;
    }
    std::size_t points() const { return size ? static_cast<std::size_t>(*size) : energies.size(); }
};

enum class Section { Other, Region, Info, Data };

RegionSummary summaryOf(const Region& region)
{
    RegionSummary summary;
    summary.name = region.name;
    // A region without rows has nothing to read, whatever its size says.
    summary.points = region.energies.empty() ? 0 : region.points();
    summary.scale = region.scale();
    if (!region.energies.empty()) {
        summary.firstEnergy = region.energies.front();
        summary.lastEnergy = region.energies.back();
    }
    if (isStated(region.photonEnergy) && region.photonEnergy > 0.0) {
        summary.photonEnergy = region.photonEnergy;
    }
    return summary;
}

class ScientaParser {
public:
    ScientaParser(std::string_view text, RegionNumber wanted) : m_text(text), m_wanted(wanted) {}
    SpectrumData read();

private:
    void openSection(std::string_view name);
    void keyValue(std::string_view key, std::string_view value);
    void dataRow(std::string_view line);
    Region& region(std::string_view number);
    std::optional<std::size_t> chosen() const;
    SpectrumData result(std::size_t chosen);

    std::string_view m_text;
    RegionNumber m_wanted;
    std::vector<RegionSummary> m_listed;
    std::string_view m_version;
    std::vector<Region> m_regions;
    std::map<std::string_view, std::size_t> m_index;  // section number → region
    Section m_section = Section::Other;
    Region* m_current = nullptr;
    bool m_rowsEnded = false;  // a blank line after rows ends the data
};

Region& ScientaParser::region(std::string_view number)
{
    // A map, not a search: a damaged file may name a million sections.
    const auto [at, added] = m_index.try_emplace(number, m_regions.size());
    if (added) {
        m_regions.push_back({});
        m_regions.back().number = number;
    }
    return m_regions[at->second];
}

void ScientaParser::openSection(std::string_view name)
{
    static constexpr std::array<std::pair<std::string_view, Section>, 3> kKinds = {
        {{"Region ", Section::Region}, {"Info ", Section::Info}, {"Data ", Section::Data}}};
    m_section = Section::Other;
    m_current = nullptr;
    m_rowsEnded = false;
    for (const auto& [prefix, kind] : kKinds) {
        if (name.starts_with(prefix)) {
            m_section = kind;
            m_current = &region(trimmed(name.substr(prefix.size())));
        }
    }
}

void ScientaParser::keyValue(std::string_view key, std::string_view value)
{
    if (m_current == nullptr) {
        m_version = key == "Version" ? value : m_version;
        return;
    }
    Region& r = *m_current;
    if (key == "Region Name") {
        r.name = value;
    } else if (key == "Dimension 1 name") {
        r.axis = value;
    } else if (key == "Dimension 1 size") {
        const auto n = parseInt(value);
        r.size = n && *n >= 0 ? std::optional<std::int64_t>(*n) : std::nullopt;
    } else if (key == "Excitation Energy") {
        r.photonEnergy = finiteNumber(value).value_or(kNotStated);
    } else if (key == "Energy Scale") {
        r.infoScale = scaleOfLabel(value);
    } else if (std::find(kShownKeys.begin(), kShownKeys.end(), key) != kShownKeys.end()
               && !value.empty() && r.shown.size() < kShownKeys.size()) {
        r.shown.emplace_back(key, value);
    }
}

void ScientaParser::dataRow(std::string_view line)
{
    Region& r = *m_current;
    const auto fields = splitFields(line);
    const auto energy = fields.empty() ? std::nullopt : finiteNumber(fields[0]);
    if (!energy || fields.size() < 2 || (r.columns != 0 && fields.size() - 1 != r.columns)) {
        r.broken = true;
        m_rowsEnded = true;
        return;
    }
    double sum = 0.0;
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const auto value = finiteNumber(fields[i]);
        if (!value) {
            r.broken = true;
            m_rowsEnded = true;
            return;
        }
        sum += *value;
    }
    r.columns = fields.size() - 1;
    r.energies.push_back(*energy);
    r.counts.push_back(sum);
}

SpectrumData ScientaParser::result(std::size_t chosen)
{
    Region& r = m_regions[chosen];
    const std::size_t declared = r.points();
    SpectrumData data;
    data.energies = std::move(r.energies);
    data.counts = std::move(r.counts);
    data.binding = r.scale() == Scale::Binding;
    statePhotonEnergy(data, r.photonEnergy);
    data.addHeader("Read as Scienta SES text (version " + std::string(m_version) + "), region "
                   + std::to_string(chosen + 1) + " of " + std::to_string(m_regions.size()));
    for (std::size_t i = 0; i < m_regions.size(); ++i) {
        const Region& listed = m_regions[i];
        const std::size_t points = i == chosen ? declared : listed.points();
        data.addHeader(listLine("Region", i, m_regions.size(), listed.name, points,
                                listed.scale() != Scale::None, i == chosen));
    }
    for (const auto& [key, value] : r.shown) {
        data.addHeader(std::string(key) + ": " + std::string(value));
    }
    if (r.broken || data.energies.size() != declared) {
        data.status = kReadDataError;
        data.addHeader("The data hold " + std::to_string(data.energies.size())
                       + " readable rows; Dimension 1 size says " + std::to_string(declared));
        data.energies.resize(std::min(data.energies.size(), declared));
        data.counts.resize(data.energies.size());
    }
    if (r.columns > 1) {
        data.addHeader("Sum of " + std::to_string(r.columns) + " slices");
    }
    data.addHeader("Intensities kept as exported: not raw counts, no known conversion");
    keepFinitePoints(data);
    data.regions = std::move(m_listed);
    data.region = chosen + 1;
    return data;
}

// A region with rows on an energy axis: the one asked for, or else the first.
std::optional<std::size_t> ScientaParser::chosen() const
{
    for (std::size_t i = 0; i < m_regions.size(); ++i) {
        const bool wanted = !m_wanted || *m_wanted == i + 1;
        if (wanted && m_regions[i].scale() != Scale::None && !m_regions[i].energies.empty()) {
            return i;
        }
    }
    return std::nullopt;
}

SpectrumData ScientaParser::read()
{
    LineCursor lines(m_text);
    while (const auto raw = lines.next()) {
        const std::string_view line = trimmed(*raw);
        if (line.starts_with('[') && line.ends_with(']')) {
            openSection(line.substr(1, line.size() - 2));
        } else if (m_section == Section::Data) {
            if (!line.empty() && !m_rowsEnded) {
                dataRow(line);
            }
            m_rowsEnded = m_rowsEnded || (line.empty() && !m_current->energies.empty());
        } else if (const auto pair = splitKey(line, '=')) {
            keyValue(pair->first, pair->second);
        }
    }
    for (const Region& r : m_regions) {
        m_listed.push_back(summaryOf(r));
    }
    if (const auto i = chosen()) {
        return result(*i);
    }
    const std::string why = m_wanted
                                ? whyNotReadable("region", m_listed, m_listed.size(), *m_wanted)
                                : "no region holds rows on an energy axis";
    return listedFailure(kFormat, why, std::move(m_listed));
}

}  // namespace

SpectrumData parseScienta(std::string_view text, RegionNumber region)
{
    return ScientaParser(text, region).read();
}

}  // namespace varnix::io
