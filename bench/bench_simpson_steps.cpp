// varnix-bench-simpson: how many refinement steps a Simpson integral must take before its
// relative test may accept it, and what the engine's work storage costs at deep steps.
//
// For each minimum it prints, at the default controls (EPS 1e-4, JMAX 21, Integration Range 3)
// on the synthetic spectrum (601 points: the example; 4001 points: the same curve sampled
// finer):
//   - the worst relative difference, over every point, of the model and of each component
//     from the converged integral (EPS 1e-11), at the fit's start values and at the true values;
//   - the time of one model calculation (mode 0);
//   - a whole fit by the program's stopping rules at RMIN 1e-4 (the default) and 1e-6: its
//     iterations, time, and its final χ² judged on the converged model, against the lowest χ²
//     found (a fit at EPS 1e-9, RMIN 1e-9 from the true values).
// A minimum of 3 is the rule without a minimum: no integral can converge before step 3.
//
// Then it runs one model calculation of one peak at one point with an EPS that cannot be met
// and JMAX 26 (2^25 nodes per integral) and prints the peak resident memory.
//
//   varnix-bench-simpson [--threads N]
#include "levenberg_marquardt.h"
#include "parallel.h"
#include "problem.h"
#include "synthetic.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using namespace varnix::engine;
using Clock = std::chrono::steady_clock;

constexpr SimpsonControls kConverged{1e-11, 24};

double seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

EngineState calculate(const Problem& p, const std::vector<double>& parameters)
{
    EngineState st = p.state0(parameters);
    p.run(kModeCalculate, st);
    return st;
}

// χ² of the parameters on the converged model.
double convergedChiSquare(Problem p, const std::vector<double>& parameters)
{
    p.simpson = kConverged;
    const EngineState st = calculate(p, parameters);
    return FCHI(p.counts, p.sigmas, st.model);
}

struct ModelError {
    double model = 0.0;      // worst |Δmodel|/model
    double component = 0.0;  // worst |Δcomponent|/|component|
};

ModelError modelError(const Problem& p, const std::vector<double>& parameters)
{
    Problem tight = p;
    tight.simpson = kConverged;
    const EngineState got = calculate(p, parameters);
    const EngineState want = calculate(tight, parameters);
    ModelError e;
    for (std::size_t i = 0; i < want.model.size(); ++i) {
        e.model = std::max(e.model, std::fabs(got.model[i] - want.model[i]) / want.model[i]);
    }
    for (std::size_t i = 0; i < want.components.size(); ++i) {
        const double c = want.components[i];
        e.component = std::max(e.component, std::fabs(got.components[i] - c) / std::fabs(c));
    }
    return e;
}

double modeZeroSeconds(const Problem& p, const std::vector<double>& parameters)
{
    double best = 1e300;
    for (int repeat = 0; repeat < 5; ++repeat) {
        const Clock::time_point start = Clock::now();
        calculate(p, parameters);
        best = std::min(best, seconds(start));
    }
    return best;
}

struct Fit {
    int32_t iterations = 0;
    double seconds = 0.0;
    std::vector<double> parameters;
};

Fit fit(const Problem& p, const std::vector<double>& start, double rmin)
{
    EngineState st = p.state0(start);
    const Clock::time_point begin = Clock::now();
    Fit f;
    f.iterations = fitByStoppingRules(p, st, 51, rmin);
    f.seconds = seconds(begin);
    f.parameters = st.parameters;
    return f;
}

void compareMinima(int32_t np)
{
    const SyntheticSpectrum s = makeSyntheticSpectrum(np);
    Problem p(s.energies, s.counts, s.nds, s.nbg);
    p.maxLambdaIterations = 21;

    Problem best = p;
    best.simpson = SimpsonControls{1e-9, 24};
    const double chiMin = convergedChiSquare(p, fit(best, s.trueParameters, 1e-9).parameters);
    std::printf("\n%d points; lowest chi-square %.6f\n", np, chiMin);
    std::printf(
        "min steps | worst model error (start, true) | worst component error (start, "
        "true) | mode 0 s | fit RMIN 1e-4: it, s, chi2 excess | RMIN 1e-6: it, s, chi2 "
        "excess\n");
    for (const int32_t minSteps : {3, 4, 5, 6, 7, 8, 9}) {
        p.simpson = SimpsonControls{1e-4, 21, minSteps};
        const ModelError atStart = modelError(p, s.startParameters);
        const ModelError atTrue = modelError(p, s.trueParameters);
        const double modeZero = modeZeroSeconds(p, s.startParameters);
        std::printf("%9d | %.1e  %.1e | %.1e  %.1e | %.4f", minSteps, atStart.model, atTrue.model,
                    atStart.component, atTrue.component, modeZero);
        for (const double rmin : {1e-4, 1e-6}) {
            const Fit f = fit(p, s.startParameters, rmin);
            const double excess = convergedChiSquare(p, f.parameters) / chiMin - 1.0;
            std::printf(" | %2d  %.3f  %.1e", f.iterations, f.seconds, excess);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
}

// One peak, one point, an EPS of 0 that no integral meets: every integral runs to JMAX.
void deepStepMemory()
{
    constexpr int32_t kJmax = 26;
    Problem p({0.3}, {100.0}, 1, 0);
    p.simpson = SimpsonControls{0.0, kJmax};
    const long before = peakResidentKiB();
    const Clock::time_point start = Clock::now();
    calculate(p, {0.0, 100.0, 0.4, 0.1, 0.9});
    std::printf(
        "one peak at JMAX %d with an EPS that is never met: %.1f s, peak resident memory "
        "%.1f MB before, %.1f MB after\n",
        kJmax, seconds(start), static_cast<double>(before) / 1024.0,
        static_cast<double>(peakResidentKiB()) / 1024.0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--threads") == 0) {
        setThreadCount(static_cast<int32_t>(std::atoi(argv[2])));
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: varnix-bench-simpson [--threads N]\n");
        return 2;
    }
    std::printf("threads: %d\n", threadCount());
    deepStepMemory();
    for (const int32_t np : {601, 4001}) {
        compareMinima(np);
    }
    return 0;
}
