// What the plot window shows and how zoom and Reset change the data: the Plot menu's settings,
// the sets with their codes, the X limits, the peak markers, binding energies, the cut from the
// backup and the saved state Reset leaves. Expected values are worked out by hand in the cases.
#include "core/display/plot_sets.h"
#include "core/display/zoom.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace varnix::app {
namespace {

using Codes = std::vector<std::pair<int32_t, int32_t>>;  // colour, style of each set
using Values = std::vector<double>;

Codes codesOf(const PlotPicture& picture)
{
    Codes codes;
    for (const PlotSet& set : picture.sets) {
        codes.emplace_back(set.colour, set.style);
    }
    return codes;
}

// np points from 100 eV in steps of 1 eV, counts 10·(i + 1), a configuration of nds peaks and
// nbg background coefficients with a calculated spectrum and components that differ from each
// other point by point.
Module1 spectrumWithFit(int32_t np, int32_t nds, int32_t nbg)
{
    Module1 m;
    m.dataLoaded = true;
    m.spectrum.np = np;
    for (int32_t i = 0; i < np; ++i) {
        m.spectrum.energy.push_back(100.0 + i);
        m.spectrum.counts.push_back(10.0 * (i + 1));
        m.spectrum.sigma.push_back(1.0 + i);
        m.spectrum.calculated.push_back(9.0 * (i + 1));
    }
    m.configuration.nds = nds;
    m.configuration.nbg = nbg;
    ResizeConfiguration(m);
    for (int32_t c = 0; c < m.configuration.ncomp; ++c) {
        for (int32_t i = 0; i < np; ++i) {
            m.fitResults.components.push_back(1000.0 * (c + 1) + i);
        }
    }
    m.residuals.assign(static_cast<std::size_t>(np), -7.0);
    m.calculationDone = true;
    return m;
}

// ---- The Plot menu ------------------------------------------------------------------------

struct ItemCase {
    const char* name;
    int32_t index;
    bool withCalculation;
    int32_t residualScale;
    bool residualFlag;
};

class PlotMenuItems : public testing::TestWithParam<ItemCase> {};

TEST_P(PlotMenuItems, CheckOneItemAndSetItsSettings)
{
    const ItemCase& c = GetParam();
    Module1 m;
    m.plot = PlotSettings{3, !c.withCalculation, false, 5};  // a residual scale from before
    MenuState menu;
    for (MenuEntry& item : menu.plotItems) {
        item.checked = true;
    }
    choosePlotItem(m, menu, c.index);
    for (int32_t i = 0; i < kPlotItems; ++i) {
        EXPECT_EQ(menu.plotItems[static_cast<std::size_t>(i)].checked, i == c.index) << i;
    }
    EXPECT_EQ(m.plot, (PlotSettings{c.index, c.withCalculation, c.residualFlag, c.residualScale}));
}

INSTANTIATE_TEST_SUITE_P(
    AllFive, PlotMenuItems,
    testing::Values(ItemCase{"ExperimentalKeepsTheResidualScale", 0, false, 5, false},
                    ItemCase{"CalculatedHasNoResiduals", 1, true, 0, false},
                    ItemCase{"ResidualsTimes1", 2, true, 1, true},
                    ItemCase{"ResidualsTimes5", 3, true, 5, true},
                    ItemCase{"ResidualsTimes10", 4, true, 10, true}),
    [](const testing::TestParamInfo<ItemCase>& item) { return std::string(item.param.name); });

TEST(PlotMenuItems, NoSixthItem)
{
    Module1 m;
    MenuState menu;
    EXPECT_THROW(choosePlotItem(m, menu, 5), std::out_of_range);
    EXPECT_THROW(choosePlotItem(m, menu, -1), std::out_of_range);
}

TEST(Residuals, CountsMinusCalculatedTimesTheScaleOnlyWhenAskedFor)
{
    Module1 m = spectrumWithFit(3, 1, 0);
    MenuState menu;
    choosePlotItem(m, menu, 1);  // no residuals: the array stays as it was
    updateResiduals(m);
    EXPECT_EQ(m.residuals, (Values{-7.0, -7.0, -7.0}));
    choosePlotItem(m, menu, 3);  // counts 10, 20, 30 against 9, 18, 27, times 5
    updateResiduals(m);
    EXPECT_EQ(m.residuals, (Values{5.0, 10.0, 15.0}));
}

// ---- The sets and their codes -------------------------------------------------------------

struct PlotChoice {
    int32_t plotType;
    int32_t nds, nbg;
    int32_t currentPeak;
    int32_t engineMode;
};

struct SetCase {
    const char* name;
    PlotChoice choice;
    Codes codes;
    std::vector<std::string> legend;
};

class PlotSets : public testing::TestWithParam<SetCase> {};

TEST_P(PlotSets, ColourStyleAndLegendNameOfEverySet)
{
    const SetCase& c = GetParam();
    const PlotChoice& choice = c.choice;
    Module1 m = spectrumWithFit(5, choice.nds, choice.nbg);
    for (int32_t peak = 0; peak < choice.nds; ++peak) {  // every peak inside 100 … 104 eV
        m.configuration.p[static_cast<std::size_t>(5 * peak)] = 100.5 + 0.25 * peak;
    }
    m.currentPeak = choice.currentPeak;
    m.engineMode = choice.engineMode;
    MenuState menu;
    choosePlotItem(m, menu, choice.plotType);
    const PlotPicture picture = plotPicture(m);
    EXPECT_EQ(codesOf(picture), c.codes);
    std::vector<std::string> legend;
    for (const PlotSet& set : picture.sets) {
        legend.push_back(set.name);
    }
    EXPECT_EQ(legend, c.legend);
}

INSTANTIATE_TEST_SUITE_P(
    PlotTypes, PlotSets,
    testing::Values(
        // Spectrum 4/2; fit 1/2; components 5, 6, 8 (7 shown as 8); the selected one dashed
        // after a plain calculation.
        SetCase{"ThreePeaksCalculated",
                {1, 3, 0, 2, 0},
                {{4, 2}, {1, 2}, {5, 1}, {6, 3}, {8, 1}},
                {"Data", "Fit", "Peak 1", "Peak 2", "Peak 3"}},
        // Four components: 5, 6, 8, 8; residuals 5 + 4 = 9; after a fit nothing is dashed.
        SetCase{"ThreePeaksAndBackgroundFittedResiduals",
                {2, 3, 1, 1, 1},
                {{4, 2}, {1, 2}, {5, 1}, {6, 1}, {8, 1}, {8, 1}, {9, 1}},
                {"Data", "Fit", "Peak 1", "Peak 2", "Peak 3", "Background", "Residuals \u00d71"}},
        SetCase{"FourPeaksResiduals",
                {3, 4, 0, 4, 0},
                {{4, 2}, {1, 2}, {5, 1}, {6, 1}, {8, 1}, {8, 3}, {9, 1}},
                {"Data", "Fit", "Peak 1", "Peak 2", "Peak 3", "Peak 4", "Residuals \u00d75"}},
        // Two components: residuals 5 + 2 = 7, shown as 8.
        SetCase{"TwoPeaksResidualColourSevenIsEight",
                {4, 2, 0, 1, 0},
                {{4, 2}, {1, 2}, {5, 3}, {6, 1}, {8, 1}},
                {"Data", "Fit", "Peak 1", "Peak 2", "Residuals \u00d710"}},
        // Without calculation: one stick per peak, colours 1, 2, 3; the background draws none.
        SetCase{"ExperimentalMarkers",
                {0, 3, 1, 2, 0},
                {{4, 2}, {1, 1}, {2, 3}, {3, 1}},
                {"Data", "Peak 1", "Peak 2", "Peak 3"}},
        // The seventh marker takes colour 8, the eighth 9.
        SetCase{"EightMarkersSkipSeven",
                {0, 8, 0, 8, 1},
                {{4, 2}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {8, 1}, {9, 3}},
                {"Data", "Peak 1", "Peak 2", "Peak 3", "Peak 4", "Peak 5", "Peak 6", "Peak 7",
                 "Peak 8"}}),
    [](const testing::TestParamInfo<SetCase>& item) { return std::string(item.param.name); });

TEST(PlotSets, CalculatedSetsCarryTheirColumns)
{
    Module1 m = spectrumWithFit(3, 1, 1);
    MenuState menu;
    choosePlotItem(m, menu, 2);
    const PlotPicture picture = plotPicture(m);
    ASSERT_EQ(picture.sets.size(), 5U);
    for (const PlotSet& set : picture.sets) {
        EXPECT_EQ(set.x, (Values{100.0, 101.0, 102.0}));
    }
    EXPECT_EQ(picture.sets[0].y, (Values{10.0, 20.0, 30.0}));
    EXPECT_EQ(picture.sets[1].y, (Values{9.0, 18.0, 27.0}));
    EXPECT_EQ(picture.sets[2].y, (Values{1000.0, 1001.0, 1002.0}));
    EXPECT_EQ(picture.sets[3].y, (Values{2000.0, 2001.0, 2002.0}));
    EXPECT_EQ(picture.sets[4].y, (Values{-7.0, -7.0, -7.0}));
}

// A peak added after the calculation: the component matrix holds one column too few, and its
// set is shown empty instead of read beyond the matrix.
TEST(PlotSets, ComponentTheRecordsDoNotHoldIsEmpty)
{
    Module1 m = spectrumWithFit(3, 1, 0);
    m.configuration.nds = 2;
    ResizeConfiguration(m);
    MenuState menu;
    choosePlotItem(m, menu, 1);
    const PlotPicture picture = plotPicture(m);
    ASSERT_EQ(picture.sets.size(), 4U);
    EXPECT_EQ(picture.sets[2].y.size(), 3U);
    EXPECT_TRUE(picture.sets[3].x.empty());
    EXPECT_TRUE(picture.sets[3].y.empty());
}

// ---- Limits and titles --------------------------------------------------------------------

struct LimitCase {
    const char* name;
    Values energy;  // kinetic
    Values counts;
    double hmu;  // binding data when > 0
    double xLow, xHigh, yLow, yHigh;
};

class Limits : public testing::TestWithParam<LimitCase> {};

TEST_P(Limits, InShownEnergiesAndEveryValueWithAMargin)
{
    const LimitCase& c = GetParam();
    Module1 m;
    m.spectrum.np = static_cast<int32_t>(c.energy.size());
    m.spectrum.energy = c.energy;
    m.spectrum.counts = c.counts;
    m.spectrum.binding = c.hmu > 0.0;
    m.spectrum.photonEnergyKnown = m.spectrum.binding;
    m.spectrum.hmu = c.hmu > 0.0 ? c.hmu : 1253.6;  // known, but the file held kinetic energies
    const PlotPicture picture = plotPicture(m);
    EXPECT_DOUBLE_EQ(picture.xLow, c.xLow);
    EXPECT_DOUBLE_EQ(picture.xHigh, c.xHigh);
    EXPECT_DOUBLE_EQ(picture.yLow, c.yLow);
    EXPECT_DOUBLE_EQ(picture.yHigh, c.yHigh);
    EXPECT_EQ(picture.binding, c.hmu > 0.0);
    EXPECT_EQ(picture.title, "Fitting Experimental Data");
    EXPECT_EQ(picture.xTitle, c.hmu > 0.0 ? "Binding Energy (eV)" : "Kinetic Energy (eV)");
    EXPECT_EQ(picture.yTitle, "Intensity (counts)");
}

const Values kSixEnergies = {100.0, 101.0, 102.0, 103.0, 104.0, 105.0};
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// clang-format off
INSTANTIATE_TEST_SUITE_P(Spectra, Limits, testing::Values(
    // 10 … 50 with 5 % of 40 to spare.
    LimitCase{"Ascending", {100.2, 230.0, 357.9}, {10, 30, 50}, 0.0, 100.2, 357.9, 8.0, 52.0},
    // The larger energy is the upper limit; one value everywhere: half a count each way.
    LimitCase{"DescendingFlat", {1200.7, 1197.0, 1195.1}, {7, 7, 7}, 0.0, 1195.1, 1200.7, 6.5, 7.5},
    // One energy: half an eV each way, so that the chart has a range to show.
    LimitCase{"OnePoint", {42.0}, {7}, 0.0, 41.5, 42.5, 6.5, 7.5},
    // Kinetic 1186.25 … 1201 under 1486.5 eV are binding 300.25 … 285.5.
    LimitCase{"Binding", {1186.25, 1190.0, 1201.0}, {50, 10, 30}, 1486.5, 285.5, 300.25, 8.0, 52.0},
    LimitCase{"PeakInTheMiddle", kSixEnergies, {10, 30, 90, 80, 30, 10}, 0.0, 100, 105, 6.0, 94.0},
    // A value that is not a number is not drawn and does not stretch the axis.
    LimitCase{"NotANumberLeftOut", kSixEnergies, {10, 20, kNaN, 40, 45, 50}, 0.0, 100, 105, 8.0,
              52.0}),
    [](const testing::TestParamInfo<LimitCase>& item) { return std::string(item.param.name); });
// clang-format on

// Residuals below zero and the calculated curves count as well as the data.
TEST(Limits, EverySetDrawnCounts)
{
    Module1 m = spectrumWithFit(5, 1, 0);  // counts 10 … 50, calculated 9 … 45, component 1000 …
    MenuState menu;
    choosePlotItem(m, menu, 3);
    m.residuals = {-100.0, 0.0, 0.0, 0.0, 0.0};
    const PlotPicture picture = plotPicture(m);
    // −100 … 1004: 5 % of 1104 is 55.2.
    EXPECT_DOUBLE_EQ(picture.yLow, -155.2);
    EXPECT_DOUBLE_EQ(picture.yHigh, 1059.2);
}

// ---- Peak markers -------------------------------------------------------------------------

// Peaks at 95, 100, 105, 111 and 110 eV over data from 100 to 110 eV: the first and the fourth
// lie outside and get no stick; the third is selected.
Module1 markerModule(double hmu)
{
    Module1 m = spectrumWithFit(11, 5, 0);
    m.spectrum.binding = hmu > 0.0;
    m.spectrum.hmu = hmu;
    const Values positions = {95.0, 100.0, 105.0, 111.0, 110.0};
    for (std::size_t peak = 0; peak < positions.size(); ++peak) {
        m.configuration.p[5 * peak] = positions[peak];
        m.configuration.p[5 * peak + 1] = 500.0 + static_cast<double>(peak);
    }
    m.currentPeak = 3;
    return m;
}

TEST(PeakMarkers, SticksOnlyInsideTheLimits)
{
    const PlotPicture picture = plotPicture(markerModule(0.0));
    ASSERT_EQ(picture.sets.size(), 4U);
    // Named after the peak they stand for, not after their place among the sticks.
    EXPECT_EQ(picture.sets[1], (PlotSet{1, 1, {100.0, 100.0}, {501.0, 0.0}, "Peak 2"}));
    EXPECT_EQ(picture.sets[2], (PlotSet{2, 3, {105.0, 105.0}, {502.0, 0.0}, "Peak 3"}));
    EXPECT_EQ(picture.sets[3], (PlotSet{3, 1, {110.0, 110.0}, {504.0, 0.0}, "Peak 5"}));
}

TEST(PeakMarkers, BindingDataShowBindingPositions)
{
    const PlotPicture picture = plotPicture(markerModule(1486.5));
    EXPECT_EQ(picture.xTitle, "Binding Energy (eV)");
    EXPECT_DOUBLE_EQ(picture.xLow, 1376.5);
    EXPECT_DOUBLE_EQ(picture.xHigh, 1386.5);
    ASSERT_EQ(picture.sets.size(), 4U);
    EXPECT_EQ(picture.sets[0].x.front(), 1386.5);
    EXPECT_EQ(picture.sets[2], (PlotSet{2, 3, {1381.5, 1381.5}, {502.0, 0.0}, "Peak 3"}));
    const Module1 m = markerModule(1486.5);
    EXPECT_EQ(kineticEnergy(m.spectrum, 1381.5), 105.0);  // back from the axis, as zoom needs
}

// ---- Codes ------------------------------------------------------------------------------

TEST(CodeTable, DistinctColoursReadableOnWhiteAndWrappingRound)
{
    constexpr double kReadable = 200.0;  // luma below which a thin line still shows on white
    std::set<std::tuple<int, int, int>> seen;
    for (int32_t code = 1; code <= 15; ++code) {
        const Rgb c = colourOfCode(code);
        seen.emplace(c.red, c.green, c.blue);
        const double luma = 0.299 * c.red + 0.587 * c.green + 0.114 * c.blue;
        EXPECT_LT(luma, kReadable) << code;
    }
    EXPECT_EQ(seen.size(), 15U);
    EXPECT_EQ(colourOfCode(16), colourOfCode(1));
    EXPECT_EQ(colourOfCode(24), colourOfCode(9));
    EXPECT_LT(styleOfCode(1).width, styleOfCode(2).width);
    EXPECT_TRUE(styleOfCode(3).dashed);
    EXPECT_FALSE(styleOfCode(2).dashed);
}

// ---- Zoom and Reset -----------------------------------------------------------------------

TEST(Zoom, EveryZoomCutsFromTheFullData)
{
    Module1 m = spectrumWithFit(10, 1, 0);
    m.calculationDone = false;
    MenuState menu;
    EXPECT_EQ(ReSizePlot(m, menu, 102.5, 106.5), ZoomOutcome::Cut);
    EXPECT_EQ(m.spectrum.energy, (Values{103.0, 104.0, 105.0, 106.0}));
    EXPECT_TRUE(m.zoom.zoomed);
    EXPECT_EQ(m.zoom.npFull, 10);
    EXPECT_FALSE(m.dataSaved);
    EXPECT_TRUE(menu.saveAsData.enabled);
    // Release left of the press; the window shown holds nothing below 103 eV.
    EXPECT_EQ(ReSizePlot(m, menu, 104.0, 100.5), ZoomOutcome::Cut);
    EXPECT_EQ(m.spectrum.np, 4);
    EXPECT_EQ(m.spectrum.energy, (Values{101.0, 102.0, 103.0, 104.0}));
    EXPECT_EQ(m.spectrum.counts, (Values{20.0, 30.0, 40.0, 50.0}));
    EXPECT_EQ(m.spectrum.sigma, (Values{2.0, 3.0, 4.0, 5.0}));
    EXPECT_EQ(m.spectrum.calculated.size(), 4U);
    EXPECT_EQ(m.zoom.npFull, 10);
}

TEST(Zoom, CalculationCutRowByRow)
{
    Module1 m = spectrumWithFit(6, 1, 1);
    m.residuals = {0.5, 1.5, 2.5, 3.5, 4.5, 5.5};
    MenuState menu;
    ASSERT_EQ(ReSizePlot(m, menu, 101.0, 102.0), ZoomOutcome::Cut);
    EXPECT_EQ(m.spectrum.calculated, (Values{18.0, 27.0}));
    // Two points × two components, column-major.
    EXPECT_EQ(m.fitResults.components, (Values{1001.0, 1002.0, 2001.0, 2002.0}));
    EXPECT_EQ(m.residuals, (Values{1.5, 2.5}));
}

TEST(Zoom, RectangleWithoutWidthOrPointsChangesNothing)
{
    Module1 m = spectrumWithFit(10, 1, 0);
    m.spectrum.energy = {100, 101, 102, 103, 104, 120, 121, 122, 123, 124};  // a gap
    MenuState menu;
    const Module1 before = m;
    const MenuState menuBefore = menu;
    EXPECT_EQ(ReSizePlot(m, menu, 103.5, 103.5), ZoomOutcome::Nothing);
    EXPECT_EQ(ReSizePlot(m, menu, 106.0, 118.0), ZoomOutcome::NoPointsInside);
    EXPECT_EQ(m, before);
    EXPECT_EQ(menu, menuBefore);

    // Once zoomed, an empty rectangle leaves the window shown.
    ASSERT_EQ(ReSizePlot(m, menu, 99.0, 101.0), ZoomOutcome::Cut);
    const Module1 zoomed = m;
    EXPECT_EQ(ReSizePlot(m, menu, 105.0, 119.0), ZoomOutcome::NoPointsInside);
    EXPECT_EQ(m, zoomed);
}

TEST(Reset, BringsBackTheDataAndTheCalculation)
{
    Module1 m = spectrumWithFit(6, 2, 0);
    Module1 none = m;
    EXPECT_EQ(resetZoom(none), ResetOutcome::Nothing);  // no backup
    EXPECT_EQ(none, m);
    MenuState menu;
    ASSERT_EQ(ReSizePlot(m, menu, 102.0, 103.0), ZoomOutcome::Cut);
    ASSERT_EQ(ReSizePlot(m, menu, 104.0, 105.0), ZoomOutcome::Cut);
    EXPECT_EQ(resetZoom(m), ResetOutcome::Restored);
    const Module1 full = spectrumWithFit(6, 2, 0);
    EXPECT_EQ(m.spectrum, full.spectrum);
    EXPECT_EQ(m.fitResults.components, full.fitResults.components);
    EXPECT_EQ(m.residuals, full.residuals);
    EXPECT_TRUE(m.zoom.zoomed);
}

// A calculation on zoomed data clears only the zoomed flag: Reset still brings the full data
// back, but not the curves of the model before, and the next zoom takes a new backup.
TEST(Reset, AfterACalculationOnZoomedDataAsksForTheModelAgain)
{
    Module1 m = spectrumWithFit(6, 1, 1);
    MenuState menu;
    ASSERT_EQ(ReSizePlot(m, menu, 102.0, 104.0), ZoomOutcome::Cut);
    clearZoomedFlag(m.zoom);
    m.spectrum.calculated.assign(3, 1.0);  // the new model on the three points shown
    EXPECT_EQ(resetZoom(m), ResetOutcome::ModelStale);
    const Module1 full = spectrumWithFit(6, 1, 1);
    EXPECT_EQ(std::tuple(m.spectrum.np, m.spectrum.energy, m.spectrum.counts, m.spectrum.sigma),
              std::tuple(6, full.spectrum.energy, full.spectrum.counts, full.spectrum.sigma));
    EXPECT_EQ(m.spectrum.calculated, Values(6, 0.0));
    EXPECT_EQ(m.fitResults.components, Values(12, 0.0));
    EXPECT_EQ(m.residuals, Values(6, 0.0));
    EXPECT_FALSE(m.zoom.zoomed);

    ASSERT_EQ(ReSizePlot(m, menu, 103.0, 105.0), ZoomOutcome::Cut);  // a new backup, of these
    EXPECT_EQ(resetZoom(m), ResetOutcome::Restored);
    EXPECT_EQ(m.spectrum.np, 6);
}

// Each step: 'z' zoom, 'r' reset, 's' a save of the data as they are.
struct SavedCase {
    const char* name;
    bool savedBefore;
    const char* steps;
    bool savedAfter;
};

class ResetSaved : public testing::TestWithParam<SavedCase> {};

TEST_P(ResetSaved, SavedOnlyWhenTheFileHoldsTheRestoredData)
{
    const SavedCase& c = GetParam();
    Module1 m = spectrumWithFit(8, 1, 0);
    m.dataSaved = c.savedBefore;
    MenuState menu;
    for (const char* step = c.steps; *step != '\0'; ++step) {
        if (*step == 'z') {
            ASSERT_EQ(ReSizePlot(m, menu, 101.0, 104.0), ZoomOutcome::Cut);
            EXPECT_FALSE(m.dataSaved);
        } else if (*step == 'r') {
            ASSERT_EQ(resetZoom(m), ResetOutcome::Restored);
        } else {
            m.dataSaved = true;
        }
    }
    EXPECT_EQ(m.dataSaved, c.savedAfter);
    EXPECT_EQ(m.spectrum.np, 8);
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, ResetSaved,
    testing::Values(SavedCase{"SavedBefore", true, "zr", true},
                    // A typed photon energy or an energy shift was not saved: it still needs to be.
                    SavedCase{"UnsavedBefore", false, "zr", false},
                    SavedCase{"ZoomTwiceSaved", true, "zzr", true},
                    SavedCase{"TwoRoundsSaved", true, "zrzr", true},
                    // The file now holds the zoomed window, not the full data.
                    SavedCase{"ZoomedWindowSaved", true, "zsr", false},
                    SavedCase{"FullDataSavedAfterReset", false, "zrszr", true}),
    [](const testing::TestParamInfo<SavedCase>& item) { return std::string(item.param.name); });

}  // namespace
}  // namespace varnix::app
