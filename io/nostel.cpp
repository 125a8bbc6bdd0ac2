// NOSTEL: reads the settings file (file extensions and window colours). The arguments keep the
// values they came with unless the whole file is valid, so the program's defaults stand.
#include "settings.h"
#include "text.h"
#include "varnix_io.h"

#include <algorithm>
#include <optional>

void NOSTEL(char* dataExtension, int32_t dataExtensionLength, char* configExtension,
            int32_t configExtensionLength, int32_t* colours, const int32_t* colourCount,
            const char* fileName, int32_t fileNameLength, int32_t* status)
{
    using namespace varnix::io;
    if (status == nullptr) {
        return;
    }
    if (dataExtension == nullptr || dataExtensionLength < 1 || configExtension == nullptr
        || configExtensionLength < 1 || colours == nullptr || colourCount == nullptr
        || *colourCount != static_cast<int32_t>(kColourCount)) {
        *status = kSettingsBadArguments;
        return;
    }
    try {
        const std::optional<std::string> text = readFile(fromBuffer(fileName, fileNameLength));
        if (!text) {
            *status = kSettingsUnreadable;
            return;
        }
        Settings settings;
        SettingsStatus result = parseSettings(*text, settings);
        if (result == kSettingsOk
            && (settings.dataExtension.size() > static_cast<std::size_t>(dataExtensionLength)
                || settings.configExtension.size()
                       > static_cast<std::size_t>(configExtensionLength))) {
            result = kSettingsMalformed;  // an extension the program cannot hold
        }
        if (result == kSettingsOk) {
            toBuffer(settings.dataExtension, dataExtension, dataExtensionLength);
            toBuffer(settings.configExtension, configExtension, configExtensionLength);
            std::copy(settings.colours.begin(), settings.colours.end(), colours);
        }
        *status = result;
    } catch (...) {
        *status = kSettingsUnreadable;
    }
}
