// The configuration commands, free of widgets: a new configuration, reading one through FENTAR
// with the photon-energy check and the link repair, writing it through GORSEL, and moving the
// peak positions from the energy menu. The main window calls these and shows what they return.
//
// A read works on a local Configuration and commits it, with the flags, only when it succeeded:
// a failed read leaves the previous configuration, its file name and every flag exactly as they
// were. Partners are 0-based here as everywhere in Module1; the 1-based numbers of the file
// routines exist only at their call.
#pragma once

#include "core/files/data_commands.h"
#include "core/session/dialogs.h"
#include "core/session/library_loader.h"
#include "core/session/menu_state.h"
#include "core/session/module1.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnix::app {

// File > New > Configuration: one peak whose five parameters are 0.0, the background as it was,
// marked loaded, new and unsaved, the check marks of Save > Configuration and Save As >
// Configuration removed, then Enable, whose status line is returned. A new configuration has
// no file yet: its name is cleared and Save > Configuration disabled, so that nothing can write
// it over the file of the previous one; Save As names its file.
// The window closes the peak setup window before and the plot window after, and opens the peak
// setup window for the new peak.
std::optional<std::string> NewConfiguration(Module1& module, MenuState& menu);

// Reads fileName (a relative name is taken in the start directory) through FENTAR, the counts
// first and then everything. On success the configuration is replaced, named fileName, sized
// (ResizeConfiguration) and its parameters named; it counts as saved unless the photon-energy
// check moved the peaks, binding-energy data met a configuration without a photon energy (so
// that the next save stores one), or the link repair changed a link; each of these enables
// Save > Configuration. A failure shows one message — the read message, or for a missing
// library "Fortran dll FENTAR.DLL not found - ABORT" — and changes nothing. The flags of an
// opened configuration are OpenConfiguration's. Returns kReadDone or kReadAbandoned.
int32_t LoadConfiguration(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                          MenuState& menu, const std::string& fileName);

// Open > Configuration once the name is chosen (a cancelled dialog opens nothing and never
// comes here): the name is remembered in "last_config.dat", a missing file is reported and
// stops, otherwise LoadConfiguration; on success the configuration is loaded and not new, and
// Enable runs (the window shows kInputDataReadStatus when data are loaded too, and the panel
// text of configurationPanel). True when opened. The window closes the results and peak setup
// windows before and opens the peak setup window after a successful open.
bool OpenConfiguration(Module1& module, Dialogs& dialogs, LibraryLoader& loader, MenuState& menu,
                       const std::string& fileName);

// Open > All Files, its configuration half, after the data: the configuration named in
// "last_config.dat", without a dialog, through OpenConfiguration. Without a remembered name the
// empty name is reported as missing.
bool OpenAllFilesConfiguration(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                               MenuState& menu);

// The status-bar panel "Config. File :" for the configuration's file.
std::string configurationPanel(const Configuration& configuration);

// The link rules every read configuration must satisfy, over the peak parameters: a varied
// parameter is its own partner; a correlated parameter whose partner is not varied becomes
// fixed; a partner outside the peak parameters becomes the parameter's own (a correlated one is
// fixed then, since it follows nothing). True when a link was changed.
bool repairLinks(Configuration& configuration);

// Writes the configuration to its file name through GORSEL, after ResizeConfiguration. The
// photon energy stored is the loaded spectrum's; without data, or for a spectrum that knows no
// photon energy, the configuration's own, which a 0 would otherwise erase from the file. After
// a write the configuration holds the photon energy the file now has. Any failure shows "Error
// in writing Configuration File". configSaved is left to the caller. True when written.
bool SaveConfig(Module1& module, Dialogs& dialogs, LibraryLoader& loader);

// Save > Configuration: SaveConfig, then, only when written, the configuration marked saved and
// the entry checked, so that a failed write still leaves the exit question.
bool saveConfiguration(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                       MenuState& menu);

// Save As > Configuration once the name is chosen: written under fileName; only when written is
// the name kept, the configuration no longer new and marked saved, Save As > Configuration
// checked and the name remembered in "last_config.dat". A failed write leaves module and menu
// as they were.
bool saveConfigurationAs(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                         MenuState& menu, const std::string& fileName);

// Edit > Energies > Peak Energy Positions in Configuration Data with the amount as typed (read as
// ShiftExperimentalEnergies reads it): every peak position moves, the configuration is marked
// unsaved and its save entry enabled. Text that is not a number changes nothing. True when
// moved.
bool ShiftPeakPositions(Module1& module, MenuState& menu, std::string_view typedAmount);

// Edit > Energies > Energy Scale and Peak Positions by same amount: both shifts with one amount,
// or neither.
bool ShiftEnergiesAndPeakPositions(Module1& module, MenuState& menu,
                                   std::string_view typedAmount);

}  // namespace varnix::app
