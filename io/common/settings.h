// The two small settings files of the start directory: "fini.dat" (file extensions and window
// colours; NOSTEL reads, PARVIK writes) and "FitFile.dat" (the eight fit controls; JUNDRA
// reads, KELSOP writes). Both are labelled lines "label value", one setting a line, labels in
// any letter case and with or without underscores, blank lines and lines beginning with "#"
// ignored. Every label must appear
// exactly once and no other may appear, so a typing error in a hand-edited file is reported
// instead of silently replaced by a default. Layouts and examples: docs/formats.md.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnix::io {

// Status of the settings readers (NOSTEL, JUNDRA).
enum SettingsStatus : int32_t {
    kSettingsOk = 0,
    kSettingsUnreadable = 1,  // missing, not a regular file, or cannot be read
    kSettingsMalformed = 2,   // a label missing, repeated or unknown, or a value out of range
    kSettingsBadArguments = 3  // a null pointer or an impossible size from the caller
};

// Status of the settings and data writers for arguments that cannot be written; the values
// below it are the WriteStatus of the atomic write.
inline constexpr int32_t kWriteBadArguments = 4;

inline constexpr std::size_t kColourCount = 5;

// Colours are the program's int32 values red + 256·green + 65536·blue (0 … 0xFFFFFF), in the
// slot order text, window background, text box background, button background, option
// background.
struct Settings {
    std::string dataExtension;
    std::string configExtension;
    std::array<int32_t, kColourCount> colours{};
};

struct FitControls {
    int32_t maxit = 0;
    double rmin = 0.0;
    double lambda = 0.0;
    double lambdaFac = 0.0;
    int32_t maxLambdaIterations = 0;
    double simpsonEps = 0.0;
    int32_t maxSimpsonIterations = 0;
    double integrationRange = 0.0;
};

// Parse the whole text; `settings` / `controls` change only when the status is kSettingsOk.
SettingsStatus parseSettings(std::string_view text, Settings& settings);
SettingsStatus parseFitControls(std::string_view text, FitControls& controls);

// The file texts, which the parsers read back to the same values. Callers check the values
// with settingsWritable / fitControlsWritable first.
std::string formatSettings(const Settings& settings);
std::string formatFitControls(const FitControls& controls);

// Whether the values fit the file layout: extensions without control characters, colours in
// range, fit controls finite.
bool settingsWritable(const Settings& settings);
bool fitControlsWritable(const FitControls& controls);

}  // namespace varnix::io
