// What the results window and the results report show of the uncertainties: each figure as a
// value and its standard deviation, the columns of the window's second grid and the diagnosis.
//
// The σ is written to two significant digits and the value to the same decimal place, as
// measurements are quoted: the first digit of σ alone would misstate it by up to 50 % (0.15
// rounds to 0.2), a third digit claims more than the error matrix knows (its own relative error
// is about 1/√(2·(NP − NFREE))). Plain decimals from σ's place up to |value| < 1E+07 and down to
// six decimals; beyond that both in exponent form, the value to σ's place.
#pragma once

#include "core/session/module1.h"
#include "core/uncertainty/peak_uncertainty.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::app {

struct ValueSigmaText {
    std::string value;  // "-" when the figure does not exist
    std::string sigma;  // empty when no σ is known

    bool operator==(const ValueSigmaText&) const = default;
};

// σ to two significant digits and the value to the same place: {1234.5678, 0.01234} gives
// "1234.568" and "0.012". A σ of 0 (nothing free moves the figure) gives "0" and the value to
// five significant digits, as does a σ that is not a finite number (no σ then).
ValueSigmaText valueSigmaText(const ValueSigma& figure);

// The grid's cell: the value over "± σ", or the value alone when no σ is known.
std::string valueSigmaCell(const ValueSigmaText& text);

// No., Area, Share, FWHM at half the Height, Maximum, energy of the maximum, FWHM at half
// the maximum.
inline constexpr std::size_t kUncertaintyColumns = 7;
using UncertaintyRow = std::array<ValueSigmaText, kUncertaintyColumns>;

// The second grid's format string, the energy of the maximum named by the energy scale.
std::string uncertaintyGridFormat(bool binding);

struct UncertaintyTable {
    // One per peak; none while no finished fit of this configuration has its uncertainties.
    std::vector<UncertaintyRow> rows;
    std::string diagnosis;  // empty when the fit is well determined

    bool operator==(const UncertaintyTable&) const = default;
};

// Whether the fit results of this configuration hold the peaks' figures with their σ.
bool hasUncertainties(const Module1& module);

// From module.fitResults.uncertainties: the energy of the maximum as HMU − E for
// binding-energy data (its σ unchanged), the No. column without a σ.
UncertaintyTable uncertaintyTable(const Module1& module);

}  // namespace varnix::app
