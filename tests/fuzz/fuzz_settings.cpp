// libFuzzer entries for NOSTEL's and JUNDRA's parsers, chosen at build time by
// VARNIX_FUZZ_SETTINGS (settings or fit_controls). Besides crashes and sanitizer reports they
// abort, so that the fuzzer keeps the input like a crash, when an accepted file breaks a
// promise: what the reader accepts, the writer writes, and its text reads back to the same
// values, bit for bit.
#include "settings.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace varnix::io;

bool sameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

[[maybe_unused]] bool settings(std::string_view text)
{
    Settings read;
    const SettingsStatus status = parseSettings(text, read);
    if (status != kSettingsOk) {
        return status == kSettingsMalformed;
    }
    Settings again;
    return settingsWritable(read) && parseSettings(formatSettings(read), again) == kSettingsOk
           && again.dataExtension == read.dataExtension
           && again.configExtension == read.configExtension && again.colours == read.colours;
}

[[maybe_unused]] bool fit_controls(std::string_view text)
{
    FitControls read;
    const SettingsStatus status = parseFitControls(text, read);
    if (status != kSettingsOk) {
        return status == kSettingsMalformed;
    }
    FitControls c;
    return fitControlsWritable(read) && parseFitControls(formatFitControls(read), c) == kSettingsOk
           && c.maxit == read.maxit && sameBits(c.rmin, read.rmin)
           && sameBits(c.lambda, read.lambda) && sameBits(c.lambdaFac, read.lambdaFac)
           && c.maxLambdaIterations == read.maxLambdaIterations
           && sameBits(c.simpsonEps, read.simpsonEps)
           && c.maxSimpsonIterations == read.maxSimpsonIterations
           && sameBits(c.integrationRange, read.integrationRange);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (!VARNIX_FUZZ_SETTINGS(std::string_view(reinterpret_cast<const char*>(bytes), size))) {
        std::abort();
    }
    return 0;
}
