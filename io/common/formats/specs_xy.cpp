// SPECS SpecsLab / Prodigy .xy reader. Metadata come as "# Key: value" comment lines, data as
// blank-separated rows after each "# Cycle: c, Curve: k" line. A file holds several regions;
// the one asked for, or else the first on an energy axis, is returned (snapshot regions count an
// index instead), from its cycle 0, curve 0, with separately stored scans summed. Every region is
// listed, in the header and for the caller. Layout and traps: docs/formats.md.
#include "reader_support.h"
#include "spectrum.h"
#include "text.h"

#include <algorithm>
#include <array>

namespace varnix::io {

namespace {

using namespace reader;

constexpr std::string_view kFormat = "SPECS xy";

// Region keys worth showing with the spectrum.
constexpr std::array<std::string_view, 7> kShownKeys = {
    "Acquisition Date", "Analysis Method", "Analyzer Lens", "Scan Mode",
    "Pass Energy",      "Source",          "Comment"};

struct Region {
    std::string_view group, name;
    std::vector<std::pair<std::string_view, std::string_view>> shown;
    std::optional<std::int64_t> declared;  // Values/Curve
    double dwell = kNotStated, photonEnergy = kNotStated, scans = kNotStated;
    Scale startKey = Scale::None;  // which start energy the region names
    bool indexAxis = false;        // a snapshot counts channels, not energies
    std::size_t blocks = 0;        // data blocks seen
    std::size_t rows = 0;          // rows of its first data block
    std::optional<double> firstEnergy{}, lastEnergy{};  // of its first data block

    std::size_t points() const { return declared ? static_cast<std::size_t>(*declared) : rows; }
};

struct FileSettings {
    std::string_view creator;
    std::string_view prefix = "#";
    Scale axis = Scale::None;
    bool rates = false;
    bool separateScans = false;
};

bool yes(std::string_view value)
{
    return iequals(value, "yes");
}

class XyParser {
public:
    XyParser(std::string_view text, RegionNumber wanted) : m_text(text), m_wanted(wanted) {}
    SpectrumData read();

private:
    void comment(std::string_view content);
    void settingOrRegionKey(std::string_view key, std::string_view value);
    void regionKey(Region& region, std::string_view key, std::string_view value);
    void cycleLine(std::string_view value);
    void startBlock(bool firstCurve);
    void decideTaken();
    void dataRow(std::string_view line);
    void addRow(double energy, double value);
    void noteEnergy(std::string_view line);
    Region& current();
    bool binding(const Region& region) const;
    std::vector<RegionSummary> summaries() const;
    void finish();

    std::string_view m_text;
    RegionNumber m_wanted;
    FileSettings m_file;
    std::string_view m_group;
    std::vector<Region> m_regions;
    SpectrumData m_data;
    std::optional<std::size_t> m_chosen;  // index of the region returned
    bool m_inBlock = false;               // data rows may follow
    bool m_firstCurve = false;            // the block is curve 0 of cycle 0
    bool m_takenBlock = false;            // the rows belong to the spectrum returned
    std::size_t m_row = 0;                // row within the current block
    std::size_t m_scanBlocks = 0;         // scans summed into the spectrum
    std::size_t m_summedRows = 0;         // rows added from the second scan on
    bool m_broken = false;                // a row was not two numbers
};

Region& XyParser::current()
{
    if (m_regions.empty()) {
        m_regions.push_back({m_group, "unnamed", {}, {}});
    }
    return m_regions.back();
}

void XyParser::comment(std::string_view content)
{
    // Comment lines between a block's opening line and its rows belong to the block.
    if (m_row > 0) {
        m_inBlock = false;
    }
    const auto pair = splitKey(content, ':');
    if (!pair) {
        // Older SpecsLab files state the scale in a sentence.
        if (icontains(content, "values in binding energy")) {
            m_file.axis = Scale::Binding;
        } else if (icontains(content, "values in kinetic energy")) {
            m_file.axis = Scale::Kinetic;
        }
        return;
    }
    settingOrRegionKey(pair->first, pair->second);
}

void XyParser::settingOrRegionKey(std::string_view key, std::string_view value)
{
    if (key == "Created by") {
        m_file.creator = value;
    } else if (key == "Comment Prefix" && !value.empty()) {
        m_file.prefix = value;
    } else if (key == "Energy Axis") {
        m_file.axis = scaleOfLabel(value);
    } else if (key == "Kinetic Energy Axis") {
        m_file.axis = yes(value) ? Scale::Kinetic : Scale::Binding;
    } else if (key == "Count Rate") {
        m_file.rates = isRateUnit(value);
    } else if (key == "Counts Per Second") {
        m_file.rates = yes(value);
    } else if (key == "Separate Scan Data") {
        m_file.separateScans = yes(value);
    } else if (key == "Group") {
        m_group = value;
    } else if (key == "Region") {
        m_regions.push_back({m_group, value, {}, {}});
    } else if (key == "Cycle") {
        cycleLine(value);
    } else if (!m_regions.empty()) {
        regionKey(m_regions.back(), key, value);
    }
}

void XyParser::regionKey(Region& region, std::string_view key, std::string_view value)
{
    if (key == "Values/Curve") {
        const auto n = parseInt(value);
        region.declared = n && *n >= 0 ? std::optional<std::int64_t>(*n) : std::nullopt;
    } else if (key == "Dwell Time") {
        region.dwell = finiteNumber(value).value_or(kNotStated);
    } else if (key == "Excitation Energy") {
        region.photonEnergy = finiteNumber(value).value_or(kNotStated);
    } else if (key == "Number of Scans") {
        region.scans = finiteNumber(value).value_or(kNotStated);
    } else if (key == "Binding Energy" || key == "Kinetic Energy") {
        region.startKey = scaleOfLabel(key);
    } else if (key == "ColumnLabels") {
        region.indexAxis = istartsWith(value, "index");
        m_file.rates = m_file.rates || isRateUnit(value);
    } else if (std::find(kShownKeys.begin(), kShownKeys.end(), key) != kShownKeys.end()
               && !value.empty()
               && std::none_of(region.shown.begin(), region.shown.end(),
                               [key](const auto& shown) { return shown.first == key; })) {
        region.shown.emplace_back(key, value);
    }
}

// "Cycle: 0" opens a cycle; "Cycle: 0, Curve: 0[, Scan: 2]" opens a block of rows.
void XyParser::cycleLine(std::string_view value)
{
    const std::size_t curveAt = value.find("Curve:");
    if (curveAt == std::string_view::npos) {
        return;
    }
    const auto cycle = parseInt(trimmed(value.substr(0, value.find(','))));
    const std::string_view curve = value.substr(curveAt + 6);
    startBlock(cycle == 0 && parseInt(trimmed(curve.substr(0, curve.find(',')))) == 0);
}

void XyParser::startBlock(bool firstCurve)
{
    ++current().blocks;
    m_inBlock = true;
    m_firstCurve = firstCurve;
    m_row = 0;
}

// Decided at the first row, since the column labels that mark a snapshot come after the
// block's opening line. Later cycles repeat the measurement under other loop parameters;
// only cycle 0 is read.
void XyParser::decideTaken()
{
    const bool chosen = m_chosen && *m_chosen + 1 == m_regions.size();
    const bool wanted = !m_wanted || *m_wanted == m_regions.size();
    m_takenBlock =
        m_firstCurve && ((!m_chosen && wanted && !current().indexAxis) || (chosen && !m_broken));
    if (m_takenBlock) {
        m_chosen = m_regions.size() - 1;
        ++m_scanBlocks;
    }
}

void XyParser::dataRow(std::string_view line)
{
    // Files without metadata separate their spectra by blank lines only.
    if (!m_inBlock) {
        if (m_regions.empty() || m_regions.back().blocks > 0) {
            m_regions.push_back({m_group, "unnamed", {}, {}});
        }
        startBlock(true);
    }
    if (m_row == 0) {
        decideTaken();
    }
    Region& region = current();
    if (region.blocks == 1) {
        region.rows = m_row + 1;
        noteEnergy(line);
    }
    if (m_takenBlock) {
        const auto fields = splitFields(line);
        const auto energy = fields.size() >= 2 ? finiteNumber(fields[0]) : std::nullopt;
        const auto value = fields.size() >= 2 ? finiteNumber(fields[1]) : std::nullopt;
        if (!energy || !value) {
            m_broken = true;
            m_takenBlock = false;
        } else {
            addRow(*energy, *value);
        }
    }
    ++m_row;
}

// The first and last energies of a region's first block, for the list of regions.
void XyParser::noteEnergy(std::string_view line)
{
    Region& region = current();
    const auto fields = splitFields(line);
    const auto energy = fields.empty() ? std::nullopt : finiteNumber(fields[0]);
    if (m_row == 0) {
        region.firstEnergy = energy;
    }
    if (energy) {
        region.lastEnergy = energy;
    }
}

// The file's axis decides; without it the region's start key, then the direction of its rows.
bool XyParser::binding(const Region& region) const
{
    const Scale scale = m_file.axis != Scale::None ? m_file.axis : region.startKey;
    return scale == Scale::Binding ||
           (scale == Scale::None && region.firstEnergy && region.lastEnergy &&
            *region.lastEnergy < *region.firstEnergy);
}

std::vector<RegionSummary> XyParser::summaries() const
{
    std::vector<RegionSummary> listed;
    for (const Region& region : m_regions) {
        RegionSummary summary;
        summary.name = region.name;
        summary.points = region.points();
        summary.scale =
            region.indexAxis ? Scale::None : (binding(region) ? Scale::Binding : Scale::Kinetic);
        summary.firstEnergy = region.firstEnergy;
        summary.lastEnergy = region.lastEnergy;
        if (isStated(region.photonEnergy) && region.photonEnergy > 0.0) {
            summary.photonEnergy = region.photonEnergy;
        }
        listed.push_back(std::move(summary));
    }
    return listed;
}

void XyParser::addRow(double energy, double value)
{
    if (m_scanBlocks == 1) {
        m_data.energies.push_back(energy);
        m_data.counts.push_back(value);
    } else if (m_row < m_data.counts.size()) {
        m_data.counts[m_row] += value;
        ++m_summedRows;
    } else {
        m_broken = true;  // a later scan with more rows than the first
    }
}

void XyParser::finish()
{
    const Region& region = m_regions[*m_chosen];
    m_data.addHeader("Read as SPECS xy (" + std::string(m_file.creator) + "), region "
                     + std::to_string(*m_chosen + 1) + " of " + std::to_string(m_regions.size()));
    if (!region.group.empty()) {
        m_data.addHeader("Group: " + std::string(region.group));
    }
    for (std::size_t i = 0; i < m_regions.size(); ++i) {
        m_data.addHeader(listLine("Region", i, m_regions.size(), m_regions[i].name,
                                  m_regions[i].points(), !m_regions[i].indexAxis, i == *m_chosen));
    }
    for (const auto& [key, value] : region.shown) {
        m_data.addHeader(std::string(key) + ": " + std::string(value));
    }
    const std::size_t declared = region.points();
    // A later scan with fewer rows would leave some points with fewer scans than others.
    m_broken = m_broken || m_summedRows != (m_scanBlocks - 1) * m_data.counts.size();
    if (m_broken || m_data.energies.size() != declared) {
        m_data.status = kReadDataError;
        m_data.addHeader("The data hold " + std::to_string(m_data.energies.size())
                         + " readable rows; Values/Curve says " + std::to_string(declared));
        m_data.energies.resize(std::min(declared, m_data.energies.size()));
        m_data.counts.resize(m_data.energies.size());
    }
    // Separately stored scans were summed, so each already holds its own scan's counts.
    const double scans = m_scanBlocks > 1 ? 1.0 : region.scans;
    if (m_scanBlocks > 1) {
        m_data.addHeader("Sum of " + std::to_string(m_scanBlocks) + " separately stored scans");
    }
    if (m_file.rates) {
        convertRates(m_data, "counts/s", region.dwell, scans);
    }
}

SpectrumData XyParser::read()
{
    LineCursor lines(m_text);
    while (const auto raw = lines.next()) {
        const std::string_view line = trimmed(*raw);
        if (line.empty()) {
            m_inBlock = false;
        } else if (line.starts_with(m_file.prefix) || line.starts_with('#')) {
            comment(
                trimmed(line.substr(line.starts_with(m_file.prefix) ? m_file.prefix.size() : 1)));
        } else {
            dataRow(line);
        }
    }
    if (!m_chosen) {
        const std::string why =
            m_wanted ? whyNotReadable("region", summaries(), m_regions.size(), *m_wanted)
                     : "no region holds an energy spectrum";
        return listedFailure(kFormat, why, summaries());
    }
    const Region& region = m_regions[*m_chosen];
    m_data.binding = binding(region);
    statePhotonEnergy(m_data, region.photonEnergy);
    finish();
    keepFinitePoints(m_data);
    m_data.regions = summaries();
    m_data.region = *m_chosen + 1;
    return std::move(m_data);
}

}  // namespace

SpectrumData parseSpecsXy(std::string_view text, RegionNumber region)
{
    return XyParser(text, region).read();
}

}  // namespace varnix::io
