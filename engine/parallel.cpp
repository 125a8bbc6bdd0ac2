#include "parallel.h"

#include <omp.h>

#include <algorithm>
#include <atomic>
#include <new>

namespace varnix::engine {

namespace {

std::atomic<int32_t> g_threadCount{0};

}  // namespace

void setThreadCount(int32_t count)
{
    g_threadCount.store(std::max(count, 0));
}

int32_t threadCount()
{
    const int32_t count = g_threadCount.load();
    // OpenMP's own default: OMP_NUM_THREADS when it is set, else one thread per available core,
    // so that several fits can share a machine.
    return count > 0 ? count : omp_get_max_threads();
}

// Several chunks per thread, handed out as threads become free: the cost of a point depends on
// how deep its integrals refine, so equal counts of points are not equal work.
constexpr std::size_t kChunksPerThread = 4;

std::size_t maxChunks()
{
    return kChunksPerThread * static_cast<std::size_t>(threadCount());
}

void parallelChunks(std::size_t n,
                    const std::function<void(std::size_t, std::size_t, std::size_t)>& body)
{
    const auto threads = static_cast<std::size_t>(threadCount());
    const std::size_t chunks = std::min(maxChunks(), std::max<std::size_t>(n, 1));
    if (threads <= 1 || chunks <= 1) {
        body(0, 0, n);
        return;
    }
    std::atomic<bool> outOfMemory{false};
#pragma omp parallel for schedule(dynamic, 1) num_threads(static_cast<int>(std::min(threads, chunks)))
    for (std::size_t c = 0; c < chunks; ++c) {
        try {
            body(c, c * n / chunks, (c + 1) * n / chunks);
        } catch (...) {
            // Only allocation can fail inside the numerical loops.
            outOfMemory.store(true);
        }
    }
    if (outOfMemory.load()) {
        throw std::bad_alloc();
    }
}

}  // namespace varnix::engine
