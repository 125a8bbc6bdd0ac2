#include "dgausj.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <utility>

namespace varnix::engine {

namespace {

// A pivot smaller than this in magnitude makes the matrix singular.
constexpr double kSingularPivot = 1e-30;

struct ColumnMajor {
    std::span<double> data;
    std::size_t rows;
    std::size_t columns;

    double& operator()(std::size_t r, std::size_t c) const { return data[r + c * rows]; }
};

struct Pivot {
    std::size_t row = 0;
    std::size_t column = 0;
    bool found = false;
};

// Full-pivot search over the rows and columns not yet eliminated. A column counted twice in
// ipiv cannot arise from a sound elimination, so it is taken as singularity.
Pivot findPivot(const ColumnMajor& a, std::span<const int32_t> ipiv)
{
    Pivot pivot;
    double big = 0.0;
    for (std::size_t j = 0; j < a.rows; ++j) {
        if (ipiv[j] == 1) {
            continue;
        }
        for (std::size_t k = 0; k < a.columns; ++k) {
            if (ipiv[k] == 0) {
                if (std::fabs(a(j, k)) >= big) {
                    big = std::fabs(a(j, k));
                    pivot = Pivot{j, k, true};
                }
            } else if (ipiv[k] > 1) {
                return Pivot{};
            }
        }
    }
    return pivot;
}

void swapRows(const ColumnMajor& x, std::size_t r1, std::size_t r2)
{
    for (std::size_t c = 0; c < x.columns; ++c) {
        std::swap(x(r1, c), x(r2, c));
    }
}

void swapColumns(const ColumnMajor& x, std::size_t c1, std::size_t c2)
{
    for (std::size_t r = 0; r < x.rows; ++r) {
        std::swap(x(r, c1), x(r, c2));
    }
}

// Normalises the pivot row and clears the pivot column elsewhere. The pivot column is set to
// the unit column before the update, so the update itself writes the column of the inverse.
void eliminate(const ColumnMajor& a, const ColumnMajor& b, std::size_t p)
{
    const double pivot = a(p, p);
    a(p, p) = 1.0;
    for (std::size_t c = 0; c < a.columns; ++c) {
        a(p, c) /= pivot;
    }
    for (std::size_t c = 0; c < b.columns; ++c) {
        b(p, c) /= pivot;
    }
    for (std::size_t r = 0; r < a.rows; ++r) {
        if (r == p) {
            continue;
        }
        const double factor = a(r, p);
        a(r, p) = 0.0;
        for (std::size_t c = 0; c < a.columns; ++c) {
            a(r, c) -= a(p, c) * factor;
        }
        for (std::size_t c = 0; c < b.columns; ++c) {
            b(r, c) -= b(p, c) * factor;
        }
    }
}

}  // namespace

int32_t DGAUSJ(std::span<double> a, int32_t n, std::span<double> b, int32_t m,
               std::span<int32_t> ipiv, std::span<int32_t> indxr, std::span<int32_t> indxc)
{
    assert(n >= 0 && m >= 0);
    const auto order = static_cast<std::size_t>(n);
    const auto rhs = static_cast<std::size_t>(m);
    assert(a.size() >= order * order && b.size() >= order * rhs);
    assert(ipiv.size() >= order && indxr.size() >= order && indxc.size() >= order);
    const ColumnMajor am{a, order, order};
    const ColumnMajor bm{b, order, rhs};

    std::fill_n(ipiv.begin(), order, 0);
    for (std::size_t step = 0; step < order; ++step) {
        const Pivot pivot = findPivot(am, ipiv);
        if (!pivot.found) {
            return 1;
        }
        ++ipiv[pivot.column];
        // Moving the pivot onto the diagonal permutes the rows of A; the matching column
        // permutation of the inverse is undone at the end.
        if (pivot.row != pivot.column) {
            swapRows(am, pivot.row, pivot.column);
            swapRows(bm, pivot.row, pivot.column);
        }
        indxr[step] = static_cast<int32_t>(pivot.row);
        indxc[step] = static_cast<int32_t>(pivot.column);
        if (std::fabs(am(pivot.column, pivot.column)) < kSingularPivot) {
            return 1;
        }
        eliminate(am, bm, pivot.column);
    }
    for (std::size_t step = order; step-- > 0;) {
        if (indxr[step] != indxc[step]) {
            swapColumns(am, static_cast<std::size_t>(indxr[step]),
                        static_cast<std::size_t>(indxc[step]));
        }
    }
    return 0;
}

}  // namespace varnix::engine
