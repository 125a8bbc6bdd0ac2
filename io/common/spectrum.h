// One spectrum as the data routines read it from any supported file, and the readers of each
// format. A reader takes the whole file's text and never fails by exception: what it could not
// read shows in the status, with the points read so far.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::io {

enum ReadStatus : int32_t {
    kReadOk = 0,
    kReadHeaderError = 1,  // not a spectrum, or its header cannot be read: no points
    kReadDataError = 2     // the data break off or contradict the header: the points so far
};

// Most header lines a spectrum keeps; further candidate lines are dropped.
inline constexpr std::size_t kMaxHeaderLines = 100;

struct SpectrumData {
    std::vector<double> energies;     // as the file has them (binding or kinetic)
    std::vector<double> counts;       // counts, or rates where the file gives no way to convert
    std::vector<std::string> header;  // at most kMaxHeaderLines lines of at most 100 characters
    bool binding = false;             // the energy axis is binding energy
    bool photonEnergyStated = false;  // the file states the photon (excitation) energy
    double photonEnergy = 0.0;        // eV, when stated
    int32_t status = kReadOk;

    // Adds a header line, cut to 100 characters, unless the header is full.
    void addHeader(std::string_view line);
};

// Reads a data file of any supported format, recognised by content first and by the file
// name's extension second. A file that cannot be read gives kReadHeaderError.
SpectrumData readSpectrumFile(const std::string& path);
SpectrumData parseSpectrum(std::string_view text, std::string_view extension);

// The readers of each format.
SpectrumData parseVarnixDat(std::string_view text);
SpectrumData parseVamas(std::string_view text);
SpectrumData parseSpecsXy(std::string_view text);
SpectrumData parseScienta(std::string_view text);
SpectrumData parseCasaText(std::string_view text);
SpectrumData parseColumns(std::string_view text);

// The program's own data layout, which parseVarnixDat reads back to the same spectrum.
std::string formatVarnixDat(const SpectrumData& spectrum);

}  // namespace varnix::io
