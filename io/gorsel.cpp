// GORSEL: writes the configuration file; the HMU of the loaded data becomes its HMUConfig.
// It writes only what FENTAR reads back: a configuration with a value that is not finite or a
// link out of range is refused, so that it never replaces a good file with one that cannot be
// opened again.
#include "atomic_file.h"
#include "configuration.h"
#include "text.h"
#include "varnix_io.h"

void GORSEL(const int32_t* peakParameterCount, const int32_t* nds, const int32_t* nbg,
            const double* p, const double* a, const int32_t* linkState,
            const int32_t* linkPartner, const double* linkValue, const int32_t* linkKind,
            const double* hmu, const char* fileName, int32_t fileNameLength, int32_t* status)
{
    if (status == nullptr) {
        return;  // nowhere to report anything, so nothing is written
    }
    try {
        const std::string path = varnix::io::fromBuffer(fileName, fileNameLength);
        const auto config = hmu == nullptr
                                ? std::nullopt
                                : varnix::io::configurationFromArrays(
                                      peakParameterCount, nds, nbg, p, a, linkState,
                                      linkPartner, linkValue, linkKind, *hmu);
        if (!config || !varnix::io::isConsistent(*config) || path.empty()) {
            *status = varnix::io::kWriterBadArguments;
            return;
        }
        *status = varnix::io::writeFileAtomically(path, varnix::io::formatConfiguration(*config));
    } catch (...) {
        *status = varnix::io::kWriterInternalError;
    }
}
