// QUENDAL: writes the correlation matrix of the free parameters as a dated text table, each
// row and column labelled with the parameter's name.
#include "atomic_file.h"
#include "configuration.h"
#include "reports.h"
#include "text.h"
#include "varnix_io.h"

#include <limits>

namespace {

// The free parameters' names from the varied flags over 5·NDS + NBG parameters, or nothing
// when the counts are impossible or do not give exactly nfree free parameters: a matrix
// labelled with the wrong names would be worse than none.
std::optional<std::vector<std::string>> freeNames(const int32_t* nfree,
                                                  const int32_t* peakParameterCount,
                                                  const int32_t* nbg, const int32_t* varied)
{
    if (nfree == nullptr || peakParameterCount == nullptr || nbg == nullptr || *nfree < 0
        || *peakParameterCount < 0 || *peakParameterCount % varnix::io::kParametersPerPeak != 0
        || *nbg < 0 || *nbg > varnix::io::kMaxBackgroundCoefficients
        || *peakParameterCount > std::numeric_limits<int32_t>::max() - *nbg) {
        return std::nullopt;
    }
    const auto npar = static_cast<std::size_t>(*peakParameterCount + *nbg);
    if (npar > 0 && varied == nullptr) {
        return std::nullopt;
    }
    auto names = varnix::io::freeParameterNames(
        npar == 0 ? std::span<const int32_t>() : std::span<const int32_t>(varied, npar),
        *peakParameterCount);
    if (names.size() != static_cast<std::size_t>(*nfree)) {
        return std::nullopt;
    }
    return names;
}

}  // namespace

void QUENDAL(const int32_t* nfree, const double* correlations, const int32_t* peakParameterCount,
             const int32_t* nbg, const int32_t* varied, const char* fileName,
             int32_t fileNameLength, const char* dataFileName, int32_t dataFileNameLength,
             const char* date, int32_t dateLength, const char* time, int32_t timeLength,
             int32_t* status)
{
    if (status == nullptr) {
        return;  // nowhere to report anything, so nothing is written
    }
    try {
        const std::string path = varnix::io::fromBuffer(fileName, fileNameLength);
        const auto names = freeNames(nfree, peakParameterCount, nbg, varied);
        const std::size_t cells = names ? names->size() * names->size() : 0;
        if (!names || path.empty() || (cells > 0 && correlations == nullptr)) {
            *status = varnix::io::kWriterBadArguments;
            return;
        }
        const varnix::io::ReportHeading heading{
            "Varnix correlation matrix", "Data file",
            varnix::io::fromBuffer(dataFileName, dataFileNameLength),
            varnix::io::fromBuffer(date, dateLength), varnix::io::fromBuffer(time, timeLength)};
        const auto matrix =
            cells == 0 ? std::span<const double>() : std::span<const double>(correlations, cells);
        *status = varnix::io::writeFileAtomically(
            path, varnix::io::formatCorrelationReport(matrix, *names, heading));
    } catch (...) {
        *status = varnix::io::kWriterInternalError;
    }
}
