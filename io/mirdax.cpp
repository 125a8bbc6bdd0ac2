// MIRDAX: writes the configuration as a dated text table for a lab book.
#include "atomic_file.h"
#include "configuration.h"
#include "reports.h"
#include "text.h"
#include "varnix_io.h"

void MIRDAX(const int32_t* peakParameterCount, const int32_t* nds, const int32_t* nbg,
            const double* p, const double* a, const int32_t* linkState,
            const int32_t* linkPartner, const double* linkValue, const int32_t* linkKind,
            const char* fileName, int32_t fileNameLength, const char* configFileName,
            int32_t configFileNameLength, const char* date, int32_t dateLength, const char* time,
            int32_t timeLength, int32_t* status)
{
    if (status == nullptr) {
        return;  // nowhere to report anything, so nothing is written
    }
    try {
        const std::string path = varnix::io::fromBuffer(fileName, fileNameLength);
        const auto config = varnix::io::configurationFromArrays(
            peakParameterCount, nds, nbg, p, a, linkState, linkPartner, linkValue, linkKind, 0.0);
        // A value that is not finite is a fault in the model, not a result to record.
        if (!config || !varnix::io::valuesFinite(*config) || path.empty()) {
            *status = varnix::io::kWriterBadArguments;
            return;
        }
        const varnix::io::ReportHeading heading{
            "Varnix configuration parameters", "Configuration file",
            varnix::io::fromBuffer(configFileName, configFileNameLength),
            varnix::io::fromBuffer(date, dateLength), varnix::io::fromBuffer(time, timeLength)};
        *status = varnix::io::writeFileAtomically(
            path, varnix::io::formatConfigurationReport(*config, heading));
    } catch (...) {
        *status = varnix::io::kWriterInternalError;
    }
}
