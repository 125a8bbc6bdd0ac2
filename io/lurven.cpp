// LURVEN: writes the results of the last fit as a dated text table for a lab book, with each
// peak's share of the total peak area, the standard deviations of every figure, the statistics
// of the fit and the diagnosis of what it leaves undetermined.
#include "atomic_file.h"
#include "configuration.h"
#include "reports.h"
#include "text.h"
#include "varnix_io.h"

#include <limits>

namespace {

// The results as the program passes them, or nothing when NPAR ≠ 5·NDS + NBG, NBG is outside
// 0..3 or an array the counts need is missing.
// The counts and the arrays they size; the statistics of the fit are added by the caller.
std::optional<varnix::io::FitResultsSummary> summaryFrom(
    const double* hmu, const double* r, const double* parameters, const double* areas,
    const double* widths, const int32_t* varied, const double* sigmas, const double* peakFigures,
    const int32_t* npar, const int32_t* nds, const int32_t* nbg)
{
    using varnix::io::kParametersPerPeak;
    if (hmu == nullptr || r == nullptr || npar == nullptr || nds == nullptr || nbg == nullptr
        || *nds < 0 || *nbg < 0 || *nbg > varnix::io::kMaxBackgroundCoefficients
        || *nds > (std::numeric_limits<int32_t>::max() - *nbg) / kParametersPerPeak
        || *npar != *nds * kParametersPerPeak + *nbg) {
        return std::nullopt;
    }
    const auto n = static_cast<std::size_t>(*npar);
    const auto peaks = static_cast<std::size_t>(*nds);
    if ((n > 0 && (parameters == nullptr || varied == nullptr || sigmas == nullptr)) ||
        (peaks > 0 && (areas == nullptr || widths == nullptr || peakFigures == nullptr))) {
        return std::nullopt;
    }
    varnix::io::FitResultsSummary summary;
    summary.hmu = *hmu;
    summary.r = *r;
    summary.nds = *nds;
    summary.nbg = *nbg;
    if (n > 0) {
        summary.parameters = {parameters, n};
        summary.varied = {varied, n};
        summary.sigmas = {sigmas, n};
    }
    if (peaks > 0) {
        summary.areas = {areas, peaks};
        summary.widths = {widths, peaks};
        summary.peakFigures = {peakFigures, peaks * static_cast<std::size_t>(kLurvenPeakFigures)};
    }
    return summary;
}

}  // namespace

void LURVEN(const double* hmu, const double* r, const double* parameters, const double* areas,
            const double* widths, const int32_t* varied, const int32_t* npar, const int32_t* nds,
            const int32_t* nbg, const char* fileName, int32_t fileNameLength,
            const char* dataFileName, int32_t dataFileNameLength, const char* date,
            int32_t dateLength, const char* time, int32_t timeLength, const double* sigmas,
            const double* peakFigures, const double* chiSquare, const int32_t* np,
            const int32_t* nfree, const double* conditionNumber, const double* correlationCondition,
            const char* diagnosis, int32_t diagnosisLength, int32_t* status)
{
    if (status == nullptr) {
        return;  // nowhere to report anything, so nothing is written
    }
    try {
        const std::string path = varnix::io::fromBuffer(fileName, fileNameLength);
        auto summary = summaryFrom(hmu, r, parameters, areas, widths, varied, sigmas, peakFigures,
                                   npar, nds, nbg);
        if (!summary || path.empty() || chiSquare == nullptr || np == nullptr || nfree == nullptr ||
            conditionNumber == nullptr || correlationCondition == nullptr) {
            *status = varnix::io::kWriterBadArguments;
            return;
        }
        summary->chiSquare = *chiSquare;
        summary->np = *np;
        summary->nfree = *nfree;
        summary->conditionNumber = *conditionNumber;
        summary->correlationCondition = *correlationCondition;
        summary->diagnosis = varnix::io::fromBuffer(diagnosis, diagnosisLength);
        const varnix::io::ReportHeading heading{
            "Varnix fit results", "Data file",
            varnix::io::fromBuffer(dataFileName, dataFileNameLength),
            varnix::io::fromBuffer(date, dateLength), varnix::io::fromBuffer(time, timeLength)};
        *status = varnix::io::writeFileAtomically(
            path, varnix::io::formatResultsReport(*summary, heading));
    } catch (...) {
        *status = varnix::io::kWriterInternalError;
    }
}
