// What the results window and the correlation window show, free of widgets: the cell texts of
// the peak grid grdDS and the coefficient grid grdPolynomial, the messages due before them, the
// condition number, Update Configuration, the correlation grid and the rule that sizes it. The
// windows only put these texts into their grids.
//
// The link states are those of the last engine call (Module1::engine.varied), not the
// configuration's: the error matrix belongs to the parameters that call varied, and the
// configuration may have been edited since. Values the last engine call did not deliver (no fit
// yet, or a configuration of another size) leave their cells empty rather than reading past the
// arrays.
#pragma once

#include "core/session/menu_state.h"
#include "core/session/module1.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::app {

// The plus-minus sign before a standard deviation, in UTF-8.
inline constexpr std::string_view kPlusMinus = "\xC2\xB1";

inline constexpr std::string_view kPeakWidthMessage =
    "Failure in interpolation to find peak width - probably due to unphysical line form";

// Shown by the correlation window when no finished fit has left an error matrix.
inline constexpr std::string_view kNoErrorMatrixMessage =
    "No correlation matrix available - it needs the error matrix of a finished fit";

inline constexpr int32_t kResultsColumns = 8;  // No., the five parameters, Area, FWHM

// grdDS's format string, with the position column named by the energy scale of the data.
std::string peakGridFormat(bool binding);

// grdPolynomial's format string: a0, a1, a2 as far as nbg goes.
std::string polynomialGridFormat(int32_t nbg);

using PeakRow = std::array<std::string, kResultsColumns>;

struct ResultsTable {
    std::vector<PeakRow> peakRows;               // grdDS rows below the header, one per peak
    std::vector<std::string> coefficients;       // grdPolynomial's row: none hides the grid
    std::vector<std::string> messages;           // to show, in order, before the cells
    std::optional<std::string> conditionNumber;  // only after the error-matrix pass

    bool operator==(const ResultsTable&) const = default;
};

// Whether fitResults hold the values of a fit of the current configuration: one per parameter,
// an area and a width per peak. A calculation alone leaves none, and discardFit clears them
// when another configuration or spectrum comes; a configuration of another size never matches.
bool hasFitResults(const Module1& module);

// When the fit has left its error matrix (standardDeviationsAvailable), the standard deviations
// √E(i,i) into results.standardDeviations. false at a negative diagonal element: nothing is
// stored, and the caller shows engine::kNegativeDiagonalMessage and ends the program through
// endProgram.
bool UpdateStandardDeviations(FitResults& results);

// The standard deviation of each fitted parameter as both grids pair them: the v-th deviation
// to the v-th parameter the last engine call varied, background coefficients always varied.
// None for a parameter that was not varied, and none at all until the fit has its deviations.
std::vector<std::optional<double>> parameterDeviations(const Module1& module);

// The names of the parameters the last engine call varied, in parameter order: the rows and
// columns of the error matrix. Exactly nfree of them, empty ones making up a shortfall.
std::vector<std::string> freeParameterNames(const Module1& module, std::size_t nfree);

// The cells of both grids from the fitted values. Each varied peak parameter and every
// background coefficient takes the next standard deviation on a second line once they are
// available; the position is HMU − Pos for binding-energy data. A non-positive width of a
// finished fit adds its message, once per peak. Without fit results of this configuration
// (hasFitResults) only the peak numbers are shown.
ResultsTable resultsTable(const Module1& module);

// Update Configuration: the fitted values become the configuration's peak parameters and
// background coefficients, all of them whatever their link, positions as kinetic energies; the
// configuration is then unsaved and Save > Configuration and Save As > Configuration are
// enabled. false, changing nothing, without fit results of this configuration.
bool UpdateConfiguration(Module1& module, MenuState& menu);

// The correlation routine: results.correlations from the error matrix and its standard
// deviations, these taken from the matrix itself so that both belong to the same fit. Cells of a
// parameter whose standard deviation is zero stay empty. false, changing nothing, when no
// finished fit has left an error matrix.
bool UpdateCorrelations(FitResults& results);

// mgrCorrelation's contents: nfree + 2 rows and columns; the upper triangle holds the
// correlations ("-" where undefined); the names of the varied parameters, in parameter order,
// run along all four edges; the corners and everything below the diagonal stay empty.
struct CorrelationGrid {
    int32_t order = 0;
    std::vector<std::string> cells;  // order × order, row after row

    const std::string& cell(int32_t row, int32_t column) const;
    bool operator==(const CorrelationGrid&) const = default;
};

// From module.fitResults.correlations, as UpdateCorrelations left them.
CorrelationGrid correlationGrid(const Module1& module);

// The grid sizing rule, in pixels: up to maxRows rows and maxColumns columns fill the grid; a
// larger count gets a scroll bar in its direction and cells the size that limit gives.
enum class ScrollBars : int32_t { None = 0, Horizontal = 1, Vertical = 2, Both = 3 };

struct GridSizing {
    ScrollBars scrollBars = ScrollBars::None;
    int32_t rowHeight = 0;
    int32_t columnWidth = 0;

    bool operator==(const GridSizing&) const = default;
};

inline constexpr int32_t kCorrelationGridLimit = 12;
inline constexpr int32_t kGridBorder = 3;           // px kept free for the grid's frame
inline constexpr int32_t kScrollBarAllowance = 17;  // px, where no style tells its own

// width × height is the grid's outer size; the sizes are whole pixels that still fit, at least 1.
GridSizing sizeGrid(int32_t width, int32_t height, int32_t columns, int32_t rows,
                    int32_t scrollBarExtent = kScrollBarAllowance,
                    int32_t maxRows = kCorrelationGridLimit,
                    int32_t maxColumns = kCorrelationGridLimit);

}  // namespace varnix::app
