// libFuzzer entry for one data reader, chosen at build time by VARNIX_FUZZ_READER. Besides
// crashes and sanitizer reports, a result that breaks a reader's promises aborts, so that the
// fuzzer keeps the input like a crash; for the program's own .dat layout that includes
// reading back the same spectrum from what WOLDEK would write of it.
#include "spectrum.h"
#include "text.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

using namespace varnix::io;

bool sane(const SpectrumData& data);

// Through detection; .dat is the extension that can change the outcome. The second spectrum,
// asked for by its number, must be as sane as the first one found, and be the second.
[[maybe_unused]] SpectrumData spectrum(std::string_view text)
{
    const SpectrumData second = parseSpectrum(text, "dat", 2);
    if (!sane(second) || (second.status != kReadHeaderError && second.region != 2)) {
        std::abort();
    }
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

bool sameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](double x, double y) { return sameBits(x, y); });
}

// The program's own layout must also give back what WOLDEK writes of a spectrum read from it.
[[maybe_unused]] SpectrumData varnix_dat(std::string_view text)
{
    SpectrumData data = parseVarnixDat(text);
    if (data.status == kReadOk) {
        const SpectrumData again = parseVarnixDat(formatVarnixDat(data));
        if (again.status != kReadOk || again.header != data.header || again.binding != data.binding
            || again.photonEnergyStated != data.photonEnergyStated
            || !sameBits(again.photonEnergy, data.photonEnergy)
            || !sameBits(again.energies, data.energies) || !sameBits(again.counts, data.counts)) {
            std::abort();
        }
    }
    return data;
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
