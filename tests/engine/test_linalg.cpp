// Linear algebra of the fit: Gauss–Jordan inversion, singular values and condition number,
// and the standard deviations and correlations derived from the error matrix.
#include "dgausj.h"
#include "singval.h"
#include "statistics.h"
#include "svd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
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

struct Dense {
    std::size_t rows;
    std::size_t columns;
    std::vector<double> data;

    Dense(std::size_t r, std::size_t c) : rows(r), columns(c), data(r * c, 0.0) {}
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
    double d = 0.0;
    for (std::size_t i = 0; i < a.data.size(); ++i) {
        const double diff = std::fabs(a.data[i] - b.data[i]);
        d = std::isnan(diff) || diff > d ? diff : d;
    }
    return d;
}

std::vector<double> uniform(std::size_t count, double lo, double hi, std::mt19937& rng)
{
    std::uniform_real_distribution<double> dist(lo, hi);
    std::vector<double> x(count);
    std::generate(x.begin(), x.end(), [&] { return dist(rng); });
    return x;
}

// Product of n Householder reflections I − 2·v·vᵀ/(vᵀv) with random v: orthogonal to rounding.
Dense randomOrthogonal(std::size_t n, std::mt19937& rng)
{
    Dense q = identity(n);
    for (std::size_t k = 0; k < n; ++k) {
        const std::vector<double> v = uniform(n, -1.0, 1.0, rng);
        double vv = 0.0;
        for (const double x : v) {
            vv += x * x;
        }
        for (std::size_t i = 0; i < n; ++i) {
            double dot = 0.0;
            for (std::size_t j = 0; j < n; ++j) {
                dot += q(i, j) * v[j];
            }
            for (std::size_t j = 0; j < n; ++j) {
                q(i, j) -= 2.0 * dot * v[j] / vv;
            }
        }
    }
    return q;
}

// m × n matrix Σ_k s_k·p_k·q_kᵀ with random orthonormal p_k, q_k: its singular values are the
// min(m, n) entries of s and, when m < n, n − m zeros.
Dense withSingularValues(std::size_t m, std::size_t n, const std::vector<double>& s,
                         std::mt19937& rng)
{
    const Dense p = randomOrthogonal(m, rng);
    const Dense q = randomOrthogonal(n, rng);
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

template <class Case>
std::string caseName(const testing::TestParamInfo<Case>& tested)
{
    return tested.param.name;
}

int32_t invert(Dense& a, Dense& b, std::vector<int32_t>* pivotColumns = nullptr)
{
    // Garbage in the work vectors must not matter.
    std::vector<int32_t> ipiv(a.rows, 7), indxr(a.rows, 7), indxc(a.rows, 7);
    const int32_t status = DGAUSJ(a.data, static_cast<int32_t>(a.rows), b.data,
                                  static_cast<int32_t>(b.columns), ipiv, indxr, indxc);
    if (pivotColumns != nullptr) {
        *pivotColumns = indxc;
    }
    return status;
}

class InverseOfRandomMatrix : public testing::TestWithParam<int> {};

TEST_P(InverseOfRandomMatrix, GivesIdentityAndSolvesTheSystem)
{
    const auto n = static_cast<std::size_t>(GetParam());
    std::mt19937 rng(20240611U + static_cast<unsigned>(n));
    // Random singular vectors: no diagonal dominance, so pivoting and interchanges happen.
    const Dense a = withSingularValues(n, n, uniform(n, 1.0, 10.0, rng), rng);
    Dense b(n, 2);
    b.data = uniform(2 * n, -5.0, 5.0, rng);
    Dense inverse = a;
    Dense x = b;
    ASSERT_EQ(invert(inverse, x), 0);
    EXPECT_LT(maxDifference(product(a, inverse), identity(n)), kInverseTol);
    EXPECT_LT(maxDifference(product(a, x), b), kInverseTol);
}

INSTANTIATE_TEST_SUITE_P(Sizes, InverseOfRandomMatrix, testing::Range(1, 13));

TEST(Dgausj, AmongEqualMagnitudesTheLastScannedIsThePivot)
{
    Dense a(2, 2);
    a.data = {1.0, 1.0, -1.0, 1.0};
    Dense b(2, 0);
    std::vector<int32_t> pivotColumns;
    ASSERT_EQ(invert(a, b, &pivotColumns), 0);
    EXPECT_EQ(pivotColumns, (std::vector<int32_t>{1, 0}));
}

struct SmallCase {
    std::string name;
    std::size_t n;
    std::vector<double> a;  // column-major
    int32_t status;
};

class DgausjSmall : public testing::TestWithParam<SmallCase> {};

// A regular 1 × 1 system is checked against its closed form: inverse 1/a, step β/a.
TEST_P(DgausjSmall, StatusAndOneByOneClosedForm)
{
    const SmallCase& c = GetParam();
    Dense a(c.n, c.n);
    a.data = c.a;
    Dense b(c.n, 1);
    b.data.assign(c.n, 3.0);
    ASSERT_EQ(invert(a, b), c.status);
    if (c.status == 0 && c.n == 1) {
        EXPECT_DOUBLE_EQ(a(0, 0), 1.0 / c.a[0]);
        EXPECT_DOUBLE_EQ(b(0, 0), 3.0 / c.a[0]);
    }
}

// Identical rows undergo identical operations, so they cancel exactly to zero.
INSTANTIATE_TEST_SUITE_P(
    Cases, DgausjSmall,
    testing::Values(
        SmallCase{"AtThreshold", 1, {1e-30}, 0}, SmallCase{"BelowThreshold", 1, {1e-31}, 1},
        SmallCase{"NegativeBelowThreshold", 1, {-1e-31}, 1},
        SmallCase{"Negative", 1, {-2.5}, 0}, SmallCase{"ZeroMatrix", 2, {0, 0, 0, 0}, 1},
        SmallCase{"AllNaN", 2, {kNaN, kNaN, kNaN, kNaN}, 1},
        SmallCase{"TwoIdenticalRows", 3, {1, 4, 1, 2, -5, 2, 3, 6, 3}, 1},
        SmallCase{"IdenticalRowsAmongOthers",
                  4,
                  {0.3, 0.7, 0.3, 9, -1.5, 2, -1.5, 1, 4, 0.1, 4, -2, 0.2, 5, 0.2, 3},
                  1}),
    caseName<SmallCase>);

struct SvdCase {
    std::string name;
    std::size_t nm;
    std::size_t m;
    std::size_t n;
    std::vector<double> s;  // the min(m, n) prescribed singular values
    std::vector<double> a = {};  // an m × n matrix with these values, or empty: random
};

class SvdOfConstructedMatrix : public testing::TestWithParam<SvdCase> {};

TEST_P(SvdOfConstructedMatrix, FindsValuesAndReconstructs)
{
    const SvdCase& c = GetParam();
    std::mt19937 rng(77U);
    Dense a = withSingularValues(c.m, c.n, c.s, rng);
    if (!c.a.empty()) {
        a.data = c.a;
    }
    // Every buffer starts as NaN, padding included, so reading anything not yet written shows.
    std::vector<double> stored(c.nm * c.n, kNaN);
    std::vector<double> w(c.n, kNaN), rv1(c.n, kNaN), u(stored.size(), kNaN), v(u);
    for (std::size_t k = 0; k < a.data.size(); ++k) {
        stored[k % c.m + k / c.m * c.nm] = a.data[k];
    }
    const auto nm = static_cast<int32_t>(c.nm);
    const auto m = static_cast<int32_t>(c.m);
    const auto n = static_cast<int32_t>(c.n);
    ASSERT_EQ(SVD(nm, m, n, stored, w, true, u, true, v, rv1), 0);

    Dense reconstructed(c.m, c.n);
    Dense vm(c.n, c.n);
    for (std::size_t j = 0; j < c.n; ++j) {
        for (std::size_t i = 0; i < c.n; ++i) {
            vm(i, j) = v[i + j * c.nm];
        }
        for (std::size_t k = 0; k < c.n; ++k) {
            for (std::size_t i = 0; i < c.m; ++i) {
                reconstructed(i, j) += u[i + k * c.nm] * w[k] * v[j + k * c.nm];
            }
        }
    }
    std::vector<double> expected = c.s;
    expected.resize(c.n, 0.0);
    const double tol = kSvdRelTol * *std::max_element(expected.begin(), expected.end());
    EXPECT_LT(maxDifference(reconstructed, a), tol);
    EXPECT_LT(maxDifference(product(vm, vm, true), identity(c.n)), kSvdRelTol);
    std::sort(expected.begin(), expected.end());
    std::sort(w.begin(), w.end());
    for (std::size_t k = 0; k < c.n; ++k) {
        EXPECT_NEAR(w[k], expected[k], tol) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, SvdOfConstructedMatrix,
    testing::Values(SvdCase{"OneByOne", 1, 1, 1, {2.5}},
                    SvdCase{"Square", 5, 5, 5, {9.0, 4.0, 2.0, 1.0, 0.5}},
                    SvdCase{"RepeatedAndZero", 6, 6, 6, {3.0, 3.0, 3.0, 1.0, 0.0, 0.0}},
                    SvdCase{"Graded", 5, 5, 5, {1e6, 1e3, 1.0, 1e-3, 1e-6}},
                    SvdCase{"Twelve", 12, 12, 12, {12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}},
                    SvdCase{"TallPadded", 9, 7, 4, {5.0, 0.7, 2.0, 0.1}},
                    SvdCase{"Wide", 7, 4, 7, {1.0, 6.0, 2.0, 3.0}},
                    // Already bidiagonal with a zero first diagonal element: the superdiagonal
                    // has to be chased out along the whole block. AᵀA = diag(0, [[2,1],[1,2]]).
                    SvdCase{"ZeroLeadingDiagonal",
                            3,
                            3,
                            3,
                            {std::sqrt(3.0), 1.0, 0.0},
                            {0, 0, 0, 1, 1, 0, 0, 1, 1}}),
    caseName<SvdCase>);

TEST(Svd, NaNInputEndsThroughTheSweepLimit)
{
    const std::vector<double> a(9, kNaN);
    std::vector<double> w(3), u(9), rv1(3);
    EXPECT_EQ(SVD(3, 3, 3, a, w, false, u, false, {}, rv1), 3);
}

double condition(const Dense& a, double start)
{
    SingvalWork work(static_cast<int32_t>(a.rows));
    double c = start;
    EXPECT_EQ(SINGVAL(a.data, static_cast<int32_t>(a.rows), work, c), 0);
    return c;
}

TEST(Singval, DiagonalAndZeroMatrices)
{
    Dense a(2, 2);
    a.data = {4.0, 0.0, 0.0, 1.0};
    EXPECT_DOUBLE_EQ(condition(a, 0.0), 4.0);
    EXPECT_EQ(condition(Dense(3, 3), 123.5), 123.5);
}

TEST(Singval, ConstructedMatricesAndTheirInverses)
{
    std::mt19937 rng(5U);
    for (const std::size_t n : {2U, 5U, 12U}) {
        const std::vector<double> s = uniform(n, 0.5, 50.0, rng);
        const Dense a = withSingularValues(n, n, s, rng);
        const double expected = *std::max_element(s.begin(), s.end())
                                / *std::min_element(s.begin(), s.end());
        const Dense copy = a;
        EXPECT_NEAR(condition(a, 0.0), expected, kConditionRelTol * expected) << n;
        EXPECT_EQ(a.data, copy.data);
        Dense inverse = a;
        Dense b(n, 0);
        ASSERT_EQ(invert(inverse, b), 0);
        EXPECT_NEAR(condition(inverse, 0.0), expected, kConditionRelTol * expected) << n;
    }
}

// Error matrix C = D·R·D from standard deviations D and correlations R chosen here.
const std::vector<double> kSd = {0.5, 2.0, 3.0, 0.125};

Dense correlations()
{
    Dense r = identity(4);
    const std::vector<double> upper = {0.3, -0.2, 0.9, 0.1, -0.75, 0.4};
    for (std::size_t j = 0, k = 0; j < 4; ++j) {
        for (std::size_t i = 0; i < j; ++i, ++k) {
            r(i, j) = r(j, i) = upper[k];
        }
    }
    return r;
}

Dense errorMatrix()
{
    Dense c = correlations();
    for (std::size_t k = 0; k < c.data.size(); ++k) {
        c.data[k] *= kSd[k % 4] * kSd[k / 4];
    }
    return c;
}

TEST(Statistics, RecoverStandardDeviationsAndCorrelations)
{
    const Dense c = errorMatrix();
    const Dense expected = correlations();
    const StandardDeviations sd = standardDeviations(c.data, 4);
    ASSERT_EQ(sd.negativeDiagonal, -1);
    const CorrelationMatrix r = correlationMatrix(c.data, sd.values, 4);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(sd.values[i], kSd[i]);
        for (std::size_t j = 0; j < 4; ++j) {
            ASSERT_TRUE(r(i, j).has_value());
            EXPECT_DOUBLE_EQ(*r(i, j), expected(i, j)) << i << ',' << j;
            EXPECT_DOUBLE_EQ(*r(i, j), *r(j, i));
        }
    }
}

TEST(Statistics, FirstNegativeDiagonalIsReported)
{
    Dense c = errorMatrix();
    c(2, 2) = -4.0;
    c(3, 3) = -1.0;
    EXPECT_EQ(standardDeviations(c.data, 4).negativeDiagonal, 2);
}

struct Unusable {
    std::string name;
    double variance;
};

class CorrelationOfUnusableParameter : public testing::TestWithParam<Unusable> {};

TEST_P(CorrelationOfUnusableParameter, IsUndefinedInItsRowAndColumnOnly)
{
    Dense c = errorMatrix();
    c(1, 1) = GetParam().variance;
    const StandardDeviations sd = standardDeviations(c.data, 4);
    const CorrelationMatrix r = correlationMatrix(c.data, sd.values, 4);
    for (std::size_t i = 0; i < 4; ++i) {
        for (std::size_t j = 0; j < 4; ++j) {
            EXPECT_EQ(r(i, j).has_value(), i != 1 && j != 1) << i << ',' << j;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Variances, CorrelationOfUnusableParameter,
                         testing::Values(Unusable{"Zero", 0.0}, Unusable{"NaN", kNaN},
                                         Unusable{"Infinite",
                                                  std::numeric_limits<double>::infinity()}),
                         caseName<Unusable>);

}  // namespace
}  // namespace varnix::engine
