// Start-up of the program, the fit controls in "FitFile.dat", and the one path by which a
// command ends the program. The main window calls these and only shows what they return: the
// steps that concern widgets (colours applied, fonts, sizes, the help file) stay with it.
//
// The files are named by their full path in the start directory rather than by making that
// directory current: the current directory is process-wide state that the file dialogs move.
#pragma once

#include "core/session/dialogs.h"
#include "core/session/library_loader.h"
#include "core/session/menu_state.h"
#include "core/session/module1.h"

#include <array>
#include <string>
#include <string_view>

namespace varnix::app {

// Tells whether another copy of the program runs. The program implements it with a QLockFile
// in the temporary folder; the core only needs the answer.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // true when this is the only running copy (the lock is now held).
    virtual bool acquire() = 0;

protected:
    InstanceLock() = default;
    InstanceLock(const InstanceLock&) = default;
    InstanceLock& operator=(const InstanceLock&) = default;
};

inline constexpr std::string_view kSettingsFile = "fini.dat";
// The settings routines exchange each extension as three characters, padded with blanks.
inline constexpr int32_t kExtensionLength = 3;

inline constexpr std::string_view kWaitingStatus = "  Waiting for user to open files";

struct StartUpOutcome {
    // false: the user chose not to run a second copy; the program quits at once, nothing has
    // been read and no exit question is due.
    bool proceed = false;
    // The status line to show; Module1 holds records, not what the window displays.
    std::string statusLine;
    // The menus as start-up leaves them: the initial state, with Save > Fit Parameters
    // enabled when the fit controls are defaults that need saving.
    MenuState menu;
};

std::array<char, kExtensionLength> toExtensionBuffer(std::string_view text);

// The start-up sequence: second-copy warning, start directory, default colours and
// extensions, the settings "fini.dat" through NOSTEL, the flags, the fit controls through
// ReadFitParameters, the counters. Every failure after the warning falls back to defaults
// with its message; none stops start-up.
StartUpOutcome startUp(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                       InstanceLock& lock, const std::string& startDirectory);

// Reads the fit controls from "FitFile.dat" in the start directory through JUNDRA (the name
// is matched without regard to case). On any failure: its message, the eight defaults,
// fitParametersSaved cleared and Save > Fit Parameters enabled, so the exit checks offer to
// save them.
void ReadFitParameters(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                       MenuState& menu);

// Writes the fit controls to "FitFile.dat" in the start directory through KELSOP; a failure
// shows its message. true when written.
bool WriteFitParameters(const Module1& module, Dialogs& dialogs, LibraryLoader& loader);

// Save > Fit Parameters: WriteFitParameters, then marks the controls saved and checks the
// entry. Only a write that succeeded does so: a failed one must leave the exit question.
bool saveFitParameters(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                       MenuState& menu);

// The path of every command that "ends the program": shows `message`, puts back the menus as
// they were before the command (`menuBeforeCommand`) and runs the exit checks on them, so
// that the Save entries the checks enable stay enabled. true when the program should quit;
// false when the user cancelled the exit, and the command is to be abandoned.
bool endProgram(Module1& module, Dialogs& dialogs, std::string_view message,
                const MenuState& menuBeforeCommand, MenuState& menu);

}  // namespace varnix::app
