// FENTAR: reads a configuration file, in mode 0 only NDS and NBG (so that the program can size
// its arrays), in mode 1 everything. The out-arguments change only when the whole read
// succeeded, so a failed read leaves the program's configuration as it was.
#include "configuration.h"
#include "text.h"
#include "varnix_io.h"

#include <algorithm>

namespace {

using varnix::io::ReadStatus;

struct Outputs {
    int32_t* nds;
    int32_t* nbg;
    const int32_t* arrayLength;
    double* p;
    double* a;
    int32_t* linkState;
    int32_t* linkPartner;
    double* linkValue;
    int32_t* linkKind;
    double* hmuConfig;
};

ReadStatus readCounts(const std::string& text, const Outputs& out)
{
    varnix::io::ConfigurationCounts counts;
    const ReadStatus status = varnix::io::parseConfigurationCounts(text, counts);
    if (status == ReadStatus::kOk) {
        *out.nds = counts.nds;
        *out.nbg = counts.nbg;
    }
    return status;
}

// The program sizes the arrays from a mode-0 call; a file that changed in between, or arrays of
// another length, must not be written past their end.
ReadStatus readEverything(const std::string& text, const Outputs& out)
{
    if (out.a == nullptr || out.hmuConfig == nullptr || *out.arrayLength < 0) {
        return ReadStatus::kBadArguments;
    }
    varnix::io::ConfigurationData config;
    if (const ReadStatus status = varnix::io::parseConfiguration(text, config);
        status != ReadStatus::kOk) {
        return status;
    }
    const auto n = static_cast<std::size_t>(*out.arrayLength);
    if (config.p.size() != n
        || (n > 0
            && (out.p == nullptr || out.linkState == nullptr || out.linkPartner == nullptr
                || out.linkValue == nullptr || out.linkKind == nullptr))) {
        return ReadStatus::kBadArguments;
    }
    *out.nds = config.nds;
    *out.nbg = config.nbg;
    std::ranges::copy(config.p, out.p);
    std::ranges::copy(config.a, out.a);
    std::ranges::copy(config.linkState, out.linkState);
    std::ranges::copy(config.linkPartner, out.linkPartner);
    std::ranges::copy(config.linkValue, out.linkValue);
    // The program's kind array runs over NPAR; its background entries are not ours to change.
    std::ranges::copy(config.linkKind, out.linkKind);
    *out.hmuConfig = config.hmuConfig;
    return ReadStatus::kOk;
}

ReadStatus readConfiguration(const int32_t* mode, const Outputs& out, const char* fileName,
                             int32_t fileNameLength)
{
    if (mode == nullptr || out.nds == nullptr || out.nbg == nullptr || out.arrayLength == nullptr
        || (*mode != 0 && *mode != 1)) {
        return ReadStatus::kBadArguments;
    }
    const std::string path = varnix::io::fromBuffer(fileName, fileNameLength);
    const auto text = path.empty() ? std::nullopt : varnix::io::readFile(path);
    if (!text) {
        return ReadStatus::kCannotRead;
    }
    return *mode == 0 ? readCounts(*text, out) : readEverything(*text, out);
}

}  // namespace

void FENTAR(const int32_t* mode, int32_t* nds, int32_t* nbg, const int32_t* arrayLength,
            double* p, double* a, int32_t* linkState, int32_t* linkPartner, double* linkValue,
            int32_t* linkKind, double* hmuConfig, const char* fileName, int32_t fileNameLength,
            int32_t* status)
{
    if (status == nullptr) {
        return;  // nowhere to report anything, so nothing is read
    }
    try {
        const Outputs out{nds, nbg, arrayLength, p, a, linkState, linkPartner, linkValue,
                          linkKind, hmuConfig};
        *status = static_cast<int32_t>(readConfiguration(mode, out, fileName, fileNameLength));
    } catch (...) {
        *status = static_cast<int32_t>(ReadStatus::kInternalError);
    }
}
