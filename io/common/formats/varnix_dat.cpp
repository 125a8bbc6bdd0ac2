// The program's own data layout (.dat): header lines beginning with ";" or held by the keyword
// "header_line", the keyword lines "energy_scale binding|kinetic" and "photon_energy <eV>",
// then one point a line: energy and counts separated by blanks, tabs or a comma; further
// columns are ignored. Written by WOLDEK, read back by every data reader through
// parseVarnixDat. Layout and example: docs/formats.md.
#include "spectrum.h"
#include "text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

namespace varnix::io {

namespace {

constexpr std::string_view kScaleKeyword = "energy_scale";
constexpr std::string_view kPhotonKeyword = "photon_energy";
constexpr std::string_view kHeaderKeyword = "header_line";

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',';
}

bool sameWord(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                  return std::tolower(static_cast<unsigned char>(x))
                         == std::tolower(static_cast<unsigned char>(y));
              });
}

// The next line without its terminator (LF, CRLF or a lone CR); false at the end of the text.
// Avoids building a vector of a million views for a large spectrum.
bool nextLine(std::string_view& rest, std::string_view& line)
{
    if (rest.empty()) {
        return false;
    }
    std::size_t end = 0;
    while (end < rest.size() && rest[end] != '\n' && rest[end] != '\r') {
        ++end;
    }
    line = rest.substr(0, end);
    if (end + 1 < rest.size() && rest[end] == '\r' && rest[end + 1] == '\n') {
        ++end;
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
    return true;
}

// A finite number at the start of `text` that ends at a separator or the end of the line; on
// success `text` starts after it. from_chars alone would also take "inf", "nan" and "+-1".
bool takeNumber(std::string_view& text, double& value)
{
    const std::size_t sign = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (text.size() <= sign
        || (std::isdigit(static_cast<unsigned char>(text[sign])) == 0 && text[sign] != '.')) {
        return false;
    }
    // from_chars knows the minus sign only.
    const char* const first = text.data() + (text[0] == '+' ? 1 : 0);
    const char* const last = text.data() + text.size();
    const auto r = std::from_chars(first, last, value);
    if (r.ec != std::errc() || !std::isfinite(value) || (r.ptr != last && !isSeparator(*r.ptr))) {
        return false;
    }
    text.remove_prefix(static_cast<std::size_t>(r.ptr - text.data()));
    return true;
}

// Blanks and tabs with at most one comma among them; at least one separator character.
bool skipSeparator(std::string_view& text)
{
    std::size_t i = 0;
    bool comma = false;
    while (i < text.size() && isSeparator(text[i])) {
        if (text[i] == ',') {
            if (comma) {
                return false;  // an empty field
            }
            comma = true;
        }
        ++i;
    }
    text.remove_prefix(i);
    return i > 0 && !text.empty();
}

bool parsePoint(std::string_view line, double& energy, double& count)
{
    return takeNumber(line, energy) && skipSeparator(line) && takeNumber(line, count);
}

bool looksNumeric(std::string_view line)
{
    const char c = line.front();
    return std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' || c == '.';
}

// A keyword line before the data; false when the keyword is unknown, repeated or its value
// cannot be read.
bool takeKeyword(std::string_view line, SpectrumData& spectrum, bool& scaleSeen)
{
    const std::size_t end = std::min(line.find_first_of(" \t"), line.size());
    const std::string_view keyword = line.substr(0, end);
    const std::vector<std::string_view> values = splitFields(line.substr(end));
    if (sameWord(keyword, kScaleKeyword) && values.size() == 1 && !scaleSeen) {
        scaleSeen = true;
        spectrum.binding = sameWord(values[0], "binding");
        return spectrum.binding || sameWord(values[0], "kinetic");
    }
    if (sameWord(keyword, kPhotonKeyword) && !spectrum.photonEnergyStated
        && (values.size() == 1 || (values.size() == 2 && sameWord(values[1], "eV")))) {
        const std::optional<double> hv = parseDouble(values[0]);
        spectrum.photonEnergyStated = hv.has_value() && std::isfinite(*hv);
        spectrum.photonEnergy = spectrum.photonEnergyStated ? *hv : 0.0;
        return spectrum.photonEnergyStated;
    }
    return false;
}

// The header line a "header_line" line holds: everything after the keyword and one blank or
// tab, to the end of the raw line, so that blanks at either end come back as they were
// written. Nothing when the line is another keyword.
std::optional<std::string_view> headerLineValue(std::string_view raw, std::string_view line)
{
    if (!sameWord(line.substr(0, std::min(line.size(), kHeaderKeyword.size())), kHeaderKeyword)) {
        return std::nullopt;
    }
    std::string_view rest =
        raw.substr(static_cast<std::size_t>(line.data() - raw.data()) + kHeaderKeyword.size());
    if (!rest.empty() && rest.front() != ' ' && rest.front() != '\t') {
        return std::nullopt;
    }
    rest.remove_prefix(std::min<std::size_t>(rest.size(), 1));
    return rest;
}

// Whether a header line comes back unchanged when written as it is: it must begin with ";"
// and end in nothing the reader trims.
bool readsBackAsWritten(std::string_view line)
{
    return line.starts_with(';') && trimmed(line).size() == line.size();
}

SpectrumData finished(SpectrumData spectrum, ReadStatus status)
{
    spectrum.status = status;
    return spectrum;
}

char* appendNumber(char* out, double value)
{
    return std::to_chars(out, out + 32, value).ptr;
}

}  // namespace

SpectrumData parseVarnixDat(std::string_view text)
{
    SpectrumData spectrum;
    // Written points take 16 or more characters a line; reserving for that spares a
    // million-point read most of the regrowth, and never exceeds the size of the file.
    spectrum.energies.reserve(text.size() / 16);
    spectrum.counts.reserve(text.size() / 16);
    bool scaleSeen = false;
    std::string_view rest = text;
    std::string_view raw;
    while (nextLine(rest, raw)) {
        const std::string_view line = trimmed(raw);
        if (line.empty()) {
            continue;
        }
        const bool inHeader = spectrum.energies.empty();
        if (line.front() == ';') {
            // Header lines belong before the data; later ones are comments.
            // The ";" belongs to the header line: the program keeps its header lines with it.
            if (inHeader) {
                spectrum.addHeader(line);
                // A line cut to 100 characters may end in blanks, which a written file could
                // not give back.
                std::string& kept = spectrum.header.back();
                kept.resize(kept.find_last_not_of(" \t\v\f") + 1);
            }
            continue;
        }
        if (inHeader && !looksNumeric(line)) {
            if (const auto header = headerLineValue(raw, line)) {
                spectrum.addHeader(*header);
                continue;
            }
            if (!takeKeyword(line, spectrum, scaleSeen)) {
                return finished(std::move(spectrum), kReadHeaderError);
            }
            continue;
        }
        double energy = 0.0;
        double count = 0.0;
        if (!parsePoint(line, energy, count)) {
            return finished(std::move(spectrum), kReadDataError);
        }
        spectrum.energies.push_back(energy);
        spectrum.counts.push_back(count);
    }
    const ReadStatus status = spectrum.energies.empty() ? kReadHeaderError : kReadOk;
    return finished(std::move(spectrum), status);
}

std::string formatVarnixDat(const SpectrumData& spectrum)
{
    std::string out;
    for (const std::string& header : spectrum.header) {
        std::string line = header.substr(0, kHeaderWidth);
        // A line break inside a header line would end it early when read back.
        std::replace_if(
            line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        // The program's own lines carry their ";"; any other line (one from another format,
        // say) goes under the keyword, which keeps it as it is rather than adding to it.
        if (!readsBackAsWritten(line)) {
            out.append(kHeaderKeyword).append(" ");
        }
        out.append(line).append("\n");
    }
    out += kScaleKeyword;
    out += spectrum.binding ? " binding\n" : " kinetic\n";
    if (spectrum.photonEnergyStated) {
        out += kPhotonKeyword;
        out += ' ';
        out += formatDouble(spectrum.photonEnergy);
        out += '\n';
    }
    // Two shortest round-trip numbers take at most 2 × 24 characters; write them straight into
    // the string instead of building a small string per point.
    const std::size_t points = std::min(spectrum.energies.size(), spectrum.counts.size());
    const std::size_t headerSize = out.size();
    out.resize(headerSize + points * 52);
    char* p = out.data() + headerSize;
    for (std::size_t i = 0; i < points; ++i) {
        p = appendNumber(p, spectrum.energies[i]);
        *p++ = '\t';
        p = appendNumber(p, spectrum.counts[i]);
        *p++ = '\n';
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return out;
}

}  // namespace varnix::io
