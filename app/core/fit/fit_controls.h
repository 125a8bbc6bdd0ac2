// The eight fit controls as the fit dialogs show them and as values come in: each control's
// label, display format and kind of number, the conversion of typed text, and the limits every
// value must keep, whether typed into a dialog or read from "FitFile.dat".
//
// The limits refuse only what would make a fit meaningless: a negative MAXIT (0 is kept: it
// gives the error matrix at the start values), a Max Simpson Iterations with which no integral
// can converge or one that lets a single integral run for hours, a Simpson EPS no estimate can
// meet, and a LambdaFac that leaves λ unchanged or turns its steps round.
#pragma once

#include "core/session/module1.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnix::app {

// In the order of the file and of the records.
enum class FitControlField : int32_t {
    Maxit,
    Rmin,
    Lambda,
    LambdaFac,
    MaxLambdaIterations,
    SimpsonEps,
    MaxSimpsonIterations,
    IntegrationRange,
};
inline constexpr std::size_t kFitControlCount = 8;

// The fit engine accepts no integral before its seventh refinement step (the engine's
// kMinSimpsonSteps; the program does not include engine headers, so the number is repeated
// here): with fewer steps allowed every integral ends unconverged on a coarse estimate.
inline constexpr int32_t kMinSimpsonIterations = 7;
// Step n of an integral adds 2^(n−2) nodes. Past 30 steps one integral that does not converge
// evaluates more than 10^9 nodes for every point of the spectrum.
inline constexpr int32_t kMaxSimpsonIterations = 30;

struct FitControlSpec {
    std::string_view label;   // as the dialogs label the box
    std::string_view format;  // the picture format of the box (number_format.h)
    bool integer = false;     // stored as a 32-bit integer
};

const FitControlSpec& fitControlSpec(FitControlField field);

double fitControlValue(const FitControls& controls, FitControlField field);
// Integer fields take `value` as it is; callers pass whole numbers (convertFitControlText).
void setFitControl(FitControls& controls, FitControlField field, double value);

// The value as its box shows it.
std::string fitControlText(const FitControls& controls, FitControlField field);

// Typed text as a value of the field: a number in the C locale, for an integer field a whole
// number within 32 bits. nullopt for anything else.
std::optional<double> convertFitControlText(FitControlField field, std::string_view text);

// Why `value` is refused for the field, naming the allowed range; nullopt when it is allowed.
std::optional<std::string> fitControlLimitMessage(FitControlField field, double value);

// The first field whose value is outside its limits, as a file may hold.
std::optional<FitControlField> firstFieldOutOfLimits(const FitControls& controls);

}  // namespace varnix::app
