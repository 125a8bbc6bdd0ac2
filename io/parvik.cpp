// PARVIK: writes the settings file (file extensions and window colours) that NOSTEL reads.
#include "atomic_file.h"
#include "settings.h"
#include "text.h"
#include "varnix_io.h"

#include <algorithm>

void PARVIK(const char* dataExtension, int32_t dataExtensionLength, const char* configExtension,
            int32_t configExtensionLength, const int32_t* colours, const int32_t* colourCount,
            const char* fileName, int32_t fileNameLength, int32_t* status)
{
    using namespace varnix::io;
    if (status == nullptr) {
        return;
    }
    *status = kWriteBadArguments;
    try {
        const std::string path = fromBuffer(fileName, fileNameLength);
        if (dataExtension == nullptr || configExtension == nullptr || colours == nullptr
            || colourCount == nullptr
            || *colourCount != static_cast<int32_t>(kColourCount) || path.empty()) {
            return;
        }
        Settings settings;
        settings.dataExtension = fromBuffer(dataExtension, dataExtensionLength);
        settings.configExtension = fromBuffer(configExtension, configExtensionLength);
        std::copy_n(colours, kColourCount, settings.colours.begin());
        if (settingsWritable(settings)) {
            *status = writeFileAtomically(path, formatSettings(settings));
        }
    } catch (...) {
        *status = kWriteFailed;
    }
}
