// varnix-bench: times the fit engine on the deterministic synthetic spectrum (four overlapping
// asymmetric peaks on a linear background) with the default fit controls, or with the Simpson
// EPS and RMIN given: one model calculation (mode 0), one Levenberg–Marquardt iteration
// (mode 1) and a whole fit run by the fit command's stopping rules, each on one thread and on
// all cores. With --sweep it times only the whole fit on all cores, for every combination of
// the EPS and RMIN values given. It also writes the spectrum, the parameters and the engine's
// model to text files, so that the lmfit comparison (lmfit_fit.py) fits exactly the same
// counts from the same start.
//
// Every figure is printed twice: as a table for people and as `RESULT key=value …` (or
// `SWEEP …`) lines that run_benchmarks.sh reads; each carries the fitted parameters, which
// bench_report.py judges with converged integrals.

#include "engine_call.h"
#include "fundsg.h"
#include "levenberg_marquardt.h"
#include "parallel.h"
#include "pkareas.h"
#include "pkwidths.h"
#include "synthetic.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

using namespace varnix::engine;
using Clock = std::chrono::steady_clock;

// The fit controls the program starts with when it has no fit-parameter file.
struct FitControls {
    int32_t maxit = 51;
    double rmin = 1e-4;
    double lambda = 0.01;
    double lambdaFac = 10.0;
    int32_t maxLambdaIterations = 21;
    SimpsonControls simpson{1e-4, 21};
    double range = 3.0;
};

// Tolerance of the reference model written beside the counts: tight enough that its own
// integration error (≈ EPS) is far below the 1e-5 the comparison model is checked to.
constexpr SimpsonControls kReferenceSimpson{1e-9, 21};

struct Options {
    std::vector<int32_t> sizes{601, 4001};
    std::vector<double> eps{FitControls{}.simpson.eps};
    std::vector<double> rmin{FitControls{}.rmin};
    int32_t repeat = 5;     // repetitions of the short timings; the median counts
    int32_t fitRepeat = 1;  // repetitions of the whole fit; the median counts
    std::string dataDir;    // where to write synthetic_<NP>.txt, when given
    bool dataOnly = false;
    bool trace = false;  // one line per engine call of the fits
    bool sweep = false;  // whole fits on all cores for every EPS and RMIN given
};

// The synthetic spectrum with all parameters free and the fit controls of the benchmark.
class BenchProblem : public Problem {
public:
    BenchProblem(int32_t np, const FitControls& controls)
        : Problem(syntheticProblem(np)),
          m_spectrum(makeSyntheticSpectrum(np)),
          m_controls(controls),
          m_freeIndex(freeIndexMap(Problem::state))
    {
        simpson = controls.simpson;
        range = controls.range;
        lambdaFac = controls.lambdaFac;
        maxLambdaIterations = controls.maxLambdaIterations;
    }

    const SyntheticSpectrum& spectrum() const { return m_spectrum; }
    const FitControls& controls() const { return m_controls; }
    std::size_t np() const { return energies.size(); }
    ModelSetup setup() const { return Problem::setup(m_freeIndex); }
    EngineState stateAt(const std::vector<double>& parameters) const
    {
        return state0(parameters, m_controls.lambda);
    }
    double chiSquare(const std::vector<double>& model) const { return FCHI(counts, sigmas, model); }

private:
    SyntheticSpectrum m_spectrum;
    FitControls m_controls;
    std::vector<int32_t> m_freeIndex;
};

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Median of `repeat` runs: the typical run, which a busy moment of the rest of the machine
// moves less than the mean and which no lucky run sets alone.
double medianSeconds(int32_t repeat, const std::function<void()>& run)
{
    std::vector<double> seconds;
    for (int32_t r = 0; r < std::max(repeat, 1); ++r) {
        const Clock::time_point start = Clock::now();
        run();
        seconds.push_back(secondsSince(start));
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

double modeSeconds(const BenchProblem& p, int32_t mode, int32_t repeat)
{
    const EngineInput in = p.input(mode);
    return medianSeconds(repeat, [&] {
        EngineState st = p.stateAt(p.spectrum().startParameters);
        runEngine(in, st);
    });
}

struct FitOutcome {
    double seconds = 0.0;
    int32_t iterations = 0;
    double r = 0.0;
    double chiSquare = 0.0;  // of the returned parameters (the model of the final call)
    double conditionNumber = 0.0;
    std::vector<double> parameters;
    IntegrationCount count;
    int32_t modelPasses = 0;  // model calculations of λ trials and of recalculations
    // The path of the fit, for the breakdown: the parameters each mode 1 call started from
    // and its model passes.
    std::vector<std::vector<double>> callStart;
    std::vector<int32_t> callPasses;
    int32_t lambdaFailures = 0;
    int32_t inversionFailures = 0;
    const char* stop = "MAXIT";
};

// Model passes of one mode 1 call, read from how λ moved. An accepted trial after r rejected
// ones leaves λ·LambdaFac^(r−1) (r + 1 passes); a λ failure after t trials leaves
// λ·LambdaFac^(t−1) and recalculates once more (t + 1 passes): both are exponent + 2.
int32_t modelPassesOfCall(double lambdaBefore, const EngineState& st, const FitControls& c)
{
    if (st.inversionStatus != 0 || lambdaBefore <= 0.0) {
        return 0;
    }
    const auto exponent = static_cast<int32_t>(
        std::lround(std::log(st.lambda / lambdaBefore) / std::log(c.lambdaFac)));
    return exponent + 2;
}

// The fit command's stopping rule, or nullptr to go on.
const char* stopReason(double r, double deltaR, double rmin)
{
    if (r < rmin) {
        return "R<RMIN";
    }
    if (deltaR < 0.0) {
        return "dR<0";
    }
    return deltaR < rmin ? "dR<RMIN" : nullptr;
}

void traceCall(int32_t counter, double seconds, double lambdaBefore, double r, double deltaR,
               const EngineState& st, int32_t passes, const IntegrationCount& work)
{
    std::printf(
        "  iteration %2d  %.4f s  lambda %-8.2g  R %.8f  dR %+.3e  status %d/%d  "
        "model passes %d  evaluations/integral %.1f\n",
        counter, seconds, lambdaBefore, r, deltaR, st.inversionStatus, st.lambdaStatus, passes,
        static_cast<double>(work.evaluations) / static_cast<double>(work.integrals));
}

// The fit command's loop: mode 1 while the counter is at most MAXIT, stopping when R or its
// decrease falls below RMIN or R rises; then one mode 2 call with λ = 0 for the error matrix.
// Every question the program would ask (inversion or λ failure) is answered "continue".
FitOutcome runFit(const BenchProblem& p, bool trace)
{
    const FitControls& c = p.controls();
    const EngineInput iterate = p.input(kModeIterate);
    EngineState st = p.stateAt(p.spectrum().startParameters);
    FitOutcome out;
    const Clock::time_point start = Clock::now();
    double previousR = 0.0;
    int32_t counter = 1;
    for (; counter <= c.maxit; ++counter) {
        const double lambdaBefore = st.lambda;
        out.callStart.push_back(st.parameters);
        IntegrationCount work;
        const Clock::time_point callStart = Clock::now();
        runEngine(iterate, st, &work);
        const double callSeconds = secondsSince(callStart);
        out.count += work;
        out.callPasses.push_back(modelPassesOfCall(lambdaBefore, st, c));
        out.modelPasses += out.callPasses.back();
        out.inversionFailures += st.inversionStatus > 0 ? 1 : 0;
        out.lambdaFailures += st.lambdaStatus > 0 ? 1 : 0;
        out.r = std::sqrt(st.chiSquare / static_cast<double>(p.np()));
        const double deltaR = counter == 1 ? out.r : previousR - out.r;
        if (trace) {
            traceCall(counter, callSeconds, lambdaBefore, out.r, deltaR, st, out.callPasses.back(),
                      work);
        }
        if (const char* reason = stopReason(out.r, deltaR, c.rmin)) {
            out.stop = reason;
            break;
        }
        previousR = out.r;
    }
    out.iterations = std::min(counter, c.maxit);
    // The error matrix comes from the undamped curvature; the carried λ is not touched.
    const double carried = st.lambda;
    st.lambda = 0.0;
    runEngine(p.input(kModeErrorMatrix), st, &out.count);
    st.lambda = carried;
    out.seconds = secondsSince(start);
    out.chiSquare = p.chiSquare(st.model);
    out.conditionNumber = st.conditionNumber;
    out.parameters = st.parameters;
    return out;
}

// The fit of median time among `repeat` runs; every run follows the same path, so only the
// time differs.
FitOutcome medianFit(const BenchProblem& p, int32_t repeat, bool trace)
{
    std::vector<FitOutcome> fits;
    for (int32_t r = 0; r < std::max(repeat, 1); ++r) {
        fits.push_back(runFit(p, trace));
    }
    std::sort(fits.begin(), fits.end(),
              [](const FitOutcome& a, const FitOutcome& b) { return a.seconds < b.seconds; });
    return std::move(fits[fits.size() / 2]);
}

// The whole fit's time split by kind of work, each piece timed again on the parameters the
// fit met: one derivative pass per engine call (each mode 1 call and the final mode 2 call),
// the model passes of the λ trials (timed at the call's start, which the trials stay close
// to), areas and widths once per mode 1 call; the rest is the normal equations, the linear
// algebra and the driver.
struct Breakdown {
    double derivatives = 0.0;
    double models = 0.0;
    double areasWidths = 0.0;
    double modelAtEnd = 0.0;        // one model pass at the fitted parameters
    double derivativesAtEnd = 0.0;  // one pass with the Jacobian there
};

double modelPassSeconds(const BenchProblem& p, const std::vector<double>& parameters,
                        bool derivatives, int32_t repeat)
{
    const ModelSetup setup = p.setup();
    EngineState st = p.stateAt(parameters);
    std::vector<double> jacobian(derivatives ? p.np() * static_cast<std::size_t>(p.nfree()) : 0);
    return medianSeconds(repeat, [&] {
        IntegrationCount count;
        const Normalisation norm = FUNDSG0(setup, parameters, derivatives, count);
        FUNDSG(setup, parameters, norm, derivatives, ModelOutput{st.model, st.components, jacobian},
               count);
    });
}

double areasWidthsSeconds(const BenchProblem& p, const std::vector<double>& parameters,
                          int32_t repeat)
{
    const ModelSetup setup = p.setup();
    EngineState st = p.stateAt(parameters);
    IntegrationCount count;
    const Normalisation norm = FUNDSG0(setup, parameters, false, count);
    FUNDSG(setup, parameters, norm, false, ModelOutput{st.model, st.components, {}}, count);
    const EngineInput in = p.input(kModeIterate);
    return medianSeconds(repeat, [&] { peakAreasAndWidths(in, parameters, norm, st); });
}

Breakdown measureBreakdown(const BenchProblem& p, const FitOutcome& fit, int32_t repeat)
{
    Breakdown b;
    for (std::size_t call = 0; call < fit.callStart.size(); ++call) {
        const std::vector<double>& start = fit.callStart[call];
        const std::vector<double>& end =
            call + 1 < fit.callStart.size() ? fit.callStart[call + 1] : fit.parameters;
        b.derivatives += modelPassSeconds(p, start, true, repeat);
        b.models += fit.callPasses[call] * modelPassSeconds(p, start, false, repeat);
        b.areasWidths += areasWidthsSeconds(p, end, repeat);
    }
    b.derivativesAtEnd = modelPassSeconds(p, fit.parameters, true, repeat);
    b.modelAtEnd = modelPassSeconds(p, fit.parameters, false, repeat);
    b.derivatives += b.derivativesAtEnd;
    return b;
}

struct Measurement {
    int32_t threads = 1;
    double mode0 = 0.0;
    double mode1 = 0.0;
    FitOutcome fit;
    Breakdown breakdown;
};

Measurement measure(const BenchProblem& p, int32_t threads, const Options& o)
{
    setThreadCount(threads);
    Measurement m;
    m.threads = threadCount();
    m.mode0 = modeSeconds(p, kModeCalculate, o.repeat);
    m.mode1 = modeSeconds(p, kModeIterate, o.repeat);
    if (o.trace) {
        std::printf("fit of NP %zu on %d threads\n", p.np(), m.threads);
    }
    m.fit = medianFit(p, o.fitRepeat, o.trace);
    m.breakdown = measureBreakdown(p, m.fit, o.repeat);
    return m;
}

// Shortest text that reads back to the same double.
std::string exact(double v)
{
    char buffer[64];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, r.ptr);
}

std::string joined(const std::vector<double>& values, char separator)
{
    std::string text;
    for (const double v : values) {
        if (!text.empty()) {
            text.push_back(separator);
        }
        text.append(exact(v));
    }
    return text;
}

std::vector<double> engineModel(const BenchProblem& p, const std::vector<double>& parameters,
                                const SimpsonControls& simpson)
{
    EngineInput in = p.input(kModeCalculate);
    in.simpson = simpson;
    EngineState st = p.stateAt(parameters);
    runEngine(in, st);
    return st.model;
}

// synthetic_<NP>.txt: a '#' header with the sizes, the controls and the true and start
// parameters (Pos, Height, LFWHM, Alpha, GFWHM per peak, then a0 a1), then one line per point:
// energy, counts, sigma, and the engine's model of the true parameters with the default
// controls and with the tight reference tolerance.
bool writeData(const BenchProblem& p, const std::string& dir)
{
    const SyntheticSpectrum& s = p.spectrum();
    const FitControls& c = p.controls();
    const std::string path = dir + "/synthetic_" + std::to_string(p.np()) + ".txt";
    std::ofstream f(path);
    f << "# Varnix synthetic spectrum: Doniach-Sunjic peaks convolved with a Gaussian on a "
         "polynomial background\n"
      << "# np " << p.np() << "\n# nds " << s.nds << "\n# nbg " << s.nbg << "\n"
      << "# maxit " << c.maxit << "\n# rmin " << exact(c.rmin) << "\n# lambda " << exact(c.lambda)
      << "\n# lambda_fac " << exact(c.lambdaFac) << "\n# max_lambda_iterations "
      << c.maxLambdaIterations << "\n# simpson_eps " << exact(c.simpson.eps) << "\n# simpson_jmax "
      << c.simpson.jmax << "\n# integration_range " << exact(c.range) << "\n# reference_eps "
      << exact(kReferenceSimpson.eps) << "\n# true " << joined(s.trueParameters, ' ')
      << "\n# start " << joined(s.startParameters, ' ')
      << "\n# columns energy counts sigma model_true model_true_reference\n";
    const std::vector<double> model = engineModel(p, s.trueParameters, c.simpson);
    const std::vector<double> reference = engineModel(p, s.trueParameters, kReferenceSimpson);
    for (std::size_t i = 0; i < p.np(); ++i) {
        f << exact(s.energies[i]) << ' ' << exact(s.counts[i]) << ' ' << exact(s.sigmas[i]) << ' '
          << exact(model[i]) << ' ' << exact(reference[i]) << '\n';
    }
    f.close();
    if (!f) {
        std::cerr << "varnix-bench: cannot write " << path << '\n';
        return false;
    }
    std::cout << "wrote " << path << '\n';
    return true;
}

void printHuman(const BenchProblem& p, const Measurement& m)
{
    const FitOutcome& f = m.fit;
    const FitControls& c = p.controls();
    const double perIntegral =
        static_cast<double>(f.count.evaluations) / static_cast<double>(f.count.integrals);
    std::printf("NP %5zu  EPS %g  RMIN %g  threads %d\n", p.np(), c.simpson.eps, c.rmin, m.threads);
    std::printf("  mode 0 call          %10.4f s\n", m.mode0);
    std::printf("  mode 1 iteration     %10.4f s   (first, from the start values)\n", m.mode1);
    std::printf("  whole fit            %10.4f s   %d iterations, stop %s, %d model passes\n",
                f.seconds, f.iterations, f.stop, f.modelPasses);
    std::printf("  final chi2 %.10g   R %.8f   condition %.4g\n", f.chiSquare, f.r,
                f.conditionNumber);
    std::printf("  integrals %lld, evaluations %lld (%.1f per integral)\n",
                static_cast<long long>(f.count.integrals),
                static_cast<long long>(f.count.evaluations), perIntegral);
    const Breakdown& b = m.breakdown;
    std::printf("  at the fitted parameters: model pass %.4f s, with derivatives %.4f s\n",
                b.modelAtEnd, b.derivativesAtEnd);
    std::printf(
        "  fit replayed: derivative passes %.4f s, trial model passes %.4f s, "
        "areas+widths %.4f s, rest %.4f s\n",
        b.derivatives, b.models, b.areasWidths,
        f.seconds - b.derivatives - b.models - b.areasWidths);
}

void printResult(const BenchProblem& p, const Measurement& m, double singleThreadFit)
{
    const FitOutcome& f = m.fit;
    const Breakdown& b = m.breakdown;
    const double rest = f.seconds - b.derivatives - b.models - b.areasWidths;
    const auto evaluations = static_cast<double>(f.count.evaluations);
    const FitControls& c = p.controls();
    std::printf(
        "RESULT np=%zu threads=%d eps=%.6g rmin=%.6g mode0_seconds=%.6g mode1_seconds=%.6g "
        "fit_seconds=%.6g iterations=%d stop=%s chi2=%.12g R=%.10g integrals=%lld "
        "evaluations=%lld evals_per_integral=%.4g ns_per_eval=%.4g speedup=%.4g "
        "model_passes=%d lambda_failures=%d inversion_failures=%d "
        "share_derivative_passes=%.4f share_model_passes=%.4f "
        "share_areas_widths=%.4f share_rest=%.4f model_pass_seconds=%.6g "
        "derivative_pass_seconds=%.6g params=%s\n",
        p.np(), m.threads, c.simpson.eps, c.rmin, m.mode0, m.mode1, f.seconds, f.iterations, f.stop,
        f.chiSquare, f.r, static_cast<long long>(f.count.integrals),
        static_cast<long long>(f.count.evaluations),
        evaluations / static_cast<double>(f.count.integrals), f.seconds * 1e9 / evaluations,
        singleThreadFit / f.seconds, f.modelPasses, f.lambdaFailures, f.inversionFailures,
        b.derivatives / f.seconds, b.models / f.seconds, b.areasWidths / f.seconds,
        rest / f.seconds, b.modelAtEnd, b.derivativesAtEnd, joined(f.parameters, ',').c_str());
}

FitControls controlsWith(double eps, double rmin)
{
    FitControls c;
    c.simpson.eps = eps;
    c.rmin = rmin;
    return c;
}

void measureBothWays(const BenchProblem& problem, const Options& options)
{
    const Measurement one = measure(problem, 1, options);
    const Measurement all = measure(problem, 0, options);
    printHuman(problem, one);
    printHuman(problem, all);
    std::printf("  speed-up all cores / one thread: fit %.2f, mode 0 %.2f, mode 1 %.2f\n",
                one.fit.seconds / all.fit.seconds, one.mode0 / all.mode0, one.mode1 / all.mode1);
    printResult(problem, one, one.fit.seconds);
    printResult(problem, all, one.fit.seconds);
}

// The whole fit alone, on all cores.
void sweepFit(const BenchProblem& p, const Options& options)
{
    setThreadCount(0);
    const FitOutcome f = medianFit(p, options.fitRepeat, options.trace);
    const FitControls& c = p.controls();
    const double perIntegral =
        static_cast<double>(f.count.evaluations) / static_cast<double>(f.count.integrals);
    std::printf(
        "NP %5zu  EPS %-6g RMIN %-6g threads %d  whole fit %8.4f s  %2d iterations, "
        "stop %s, chi2 %.10g, %.1f evaluations per integral\n",
        p.np(), c.simpson.eps, c.rmin, threadCount(), f.seconds, f.iterations, f.stop, f.chiSquare,
        perIntegral);
    std::printf(
        "SWEEP np=%zu threads=%d eps=%.6g rmin=%.6g fit_seconds=%.6g iterations=%d "
        "stop=%s chi2=%.12g evals_per_integral=%.4g params=%s\n",
        p.np(), threadCount(), c.simpson.eps, c.rmin, f.seconds, f.iterations, f.stop, f.chiSquare,
        perIntegral, joined(f.parameters, ',').c_str());
}

bool parseCount(std::string_view text, int32_t minimum, int32_t& value)
{
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && value >= minimum;
}

bool parsePositive(std::string_view text, double& value)
{
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && value > 0.0;
}

// A list option: its first appearance replaces the default, later ones add to it.
template <class T>
void addToList(std::vector<T>& list, bool& given, T value)
{
    if (!given) {
        list.clear();
    }
    list.push_back(value);
    given = true;
}

bool parseOptions(int argc, char** argv, Options& o)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    bool sizesGiven = false;
    bool epsGiven = false;
    bool rminGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const std::string_view value = i + 1 < args.size() ? args[i + 1] : std::string_view{};
        int32_t count = 0;
        double real = 0.0;
        if (a == "--data-only" || a == "--trace" || a == "--sweep") {
            (a == "--trace" ? o.trace : a == "--sweep" ? o.sweep : o.dataOnly) = true;
            continue;
        }
        if (a == "--write-data" && !value.empty()) {
            o.dataDir = std::string(value);
        } else if (a == "--np" && parseCount(value, 2, count)) {
            addToList(o.sizes, sizesGiven, count);
        } else if (a == "--eps" && parsePositive(value, real)) {
            addToList(o.eps, epsGiven, real);
        } else if (a == "--rmin" && parsePositive(value, real)) {
            addToList(o.rmin, rminGiven, real);
        } else if ((a == "--repeat" || a == "--fit-repeat") && parseCount(value, 1, count)) {
            (a == "--repeat" ? o.repeat : o.fitRepeat) = count;
        } else {
            return false;
        }
        ++i;
    }
    return !o.dataOnly || !o.dataDir.empty();
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::cerr << "usage: varnix-bench [--np N]... [--eps E]... [--rmin R]... [--sweep]\n"
                     "                    [--repeat N] [--fit-repeat N] [--trace]\n"
                     "                    [--write-data DIR [--data-only]]\n"
                     "  sizes default to --np 601 --np 4001, the controls to the defaults\n"
                     "  (EPS 1e-4, RMIN 1e-4); every combination of EPS and RMIN is run\n";
        return 2;
    }
    for (const int32_t np : options.sizes) {
        if (!options.dataDir.empty() && !writeData(BenchProblem(np, {}), options.dataDir)) {
            return 1;
        }
        if (options.dataOnly) {
            continue;
        }
        for (const double eps : options.eps) {
            for (const double rmin : options.rmin) {
                const BenchProblem problem(np, controlsWith(eps, rmin));
                if (options.sweep) {
                    sweepFit(problem, options);
                } else {
                    measureBothWays(problem, options);
                }
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
