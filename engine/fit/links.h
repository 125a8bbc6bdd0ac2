// Parameter links in the engine: the free-index map, DEPEND and DERCORR.
//
// A parameter is free (link state 0, varied by the fit), correlated (state 1: recomputed from
// a free target parameter as target·factor, mode 1, or target + offset, mode 2) or fixed
// (state 2). The fit works on the NFREE free parameters only; correlated parameters follow
// their targets, and their derivatives are folded into the targets' (chain rule).
// All indices are 0-based here; the entry converts the caller's 1-based targets.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace varnix::engine {

inline constexpr int32_t kLinkFree = 0;
inline constexpr int32_t kLinkCorrelated = 1;
inline constexpr int32_t kLinkFixed = 2;
inline constexpr int32_t kLinkModeMultiply = 1;
inline constexpr int32_t kLinkModeAdd = 2;

// The four link arrays over the full parameter vector (NPAR entries each).
struct LinkArrays {
    std::span<const int32_t> state;
    std::span<const int32_t> target;  // 0-based index of the target of a correlated parameter
    std::span<const double> value;    // the factor (mode 1) or the offset (mode 2)
    std::span<const int32_t> mode;    // 0 none, 1 multiply, 2 add
};

// The free-index map: for each parameter its 0-based place among the free parameters in index
// order, or −1 when it is not free.
std::vector<int32_t> freeIndexMap(std::span<const int32_t> state);

// DEPEND: recompute every correlated parameter of p from its target. A correlated parameter
// with link mode 0 keeps its value.
void DEPEND(std::span<double> p, const LinkArrays& links);

// The trial vector q = p + δ on the free parameters, with the correlations applied.
void trialParameters(std::span<const double> p, std::span<const double> step,
                     std::span<const int32_t> freeIndex, const LinkArrays& links,
                     std::span<double> q);

// DERCORR: one Jacobian column over the free parameters (NFREE entries) from the derivative
// vector d over all parameters (NPAR entries). A free target receives its own derivative plus
// factor·d (mode 1) or d (mode 2) of every parameter correlated with it.
void DERCORR(std::span<double> column, std::span<const double> d,
             std::span<const int32_t> freeIndex, const LinkArrays& links);

}  // namespace varnix::engine
