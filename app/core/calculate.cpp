#include "core/calculate.h"

#include "core/engine_call.h"
#include "core/hooks.h"
#include "core/init_par.h"
#include "core/plot_sets.h"
#include "core/startup.h"
#include "core/zoom.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace varnix::app {

namespace {

void setPlotModes(const Module1& module, const CalculationHooks& hooks, bool enabled)
{
    if (module.windowOpen.plot) {
        runHook(hooks.enablePlotModes, enabled);
    }
}

void beginWork(const Module1& module, const CalculationHooks& hooks)
{
    runHook(hooks.showStatus, kCalculatingStatus);
    runHook(hooks.setBusy, true);
    setPlotModes(module, hooks, false);
    runHook(hooks.processEvents);
}

void endWork(const Module1& module, const CalculationHooks& hooks)
{
    runHook(hooks.setBusy, false);
    setPlotModes(module, hooks, true);
}

void enableCalculatedSpectrumMenus(MenuState& menu)
{
    menu.startFit.enabled = true;
    menu.writeGraph.enabled = true;
    menu.saveAsCalculatedSpectra = MenuEntry{true, false};
    menu.saveAsCalculatedSpectraAndData = MenuEntry{true, false};
    menu.write.enabled = true;
    for (std::size_t item = 1; item < menu.plotItems.size(); ++item) {
        menu.plotItems[item].enabled = true;
    }
}

void finish(Module1& module, MenuState& menu, const CalculationHooks& hooks)
{
    module.engineMode = kEngineCalculate;
    module.calculationDone = true;
    module.calculationSaved = false;
    computeResiduals(module);
    clearZoomedFlag(module.zoom);
    enableCalculatedSpectrumMenus(menu);
    endWork(module, hooks);
    if (module.plot.plotType == 0) {
        module.plot.plotType = 1;
    }
    runHook(hooks.redrawPlot);
    runHook(hooks.showStatus, kWaitingForInputStatus);
}

CalculationOutcome fail(Module1& module, Dialogs& dialogs, std::string_view message,
                        const MenuState& menuBefore, MenuState& menu, const CalculationHooks& hooks)
{
    endWork(module, hooks);
    if (endProgram(module, dialogs, message, menuBefore, menu)) {
        return CalculationOutcome::Quit;
    }
    runHook(hooks.showStatus, kWaitingForInputStatus);
    return CalculationOutcome::Abandoned;
}

}  // namespace

CalculationOutcome calculateSpectrum(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                                     MenuState& menu, const CalculationHooks& hooks)
{
    const MenuState menuBefore = menu;
    try {
        MakeParameterNames(module.configuration);
        if (InitPar(module, dialogs) != kInitParReady) {
            return CalculationOutcome::Refused;
        }
        beginWork(module, hooks);
        callEngine(module, loader, kEngineCalculate, module.fitControls.lambda, hooks.runEngine);
    } catch (const LibraryMissing&) {
        return fail(module, dialogs, kEngineNotFound, menuBefore, menu, hooks);
    } catch (const std::exception&) {
        return fail(module, dialogs, kUnknownFitError, menuBefore, menu, hooks);
    }
    finish(module, menu, hooks);
    return CalculationOutcome::Calculated;
}

CalculationOutcome recalculateModel(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                                    MenuState& menu, const EngineRunner& runEngine)
{
    const auto npar = static_cast<std::size_t>(std::max(module.configuration.npar, 0));
    if (module.engine.p.size() != npar || module.engine.varied.size() != npar) {
        CalculationHooks hooks;
        hooks.runEngine = runEngine;
        return calculateSpectrum(module, dialogs, loader, menu, hooks);
    }
    const MenuState menuBefore = menu;
    try {
        callEngine(module, loader, kEngineCalculate, module.fitControls.lambda, runEngine);
    } catch (const LibraryMissing&) {
        return fail(module, dialogs, kEngineNotFound, menuBefore, menu, CalculationHooks{});
    } catch (const std::exception&) {
        return fail(module, dialogs, kUnknownFitError, menuBefore, menu, CalculationHooks{});
    }
    module.calculationSaved = false;
    computeResiduals(module);
    return CalculationOutcome::Calculated;
}

}  // namespace varnix::app
