#include "reports.h"

#include "text.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace varnix::io {

namespace {

enum class Align { kLeft, kRight };

struct Column {
    std::string heading;
    Align align = Align::kRight;
};

// A table whose columns are as wide as their widest cell, two blanks apart, with the headings
// underlined, so that it stays aligned in any fixed-width font.
class TextTable {
public:
    explicit TextTable(std::vector<Column> columns) : m_columns(std::move(columns)) {}

    void addRow(std::vector<std::string> cells)
    {
        cells.resize(m_columns.size());
        m_rows.push_back(std::move(cells));
    }

    std::string render() const
    {
        std::vector<std::size_t> widths;
        std::vector<std::string> headings;
        std::vector<std::string> rules;
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            std::size_t width = m_columns[c].heading.size();
            for (const auto& row : m_rows) {
                width = std::max(width, row[c].size());
            }
            widths.push_back(width);
            headings.push_back(m_columns[c].heading);
            rules.emplace_back(m_columns[c].heading.empty() ? 0 : width, '-');
        }
        std::string text = line(headings, widths) + line(rules, widths);
        for (const auto& row : m_rows) {
            text += line(row, widths);
        }
        return text;
    }

private:
    std::string line(const std::vector<std::string>& cells,
                     const std::vector<std::size_t>& widths) const
    {
        std::string text;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const std::string padding(widths[c] - cells[c].size(), ' ');
            text += c == 0 ? "" : "  ";
            text += m_columns[c].align == Align::kRight ? padding + cells[c]
                                                        : cells[c] + padding;
        }
        text.erase(text.find_last_not_of(' ') + 1);
        return text + '\n';
    }

    std::vector<Column> m_columns;
    std::vector<std::vector<std::string>> m_rows;
};

std::string printed(const char* format, double value)
{
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, format, value);
    return std::string(buffer, static_cast<std::size_t>(std::clamp(n, 0, 63)));
}

// "label : value" lines with the colons in one column.
std::string labelledLines(const std::vector<std::pair<std::string, std::string>>& lines)
{
    std::size_t width = 0;
    for (const auto& [label, value] : lines) {
        width = std::max(width, label.size());
    }
    std::string text;
    for (const auto& [label, value] : lines) {
        text += label + std::string(width - label.size(), ' ') + " : " + value + '\n';
    }
    return text;
}

std::string headingText(const ReportHeading& heading)
{
    return heading.title + '\n' + std::string(heading.title.size(), '=') + "\n\n"
           + labelledLines({{heading.fileLabel, heading.fileName},
                            {"Date", heading.date},
                            {"Time", heading.time}})
           + '\n';
}

std::string stateText(int32_t state)
{
    switch (state) {
    case kLinkVaried:
        return "varied";
    case kLinkCorrelated:
        return "correlated";
    case kLinkFixed:
        return "fixed";
    default:
        return "state " + std::to_string(state);
    }
}

// The partner is named only for a linked parameter; a partner outside the model (a damaged
// configuration) is shown by its number rather than refused, since the report is for a person.
std::string partnerText(int32_t partner, int32_t self, int32_t peakParameterCount)
{
    if (partner == self) {
        return "";
    }
    if (partner < 1 || partner > peakParameterCount) {
        return "#" + std::to_string(partner);
    }
    return parameterName(partner - 1, peakParameterCount);
}

std::string linkText(int32_t kind, double value)
{
    switch (kind) {
    case kLinkMultipliedBy:
        return "x " + formatDouble(value);
    case kLinkPlus:
        return "+ " + formatDouble(value);
    default:
        return "";
    }
}

std::string backgroundText(int32_t nbg)
{
    constexpr std::array<const char*, 4> kNames = {"none", "constant", "linear", "parabolic"};
    return std::to_string(nbg) + " (" + kNames[static_cast<std::size_t>(nbg)] + ")";
}

// The peaks' figures in the order varnix_io.h gives for LURVEN.
enum PeakFigure : std::size_t {
    kAreaSigma,
    kShareSigma,
    kWidthSigma,
    kMaximum,
    kMaximumSigma,
    kMaximumEnergy,
    kMaximumEnergySigma,
    kWidthAtMaximum,
    kWidthAtMaximumSigma,
};

double peakFigure(const FitResultsSummary& results, std::size_t peak, PeakFigure figure)
{
    return results.peakFigures[peak * static_cast<std::size_t>(kLurvenPeakFigures) + figure];
}

bool onBindingScale(const FitResultsSummary& results)
{
    return std::isfinite(results.hmu) && results.hmu > 0.0;
}

// One row per peak and the total; the standard deviations of FWHM, area and share follow in
// columns of their own at the end of the rows, where readers of earlier reports do not look.
std::string peakTable(const FitResultsSummary& results)
{
    const bool binding = onBindingScale(results);
    std::vector<Column> columns = {{"Peak", Align::kLeft}, {"Pos"}};
    if (binding) {
        columns.push_back({"HMU-Pos"});
    }
    columns.insert(
        columns.end(),
        {{"FWHM"}, {"Area"}, {"Area(%)"}, {"Sigma(FWHM)"}, {"Sigma(Area)"}, {"Sigma(Area%)"}});
    TextTable table(std::move(columns));
    const auto percentages = areaPercentages(results.areas);
    for (std::size_t peak = 0; peak < results.areas.size(); ++peak) {
        const double pos = results.parameters[peak * kParametersPerPeak];
        std::vector<std::string> row = {std::to_string(peak + 1), reportNumber(pos)};
        if (binding) {
            row.push_back(reportNumber(results.hmu - pos));
        }
        row.push_back(reportNumber(results.widths[peak]));
        row.push_back(reportNumber(results.areas[peak]));
        row.push_back(percentages[peak] ? printed("%.3f", *percentages[peak]) : "-");
        row.push_back(reportNumber(peakFigure(results, peak, kWidthSigma)));
        row.push_back(reportNumber(peakFigure(results, peak, kAreaSigma)));
        row.push_back(reportNumber(100.0 * peakFigure(results, peak, kShareSigma)));
        table.addRow(std::move(row));
    }
    const double total = std::accumulate(results.areas.begin(), results.areas.end(), 0.0);
    std::vector<std::string> totalRow(binding ? 4 : 3);
    totalRow[0] = "Total";
    totalRow.push_back(reportNumber(total));
    totalRow.push_back(!percentages.empty() && percentages[0] ? "100.000" : "-");
    table.addRow(std::move(totalRow));
    return table.render();
}

// Each peak's maximum, the energy where it lies (and HMU minus it for binding-energy data) and
// the full width at half the maximum, each followed by its standard deviation.
std::string maximaTable(const FitResultsSummary& results)
{
    const bool binding = onBindingScale(results);
    std::vector<Column> columns = {{"Peak", Align::kLeft}, {"Maximum"}, {"Sigma"}, {"E(max)"}};
    if (binding) {
        columns.push_back({"HMU-E(max)"});
    }
    columns.insert(columns.end(), {{"Sigma"}, {"FWHM(max)"}, {"Sigma"}});
    TextTable table(std::move(columns));
    for (std::size_t peak = 0; peak < results.areas.size(); ++peak) {
        const double energy = peakFigure(results, peak, kMaximumEnergy);
        std::vector<std::string> row = {
            std::to_string(peak + 1), reportNumber(peakFigure(results, peak, kMaximum)),
            reportNumber(peakFigure(results, peak, kMaximumSigma)), reportNumber(energy)};
        if (binding) {
            row.push_back(reportNumber(results.hmu - energy));
        }
        row.push_back(reportNumber(peakFigure(results, peak, kMaximumEnergySigma)));
        row.push_back(reportNumber(peakFigure(results, peak, kWidthAtMaximum)));
        row.push_back(reportNumber(peakFigure(results, peak, kWidthAtMaximumSigma)));
        table.addRow(std::move(row));
    }
    return table.render();
}

}  // namespace

std::string reportNumber(double value)
{
    if (!std::isfinite(value)) {
        return "-";
    }
    const double magnitude = std::fabs(value);
    if (value == 0.0 || (magnitude >= 1e-3 && magnitude < 1e9)) {
        return printed("%.6f", value);
    }
    return printed("%.6e", value);
}

std::string formatCalculatedSpectra(const CalculatedSpectra& spectra)
{
    const std::size_t np = spectra.energy.size();
    const auto ncomp = static_cast<std::size_t>(spectra.ncomp);
    assert(spectra.calculated.size() == np && spectra.components.size() == np * ncomp);
    assert(!spectra.withData || (spectra.counts.size() == np && spectra.residuals.size() == np));

    std::string text = "Energy\tCalculated";
    for (std::size_t j = 0; j < ncomp; ++j) {
        text += "\tComponent" + std::to_string(j + 1);
    }
    if (spectra.withData) {
        text += "\tCounts\tResidual_x" + std::to_string(spectra.residualScale);
    }
    text += '\n';
    // About 25 characters a number; reserving once keeps a million-point file from
    // reallocating its way up.
    text.reserve(text.size() + np * (ncomp + 4) * 25);
    for (std::size_t i = 0; i < np; ++i) {
        text += formatDouble(spectra.energy[i]);
        text += '\t';
        text += formatDouble(spectra.calculated[i]);
        for (std::size_t j = 0; j < ncomp; ++j) {
            text += '\t';
            text += formatDouble(spectra.components[j * np + i]);
        }
        if (spectra.withData) {
            text += '\t';
            text += formatDouble(spectra.counts[i]);
            text += '\t';
            text += formatDouble(spectra.residuals[i]);
        }
        text += '\n';
    }
    return text;
}

std::string formatConfigurationReport(const ConfigurationData& config,
                                      const ReportHeading& heading)
{
    const auto n = static_cast<int32_t>(config.p.size());
    TextTable table({{"Parameter", Align::kLeft},
                     {"Value"},
                     {"State", Align::kLeft},
                     {"Partner", Align::kLeft},
                     {"Link", Align::kLeft}});
    for (int32_t i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const bool linked = config.linkState[k] != kLinkVaried && config.linkPartner[k] != i + 1;
        table.addRow({parameterName(i, n), reportNumber(config.p[k]),
                      stateText(config.linkState[k]),
                      linked ? partnerText(config.linkPartner[k], i + 1, n) : "",
                      linked ? linkText(config.linkKind[k], config.linkValue[k]) : ""});
    }
    // Background coefficients have no link: the fit always varies them.
    for (int32_t j = 0; j < config.nbg; ++j) {
        table.addRow({parameterName(n + j, n), reportNumber(config.a[static_cast<std::size_t>(j)]),
                      stateText(kLinkVaried)});
    }
    return headingText(heading)
           + labelledLines({{"Peaks (NDS)", std::to_string(config.nds)},
                            {"Background (NBG)", backgroundText(config.nbg)}})
           + '\n' + table.render();
}

std::vector<std::optional<double>> areaPercentages(std::span<const double> areas)
{
    const double total = std::accumulate(areas.begin(), areas.end(), 0.0);
    std::vector<std::optional<double>> percentages(areas.size());
    if (!std::isfinite(total) || total <= 0.0) {
        return percentages;
    }
    std::ranges::transform(areas, percentages.begin(),
                           [total](double area) { return 100.0 * area / total; });
    return percentages;
}

std::string formatResultsReport(const FitResultsSummary& results, const ReportHeading& heading)
{
    const int32_t peakParameterCount = results.nds * kParametersPerPeak;
    assert(results.parameters.size() == results.varied.size()
           && results.parameters.size()
                  == static_cast<std::size_t>(peakParameterCount + results.nbg));
    assert(results.areas.size() == static_cast<std::size_t>(results.nds)
           && results.widths.size() == results.areas.size());

    assert(results.sigmas.size() == results.parameters.size() &&
           results.peakFigures.size() ==
               results.areas.size() * static_cast<std::size_t>(kLurvenPeakFigures));

    TextTable parameters(
        {{"Parameter", Align::kLeft}, {"Value"}, {"Status", Align::kLeft}, {"Sigma"}});
    for (std::size_t i = 0; i < results.parameters.size(); ++i) {
        parameters.addRow({parameterName(static_cast<int32_t>(i), peakParameterCount),
                           reportNumber(results.parameters[i]), stateText(results.varied[i]),
                           reportNumber(results.sigmas[i])});
    }
    // What came after the peak table before is where it was; the statistics of the fit, the
    // maxima and the diagnosis follow it.
    return headingText(heading) +
           labelledLines({{"Photon energy HMU (eV)", reportNumber(results.hmu)},
                          {"R of the last fit", reportNumber(results.r)},
                          {"Peaks (NDS)", std::to_string(results.nds)},
                          {"Background (NBG)", backgroundText(results.nbg)}}) +
           '\n' + parameters.render() + '\n' + peakTable(results) + '\n' +
           labelledLines({{"Chi-square of the last fit", reportNumber(results.chiSquare)},
                          {"Points (NP)", std::to_string(results.np)},
                          {"Free parameters (NFREE)", std::to_string(results.nfree)},
                          {"Condition number", reportNumber(results.conditionNumber)},
                          {"Condition number of the correlations",
                           reportNumber(results.correlationCondition)},
                          {"Diagnosis", results.diagnosis.empty() ? "-" : results.diagnosis}}) +
           '\n' + maximaTable(results);
}

std::string formatCorrelationReport(std::span<const double> correlations,
                                    const std::vector<std::string>& freeNames,
                                    const ReportHeading& heading)
{
    const std::size_t nfree = freeNames.size();
    assert(correlations.size() == nfree * nfree);
    std::vector<Column> columns = {{"", Align::kLeft}};
    for (const std::string& name : freeNames) {
        columns.push_back({name});
    }
    TextTable table(std::move(columns));
    for (std::size_t i = 0; i < nfree; ++i) {
        std::vector<std::string> row = {freeNames[i]};
        for (std::size_t j = 0; j < nfree; ++j) {
            const double c = correlations[j * nfree + i];
            row.push_back(std::isfinite(c) ? printed("%.4f", c) : "-");
        }
        table.addRow(std::move(row));
    }
    return headingText(heading)
           + labelledLines({{"Free parameters (NFREE)", std::to_string(nfree)}}) + '\n'
           + table.render();
}

}  // namespace varnix::io
