// Simpson integration by trapezoid refinement: exactness, the convergence rules and the
// shared-node integration of several integrands.
#include "qsimp.h"

#include <gtest/gtest.h>

#include <cmath>

namespace varnix::engine {
namespace {

// Simpson's rule integrates cubics exactly; only rounding remains.
constexpr double kRoundingTol = 1e-13;

TEST(Qsimp, CubicIsExactAtTheFirstStepThatMayConverge)
{
    // The −1e30 start makes steps 1 and 2 fail the relative test for any EPS below 1; step 3
    // repeats step 2's exact value and converges with 2^(3−1) + 1 = 5 evaluations.
    const SimpsonIntegral r =
        QSIMP([](double x) { return x * x * x - 2.0 * x + 1.0; }, 0.0, 2.0, {1e-10, 20});
    EXPECT_NEAR(r.value, 4.0 - 4.0 + 2.0, kRoundingTol);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.evaluations, 5);
}

TEST(Qsimp, ZeroIntegrandEndsAtTheSeventhStep)
{
    const SimpsonIntegral r = QSIMP([](double) { return 0.0; }, -1.0, 1.0, {1e-4, 21});
    EXPECT_EQ(r.value, 0.0);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.evaluations, 65);
}

TEST(Qsimp, SmoothIntegralMeetsItsTolerance)
{
    const SimpsonIntegral r = QSIMP([](double x) { return std::exp(x); }, 0.0, 1.0, {1e-9, 20});
    EXPECT_EQ(r.status, 0);
    EXPECT_NEAR(r.value, std::exp(1.0) - 1.0, 1e-9);
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
    const double simpson = h / 3.0
                           * (spike(0.0) + 4.0 * spike(0.25) + 2.0 * spike(0.5)
                              + 4.0 * spike(0.75) + spike(1.0));
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
    simpsonShared<1>([](int32_t, std::array<double, 1>&, const std::array<bool, 1>&) {
        FAIL() << "no integrand evaluation expected";
    }, 0.0, 1.0, {1e-4, 0}, integral);
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
    simpsonShared<3>([&](int32_t n, std::array<double, 3>& sums, const std::array<bool, 3>&) {
        trapezoidNodes(-1.0, 1.0, n, nodes);
        sums = {0.0, 0.0, 0.0};
        for (const double x : nodes) {
            sums[0] += smooth(x);
            sums[2] += peaked(x);
        }
    }, -1.0, 1.0, controls, shared);
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

}  // namespace
}  // namespace varnix::engine
