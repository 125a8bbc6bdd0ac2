// Points and peaks run in parallel: any thread count must give the same bits as one thread.
#include "problem.h"
#include "synthetic.h"
#include "parallel.h"

#include <gtest/gtest.h>

namespace varnix::engine {
namespace {


EngineState iterateWith(int32_t threads, const Problem& p, const std::vector<double>& start)
{
    setThreadCount(threads);
    EngineState st = p.state0(start);
    p.run(kModeIterate, st);
    p.run(kModeIterate, st);
    EngineState final = st;
    final.lambda = 0.0;
    p.run(kModeErrorMatrix, final);
    setThreadCount(0);
    return final;
}

TEST(Threads, AnyThreadCountGivesIdenticalBits)
{
    const Problem p = syntheticProblem(203);
    const std::vector<double> start = makeSyntheticSpectrum(203).startParameters;
    const EngineState one = iterateWith(1, p, start);
    for (const int32_t threads : {2, 3, 7}) {
        const EngineState many = iterateWith(threads, p, start);
        // operator== on vectors of doubles compares values; equal values here mean equal bits
        // since none of them is NaN or a signed zero that could hide a difference.
        EXPECT_EQ(one.parameters, many.parameters) << threads;
        EXPECT_EQ(one.model, many.model) << threads;
        EXPECT_EQ(one.components, many.components) << threads;
        EXPECT_EQ(one.errorMatrix, many.errorMatrix) << threads;
        EXPECT_EQ(one.areas, many.areas) << threads;
        EXPECT_EQ(one.widths, many.widths) << threads;
        EXPECT_EQ(one.chiSquare, many.chiSquare) << threads;
        EXPECT_EQ(one.conditionNumber, many.conditionNumber) << threads;
    }
}

}  // namespace
}  // namespace varnix::engine
