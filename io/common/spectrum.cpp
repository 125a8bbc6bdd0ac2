// Which reader a data file goes to. The content decides: each instrument format has a
// signature in its first lines, checked from the most specific to the least. The file name's
// extension only breaks the one real tie, a file of bare numbers, which may be the program's
// own .dat or any two-column export.
#include "spectrum.h"

#include "formats/reader_support.h"
#include "region_name.h"
#include "text.h"

#include <algorithm>

namespace varnix::io {

namespace {

using reader::iequals;
using reader::istartsWith;
using reader::LineCursor;

bool isUtf8Continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

// The first non-blank lines of a text, at most `count` of them after the first.
std::vector<std::string_view> openingLines(std::string_view text, std::size_t count)
{
    LineCursor cursor(text);
    std::vector<std::string_view> lines;
    if (const auto first = cursor.nextNonBlank()) {
        lines.push_back(*first);
        while (lines.size() <= count) {
            const auto line = cursor.next();
            if (!line) {
                break;
            }
            lines.push_back(trimmed(*line));
        }
    }
    return lines;
}

bool isVamas(const std::vector<std::string_view>& lines)
{
    return !lines.empty()
           && lines[0].starts_with("VAMAS Surface Chemical Analysis Standard Data Transfer Format");
}

// "[Info]" alone does not make an INI file Scienta's: the region count must follow in the
// same section.
bool isScienta(const std::vector<std::string_view>& lines)
{
    if (lines.empty() || !iequals(lines[0], "[Info]")) {
        return false;
    }
    for (std::size_t i = 1; i < lines.size() && !lines[i].starts_with('['); ++i) {
        if (istartsWith(lines[i], "Number of Regions=")) {
            return true;
        }
    }
    return false;
}

bool isSpecsXy(const std::vector<std::string_view>& lines)
{
    return !lines.empty() && lines[0].starts_with("# Created by:")
           && lines[0].find("SpecsLab") != std::string_view::npos;
}

bool isCasaText(const std::vector<std::string_view>& lines)
{
    if (lines.size() < 3 || lines[1].find("Characteristic Energy") == std::string_view::npos) {
        return false;
    }
    return std::any_of(lines.begin() + 2, lines.end(),
                       [](std::string_view line) { return line.starts_with("K.E.\t"); });
}

bool isVarnixDat(const std::vector<std::string_view>& lines)
{
    return !lines.empty()
           && (lines[0].starts_with(';') || istartsWith(lines[0], "energy_scale")
               || istartsWith(lines[0], "photon_energy") || istartsWith(lines[0], "header_line"));
}

bool startsWithNumber(const std::vector<std::string_view>& lines)
{
    if (lines.empty()) {
        return false;
    }
    const auto fields = splitFields(lines[0]);
    return !fields.empty() && parseDouble(fields[0]).has_value();
}

std::string_view extensionOf(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

// The program's own layout and plain columns hold one spectrum, listed as the file's only
// one; another number is refused as in the formats that hold several.
SpectrumData onlySpectrum(SpectrumData data, RegionNumber wanted)
{
    if (data.status == kReadHeaderError) {
        return data;
    }
    RegionSummary summary;
    summary.name = "spectrum";
    summary.points = data.energies.size();
    summary.scale = data.binding ? EnergyScale::Binding : EnergyScale::Kinetic;
    if (!data.energies.empty()) {
        summary.firstEnergy = data.energies.front();
        summary.lastEnergy = data.energies.back();
    }
    if (data.photonEnergyStated) {
        summary.photonEnergy = data.photonEnergy;
    }
    if (wanted && *wanted != 1) {
        return reader::listedFailure(
            "Data", reader::whyNotReadable("spectrum", {summary}, 1, *wanted), {summary});
    }
    data.regions = {std::move(summary)};
    data.region = 1;
    return data;
}

}  // namespace

void SpectrumData::addHeader(std::string_view line)
{
    if (header.size() >= kMaxHeaderLines) {
        return;
    }
    std::size_t width = std::min(line.size(), kHeaderWidth);
    // Cut before a multi-byte character rather than through it.
    if (width < line.size()) {
        while (width > 0 && isUtf8Continuation(line[width])) {
            --width;
        }
    }
    std::string kept(line.substr(0, width));
    // The header travels as character codes in which 0 means "no character".
    std::replace(kept.begin(), kept.end(), '\0', ' ');
    header.push_back(std::move(kept));
}

SpectrumData readSpectrumFile(const std::string& name)
{
    const RegionName named = splitRegionName(name);
    const auto text = readFile(named.file);
    if (!text) {
        SpectrumData data;
        data.status = kReadHeaderError;
        data.addHeader("The file cannot be read, is not a regular file or is too large");
        return data;
    }
    return parseSpectrum(*text, extensionOf(named.file), named.region);
}

std::vector<RegionSummary> listRegions(const std::string& path)
{
    const auto text = readFile(path);
    return text ? parseSpectrum(*text, extensionOf(path)).regions : std::vector<RegionSummary>{};
}

SpectrumData parseSpectrum(std::string_view text, std::string_view extension, RegionNumber region)
{
    // Windows editors put a byte-order mark before the first line; it is no part of the text.
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    // Eight lines reach the column header of a CasaXPS export, the deepest signature.
    constexpr std::size_t kSignatureLines = 32;
    const auto lines = openingLines(text, kSignatureLines);
    if (isVamas(lines)) {
        return parseVamas(text, region);
    }
    if (isScienta(lines)) {
        return parseScienta(text, region);
    }
    if (isSpecsXy(lines)) {
        return parseSpecsXy(text, region);
    }
    if (isCasaText(lines)) {
        return parseCasaText(text, region);
    }
    if (extension.starts_with('.')) {
        extension.remove_prefix(1);
    }
    if (isVarnixDat(lines) || (startsWithNumber(lines) && iequals(extension, "dat"))) {
        return onlySpectrum(parseVarnixDat(text), region);
    }
    return onlySpectrum(parseColumns(text), region);
}

}  // namespace varnix::io
