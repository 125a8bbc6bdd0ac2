// Gauss–Jordan inversion, singular values and condition number, and the standard deviations
// and correlations of the error matrix, against matrices with known properties.
#include "dgausj.h"
#include "singval.h"
#include "statistics.h"
#include "svd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace varnix::engine {
namespace {

// Inversion of n ≤ 12 matrices with condition ≤ 10 and entries of order 1: a few n·ε·κ.
constexpr double kInverseTol = 1e-12;
// Golub–Reinsch is backward stable: errors of a few n·ε relative to the largest value.
constexpr double kSvdRelTol = 1e-13;
// s_min carries the absolute error of s_max; a ratio s_max/s_min ≤ 10 amplifies it.
constexpr double kConditionRelTol = 1e-11;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using Matrix = std::vector<double>;  // column-major

// a·b for a with `rows` rows; the other dimensions follow from the sizes.
Matrix product(const Matrix& a, const Matrix& b, std::size_t rows)
{
    const std::size_t inner = a.size() / rows;
    Matrix c(rows * (b.size() / inner));
    for (std::size_t k = 0; k < c.size(); ++k) {
        for (std::size_t l = 0; l < inner; ++l) {
            c[k] += a[k % rows + l * rows] * b[l + k / rows * inner];
        }
    }
    return c;
}

// Largest elementwise difference; a NaN anywhere makes it NaN, so that no bound holds.
double maxDifference(const Matrix& a, const Matrix& b)
{
    double d = 0.0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        const double diff = std::fabs(a[k] - b[k]);
        d = std::isnan(diff) || diff > d ? diff : d;
    }
    return d;
}

// m × n matrix P·diag(s)·Q with P the orthonormal DCT-IV and Q the DCT-II basis (dense, no
// diagonal dominance): its singular values are the entries of s and, when m < n, n − m zeros.
Matrix withSingularValues(std::size_t m, std::size_t n, const std::vector<double>& s)
{
    const double pi = std::numbers::pi;
    Matrix ps(m * n), q(n * n);
    for (std::size_t k = 0; k < s.size() * m; ++k) {
        const double i = double(k % m) + 0.5, j = double(k / m) + 0.5;
        ps[k] = s[k / m] * std::sqrt(2.0 / double(m)) * std::cos(pi * i * j / double(m));
    }
    for (std::size_t k = 0; k < n * n; ++k) {
        const double i = double(k % n) + 0.5, j = double(k / n);
        q[k] = std::sqrt((j == 0.0 ? 1.0 : 2.0) / double(n)) * std::cos(pi * i * j / double(n));
    }
    return product(ps, q, m);
}

struct MatrixCase {
    std::string name;
    std::size_t m, n;
    std::vector<double> s;    // the min(m, n) singular values; empty: NaN, none converges
    Matrix a = {};            // or empty: constructed with the values s
    int32_t status = -1;      // of DGAUSJ; −1: not inverted
    double condition = kNaN;  // of SINGVAL, which keeps 123.5 when s_min = 0; NaN: not checked
};

class Matrices : public testing::TestWithParam<MatrixCase> {};

TEST_P(Matrices, SvdValuesSingvalConditionAndDgausjInverse)
{
    const MatrixCase& c = GetParam();
    const Matrix a = c.a.empty() ? withSingularValues(c.m, c.n, c.s) : c.a;
    const auto m = static_cast<int32_t>(c.m), n = static_cast<int32_t>(c.n);
    std::vector<double> u(c.m * c.n, kNaN), w(c.n, kNaN), rv1(w), expected = c.s;
    EXPECT_EQ(SVD(m, m, n, a, w, false, u, false, {}, rv1), c.s.empty() ? n : 0);
    expected.resize(c.n, 0.0);
    std::ranges::sort(expected);
    std::ranges::sort(w);
    EXPECT_LE(c.s.empty() ? 0.0 : maxDifference(w, expected), kSvdRelTol * expected.back());
    if (!std::isnan(c.condition)) {
        SingvalWork work(n);
        double condition = 123.5;
        EXPECT_EQ(SINGVAL(a, n, work, condition), 0);
        EXPECT_NEAR(condition, c.condition, kConditionRelTol * c.condition);
    }
    if (c.status < 0) {
        return;
    }
    Matrix e(c.n * c.n), inverse = a;
    for (std::size_t k = 0; k < e.size(); k += c.n + 1) {
        e[k] = 1.0;
    }
    Matrix x = e;  // solving A·X = I gives A⁻¹ a second time
    std::vector<int32_t> ipiv(c.n, 7), indxr(c.n, 7), indxc(c.n, 7);  // garbage must not matter
    ASSERT_EQ(DGAUSJ(inverse, n, x, n, ipiv, indxr, indxc), c.status);
    if (c.status == 0) {
        EXPECT_LT(maxDifference(product(a, inverse, c.n), e), kInverseTol);
        EXPECT_LT(maxDifference(product(a, x, c.n), e), kInverseTol);
    }
}

// Rows 0 and 1 of IdenticalRows undergo identical operations and cancel exactly to zero.
// ZeroLeadingDiagonal is bidiagonal with a zero first diagonal element, so the superdiagonal
// is chased out along the whole block; AᵀA = diag(0, [[2,1],[1,2]]).
INSTANTIATE_TEST_SUITE_P(
    Cases, Matrices,
    testing::ValuesIn(std::vector<MatrixCase>{
        {"AtThreshold", 1, 1, {1e-30}, {1e-30}, 0, 1.0},
        {"BelowThreshold", 1, 1, {1e-31}, {1e-31}, 1, 1.0},
        {"Negative", 1, 1, {2.5}, {-2.5}, 0, 1.0},
        {"Diagonal", 2, 2, {4.0, 1.0}, {4, 0, 0, 1}, 0, 4.0},
        {"Zero", 3, 3, {0.0, 0.0, 0.0}, Matrix(9, 0.0), 1, 123.5},
        {"AllNaN", 2, 2, {}, Matrix(4, kNaN), 1},
        {"IdenticalRows", 3, 3, {3 * std::numbers::sqrt2, 3, 0}, {1, 1, 2, 2, 2, 1, 2, 2, -2}, 1},
        {"ZeroLeadingDiagonal", 3, 3, {std::numbers::sqrt3, 1, 0}, {0, 0, 0, 1, 1, 0, 0, 1, 1}},
        {"Two", 2, 2, {1.0, 7.5}, {}, 0, 7.5},
        {"Five", 5, 5, {9.0, 4.0, 2.0, 1.0, 1.5}, {}, 0, 9.0},
        {"Twelve", 12, 12, {10, 9, 8, 7, 6, 5, 4, 3, 2.5, 2, 1.5, 1}, {}, 0, 10.0},
        {"RepeatedAndZero", 6, 6, {3.0, 3.0, 3.0, 1.0, 0.0, 0.0}},
        {"Graded", 5, 5, {1e6, 1e3, 1.0, 1e-3, 1e-6}},
        {"Tall", 7, 4, {5.0, 0.7, 2.0, 0.1}},
        {"Wide", 4, 7, {1.0, 6.0, 2.0, 3.0}}}),
    [](const auto& tested) { return tested.param.name; });

// C(i,j) = sd(i)·R(i,j)·sd(j), for standard deviations and correlations chosen here.
const std::vector<double> kSd = {0.5, 2.0, 3.0, 0.125};
const Matrix kR = {1, .3, -.2, .1, .3, 1, .9, -.75, -.2, .9, 1, .4, .1, -.75, .4, 1};

class Statistics : public testing::TestWithParam<double> {};

// C(1,1) is 4 as constructed, or else zero or not finite: then row 1 and column 1 of the
// correlations are undefined. Negative variances are reported from the first.
TEST_P(Statistics, GiveStandardDeviationsAndCorrelations)
{
    const bool consistent = GetParam() == 4.0;
    Matrix c(16);
    for (std::size_t k = 0; k < 16; ++k) {
        c[k] = k == 5 ? GetParam() : kR[k] * kSd[k % 4] * kSd[k / 4];
    }
    const StandardDeviations sd = standardDeviations(c, 4);
    EXPECT_EQ(sd.negativeDiagonal, -1);
    EXPECT_TRUE(!consistent || sd.values == kSd);
    const CorrelationMatrix r = correlationMatrix(c, sd.values, 4);
    for (std::size_t k = 0; k < 16; ++k) {
        ASSERT_EQ(r.cells[k].has_value(), consistent || (k % 4 != 1 && k / 4 != 1)) << k;
        EXPECT_DOUBLE_EQ(r.cells[k].value_or(kR[k]), kR[k]) << k;
    }
    c[10] = -4.0;
    c[15] = -1.0;
    EXPECT_EQ(standardDeviations(c, 4).negativeDiagonal, 2);
}

INSTANTIATE_TEST_SUITE_P(VarianceOfSecond, Statistics,
                         testing::Values(4.0, 0.0, kNaN, std::numeric_limits<double>::infinity()));

}  // namespace
}  // namespace varnix::engine
