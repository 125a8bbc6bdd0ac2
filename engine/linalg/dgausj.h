// Gauss–Jordan elimination with full pivoting (DGAUSJ): inverts A in place and solves
// A·X = B for m right-hand sides in the same pass (Numerical Recipes, §2.1).
//
// All matrices are column-major and 0-based with leading dimension n; the caller owns every
// buffer:
//   a             n × n, replaced by A⁻¹
//   b             n × m, replaced by X = A⁻¹·B
//   ipiv, indxr,  work vectors of n entries each; their contents on entry do not matter
//   indxc
//
// The pivot is the largest remaining element in magnitude, scanned row by row; among equal
// magnitudes the last one scanned wins, so a matrix with ties is pivoted the same way every
// time and its inverse is reproducible to the last bit.
//
// Returns 0 on success and 1 for a singular matrix: a pivot of magnitude below 1e-30, a pivot
// column met twice, or no pivot candidate at all (only possible when A holds NaN). After 1,
// a and b are partly transformed and must not be used.
#pragma once

#include <cstdint>
#include <span>

namespace varnix::engine {

[[nodiscard]] int32_t DGAUSJ(std::span<double> a, int32_t n, std::span<double> b, int32_t m,
                             std::span<int32_t> ipiv, std::span<int32_t> indxr,
                             std::span<int32_t> indxc);

}  // namespace varnix::engine
