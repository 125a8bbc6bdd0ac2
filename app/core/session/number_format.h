// Numbers as the windows show them and as the user types them, always in the C locale (a
// point before the decimals, no group separators), whatever the desktop's language.
//
// formatNumber understands the picture formats the windows use:
//   "0.000", "0.0000", "0.000000"   fixed decimals; each 0 before the point is a digit always
//                                   shown ("0.500"), each # one shown only when needed
//   "###"                           the whole number alone; zero shows as nothing at all
//   "0.000e+00", "0.00E+00", …      one digit before the point, the exponent with its sign and
//                                   at least as many digits as the format has zeros after it
//                                   ("e-00" shows the sign of negative exponents only)
//   ""                              the default number-to-text form, below
// Rounding is half away from zero, applied to the shortest decimal that reads back as the same
// double — the digits the user typed or a file held — not to the binary value: 1.005 shows as
// "1.01" and 0.125 as "0.13", as anyone rounding by hand would expect. A value that rounds to
// zero shows no minus sign. Non-finite values show as "NaN", "Inf" or "-Inf".
//
// The default form is the classic BASIC number-to-text form: at most 15 significant digits (so
// 0.1 + 0.2 shows "0.3", not the binary noise), no trailing zeros, no point for whole numbers,
// a 0 before the point ("0.5"), no leading blank for positive numbers; plain notation from
// 1E-04 up to below 1E+15, otherwise "1.5E-05", "1E+15" with a capital E, a signed exponent and
// at least two exponent digits.
//
// A format outside this set is a programmer error and throws std::invalid_argument.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnix::app {

std::string formatNumber(double value, std::string_view format = {});

// A number typed by the user: optional blanks around it, an optional sign, decimals with a
// point and an optional exponent ("-1.5e3"). Anything else — empty text, a decimal comma,
// trailing characters, "inf" or "nan", a value beyond the range of double — is not a number.
std::optional<double> parseNumber(std::string_view text);

}  // namespace varnix::app
