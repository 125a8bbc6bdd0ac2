// Singular value decomposition A = U·diag(W)·Vᵀ of a real m × n matrix (SVD), in the
// interface of the EISPACK routine of that name: the Golub–Reinsch algorithm, i.e.
// Householder reduction to upper bidiagonal form followed by implicitly shifted QR sweeps on
// the bidiagonal (Golub & Reinsch, Numer. Math. 14 (1970) 403–420).
//
// All matrices are column-major and 0-based with leading dimension nm (nm ≥ m, and nm ≥ n
// when V is wanted); the caller owns every buffer:
//   a     m × n, not altered (it may share its storage with u)
//   w     n entries: the singular values, non-negative, in no particular order
//   u     m × n: the left singular vectors (orthonormal columns) when matu, otherwise work
//         storage; needed in either case
//   v     n × n: the right singular vectors when matv, otherwise not touched (may be empty)
//   rv1   n entries of work storage
//
// Returns IERR: 0, or k (1-based) when singular value k did not converge within 30 QR sweeps.
// Values k+1 … n and their columns of U and V are then correct; the others are not.
#pragma once

#include <cstdint>
#include <span>

namespace varnix::engine {

int32_t SVD(int32_t nm, int32_t m, int32_t n, std::span<const double> a, std::span<double> w,
            bool matu, std::span<double> u, bool matv, std::span<double> v,
            std::span<double> rv1);

}  // namespace varnix::engine
