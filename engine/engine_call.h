// One engine call in 0-based C++ form: what the call reads (EngineInput) and the caller's
// state it reads and updates (EngineState). The exported entry ZORVANT maps the caller's
// 1-based, by-reference arguments onto these and back.
#pragma once

#include "fundsg.h"
#include "links.h"
#include "qsimp.h"

#include <cstdint>
#include <span>
#include <vector>

namespace varnix::engine {

enum EngineMode : int32_t { kModeCalculate = 0, kModeIterate = 1, kModeErrorMatrix = 2 };

// Lambda status values. 1 and 2 are the two Levenberg–Marquardt failures; 3 says the call did
// nothing at all (its work storage could not be obtained, or the counts contradict each other)
// and left every other argument as it was.
inline constexpr int32_t kLambdaStatusMaxTrials = 1;
inline constexpr int32_t kLambdaStatusOverflow = 2;
inline constexpr int32_t kLambdaStatusNotRun = 3;
inline constexpr double kLambdaLimit = 1e30;

struct EngineInput {
    int32_t mode = kModeCalculate;
    std::span<const double> energies;  // NP
    std::span<const double> counts;    // NP
    std::span<const double> sigmas;    // NP
    int32_t nds = 0;
    int32_t nbg = 0;
    int32_t ncomp = 0;
    int32_t nfree = 0;
    LinkArrays links;                  // NPAR each, 0-based targets
    SimpsonControls simpson;
    double range = 3.0;
    double lambdaFac = 10.0;
    int32_t maxLambdaIterations = 10;
};

// The caller's arrays and values that a call may change; each mode leaves the others as they
// came in.
struct EngineState {
    std::vector<double> parameters;   // NPAR
    std::vector<double> model;        // NP
    std::vector<double> components;   // NP × NCOMP, column-major
    std::vector<double> errorMatrix;  // NFREE × NFREE, column-major
    std::vector<double> areas;        // NDS
    std::vector<double> widths;       // NDS
    double lambda = 0.0;
    double chiSquare = 0.0;
    double sumSquaredCounts = 0.0;
    double conditionNumber = 0.0;
    int32_t inversionStatus = 0;
    int32_t lambdaStatus = 0;
};

// Checks the counts and sizes against each other, so that no array is addressed out of bounds.
bool consistent(const EngineInput& input, const EngineState& state);

// Runs one call in the given mode on a consistent input and state. Throws std::bad_alloc when
// work storage cannot be obtained; `count` (optional) receives the integration work done.
void runEngine(const EngineInput& input, EngineState& state, IntegrationCount* count = nullptr);

}  // namespace varnix::engine
