// InitPar, the engine call and Calculate Spectrum. Reference spectra come from the engine's own
// C++ interface (the static library, with 0-based link targets), never from the program's path
// through the loaded library and its 1-based arguments.
#include "command_fixture.h"
#include "core/calculate.h"
#include "core/engine_call.h"
#include "core/init_par.h"
#include "problem.h"
#include "synthetic_module.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <tuple>
#include <vector>

namespace varnix::app {
namespace {

using namespace test;
using Texts = std::vector<std::string>;
// The same engine code on the same inputs; only the way it is called differs.
constexpr double kSameEngine = 1e-12;
constexpr int32_t kPoints = 41;  // enough to overlap the four peaks, quick to integrate
const std::string kConfigQuestion = "Config Data Not Saved - Continue Exit Anyway?";

void expectClose(const std::vector<double>& actual, const std::vector<double>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], kSameEngine * (1.0 + std::fabs(expected[i]))) << i;
    }
}

// The synthetic spectrum and its four peaks at the fit's start values, with Pos2 = Pos1 + 2.1
// ("Plus"), Height4 = Height3 × 0.5 ("Multiplied by") and Alpha1 fixed.
Module1 syntheticModule()
{
    Module1 m = test::syntheticModule(reference::makeSyntheticSpectrum(kPoints));
    m.spectrum.calculated.assign(kPoints, 7.0);
    Configuration& c = m.configuration;
    c.links[3] = ParameterLink{kLinkFixed, 3, 0.0, kLinkKindNone};
    c.links[5] = ParameterLink{kLinkCorrelated, 0, 2.1, kLinkKindPlus};
    c.links[16] = ParameterLink{kLinkCorrelated, 11, 0.5, kLinkKindMultiplied};
    c.p[5] = c.p[0] + 2.1;
    c.p[16] = c.p[11] * 0.5;
    return m;
}

// The same problem for the engine's C++ interface, links taken from the configuration.
engine::Problem referenceProblem(const Module1& m)
{
    const Configuration& c = m.configuration;
    engine::Problem p(m.spectrum.energy, m.spectrum.counts, c.nds, c.nbg);
    p.sigmas = m.spectrum.sigma;
    for (std::size_t j = 0; j < c.p.size(); ++j) {
        const ParameterLink& link = c.links[j];
        if (link.state == kLinkFixed) {
            p.fix(j);
        } else if (link.state == kLinkCorrelated) {
            p.link(j, static_cast<std::size_t>(link.partner), link.kind, link.value);
        }
    }
    p.simpson =
        engine::SimpsonControls{m.fitControls.simpsonEps, m.fitControls.maxSimpsonIterations};
    p.range = m.fitControls.integrationRange;
    p.lambdaFac = m.fitControls.lambdaFac;
    p.maxLambdaIterations = m.fitControls.maxLambdaIterations;
    return p;
}

engine::EngineState referenceRun(const Module1& m, int32_t mode, double lambda)
{
    const engine::Problem problem = referenceProblem(m);
    std::vector<double> parameters = m.configuration.p;
    parameters.insert(parameters.end(), m.configuration.a.begin(),
                      m.configuration.a.begin() + m.configuration.nbg);
    engine::EngineState st = problem.state0(parameters, lambda);
    problem.run(mode, st);
    return st;
}

// ---- InitPar: refusals in their order, the exact messages, and the boundaries ----

struct InitParCase {
    const char* name;
    std::function<void(Configuration&)> change;
    std::string message;  // empty: accepted
};

// Two peaks and a constant background, every value valid.
Module1 twoPeaks(int32_t nbg)
{
    Module1 m;
    m.configuration.nds = 2;
    m.configuration.nbg = nbg;
    ResizeConfiguration(m);
    m.configuration.p = {100.0, 50.0, 0.4, 0.1, 0.9, 104.0, 25.0, 0.5, 0.2, 1.0};
    m.configuration.a = {10.0, -2.0, 0.5};
    MakeParameterNames(m.configuration);
    return m;
}

class InitParChecks : public testing::TestWithParam<InitParCase> {};

TEST_P(InitParChecks, RefusesTheFirstFaultOrFillsTheArrays)
{
    Module1 m = twoPeaks(1);
    GetParam().change(m.configuration);
    const Module1 before = m;
    ScriptedDialogs dialogs;
    const bool expectRefusal = !GetParam().message.empty();
    EXPECT_EQ(InitPar(m, dialogs), expectRefusal ? kInitParRefused : kInitParReady);
    EXPECT_EQ(dialogs.texts(), expectRefusal ? Texts{GetParam().message} : Texts{});
    if (expectRefusal) {
        // Compared bit for bit, since a NaN never equals itself.
        const std::size_t bytes = before.configuration.p.size() * sizeof(double);
        ASSERT_EQ(m.configuration.p.size(), before.configuration.p.size());
        EXPECT_EQ(std::memcmp(m.configuration.p.data(), before.configuration.p.data(), bytes), 0);
        Module1 after = m;
        Module1 original = before;
        after.configuration.p.clear();
        original.configuration.p.clear();
        EXPECT_EQ(after, original);
    } else {
        EXPECT_EQ(m.engine.p.size(), 11U);
    }
}

std::string refused(const char* fault)
{
    return std::string(fault).append("  - need to edit configuration data");
}
const double kAboveLimit = std::nextafter(1.0E7, 2.0E7);

// clang-format off
INSTANTIATE_TEST_SUITE_P(Values, InitParChecks, testing::Values(
    InitParCase{"ValidAsItIs", [](Configuration&) {}, ""},
    InitParCase{"ZeroFactorBeforeValues", [](Configuration& c) {
        c.p[2] = 0.0;
        c.links[7] = ParameterLink{kLinkCorrelated, 2, 0.0, kLinkKindMultiplied}; },
        "Correlated parameter value is zero - need to edit configuration data"},
    InitParCase{"ZeroOffsetAccepted", [](Configuration& c) {
        c.links[5] = ParameterLink{kLinkCorrelated, 0, 0.0, kLinkKindPlus}; }, ""},
    InitParCase{"Lfwhm2Zero", [](Configuration& c) { c.p[7] = 0.0; },
        refused("LFWHM2 is negative or zero")},
    InitParCase{"FirstFaultWins", [](Configuration& c) { c.p[9] = 0.0; c.p[1] = -1.0; },
        refused("Height1 is negative or zero")},
    InitParCase{"AlphaZeroAccepted", [](Configuration& c) { c.p[3] = 0.0; }, ""},
    InitParCase{"AlphaNegative", [](Configuration& c) { c.p[3] = -1e-9; },
        refused("Alpha1 is negative or zero")},
    InitParCase{"AlphaOne", [](Configuration& c) { c.p[8] = 1.0; },
        refused("Alpha2 must be less than 1")},
    InitParCase{"ExactlyTheLimit", [](Configuration& c) { c.p[1] = 1.0E7; c.a[0] = 1.0E7; }, ""},
    InitParCase{"AboveTheLimit", [](Configuration& c) { c.p[6] = kAboveLimit; },
        refused("Height2 is negative or zero")},
    InitParCase{"NotANumber", [](Configuration& c) {
        c.p[4] = std::numeric_limits<double>::quiet_NaN(); },
        refused("GFWHM1 is negative or zero")},
    InitParCase{"A0Negative", [](Configuration& c) { c.a[0] = -0.5; },
        refused("a0 is negative or zero")},
    InitParCase{"A0AboveTheLimit", [](Configuration& c) { c.a[0] = kAboveLimit; },
        refused("a0 is negative or zero")}),
    [](const testing::TestParamInfo<InitParCase>& p) { return std::string(p.param.name); });
// clang-format on

TEST(InitParArrays, PeakLinksAsConfiguredThenTheBackgroundVaried)
{
    for (const int32_t nbg : {0, 3}) {
        Module1 m = twoPeaks(nbg);
        m.configuration.links[5] = ParameterLink{kLinkCorrelated, 0, 4.0, kLinkKindPlus};
        m.configuration.links[6] = ParameterLink{kLinkCorrelated, 1, 0.5, kLinkKindMultiplied};
        m.configuration.links[9] = ParameterLink{kLinkFixed, 9, 0.0, kLinkKindNone};
        ScriptedDialogs dialogs;
        ASSERT_EQ(InitPar(m, dialogs), kInitParReady);
        EngineParameters expected;
        expected.p = {100.0, 50.0, 0.4, 0.1, 0.9, 104.0, 25.0, 0.5, 0.2, 1.0};
        expected.varied = {0, 0, 0, 0, 0, 1, 1, 0, 0, 2};
        expected.partner = {0, 1, 2, 3, 4, 0, 1, 7, 8, 9};
        expected.factor = {0, 0, 0, 0, 0, 4.0, 0.5, 0, 0, 0};
        expected.linkKind = {0, 0, 0, 0, 0, 2, 1, 0, 0, 0};
        expected.nfree = 7;
        if (nbg == 3) {
            expected.p.insert(expected.p.end(), {10.0, -2.0, 0.5});
            expected.varied.insert(expected.varied.end(), {0, 0, 0});
            expected.partner.insert(expected.partner.end(), {10, 11, 12});
            expected.factor.insert(expected.factor.end(), {1.0, 1.0, 1.0});
            expected.linkKind.insert(expected.linkKind.end(), {0, 0, 0});
            expected.nfree = 10;
        }
        EXPECT_EQ(m.engine, expected) << "NBG " << nbg;
    }
}

// ---- The engine call against the engine's own C++ interface, in every mode ----

class EngineCall : public testing::TestWithParam<int32_t> {};

TEST_P(EngineCall, MatchesTheEngineCalledDirectlyWithZeroBasedTargets)
{
    const int32_t mode = GetParam();
    Module1 m = syntheticModule();
    ScriptedDialogs dialogs;
    ASSERT_EQ(InitPar(m, dialogs), kInitParReady);
    const double lambda = mode == kEngineErrorMatrix ? 0.0 : m.fitControls.lambda;
    const engine::EngineState expected = referenceRun(m, mode, lambda);
    LibraryLoader loader;

    const EngineCallResult result = callEngine(m, loader, mode, lambda);

    expectClose(m.spectrum.calculated, expected.model);
    expectClose(m.fitResults.components, expected.components);
    EXPECT_EQ(result,
              (EngineCallResult{expected.lambda, expected.inversionStatus, expected.lambdaStatus}));
    if (mode == kEngineCalculate) {
        EXPECT_TRUE(m.fitResults.parameters.empty());
        EXPECT_TRUE(m.fitResults.errorMatrix.empty());
        return;
    }
    expectClose(m.engine.p, expected.parameters);
    expectClose(m.fitResults.parameters, expected.parameters);
    expectClose(m.fitResults.errorMatrix, expected.errorMatrix);
    expectClose(m.fitResults.areas, expected.areas);
    expectClose(m.fitResults.widths, expected.widths);
    EXPECT_EQ(m.fitResults.nfree, m.engine.nfree);
    EXPECT_NEAR(m.fitResults.chiSquare, expected.chiSquare, kSameEngine * expected.chiSquare);
    EXPECT_NEAR(m.fitResults.conditionNumber, expected.conditionNumber,
                kSameEngine * (1.0 + expected.conditionNumber));
}

INSTANTIATE_TEST_SUITE_P(Modes, EngineCall,
                         testing::Values(kEngineCalculate, kEngineIterate, kEngineErrorMatrix),
                         [](const testing::TestParamInfo<int32_t>& p) {
                             return std::string("Mode").append(std::to_string(p.param));
                         });

TEST(EngineCallFailure, NothingChangesWhenTheEngineDidNothingOrIsMissing)
{
    Module1 m = syntheticModule();
    ScriptedDialogs dialogs;
    ASSERT_EQ(InitPar(m, dialogs), kInitParReady);
    TempFolder folder;
    LibraryLoader none = loaderWithout(folder);
    const Module1 before = m;
    EXPECT_THROW(callEngine(m, none, kEngineCalculate, 0.01), LibraryMissing);
    EXPECT_EQ(m, before);

    // A free count that contradicts the link states: the engine refuses to run.
    m.engine.nfree += 1;
    const Module1 contradicting = m;
    LibraryLoader loader;
    EXPECT_THROW(callEngine(m, loader, kEngineIterate, 0.01), EngineCallFailed);
    EXPECT_EQ(m, contradicting);
}

// ---- The engine call through a runner, as the window runs it on a worker thread ----

using Call = std::function<void()>;

struct RunnerCase {
    const char* name;
    // What reaches the records while the call runs, as an event the window let through would.
    std::function<void(Module1&)> meanwhile;
    std::function<void(const Call&)> run;
    bool runs;  // else callEngine throws and the records stay as they were
};

void onAnotherThread(const Call& call)
{
    std::thread worker(call);
    worker.join();
}

class EngineRunnerCall : public testing::TestWithParam<RunnerCase> {};

TEST_P(EngineRunnerCall, TheCallWorksOnItsOwnCopiesAndIsCommittedAfterIt)
{
    const RunnerCase& c = GetParam();
    Module1 m = syntheticModule();
    ScriptedDialogs dialogs;
    ASSERT_EQ(InitPar(m, dialogs), kInitParReady);
    LibraryLoader loader;
    Module1 expected = m;
    const EngineCallResult expectedResult =
        callEngine(expected, loader, kEngineIterate, m.fitControls.lambda);
    ASSERT_NE(expected.spectrum.calculated, m.spectrum.calculated) << "the call must show";

    const EngineRunner runner = [&](const Call& call) {
        c.meanwhile(m);
        const Module1 beforeCall = m;
        c.run(call);
        EXPECT_EQ(m, beforeCall) << "the call wrote a record itself";
    };
    if (!c.runs) {
        const Module1 before = m;
        EXPECT_ANY_THROW(callEngine(m, loader, kEngineIterate, m.fitControls.lambda, runner));
        EXPECT_EQ(m, before);
        return;
    }
    EXPECT_EQ(callEngine(m, loader, kEngineIterate, m.fitControls.lambda, runner), expectedResult);
    // Bit for bit: the same engine on the same inputs, only on another thread.
    EXPECT_EQ(m.spectrum.calculated, expected.spectrum.calculated);
    EXPECT_EQ(m.fitResults, expected.fitResults);
    EXPECT_EQ(m.engine.p, expected.engine.p);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Runners, EngineRunnerCall, testing::Values(
    RunnerCase{"OnAnotherThread", [](Module1&) {}, onAnotherThread, true},
    RunnerCase{"RecordsChangedWhileItRuns", [](Module1& m) {
        for (double& count : m.spectrum.counts) {
            count *= 2.0;
        }
        m.engine.p[0] += 1.0;
        m.engine.factor[5] = 7.0;
        m.fitControls.simpsonEps = 0.1;
    }, onAnotherThread, true},
    RunnerCase{"ReturnsWithoutTheCall", [](Module1&) {}, [](const Call&) {}, false},
    RunnerCase{"FailsToStart", [](Module1&) {}, [](const Call&) {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }, false}),
    [](const testing::TestParamInfo<RunnerCase>& p) { return std::string(p.param.name); });
// clang-format on

// ---- Calculate Spectrum ----

// Records what the command asked of the windows, in order.
struct HookLog {
    Texts calls;
    CalculationHooks hooks()
    {
        CalculationHooks h;
        h.showStatus = [this](std::string_view text) {
            calls.push_back(std::string("status:").append(text));
        };
        h.setBusy = [this](bool on) { calls.emplace_back(on ? "busy" : "idle"); };
        h.enablePlotModes = [this](bool on) { calls.emplace_back(on ? "modes on" : "modes off"); };
        h.processEvents = [this] { calls.emplace_back("events"); };
        h.redrawPlot = [this] { calls.emplace_back("redraw"); };
        h.runEngine = [this](const Call& call) {
            calls.emplace_back("engine");
            call();
        };
        return h;
    }
};

const std::string kCalculating = "status:  Calculating spectrum   -   please wait";
const std::string kWaiting = "status:  Waiting for user input";

struct PlotCase {
    const char* name;
    int32_t plotType, residualScale, expectedPlotType;
    bool plotOpen;
};

class CalculateSpectrum : public testing::TestWithParam<PlotCase> {};

TEST_P(CalculateSpectrum, TheEnginesModelResidualsMenusAndPlot)
{
    const PlotCase& c = GetParam();
    Module1 m = syntheticModule();
    m.plot.plotType = c.plotType;
    m.plot.residualScale = c.residualScale;
    m.windowOpen.plot = c.plotOpen;
    m.zoom.zoomed = m.zoom.modelCurrent = true;
    m.zoom.npFull = 99;
    m.engineMode = kEngineErrorMatrix;
    const engine::EngineState expected = referenceRun(m, kEngineCalculate, 0.0);
    MenuState menu;
    menu.saveAsCalculatedSpectra.checked = menu.saveAsCalculatedSpectraAndData.checked = true;
    menu.writeGraph.enabled = menu.saveAsCalculatedSpectra.enabled = false;
    MenuState expectedMenu = menu;
    expectedMenu.startFit.enabled = expectedMenu.writeGraph.enabled = true;
    expectedMenu.write.enabled = true;
    expectedMenu.saveAsCalculatedSpectra = expectedMenu.saveAsCalculatedSpectraAndData =
        MenuEntry{true, false};
    for (std::size_t item = 1; item < 5; ++item) {
        expectedMenu.plotItems[item].enabled = true;
    }
    ScriptedDialogs dialogs;
    LibraryLoader loader;
    HookLog log;

    EXPECT_EQ(calculateSpectrum(m, dialogs, loader, menu, log.hooks()),
              CalculationOutcome::Calculated);

    EXPECT_TRUE(dialogs.texts().empty());
    expectClose(m.spectrum.calculated, expected.model);
    expectClose(m.fitResults.components, expected.components);
    ASSERT_EQ(m.residuals.size(), static_cast<std::size_t>(kPoints));
    for (std::size_t i = 0; i < m.residuals.size(); ++i) {
        const double residual = (m.spectrum.counts[i] - expected.model[i]) * c.residualScale;
        EXPECT_NEAR(m.residuals[i], residual, kSameEngine * (1.0 + std::fabs(residual))) << i;
    }
    EXPECT_EQ(std::tuple(m.calculationDone, m.calculationSaved, m.engineMode, m.plot.plotType),
              std::tuple(true, false, kEngineCalculate, c.expectedPlotType));
    // Only the zoomed flag goes: Reset still has its backup, but not the model's curves.
    ZoomBackup kept;
    kept.npFull = 99;
    EXPECT_EQ(m.zoom, kept);
    EXPECT_EQ(menu, expectedMenu);
    const Texts withPlot = {kCalculating, "busy",     "modes off", "events", "engine",
                            "idle",       "modes on", "redraw",    kWaiting};
    const Texts withoutPlot = {kCalculating, "busy",   "events", "engine",
                               "idle",       "redraw", kWaiting};
    EXPECT_EQ(log.calls, c.plotOpen ? withPlot : withoutPlot);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Plots, CalculateSpectrum, testing::Values(
    PlotCase{"ExperimentalOnlyBecomesWithCalculated", 0, 0, 1, true},
    PlotCase{"ResidualsTimesFive", 3, 5, 3, false},
    PlotCase{"ResidualsTimesTen", 4, 10, 4, true}),
    [](const testing::TestParamInfo<PlotCase>& p) { return std::string(p.param.name); });
// clang-format on

TEST(CalculateSpectrumRefused, ChangesNothingButShowsWhy)
{
    Module1 m = syntheticModule();
    m.configuration.p[7] = 0.0;
    const Module1 before = m;
    MenuState menu;
    const MenuState menuBefore = menu;
    ScriptedDialogs dialogs;
    LibraryLoader loader;
    HookLog log;
    EXPECT_EQ(calculateSpectrum(m, dialogs, loader, menu, log.hooks()),
              CalculationOutcome::Refused);
    EXPECT_EQ(dialogs.texts(), Texts{refused("LFWHM2 is negative or zero")});
    EXPECT_EQ(m, before);
    EXPECT_EQ(menu, menuBefore);
    EXPECT_TRUE(log.calls.empty());
}

// ---- Failures end the program through the exit checks; the records stay as they were ----

enum class Failure {
    EngineMissing,
    EngineRefuses,  // a component count that leaves the background no column
    RunnerFails,    // the call could not be started, as when no thread can be made for it
};

struct FailureCase {
    const char* name;
    Failure failure;
    bool exitConfirmed;
};

class CalculateSpectrumFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(CalculateSpectrumFailure, MessageThenExitChecks)
{
    const FailureCase& c = GetParam();
    Module1 m = syntheticModule();
    m.configSaved = false;
    m.calculationDone = true;
    m.residuals.assign(kPoints, 3.0);
    m.fitResults.components.assign(static_cast<std::size_t>(kPoints) * 5, 2.0);
    if (c.failure == Failure::EngineRefuses) {
        m.configuration.ncomp = m.configuration.nds;
    }
    const Module1 before = m;
    MenuState menu;
    menu.startFit.enabled = false;
    MenuState expectedMenu = menu;
    expectedMenu.saveConfiguration.enabled = true;
    ScriptedDialogs dialogs;
    dialogs.answerYesNo(c.exitConfirmed);
    TempFolder folder;
    const bool missing = c.failure == Failure::EngineMissing;
    LibraryLoader loader = missing ? loaderWithout(folder) : LibraryLoader();
    HookLog log;
    CalculationHooks hooks = log.hooks();
    if (c.failure == Failure::RunnerFails) {
        hooks.runEngine = [&log](const Call&) {
            log.calls.emplace_back("engine");
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        };
    }

    const CalculationOutcome outcome = calculateSpectrum(m, dialogs, loader, menu, hooks);

    EXPECT_EQ(outcome, c.exitConfirmed ? CalculationOutcome::Quit : CalculationOutcome::Abandoned);
    const std::string message(missing ? "Fortran dll ZORVANT.DLL not found - ABORT"
                                      : "Unknown error in fit program - Abort");
    EXPECT_EQ(dialogs.texts(), (Texts{message, kConfigQuestion}));
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
    EXPECT_EQ(m.spectrum, before.spectrum);
    EXPECT_EQ(m.fitResults, before.fitResults);
    EXPECT_EQ(m.residuals, before.residuals);
    EXPECT_EQ(std::tuple(m.calculationDone, m.calculationSaved, m.plot, m.engineMode),
              std::tuple(true, true, before.plot, before.engineMode));
    EXPECT_EQ(m.exitCancelled, !c.exitConfirmed);
    EXPECT_EQ(menu, expectedMenu);
    Texts calls = {kCalculating, "busy", "events"};
    if (!missing) {
        calls.emplace_back("engine");
    }
    calls.emplace_back("idle");
    if (!c.exitConfirmed) {
        calls.push_back(kWaiting);
    }
    EXPECT_EQ(log.calls, calls);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Answers, CalculateSpectrumFailure, testing::Values(
    FailureCase{"EngineMissingExit", Failure::EngineMissing, true},
    FailureCase{"EngineMissingCancelled", Failure::EngineMissing, false},
    FailureCase{"EngineRefusesExit", Failure::EngineRefuses, true},
    FailureCase{"EngineRefusesCancelled", Failure::EngineRefuses, false},
    FailureCase{"RunnerFailsCancelled", Failure::RunnerFails, false}),
    [](const testing::TestParamInfo<FailureCase>& p) { return std::string(p.param.name); });
// clang-format on

}  // namespace
}  // namespace varnix::app
