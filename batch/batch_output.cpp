#include "batch_output.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace varnix::batch {

namespace {

using app::SpectrumResult;

std::string joinedMessages(const SpectrumResult& result)
{
    std::string text;
    for (const std::string& message : result.messages) {
        text.append(text.empty() ? "" : "; ").append(message);
    }
    return text;
}

bool hasFit(const SpectrumResult& result)
{
    return result.status == app::SpectrumStatus::Fitted ||
           result.status == app::SpectrumStatus::WriteFailed;
}

std::string shortest(double value)
{
    char text[32];
    const auto end = std::to_chars(std::begin(text), std::end(text), value).ptr;
    return std::string(text, end);
}

// A JSON object built member by member, in the order written.
class JsonObject {
public:
    JsonObject& raw(std::string_view key, std::string_view json)
    {
        m_text.append(m_text.size() > 1 ? "," : "").append(jsonString(key)).append(":");
        m_text.append(json);
        return *this;
    }
    JsonObject& text(std::string_view key, std::string_view value)
    {
        return raw(key, jsonString(value));
    }
    JsonObject& number(std::string_view key, std::optional<double> value)
    {
        return raw(key, value ? jsonNumber(*value) : "null");
    }
    std::string close() { return m_text.append("}"); }

private:
    std::string m_text = "{";
};

std::string jsonArray(const std::vector<std::string>& elements)
{
    std::string text = "[";
    for (const std::string& element : elements) {
        text.append(text.size() > 1 ? "," : "").append(element);
    }
    return text.append("]");
}

std::string answersJson(const SpectrumResult& result)
{
    std::vector<std::string> answers;
    for (const app::BatchAnswer& a : result.answers) {
        answers.push_back(
            JsonObject().text("question", a.question).text("answer", a.answer).close());
    }
    return jsonArray(answers);
}

std::string parametersJson(const SpectrumResult& result)
{
    std::vector<std::string> parameters;
    for (const app::ParameterResult& p : result.parameters) {
        parameters.push_back(JsonObject()
                                 .text("name", p.name)
                                 .number("value", p.value)
                                 .text("link", linkName(p.link))
                                 .number("sigma", p.sigma)
                                 .close());
    }
    return jsonArray(parameters);
}

// A peak's figures beyond area and width with their σ, by their names in the output.
std::vector<std::pair<std::string_view, double>> peakFigures(const app::PeakUncertainty& f)
{
    return {{"area_sigma", f.area.sigma},
            {"share", f.share.value},
            {"share_sigma", f.share.sigma},
            {"width_sigma", f.widthAtHalfHeight.sigma},
            {"maximum", f.maximum.value},
            {"maximum_sigma", f.maximum.sigma},
            {"maximum_energy", f.maximumEnergy.value},
            {"maximum_energy_sigma", f.maximumEnergy.sigma},
            {"width_at_maximum", f.widthAtHalfMaximum.value},
            {"width_at_maximum_sigma", f.widthAtHalfMaximum.sigma}};
}

std::string peaksJson(const SpectrumResult& result)
{
    std::vector<std::string> peaks;
    for (const app::PeakResult& peak : result.peaks) {
        JsonObject object;
        object.number("area", peak.area).number("width", peak.width);
        for (const auto& [name, value] : peakFigures(peak.figures)) {
            object.number(name, value);
        }
        peaks.push_back(object.close());
    }
    return jsonArray(peaks);
}

// The diagnosis of a badly determined fit; nothing for a well determined one or without an
// error matrix.
std::optional<std::string> diagnosisText(const SpectrumResult& result)
{
    return result.diagnosis.badlyDetermined ? std::optional(result.diagnosis.text) : std::nullopt;
}

std::optional<double> correlationCondition(const SpectrumResult& result)
{
    return result.diagnosis.conditionNumber > 0.0 ? std::optional(result.diagnosis.conditionNumber)
                                                  : std::nullopt;
}

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted.append(c == '"' ? "\"\"" : std::string(1, c));
    }
    return quoted.append("\"");
}

std::string csvNumber(std::optional<double> value)
{
    return value && std::isfinite(*value) ? shortest(*value) : std::string();
}

std::string csvJoined(const std::vector<std::string>& fields)
{
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        row.append(i > 0 ? "," : "").append(fields[i]);
    }
    return row;
}

std::string_view energyScale(const SpectrumResult& result)
{
    return result.binding ? "binding" : "kinetic";
}

std::size_t peakCount(const app::Configuration& configuration)
{
    return static_cast<std::size_t>(std::max(configuration.nds, 0));
}

}  // namespace

std::string_view statusName(app::SpectrumStatus status)
{
    switch (status) {
        case app::SpectrumStatus::Fitted:
            return "fitted";
        case app::SpectrumStatus::ReadFailed:
            return "read_failed";
        case app::SpectrumStatus::Refused:
            return "refused";
        case app::SpectrumStatus::FitFailed:
            return "fit_failed";
        case app::SpectrumStatus::WriteFailed:
            return "write_failed";
    }
    return "fit_failed";
}

std::optional<std::string_view> stopName(app::StopReason reason)
{
    switch (reason) {
        case app::StopReason::RBelowRmin:
            return "r_below_rmin";
        case app::StopReason::RIncreased:
            return "r_increased";
        case app::StopReason::DeltaBelowRmin:
            return "delta_r_below_rmin";
        case app::StopReason::Maxit:
            return "maxit";
        case app::StopReason::None:
            break;
    }
    return std::nullopt;
}

std::string_view linkName(int32_t link)
{
    if (link == app::kLinkCorrelated) {
        return "correlated";
    }
    return link == app::kLinkFixed ? "fixed" : "varied";
}

std::string jsonString(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                quoted.append("\\\"");
                break;
            case '\\':
                quoted.append("\\\\");
                break;
            case '\n':
                quoted.append("\\n");
                break;
            case '\t':
                quoted.append("\\t");
                break;
            case '\r':
                quoted.append("\\r");
                break;
            case '\b':
                quoted.append("\\b");
                break;
            case '\f':
                quoted.append("\\f");
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    quoted.append(escaped);
                } else {
                    quoted.push_back(c);
                }
        }
    }
    return quoted.append("\"");
}

std::string jsonNumber(double value)
{
    return std::isfinite(value) ? shortest(value) : "null";
}

std::string jsonLine(const SpectrumResult& result)
{
    const bool fit = hasFit(result);
    const std::optional<std::string_view> stop = stopName(result.stop);
    JsonObject line;
    line.text("name", result.name).text("file", result.file);
    line.raw("region", result.region ? std::to_string(*result.region) : "null");
    line.text("status", statusName(result.status)).text("message", joinedMessages(result));
    line.raw("answers", answersJson(result)).text("energy_scale", energyScale(result));
    line.number("photon_energy", result.photonEnergy);
    line.raw("iterations", fit ? std::to_string(result.iterations) : "null");
    line.raw("stop", fit && stop ? jsonString(*stop) : "null");
    line.number("chi2", fit ? std::optional(result.chiSquare) : std::nullopt);
    line.number("r", fit ? std::optional(result.r) : std::nullopt);
    line.number("condition", fit ? std::optional(result.conditionNumber) : std::nullopt);
    line.raw("parameters", parametersJson(result)).raw("peaks", peaksJson(result));
    line.raw("np", fit ? std::to_string(result.np) : "null");
    line.raw("nfree", fit ? std::to_string(result.nfree) : "null");
    line.number("correlation_condition", correlationCondition(result));
    const std::optional<std::string> diagnosis = diagnosisText(result);
    line.raw("diagnosis", diagnosis ? jsonString(*diagnosis) : "null");
    return line.close();
}

std::string csvHeader(const app::Configuration& configuration)
{
    std::vector<std::string> fields = {"name",    "file",       "region",       "status",
                                       "message", "iterations", "stop",         "chi2",
                                       "r",       "condition",  "energy_scale", "photon_energy"};
    for (int32_t k = 0; k < configuration.npar; ++k) {
        const std::string name = app::parameterName(configuration.nds, k);
        fields.insert(fields.end(), {name, name + "_link", name + "_sigma"});
    }
    for (std::size_t i = 1; i <= peakCount(configuration); ++i) {
        fields.insert(fields.end(), {"area" + std::to_string(i), "width" + std::to_string(i)});
    }
    // What came later goes after what readers of earlier files know.
    for (std::size_t i = 1; i <= peakCount(configuration); ++i) {
        for (const auto& [name, value] : peakFigures({})) {
            fields.push_back(std::string(name).append(std::to_string(i)));
        }
    }
    fields.insert(fields.end(), {"np", "nfree", "correlation_condition", "diagnosis"});
    return csvJoined(fields);
}

std::string csvRow(const SpectrumResult& result, const app::Configuration& configuration)
{
    const bool fit = hasFit(result);
    const std::optional<std::string_view> stop = stopName(result.stop);
    std::vector<std::string> fields = {
        csvField(result.name),
        csvField(result.file),
        result.region ? std::to_string(*result.region) : "",
        std::string(statusName(result.status)),
        csvField(joinedMessages(result)),
        fit ? std::to_string(result.iterations) : "",
        fit && stop ? std::string(*stop) : "",
        csvNumber(fit ? std::optional(result.chiSquare) : std::nullopt),
        csvNumber(fit ? std::optional(result.r) : std::nullopt),
        csvNumber(fit ? std::optional(result.conditionNumber) : std::nullopt),
        std::string(energyScale(result)),
        csvNumber(result.photonEnergy)};
    for (std::size_t k = 0; k < static_cast<std::size_t>(std::max(configuration.npar, 0)); ++k) {
        if (k < result.parameters.size()) {
            const app::ParameterResult& p = result.parameters[k];
            fields.insert(fields.end(),
                          {csvNumber(p.value), std::string(linkName(p.link)), csvNumber(p.sigma)});
        } else {
            fields.insert(fields.end(), {"", "", ""});
        }
    }
    for (std::size_t i = 0; i < peakCount(configuration); ++i) {
        const bool known = i < result.peaks.size();
        fields.push_back(csvNumber(known ? std::optional(result.peaks[i].area) : std::nullopt));
        fields.push_back(csvNumber(known ? std::optional(result.peaks[i].width) : std::nullopt));
    }
    for (std::size_t i = 0; i < peakCount(configuration); ++i) {
        const app::PeakUncertainty none;
        for (const auto& [name, value] :
             peakFigures(i < result.peaks.size() ? result.peaks[i].figures : none)) {
            fields.push_back(csvNumber(value));
        }
    }
    fields.insert(
        fields.end(),
        {fit ? std::to_string(result.np) : "", fit ? std::to_string(result.nfree) : "",
         csvNumber(correlationCondition(result)), csvField(diagnosisText(result).value_or(""))});
    return csvJoined(fields);
}

}  // namespace varnix::batch
