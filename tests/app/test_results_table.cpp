// What the results and correlation windows show, from hand-built fit results whose standard
// deviations and correlations are worked out by hand (SD = √E(i,i), r = E(i,j)/(SD(i)·SD(j))).
#include "core/display/results_table.h"
#include "core/fit/engine_call.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace varnix::app {
namespace {

using Texts = std::vector<std::string>;

// A value with its standard deviation on a second line after the plus-minus sign.
std::string pm(const char* value, const char* sd)
{
    return std::string(value).append("\n\xC2\xB1").append(sd);
}
constexpr double kRoundTol = 1e-12;  // a square root and two divisions

// Two peaks and a linear background. Varied: Pos1, Height1, GFWHM1, Height2, LFWHM2, a0, a1
// (LFWHM1, Alpha2, GFWHM2 fixed; Alpha1 and Pos2 correlated), so nfree = 7, with standard
// deviations 0.01, 150, 0.02, 40, 0.03, 0.5 and 0.0002 on the diagonal of E as their squares.
Module1 fitted(bool finished)
{
    Module1 m;
    m.configuration.nds = 2;
    m.configuration.nbg = 2;
    m.configuration.npar = 12;
    m.configuration.p.assign(10, 0.0);
    m.configuration.a = {0.0, 0.0, 7.0};
    MakeParameterNames(m.configuration);
    m.engine.varied = {0, 0, 2, 1, 0, 1, 0, 0, 2, 2, 0, 0};
    FitResults& r = m.fitResults;
    r.parameters = {1200.5, 12345.6, 0.85, 0.125, 1.2,  1203.25,
                    5000.0, 0.9,     0.05, 1.1,   15.0, -0.0025};
    r.nfree = 7;
    r.errorMatrix.assign(49, 0.0);
    const std::vector<double> variances = {1e-4, 22500.0, 4e-4, 1600.0, 9e-4, 0.25, 4e-8};
    for (std::size_t i = 0; i < variances.size(); ++i) {
        r.errorMatrix[i * 8] = variances[i];
    }
    r.areas = {34567.0, 8000.0};
    r.widths = {1.45, 1.3};
    r.conditionNumber = 1234.5678;
    r.standardDeviationsAvailable = finished;
    m.engineMode = finished ? kEngineErrorMatrix : kEngineIterate;
    return m;
}

// ---- The cells of both grids ----

struct CellsCase {
    const char* name;
    bool finished;
    bool binding;
    std::vector<Texts> rows;
    Texts coefficients;
};

class ResultCells : public testing::TestWithParam<CellsCase> {};

TEST_P(ResultCells, ValuesWithTheDeviationsOfTheVariedParametersInTurn)
{
    const CellsCase& c = GetParam();
    Module1 m = fitted(c.finished);
    m.spectrum.binding = c.binding;
    m.spectrum.hmu = 1486.6;
    ASSERT_TRUE(UpdateStandardDeviations(m.fitResults));
    const ResultsTable table = resultsTable(m);
    ASSERT_EQ(table.peakRows.size(), c.rows.size());
    for (std::size_t r = 0; r < c.rows.size(); ++r) {
        EXPECT_EQ(Texts(table.peakRows[r].begin(), table.peakRows[r].end()), c.rows[r]) << r;
    }
    EXPECT_EQ(table.coefficients, c.coefficients);
    EXPECT_TRUE(table.messages.empty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Fits, ResultCells, testing::Values(
    CellsCase{"WhileIterating", false, false,
              {{"1", "1200.5000", "1.23E+04", "0.8500", "0.1250", "1.2000", "3.46E+04", "1.4500"},
               {"2", "1203.2500", "5.00E+03", "0.9000", "0.0500", "1.1000", "8.00E+03", "1.3000"}},
              {"1.500E+01", "-2.500E-03"}},
    CellsCase{"FinishedKinetic", true, false,
              {{"1", pm("1200.5000", "0.0100"), pm("1.23E+04", "1.50E+02"), "0.8500",
                "0.1250", pm("1.2000", "0.0200"), "3.46E+04", "1.4500"},
               {"2", "1203.2500", pm("5.00E+03", "4.00E+01"), pm("0.9000", "0.0300"),
                "0.0500", "1.1000", "8.00E+03", "1.3000"}},
              {pm("1.500E+01", "5.000E-01"), pm("-2.500E-03", "2.000E-04")}},
    CellsCase{"FinishedBindingShowsHmuMinusPos", true, true,
              {{"1", pm("286.1000", "0.0100"), pm("1.23E+04", "1.50E+02"), "0.8500",
                "0.1250", pm("1.2000", "0.0200"), "3.46E+04", "1.4500"},
               {"2", "283.3500", pm("5.00E+03", "4.00E+01"), pm("0.9000", "0.0300"),
                "0.0500", "1.1000", "8.00E+03", "1.3000"}},
              {pm("1.500E+01", "5.000E-01"), pm("-2.500E-03", "2.000E-04")}}),
    [](const testing::TestParamInfo<CellsCase>& p) { return std::string(p.param.name); });
// clang-format on

TEST(ResultCells, BackgroundColumnsFollowNbg)
{
    Module1 m = fitted(false);
    m.configuration.nbg = 0;
    m.fitResults.parameters.resize(10);
    EXPECT_TRUE(resultsTable(m).coefficients.empty());
    EXPECT_EQ(polynomialGridFormat(0), "");
    EXPECT_EQ(polynomialGridFormat(2), "<a0               |<a1                ");
    EXPECT_EQ(polynomialGridFormat(3),
              "<a0               |<a1                |<a2                ");
}

// No fit yet, or a fit of a configuration of another size (two peaks shown for one: old Pos2
// would stand under a0): only the peak numbers are shown.
TEST(ResultCells, ResultsNotOfThisConfigurationLeaveTheValueCellsEmpty)
{
    Module1 none = fitted(false);
    none.fitResults = FitResults{};
    Module1 fewerPeaks = fitted(true);
    fewerPeaks.configuration.nds = 1;
    ResizeConfiguration(fewerPeaks);
    for (const Module1* m : {&none, &fewerPeaks}) {
        const ResultsTable table = resultsTable(*m);
        const auto peaks = static_cast<std::size_t>(m->configuration.nds);
        ASSERT_EQ(table.peakRows.size(), peaks);
        EXPECT_EQ(Texts(table.peakRows.back().begin(), table.peakRows.back().end()),
                  Texts({std::to_string(peaks), "", "", "", "", "", "", ""}));
        EXPECT_EQ(table.coefficients, Texts({"", ""}));
        EXPECT_TRUE(table.messages.empty() && !table.conditionNumber);
    }
}

// ---- Messages and the condition number ----

struct WidthCase {
    const char* name;
    bool finished;
    std::vector<double> widths;
    std::size_t messages;
    Texts widthCells;
};

class PeakWidthMessages : public testing::TestWithParam<WidthCase> {};

TEST_P(PeakWidthMessages, OncePerNonPositiveWidthOfAFinishedFit)
{
    const WidthCase& c = GetParam();
    Module1 m = fitted(c.finished);
    m.fitResults.widths = c.widths;
    const ResultsTable table = resultsTable(m);
    EXPECT_EQ(table.messages, Texts(c.messages,
                                    "Failure in interpolation to find peak width - "
                                    "probably due to unphysical line form"));
    EXPECT_EQ((Texts{table.peakRows[0][7], table.peakRows[1][7]}), c.widthCells);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, PeakWidthMessages,
    testing::Values(WidthCase{"BothFailed", true, {0.0, -0.5}, 2, {"0.0000", "-0.5000"}},
                    WidthCase{"SecondFailed", true, {1.45, -0.5}, 1, {"1.4500", "-0.5000"}},
                    WidthCase{"WhileIterating", false, {0.0, -0.5}, 0, {"0.0000", "-0.5000"}},
                    WidthCase{"AllFound", true, {1.45, 1.3}, 0, {"1.4500", "1.3000"}}),
    [](const testing::TestParamInfo<WidthCase>& p) { return std::string(p.param.name); });

TEST(ConditionNumber, OnlyAfterTheErrorMatrixPass)
{
    Module1 m = fitted(true);
    EXPECT_EQ(resultsTable(m).conditionNumber, "1.2346E+03");
    for (int32_t mode : {kEngineCalculate, kEngineIterate}) {
        m.engineMode = mode;
        EXPECT_EQ(resultsTable(m).conditionNumber, std::nullopt) << mode;
    }
}

// ---- Standard deviations ----

// The values themselves show in the finished fit's cells above.
TEST(StandardDeviations, OnlyOnceTheFitFinishedAndNoneFromANegativeDiagonal)
{
    Module1 m = fitted(false);
    EXPECT_TRUE(UpdateStandardDeviations(m.fitResults));
    EXPECT_TRUE(m.fitResults.standardDeviations.empty());

    m = fitted(true);
    m.fitResults.standardDeviations = {9.0};
    m.fitResults.errorMatrix[2 * 8] = -4e-4;
    EXPECT_FALSE(UpdateStandardDeviations(m.fitResults));
    EXPECT_EQ(m.fitResults.standardDeviations, std::vector<double>{9.0});
}

// ---- Update Configuration ----

TEST(UpdateConfiguration, FittedValuesBecomeTheConfigurationPositionsKinetic)
{
    Module1 m = fitted(true);
    m.spectrum.binding = true;
    m.spectrum.hmu = 1486.6;
    MenuState menu;
    menu.saveAsConfiguration.enabled = false;
    ASSERT_TRUE(UpdateConfiguration(m, menu));
    const std::vector<double>& p = m.fitResults.parameters;
    EXPECT_EQ(m.configuration.p, std::vector<double>(p.begin(), p.begin() + 10));
    EXPECT_EQ(m.configuration.a, (std::array<double, 3>{15.0, -0.0025, 7.0}));
    EXPECT_FALSE(m.configSaved);
    EXPECT_TRUE(menu.saveConfiguration.enabled);
    EXPECT_TRUE(menu.saveAsConfiguration.enabled);
}

struct MismatchCase {
    const char* name;
    int32_t nds;
    std::size_t fittedValues;
};

class UpdateConfigurationRefused : public testing::TestWithParam<MismatchCase> {};

TEST_P(UpdateConfigurationRefused, WhenTheFitDoesNotMatchTheConfiguration)
{
    const MismatchCase& c = GetParam();
    Module1 m = fitted(true);
    m.configuration.nds = c.nds;
    m.configuration.p.assign(static_cast<std::size_t>(5 * c.nds), 1.0);
    m.fitResults.parameters.resize(c.fittedValues);
    const Module1 before = m;
    MenuState menu;
    menu.saveAsConfiguration.enabled = false;
    const MenuState menuBefore = menu;
    EXPECT_FALSE(UpdateConfiguration(m, menu));
    EXPECT_EQ(m, before);
    EXPECT_EQ(menu, menuBefore);
}

INSTANTIATE_TEST_SUITE_P(Sizes, UpdateConfigurationRefused,
                         testing::Values(MismatchCase{"NoFitYet", 2, 0},
                                         MismatchCase{"PeakAddedSinceFit", 3, 12},
                                         MismatchCase{"PeakRemovedSinceFit", 1, 12},
                                         MismatchCase{"NoPeaksNothingFitted", 0, 0}),
                         [](const testing::TestParamInfo<MismatchCase>& p) {
                             return std::string(p.param.name);
                         });

// ---- The correlation grid ----

// One peak and a constant background; the fit varied Pos1, Alpha1 and a0. E has standard
// deviations 2, 3, 1 and off-diagonal covariances 2 (Pos1, Alpha1) and −3 (Alpha1, a0), so
// r = 2/6 and −3/3.
Module1 correlated()
{
    Module1 m;
    m.configuration.nds = 1;
    m.configuration.nbg = 1;
    m.configuration.npar = 6;
    MakeParameterNames(m.configuration);
    m.engine.varied = {0, 2, 1, 0, 2, 0};
    m.fitResults.nfree = 3;
    m.fitResults.errorMatrix = {4.0, 2.0, 0.0, 2.0, 9.0, -3.0, 0.0, -3.0, 1.0};
    m.fitResults.standardDeviationsAvailable = true;
    return m;
}

struct GridCase {
    const char* name;
    std::size_t diagonal;  // index of the diagonal element replaced
    double variance;
    std::vector<Texts> rows;
};

class CorrelationGridCells : public testing::TestWithParam<GridCase> {};

TEST_P(CorrelationGridCells, UpperTriangleWithVariedNamesOnFourEdges)
{
    const GridCase& c = GetParam();
    Module1 m = correlated();
    m.fitResults.errorMatrix[c.diagonal * 4] = c.variance;
    ASSERT_TRUE(UpdateCorrelations(m.fitResults));
    const CorrelationGrid grid = correlationGrid(m);
    ASSERT_EQ(grid.order, 5);
    for (int32_t row = 0; row < grid.order; ++row) {
        Texts cells;
        for (int32_t column = 0; column < grid.order; ++column) {
            cells.push_back(grid.cell(row, column));
        }
        EXPECT_EQ(cells, c.rows[static_cast<std::size_t>(row)]) << row;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Matrices, CorrelationGridCells, testing::Values(
    GridCase{"Defined", 1, 9.0,
             {{"", "Pos1", "Alpha1", "a0", ""},
              {"Pos1", "1.000", "0.333", "0.000", "Pos1"},
              {"Alpha1", "", "1.000", "-1.000", "Alpha1"},
              {"a0", "", "", "1.000", "a0"},
              {"", "Pos1", "Alpha1", "a0", ""}}},
    GridCase{"ZeroDeviationUndefined", 1, 0.0,
             {{"", "Pos1", "Alpha1", "a0", ""},
              {"Pos1", "1.000", "-", "0.000", "Pos1"},
              {"Alpha1", "", "-", "-", "Alpha1"},
              {"a0", "", "", "1.000", "a0"},
              {"", "Pos1", "Alpha1", "a0", ""}}},
    GridCase{"NegativeDiagonalUndefinedFromThere", 1, -9.0,
             {{"", "Pos1", "Alpha1", "a0", ""},
              {"Pos1", "1.000", "-", "-", "Pos1"},
              {"Alpha1", "", "-", "-", "Alpha1"},
              {"a0", "", "", "-", "a0"},
              {"", "Pos1", "Alpha1", "a0", ""}}}),
    [](const testing::TestParamInfo<GridCase>& p) { return std::string(p.param.name); });
// clang-format on

TEST(Correlations, FullMatrixStoredWithUnitDiagonal)
{
    Module1 m = correlated();
    ASSERT_TRUE(UpdateCorrelations(m.fitResults));
    const auto& cells = m.fitResults.correlations;
    ASSERT_EQ(cells.size(), 9U);
    for (std::size_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(cells[i * 4].has_value());
        EXPECT_NEAR(*cells[i * 4], 1.0, kRoundTol);
    }
    ASSERT_TRUE(cells[1].has_value());  // below the diagonal too: the reports use it
    EXPECT_NEAR(*cells[1], 1.0 / 3.0, kRoundTol);
    EXPECT_NEAR(*cells[5], -1.0, kRoundTol);
}

TEST(Correlations, NoErrorMatrixNoCorrelations)
{
    Module1 unfinished = correlated();
    unfinished.fitResults.standardDeviationsAvailable = false;
    Module1 noFit;
    noFit.fitResults.standardDeviationsAvailable = true;
    for (Module1* m : {&unfinished, &noFit}) {
        EXPECT_FALSE(UpdateCorrelations(m->fitResults));
        EXPECT_TRUE(m->fitResults.correlations.empty());
        EXPECT_EQ(correlationGrid(*m).order, 2);  // the corners alone, all empty
    }
}

// ---- Grid sizing: a 603 × 483 px grid leaves 600 × 480 inside its frame ----

struct SizingCase {
    const char* name;
    int32_t columns, rows;
    GridSizing expected;
    int32_t width = 603, height = 483;
};

class GridSizingRule : public testing::TestWithParam<SizingCase> {};

TEST_P(GridSizingRule, ScrollBarsAndCellSizesFromTheTwelveByTwelveLimits)
{
    const SizingCase& c = GetParam();
    EXPECT_EQ(sizeGrid(c.width, c.height, c.columns, c.rows, 17), c.expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Counts, GridSizingRule, testing::Values(
    SizingCase{"Neither", 5, 4, {ScrollBars::None, 480 / 4, 600 / 5}},
    SizingCase{"AtTheLimits", 12, 12, {ScrollBars::None, 480 / 12, 600 / 12}},
    SizingCase{"ColumnsOnly", 13, 4, {ScrollBars::Horizontal, 115, 50}},   // 463/4, 600/12
    SizingCase{"RowsOnly", 5, 13, {ScrollBars::Vertical, 40, 116}},        // 480/12, 583/5
    SizingCase{"Both", 13, 13, {ScrollBars::Both, 38, 48}},                // 463/12, 583/12
    SizingCase{"BothStayAtTwelve", 40, 40, {ScrollBars::Both, 38, 48}},
    SizingCase{"TinyGridStillGetsCellsOfOnePixel", 14, 14, {ScrollBars::Both, 1, 1}, 10, 10}),
    [](const testing::TestParamInfo<SizingCase>& p) { return std::string(p.param.name); });
// clang-format on

}  // namespace
}  // namespace varnix::app
