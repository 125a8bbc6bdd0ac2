// HALMOR: writes the calculated spectra as columns, ".cal" (kind 0) or with the data ".cex"
// (kind 1). It has no status argument, so every failure, and every value that is not finite,
// ends in writing nothing: the previous file stays as it was.
#include "atomic_file.h"
#include "reports.h"
#include "text.h"
#include "varnix_io.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace {

// A span over a pointer the program passes; null only when nothing is to be read from it.
std::span<const double> values(const double* first, std::size_t count)
{
    return count == 0 ? std::span<const double>() : std::span<const double>(first, count);
}

bool present(const double* first, std::size_t count)
{
    return count == 0 || first != nullptr;
}

bool allFinite(std::span<const double> values)
{
    return std::ranges::all_of(values, [](double v) { return std::isfinite(v); });
}

// Plotting programs read "nan" or "inf" as numbers or choke on them; neither is a spectrum.
bool allFinite(const varnix::io::CalculatedSpectra& spectra)
{
    return allFinite(spectra.energy) && allFinite(spectra.calculated)
           && allFinite(spectra.components) && allFinite(spectra.counts)
           && allFinite(spectra.residuals);
}

void writeCalculatedSpectra(const int32_t* np, const int32_t* ncomp, const double* energy,
                            const double* counts, const double* calculated,
                            const double* components, const int32_t* residualScale,
                            const double* residuals, const std::string& path,
                            const int32_t* fileKind)
{
    if (np == nullptr || ncomp == nullptr || fileKind == nullptr || *np < 0 || *ncomp < 0
        || (*fileKind != 0 && *fileKind != 1) || path.empty()) {
        return;
    }
    const auto n = static_cast<std::size_t>(*np);
    const auto m = static_cast<std::size_t>(*ncomp);
    const bool withData = *fileKind == 1;
    if (!present(energy, n) || !present(calculated, n) || !present(components, n * m)
        || (withData
            && (!present(counts, n) || !present(residuals, n) || residualScale == nullptr))) {
        return;
    }
    varnix::io::CalculatedSpectra spectra;
    spectra.energy = values(energy, n);
    spectra.calculated = values(calculated, n);
    spectra.components = values(components, n * m);
    spectra.ncomp = *ncomp;
    spectra.withData = withData;
    if (withData) {
        spectra.counts = values(counts, n);
        spectra.residuals = values(residuals, n);
        spectra.residualScale = *residualScale;
    }
    if (allFinite(spectra)) {
        varnix::io::writeFileAtomically(path, varnix::io::formatCalculatedSpectra(spectra));
    }
}

}  // namespace

void HALMOR(const int32_t* np, const int32_t* ncomp, const double* energy, const double* counts,
            const double* calculated, const double* components, const int32_t* residualScale,
            const double* residuals, const char* fileName, int32_t fileNameLength,
            const int32_t* fileKind)
{
    try {
        writeCalculatedSpectra(np, ncomp, energy, counts, calculated, components, residualScale,
                               residuals, varnix::io::fromBuffer(fileName, fileNameLength),
                               fileKind);
    } catch (...) {
        // Out of memory while formatting: the target was not touched, and there is no status
        // to report it through.
    }
}
