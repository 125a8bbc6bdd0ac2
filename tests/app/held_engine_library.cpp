// An engine that holds every call until the test lets it go, so that a test can act while a
// call is certainly running. Its answers are simple enough to be checked from outside: the model
// is twice the counts, the parameters stay, the chi-square is one per point, and every peak
// has area and width 1.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace {

std::mutex gMutex;
std::condition_variable gChanged;
bool gReleased = false;
int32_t gRunning = 0;
// By mode. A mode 1 call over no free parameter evaluates rather than iterates (the probes of
// the peaks' figures after a fit) and is not counted.
int32_t gCalls[3] = {0, 0, 0};

}  // namespace

#define HELD_EXPORT extern "C" __attribute__((visibility("default")))

// Whether a call is inside the engine.
HELD_EXPORT bool HELD_RUNNING()
{
    const std::lock_guard<std::mutex> lock(gMutex);
    return gRunning > 0;
}

// Lets the running call and every later one go through.
HELD_EXPORT void HELD_RELEASE()
{
    const std::lock_guard<std::mutex> lock(gMutex);
    gReleased = true;
    gChanged.notify_all();
}

// Holds the calls again and forgets those made.
HELD_EXPORT void HELD_RESET()
{
    const std::lock_guard<std::mutex> lock(gMutex);
    gReleased = false;
    gCalls[0] = gCalls[1] = gCalls[2] = 0;
}

HELD_EXPORT int32_t HELD_CALLS(int32_t mode)
{
    const std::lock_guard<std::mutex> lock(gMutex);
    return gCalls[mode];
}

HELD_EXPORT void ZORVANT(const int32_t* np, const double*, const double* counts, const double*,
                         const int32_t*, const int32_t* nds, const int32_t*, const int32_t* ncomp,
                         double*, double* model, double* components, double* errorMatrix, double*,
                         const double*, const int32_t*, double* chiSquare, double*, const double*,
                         const int32_t*, int32_t* inversionStatus, int32_t* lambdaStatus,
                         const int32_t* mode, double* areas, double* widths, int32_t*,
                         const int32_t* nfree, const int32_t*, const int32_t*, const double*,
                         const double*, const int32_t*, double* conditionNumber)
{
    {
        std::unique_lock<std::mutex> lock(gMutex);
        ++gRunning;
        gCalls[*mode] += *mode != 1 || *nfree > 0 ? 1 : 0;
        gChanged.notify_all();
        gChanged.wait(lock, [] { return gReleased; });
        --gRunning;
    }
    const auto points = static_cast<std::size_t>(*np);
    for (std::size_t i = 0; i < points; ++i) {
        model[i] = 2.0 * counts[i];
    }
    for (std::size_t i = 0; i < points * static_cast<std::size_t>(*ncomp); ++i) {
        components[i] = 0.0;
    }
    const auto free = static_cast<std::size_t>(*nfree);
    for (std::size_t i = 0; i < free; ++i) {
        errorMatrix[i * free + i] = 1.0;
    }
    for (int32_t peak = 0; peak < *nds; ++peak) {
        areas[peak] = 1.0;
        widths[peak] = 1.0;
    }
    *chiSquare = static_cast<double>(*np);
    *conditionNumber = 1.0;
    *inversionStatus = 0;
    *lambdaStatus = 0;
}
