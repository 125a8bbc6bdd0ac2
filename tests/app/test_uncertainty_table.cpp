// How the uncertainties are written: σ to two significant digits, the value to the same decimal
// place, worked out by hand for each case; and which rows the second results grid gets.
#include "core/uncertainty/uncertainty_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace varnix::app {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct TextCase {
    const char* name;
    ValueSigma figure;
    const char* value;
    const char* sigma;
};

class ValueSigmaTexts : public testing::TestWithParam<TextCase> {};

TEST_P(ValueSigmaTexts, SigmaToTwoDigitsAndTheValueToItsPlace)
{
    const TextCase& c = GetParam();
    const ValueSigmaText text = valueSigmaText(c.figure);
    EXPECT_EQ(text.value, c.value);
    EXPECT_EQ(text.sigma, c.sigma);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueSigmaTexts,
    testing::Values(
        TextCase{"decimals", {1234.5678, 0.01234}, "1234.568", "0.012"},
        TextCase{"tens", {12345.6, 234.0}, "12350", "230"},
        TextCase{"sigma_rounds_up_a_place", {0.62341, 0.0996}, "0.62", "0.10"},
        TextCase{"trailing_zero_kept", {2.5, 0.15}, "2.50", "0.15"},
        TextCase{"half_rounds_away_from_zero", {0.125, 0.011}, "0.125", "0.011"},
        TextCase{"negative_value", {-0.004, 0.0021}, "-0.0040", "0.0021"},
        TextCase{"sigma_above_the_value", {5.0, 995.0}, "0", "1000"},
        TextCase{"large_value_in_exponent_form", {1.5e8, 2.34e5}, "1.5000E+08", "2.3E+05"},
        TextCase{"tiny_sigma_in_exponent_form", {3.0, 1.2e-8}, "3.000000000E+00", "1.2E-08"},
        TextCase{"sigma_zero", {123.456, 0.0}, "123.46", "0"},
        TextCase{"sigma_unknown", {123.456, kNaN}, "123.46", ""},
        TextCase{"no_value", {kNaN, 1.0}, "-", ""}),
    [](const testing::TestParamInfo<TextCase>& item) { return std::string(item.param.name); });

TEST(ValueSigmaCell, PlusMinusOnASecondLineOrTheValueAlone)
{
    EXPECT_EQ(valueSigmaCell({"1234.568", "0.012"}), "1234.568\n\xC2\xB1 0.012");
    EXPECT_EQ(valueSigmaCell({"123.46", ""}), "123.46");
}

// One peak after a finished fit, its figures with σ, kinetic or binding energies at HMU 1486.6.
Module1 finishedFit(bool binding)
{
    Module1 m;
    m.spectrum.binding = binding;
    m.spectrum.hmu = 1486.6;
    m.configuration.nds = 1;
    m.configuration.npar = 5;
    m.fitResults.parameters = {1200.0, 1000.0, 0.5, 0.1, 1.0};
    m.fitResults.areas = {1500.0};
    m.fitResults.widths = {1.4};
    m.fitResults.standardDeviationsAvailable = true;
    PeakUncertainty p;
    p.area = {1523.4, 12.34};
    p.share = {1.0, 0.0};
    p.widthAtHalfHeight = {1.41234, 0.00567};
    p.maximum = {1012.3, 5.67};
    p.maximumEnergy = {1200.1234, 0.0123};
    p.widthAtHalfMaximum = {1.35, 0.0045};
    m.fitResults.uncertainties.peaks = {p};
    m.fitResults.uncertainties.diagnosis.text = "LFWHM1 is not determined by the data.";
    return m;
}

struct TableCase {
    const char* name;
    bool binding;
    const char* energy;
};

class UncertaintyRows : public testing::TestWithParam<TableCase> {};

TEST_P(UncertaintyRows, OneRowPerPeakWithTheEnergyOfTheMaximumOnTheDataScale)
{
    const UncertaintyTable table = uncertaintyTable(finishedFit(GetParam().binding));
    ASSERT_EQ(table.rows.size(), 1U);
    const UncertaintyRow expected{ValueSigmaText{"1", ""}, {"1523", "12"},
                                  {"1.0000", "0"},         {"1.4123", "0.0057"},
                                  {"1012.3", "5.7"},       {GetParam().energy, "0.012"},
                                  {"1.3500", "0.0045"}};
    EXPECT_EQ(table.rows[0], expected);
    EXPECT_EQ(table.diagnosis, "LFWHM1 is not determined by the data.");
}

INSTANTIATE_TEST_SUITE_P(EnergyScales, UncertaintyRows,
                         testing::Values(TableCase{"kinetic", false, "1200.123"},
                                         TableCase{"binding", true, "286.477"}),
                         [](const testing::TestParamInfo<TableCase>& item) {
                             return std::string(item.param.name);
                         });

struct WithoutCase {
    const char* name;
    void (*change)(Module1&);
};

class NoUncertaintyRows : public testing::TestWithParam<WithoutCase> {};

TEST_P(NoUncertaintyRows, WhileTheFitHasNoneOfThisConfiguration)
{
    Module1 m = finishedFit(false);
    ASSERT_EQ(uncertaintyTable(m).rows.size(), 1U);
    GetParam().change(m);
    const UncertaintyTable table = uncertaintyTable(m);
    EXPECT_TRUE(table.rows.empty());
    EXPECT_TRUE(table.diagnosis.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoUncertaintyRows,
    testing::Values(WithoutCase{"iterating",
                                [](Module1& m) {
                                    m.fitResults.standardDeviationsAvailable = false;
                                }},
                    WithoutCase{"discarded", [](Module1& m) { discardFit(m.fitResults); }},
                    WithoutCase{"another_peak_count",
                                [](Module1& m) {
                                    m.configuration.nds = 2;
                                    m.configuration.npar = 10;
                                    m.fitResults.parameters.resize(10);
                                    m.fitResults.areas.resize(2);
                                    m.fitResults.widths.resize(2);
                                }}),
    [](const testing::TestParamInfo<WithoutCase>& item) { return std::string(item.param.name); });

}  // namespace
}  // namespace varnix::app
