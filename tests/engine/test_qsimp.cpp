// Simpson integration by trapezoid refinement: exactness, the convergence rules and the
// shared-node integration of several integrands.
#include "integrands.h"
#include "qsimp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <ostream>
#include <string>

namespace varnix::engine {
namespace {

// Simpson's rule integrates cubics exactly; only rounding remains.
constexpr double kRoundingTol = 1e-13;

struct Convergence {
    const char* name;
    double (*f)(double);
    double a;
    double b;
    double expected;
    int64_t evaluations;
};

std::ostream& operator<<(std::ostream& out, const Convergence& c)
{
    return out << c.name;
}

class QsimpConvergence : public testing::TestWithParam<Convergence> {};

// No integral is accepted before step 7 (2^6 + 1 = 65 evaluations), however early its
// estimates agree.
INSTANTIATE_TEST_SUITE_P(
    Qsimp, QsimpConvergence,
    testing::Values(
        // Exact from step 2 on, yet it refines to step 7.
        Convergence{"Cubic", [](double x) { return x * x * x - 2.0 * x + 1.0; }, 0.0, 2.0, 2.0, 65},
        // Steps 1 to 4 only meet the zeros of sin(8πx), where the integrand is 1: steps 3 and 4
        // agree exactly on the area 1, half of the true 1.5.
        Convergence{
            "ChanceAgreementOfCoarseSteps",
            [](double x) { return 1.0 + std::pow(std::sin(8.0 * std::numbers::pi * x), 2); }, 0.0,
            1.0, 1.5, 65},
        // The relative test cannot succeed on zeros; the zero rule ends it at step 7.
        Convergence{"ZeroIntegrand", [](double) { return 0.0; }, -1.0, 1.0, 0.0, 65}),
    [](const testing::TestParamInfo<Convergence>& p) { return std::string(p.param.name); });

TEST_P(QsimpConvergence, NoIntegralIsAcceptedBeforeTheSeventhStep)
{
    const Convergence& c = GetParam();
    const SimpsonIntegral r = QSIMP(c.f, c.a, c.b, {1e-4, 21});
    EXPECT_NEAR(r.value, c.expected, kRoundingTol);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.evaluations, c.evaluations);
}

TEST(Qsimp, StepLimitReportsStatusAndKeepsLastEstimate)
{
    // A narrow spike needs many refinements; with three steps the estimate is the Simpson
    // value of step 3 (nodes at 0, 0.25, 0.5, 0.75, 1).
    auto spike = [](double x) { return std::exp(-1e4 * (x - 0.3) * (x - 0.3)); };
    const SimpsonIntegral r = QSIMP(spike, 0.0, 1.0, {1e-8, 3});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.evaluations, 5);
    const double h = 0.25;
    const double simpson =
        h / 3.0 *
        (spike(0.0) + 4.0 * spike(0.25) + 2.0 * spike(0.5) + 4.0 * spike(0.75) + spike(1.0));
    EXPECT_NEAR(r.value, simpson, 1e-15);
}

TEST(Qsimp, NonFiniteIntegrandStopsAtOnce)
{
    const SimpsonIntegral r =
        QSIMP([](double x) { return x > 0.7 ? std::nan("") : 1.0; }, 0.0, 1.0, {1e-4, 21});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(std::isnan(r.value));
    EXPECT_EQ(r.evaluations, 2);
}

TEST(Qsimp, NoStepsAllowedLeavesTheValueAndFails)
{
    std::array<SimpsonIntegral, 1> integral{};
    integral[0].value = 42.0;
    simpsonShared<1>(
        [](int32_t, std::array<double, 1>&, const std::array<bool, 1>&) {
            FAIL() << "no integrand evaluation expected";
        },
        0.0, 1.0, {1e-4, 0}, integral);
    EXPECT_EQ(integral[0].value, 42.0);
    EXPECT_EQ(integral[0].status, 1);
}

TEST(Qsimp, SharedNodesGiveEachIntegralItsOwnResult)
{
    // One integrand converges early, the other needs deeper steps; together they must give
    // bit for bit what each gives alone.
    auto smooth = [](double x) { return 1.0 + x; };
    auto peaked = [](double x) { return 1.0 / (1.0 + 400.0 * x * x); };
    const SimpsonControls controls{1e-7, 20};
    std::array<SimpsonIntegral, 3> shared{};
    shared[1].wanted = false;
    std::vector<double> nodes;
    simpsonShared<3>(
        [&](int32_t n, std::array<double, 3>& sums, const std::array<bool, 3>&) {
            trapezoidNodes(-1.0, 1.0, n, nodes);
            sums = {0.0, 0.0, 0.0};
            for (const double x : nodes) {
                sums[0] += smooth(x);
                sums[2] += peaked(x);
            }
        },
        -1.0, 1.0, controls, shared);
    const SimpsonIntegral alone0 = QSIMP(smooth, -1.0, 1.0, controls);
    const SimpsonIntegral alone2 = QSIMP(peaked, -1.0, 1.0, controls);
    EXPECT_EQ(shared[0].value, alone0.value);
    EXPECT_EQ(shared[0].evaluations, alone0.evaluations);
    EXPECT_EQ(shared[2].value, alone2.value);
    EXPECT_EQ(shared[2].evaluations, alone2.evaluations);
    EXPECT_LT(shared[0].evaluations, shared[2].evaluations);
    EXPECT_EQ(shared[1].evaluations, 0);
    EXPECT_NEAR(alone2.value, std::atan(20.0) / 10.0, 1e-6);
}

// Composite Simpson over [a, b] with 2^(n−1) intervals, the value a Simpson integration reaches
// at refinement step n, summed directly.
template <class F>
double compositeSimpson(F&& f, double a, double b, int32_t n)
{
    const auto intervals = std::size_t{1} << static_cast<unsigned>(n - 1);
    const double h = (b - a) / static_cast<double>(intervals);
    double sum = f(a) + f(b);
    for (std::size_t m = 1; m < intervals; ++m) {
        sum += (m % 2 == 1 ? 4.0 : 2.0) * f(a + static_cast<double>(m) * h);
    }
    return sum * h / 3.0;
}

// Steps deeper than any table work in blocks of nodes: they must still give the Simpson value
// of all their nodes. An EPS of 0 never converges, so the integrals run to JMAX.
TEST(Qsimp, StepsBeyondTheTablesIntegrateEveryNode)
{
    constexpr int32_t kDeepStep = kMaxTabulatedStep + 2;
    static_assert((std::size_t{1} << (kDeepStep - 2)) > kNodeBlock, "several node blocks");
    // Sums of 2^17 terms in two orders, and the line through the vector math library.
    constexpr double kSummationTol = 1e-11;
    const SimpsonControls controls{0.0, kDeepStep};

    auto wave = [](double x) { return std::cos(40.0 * x) + x * x; };
    const SimpsonIntegral plain = QSIMP(wave, -1.0, 2.0, controls);
    EXPECT_EQ(plain.status, 1);
    EXPECT_NEAR(plain.value, compositeSimpson(wave, -1.0, 2.0, kDeepStep),
                kSummationTol * std::fabs(plain.value));

    const PeakShape peak{0.0, 1.0, 0.3, 0.2, 0.5};
    const double e0 = 0.4;
    PeakIntegrands integrands(peak, 3.0);
    const SimpsonIntegral convolution = integrands.convolution(e0, controls);
    const double h = integrands.halfWidth();
    const double reference = compositeSimpson(
        [&](double t) { return FDON(peak, e0 + t) * gaussian(t, peak.gfwhm); }, -h, h, kDeepStep);
    EXPECT_EQ(convolution.status, 1);
    EXPECT_NEAR(convolution.value, reference, kSummationTol * reference);
}

}  // namespace
}  // namespace varnix::engine
