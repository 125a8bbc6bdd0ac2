// Generic two- or three-column text and CSV: energy in column 1, counts in column 2, further
// columns ignored. Such files rarely say what they hold, so the scale comes from a label in
// the header (BE, K.E., E_kin, "binding" ...) or, failing that, from the direction of the
// energies, and the photon energy from a comment such as "hv=180eV". Rules and example:
// docs/formats.md.
#include "reader_support.h"
#include "spectrum.h"
#include "text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace varnix::io {

namespace {

using namespace reader;

constexpr std::string_view kFormat = "Columns";

bool isCommentMarker(char c)
{
    return c == '#' || c == ';' || c == '!' || c == '%';
}

// A comma is a decimal comma only where it cannot separate fields: after ';' or TAB
// separators. Elsewhere it separates, and the fields are read as they stand.
std::optional<std::pair<double, double>> dataRow(std::string_view line)
{
    const bool semicolons = line.find(';') != std::string_view::npos;
    const bool decimalComma = semicolons || line.find('\t') != std::string_view::npos;
    std::vector<std::string_view> fields;
    if (semicolons) {
        for (std::size_t start = 0; start <= line.size() && fields.size() < 2;) {
            const std::size_t end = std::min(line.find(';', start), line.size());
            fields.push_back(trimmed(line.substr(start, end - start)));
            start = end + 1;
        }
    } else if (decimalComma) {
        for (std::size_t i = 0; i < line.size() && fields.size() < 2;) {
            const std::size_t start = line.find_first_not_of(" \t", i);
            const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
            if (start == std::string_view::npos) {
                break;
            }
            fields.push_back(line.substr(start, end - start));
            i = end;
        }
    } else {
        fields = splitFields(line);
    }
    if (fields.size() < 2) {
        return std::nullopt;
    }
    std::array<std::optional<double>, 2> values;
    for (std::size_t i = 0; i < 2; ++i) {
        std::string field(fields[i]);
        if (decimalComma) {
            std::replace(field.begin(), field.end(), ',', '.');
        }
        values[i] = finiteNumber(field);
    }
    if (!values[0] || !values[1]) {
        return std::nullopt;
    }
    return std::pair{*values[0], *values[1]};
}

bool isWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.';
}

// The scale a header line names, from its first word that names one.
Scale scaleIn(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && !isWordChar(line[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && isWordChar(line[i])) {
            ++i;
        }
        std::string_view word = line.substr(start, i - start);
        while (word.ends_with('.')) {
            word.remove_suffix(1);
        }
        if (word == "BE" || word == "B.E" || iequals(word, "E_bin")
            || istartsWith(word, "binding")) {
            return Scale::Binding;
        }
        if (word == "KE" || word == "K.E" || iequals(word, "E_kin")
            || istartsWith(word, "kinetic")) {
            return Scale::Kinetic;
        }
    }
    return Scale::None;
}

// The number after a photon-energy key, as in "hv=180eV", "hν = 180 eV", "PE: 600 eV".
std::optional<double> photonEnergyIn(std::string_view line)
{
    static constexpr std::array<std::string_view, 6> kKeys = {
        "hv", "h\xCE\xBD", "h nu", "photon energy", "excitation energy", "PE"};
    for (const auto key : kKeys) {
        for (std::size_t at = 0; at < line.size(); ++at) {
            if (lower(line[at]) != lower(key.front())) {
                continue;
            }
            std::string_view rest = line.substr(at);
            const bool wordStart =
                at == 0 || !std::isalnum(static_cast<unsigned char>(line[at - 1]));
            const bool caseMatters = key == "PE";
            if (!wordStart || !(caseMatters ? rest.starts_with(key) : istartsWith(rest, key))) {
                continue;
            }
            rest = trimmed(rest.substr(key.size()));
            if (rest.starts_with('=') || rest.starts_with(':')) {
                rest = trimmed(rest.substr(1));
            }
            double value = 0.0;
            const auto parsed = std::from_chars(rest.data(), rest.data() + rest.size(), value);
            if (parsed.ec == std::errc() && parsed.ptr != rest.data() && isStated(value)
                && value > 0.0) {
                return value;
            }
        }
    }
    return std::nullopt;
}

struct HeaderFacts {
    std::vector<std::string_view> lines;  // the first kMaxHeaderLines of them
    std::string_view lastLine;            // before the data: names the columns if any does
    Scale scale = Scale::None;
    std::optional<double> photonEnergy;
};

void noteHeaderLine(HeaderFacts& facts, std::string_view line, bool beforeData)
{
    const std::string_view text = isCommentMarker(line.front()) ? trimmed(line.substr(1)) : line;
    if (facts.lines.size() < kMaxHeaderLines) {
        facts.lines.push_back(text);
    }
    if (beforeData) {
        facts.lastLine = text;
    }
    if (facts.scale == Scale::None) {
        facts.scale = scaleIn(text);
    }
    if (!facts.photonEnergy) {
        facts.photonEnergy = photonEnergyIn(text);
    }
}

void decideScale(SpectrumData& data, Scale stated)
{
    if (stated != Scale::None) {
        data.binding = stated == Scale::Binding;
    } else if (data.energies.size() > 1 && data.energies.back() < data.energies.front()) {
        data.binding = true;
        data.addHeader("Energy scale not stated: descending energies read as binding energy");
    } else {
        data.addHeader("Energy scale not stated: read as kinetic energy");
    }
}

// Reads rows until the first line that is text after the data; gives its number, or 0.
std::size_t readRows(std::string_view text, SpectrumData& data, HeaderFacts& facts)
{
    LineCursor lines(text);
    std::size_t number = 0;
    while (const auto raw = lines.next()) {
        ++number;
        const std::string_view line = trimmed(*raw);
        if (line.empty()) {
            continue;
        }
        const bool comment = isCommentMarker(line.front());
        const auto row = comment ? std::nullopt : dataRow(line);
        if (row) {
            data.energies.push_back(row->first);
            data.counts.push_back(row->second);
        } else if (!comment && !data.energies.empty()) {
            return number;
        } else if (data.energies.empty() || comment) {
            noteHeaderLine(facts, line, data.energies.empty());
        }
    }
    return 0;
}

}  // namespace

SpectrumData parseColumns(std::string_view text)
{
    SpectrumData data;
    HeaderFacts facts;
    const std::size_t stoppedAt = readRows(text, data, facts);
    const auto titles = splitFields(facts.lastLine);
    if (!titles.empty() && istartsWith(titles[0], "index")) {
        return failure(kReadHeaderError, kFormat, "column 1 is an index, not an energy");
    }
    if (data.energies.empty()) {
        return failure(kReadHeaderError, kFormat, "no line holds an energy and a count");
    }
    data.addHeader("Read as plain columns: energy, counts");
    for (const auto line : facts.lines) {
        data.addHeader(line);
    }
    if (stoppedAt != 0) {
        data.status = kReadDataError;
        data.addHeader("Reading stopped at line " + std::to_string(stoppedAt)
                       + ", which is not a data line");
    }
    decideScale(data, facts.scale);
    if (facts.photonEnergy) {
        statePhotonEnergy(data, *facts.photonEnergy);
    }
    keepFinitePoints(data);
    return data;
}

}  // namespace varnix::io
