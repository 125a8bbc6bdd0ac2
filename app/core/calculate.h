// Calculate Spectrum (mnuCalculate_Click of the main window, also run by the plot window): the
// model spectrum and its components for the current configuration without a fit, the residuals,
// the menus a calculated spectrum makes available, and the plot redrawn.
#pragma once

#include "core/dialogs.h"
#include "core/engine_call.h"
#include "core/library_loader.h"
#include "core/menu_state.h"
#include "core/module1.h"

#include <functional>
#include <string_view>

namespace varnix::app {

inline constexpr std::string_view kCalculatingStatus = "  Calculating spectrum   -   please wait";
inline constexpr std::string_view kWaitingForInputStatus = "  Waiting for user input";
inline constexpr std::string_view kEngineNotFound = "Fortran dll ZORVANT.DLL not found - ABORT";
inline constexpr std::string_view kUnknownFitError = "Unknown error in fit program - Abort";

// What the command asks of the windows, so that the core stays free of widgets. A hook left
// empty has nothing to do (a window without a plot window, a test that does not look).
struct CalculationHooks {
    std::function<void(std::string_view)> showStatus;  // set the status line and repaint it now
    std::function<void(bool)> setBusy;                 // the hourglass pointer on or off
    // The plot window's optZoom, optReset and optSelect; called only while it is open.
    std::function<void(bool)> enablePlotModes;
    std::function<void()> processEvents;  // let pending window events run once
    std::function<void()> redrawPlot;
    EngineRunner runEngine;  // the engine call, kept apart from the windows' events
};

enum class CalculationOutcome {
    Calculated,
    Refused,    // InitPar showed why; nothing changed
    Quit,       // the engine failed, the message was shown and the exit checks passed
    Abandoned,  // the engine failed and the user cancelled the exit: menus as before, idle
};

// The command: parameter names rebuilt, InitPar, the status line, the hourglass and the plot
// window's modes off, pending events once, the engine in mode 0 with λ from the fit controls.
// On success: calculationDone set and calculationSaved cleared, engineMode 0, the residuals
// (counts − calculated) × residual scale, the zoomed flag cleared (clearZoomedFlag), Start Fit,
// Write with its Graph entry, Save As > Calculated Spectra (+ Data) unchecked, and the four
// calculated-spectrum plots enabled, plot type 0 turned into 1, the plot redrawn and the status
// kWaitingForInputStatus.
// A missing engine (kEngineNotFound) or any other failure (kUnknownFitError) ends the program
// through endProgram, with the menus as they were before the command; the calculated spectrum,
// the results, the flags and the residuals stay as they were, since the engine's outputs are
// committed only after a successful call. The engine library is found by the loader, so no
// current directory is changed for it.
CalculationOutcome calculateSpectrum(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                                     MenuState& menu, const CalculationHooks& hooks);

// After Reset brought back data the model was not calculated on (ResetOutcome::ModelStale): the
// last model calculated again on the spectrum as it now is, so that no curve of another range
// is drawn or written. The last model is that of module.engine, the parameters of the last
// calculation or of the fit's last iteration; when another configuration has come since, it is
// Calculate Spectrum's model of the current one. The calculated spectrum then differs from any
// saved one (calculationSaved cleared); the engine mode and the fit results stay. The caller
// redraws. Failures end the program as Calculate Spectrum's do. The engine call goes through
// `runEngine`.
CalculationOutcome recalculateModel(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                                    MenuState& menu, const EngineRunner& runEngine = {});

}  // namespace varnix::app
