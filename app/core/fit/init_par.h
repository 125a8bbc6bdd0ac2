// InitPar: the check a configuration must pass before the engine sees it, and the engine's flat
// parameter arrays built from it. The calculation and the fit run it before every engine call.
//
// While the peak setup window is open, the main window runs PeakSetup::commitTypedBoxes before
// the command that calls InitPar, so that values typed but not yet confirmed count.
#pragma once

#include "core/session/dialogs.h"
#include "core/session/module1.h"

#include <cstdint>

namespace varnix::app {

inline constexpr int16_t kInitParReady = 0;
inline constexpr int16_t kInitParRefused = 1;

// The largest magnitude a parameter may have; larger values are typing errors.
inline constexpr double kMaxParameterValue = 1.0E7;

// Checks the configuration and, when it is usable, fills module.engine: the npar values, the
// link states, 0-based partners, factors and link kinds, and nfree (the varied peak parameters
// plus every background coefficient, which are always varied). A refusal shows the first fault
// found, in this order:
//   a "Multiplied by" link whose value is 0, before any value is looked at;
//   per peak parameter: Alpha below 0, any other parameter 0 or below, a value above
//   kMaxParameterValue (all three read "<name> is negative or zero …"), Alpha of 1 or more,
//   for which the line shape does not exist;
//   a0 below 0 or above kMaxParameterValue.
// A value that is not a number is refused like one out of range. On refusal nothing in the
// module changes, module.engine included. The result arrays are sized by the engine call that
// fills them, so that a refused or failed command leaves the previous results whole.
// Throws std::invalid_argument when the configuration's arrays are shorter than its counts.
int16_t InitPar(Module1& module, Dialogs& dialogs);

}  // namespace varnix::app
