// The exported entry, loaded with dlopen and called exactly as the application calls it:
// 1-based link targets, every argument by reference, all three modes.
#include "reference_model.h"
#include "zorvant.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

// Allocations left before operator new fails; negative: never fails. The engine library
// allocates through this executable's operator new, so a test can make any of its allocations
// fail.
std::atomic<long> g_allocationsLeft{-1};
std::atomic<bool> g_allocationFailed{false};

}  // namespace

void* operator new(std::size_t size)
{
    // The engine allocates on several threads: count down without letting two of them pass 0.
    long left = g_allocationsLeft.load();
    while (left > 0 && !g_allocationsLeft.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 0) {
        g_allocationFailed = true;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size > 0 ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

// Noise-free counts: six iterations end at the model's integration error, 1e-13 of the start's
// χ² and 5e-6 of a parameter (measured).
constexpr double kConverged = 1e-9;
constexpr double kRecovered = 1e-4;

// Two peaks and a linear background, beside the parameters the test counts are made from.
const std::vector<double> kStart = {11.1,  350.0, 0.7, 0.05, 0.4,  12.6,
                                    150.0, 0.7,   0.1, 0.3,  25.0, 0.0};

class Entry : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        handle = dlopen(ZORVANT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        zorvant = reinterpret_cast<ZorvantFunction>(dlsym(handle, "ZORVANT"));
        ASSERT_NE(zorvant, nullptr);
    }

    // Two peaks, the second's position tied to the first's by an offset, linear background.
    Entry()
    {
        for (int i = 0; i < np; ++i) {
            energies.push_back(10.0 + 0.05 * i);
        }
        counts.assign(80, 1.0);
        sigmas.assign(80, 1.0);
        linkStates[5] = 1;
        correlatedWith[5] = 1;  // 1-based: Pos of peak 1
        factors[5] = 1.5;
        linkModes[5] = 2;
    }

    void call(int32_t mode)
    {
        zorvant(&np, energies.data(), counts.data(), sigmas.data(), &npar, &nds, &nbg, &ncomp,
                parameters.data(), model.data(), components.data(), errorMatrix.data(), &lambda,
                &lambdaFac, &maxLambdaIterations, &chiSquare, &sumSquaredCounts, &eps, &jmax,
                &inversionStatus, &lambdaStatus, &mode, areas.data(), widths.data(), &spare, &nfree,
                linkStates.data(), correlatedWith.data(), factors.data(), &range, linkModes.data(),
                &conditionNumber);
    }

    static inline void* handle = nullptr;
    static inline ZorvantFunction zorvant = nullptr;

    int32_t np = 80, npar = 12, nds = 2, nbg = 2, ncomp = 3, nfree = 11;
    std::vector<double> energies, counts, sigmas;
    std::vector<double> parameters = kStart;
    std::vector<double> model = std::vector<double>(80, 0.0);
    std::vector<double> components = std::vector<double>(80 * 3, 0.0);
    std::vector<double> errorMatrix = std::vector<double>(11 * 11, 0.0);
    std::vector<double> areas = {0.0, 0.0}, widths = {0.0, 0.0};
    std::vector<int32_t> linkStates = std::vector<int32_t>(12, 0);
    std::vector<int32_t> correlatedWith = std::vector<int32_t>(12, 0);
    std::vector<double> factors = std::vector<double>(12, 0.0);
    std::vector<int32_t> linkModes = std::vector<int32_t>(12, 0);
    double lambda = 0.01, lambdaFac = 10.0, chiSquare = 0.0, sumSquaredCounts = 0.0;
    double eps = 1e-4, range = 3.0, conditionNumber = -1.0;
    int32_t maxLambdaIterations = 10, jmax = 21, inversionStatus = 0, lambdaStatus = 7;
    int32_t spare = 12345;
};

TEST_F(Entry, OnlyTheEntryIsExported)
{
    EXPECT_EQ(dlsym(handle, "_ZN6varnix6engine4FDONERKNS0_9PeakShapeEd"), nullptr);
}

TEST_F(Entry, AllThreeModesThroughTheLibrary)
{
    // Noise-free counts from the independent model, then a fit from a start beside them.
    const std::vector<double> truth = {11.0,  400.0, 0.6,  0.1, 0.5,  12.5,
                                       200.0, 0.8,   0.05, 0.4, 20.0, 1.0};
    counts = varnix::reference::spectrumModel(energies, truth, nds, nbg);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        sigmas[i] = std::sqrt(counts[i]) + 1.0;
    }
    call(0);
    EXPECT_EQ(lambdaStatus, 0);
    EXPECT_EQ(conditionNumber, -1.0);
    EXPECT_EQ(areas[0], 0.0);
    double background = 0.0;
    for (int i = 0; i < np; ++i) {
        background = components[static_cast<std::size_t>(2 * np + i)];
        EXPECT_NEAR(model[static_cast<std::size_t>(i)],
                    components[static_cast<std::size_t>(i)] +
                        components[static_cast<std::size_t>(np + i)] + background,
                    1e-9);
    }
    EXPECT_EQ(background, 25.0);  // a0 is the background at the last point

    // Every accepted step returns the χ² of the model it returns, below the one before.
    double previous = varnix::reference::weightedChiSquare(counts, sigmas, model);
    const double chiStart = previous;
    for (int iteration = 0; iteration < 6; ++iteration) {
        call(1);
        ASSERT_EQ(inversionStatus, 0);
        ASSERT_EQ(lambdaStatus, 0) << "iteration " << iteration;
        const double chi = varnix::reference::weightedChiSquare(counts, sigmas, model);
        EXPECT_DOUBLE_EQ(chiSquare, chi) << "iteration " << iteration;
        EXPECT_LT(chi, previous) << "iteration " << iteration;
        previous = chi;
        // The linked position follows its 1-based target exactly.
        EXPECT_EQ(parameters[5], parameters[0] + 1.5);
    }
    EXPECT_LT(previous, kConverged * chiStart);
    for (std::size_t j = 0; j < truth.size(); ++j) {
        EXPECT_NEAR(parameters[j], truth[j], kRecovered * std::max(std::fabs(truth[j]), 1.0)) << j;
    }
    EXPECT_GT(areas[0], 0.0);
    EXPECT_GT(widths[0], 0.0);
    EXPECT_EQ(spare, 12345);

    const std::vector<double> fitted = parameters;
    const double carried = lambda;
    lambda = 0.0;
    call(2);
    EXPECT_EQ(inversionStatus, 0);
    EXPECT_EQ(parameters, fitted);
    EXPECT_GE(conditionNumber, 1.0);
    for (std::size_t m = 0; m < 11; ++m) {
        EXPECT_GT(errorMatrix[m * 11 + m], 0.0);
    }
    EXPECT_LT(carried, 0.01);
}

TEST_F(Entry, ContradictoryCountsChangeNothing)
{
    nfree = 12;  // one parameter is correlated, so only 11 are free
    errorMatrix.assign(144, 0.0);
    const std::vector<double> before = parameters;
    call(1);
    EXPECT_EQ(lambdaStatus, 3);
    EXPECT_EQ(parameters, before);
    EXPECT_EQ(model, std::vector<double>(80, 0.0));
    EXPECT_EQ(lambda, 0.01);

    nfree = 11;
    npar = 11;
    call(0);
    EXPECT_EQ(lambdaStatus, 3);
    EXPECT_EQ(model, std::vector<double>(80, 0.0));
}

TEST_F(Entry, FailedAllocationChangesNothing)
{
    // Let the n-th allocation of the call fail: every one of the first twenty, then a growing
    // sample of the later ones, until the call needs no more.
    for (long allowed = 0;; allowed = allowed < 20 ? allowed + 1 : allowed * 3 / 2) {
        const std::vector<double> p0 = parameters;
        const std::vector<double> m0 = model;
        const std::vector<double> c0 = components;
        const std::vector<double> e0 = errorMatrix;
        const std::vector<double> a0 = areas;
        const double lambda0 = lambda;
        const double chi0 = chiSquare;
        g_allocationFailed = false;
        g_allocationsLeft = allowed;
        call(1);
        g_allocationsLeft = -1;
        const bool failed = g_allocationFailed.load();
        if (!failed) {
            EXPECT_EQ(lambdaStatus, 0);
            EXPECT_GT(allowed, 5);
            break;
        }
        ASSERT_EQ(lambdaStatus, 3) << "allocation " << allowed;
        EXPECT_EQ(parameters, p0);
        EXPECT_EQ(model, m0);
        EXPECT_EQ(components, c0);
        EXPECT_EQ(errorMatrix, e0);
        EXPECT_EQ(areas, a0);
        EXPECT_EQ(lambda, lambda0);
        EXPECT_EQ(chiSquare, chi0);
    }
}

}  // namespace
