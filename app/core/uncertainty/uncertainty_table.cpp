#include "core/uncertainty/uncertainty_table.h"

#include "core/session/number_format.h"
#include "core/display/results_table.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace varnix::app {

namespace {

constexpr int kPlainBelowExponent = 7;  // |value| < 1E+07 is written plainly
constexpr int kMostPlainDecimals = 6;
constexpr int kSignificantWithoutSigma = 5;

// The decimal exponent of a text in exponent form ("2.3E-02" → −2).
int exponentOf(const std::string& scientific)
{
    return std::atoi(scientific.c_str() + scientific.find('E') + 1);
}

std::string zeros(int count)
{
    return std::string(static_cast<std::size_t>(std::max(count, 0)), '0');
}

// `value` rounded to the decimal place 10^place and written plainly.
std::string plainAtPlace(double value, int place)
{
    if (place < 0) {
        return formatNumber(value, "0." + zeros(-place));
    }
    const double unit = std::pow(10.0, place);
    return formatNumber(std::round(value / unit) * unit, "0");
}

// `value` in exponent form with its mantissa rounded to the decimal place 10^place.
std::string scientificAtPlace(double value, int place)
{
    const int exponent = value == 0.0 ? place : exponentOf(formatNumber(value, "0E+00"));
    return formatNumber(value, "0." + zeros(exponent - place) + "E+00");
}

std::string significant(double value, int digits)
{
    const int exponent = value == 0.0 ? 0 : exponentOf(formatNumber(value, "0E+00"));
    const int place = exponent - digits + 1;
    if (std::fabs(value) >= std::pow(10.0, kPlainBelowExponent) || -place > kMostPlainDecimals) {
        return scientificAtPlace(value, place);
    }
    return plainAtPlace(value, std::min(place, 0));
}

}  // namespace

ValueSigmaText valueSigmaText(const ValueSigma& figure)
{
    if (!std::isfinite(figure.value)) {
        return ValueSigmaText{"-", ""};
    }
    if (!std::isfinite(figure.sigma) || figure.sigma < 0.0) {
        return ValueSigmaText{significant(figure.value, kSignificantWithoutSigma), ""};
    }
    if (figure.sigma == 0.0) {
        return ValueSigmaText{significant(figure.value, kSignificantWithoutSigma), "0"};
    }
    // Rounded first, so that 0.0996 counts as 0.10 and takes two decimals, not three.
    const std::string sigma = formatNumber(figure.sigma, "0.0E+00");
    const int place = exponentOf(sigma) - 1;
    if (std::fabs(figure.value) >= std::pow(10.0, kPlainBelowExponent) ||
        -place > kMostPlainDecimals) {
        return ValueSigmaText{scientificAtPlace(figure.value, place), sigma};
    }
    return ValueSigmaText{plainAtPlace(figure.value, place), plainAtPlace(figure.sigma, place)};
}

bool hasUncertainties(const Module1& module)
{
    const FitResults& r = module.fitResults;
    return hasFitResults(module) && r.standardDeviationsAvailable &&
           r.uncertainties.peaks.size() == static_cast<std::size_t>(module.configuration.nds);
}

std::string valueSigmaCell(const ValueSigmaText& text)
{
    if (text.sigma.empty()) {
        return text.value;
    }
    return text.value + "\n" + std::string(kPlusMinus) + " " + text.sigma;
}

std::string uncertaintyGridFormat(bool binding)
{
    return std::string("^No. |^Area         |^Share   |^FWHM at\nHeight |^Maximum      |^") +
           (binding ? "Bind." : "Kin.") + " Energy\nof Max |^FWHM at\nMax ";
}

UncertaintyTable uncertaintyTable(const Module1& module)
{
    UncertaintyTable table;
    if (!hasUncertainties(module)) {
        return table;
    }
    const std::vector<PeakUncertainty>& peaks = module.fitResults.uncertainties.peaks;
    for (std::size_t k = 0; k < peaks.size(); ++k) {
        const PeakUncertainty& p = peaks[k];
        ValueSigma energy = p.maximumEnergy;
        if (module.spectrum.binding) {
            energy.value = module.spectrum.hmu - energy.value;
        }
        table.rows.push_back(
            UncertaintyRow{ValueSigmaText{formatNumber(static_cast<double>(k + 1), "###"), ""},
                           valueSigmaText(p.area), valueSigmaText(p.share),
                           valueSigmaText(p.widthAtHalfHeight), valueSigmaText(p.maximum),
                           valueSigmaText(energy), valueSigmaText(p.widthAtHalfMaximum)});
    }
    table.diagnosis = module.fitResults.uncertainties.diagnosis.text;
    return table;
}

}  // namespace varnix::app
