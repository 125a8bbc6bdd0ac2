#include "settings.h"

#include "text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace varnix::io {

namespace {

constexpr int32_t kMaxColour = 0xFFFFFF;

// The colours in the program's slot order.
constexpr std::array<std::string_view, 7> kSettingsLabels = {
    "data_extension",       "config_extension",   "text_colour",       "window_back_colour",
    "text_box_back_colour", "button_back_colour", "option_back_colour"};
constexpr std::size_t kFirstColourLabel = 2;

// In the order of the fit controls in the program and in the file.
constexpr std::array<std::string_view, 8> kFitLabels = {
    "maxit",       "rmin", "lambda", "lambda_fac", "max_lambda_iterations",
    "simpson_eps", "max_simpson_iterations", "integration_range"};

// Labels match in any letter case and with or without underscores, so that the program's own
// names ("LambdaFac", "TextColour") work as well as the written ones.
bool sameLabel(std::string_view written, std::string_view label)
{
    std::size_t i = 0;
    for (const char c : written) {
        if (c == '_') {
            continue;
        }
        while (i < label.size() && label[i] == '_') {
            ++i;
        }
        if (i == label.size()
            || std::tolower(static_cast<unsigned char>(c))
                   != std::tolower(static_cast<unsigned char>(label[i]))) {
            return false;
        }
        ++i;
    }
    while (i < label.size() && label[i] == '_') {
        ++i;
    }
    return i == label.size();
}

// The value of every label, in the order of `labels`; nothing when a label is missing,
// repeated or unknown. The value is the rest of the line after the label, without blanks at
// either end, and may be empty.
template <std::size_t N>
std::optional<std::array<std::string_view, N>> labelledValues(
    std::string_view text, const std::array<std::string_view, N>& labels)
{
    // Windows editors put a byte-order mark before the first line of a file they save.
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    std::array<std::string_view, N> values{};
    std::array<bool, N> seen{};
    for (const std::string_view raw : splitLines(text)) {
        const std::string_view line = trimmed(raw);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::size_t end = std::min(line.find_first_of(" \t"), line.size());
        const auto it = std::find_if(labels.begin(), labels.end(), [&](std::string_view label) {
            return sameLabel(label, line.substr(0, end));
        });
        const auto index = static_cast<std::size_t>(it - labels.begin());
        if (it == labels.end() || seen[index]) {
            return std::nullopt;
        }
        seen[index] = true;
        values[index] = trimmed(line.substr(end));
    }
    if (!std::all_of(seen.begin(), seen.end(), [](bool s) { return s; })) {
        return std::nullopt;
    }
    return values;
}

// Hexadecimal "0xC0C0C0" or "&HC0C0C0" (the notation of the program's colour constants), or
// decimal.
std::optional<int32_t> parseColour(std::string_view field)
{
    const bool hex = field.size() > 2
                     && ((field[0] == '0' && (field[1] == 'x' || field[1] == 'X'))
                         || (field[0] == '&' && (field[1] == 'h' || field[1] == 'H')));
    std::optional<int32_t> value;
    if (hex) {
        field.remove_prefix(2);
        int32_t digits = 0;
        const auto r = std::from_chars(field.data(), field.data() + field.size(), digits, 16);
        if (r.ec == std::errc() && r.ptr == field.data() + field.size() && field[0] != '-') {
            value = digits;
        }
    } else {
        value = parseInt(field);
    }
    if (!value || *value < 0 || *value > kMaxColour) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseFinite(std::string_view field)
{
    const std::optional<double> value = parseDouble(field);
    return value && std::isfinite(*value) ? value : std::nullopt;
}

void appendLine(std::string& out, std::string_view label, std::string_view value)
{
    out += label;
    if (!value.empty()) {
        out += ' ';
        out += value;
    }
    out += '\n';
}

std::string colourText(int32_t colour)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x000000";
    for (std::size_t i = 0; i < 6; ++i) {
        text[7 - i] = kDigits[(static_cast<uint32_t>(colour) >> (4 * i)) & 0xFU];
    }
    return text;
}

bool printable(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F; });
}

}  // namespace

SettingsStatus parseSettings(std::string_view text, Settings& settings)
{
    const auto values = labelledValues(text, kSettingsLabels);
    if (!values) {
        return kSettingsMalformed;
    }
    Settings parsed;
    parsed.dataExtension = (*values)[0];
    parsed.configExtension = (*values)[1];
    // A control character, a NUL above all, would end or garble the program's extension, and
    // PARVIK could not write it back.
    if (!printable(parsed.dataExtension) || !printable(parsed.configExtension)) {
        return kSettingsMalformed;
    }
    for (std::size_t i = 0; i < kColourCount; ++i) {
        const std::optional<int32_t> colour = parseColour((*values)[kFirstColourLabel + i]);
        if (!colour) {
            return kSettingsMalformed;
        }
        parsed.colours[i] = *colour;
    }
    settings = std::move(parsed);
    return kSettingsOk;
}

SettingsStatus parseFitControls(std::string_view text, FitControls& controls)
{
    const auto values = labelledValues(text, kFitLabels);
    if (!values) {
        return kSettingsMalformed;
    }
    const auto& v = *values;
    const std::optional<int32_t> maxit = parseInt(v[0]);
    const std::optional<double> rmin = parseFinite(v[1]);
    const std::optional<double> lambda = parseFinite(v[2]);
    const std::optional<double> lambdaFac = parseFinite(v[3]);
    const std::optional<int32_t> maxLambda = parseInt(v[4]);
    const std::optional<double> eps = parseFinite(v[5]);
    const std::optional<int32_t> maxSimpson = parseInt(v[6]);
    const std::optional<double> range = parseFinite(v[7]);
    if (!maxit || !rmin || !lambda || !lambdaFac || !maxLambda || !eps || !maxSimpson || !range) {
        return kSettingsMalformed;
    }
    controls = {*maxit, *rmin, *lambda, *lambdaFac, *maxLambda, *eps, *maxSimpson, *range};
    return kSettingsOk;
}

std::string formatSettings(const Settings& settings)
{
    std::string out = "# Varnix settings: file extensions and window colours (0xBBGGRR)\n";
    appendLine(out, kSettingsLabels[0], settings.dataExtension);
    appendLine(out, kSettingsLabels[1], settings.configExtension);
    for (std::size_t i = 0; i < kColourCount; ++i) {
        appendLine(out, kSettingsLabels[kFirstColourLabel + i], colourText(settings.colours[i]));
    }
    return out;
}

std::string formatFitControls(const FitControls& c)
{
    std::string out = "# Varnix fit controls\n";
    appendLine(out, kFitLabels[0], std::to_string(c.maxit));
    appendLine(out, kFitLabels[1], formatDouble(c.rmin));
    appendLine(out, kFitLabels[2], formatDouble(c.lambda));
    appendLine(out, kFitLabels[3], formatDouble(c.lambdaFac));
    appendLine(out, kFitLabels[4], std::to_string(c.maxLambdaIterations));
    appendLine(out, kFitLabels[5], formatDouble(c.simpsonEps));
    appendLine(out, kFitLabels[6], std::to_string(c.maxSimpsonIterations));
    appendLine(out, kFitLabels[7], formatDouble(c.integrationRange));
    return out;
}

bool settingsWritable(const Settings& settings)
{
    return printable(settings.dataExtension) && printable(settings.configExtension)
           && std::all_of(settings.colours.begin(), settings.colours.end(),
                          [](int32_t c) { return c >= 0 && c <= kMaxColour; });
}

bool fitControlsWritable(const FitControls& c)
{
    return std::isfinite(c.rmin) && std::isfinite(c.lambda) && std::isfinite(c.lambdaFac)
           && std::isfinite(c.simpsonEps) && std::isfinite(c.integrationRange);
}

}  // namespace varnix::io
