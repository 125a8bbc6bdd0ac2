// One spectrum as the data routines read it from any supported file, and the readers of each
// format. A reader takes the whole file's text and never fails by exception: what it could not
// read shows in the status, with the points read so far. Files that hold several spectra (VAMAS
// blocks, xy, Scienta and CasaXPS regions) list them all, so that one can be chosen by number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

enum class EnergyScale { None, Binding, Kinetic };

// One spectrum of a file as the file describes it, for choosing which one to read.
struct RegionSummary {
    std::string name;  // element and transition, or the region's own name
    std::size_t points = 0;
    EnergyScale scale = EnergyScale::None;  // None: another axis (an etch time, a channel index)
    std::optional<double> firstEnergy, lastEnergy;  // the axis as written, when known
    std::optional<double> photonEnergy;             // eV, when stated

    // A spectrum the readers can return: on an energy axis, with points.
    bool readable() const { return scale != EnergyScale::None && points > 0; }
    bool operator==(const RegionSummary&) const = default;
};

struct SpectrumData {
    std::vector<double> energies;     // as the file has them (binding or kinetic)
    std::vector<double> counts;       // counts, or rates where the file gives no way to convert
    std::vector<std::string> header;  // at most kMaxHeaderLines lines of at most 100 characters
    bool binding = false;             // the energy axis is binding energy
    bool photonEnergyStated = false;  // the file states the photon (excitation) energy
    double photonEnergy = 0.0;        // eV, when stated
    int32_t status = kReadOk;
    std::vector<RegionSummary> regions;  // every spectrum of the file, in file order
    std::size_t region = 0;              // 1-based number of the one returned; 0 for none

    // Adds a header line, cut to 100 characters, unless the header is full.
    void addHeader(std::string_view line);
};

// Which spectrum of a file to return: its 1-based number, or none for the first one on an
// energy axis that holds points. A number past the last spectrum, or of one that is not on an
// energy axis or holds no points, gives kReadHeaderError with the file's list of spectra.
using RegionNumber = std::optional<std::size_t>;

// Reads a data file of any supported format, recognised by content first and by the file
// name's extension second. The name may choose a spectrum as "<file>#<n>" (region_name.h). A
// file that cannot be read gives kReadHeaderError.
SpectrumData readSpectrumFile(const std::string& name);
SpectrumData parseSpectrum(std::string_view text, std::string_view extension,
                           RegionNumber region = std::nullopt);

// Every spectrum a data file (a plain path, without "#<n>") holds; none when the file cannot
// be read or holds no spectrum the readers know.
std::vector<RegionSummary> listRegions(const std::string& path);

// The readers of each format. The program's own layout and plain columns hold one spectrum.
SpectrumData parseVarnixDat(std::string_view text);
SpectrumData parseVamas(std::string_view text, RegionNumber region = std::nullopt);
SpectrumData parseSpecsXy(std::string_view text, RegionNumber region = std::nullopt);
SpectrumData parseScienta(std::string_view text, RegionNumber region = std::nullopt);
SpectrumData parseCasaText(std::string_view text, RegionNumber region = std::nullopt);
SpectrumData parseColumns(std::string_view text);

// The program's own data layout, which parseVarnixDat reads back to the same spectrum.
std::string formatVarnixDat(const SpectrumData& spectrum);

}  // namespace varnix::io
