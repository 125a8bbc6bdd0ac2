#include "core/display/results_table.h"

#include "core/fit/engine_call.h"
#include "core/session/number_format.h"
#include "statistics.h"

#include <algorithm>
#include <cassert>
#include <cstddef>

namespace varnix::app {

namespace {

// Pos, Height, LFWHM, Alpha, GFWHM.
constexpr std::array<std::string_view, kParametersPerPeak> kParameterFormats = {
    "0.0000", "0.00E+00", "0.0000", "0.0000", "0.0000"};
constexpr std::string_view kAreaFormat = "0.00E+00";
constexpr std::string_view kWidthFormat = "0.0000";
constexpr std::string_view kCoefficientFormat = "0.000E+00";
constexpr std::string_view kConditionFormat = "0.0000E+00";
constexpr std::string_view kCorrelationFormat = "0.000";
constexpr std::string_view kUndefinedCorrelation = "-";

constexpr std::array<std::string_view, kMaxBackgroundCoefficients> kCoefficientHeaders = {
    "<a0               ", "<a1                ", "<a2                "};

std::size_t count(int32_t n)
{
    return static_cast<std::size_t>(std::max(n, 0));
}

// The error matrix of a finished fit, complete.
bool hasErrorMatrix(const FitResults& results)
{
    const std::size_t n = count(results.nfree);
    return results.standardDeviationsAvailable && n > 0 && results.errorMatrix.size() >= n * n;
}

std::string withDeviation(double value, std::string_view format, std::optional<double> sd)
{
    std::string text = formatNumber(value, format);
    if (sd) {
        text.append("\n").append(kPlusMinus).append(formatNumber(*sd, format));
    }
    return text;
}

// Walks the parameters in the grids' order, each with its standard deviation.
class ParameterCells {
public:
    explicit ParameterCells(const Module1& module)
        : m_module(module), m_deviations(parameterDeviations(module))
    {
    }

    // The next parameter's cell; a position of binding-energy data shows as HMU − Pos.
    std::string next(std::string_view format, bool position)
    {
        const std::size_t k = m_k++;
        const std::vector<double>& p = m_module.fitResults.parameters;
        if (k >= p.size()) {
            return {};
        }
        const Spectrum& s = m_module.spectrum;
        return withDeviation(position && s.binding ? s.hmu - p[k] : p[k], format, m_deviations[k]);
    }

private:
    const Module1& m_module;
    std::vector<std::optional<double>> m_deviations;
    std::size_t m_k = 0;
};

PeakRow peakRow(const Module1& module, ParameterCells& cells, std::size_t peak,
                std::vector<std::string>& messages)
{
    PeakRow row;
    row[0] = formatNumber(static_cast<double>(peak + 1), "###");
    for (std::size_t j = 0; j < kParameterFormats.size(); ++j) {
        row[j + 1] = cells.next(kParameterFormats[j], j == 0);
    }
    const FitResults& r = module.fitResults;
    if (peak < r.areas.size()) {
        row[6] = formatNumber(r.areas[peak], kAreaFormat);
    }
    if (peak < r.widths.size()) {
        if (r.standardDeviationsAvailable && r.widths[peak] <= 0.0) {
            messages.emplace_back(kPeakWidthMessage);
        }
        row[7] = formatNumber(r.widths[peak], kWidthFormat);
    }
    return row;
}

int32_t atLeastOne(int32_t pixels)
{
    return std::max(pixels, 1);
}

}  // namespace

std::string peakGridFormat(bool binding)
{
    return std::string(binding ? "^No. |^Bind. Energy |" : "^No. |^Kin. Energy  |")
        .append("^Height       |^LFWHM  |^Alpha      |^GFWHM   |^         Area|^FWHM     ");
}

std::string polynomialGridFormat(int32_t nbg)
{
    std::string format;
    for (std::size_t j = 0; j < std::min(count(nbg), kCoefficientHeaders.size()); ++j) {
        format.append(j > 0 ? "|" : "").append(kCoefficientHeaders[j]);
    }
    return format;
}

bool UpdateStandardDeviations(FitResults& results)
{
    if (!hasErrorMatrix(results)) {
        return true;
    }
    engine::StandardDeviations sd = engine::standardDeviations(results.errorMatrix, results.nfree);
    if (sd.negativeDiagonal >= 0) {
        return false;
    }
    results.standardDeviations = std::move(sd.values);
    return true;
}

std::vector<std::optional<double>> parameterDeviations(const Module1& module)
{
    const FitResults& r = module.fitResults;
    std::vector<std::optional<double>> deviations(r.parameters.size());
    if (!r.standardDeviationsAvailable || r.standardDeviations.size() != count(r.nfree)) {
        return deviations;
    }
    const std::vector<int32_t>& states = module.engine.varied;
    const std::size_t peakParameters = count(kParametersPerPeak * module.configuration.nds);
    std::size_t v = 0;
    for (std::size_t k = 0; k < deviations.size() && v < r.standardDeviations.size(); ++k) {
        const bool varied = k >= peakParameters || (k < states.size() && states[k] == kLinkVaried);
        if (varied) {
            deviations[k] = r.standardDeviations[v++];
        }
    }
    return deviations;
}

std::vector<std::string> freeParameterNames(const Module1& module, std::size_t nfree)
{
    const std::vector<int32_t>& states = module.engine.varied;
    const std::vector<std::string>& names = module.configuration.names;
    std::vector<std::string> varied;
    for (std::size_t k = 0; k < states.size() && varied.size() < nfree; ++k) {
        if (states[k] == kLinkVaried) {
            varied.push_back(k < names.size() ? names[k] : std::string());
        }
    }
    varied.resize(nfree);
    return varied;
}

bool hasFitResults(const Module1& module)
{
    const Configuration& c = module.configuration;
    const FitResults& r = module.fitResults;
    return !r.parameters.empty() && r.parameters.size() == count(c.npar) &&
           r.areas.size() == count(c.nds) && r.widths.size() == count(c.nds);
}

ResultsTable resultsTable(const Module1& module)
{
    ResultsTable table;
    const Configuration& c = module.configuration;
    if (!hasFitResults(module)) {
        for (std::size_t peak = 0; peak < count(c.nds); ++peak) {
            table.peakRows.emplace_back().at(0) =
                formatNumber(static_cast<double>(peak + 1), "###");
        }
        table.coefficients.resize(count(c.nbg));
        return table;
    }
    ParameterCells cells(module);
    for (std::size_t peak = 0; peak < count(c.nds); ++peak) {
        table.peakRows.push_back(peakRow(module, cells, peak, table.messages));
    }
    for (int32_t j = 0; j < c.nbg; ++j) {
        table.coefficients.push_back(cells.next(kCoefficientFormat, false));
    }
    if (module.engineMode == kEngineErrorMatrix) {
        table.conditionNumber = formatNumber(module.fitResults.conditionNumber, kConditionFormat);
    }
    return table;
}

bool UpdateConfiguration(Module1& module, MenuState& menu)
{
    Configuration& c = module.configuration;
    const std::vector<double>& fitted = module.fitResults.parameters;
    const std::size_t peaks = count(kParametersPerPeak * c.nds);
    if (!hasFitResults(module) || c.p.size() != peaks) {
        return false;
    }
    const auto peakEnd = fitted.begin() + static_cast<std::ptrdiff_t>(peaks);
    std::copy(fitted.begin(), peakEnd, c.p.begin());
    std::copy(peakEnd, fitted.end(), c.a.begin());
    module.configSaved = false;
    menu.saveConfiguration.enabled = true;
    menu.saveAsConfiguration.enabled = true;
    return true;
}

bool UpdateCorrelations(FitResults& results)
{
    if (!hasErrorMatrix(results)) {
        return false;
    }
    // A negative diagonal element gives no deviation from there on: those cells stay empty.
    const engine::StandardDeviations sd =
        engine::standardDeviations(results.errorMatrix, results.nfree);
    results.correlations =
        engine::correlationMatrix(results.errorMatrix, sd.values, results.nfree).cells;
    return true;
}

const std::string& CorrelationGrid::cell(int32_t row, int32_t column) const
{
    assert(row >= 0 && row < order && column >= 0 && column < order);
    return cells[count(row) * count(order) + count(column)];
}

CorrelationGrid correlationGrid(const Module1& module)
{
    const FitResults& r = module.fitResults;
    const std::size_t n =
        r.correlations.size() == count(r.nfree) * count(r.nfree) ? count(r.nfree) : 0;
    const std::size_t order = n + 2;
    CorrelationGrid grid{static_cast<int32_t>(order), std::vector<std::string>(order * order)};
    auto at = [&grid, order](std::size_t row, std::size_t column) -> std::string& {
        return grid.cells[row * order + column];
    };
    for (std::size_t j = 0; j < n; ++j) {
        for (std::size_t i = 0; i <= j; ++i) {
            const std::optional<double>& value = r.correlations[i + j * n];
            at(i + 1, j + 1) = value ? formatNumber(*value, kCorrelationFormat)
                                     : std::string(kUndefinedCorrelation);
        }
    }
    const std::vector<std::string> names = freeParameterNames(module, n);
    for (std::size_t c = 0; c < n; ++c) {
        at(0, c + 1) = at(order - 1, c + 1) = names[c];
        at(c + 1, 0) = at(c + 1, order - 1) = names[c];
    }
    return grid;
}

GridSizing sizeGrid(int32_t width, int32_t height, int32_t columns, int32_t rows,
                    int32_t scrollBarExtent, int32_t maxRows, int32_t maxColumns)
{
    assert(columns > 0 && rows > 0 && maxRows > 0 && maxColumns > 0);
    const int32_t hg = height - kGridBorder;
    const int32_t wg = width - kGridBorder;
    const bool tooManyRows = rows > maxRows;
    const bool tooManyColumns = columns > maxColumns;
    GridSizing sizing;
    if (tooManyRows && tooManyColumns) {
        sizing = {ScrollBars::Both, (hg - scrollBarExtent) / maxRows,
                  (wg - scrollBarExtent) / maxColumns};
    } else if (tooManyColumns) {
        sizing = {ScrollBars::Horizontal, (hg - scrollBarExtent) / rows, wg / maxColumns};
    } else if (tooManyRows) {
        sizing = {ScrollBars::Vertical, hg / maxRows, (wg - scrollBarExtent) / columns};
    } else {
        sizing = {ScrollBars::None, hg / rows, wg / columns};
    }
    sizing.rowHeight = atLeastOne(sizing.rowHeight);
    sizing.columnWidth = atLeastOne(sizing.columnWidth);
    return sizing;
}

}  // namespace varnix::app
