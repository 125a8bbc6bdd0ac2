#include "configuration.h"

#include "text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

namespace varnix::io {

namespace {

constexpr std::array<std::string_view, kParametersPerPeak> kParameterKinds = {
    "Pos", "Height", "LFWHM", "Alpha", "GFWHM"};
constexpr std::array<std::string_view, kMaxBackgroundCoefficients> kBackgroundNames = {
    "a0", "a1", "a2"};

// 5·NDS must stay an int32, the type of every count the program passes.
constexpr int32_t kMaxPeaks = std::numeric_limits<int32_t>::max() / kParametersPerPeak;

using Fields = std::vector<std::string_view>;

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x))
               == std::tolower(static_cast<unsigned char>(y));
    });
}

// The lines that carry content after the version line, each split into fields, or nothing
// when the first content line is not the version line this reader understands. A UTF-8 byte
// order mark, which some editors add, is skipped.
std::optional<std::vector<Fields>> contentAfterVersion(std::string_view text)
{
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    std::vector<Fields> content;
    bool versionSeen = false;
    for (const std::string_view line : splitLines(text)) {
        Fields fields = splitFields(line.substr(0, line.find('#')));
        if (fields.empty()) {
            continue;
        }
        if (!versionSeen) {
            if (fields.size() != 3 || !equalsIgnoringCase(fields[0], "Varnix")
                || !equalsIgnoringCase(fields[1], "configuration")
                || parseInt(fields[2]) != kConfigurationVersion) {
                return std::nullopt;
            }
            versionSeen = true;
            continue;
        }
        content.push_back(std::move(fields));
    }
    if (!versionSeen) {
        return std::nullopt;
    }
    return content;
}

// Stores a value that may appear once; false when it is missing or repeated.
template <typename T>
bool takeOnce(std::optional<T>& slot, const std::optional<T>& value)
{
    if (slot || !value) {
        return false;
    }
    slot = value;
    return true;
}

ReadStatus countsFrom(const std::vector<Fields>& content, ConfigurationCounts& counts)
{
    std::optional<int32_t> nds;
    std::optional<int32_t> nbg;
    for (const Fields& fields : content) {
        const bool isNds = equalsIgnoringCase(fields[0], "NDS");
        if (!isNds && !equalsIgnoringCase(fields[0], "NBG")) {
            continue;
        }
        const std::optional<int32_t> value =
            fields.size() == 2 ? parseInt(fields[1]) : std::nullopt;
        if (!takeOnce(isNds ? nds : nbg, value)) {
            return ReadStatus::kMalformed;
        }
    }
    if (!nds || !nbg || *nds < 0 || *nds > kMaxPeaks || *nbg < 0
        || *nbg > kMaxBackgroundCoefficients) {
        return ReadStatus::kMalformed;
    }
    // Every peak parameter needs a line of its own. Checking this before anyone sizes arrays
    // from NDS keeps a damaged count from costing gigabytes.
    if (static_cast<std::size_t>(*nds) * kParametersPerPeak > content.size()) {
        return ReadStatus::kMalformed;
    }
    counts = ConfigurationCounts{*nds, *nbg};
    return ReadStatus::kOk;
}

// The 0-based parameter index a name such as "Height12" stands for, or nothing when the name
// is not a peak parameter of a model with `nds` peaks.
std::optional<std::size_t> peakParameterIndex(std::string_view name, int32_t nds)
{
    for (std::size_t k = 0; k < kParameterKinds.size(); ++k) {
        const std::string_view kind = kParameterKinds[k];
        if (name.size() <= kind.size() || !equalsIgnoringCase(name.substr(0, kind.size()), kind)
            || !std::isdigit(static_cast<unsigned char>(name[kind.size()]))) {
            continue;
        }
        const std::optional<int32_t> peak = parseInt(name.substr(kind.size()));
        if (!peak || *peak < 1 || *peak > nds) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(*peak - 1) * kParametersPerPeak + k;
    }
    return std::nullopt;
}

std::optional<std::size_t> backgroundIndex(std::string_view name)
{
    for (std::size_t j = 0; j < kBackgroundNames.size(); ++j) {
        if (equalsIgnoringCase(name, kBackgroundNames[j])) {
            return j;
        }
    }
    return std::nullopt;
}

std::optional<double> singleNumber(const Fields& fields)
{
    return fields.size() == 2 ? parseDouble(fields[1]) : std::nullopt;
}

// One parameter line: name, value, link state, partner, link value, link kind. The ranges are
// checked once the whole configuration is read.
bool storeParameter(const Fields& fields, std::size_t index, ConfigurationData& config)
{
    if (fields.size() != 6) {
        return false;
    }
    const auto value = parseDouble(fields[1]);
    const auto state = parseInt(fields[2]);
    const auto partner = parseInt(fields[3]);
    const auto linkValue = parseDouble(fields[4]);
    const auto kind = parseInt(fields[5]);
    if (!value || !state || !partner || !linkValue || !kind) {
        return false;
    }
    config.p[index] = *value;
    config.linkState[index] = *state;
    config.linkPartner[index] = *partner;
    config.linkValue[index] = *linkValue;
    config.linkKind[index] = *kind;
    return true;
}

// Reads every line but NDS and NBG into `config`, already sized from the counts.
bool readBody(const std::vector<Fields>& content, ConfigurationData& config)
{
    std::vector<bool> parameterSeen(config.p.size(), false);
    std::array<std::optional<double>, kMaxBackgroundCoefficients> background;
    std::optional<double> hmuConfig;
    for (const Fields& fields : content) {
        const std::string_view keyword = fields[0];
        if (equalsIgnoringCase(keyword, "NDS") || equalsIgnoringCase(keyword, "NBG")) {
            continue;
        }
        if (equalsIgnoringCase(keyword, "HMUConfig")) {
            if (!takeOnce(hmuConfig, singleNumber(fields))) {
                return false;
            }
        } else if (const auto j = backgroundIndex(keyword)) {
            if (!takeOnce(background[*j], singleNumber(fields))) {
                return false;
            }
        } else if (const auto index = peakParameterIndex(keyword, config.nds)) {
            if (parameterSeen[*index] || !storeParameter(fields, *index, config)) {
                return false;
            }
            parameterSeen[*index] = true;
        } else {
            return false;  // a misspelt keyword must not vanish silently
        }
    }
    if (std::ranges::find(parameterSeen, false) != parameterSeen.end()
        || !std::ranges::all_of(background, [](const auto& b) { return b.has_value(); })) {
        return false;
    }
    for (std::size_t j = 0; j < background.size(); ++j) {
        config.a[j] = *background[j];
    }
    // A file without HMUConfig was made without a photon energy, which the program writes as 0.
    config.hmuConfig = hmuConfig.value_or(0.0);
    return true;
}

// Starts each field at a fixed column (at least one blank after the previous one) so that
// the columns line up in an editor.
std::string alignedLine(std::initializer_list<std::string> fields)
{
    constexpr std::array<std::size_t, 5> kWidths = {10, 26, 7, 9, 26};
    std::string line;
    std::size_t start = 0;
    std::size_t column = 0;
    for (const std::string& field : fields) {
        if (column > 0) {
            line.append(line.size() < start ? start - line.size() : 1, ' ');
        }
        line += field;
        start += column < kWidths.size() ? kWidths[column] : 0;
        ++column;
    }
    line += '\n';
    return line;
}

}  // namespace

ReadStatus parseConfigurationCounts(std::string_view text, ConfigurationCounts& counts)
{
    const auto content = contentAfterVersion(text);
    if (!content) {
        return ReadStatus::kMalformed;
    }
    return countsFrom(*content, counts);
}

ReadStatus parseConfiguration(std::string_view text, ConfigurationData& config)
{
    const auto content = contentAfterVersion(text);
    if (!content) {
        return ReadStatus::kMalformed;
    }
    ConfigurationCounts counts;
    if (const ReadStatus status = countsFrom(*content, counts); status != ReadStatus::kOk) {
        return status;
    }
    const auto n = static_cast<std::size_t>(counts.nds) * kParametersPerPeak;
    ConfigurationData read;
    read.nds = counts.nds;
    read.nbg = counts.nbg;
    read.p.resize(n);
    read.linkState.resize(n);
    read.linkPartner.resize(n);
    read.linkValue.resize(n);
    read.linkKind.resize(n);
    if (!readBody(*content, read) || !isConsistent(read)) {
        return ReadStatus::kMalformed;
    }
    config = std::move(read);
    return ReadStatus::kOk;
}

std::string formatConfiguration(const ConfigurationData& config)
{
    std::string text = "Varnix configuration " + std::to_string(kConfigurationVersion) + "\n";
    text += "# Varnix peak model. Lines may be edited; '#' starts a comment.\n";
    text += "NDS " + std::to_string(config.nds) + "\n";
    text += "NBG " + std::to_string(config.nbg) + "\n";
    text += "HMUConfig " + formatDouble(config.hmuConfig) + "\n";
    text += "# state: 0 varied, 1 correlated, 2 fixed; partner: parameter number (Pos1 = 1,\n"
            "# Height1 = 2, ..., Pos2 = 6); kind: 0 none, 1 multiplied by, 2 plus\n";
    text += alignedLine({"# name", "value", "state", "partner", "link-value", "kind"});
    for (std::size_t i = 0; i < config.p.size(); ++i) {
        text += alignedLine({parameterName(static_cast<int32_t>(i),
                                           static_cast<int32_t>(config.p.size())),
                             formatDouble(config.p[i]), std::to_string(config.linkState[i]),
                             std::to_string(config.linkPartner[i]),
                             formatDouble(config.linkValue[i]),
                             std::to_string(config.linkKind[i])});
    }
    for (std::size_t j = 0; j < config.a.size(); ++j) {
        text += std::string(kBackgroundNames[j]) + " " + formatDouble(config.a[j]) + "\n";
    }
    return text;
}

bool valuesFinite(const ConfigurationData& config)
{
    const auto finite = [](double x) { return std::isfinite(x); };
    return std::isfinite(config.hmuConfig) && std::ranges::all_of(config.a, finite)
           && std::ranges::all_of(config.p, finite) && std::ranges::all_of(config.linkValue, finite);
}

bool isConsistent(const ConfigurationData& config)
{
    const auto n = static_cast<std::size_t>(config.nds) * kParametersPerPeak;
    if (config.nds < 0 || config.nds > kMaxPeaks || config.nbg < 0
        || config.nbg > kMaxBackgroundCoefficients || config.p.size() != n
        || config.linkState.size() != n || config.linkPartner.size() != n
        || config.linkValue.size() != n || config.linkKind.size() != n || !valuesFinite(config)) {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (config.linkState[i] < kLinkVaried || config.linkState[i] > kLinkFixed
            || config.linkPartner[i] < 1 || static_cast<std::size_t>(config.linkPartner[i]) > n
            || config.linkKind[i] < kLinkNone || config.linkKind[i] > kLinkPlus) {
            return false;
        }
    }
    return true;
}

std::optional<ConfigurationData> configurationFromArrays(
    const int32_t* peakParameterCount, const int32_t* nds, const int32_t* nbg, const double* p,
    const double* a, const int32_t* linkState, const int32_t* linkPartner,
    const double* linkValue, const int32_t* linkKind, double hmuConfig)
{
    if (peakParameterCount == nullptr || nds == nullptr || nbg == nullptr || a == nullptr
        || *nds < 0 || *nds > kMaxPeaks || *peakParameterCount != *nds * kParametersPerPeak
        || *nbg < 0 || *nbg > kMaxBackgroundCoefficients) {
        return std::nullopt;
    }
    const auto n = static_cast<std::size_t>(*peakParameterCount);
    if (n > 0
        && (p == nullptr || linkState == nullptr || linkPartner == nullptr
            || linkValue == nullptr || linkKind == nullptr)) {
        return std::nullopt;
    }
    ConfigurationData config;
    config.nds = *nds;
    config.nbg = *nbg;
    config.hmuConfig = hmuConfig;
    config.p.assign(p, p + n);
    std::copy_n(a, config.a.size(), config.a.begin());
    config.linkState.assign(linkState, linkState + n);
    config.linkPartner.assign(linkPartner, linkPartner + n);
    config.linkValue.assign(linkValue, linkValue + n);
    config.linkKind.assign(linkKind, linkKind + n);
    return config;
}

std::string parameterName(int32_t index, int32_t peakParameterCount)
{
    const bool peak = index < peakParameterCount;
    const std::string_view stem =
        peak ? kParameterKinds[static_cast<std::size_t>(index % kParametersPerPeak)] : "a";
    const std::string number =
        std::to_string(peak ? index / kParametersPerPeak + 1 : index - peakParameterCount);
    // Appended into reserved room: GCC 12 at -O3 warns falsely (-Wrestrict) when a short
    // literal is concatenated with std::to_string's result.
    std::string name;
    name.reserve(stem.size() + number.size());
    name.append(stem).append(number);
    return name;
}

std::vector<std::string> freeParameterNames(std::span<const int32_t> varied,
                                            int32_t peakParameterCount)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < varied.size(); ++i) {
        if (varied[i] == kLinkVaried) {
            names.push_back(parameterName(static_cast<int32_t>(i), peakParameterCount));
        }
    }
    return names;
}

}  // namespace varnix::io
