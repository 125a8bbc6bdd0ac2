// VAMAS (ISO 14976) reader for .vms and PHI MultiPak's .npl. The format has no keys: what a
// line means follows from its position and from the counts and modes read before it, so the
// reader walks the lines in order and decides every conditional line from the experiment mode
// or the block's technique. One spectrum is returned, the block asked for or else the first on
// an energy axis that holds values; every block is listed, in the header and for the caller.
// Layout and traps: docs/formats.md.
#include "reader_support.h"
#include "spectrum.h"
#include "text.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace varnix::io {

namespace {

using namespace reader;

constexpr std::string_view kFormat = "VAMAS";

bool oneOf(std::string_view value, std::initializer_list<std::string_view> set)
{
    return std::any_of(set.begin(), set.end(),
                       [value](std::string_view item) { return iequals(value, item); });
}

struct FileInfo {
    std::vector<std::string_view> identity;  // institution, instrument, operator, experiment
    std::vector<std::string_view> comments;
    std::string_view mode;
    bool regular = true;
    int32_t variables = 0;    // experimental variables, one line each in every block
    int32_t blockExtras = 0;  // future-upgrade entries in every block
    int32_t blocks = 0;
};

struct Block {
    std::string_view id, sample, technique, source, analyserMode, species, transition;
    std::string date;
    std::vector<std::string_view> comments;
    std::string_view abscissa, countLabel, countUnit;
    double photonEnergy = 0.0, passEnergy = kNotStated, start = 0.0, increment = 0.0;
    double dwell = 0.0, scans = 0.0;
    int32_t variables = 0;  // corresponding variables, interleaved point by point
    int32_t values = 0;     // ordinate values of all variables together
    Scale scale = Scale::None;

    std::int64_t points() const { return variables > 0 ? values / variables : 0; }
};

std::string dateLine(const std::array<std::optional<int32_t>, 6>& f)
{
    if (!f[0] || *f[0] <= 0 || !f[1] || !f[2]) {
        return {};
    }
    std::string line = formatted("Date: %04.0f-%02.0f-%02.0f", *f[0], *f[1], *f[2]);
    if (f[3] && f[4] && f[5] && *f[3] >= 0 && *f[4] >= 0 && *f[5] >= 0) {
        line += formatted(" %02.0f:%02.0f", *f[3], *f[4]) + formatted(":%02.0f", *f[5]);
    }
    return line;
}

std::string blockName(const Block& block)
{
    std::string line(block.species);
    if (!block.transition.empty()) {
        line.append(line.empty() ? 0 : 1, ' ').append(block.transition);
    }
    if (line.empty() || line == block.id) {
        return block.id.empty() ? "unnamed" : std::string(block.id);
    }
    return block.id.empty() ? line : std::string(block.id) + " (" + line + ")";
}

// The block as the list of spectra shows it. A regular axis is known from its start and
// increment; an irregular one from its values, filled in as they are read or passed over.
RegionSummary summaryOf(const Block& block, bool regular)
{
    RegionSummary summary;
    summary.name = blockName(block);
    summary.points = static_cast<std::size_t>(std::max<std::int64_t>(block.points(), 0));
    summary.scale = block.scale;
    if (regular && summary.points > 0) {
        summary.firstEnergy = block.start;
        summary.lastEnergy =
            block.start + static_cast<double>(summary.points - 1) * block.increment;
    }
    if (isStated(block.photonEnergy) && block.photonEnergy > 0.0) {
        summary.photonEnergy = block.photonEnergy;
    }
    return summary;
}

class VamasParser {
public:
    VamasParser(std::string_view text, RegionNumber wanted) : m_lines(text), m_wanted(wanted) {}
    SpectrumData read();

private:
    std::optional<std::string_view> text() { return m_lines.text(); }
    std::optional<int32_t> count() { return m_lines.count(); }
    std::optional<double> number() { return m_lines.number(); }
    bool optionalNumber(double& value) { return m_lines.optionalNumber(value); }
    bool texts(std::int64_t lines, std::vector<std::string_view>& into)
    {
        return m_lines.texts(lines, into);
    }
    bool skip(std::int64_t lines) { return m_lines.skip(lines); }
    bool modeIs(std::initializer_list<std::string_view> modes) const
    {
        return oneOf(m_file.mode, modes);
    }

    std::string readFileHeader();
    std::string readModes();
    std::string readCounts();
    bool readBlockHeader(Block& block);
    bool readBlockStart(Block& block);
    bool readSource(Block& block);
    bool readAnalyser(Block& block);
    bool readAxis(Block& block);
    bool readSignal(Block& block);
    std::string readPoints(const Block& block, SpectrumData& data);
    bool skipValues(const Block& block, RegionSummary& summary);
    bool returns(const Block& block) const;
    void readBlocks(SpectrumData& data);
    std::string whyNoBlock() const;
    void addFileHeader(SpectrumData& data) const;
    void describe(SpectrumData& data, const Block& block) const;

    ValueLines m_lines;
    RegionNumber m_wanted;
    FileInfo m_file;
    std::vector<RegionSummary> m_blocks;
    std::optional<Block> m_chosen;  // the block returned
    std::size_t m_chosenIndex = 0;
    bool m_damaged = false;  // the blocks after the last listed one cannot be read
    std::string m_problem;   // why the values of the block returned are incomplete
};

std::string VamasParser::readFileHeader()
{
    const auto format = m_lines.nextNonBlank();
    if (!format || !format->starts_with("VAMAS Surface Chemical Analysis Standard Data")) {
        return "the first line is not the VAMAS format identifier";
    }
    if (!texts(4, m_file.identity)) {
        return "the file header breaks off";
    }
    const auto comments = count();
    if (!comments || !texts(*comments, m_file.comments)) {
        return "the comment lines of the file header cannot be read";
    }
    return readModes();
}

std::string VamasParser::readModes()
{
    const auto mode = text();
    if (!mode
        || !oneOf(*mode,
                  {"MAP", "MAPDP", "MAPSV", "MAPSVDP", "NORM", "SDP", "SDPSV", "SEM", "NOEXP"})) {
        return "unknown experiment mode";
    }
    m_file.mode = *mode;
    const auto scan = text();
    if (!scan || !oneOf(*scan, {"REGULAR", "IRREGULAR"})) {
        return "scan mode is neither REGULAR nor IRREGULAR (a mapping is no spectrum)";
    }
    m_file.regular = iequals(*scan, "REGULAR");
    // The number of spectral regions is informational and is not the number of blocks.
    if (modeIs({"MAP", "MAPDP", "NORM", "SDP"}) && !skip(1)) {
        return "the file header breaks off";
    }
    if (modeIs({"MAP", "MAPDP"}) && !skip(3)) {
        return "the file header breaks off";
    }
    return readCounts();
}

std::string VamasParser::readCounts()
{
    const auto variables = count();
    if (!variables || !skip(2 * std::int64_t{*variables})) {
        return "the experimental variables cannot be read";
    }
    m_file.variables = *variables;
    const auto inclusion = parseInt(text().value_or(""));
    if (!inclusion) {
        return "the parameter inclusion list cannot be read";
    }
    // No instrument writes inclusion lists; reading one wrongly would shift every later line.
    if (*inclusion != 0) {
        return "parameter inclusion/exclusion lists (k != 0) are not supported";
    }
    const auto manual = count();
    if (!manual || !skip(*manual)) {
        return "the list of manually entered items cannot be read";
    }
    const auto experimentExtras = count();
    const auto blockExtras = count();
    if (!experimentExtras || !blockExtras) {
        return "the future-upgrade entry counts cannot be read";
    }
    // Where these entries sit is read differently by different programs; none writes them.
    if (*experimentExtras != 0) {
        return "future-upgrade experiment entries (fe != 0) are not supported";
    }
    m_file.blockExtras = *blockExtras;
    const auto blocks = count();
    if (!blocks || *blocks == 0) {
        return "the number of blocks is missing or zero";
    }
    m_file.blocks = *blocks;
    return {};
}

bool VamasParser::readBlockHeader(Block& block)
{
    return readBlockStart(block) && readSource(block) && readAnalyser(block) && readAxis(block)
           && readSignal(block);
}

bool VamasParser::readBlockStart(Block& block)
{
    const auto id = text();
    const auto sample = text();
    if (!id || !sample) {
        return false;
    }
    block.id = *id;
    block.sample = *sample;
    std::array<std::optional<int32_t>, 6> date;
    for (auto& field : date) {
        field = parseInt(text().value_or(""));
    }
    block.date = dateLine(date);
    const auto comments = skip(1) ? count() : std::nullopt;
    if (!comments || !texts(*comments, block.comments)) {
        return false;
    }
    const auto technique = text();
    block.technique = technique.value_or("");
    return technique.has_value();
}

bool VamasParser::readSource(Block& block)
{
    if (modeIs({"MAP", "MAPDP"}) && !skip(2)) {
        return false;
    }
    const auto source = skip(m_file.variables) ? text() : std::nullopt;
    if (!source) {
        return false;
    }
    block.source = *source;
    const bool sputtering =
        modeIs({"MAPDP", "MAPSVDP", "SDP", "SDPSV"})
        || oneOf(block.technique, {"FABMS", "FABMS energy spec", "ISS", "SIMS", "SIMS energy spec",
                                   "SNMS", "SNMS energy spec"});
    if (sputtering && !skip(3)) {
        return false;
    }
    // Photon energy, then source strength and beam widths x, y.
    if (!optionalNumber(block.photonEnergy) || !skip(3)) {
        return false;
    }
    if (modeIs({"MAP", "MAPDP", "MAPSV", "MAPSVDP", "SEM"}) && !skip(2)) {
        return false;
    }
    return !modeIs({"MAPSV", "MAPSVDP", "SEM"}) || skip(6);
}

bool VamasParser::readAnalyser(Block& block)
{
    // Source polar angle and azimuth.
    const auto mode = skip(2) ? text() : std::nullopt;
    if (!mode || !optionalNumber(block.passEnergy)) {
        return false;
    }
    block.analyserMode = *mode;
    if (iequals(block.technique, "AES diff") && !skip(1)) {
        return false;
    }
    // Magnification, work function (informational: the energies are already referenced),
    // target bias, analysis width x, y, take-off polar angle and azimuth.
    const auto species = skip(7) ? text() : std::nullopt;
    const auto transition = text();
    if (!species || !transition || !skip(1)) {
        return false;
    }
    block.species = *species;
    block.transition = *transition;
    return true;
}

bool VamasParser::readAxis(Block& block)
{
    if (m_file.regular) {
        const auto label = text();
        const auto start = skip(1) ? number() : std::nullopt;
        const auto increment = number();
        if (!label || !start || !increment) {
            return false;
        }
        block.abscissa = *label;
        block.start = *start;
        block.increment = *increment;
    }
    const auto variables = count();
    // An irregular block sends its abscissa as variable 1, so it needs a second for counts.
    if (!variables || *variables < (m_file.regular ? 1 : 2)) {
        return false;
    }
    block.variables = *variables;
    for (int32_t i = 0; i < *variables; ++i) {
        const auto label = text();
        const auto unit = text();
        if (!label || !unit) {
            return false;
        }
        if (!m_file.regular && i == 0) {
            block.abscissa = *label;
        } else if (block.countLabel.empty() && block.countUnit.empty()) {
            block.countLabel = *label;
            block.countUnit = *unit;
        }
    }
    block.scale = scaleOfLabel(block.abscissa);
    return true;
}

bool VamasParser::readSignal(Block& block)
{
    // Signal mode, then collection time and scans, then the dead-time correction.
    if (!skip(1) || !optionalNumber(block.dwell) || !optionalNumber(block.scans) || !skip(1)) {
        return false;
    }
    const bool sputterSource =
        modeIs({"MAPDP", "MAPSVDP", "SDP", "SDPSV"})
        && oneOf(block.technique, {"AES diff", "AES dir", "EDX", "ELS", "UPS", "XPS", "XRF"});
    if (sputterSource && !skip(7)) {
        return false;
    }
    // Sample tilt polar angle and azimuth, sample rotation.
    const auto additional = skip(3) ? count() : std::nullopt;
    if (!additional || !skip(3 * std::int64_t{*additional}) || !skip(m_file.blockExtras)) {
        return false;
    }
    const auto values = count();
    if (!values) {
        return false;
    }
    block.values = *values;
    // One minimum and maximum per variable; CasaXPS writes dummies, so they are not checked.
    return skip(2 * std::int64_t{block.variables});
}

// Reads the interleaved values of the block returned; gives what went wrong, if anything.
std::string VamasParser::readPoints(const Block& block, SpectrumData& data)
{
    const std::int64_t perPoint = block.variables;
    const std::int64_t points = block.points();
    const auto reserve = boundedReserve(static_cast<std::size_t>(points), m_lines.bytesLeft(),
                                        2 * static_cast<std::size_t>(perPoint));
    data.energies.reserve(reserve);
    data.counts.reserve(reserve);
    double energy = 0.0;
    double count = 0.0;
    for (std::int64_t i = 0; i < points * perPoint; ++i) {
        const auto value = number();
        if (!value) {
            return "the values of this block break off after "
                   + std::to_string(data.energies.size()) + " points";
        }
        const std::int64_t variable = i % perPoint;
        if (variable == 0) {
            (m_file.regular ? count : energy) = *value;
        } else if (variable == 1 && !m_file.regular) {
            count = *value;
        }
        if (variable == perPoint - 1) {
            const auto point = static_cast<double>(i / perPoint);
            data.energies.push_back(m_file.regular ? block.start + point * block.increment
                                                   : energy);
            data.counts.push_back(count);
        }
    }
    // Values beyond the last whole point belong to no point.
    if (!skip(block.values - points * perPoint) || block.values % perPoint != 0) {
        return "the number of values is no multiple of the " + std::to_string(perPoint)
               + " variables";
    }
    return {};
}

// Passes over the values of a block that is not returned, noting an irregular axis's first
// and last energies on the way.
bool VamasParser::skipValues(const Block& block, RegionSummary& summary)
{
    if (m_file.regular || block.points() == 0) {
        return skip(block.values);
    }
    const std::int64_t last = (block.points() - 1) * block.variables;
    for (std::int64_t i = 0; i < block.values; ++i) {
        const auto line = text();
        if (!line) {
            return false;
        }
        if (i == 0) {
            summary.firstEnergy = finiteNumber(*line);
        }
        if (i == last) {
            summary.lastEnergy = finiteNumber(*line);
        }
    }
    return true;
}

// The block asked for, or without a number the first on an energy axis that holds values.
bool VamasParser::returns(const Block& block) const
{
    if (m_chosen || block.scale == Scale::None || block.values <= 0) {
        return false;
    }
    return !m_wanted || *m_wanted == m_blocks.size();
}

void VamasParser::describe(SpectrumData& data, const Block& block) const
{
    data.addHeader("Block: " + blockName(block) + (block.sample.empty() ? "" : ", sample ")
                   + std::string(block.sample));
    data.addHeader("Technique: " + std::string(block.technique) + ", source: "
                   + std::string(block.source) + ", analyser: " + std::string(block.analyserMode));
    if (isStated(block.passEnergy)) {
        data.addHeader(formatted("Pass energy: %g eV", block.passEnergy));
    }
    if (!block.date.empty()) {
        data.addHeader(block.date);
    }
    if (isRateUnit(block.countUnit) || isRateUnit(block.countLabel)) {
        convertRates(data, block.countUnit, block.dwell, block.scans);
    }
}

void VamasParser::readBlocks(SpectrumData& data)
{
    while (!m_damaged && m_blocks.size() < static_cast<std::size_t>(m_file.blocks)) {
        Block block;
        if (!readBlockHeader(block)) {
            m_damaged = true;
            break;
        }
        m_blocks.push_back(summaryOf(block, m_file.regular));
        // A block without values is no spectrum to return; a later one may hold one.
        if (returns(block)) {
            m_chosenIndex = m_blocks.size() - 1;
            m_problem = readPoints(block, data);
            m_damaged = !m_problem.empty();
            if (!m_file.regular && !data.energies.empty()) {
                m_blocks.back().firstEnergy = data.energies.front();
                m_blocks.back().lastEnergy = data.energies.back();
            }
            m_chosen = std::move(block);
        } else {
            m_damaged = !skipValues(block, m_blocks.back());
        }
    }
}

std::string VamasParser::whyNoBlock() const
{
    if (m_wanted) {
        return whyNotReadable("block", m_blocks, static_cast<std::size_t>(m_file.blocks),
                              *m_wanted);
    }
    return m_damaged ? "block " + std::to_string(m_blocks.size() + 1) + " cannot be read"
                     : std::string("no block holds values on an energy axis");
}

void VamasParser::addFileHeader(SpectrumData& data) const
{
    data.addHeader("Read as VAMAS, block " + std::to_string(m_chosenIndex + 1) + " of "
                   + std::to_string(m_file.blocks));
    static constexpr std::array<std::string_view, 4> kIdentity = {"Institution", "Instrument",
                                                                  "Operator", "Experiment"};
    for (std::size_t i = 0; i < m_file.identity.size(); ++i) {
        if (!m_file.identity[i].empty() && !iequals(m_file.identity[i], "not specified")) {
            data.addHeader(std::string(kIdentity[i]) + ": " + std::string(m_file.identity[i]));
        }
    }
    for (const auto line : m_file.comments) {
        if (!line.empty()) {
            data.addHeader(line);
        }
    }
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        data.addHeader(listLine("Block", i, static_cast<std::size_t>(m_file.blocks),
                                m_blocks[i].name, m_blocks[i].points,
                                m_blocks[i].scale != Scale::None, i == m_chosenIndex));
    }
}

SpectrumData VamasParser::read()
{
    if (const std::string why = readFileHeader(); !why.empty()) {
        return failure(kReadHeaderError, kFormat, why);
    }
    SpectrumData data;
    readBlocks(data);
    if (!m_chosen) {
        const std::string why = whyNoBlock();
        return listedFailure(kFormat, why, std::move(m_blocks));
    }
    data.binding = m_chosen->scale == Scale::Binding;
    statePhotonEnergy(data, m_chosen->photonEnergy);
    addFileHeader(data);
    if (!m_problem.empty()) {
        data.status = kReadDataError;
        data.addHeader("Damaged: " + m_problem);
    } else if (m_damaged) {
        data.addHeader("The file is damaged after block " + std::to_string(m_blocks.size())
                       + "; later blocks cannot be read");
    } else if (const auto end = m_lines.nextNonBlank();
               !end || !iequals(*end, "end of experiment")) {
        data.addHeader("No 'end of experiment' after the last block");
    }
    describe(data, *m_chosen);
    for (const auto line : m_chosen->comments) {
        data.addHeader(line);
    }
    keepFinitePoints(data);
    data.regions = std::move(m_blocks);
    data.region = m_chosenIndex + 1;
    return data;
}

}  // namespace

SpectrumData parseVamas(std::string_view text, RegionNumber region)
{
    return VamasParser(text, region).read();
}

}  // namespace varnix::io
