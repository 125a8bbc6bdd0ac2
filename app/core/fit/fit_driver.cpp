#include "core/fit/fit_driver.h"

#include "core/fit/calculate.h"
#include "core/fit/engine_call.h"
#include "core/session/hooks.h"
#include "core/fit/init_par.h"
#include "core/session/number_format.h"
#include "core/display/plot_sets.h"
#include "core/session/startup.h"
#include "core/display/zoom.h"
#include "core/uncertainty/uncertainty.h"

#include "statistics.h"

#include <chrono>
#include <cmath>
#include <exception>
#include <optional>
#include <utility>

namespace varnix::app {

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// How the iterations ended, and what the completion still has to do.
enum class LoopEnd {
    Stopped,    // a stopping rule or MAXIT: the error matrix follows
    BrokenOff,  // Break answered No
};

// A failure that ends the program; nullopt as message when the user has just said No to a
// question that already told why.
struct FitFailure {
    std::optional<std::string_view> message;
};

// Exit was chosen during the fit and the exit checks passed: the program ends.
struct ExitConfirmed {};

// Pending window events, then the exit checks when Exit was chosen among them. The calculated
// spectrum of the running fit counts as unsaved there, as it will once the fit ends.
void letEventsRun(Module1& module, Dialogs& dialogs, MenuState& menu, const FitHooks& hooks)
{
    runHook(hooks.processEvents);
    if (!hooks.exitChosen || !hooks.exitChosen()) {
        return;
    }
    if (module.calculationDone) {
        module.calculationSaved = false;
    }
    const bool mayEnd = runExitChecks(module, dialogs, menu);
    runHook(hooks.applyMenus);
    if (mayEnd) {
        throw ExitConfirmed{};
    }
}

void lockMenus(MenuState& menu)
{
    for (MenuEntry* entry : {&menu.file, &menu.edit, &menu.plot, &menu.calculateSpectrum,
                             &menu.startFit, &menu.write, &menu.help, &menu.customize}) {
        entry->enabled = false;
    }
    menu.breakFit.enabled = true;
}

// The menus of a finished fit, broken off or not.
void unlockMenus(MenuState& menu)
{
    for (MenuEntry* entry : {&menu.file, &menu.edit, &menu.plot, &menu.startFit,
                             &menu.calculateSpectrum, &menu.write, &menu.writeGraph, &menu.help,
                             &menu.customize, &menu.writeResults, &menu.writeCorrelations}) {
        entry->enabled = true;
    }
    for (MenuEntry& item : menu.plotItems) {
        item.enabled = true;
    }
    menu.breakFit.enabled = false;
    menu.saveAsCalculatedSpectra = MenuEntry{true, false};
    menu.saveAsCalculatedSpectraAndData = MenuEntry{true, false};
}

// The plot follows the accepted parameters; the curves of a zoom backup are those of before.
void redraw(Module1& module, const FitHooks& hooks)
{
    computeResiduals(module);
    clearZoomedFlag(module.zoom);
    runHook(hooks.redrawPlot);
}

void prepare(Module1& module, Dialogs& dialogs, MenuState& menu, const FitHooks& hooks)
{
    runHook(hooks.closeEditingWindows);
    lockMenus(menu);
    runHook(hooks.applyMenus);
    runHook(hooks.setBusy, true);
    runHook(hooks.plotWindowFitting, true);
    runHook(hooks.showPanels, IterationPanels{"After Iteration : ", "R : ", "delta R : "});
    module.fitResults.standardDeviationsAvailable = false;
    module.fitResults.uncertainties = Uncertainties{};
    runHook(hooks.showStatus, runningFitStatus(1));
    module.engineMode = kEngineIterate;
    letEventsRun(module, dialogs, menu, hooks);
}

// One engine call with the questions a singular matrix or a λ failure asks; throws FitFailure
// when the user says No.
EngineCallResult callAndAsk(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                            const FitHooks& hooks, int32_t mode, double lambda)
{
    const EngineCallResult result = callEngine(module, loader, mode, lambda, hooks.runEngine);
    if (result.inversionStatus > 0 &&
        !dialogs.askYesNo(kInversionQuestion, DefaultButton::YesOrOk)) {
        throw FitFailure{};
    }
    if (mode == kEngineIterate && result.lambdaStatus > 0 &&
        !dialogs.askYesNo(kLambdaQuestion, DefaultButton::YesOrOk)) {
        throw FitFailure{};
    }
    return result;
}

LoopEnd iterate(Module1& module, Dialogs& dialogs, LibraryLoader& loader, MenuState& menu,
                const FitHooks& hooks)
{
    const FitControls& controls = module.fitControls;
    const double points = static_cast<double>(module.spectrum.np);
    double lambda = controls.lambda;  // carried from one iteration to the next
    double previousR = 0.0;
    int32_t iteration = 1;
    Clock::time_point lastDisplay = Clock::now();
    while (iteration <= controls.maxit) {
        lambda = callAndAsk(module, dialogs, loader, hooks, kEngineIterate, lambda).lambda;
        module.calculationDone = true;
        const double r = std::sqrt(module.fitResults.chiSquare / points);
        const double deltaR = iteration == 1 ? r : previousR - r;
        runHook(hooks.showPanels, iterationPanels(iteration, r, deltaR));
        if (r < controls.rmin || deltaR < 0.0 || deltaR < controls.rmin) {
            return LoopEnd::Stopped;
        }
        previousR = r;
        if (seconds(lastDisplay) >= hooks.minDisplayInterval) {
            redraw(module, hooks);
            runHook(hooks.showResults, false, false);
            lastDisplay = Clock::now();
        }
        letEventsRun(module, dialogs, menu, hooks);
        if (module.breakRequested) {
            if (!dialogs.askYesNo(kContinueFitQuestion, DefaultButton::YesOrOk)) {
                return LoopEnd::BrokenOff;
            }
            module.breakRequested = false;
        }
        ++iteration;
        runHook(hooks.showStatus, runningFitStatus(iteration));
        letEventsRun(module, dialogs, menu, hooks);
    }
    std::string warning = "Warning - not converged after MAXIT = ";
    dialogs.message(warning.append(std::to_string(controls.maxit)).append(" iterations"));
    return LoopEnd::Stopped;
}

// The undamped error matrix and the condition number, then the standard deviations; a negative
// diagonal element is a failure that ends the program.
void errorMatrix(Module1& module, Dialogs& dialogs, LibraryLoader& loader, MenuState& menu,
                 const FitHooks& hooks)
{
    menu.breakFit.enabled = false;
    runHook(hooks.applyMenus);
    runHook(hooks.showStatus, kErrorMatrixStatus);
    letEventsRun(module, dialogs, menu, hooks);
    module.engineMode = kEngineErrorMatrix;
    callAndAsk(module, dialogs, loader, hooks, kEngineErrorMatrix, 0.0);
    FitResults& results = module.fitResults;
    engine::StandardDeviations sd = engine::standardDeviations(results.errorMatrix, results.nfree);
    if (sd.negativeDiagonal >= 0) {
        throw FitFailure{engine::kNegativeDiagonalMessage};
    }
    results.standardDeviations = std::move(sd.values);
    results.standardDeviationsAvailable = true;
}

// The figures' σ are an addition to a fit that has succeeded: an engine call that fails among
// the probes leaves them out rather than ending the program over them. Unlike one engine call
// the computation reads the records, which nothing changes while the runner holds input back,
// and writes only its own copies.
void peakUncertainties(Module1& module, Dialogs& dialogs, LibraryLoader& loader, MenuState& menu,
                       const FitHooks& hooks)
{
    runHook(hooks.showStatus, kUncertaintiesStatus);
    letEventsRun(module, dialogs, menu, hooks);
    Uncertainties computed;
    try {
        runThrough(hooks.runEngine, [&] { computed = computeUncertainties(module, loader); });
    } catch (const EngineCallFailed&) {
        computed = Uncertainties{};
    }
    module.fitResults.uncertainties = std::move(computed);
}

void complete(Module1& module, MenuState& menu, const FitHooks& hooks, bool brokenOff)
{
    runHook(hooks.setBusy, false);
    if (brokenOff) {
        runHook(hooks.showStatus, kAfterBreakStatus);
    } else {
        runHook(hooks.showStatus, kFinishedStatus);
    }
    unlockMenus(menu);
    runHook(hooks.applyMenus);
    // Before the last redraw, so that the fit's curve is drawn and the Plot menu ticks it.
    if (module.plot.plotType == 0) {
        module.plot.plotType = 1;
    }
    // The last iteration's parameters are the fit's result: the plot shows them, not those of
    // the iteration before.
    redraw(module, hooks);
    runHook(hooks.showResults, true, brokenOff);
    module.breakRequested = false;
    module.calculationSaved = false;
    runHook(hooks.plotWindowFitting, false);
}

// The program ends after the fit: the windows are left as a finished fit leaves them.
FitOutcome quitAfterExit(Module1& module, const FitHooks& hooks)
{
    runHook(hooks.setBusy, false);
    runHook(hooks.plotWindowFitting, false);
    module.breakRequested = false;
    return FitOutcome::Quit;
}

FitOutcome fail(Module1& module, Dialogs& dialogs, MenuState& menu, const FitHooks& hooks,
                std::optional<std::string_view> message)
{
    runHook(hooks.setBusy, false);
    runHook(hooks.plotWindowFitting, false);
    module.breakRequested = false;
    if (module.calculationDone) {
        module.calculationSaved = false;
    }
    unlockMenus(menu);
    const bool quit = message ? endProgram(module, dialogs, *message, MenuState(menu), menu)
                              : runExitChecks(module, dialogs, menu);
    runHook(hooks.applyMenus);
    if (!quit) {
        runHook(hooks.showStatus, kWaitingForInputStatus);
    }
    return quit ? FitOutcome::Quit : FitOutcome::Abandoned;
}

}  // namespace

std::string runningFitStatus(int32_t iteration)
{
    return std::string("  Running fit:   Iteration ")
        .append(std::to_string(iteration))
        .append("   -   please wait    (or press Break or Exit to stop after this iteration)");
}

IterationPanels iterationPanels(int32_t iteration, double r, double deltaR)
{
    return IterationPanels{
        std::string("After Iteration : ").append(std::to_string(iteration)),
        std::string("R : ").append(formatNumber(r, "0.000000")),
        std::string("delta R : ").append(formatNumber(deltaR, "0.000000")).append("   ")};
}

FitOutcome mnuFit_Click(Module1& module, Dialogs& dialogs, LibraryLoader& loader, MenuState& menu,
                        const FitHooks& hooks)
{
    try {
        MakeParameterNames(module.configuration);
        if (InitPar(module, dialogs) != kInitParReady) {
            return FitOutcome::Refused;
        }
        prepare(module, dialogs, menu, hooks);
        const LoopEnd end = iterate(module, dialogs, loader, menu, hooks);
        if (end == LoopEnd::Stopped) {
            errorMatrix(module, dialogs, loader, menu, hooks);
            if (hooks.peakUncertainties) {
                peakUncertainties(module, dialogs, loader, menu, hooks);
            }
        }
        complete(module, menu, hooks, end != LoopEnd::Stopped);
        return end == LoopEnd::Stopped ? FitOutcome::Finished : FitOutcome::BrokenOff;
    } catch (const ExitConfirmed&) {
        return quitAfterExit(module, hooks);
    } catch (const FitFailure& failure) {
        return fail(module, dialogs, menu, hooks, failure.message);
    } catch (const LibraryMissing&) {
        return fail(module, dialogs, menu, hooks, kEngineNotFound);
    } catch (const std::exception&) {
        return fail(module, dialogs, menu, hooks, kUnknownFitError);
    }
}

}  // namespace varnix::app
