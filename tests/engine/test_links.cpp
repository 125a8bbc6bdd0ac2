// Parameter links: DEPEND, the trial step, and links that hold through a fit. DERCORR and the
// free-index map are checked through the Jacobian against finite differences.
#include "fundsg.h"
#include "links.h"
#include "problem.h"
#include "reference_model.h"
#include "synthetic.h"

#include <gtest/gtest.h>

namespace varnix::engine {
namespace {

TEST(Links, DependAppliesFactorsAndOffsets)
{
    const std::vector<int32_t> state = {kLinkFree, kLinkCorrelated, kLinkCorrelated,
                                        kLinkCorrelated, kLinkFixed};
    const std::vector<int32_t> target = {0, 0, 0, 0, 0};
    const std::vector<double> value = {0.0, 0.5, 2.25, 9.0, 0.0};
    const std::vector<int32_t> mode = {0, kLinkModeMultiply, kLinkModeAdd, 0, 0};
    std::vector<double> p = {4.0, -1.0, -1.0, -1.0, 7.0};
    DEPEND(p, LinkArrays{state, target, value, mode});
    // A correlated parameter without a link mode keeps its value, like a fixed one.
    EXPECT_EQ(p, (std::vector<double>{4.0, 2.0, 6.25, -1.0, 7.0}));
}

TEST(Links, TrialStepMovesFreeParametersAndTheirDependants)
{
    const std::vector<int32_t> state = {kLinkFree, kLinkCorrelated, kLinkFixed, kLinkFree};
    const std::vector<int32_t> target = {0, 3, 0, 0};
    const std::vector<double> value = {0.0, 1.5, 0.0, 0.0};
    const std::vector<int32_t> mode = {0, kLinkModeAdd, 0, 0};
    const std::vector<double> p = {1.0, 0.0, 5.0, 2.0};
    const std::vector<double> step = {0.25, -0.5};
    std::vector<double> q(4);
    trialParameters(p, step, freeIndexMap(state), LinkArrays{state, target, value, mode}, q);
    EXPECT_EQ(q, (std::vector<double>{1.25, 3.0, 5.0, 1.5}));
}

TEST(Links, OffsetAndFactorLinksHoldExactlyThroughAFit)
{
    Problem p = syntheticProblem(301);
    const SyntheticSpectrum s = makeSyntheticSpectrum(301);
    // Peak 2 a fixed distance above peak 1 with its own height ratio, peak 4's widths tied to
    // peak 3's, peak 3's asymmetry fixed.
    p.link(5 + kPos, kPos, kLinkModeAdd, 2.1);
    p.link(15 + kHeight, 5 + kHeight, kLinkModeMultiply, 800.0 / 3000.0);
    p.link(15 + kLfwhm, 10 + kLfwhm, kLinkModeMultiply, 0.5 / 0.6);
    p.link(15 + kGfwhm, 10 + kGfwhm, kLinkModeAdd, 0.3);
    p.fix(10 + kAlpha);
    std::vector<double> start = s.startParameters;
    start[10 + kAlpha] = 0.15;
    DEPEND(start, LinkArrays{p.state, p.target, p.value, p.mode});
    EngineState st = p.state0(start);
    EngineState atStart = st;
    p.run(kModeCalculate, atStart);
    const double chiStart = reference::weightedChiSquare(p.counts, p.sigmas, atStart.model);
    fitByStoppingRules(p, st);
    ASSERT_LT(st.chiSquare, 0.1 * chiStart);
    const std::vector<double>& q = st.parameters;
    EXPECT_EQ(q[5 + kPos], q[kPos] + 2.1);
    EXPECT_EQ(q[15 + kHeight], q[5 + kHeight] * (800.0 / 3000.0));
    EXPECT_EQ(q[15 + kLfwhm], q[10 + kLfwhm] * (0.5 / 0.6));
    EXPECT_EQ(q[15 + kGfwhm], q[10 + kGfwhm] + 0.3);
    EXPECT_EQ(q[10 + kAlpha], 0.15);
    EXPECT_NEAR(q[kPos], s.trueParameters[kPos], 0.02);
}

}  // namespace
}  // namespace varnix::engine
