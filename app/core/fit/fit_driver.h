// Start Fit (mnuFit_Click of the main window): the whole least-squares fit of the configuration
// to the spectrum, one engine call per Levenberg–Marquardt iteration, R and ΔR after each, the
// stopping rules, Break, and the final error-matrix call. Free of widgets: what the windows show
// goes through FitHooks, and the window applies the menu state whenever the hooks say so.
//
// Everything but the engine calls runs on the user-interface thread. Each engine call goes
// through hooks.runEngine, which may run it elsewhere while the windows repaint; what the call
// returns reaches the records only after it. Break and Exit take effect through
// hooks.processEvents and hooks.exitChosen, between engine calls, so both act after the current
// iteration, whenever they were chosen.
#pragma once

#include "core/session/dialogs.h"
#include "core/fit/engine_call.h"
#include "core/session/library_loader.h"
#include "core/session/menu_state.h"
#include "core/session/module1.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace varnix::app {

inline constexpr std::string_view kInversionQuestion = "Error in matrix inversion - Continue?";
inline constexpr std::string_view kLambdaQuestion = "Convergence failure in Lambda - Continue?";
inline constexpr std::string_view kContinueFitQuestion = "Continue fit ?";
inline constexpr std::string_view kFinishedStatus = "  Finished fit   -    waiting for user action";
inline constexpr std::string_view kAfterBreakStatus = "  Waiting for user action after Break";
inline constexpr std::string_view kErrorMatrixStatus =
    "  Finished fit   -   calculating error matrix and standard deviations  -  please wait";
inline constexpr std::string_view kUncertaintiesStatus =
    "  Finished fit   -   calculating standard deviations of areas and widths  -  please wait";

// The status line while iteration `iteration` runs.
std::string runningFitStatus(int32_t iteration);

// The three iteration panels of the status bar: "After Iteration : ", "R : ", "delta R : ".
struct IterationPanels {
    std::string iteration;
    std::string r;
    std::string deltaR;

    bool operator==(const IterationPanels&) const = default;
};

// The panels after iteration `iteration` with R and ΔR, numbers as "0.000000".
IterationPanels iterationPanels(int32_t iteration, double r, double deltaR);

// What the fit asks of the windows. A hook left empty has nothing to do.
struct FitHooks {
    std::function<void(std::string_view)> showStatus;        // set and repaint the status line
    std::function<void(const IterationPanels&)> showPanels;  // set and repaint the status bar
    std::function<void(bool)> setBusy;                       // the hourglass pointer on or off
    std::function<void()> applyMenus;  // the menu state changed: show it on the actions
    // Unload the peak setup, results, correlation, all-parameters and fit-parameter windows.
    std::function<void()> closeEditingWindows;
    // The plot window during the fit (true: its modes off, the peak selector hidden) and after
    // it (false: Zoom on, Reset off, Select off). Called whether or not it is open.
    std::function<void(bool)> plotWindowFitting;
    std::function<void()> redrawPlot;
    // The results window, made when needed and filled from fitResults. During the iterations
    // (final false) without its two buttons; at the end with "Update Configuration", with
    // "Correlation Matrix" unless the fit was broken off, captioned "Final Results".
    std::function<void(bool final, bool brokenOff)> showResults;
    std::function<void()> processEvents;
    // Whether Exit was chosen while events ran or an engine call was running; each choice is
    // reported once. The exit checks then run at once: when they pass the program ends, when
    // the user cancels the fit goes on.
    std::function<bool()> exitChosen;
    EngineRunner runEngine;  // each engine call, kept apart from the windows' events
    // The plot and the results follow the iterations, but not faster than this many seconds
    // apart: an iteration that ends sooner after the last display leaves the drawing to a later
    // one, and the end of the fit is always shown. Iterations of a small spectrum take a few
    // milliseconds, faster than anyone can look, and drawing each would cost more than the fit.
    // 0 shows every iteration.
    double minDisplayInterval = 0.0;
    // After a finished fit, the σ of every peak's figures and the diagnosis into
    // fitResults.uncertainties (computeUncertainties: about a hundred engine calls, through
    // runEngine as one call). Off, they stay empty; the tests of the fit's course do without.
    bool peakUncertainties = false;
};

enum class FitOutcome {
    Finished,   // converged or MAXIT reached; standard deviations available
    BrokenOff,  // Break answered No: no error matrix, no standard deviations
    Refused,    // InitPar showed why; nothing changed
    Quit,       // the program is to end: Exit was chosen during the fit, or a failure was shown,
                // and the exit checks passed
    Abandoned,  // a failure, but the user cancelled the exit: idle with the last accepted
                // parameters and the menus of a finished fit
};

// The command. See the header comment; the failures — a missing engine, an engine that did
// nothing, No to the inversion or λ question, a negative diagonal element in the final error
// matrix — end the fit, restore the menus as a finished fit leaves them and then end the program
// through the exit checks, so that the configuration and everything unsaved can still be saved.
FitOutcome mnuFit_Click(Module1& module, Dialogs& dialogs, LibraryLoader& loader, MenuState& menu,
                        const FitHooks& hooks);

}  // namespace varnix::app
