// CasaXPS "export to text" reader: per exported VAMAS block a title line, a line with the
// characteristic (photon) energy and acquisition time, five lines of fitted components, a
// TAB-separated column header starting "K.E." and the rows. The next block's title follows
// the last row directly, so a row whose first field is no number starts a new block. The
// file carries both scales; the kinetic energies and raw counts of the block asked for (the
// first without a number) are returned, and every block is listed. Layout and example:
// docs/formats.md.
#include "reader_support.h"
#include "spectrum.h"
#include "text.h"

#include <algorithm>

namespace varnix::io {

namespace {

using namespace reader;

constexpr std::string_view kFormat = "CasaXPS text";

// Fields between single TABs: an empty field is a column of its own here.
std::vector<std::string_view> tabFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(trimmed(line.substr(start, tab - std::min(tab, start))));
        if (tab == std::string_view::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

// The number in the field after `label`, or "not stated".
double valueAfter(const std::vector<std::string_view>& fields, std::string_view label)
{
    const auto at = std::find_if(fields.begin(), fields.end(),
                                 [label](std::string_view f) { return f.starts_with(label); });
    return at != fields.end() && at + 1 != fields.end()
               ? finiteNumber(*(at + 1)).value_or(kNotStated)
               : kNotStated;
}

struct Block {
    std::string_view title;
    double photonEnergy = kNotStated, acquisitionTime = kNotStated;
    std::vector<std::string_view> components;
    std::size_t rows = 0;
    std::optional<double> firstEnergy, lastEnergy;
};

class CasaParser {
public:
    CasaParser(std::string_view text, RegionNumber wanted)
        : m_lines(text), m_wanted(wanted.value_or(1))
    {
    }
    SpectrumData read();

private:
    std::optional<std::string_view> readBlockHead(std::string_view title);
    std::optional<std::string_view> readRows(std::size_t energyColumn, std::size_t countColumn);
    std::vector<RegionSummary> summaries() const;
    void describe(SpectrumData& data) const;

    LineCursor m_lines;
    std::size_t m_wanted;  // 1-based number of the block returned
    std::vector<Block> m_blocks;
    SpectrumData m_data;
    std::size_t m_damagedBlock = 0;  // 1-based; 0 while the export reads cleanly
};

// Reads a block from its title to its column header and on through its rows; gives the line
// after the rows (the next title), if any.
std::optional<std::string_view> CasaParser::readBlockHead(std::string_view title)
{
    const auto energyLine = m_lines.next();
    if (!energyLine || energyLine->find("Characteristic Energy") == std::string_view::npos) {
        m_damagedBlock = m_blocks.size() + 1;
        return std::nullopt;
    }
    Block block;
    block.title = trimmed(title);
    const auto fields = tabFields(*energyLine);
    block.photonEnergy = valueAfter(fields, "Characteristic Energy");
    block.acquisitionTime = valueAfter(fields, "Acquisition Time");
    while (const auto line = m_lines.next()) {
        if (line->starts_with("Name\t")) {
            const auto names = tabFields(*line);
            std::copy_if(names.begin() + 1, names.end(), std::back_inserter(block.components),
                         [](std::string_view name) { return !name.empty(); });
        } else if (line->starts_with("K.E.\t")) {
            const auto columns = tabFields(*line);
            const auto counts = std::find(columns.begin(), columns.end(), "Counts");
            m_blocks.push_back(std::move(block));
            return readRows(0, counts == columns.end()
                                   ? 1
                                   : static_cast<std::size_t>(counts - columns.begin()));
        }
    }
    m_damagedBlock = m_blocks.size() + 1;
    return std::nullopt;
}

std::optional<std::string_view> CasaParser::readRows(std::size_t energyColumn,
                                                     std::size_t countColumn)
{
    Block& block = m_blocks.back();
    const bool returned = m_blocks.size() == m_wanted;
    while (const auto line = m_lines.next()) {
        const auto fields = tabFields(*line);
        const auto energy = finiteNumber(fields[energyColumn]);
        if (!energy) {
            return trimmed(*line).empty() ? m_lines.nextNonBlank() : line;
        }
        const auto count =
            countColumn < fields.size() ? finiteNumber(fields[countColumn]) : std::nullopt;
        if (!count) {
            m_damagedBlock = m_blocks.size();
            return std::nullopt;
        }
        ++block.rows;
        block.firstEnergy = block.firstEnergy.value_or(*energy);
        block.lastEnergy = *energy;
        if (returned) {
            m_data.energies.push_back(*energy);
            m_data.counts.push_back(*count);
        }
    }
    return std::nullopt;
}

// Every block is on the kinetic axis of the export.
std::vector<RegionSummary> CasaParser::summaries() const
{
    std::vector<RegionSummary> listed;
    for (const Block& block : m_blocks) {
        RegionSummary summary;
        summary.name = block.title;
        summary.points = block.rows;
        summary.scale = Scale::Kinetic;
        summary.firstEnergy = block.firstEnergy;
        summary.lastEnergy = block.lastEnergy;
        if (isStated(block.photonEnergy) && block.photonEnergy > 0.0) {
            summary.photonEnergy = block.photonEnergy;
        }
        listed.push_back(std::move(summary));
    }
    return listed;
}

void CasaParser::describe(SpectrumData& data) const
{
    const Block& block = m_blocks[m_wanted - 1];
    data.addHeader("Read as CasaXPS text export, block " + std::to_string(m_wanted) + " of " +
                   std::to_string(m_blocks.size()));
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        data.addHeader(listLine("Block", i, m_blocks.size(), m_blocks[i].title, m_blocks[i].rows,
                                true, i + 1 == m_wanted));
    }
    if (isStated(block.acquisitionTime)) {
        data.addHeader(formatted("Acquisition time: %g s per point", block.acquisitionTime));
    }
    std::string components;
    for (const auto name : block.components) {
        components += (components.empty() ? "" : ", ") + std::string(name);
    }
    if (!components.empty()) {
        data.addHeader("Fitted components in the export: " + components);
    }
    data.addHeader("Kinetic energies and counts of the export; its B.E./CPS columns are unused");
}

SpectrumData CasaParser::read()
{
    auto title = m_lines.nextNonBlank();
    while (title && m_damagedBlock == 0) {
        title = readBlockHead(*title);
    }
    if (m_blocks.empty()) {
        return failure(kReadHeaderError, kFormat, "no block with a K.E. column header");
    }
    if (m_wanted == 0 || m_wanted > m_blocks.size()) {
        // A damaged block is one the file holds, though it cannot be read.
        const std::size_t held = std::max(m_blocks.size(), m_damagedBlock);
        return listedFailure(kFormat, whyNotReadable("block", summaries(), held, m_wanted),
                             summaries());
    }
    m_data.binding = false;
    statePhotonEnergy(m_data, m_blocks[m_wanted - 1].photonEnergy);
    describe(m_data);
    if (m_damagedBlock != 0) {
        const bool inReturned = m_damagedBlock == m_wanted;
        m_data.status = inReturned ? kReadDataError : m_data.status;
        m_data.addHeader(
            "The export cannot be read from block " + std::to_string(m_damagedBlock) +
            (inReturned ? ", row " + std::to_string(m_data.energies.size() + 1) : std::string()));
    }
    if (m_data.energies.empty()) {
        m_data.status = kReadDataError;
    }
    keepFinitePoints(m_data);
    m_data.regions = summaries();
    m_data.region = m_wanted;
    return std::move(m_data);
}

}  // namespace

SpectrumData parseCasaText(std::string_view text, RegionNumber region)
{
    return CasaParser(text, region).read();
}

}  // namespace varnix::io
