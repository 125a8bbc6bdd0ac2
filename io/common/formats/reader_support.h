// Small helpers the instrument and peer readers share: walking lines without splitting the
// whole file, case-blind text tests, the "not stated" rules for numbers, the listing of the
// spectra in a file and the conversion of count rates. Private to io/common/formats.
#pragma once

#include "spectrum.h"
#include "text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varnix::io::reader {

// Walks a text line by line with the same line ends as splitLines (LF, CRLF, lone CR), so
// that a reader can stop early and detection need not split a 30 MB file.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : m_rest(text) {}

    std::optional<std::string_view> next()
    {
        if (m_rest.empty()) {
            return std::nullopt;
        }
        const std::size_t end = m_rest.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            return std::exchange(m_rest, std::string_view{});
        }
        const std::string_view line = m_rest.substr(0, end);
        const bool crlf = m_rest[end] == '\r' && end + 1 < m_rest.size() && m_rest[end + 1] == '\n';
        m_rest.remove_prefix(end + (crlf ? 2 : 1));
        return line;
    }

    // The next line that is not blank after trimming, trimmed.
    std::optional<std::string_view> nextNonBlank()
    {
        while (const auto line = next()) {
            if (!trimmed(*line).empty()) {
                return trimmed(*line);
            }
        }
        return std::nullopt;
    }

    std::size_t bytesLeft() const { return m_rest.size(); }

private:
    std::string_view m_rest;
};

inline char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

inline bool iequals(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lower(x) == lower(y);
           });
}

inline bool istartsWith(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && iequals(text.substr(0, prefix.size()), prefix);
}

inline bool icontains(std::string_view text, std::string_view part)
{
    const auto hit = std::search(text.begin(), text.end(), part.begin(), part.end(),
                                 [](char x, char y) { return lower(x) == lower(y); });
    return hit != text.end() || part.empty();
}

// The text before and after the first `separator`, both trimmed; nothing when it is absent.
inline std::optional<std::pair<std::string_view, std::string_view>> splitKey(std::string_view line,
                                                                             char separator)
{
    const std::size_t at = line.find(separator);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return std::pair{trimmed(line.substr(0, at)), trimmed(line.substr(at + 1))};
}

// A trimmed field as a finite number; infinities and NaN spelt out are not data.
inline std::optional<double> finiteNumber(std::string_view field)
{
    const auto value = parseDouble(trimmed(field));
    if (value && std::isfinite(*value)) {
        return value;
    }
    return std::nullopt;
}

// Instruments write 1E+37 for "not available"; anything this large is no measured quantity.
inline constexpr double kNotStated = 1e36;

inline bool isStated(double value)
{
    return std::isfinite(value) && std::fabs(value) < kNotStated;
}

// A text of one value a line, as VAMAS is: every line loses the blanks and NULs around it
// (PHI pads values with blanks and ends a label with a NUL), and an empty line is a value.
class ValueLines {
public:
    explicit ValueLines(std::string_view text) : m_cursor(text) {}

    std::optional<std::string_view> text()
    {
        const auto line = m_cursor.next();
        return line ? std::optional(trimmed(*line)) : std::nullopt;
    }
    std::optional<int32_t> count()
    {
        const auto line = text();
        const auto value = line ? parseInt(*line) : std::nullopt;
        return value && *value >= 0 ? value : std::nullopt;
    }
    std::optional<double> number()
    {
        const auto line = text();
        return line ? finiteNumber(*line) : std::nullopt;
    }
    // A quantity that is only reported: a missing or odd value means "not stated".
    bool optionalNumber(double& value)
    {
        const auto line = text();
        value = line ? finiteNumber(*line).value_or(kNotStated) : kNotStated;
        return line.has_value();
    }
    bool texts(std::int64_t lines, std::vector<std::string_view>& into)
    {
        for (; lines > 0; --lines) {
            const auto line = text();
            if (!line) {
                return false;
            }
            into.push_back(*line);
        }
        return true;
    }
    bool skip(std::int64_t lines)
    {
        for (; lines > 0; --lines) {
            if (!m_cursor.next()) {
                return false;
            }
        }
        return true;
    }
    std::optional<std::string_view> nextNonBlank() { return m_cursor.nextNonBlank(); }
    std::size_t bytesLeft() const { return m_cursor.bytesLeft(); }

private:
    LineCursor m_cursor;
};

using Scale = EnergyScale;

// The energy scale a column or axis label names; anything else is not an energy axis.
inline Scale scaleOfLabel(std::string_view label)
{
    if (icontains(label, "binding")) {
        return Scale::Binding;
    }
    return icontains(label, "kinetic") ? Scale::Kinetic : Scale::None;
}

inline bool isRateUnit(std::string_view unit)
{
    return icontains(unit, "c/s") || icontains(unit, "counts/s") || iequals(unit, "cps")
           || icontains(unit, "per second");
}

// A declared number of values is only a claim: reserve no more than the text can hold, each
// value taking at least `bytesPerValue` characters.
inline std::size_t boundedReserve(std::size_t declared, std::size_t bytesLeft,
                                  std::size_t bytesPerValue)
{
    return std::min(declared, bytesLeft / std::max<std::size_t>(bytesPerValue, 1) + 1);
}

inline std::string formatted(const char* format, double a, double b = 0.0, double c = 0.0)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

inline void statePhotonEnergy(SpectrumData& data, double value)
{
    if (isStated(value) && value > 0.0) {
        data.photonEnergyStated = true;
        data.photonEnergy = value;
    }
}

// One line of the list of spectra that names every spectrum in a file, so the user sees what
// else is there; the one returned is marked.
inline std::string listLine(std::string_view kind, std::size_t index, std::size_t total,
                            std::string_view name, std::size_t points, bool energy, bool chosen)
{
    std::string line = std::string(kind) + ' ' + std::to_string(index + 1) + " of "
                       + std::to_string(total) + ": " + std::string(name.substr(0, 40)) + ", "
                       + std::to_string(points) + " points";
    if (!energy) {
        line += ", not an energy spectrum";
    }
    return chosen ? line + "  <- read" : line;
}

// Rates are not counts: the fit weighs points by sqrt(counts) + 1. With the dwell time per
// point and the number of scans the rate becomes counts; without them it stays, flagged.
inline void convertRates(SpectrumData& data, std::string_view unit, double dwell, double scans)
{
    const std::string name(unit.substr(0, 20));
    if (!(isStated(dwell) && dwell > 0.0 && isStated(scans) && scans >= 1.0)) {
        data.addHeader("Intensities are count rates (" + name
                       + "), kept as they are: dwell time or scans not stated");
        return;
    }
    for (double& c : data.counts) {
        c *= dwell * scans;
    }
    data.addHeader("Counts = " + name + formatted(" x %g s dwell x %g scans", dwell, scans));
}

// Every value a reader returns is finite; the points from the first that is not are dropped.
inline void keepFinitePoints(SpectrumData& data)
{
    std::size_t n = 0;
    while (n < data.energies.size() && n < data.counts.size() && std::isfinite(data.energies[n])
           && std::isfinite(data.counts[n])) {
        ++n;
    }
    if (n < data.energies.size() || n < data.counts.size()) {
        data.energies.resize(n);
        data.counts.resize(n);
        data.status = kReadDataError;
    }
}

inline SpectrumData failure(int32_t status, std::string_view format, std::string_view why)
{
    SpectrumData data;
    data.status = status;
    data.addHeader(std::string(format) + ": " + std::string(why));
    return data;
}

// Why spectrum `wanted` (1-based) of a file cannot be returned. `kind` is the format's word for
// a spectrum ("block", "region"); `declared` how many the file says it holds, of which
// `listed` could be read.
inline std::string whyNotReadable(std::string_view kind, const std::vector<RegionSummary>& listed,
                                  std::size_t declared, std::size_t wanted)
{
    const std::string which = std::string(kind) + ' ' + std::to_string(wanted);
    if (wanted == 0 || wanted > declared) {
        return "there is no " + which + ": the file holds " + std::to_string(declared);
    }
    if (wanted > listed.size()) {
        return which + " cannot be read: the file is damaged";
    }
    const RegionSummary& region = listed[wanted - 1];
    const std::string named = which + " (" + region.name.substr(0, 40) + ')';
    return named + (region.scale == Scale::None ? " is not on an energy axis" : " holds no points");
}

// A refusal that still lists the file's spectra, so that the caller can offer another one.
inline SpectrumData listedFailure(std::string_view format, std::string_view why,
                                  std::vector<RegionSummary> listed)
{
    SpectrumData data = failure(kReadHeaderError, format, why);
    data.regions = std::move(listed);
    return data;
}

}  // namespace varnix::io::reader
