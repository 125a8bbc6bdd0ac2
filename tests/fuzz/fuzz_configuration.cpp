// libFuzzer entry for FENTAR's parser. Besides crashes and sanitizer reports it aborts, so that
// the fuzzer keeps the input like a crash, when an accepted configuration breaks a promise:
// the reader only accepts what isConsistent allows, its mode-0 counts agree with the full
// read, and GORSEL's text of it reads back to the same configuration, bit for bit.
#include "configuration.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

using namespace varnix::io;

bool sameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](double x, double y) { return sameBits(x, y); });
}

bool same(const ConfigurationData& a, const ConfigurationData& b)
{
    return a.nds == b.nds && a.nbg == b.nbg && sameBits(a.hmuConfig, b.hmuConfig)
           && sameBits(a.a[0], b.a[0]) && sameBits(a.a[1], b.a[1]) && sameBits(a.a[2], b.a[2])
           && sameBits(a.p, b.p) && a.linkState == b.linkState && a.linkPartner == b.linkPartner
           && sameBits(a.linkValue, b.linkValue) && a.linkKind == b.linkKind;
}

bool keepsPromises(std::string_view text)
{
    ConfigurationData config;
    const ReadStatus status = parseConfiguration(text, config);
    if (status != ReadStatus::kOk) {
        return status == ReadStatus::kMalformed;
    }
    ConfigurationCounts counts;
    ConfigurationData again;
    return isConsistent(config) && parseConfigurationCounts(text, counts) == ReadStatus::kOk
           && counts.nds == config.nds && counts.nbg == config.nbg
           && parseConfiguration(formatConfiguration(config), again) == ReadStatus::kOk
           && same(config, again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (!keepsPromises(std::string_view(reinterpret_cast<const char*>(bytes), size))) {
        std::abort();
    }
    return 0;
}
