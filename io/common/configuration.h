// The configuration file ".cfg": the peak model with its parameter links, the background
// coefficients and the photon energy the model was made for. Read by FENTAR, written by
// GORSEL, and shown as a report by MIRDAX.
//
// Layout (blank lines and everything from a '#' to the end of a line are ignored; keywords
// ignore case; blanks, tabs or commas separate the fields):
//
//   Varnix configuration 1
//   NDS 2
//   NBG 1
//   HMUConfig 1486.6
//   Pos1    284.5  0  1  1    0      value, link state, partner, link value, link kind
//   ...
//   GFWHM2  0.9    1  5  1.1  1
//   a0 120
//   a1 0
//   a2 0
//
// NDS and NBG come first so that a reader that wants only the counts can stop there.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::io {

inline constexpr int32_t kConfigurationVersion = 1;
inline constexpr int32_t kParametersPerPeak = 5;
inline constexpr int32_t kMaxBackgroundCoefficients = 3;

// Link states and kinds exactly as the program stores them.
enum LinkState : int32_t { kLinkVaried = 0, kLinkCorrelated = 1, kLinkFixed = 2 };
enum LinkKind : int32_t { kLinkNone = 0, kLinkMultipliedBy = 1, kLinkPlus = 2 };

// FENTAR's status.
enum class ReadStatus : int32_t {
    kOk = 0,
    kCannotRead = 1,    // missing, unreadable or not a regular file
    kMalformed = 2,     // not a configuration, or a line missing, repeated or out of range
    kBadArguments = 3,  // unknown mode, a null pointer, or arrays of the wrong length
    kInternalError = 4  // anything unexpected (out of memory)
};

// Status values of the writers beyond the ones writeFileAtomically returns (1 to 3).
enum WriterStatus : int32_t { kWriterBadArguments = 4, kWriterInternalError = 5 };

// One configuration; every per-parameter vector has 5·nds entries, parameter index
// 5·(peak − 1) + k − 1 for k = Pos, Height, LFWHM, Alpha, GFWHM. Partners count from 1, as
// in the program.
struct ConfigurationData {
    int32_t nds = 0;
    int32_t nbg = 0;
    double hmuConfig = 0.0;
    std::vector<double> p;
    std::array<double, 3> a{};
    std::vector<int32_t> linkState;
    std::vector<int32_t> linkPartner;
    std::vector<double> linkValue;
    std::vector<int32_t> linkKind;
};

struct ConfigurationCounts {
    int32_t nds = 0;
    int32_t nbg = 0;
};

// The counts alone, from the version line and the NDS and NBG lines; the parameter lines may
// be damaged. `counts` is written only on success.
ReadStatus parseConfigurationCounts(std::string_view text, ConfigurationCounts& counts);

// Everything, checked line by line; `config` is written only on success.
ReadStatus parseConfiguration(std::string_view text, ConfigurationData& config);

// Whether the reader accepts the configuration: consistent sizes, NBG in 0..3, every value
// finite, every link state and kind in 0..2 and every partner in 1..5·NDS. Link rules beyond
// that (a varied parameter naming another partner, say) are the program's to repair.
bool isConsistent(const ConfigurationData& config);

// Whether every value is finite: HMUConfig, the three background coefficients, and each peak
// parameter's value and link value.
bool valuesFinite(const ConfigurationData& config);

std::string formatConfiguration(const ConfigurationData& config);

// The configuration the program passes as arrays (the sizes as it states them), or nothing
// when the sizes are inconsistent (5·NDS ≠ the peak parameter count, NBG outside 0..3) or a
// pointer the sizes need is null.
std::optional<ConfigurationData> configurationFromArrays(
    const int32_t* peakParameterCount, const int32_t* nds, const int32_t* nbg, const double* p,
    const double* a, const int32_t* linkState, const int32_t* linkPartner,
    const double* linkValue, const int32_t* linkKind, double hmuConfig);

// The program's name of parameter `index` (0-based) of a model with `peakParameterCount`
// peak parameters: Pos1 … GFWHM1, Pos2 …, then a0, a1, a2.
std::string parameterName(int32_t index, int32_t peakParameterCount);

// The names of the parameters whose varied flag (link state) is 0, in parameter order.
std::vector<std::string> freeParameterNames(std::span<const int32_t> varied,
                                            int32_t peakParameterCount);

}  // namespace varnix::io
