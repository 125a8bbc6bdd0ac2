// Gauss–Jordan inversion, singular values and condition number, and the standard deviations
// and correlations of the error matrix, against matrices constructed with known properties.
#include "dgausj.h"
#include "singval.h"
#include "statistics.h"
#include "svd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace varnix::engine {
namespace {

// Inversion of n ≤ 12 matrices with condition ≤ 10 and entries of order 1: a few n·ε·κ.
constexpr double kInverseTol = 1e-12;
// Golub–Reinsch is backward stable: errors of a few n·ε relative to the largest value.
constexpr double kSvdRelTol = 1e-13;
// s_min carries the absolute error of s_max; a ratio s_max/s_min ≤ 100 amplifies it.
constexpr double kConditionRelTol = 1e-11;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Dense {  // column-major; zeros unless data is given
    std::size_t rows, columns;
    std::vector<double> data;
    Dense(std::size_t r, std::size_t c, std::vector<double> d = {})
        : rows(r), columns(c), data(d.empty() ? std::vector<double>(r * c) : std::move(d)) {}
    double& operator()(std::size_t i, std::size_t j) { return data[i + j * rows]; }
    double operator()(std::size_t i, std::size_t j) const { return data[i + j * rows]; }
};

Dense identity(std::size_t n)
{
    Dense e(n, n);
    for (std::size_t i = 0; i < n; ++i) {
        e(i, i) = 1.0;
    }
    return e;
}

// a·b, or aᵀ·b.
Dense product(const Dense& a, const Dense& b, bool transposeA = false)
{
    Dense c(transposeA ? a.columns : a.rows, b.columns);
    for (std::size_t i = 0; i < c.rows; ++i) {
        for (std::size_t j = 0; j < c.columns; ++j) {
            for (std::size_t k = 0; k < b.rows; ++k) {
                c(i, j) += (transposeA ? a(k, i) : a(i, k)) * b(k, j);
            }
        }
    }
    return c;
}

// Largest elementwise difference; a NaN anywhere makes it NaN, so that no bound holds.
double maxDifference(const Dense& a, const Dense& b)
{
    return std::transform_reduce(
        a.data.begin(), a.data.end(), b.data.begin(), 0.0,
        [](double x, double y) { return std::isnan(x) || x > y ? x : y; },
        [](double x, double y) { return std::fabs(x - y); });
}

std::vector<double> uniform(std::size_t count, double lo, double hi, std::mt19937& rng)
{
    std::uniform_real_distribution<double> dist(lo, hi);
    std::vector<double> x(count);
    std::generate(x.begin(), x.end(), [&] { return dist(rng); });
    return x;
}

// m × n matrix Σ_k s_k·p_k·q_kᵀ, p_k and q_k columns of products of random Householder
// reflections: its singular values are the entries of s and, when m < n, n − m zeros.
Dense withSingularValues(std::size_t m, std::size_t n, const std::vector<double>& s,
                         std::mt19937& rng)
{
    auto orthogonal = [&rng](std::size_t order) {  // built by rows: its transpose is as good
        Dense q = identity(order);
        for (std::size_t k = 0; k < order; ++k) {
            const std::vector<double> v = uniform(order, -1.0, 1.0, rng);
            const double vv = std::inner_product(v.begin(), v.end(), v.begin(), 0.0);
            for (auto row = q.data.begin(); row != q.data.end(); row += std::ssize(v)) {
                const double dot = std::inner_product(v.begin(), v.end(), row, 0.0);
                std::transform(v.begin(), v.end(), row, row,
                               [&](double vj, double qj) { return qj - 2.0 * dot * vj / vv; });
            }
        }
        return q;
    };
    const Dense p = orthogonal(m);
    const Dense q = orthogonal(n);
    Dense a(m, n);
    for (std::size_t k = 0; k < s.size(); ++k) {
        for (std::size_t j = 0; j < n; ++j) {
            for (std::size_t i = 0; i < m; ++i) {
                a(i, j) += s[k] * p(i, k) * q(j, k);
            }
        }
    }
    return a;
}

int32_t invert(Dense& a, Dense& b)
{
    // Garbage in the work vectors must not matter.
    std::vector<int32_t> ipiv(a.rows, 7), indxr(a.rows, 7), indxc(a.rows, 7);
    return DGAUSJ(a.data, static_cast<int32_t>(a.rows), b.data, static_cast<int32_t>(b.columns),
                  ipiv, indxr, indxc);
}

struct InverseCase {
    std::string name;
    std::size_t n;
    std::vector<double> a;  // column-major
    int32_t status;
};

std::vector<InverseCase> inverseCases()
{
    // Rows 0 and 2 of IdenticalRows undergo identical operations and cancel exactly to zero.
    std::vector<InverseCase> cases{
        {"AtThreshold", 1, {1e-30}, 0}, {"BelowThreshold", 1, {1e-31}, 1},
        {"Negative", 1, {-2.5}, 0}, {"Zero", 2, {0, 0, 0, 0}, 1},
        {"AllNaN", 2, {kNaN, kNaN, kNaN, kNaN}, 1},
        {"IdenticalRows", 4, {0.3, 0.7, 0.3, 9, -1.5, 2, -1.5, 1, 4, 0.1, 4, -2, 0.2, 5, 0.2, 3}, 1}};
    // Random singular vectors: no diagonal dominance, so pivoting and interchanges happen.
    std::mt19937 rng(20240611U);
    for (std::size_t n = 1; n <= 12; ++n) {
        const Dense a = withSingularValues(n, n, uniform(n, 1.0, 10.0, rng), rng);
        cases.push_back({"Random" + std::to_string(n), n, a.data, 0});
    }
    return cases;
}

class Dgausj : public testing::TestWithParam<InverseCase> {};

TEST_P(Dgausj, GivesIdentityAndSolvesTheSystemOrReportsSingular)
{
    const InverseCase& c = GetParam();
    const Dense a(c.n, c.n, c.a);
    const Dense b(c.n, 2, std::vector<double>(2 * c.n, 3.0));
    Dense inverse = a, x = b;
    ASSERT_EQ(invert(inverse, x), c.status);
    if (c.status == 0) {
        EXPECT_LT(maxDifference(product(a, inverse), identity(c.n)), kInverseTol);
        EXPECT_LT(maxDifference(product(a, x), b), kInverseTol);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Dgausj, testing::ValuesIn(inverseCases()),
                         [](const auto& tested) { return tested.param.name; });

struct SvdCase {
    std::string name;
    std::size_t nm, m, n;
    std::vector<double> s;       // the min(m, n) prescribed singular values
    std::vector<double> a = {};  // an m × n matrix with these values, or empty: random
};

class Svd : public testing::TestWithParam<SvdCase> {};

// With V orthonormal, A·V = U·diag(W) is the same as A = U·diag(W)·Vᵀ.
TEST_P(Svd, FindsValuesAndOrthonormalVWithAVEqualToUW)
{
    const SvdCase& c = GetParam();
    std::mt19937 rng(77U);
    const Dense a = c.a.empty() ? withSingularValues(c.m, c.n, c.s, rng) : Dense(c.m, c.n, c.a);
    // Every buffer starts as NaN, padding included, so reading anything not yet written shows.
    std::vector<double> stored(c.nm * c.n, kNaN), u(stored), v(stored), w(c.n, kNaN), rv1(w);
    for (std::size_t k = 0; k < a.data.size(); ++k) {
        stored[k % c.m + k / c.m * c.nm] = a.data[k];
    }
    const auto [nm, m, n] = std::tuple(int32_t(c.nm), int32_t(c.m), int32_t(c.n));
    ASSERT_EQ(SVD(nm, m, n, stored, w, true, u, true, v, rv1), 0);
    Dense uw(c.m, c.n), vm(c.n, c.n);
    for (std::size_t k = 0; k < c.n; ++k) {
        for (std::size_t i = 0; i < c.n; ++i) {
            vm(i, k) = v[i + k * c.nm];
            uw(i % c.m, k) = u[i % c.m + k * c.nm] * w[k];
        }
    }
