#include "core/uncertainty/jacobi_eigen.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numeric>

namespace varnix::app {

namespace {

constexpr int kMaxSweeps = 100;
constexpr double kOffDiagonalTolerance = 1e-30;  // of the squared Frobenius norm

struct Matrix {
    std::vector<double>& data;
    std::size_t n;
    double& operator()(std::size_t r, std::size_t c) const { return data[r + c * n]; }
};

double offDiagonal(const Matrix& a)
{
    double sum = 0.0;
    for (std::size_t c = 0; c < a.n; ++c) {
        for (std::size_t r = 0; r < a.n; ++r) {
            sum += r != c ? a(r, c) * a(r, c) : 0.0;
        }
    }
    return sum;
}

// The rotation in the (p, q) plane that zeroes a(p, q), applied to A from both sides and to
// the accumulated vectors V from the right (Golub & Van Loan, Algorithm 8.4.2).
void rotate(const Matrix& a, const Matrix& v, std::size_t p, std::size_t q)
{
    if (a(p, q) == 0.0) {
        return;
    }
    const double tau = (a(q, q) - a(p, p)) / (2.0 * a(p, q));
    const double t = (tau >= 0.0 ? 1.0 : -1.0) / (std::fabs(tau) + std::sqrt(1.0 + tau * tau));
    const double c = 1.0 / std::sqrt(1.0 + t * t);
    const double s = t * c;
    for (std::size_t k = 0; k < a.n; ++k) {
        const double akp = a(k, p);
        const double akq = a(k, q);
        a(k, p) = c * akp - s * akq;
        a(k, q) = s * akp + c * akq;
    }
    for (std::size_t k = 0; k < a.n; ++k) {
        const double apk = a(p, k);
        const double aqk = a(q, k);
        a(p, k) = c * apk - s * aqk;
        a(q, k) = s * apk + c * aqk;
        const double vkp = v(k, p);
        const double vkq = v(k, q);
        v(k, p) = c * vkp - s * vkq;
        v(k, q) = s * vkp + c * vkq;
    }
}

}  // namespace

SymmetricEigen jacobiEigen(std::span<const double> values, std::size_t n)
{
    assert(values.size() == n * n);
    std::vector<double> data(values.begin(), values.end());
    std::vector<double> vectors(n * n, 0.0);
    const Matrix a{data, n};
    const Matrix v{vectors, n};
    for (std::size_t i = 0; i < n; ++i) {
        v(i, i) = 1.0;
    }
    const double norm = std::inner_product(data.begin(), data.end(), data.begin(), 0.0);
    for (int sweep = 0; sweep < kMaxSweeps && offDiagonal(a) > kOffDiagonalTolerance * norm;
         ++sweep) {
        for (std::size_t p = 0; p + 1 < n; ++p) {
            for (std::size_t q = p + 1; q < n; ++q) {
                rotate(a, v, p, q);
            }
        }
    }
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](std::size_t i, std::size_t j) { return a(i, i) < a(j, j); });
    SymmetricEigen result{std::vector<double>(n), std::vector<double>(n * n)};
    for (std::size_t i = 0; i < n; ++i) {
        result.values[i] = a(order[i], order[i]);
        std::copy_n(vectors.begin() + static_cast<std::ptrdiff_t>(order[i] * n), n,
                    result.vectors.begin() + static_cast<std::ptrdiff_t>(i * n));
    }
    return result;
}

}  // namespace varnix::app
