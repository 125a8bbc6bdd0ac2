// The Levenberg–Marquardt iteration: a whole fit of the synthetic spectrum, the λ bookkeeping
// and status codes, and what each mode leaves untouched.
#include "levenberg_marquardt.h"
#include "problem.h"
#include "reference_model.h"
#include "synthetic.h"

#include <gtest/gtest.h>

#include <cmath>

namespace varnix::engine {
namespace {

// χ² of a model, summed here rather than by the engine's FCHI.
double chiSquare(const Problem& p, const std::vector<double>& model)
{
    return reference::weightedChiSquare(p.counts, p.sigmas, model);
}

std::vector<double> modeZeroModel(const Problem& p, const std::vector<double>& parameters)
{
    EngineState st = p.state0(parameters);
    p.run(kModeCalculate, st);
    return st.model;
}

// Poisson counts put a fitted parameter within 4σ of the truth but for 6e-5 of the time; the
// engine's model differs from the one the counts were drawn from by 0.03σ at most (601 points).
constexpr double kFitSigmas = 4.0;

// The fit command's stopping rules: R = √(χ²/NP) below RMIN, or falling by less than RMIN.
bool stops(double r, double previousR, int32_t iteration)
{
    constexpr double kRmin = 1e-4;
    const double deltaR = iteration == 1 ? r : previousR - r;
    return r < kRmin || deltaR < kRmin;
}

// Each iteration by its own rule, from a start clearly wrong to the truth: an accepted step
// lowers χ² and returns the model of the parameters it returns; a failed one keeps them.
TEST(Fit, SyntheticSpectrumRecoversTheTrueParameters)
{
    const Problem p = syntheticProblem(601);
    const SyntheticSpectrum s = makeSyntheticSpectrum(601);
    double chiBefore = chiSquare(p, modeZeroModel(p, s.startParameters));
    ASSERT_GT(chiBefore, 100.0 * chiSquare(p, s.model)) << "the start must be far from the truth";
    EngineState st = p.state0(s.startParameters);
    const int32_t maxit = 51;
    int32_t iteration = 1;
    for (double previousR = 0.0; iteration <= maxit; ++iteration) {
        const std::vector<double> before = st.parameters;
        p.run(kModeIterate, st);
        ASSERT_EQ(st.inversionStatus, 0) << "iteration " << iteration;
        const std::vector<double> model = modeZeroModel(p, st.parameters);
        const double chiAfter = chiSquare(p, model);
        if (st.lambdaStatus == 0) {
            EXPECT_LT(chiAfter, chiBefore) << "iteration " << iteration;
            EXPECT_DOUBLE_EQ(st.chiSquare, chiAfter) << "iteration " << iteration;
            EXPECT_EQ(st.model, model) << "iteration " << iteration;
        } else {
            EXPECT_EQ(st.parameters, before) << "iteration " << iteration;
            EXPECT_GE(st.chiSquare, chiBefore) << "iteration " << iteration;
        }
        chiBefore = chiAfter;
        const double r = std::sqrt(st.chiSquare / 601.0);
        if (stops(r, previousR, iteration)) {
            break;
        }
        previousR = r;
    }
    ASSERT_LE(iteration, maxit) << "the fit must converge, not run out of iterations";
    EngineState final = st;
    final.lambda = 0.0;
    p.run(kModeErrorMatrix, final);
    ASSERT_EQ(final.inversionStatus, 0);
    EXPECT_GT(final.conditionNumber, 1.0);
    EXPECT_EQ(final.lambda, 0.0);

    const std::size_t nfree = s.trueParameters.size();
    std::vector<double> sd(nfree);
    int32_t farAtStart = 0;
    for (std::size_t j = 0; j < nfree; ++j) {
        sd[j] = std::sqrt(final.errorMatrix[j * nfree + j]);
        farAtStart += std::fabs(s.startParameters[j] - s.trueParameters[j]) > kFitSigmas * sd[j];
    }
    ASSERT_GE(farAtStart, 4) << "the start must fail the recovery test";
    for (std::size_t j = 0; j < nfree; ++j) {
        EXPECT_NEAR(st.parameters[j], s.trueParameters[j], kFitSigmas * sd[j]) << "parameter " << j;
    }
    // At the minimum the weighted residuals are about one standard deviation each.
    EXPECT_NEAR(std::sqrt(chiBefore / 601.0), 1.0, 0.15);
}

// All parameters fixed: every trial repeats the current χ², which is no decrease.
Problem allFixed()
{
    Problem p({1.0, 2.0, 3.0}, {5.0, 9.0, 5.0}, 1, 1);
    for (std::size_t j = 0; j < p.state.size(); ++j) {
        p.fix(j);
    }
    return p;
}

const std::vector<double> kOnePeak = {2.0, 4.0, 1.0, 0.0, 0.5, 1.0};

struct LambdaCase {
    const char* name;
    int32_t maxTrials;
    double lambdaIn;
    int32_t status;
    double lambdaOut;
};

class LambdaFailures : public ::testing::TestWithParam<LambdaCase> {};

TEST_P(LambdaFailures, NoDecreaseEndsWithItsStatus)
{
    const LambdaCase c = GetParam();
    Problem p = allFixed();
    p.maxLambdaIterations = c.maxTrials;
    EngineState st = p.state0(kOnePeak, c.lambdaIn);
    p.run(kModeIterate, st);
    EXPECT_EQ(st.lambdaStatus, c.status);
    EXPECT_DOUBLE_EQ(st.lambda, c.lambdaOut);
    EXPECT_EQ(st.parameters, kOnePeak);
    EXPECT_EQ(st.chiSquare, chiSquare(p, st.model));
}

INSTANTIATE_TEST_SUITE_P(
    Iteration, LambdaFailures,
    ::testing::Values(LambdaCase{"TrialLimit", 4, 0.01, kLambdaStatusMaxTrials, 10.0},
                      LambdaCase{"OneTrialKeepsLambda", 1, 0.01, kLambdaStatusMaxTrials, 0.01},
                      // 1e29 → 1e30 (not above the limit) → 1e31, which is.
                      LambdaCase{"LambdaOverflow", 100, 1e29, kLambdaStatusOverflow, 1e31}),
    [](const auto& c) { return std::string(c.param.name); });

// Only the background varies: a linear problem, so the first damped step already lowers χ².
Problem backgroundOnly()
{
    std::vector<double> e;
    std::vector<double> y;
    for (int i = 0; i < 20; ++i) {
        e.push_back(static_cast<double>(i));
        y.push_back(50.0 + 2.0 * i);
    }
    Problem p(e, y, 1, 2);
    for (std::size_t j = 0; j < 5; ++j) {
        p.fix(j);
    }
    return p;
}

const std::vector<double> kBackgroundStart = {5.0, 0.0, 1.0, 0.0, 1.0, 10.0, 0.0};

TEST(Iteration, AcceptedFirstTrialDividesLambda)
{
    const Problem p = backgroundOnly();
    EngineState st = p.state0(kBackgroundStart, 0.5);
    const double chi0 = chiSquare(p, modeZeroModel(p, kBackgroundStart));
    p.run(kModeIterate, st);
    EXPECT_EQ(st.lambdaStatus, 0);
    EXPECT_EQ(st.inversionStatus, 0);
    EXPECT_DOUBLE_EQ(st.lambda, 0.05);
    EXPECT_LT(st.chiSquare, chi0);
    EXPECT_EQ(st.chiSquare, chiSquare(p, st.model));
    EXPECT_EQ(st.model, modeZeroModel(p, st.parameters));
}

TEST(Iteration, NonFiniteChiSquareIsNoDecrease)
{
    Problem p = backgroundOnly();
    p.counts[3] = std::nan("");
    p.sigmas[3] = 1.0;
    EngineState st = p.state0(kBackgroundStart, 0.5);
    p.run(kModeIterate, st);
    EXPECT_EQ(st.lambdaStatus, kLambdaStatusMaxTrials);
    EXPECT_EQ(st.parameters, kBackgroundStart);
    EXPECT_DOUBLE_EQ(st.lambda, 0.5e9);
}

TEST(Iteration, ErrorMatrixWithoutDampingIsTheInverseCurvature)
{
    const Problem p = backgroundOnly();
    EngineState st = p.state0(kBackgroundStart, 0.0);
    st.areas = {-1.0};
    st.widths = {-2.0};
    p.run(kModeErrorMatrix, st);
    ASSERT_EQ(st.inversionStatus, 0);
    // α of the background a0 + a1·(E − E_last) with weights 1/σ², formed independently.
    double s0 = 0.0;
    double s1 = 0.0;
    double s2 = 0.0;
    for (std::size_t i = 0; i < p.energies.size(); ++i) {
        const double w = 1.0 / (p.sigmas[i] * p.sigmas[i]);
        const double u = p.energies[i] - p.energies.back();
        s0 += w;
        s1 += w * u;
        s2 += w * u * u;
    }
    const double det = s0 * s2 - s1 * s1;
    EXPECT_NEAR(st.errorMatrix[0], s2 / det, 1e-12 * s2 / det);
    EXPECT_NEAR(st.errorMatrix[1], -s1 / det, 1e-12 * std::fabs(s1 / det));
    EXPECT_NEAR(st.errorMatrix[3], s0 / det, 1e-12 * s0 / det);
    EXPECT_NEAR(st.errorMatrix[1], st.errorMatrix[2], 1e-12 * std::fabs(s1 / det));
    // Mode 2 changes neither parameters, λ, areas nor widths; the model is the current one.
    EXPECT_EQ(st.parameters, kBackgroundStart);
    EXPECT_EQ(st.lambda, 0.0);
    EXPECT_EQ(st.areas, std::vector<double>{-1.0});
    EXPECT_EQ(st.widths, std::vector<double>{-2.0});
    EXPECT_EQ(st.model, modeZeroModel(p, kBackgroundStart));
    const double trace = s0 + s2;
    const double root = std::sqrt(trace * trace / 4.0 - det);
    EXPECT_NEAR(st.conditionNumber, (trace / 2 + root) / (trace / 2 - root),
                1e-8 * st.conditionNumber);
}

TEST(Iteration, ModeZeroTouchesOnlyModelAndComponents)
{
    const Problem p = backgroundOnly();
    EngineState st = p.state0(kBackgroundStart, 0.5);
    st.errorMatrix = {1.0, 2.0, 3.0, 4.0};
    st.areas = {7.0};
    st.widths = {8.0};
    st.conditionNumber = 9.0;
    st.inversionStatus = 1;
    st.lambdaStatus = 2;
    st.chiSquare = 11.0;
    EngineState before = st;
    p.run(kModeCalculate, st);
    EXPECT_EQ(st.lambdaStatus, 0);
    EXPECT_EQ(st.errorMatrix, before.errorMatrix);
    EXPECT_EQ(st.areas, before.areas);
    EXPECT_EQ(st.widths, before.widths);
    EXPECT_EQ(st.conditionNumber, 9.0);
    EXPECT_EQ(st.inversionStatus, 1);
    EXPECT_EQ(st.chiSquare, 11.0);
    EXPECT_EQ(st.lambda, 0.5);
    EXPECT_EQ(st.parameters, kBackgroundStart);
    EXPECT_NE(st.model, before.model);
}

TEST(Iteration, SumOfSquaredCountsIsSetOnlyWhenZero)
{
    const Problem p = backgroundOnly();
    double expected = 0.0;
    for (const double y : p.counts) {
        expected += y * y;
    }
    EngineState st = p.state0(kBackgroundStart);
    p.run(kModeCalculate, st);
    EXPECT_EQ(st.sumSquaredCounts, expected);
    st.sumSquaredCounts = 3.0;
    p.run(kModeIterate, st);
    EXPECT_EQ(st.sumSquaredCounts, 3.0);
}

TEST(Iteration, SingularMatrixKeepsTheParametersAndStillGivesAreas)
{
    // A peak of zero height has no position or width derivatives: α is singular.
    std::vector<double> e;
    for (int i = 0; i < 30; ++i) {
        e.push_back(0.2 * i);
    }
    Problem p(e, std::vector<double>(e.size(), 10.0), 1, 0);
    const std::vector<double> start = {3.0, 0.0, 0.5, 0.1, 0.5};
    EngineState st = p.state0(start);
    st.areas = {-1.0};
    st.chiSquare = 0.0;  // as before any fit
    p.run(kModeIterate, st);
    EXPECT_EQ(st.inversionStatus, 1);
    EXPECT_EQ(st.lambdaStatus, 0);
    EXPECT_EQ(st.parameters, start);
    EXPECT_EQ(st.model, modeZeroModel(p, start));
    // The chi-square of the unchanged parameters: a zero model against counts of 10, σ = √10 + 1.
    const double sigma = std::sqrt(10.0) + 1.0;
    EXPECT_NEAR(st.chiSquare, 30.0 * 100.0 / (sigma * sigma), 1e-9);
    EXPECT_EQ(st.areas, std::vector<double>{0.0});
    EXPECT_EQ(st.widths, std::vector<double>{0.0});
}

TEST(Iteration, RejectedStepsReturnTheModelOfTheReturnedParameters)
{
    Problem p = syntheticProblem(301);
    const SyntheticSpectrum s = makeSyntheticSpectrum(301);
    EngineState st = p.state0(s.startParameters);
    fitByStoppingRules(p, st);
    // Near the minimum, undamped single trials soon fail to lower χ².
    p.maxLambdaIterations = 1;
    st.lambda = 0.0;
    for (int call = 0; call < 20 && st.lambdaStatus == 0; ++call) {
        p.run(kModeIterate, st);
    }
    ASSERT_EQ(st.lambdaStatus, kLambdaStatusMaxTrials);
    EngineState now = p.state0(st.parameters);
    p.run(kModeCalculate, now);
    EXPECT_EQ(st.model, now.model);
    EXPECT_EQ(st.components, now.components);
    EXPECT_GE(st.chiSquare, chiSquare(p, st.model));
}

}  // namespace
}  // namespace varnix::engine
