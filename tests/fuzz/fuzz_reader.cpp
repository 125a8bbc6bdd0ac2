// libFuzzer entry for one data reader, chosen at build time by VARNIX_FUZZ_READER. Besides
// crashes and sanitizer reports, a result that breaks a reader's promises aborts, so that the
// fuzzer keeps the input like a crash.
#include "spectrum.h"
#include "text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace varnix::io;

// Through detection; .dat is the extension that can change the outcome.
[[maybe_unused]] SpectrumData spectrum(std::string_view text)
{
    return parseSpectrum(text, "dat");
}
[[maybe_unused]] SpectrumData vamas(std::string_view text)
{
    return parseVamas(text);
}
[[maybe_unused]] SpectrumData specs_xy(std::string_view text)
{
    return parseSpecsXy(text);
}
[[maybe_unused]] SpectrumData scienta(std::string_view text)
{
    return parseScienta(text);
}
[[maybe_unused]] SpectrumData casa_text(std::string_view text)
{
    return parseCasaText(text);
}
[[maybe_unused]] SpectrumData columns(std::string_view text)
{
    return parseColumns(text);
}

bool sane(const SpectrumData& data)
{
    if (data.status < kReadOk || data.status > kReadDataError
        || data.energies.size() != data.counts.size() || data.header.size() > kMaxHeaderLines) {
        return false;
    }
    for (const auto& line : data.header) {
        if (line.size() > kHeaderWidth) {
            return false;
        }
    }
    return data.status != kReadHeaderError || data.energies.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    if (!sane(VARNIX_FUZZ_READER(text))) {
        std::abort();
    }
    return 0;
}
