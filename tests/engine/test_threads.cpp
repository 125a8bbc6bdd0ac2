// Points and peaks run in parallel: any thread count must give the same bits as one thread.
#include "problem.h"
#include "synthetic.h"
#include "parallel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>

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

// Several fits share a machine by giving each fewer threads: OMP_NUM_THREADS, when set, is the
// engine's default. ctest runs this once more with OMP_NUM_THREADS=1 in the environment.
TEST(Threads, DefaultFollowsOmpNumThreads)
{
    const char* env = std::getenv("OMP_NUM_THREADS");
    if (env == nullptr) {
        GTEST_SKIP() << "OMP_NUM_THREADS is not set";
    }
    setThreadCount(0);
    std::mutex mutex;
    std::set<std::thread::id> threads;
    parallelChunks(1000, [&](std::size_t, std::size_t, std::size_t) {
        // Long enough that an idle second thread would take a chunk too.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const std::lock_guard<std::mutex> lock(mutex);
        threads.insert(std::this_thread::get_id());
    });
    EXPECT_EQ(threads.size(), static_cast<std::size_t>(std::atoi(env)));
}

}  // namespace
}  // namespace varnix::engine
