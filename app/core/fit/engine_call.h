// The one place the application calls the fit engine ZORVANT: the calculation and the fit both
// go through callEngine, which builds the engine's 32 arguments from the records, calls it and
// writes back what the mode produced.
#pragma once

#include "core/session/library_loader.h"
#include "core/session/module1.h"

#include <cstdint>
#include <functional>
#include <stdexcept>

namespace varnix::app {

inline constexpr int32_t kEngineCalculate = 0;    // model and components
inline constexpr int32_t kEngineIterate = 1;      // one Levenberg–Marquardt iteration
inline constexpr int32_t kEngineErrorMatrix = 2;  // error matrix and condition number

// What a call reports beyond the records it updates.
struct EngineCallResult {
    double lambda = 0.0;          // λ as the engine left it; an iteration carries it on
    int32_t inversionStatus = 0;  // modes 1 and 2: 0 solved, 1 singular matrix
    int32_t lambdaStatus = 0;     // 0, or 1 and 2 for the two λ failures of an iteration

    bool operator==(const EngineCallResult&) const = default;
};

// The engine ran but did nothing: it could not obtain its work storage or found the counts
// contradicting each other. Callers report it as an unknown error of the fit program.
class EngineCallFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs one engine call and returns once it has run. The call reads and writes only copies of
// its own, never the records, so a runner may run it on another thread while the windows go
// on painting; the records are written after the runner has returned. Left empty, the call
// runs in place.
using EngineRunner = std::function<void(const std::function<void()>& call)>;

// `work` through `runner`, or here when there is none.
void runThrough(const EngineRunner& runner, const std::function<void()>& work);

// One call of ZORVANT in `mode` with the damping `lambda`, on module.spectrum (its first np
// points), the configuration's counts, module.engine (as InitPar prepared it; its 0-based
// partners are handed over 1-based) and the fit controls. Every array is passed at exactly the
// size the engine addresses; values the mode does not produce go in as the records hold them
// (when their size still fits, else as zeros), so that "left unchanged" means what it says.
//
// On success: the model becomes spectrum.calculated (np values) and the components
// fitResults.components (np × ncomp, column-major). Modes 1 and 2 also write the parameters to
// module.engine.p and fitResults.parameters, and the error matrix (with fitResults.nfree),
// chi-square, areas, widths and condition number to fitResults.
// Throws LibraryMissing when the engine cannot be loaded, EngineCallFailed when it did nothing,
// and std::logic_error when module.engine does not match the configuration (InitPar has not
// run) or the spectrum holds fewer than np points. The call goes through `runner`; whatever the
// runner throws passes on, and a runner that returns without having run the call counts as an
// engine that did nothing. Nothing in the module changes when it throws.
EngineCallResult callEngine(Module1& module, LibraryLoader& loader, int32_t mode, double lambda,
                            const EngineRunner& runner = {});

}  // namespace varnix::app
