#include "svd.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>

namespace varnix::engine {

namespace {

constexpr int32_t kMaxSweeps = 30;

struct Matrix {
    std::span<double> data;
    std::size_t ld;

    double& operator()(std::size_t r, std::size_t c) const { return data[r + c * ld]; }
};

// The decomposition in progress. The bidiagonal is w (diagonal) and rv1 (rv1[i] couples
// columns i − 1 and i; rv1[0] is always 0).
struct Work {
    Matrix u;
    Matrix v;
    std::span<double> w;
    std::span<double> rv1;
    std::size_t m;
    std::size_t n;
    bool matu;
    bool matv;
};

// Householder reflection that clears column i of U below the diagonal and is applied to the
// columns right of it. The column is scaled by its 1-norm first, so the sum of squares can
// neither overflow nor underflow. Returns the new diagonal element.
double columnReflection(const Work& z, std::size_t i)
{
    const Matrix& u = z.u;
    double scale = 0.0;
    for (std::size_t k = i; k < z.m; ++k) {
        scale += std::fabs(u(k, i));
    }
    if (scale == 0.0) {
        return 0.0;
    }
    double s = 0.0;
    for (std::size_t k = i; k < z.m; ++k) {
        u(k, i) /= scale;
        s += u(k, i) * u(k, i);
    }
    const double f = u(i, i);
    // The sign opposite to f avoids cancellation in f − g.
    const double g = -std::copysign(std::sqrt(s), f);
    const double h = f * g - s;
    u(i, i) = f - g;
    for (std::size_t j = i + 1; j < z.n; ++j) {
        double dot = 0.0;
        for (std::size_t k = i; k < z.m; ++k) {
            dot += u(k, i) * u(k, j);
        }
        const double factor = dot / h;
        for (std::size_t k = i; k < z.m; ++k) {
            u(k, j) += factor * u(k, i);
        }
    }
    for (std::size_t k = i; k < z.m; ++k) {
        u(k, i) *= scale;
    }
    return scale * g;
}

// Householder reflection that clears row i of U right of the superdiagonal, applied to the
// rows below it; rv1[i+1 …] holds the scaled reflection vector meanwhile. Returns the new
// superdiagonal element.
double rowReflection(const Work& z, std::size_t i)
{
    const Matrix& u = z.u;
    const std::size_t l = i + 1;
    double scale = 0.0;
    for (std::size_t k = l; k < z.n; ++k) {
        scale += std::fabs(u(i, k));
    }
    if (scale == 0.0) {
        return 0.0;
    }
    double s = 0.0;
    for (std::size_t k = l; k < z.n; ++k) {
        u(i, k) /= scale;
        s += u(i, k) * u(i, k);
    }
    const double f = u(i, l);
    const double g = -std::copysign(std::sqrt(s), f);
    const double h = f * g - s;
    u(i, l) = f - g;
    for (std::size_t k = l; k < z.n; ++k) {
        z.rv1[k] = u(i, k) / h;
    }
    for (std::size_t j = l; j < z.m; ++j) {
        double dot = 0.0;
        for (std::size_t k = l; k < z.n; ++k) {
            dot += u(j, k) * u(i, k);
        }
        for (std::size_t k = l; k < z.n; ++k) {
            u(j, k) += dot * z.rv1[k];
        }
    }
    for (std::size_t k = l; k < z.n; ++k) {
        u(i, k) *= scale;
    }
    return scale * g;
}

// Reduces U (holding A) to bidiagonal form, keeping the reflection vectors in U. Returns a
// norm of the bidiagonal, the yardstick against which its elements count as negligible.
double bidiagonalise(const Work& z)
{
    double norm = 0.0;
    double superdiagonal = 0.0;
    for (std::size_t i = 0; i < z.n; ++i) {
        z.rv1[i] = superdiagonal;
        z.w[i] = i < z.m ? columnReflection(z, i) : 0.0;
        superdiagonal = i < z.m && i + 1 < z.n ? rowReflection(z, i) : 0.0;
        norm = std::max(norm, std::fabs(z.w[i]) + std::fabs(z.rv1[i]));
    }
    return norm;
}

// V = product of the row reflections, built from the last one backwards.
void accumulateRight(const Work& z)
{
    const Matrix& u = z.u;
    const Matrix& v = z.v;
    for (std::size_t i = z.n; i-- > 0;) {
        const std::size_t l = i + 1;
        if (l < z.n && z.rv1[l] != 0.0) {
            const double g = z.rv1[l];
            // Dividing twice avoids underflow of the product u(i, l)·g.
            for (std::size_t j = l; j < z.n; ++j) {
                v(j, i) = (u(i, j) / u(i, l)) / g;
            }
            for (std::size_t j = l; j < z.n; ++j) {
                double dot = 0.0;
                for (std::size_t k = l; k < z.n; ++k) {
                    dot += u(i, k) * v(k, j);
                }
                for (std::size_t k = l; k < z.n; ++k) {
                    v(k, j) += dot * v(k, i);
                }
            }
        }
        for (std::size_t j = l; j < z.n; ++j) {
            v(i, j) = 0.0;
            v(j, i) = 0.0;
        }
        v(i, i) = 1.0;
    }
}

// U = product of the column reflections, built in place over their vectors from the last
// one backwards.
void accumulateLeft(const Work& z)
{
    const Matrix& u = z.u;
    const std::size_t mn = std::min(z.m, z.n);
    for (std::size_t i = mn; i-- > 0;) {
        const std::size_t l = i + 1;
        const double g = z.w[i];
        for (std::size_t j = l; j < z.n; ++j) {
            u(i, j) = 0.0;
        }
        if (g != 0.0 && l < mn) {
            for (std::size_t j = l; j < z.n; ++j) {
                double dot = 0.0;
                for (std::size_t k = l; k < z.m; ++k) {
                    dot += u(k, i) * u(k, j);
                }
                const double factor = (dot / u(i, i)) / g;
                for (std::size_t k = i; k < z.m; ++k) {
                    u(k, j) += factor * u(k, i);
                }
            }
        }
        for (std::size_t j = i; j < z.m; ++j) {
            u(j, i) = g != 0.0 ? u(j, i) / g : 0.0;
        }
        u(i, i) += 1.0;
    }
}

// Plane rotation of columns p and q of x over its first `rows` rows.
void rotateColumns(const Matrix& x, std::size_t rows, std::size_t p, std::size_t q, double c,
                   double s)
{
    for (std::size_t j = 0; j < rows; ++j) {
        const double xp = x(j, p);
        const double xq = x(j, q);
        x(j, p) = xp * c + xq * s;
        x(j, q) = -xp * s + xq * c;
    }
}

bool negligible(double x, double norm)
{
    return norm + std::fabs(x) == norm;
}

// With w[l − 1] negligible, chases the superdiagonal element rv1[l] out of the matrix by
// rotations from the left, so that the block l … k splits off.
void cancelSuperdiagonal(const Work& z, std::size_t l, std::size_t k, double norm)
{
    double c = 0.0;
    double s = 1.0;
    for (std::size_t i = l; i <= k; ++i) {
        const double f = s * z.rv1[i];
        z.rv1[i] *= c;
        if (negligible(f, norm)) {
            return;
        }
        const double g = z.w[i];
        // std::hypot is the root of f² + g² without the overflow of squaring.
        const double h = std::hypot(f, g);
        z.w[i] = h;
        c = g / h;
        s = -f / h;
        if (z.matu) {
            rotateColumns(z.u, z.m, l - 1, i, c, s);
        }
    }
}

// Start l of the unreduced block that ends at k, splitting it off first if needed. The scan
// stops at the top row: rv1[0] is 0, so the block cannot reach further.
std::size_t splitBlock(const Work& z, std::size_t k, double norm)
{
    for (std::size_t l = k; l > 0; --l) {
        if (negligible(z.rv1[l], norm)) {
            return l;
        }
        if (negligible(z.w[l - 1], norm)) {
            cancelSuperdiagonal(z, l, k, norm);
            return l;
        }
    }
    return 0;
}

// First element of the QR sweep on the block l … k, shifted by the eigenvalue of the trailing
// 2 × 2 of BᵀB nearer to its last diagonal element (Wilkinson shift), written in quotients
// that cannot overflow. w[l] and w[k − 1] are non-zero, or the block would have split.
double shiftedStart(const Work& z, std::size_t l, std::size_t k)
{
    const double x = z.w[l];
    const double y = z.w[k - 1];
    const double g = z.rv1[k - 1];
    const double h = z.rv1[k];
    const double wk = z.w[k];
    const double f = 0.5 * (((g + wk) / h) * ((g - wk) / y) + y / h - h / y);
    const double r = std::hypot(f, 1.0);
    return x - (wk / x) * wk + (h / x) * (y / (f + std::copysign(r, f)) - h);
}

// One implicitly shifted QR sweep on the block l … k: a bulge chased down by alternating
// right (V) and left (U) rotations.
void qrSweep(const Work& z, std::size_t l, std::size_t k)
{
    double f = shiftedStart(z, l, k);
    double x = z.w[l];
    double c = 1.0;
    double s = 1.0;
    for (std::size_t i = l + 1; i <= k; ++i) {
        double g = z.rv1[i];
        double y = z.w[i];
        double h = s * g;
        g *= c;
        double r = std::hypot(f, h);
        z.rv1[i - 1] = r;
        c = f / r;
        s = h / r;
        f = x * c + g * s;
        g = -x * s + g * c;
        h = y * s;
        y *= c;
        if (z.matv) {
            rotateColumns(z.v, z.n, i - 1, i, c, s);
        }
        r = std::hypot(f, h);
        z.w[i - 1] = r;
        // Any rotation will do when r is zero; the previous one is kept.
        if (r != 0.0) {
            c = f / r;
            s = h / r;
        }
        f = c * g + s * y;
        x = -s * g + c * y;
        if (z.matu) {
            rotateColumns(z.u, z.m, i - 1, i, c, s);
        }
    }
    z.rv1[l] = 0.0;
    z.rv1[k] = f;
    z.w[k] = x;
}

// Diagonalises the bidiagonal from the bottom up. Returns 0 or the 1-based index of the first
// singular value that needed more than the allowed sweeps.
int32_t diagonalise(const Work& z, double norm)
{
    for (std::size_t k = z.n; k-- > 0;) {
        for (int32_t sweep = 0;; ++sweep) {
            const std::size_t l = splitBlock(z, k, norm);
            if (l == k) {
                break;
            }
            if (sweep == kMaxSweeps) {
                return static_cast<int32_t>(k + 1);
            }
            qrSweep(z, l, k);
        }
        if (z.w[k] < 0.0) {
            z.w[k] = -z.w[k];
            if (z.matv) {
                for (std::size_t j = 0; j < z.n; ++j) {
                    z.v(j, k) = -z.v(j, k);
                }
            }
        }
    }
    return 0;
}

[[maybe_unused]] std::size_t extent(std::size_t ld, std::size_t rows, std::size_t columns)
{
    return columns == 0 ? 0 : ld * (columns - 1) + rows;
}

}  // namespace

int32_t SVD(int32_t nm, int32_t m, int32_t n, std::span<const double> a, std::span<double> w,
            bool matu, std::span<double> u, bool matv, std::span<double> v,
            std::span<double> rv1)
{
    assert(m >= 0 && n >= 0 && nm >= m && (!matv || nm >= n));
    const auto ld = static_cast<std::size_t>(nm);
    const auto rows = static_cast<std::size_t>(m);
    const auto columns = static_cast<std::size_t>(n);
    assert(a.size() >= extent(ld, rows, columns) && u.size() >= extent(ld, rows, columns));
    assert(w.size() >= columns && rv1.size() >= columns);
    assert(!matv || v.size() >= extent(ld, columns, columns));

    for (std::size_t c = 0; c < columns; ++c) {
        for (std::size_t r = 0; r < rows; ++r) {
            u[r + c * ld] = a[r + c * ld];
        }
    }
    const Work z{Matrix{u, ld}, Matrix{v, ld}, w, rv1, rows, columns, matu, matv};
    const double norm = bidiagonalise(z);
    if (matv) {
        accumulateRight(z);
    }
    if (matu) {
        accumulateLeft(z);
    }
    return diagonalise(z, norm);
}

}  // namespace varnix::engine
