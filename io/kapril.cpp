// KAPRIL: the contents of a data file of any supported format, into the arrays the program
// sized from TESSOR. It reads the file again rather than keeping anything from TESSOR, since
// no routine keeps state between calls.
#include "header_codes.h"
#include "spectrum.h"
#include "text.h"
#include "varnix_io.h"

#include <algorithm>
#include <cstddef>

namespace {

using varnix::io::SpectrumData;

struct Capacity {
    std::size_t points;
    std::size_t headerLines;
};

// What the caller's arrays can hold; nothing when they cannot hold what they claim to.
bool capacityOf(const int32_t* np, const int32_t* headerRows, const int32_t* nh,
                const int32_t* headerWidth, const double* energy, const double* counts,
                const int32_t* headerCodes, Capacity& capacity)
{
    if (np == nullptr || headerRows == nullptr || nh == nullptr || headerWidth == nullptr
        || *np < 0 || *nh < 0 || *headerRows < 1 || *headerWidth < 1 || headerCodes == nullptr
        || (*np > 0 && (energy == nullptr || counts == nullptr))) {
        return false;
    }
    capacity.points = static_cast<std::size_t>(*np);
    capacity.headerLines = static_cast<std::size_t>(std::min(*nh, *headerRows));
    return true;
}

void fill(const SpectrumData& spectrum, const Capacity& capacity, int32_t* np, int32_t* nh,
          int32_t headerRows, int32_t headerWidth, double* energy, double* counts,
          int32_t* headerCodes)
{
    const std::size_t points = std::min(
        {capacity.points, spectrum.energies.size(), spectrum.counts.size()});
    std::copy_n(spectrum.energies.begin(), points, energy);
    std::copy_n(spectrum.counts.begin(), points, counts);
    const std::vector<std::string> header(
        spectrum.header.begin(),
        spectrum.header.begin()
            + static_cast<std::ptrdiff_t>(std::min(capacity.headerLines, spectrum.header.size())));
    varnix::io::headerToCodes(header, headerRows, headerWidth, headerCodes);
    *np = static_cast<int32_t>(points);
    *nh = static_cast<int32_t>(header.size());
}

}  // namespace

void KAPRIL(int32_t* np, const int32_t* headerRows, int32_t* nh, const int32_t* headerWidth,
            double* energy, double* counts, int32_t* headerCodes, const char* fileName,
            int32_t fileNameLength, int32_t* photonEnergyFlag, double* hmu, int32_t* bindingFlag,
            int32_t* status)
{
    using namespace varnix::io;
    if (status == nullptr) {
        return;
    }
    *status = kReadHeaderError;
    Capacity capacity{};
    if (!capacityOf(np, headerRows, nh, headerWidth, energy, counts, headerCodes, capacity)
        || photonEnergyFlag == nullptr || hmu == nullptr || bindingFlag == nullptr) {
        return;
    }
    try {
        SpectrumData spectrum = readSpectrumFile(fromBuffer(fileName, fileNameLength));
        if (spectrum.status == kReadHeaderError) {
            spectrum = SpectrumData{};  // "status 1" means no points, whatever a reader kept
            spectrum.status = kReadHeaderError;
        }
        fill(spectrum, capacity, np, nh, *headerRows, *headerWidth, energy, counts,
             headerCodes);
        *photonEnergyFlag = spectrum.binding && spectrum.photonEnergyStated ? 1 : 0;
        *hmu = spectrum.photonEnergyStated ? spectrum.photonEnergy : 0.0;
        *bindingFlag = spectrum.binding ? 1 : 0;
        *status = spectrum.status;
    } catch (...) {
        *np = 0;
        *nh = 0;
        *status = kReadHeaderError;
    }
}
