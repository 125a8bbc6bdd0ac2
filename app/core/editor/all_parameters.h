// What the all-parameters window frmAllParameters shows, free of widgets: one row of cell texts
// per model parameter, the peak parameters in peak order and then the background coefficients,
// taken from the configuration when the window opens. The window puts the format string and
// these texts into its read-only grid.
#pragma once

#include "core/session/module1.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::app {

inline constexpr std::string_view kAllParametersFormat =
    "^No.    |<Name           |<Value              |<Fixed?  |<Correlated with    "
    "|<Multiplied by  |<        Plus";
inline constexpr int32_t kAllParametersColumns = 7;
// Every row, the heading included, is this fraction of the window's outer height.
inline constexpr double kAllParametersRowHeight = 0.04;

using AllParametersRow = std::array<std::string, kAllParametersColumns>;

// DrawGrid's cells below the heading, NPAR rows: No., Name, Value ("0.000e+00" for a Height,
// "0.000" for the other peak parameters, "0.000E+00" for a coefficient), Fixed?, the partner's
// name ("Correlated with", the parameter's own name when it is fixed at its own value), and the
// factor or offset under "Multiplied by" or "Plus". A free peak parameter has one blank under
// "Correlated with" and its factor cells empty; a coefficient, which has no link, one blank in
// each of the three link cells.
std::vector<AllParametersRow> DrawGrid(const Module1& module);

}  // namespace varnix::app
