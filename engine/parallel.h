// Work split over threads for the engine's independent loops (data points, peaks).
//
// Each chunk of indices runs on one thread with its own evaluation context and writes only the
// output slots of its own indices, so results are bit-for-bit the same for any thread count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace varnix::engine {

// Number of threads the engine uses; 0 (the default) means OpenMP's default: OMP_NUM_THREADS
// when it is set, else one per available core.
void setThreadCount(int32_t count);
int32_t threadCount();

// Calls body(chunk, begin, end) for consecutive chunks covering 0 … n−1, on as many threads as
// set; chunk < maxChunks() indexes per-chunk accumulators the caller sizes beforehand. Which
// thread runs a chunk varies, but the chunks themselves do not. A std::bad_alloc in any chunk is
// rethrown after all chunks have ended.
std::size_t maxChunks();
void parallelChunks(std::size_t n,
                    const std::function<void(std::size_t, std::size_t, std::size_t)>& body);

}  // namespace varnix::engine
