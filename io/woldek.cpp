// WOLDEK: writes a spectrum in the program's own .dat layout, energies on the file's own
// scale, so that TESSOR and KAPRIL read back the same spectrum.
#include "atomic_file.h"
#include "header_codes.h"
#include "settings.h"
#include "spectrum.h"
#include "text.h"
#include "varnix_io.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

using varnix::io::SpectrumData;

bool allFinite(const std::vector<double>& values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// The spectrum as the file will hold it; nothing when the arguments are inconsistent or hold
// values the file could not give back (a NaN, an infinity, an empty spectrum).
std::optional<SpectrumData> fileSpectrum(const int32_t* np, const double* energy,
                                         const double* counts, const int32_t* bindingFlag,
                                         const double* hmu, const int32_t* nh,
                                         const int32_t* headerWidth, const int32_t* headerRows,
                                         const int32_t* headerCodes)
{
    if (np == nullptr || energy == nullptr || counts == nullptr || bindingFlag == nullptr
        || hmu == nullptr || nh == nullptr || headerWidth == nullptr || headerRows == nullptr
        || *np < 1 || *nh < 0 || *nh > *headerRows
        || (*nh > 0 && (headerCodes == nullptr || *headerWidth < 1))) {
        return std::nullopt;
    }
    SpectrumData spectrum;
    spectrum.binding = *bindingFlag == 1;
    spectrum.photonEnergyStated = spectrum.binding;
    spectrum.photonEnergy = spectrum.binding ? *hmu : 0.0;
    const auto n = static_cast<std::size_t>(*np);
    spectrum.energies.assign(energy, energy + n);
    spectrum.counts.assign(counts, counts + n);
    if (spectrum.binding) {
        // The program's energies are kinetic; the file keeps the binding energies it came with.
        for (double& e : spectrum.energies) {
            e = *hmu - e;
        }
    }
    if (!std::isfinite(spectrum.photonEnergy) || !allFinite(spectrum.energies)
        || !allFinite(spectrum.counts)) {
        return std::nullopt;
    }
    if (*nh > 0) {
        spectrum.header = varnix::io::headerFromCodes(headerCodes, *nh, *headerRows, *headerWidth);
    }
    return spectrum;
}

}  // namespace

void WOLDEK(const char* fileName, int32_t fileNameLength, const int32_t* np,
            const double* energy, const double* counts, const int32_t* bindingFlag,
            const double* hmu, const int32_t* nh, const int32_t* headerWidth,
            const int32_t* headerRows, const int32_t* headerCodes, int32_t* status)
{
    using namespace varnix::io;
    if (status == nullptr) {
        return;
    }
    *status = kWriteBadArguments;
    try {
        const std::string path = fromBuffer(fileName, fileNameLength);
        const std::optional<SpectrumData> spectrum = fileSpectrum(
            np, energy, counts, bindingFlag, hmu, nh, headerWidth, headerRows, headerCodes);
        if (path.empty() || !spectrum) {
            return;
        }
        *status = writeFileAtomically(path, formatVarnixDat(*spectrum));
    } catch (...) {
        *status = kWriteFailed;
    }
}
