// The main window's menu state as plain data: which entries are enabled and which carry a
// check mark. `Enable` computes it from the flags; the main window only applies it to its
// actions, and the tests check the struct.
#pragma once

#include "core/session/dialogs.h"
#include "core/session/module1.h"

#include <array>
#include <optional>
#include <string>

namespace varnix::app {

struct MenuEntry {
    bool enabled = true;
    bool checked = false;

    bool operator==(const MenuEntry&) const = default;
};

struct MenuState {
    // File
    MenuEntry file;  // the whole menu; only a running fit locks it
    MenuEntry newConfiguration;
    MenuEntry openAllFiles;
    MenuEntry openData;
    MenuEntry openConfiguration;
    MenuEntry saveConfiguration{false, false};
    MenuEntry saveFitParameters{false, false};
    MenuEntry saveAsData{false, false};  // until there are data to save
    // Nothing to save before there is a configuration or a calculated spectrum; Enable and the
    // commands turn these on.
    MenuEntry saveAsConfiguration{false, false};
    MenuEntry saveAsCalculatedSpectra{false, false};
    MenuEntry saveAsCalculatedSpectraAndData{false, false};
    // Edit
    MenuEntry edit{false, false};
    MenuEntry editConfigurationData;
    MenuEntry editFitParameters;
    MenuEntry editHeader;
    MenuEntry editEnergies;
    // Each only once there is what it moves.
    MenuEntry energiesExperimentalScale{false, false};
    MenuEntry energiesPeakPositions{false, false};
    MenuEntry energiesBoth{false, false};
    // Plot, commands, Write
    MenuEntry plot{false, false};
    // Experimental Spectrum, Experimental and Calculated Spectra, the three residual plots: the
    // last four only once a spectrum has been calculated.
    std::array<MenuEntry, 5> plotItems{MenuEntry{}, MenuEntry{false, false},
                                       MenuEntry{false, false}, MenuEntry{false, false},
                                       MenuEntry{false, false}};
    MenuEntry calculateSpectrum{false, false};
    MenuEntry startFit{false, false};
    MenuEntry write{false, false};
    MenuEntry writeGraph{false, false};
    MenuEntry writeConfigurationParameters{false, false};
    MenuEntry writeResults{false, false};
    MenuEntry writeCorrelations{false, false};
    MenuEntry breakFit{false, false};
    MenuEntry exit;
    MenuEntry help;
    MenuEntry customize;

    bool operator==(const MenuState&) const = default;
};

inline constexpr std::string_view kInputDataReadStatus =
    "  Input data read - waiting for user action";

// Enable: updates the menu state from the flags after a file is opened, after New and when the
// peak setup window opens. Entries the rule does not mention keep their state. Returns the
// status line to show, when the rule sets one.
std::optional<std::string> Enable(const Module1& module, MenuState& menu);

// Every edit of the configuration: it no longer matches its file, so it is unsaved, neither save
// entry carries its check mark, Save As > Configuration is enabled and so is Save >
// Configuration, unless the configuration is new and has no file to save over.
void markConfigurationModified(Module1& module, MenuState& menu);

// The exit checks, in their fixed order: each unsaved record first enables the entry that
// would save it, then asks whether to exit anyway. No stops the checks and sets
// exitCancelled; true when the program may end.
bool runExitChecks(Module1& module, Dialogs& dialogs, MenuState& menu);

}  // namespace varnix::app
