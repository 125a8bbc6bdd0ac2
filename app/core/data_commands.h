// The experimental-data commands, free of widgets: reading a spectrum through TESSOR and KAPRIL
// with every question the read may ask, writing it through WOLDEK, shifting its energy scale and
// taking the header window's text back into the header. The windows call these and show what they
// return.
//
// A read works on a local Spectrum and commits it, with the flags, only when it succeeded: a failed
// or abandoned read leaves the previous spectrum and every flag exactly as they were, whatever the
// file routines did on the way.
#pragma once

#include "core/dialogs.h"
#include "core/library_loader.h"
#include "core/menu_state.h"
#include "core/module1.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::app {

inline constexpr int32_t kReadDone = 0;
inline constexpr int32_t kReadAbandoned = 1;

// Reads fileName (relative names are taken in module.startDirectory) into module.spectrum: TESSOR
// for the sizes, KAPRIL for the contents, each question and message in order, the photon energy
// asked for when a binding-energy file lacks it, sigma = √counts + 1 and, when the photon energy is
// known, the energies turned into kinetic ones (HMU − E). On success the spectrum and its file name
// are replaced, dataSaved is cleared only when the photon energy had to be typed, and a differing
// photon energy of a loaded configuration is offered as a shift of its peak positions. Returns
// kReadDone or kReadAbandoned.
int32_t ReadData(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                 const std::string& fileName);

// Open > Data and Open > All Files once the name is chosen: a missing file, or a region of a file
// ("<file>#<n>") that no longer exists or cannot be read, is reported and stops; otherwise
// ReadData, and on success the flags of a freshly opened spectrum (data loaded, no
// calculation, nothing unsaved about calculated spectra, plot type 0) and Save As > Data enabled,
// since there are now data to save. True when the spectrum was opened; the window then closes and
// redraws its plot and runs Enable.
bool OpenData(Module1& module, Dialogs& dialogs, LibraryLoader& loader, MenuState& menu,
              const std::string& fileName);

// Open > All Files, its data half: the spectrum named in "last_data.dat" in the start directory,
// without a dialog, through OpenData. Without a remembered name the empty name is reported as
// missing, so the sequence stops with the same message as for a deleted file.
bool OpenAllFilesData(Module1& module, Dialogs& dialogs, LibraryLoader& loader, MenuState& menu);

// Writes module.spectrum to its file name through WOLDEK, on the file's own energy scale. The
// module is left unchanged, dataSaved included: the Save As command sets it. True when written.
bool WriteData(const Module1& module, Dialogs& dialogs, LibraryLoader& loader);

// Save As > Data once the name is chosen: the spectrum is written under fileName; only when the
// write succeeded is the name kept, the data marked saved, Save As > Data checked and the name
// remembered in "last_data.dat" for the next open. A failed write leaves module and menu as they
// were. True when written.
bool SaveDataAs(Module1& module, Dialogs& dialogs, LibraryLoader& loader, MenuState& menu,
                const std::string& fileName);

// The text of the status-bar panel "Photon Energy : " for binding-energy data, or nothing when the
// panel is hidden.
std::optional<std::string> photonEnergyPanel(const Spectrum& spectrum);

// Save entries the flags call for: Save As > Data for modified data, Save > Configuration (Save As
// for a new one) for a modified configuration. Entries already enabled stay so.
void enableUnsavedSaves(const Module1& module, MenuState& menu);

// Edit > Energies > Energy Scale of Experimental Data with the amount as typed. The amount is read
// as a single-precision number, as the command always has; text that is not a number changes
// nothing. True when the energies were shifted (the window then redraws its plot).
bool ShiftExperimentalEnergies(Module1& module, std::string_view typedAmount);

// An energy amount as the energy menu reads it: a number, rounded to single precision. Nothing for
// text that is not a number or beyond single precision, which no shift the user meant can be.
std::optional<double> typedEnergyAmount(std::string_view typedAmount);

// Adds amount to the position of every peak.
void addToPeakPositions(Configuration& configuration, double amount);

// The photon-energy check between a configuration and binding-energy data: when the configuration
// holds a photon energy that differs from the spectrum's by more than 1.0E-5 eV, asks whether to
// move the peaks by the difference. Yes moves them and gives the configuration the spectrum's
// photon energy. True when the peaks were moved; the caller marks the configuration unsaved.
bool offerPeakShift(Configuration& configuration, const Spectrum& spectrum, Dialogs& dialogs);

// The name as the file routines are to be given it: a relative name is taken in the start
// directory, where the routines were always called from.
std::string resolvedName(const Module1& module, const std::string& fileName);

// The header window's text: every header line followed by a carriage return and line feed.
std::string headerWindowText(const Spectrum& spectrum);

// The header as the window's text gives it. When a line was too long, message holds the text to
// show and lines holds the lines taken before it.
struct HeaderTransfer {
    std::vector<std::string> lines;
    std::vector<int32_t> codes;  // max(lines, 1) × kHeaderWidth, column-major, blanks as 32
    std::optional<std::string> message;

    bool operator==(const HeaderTransfer&) const = default;
};

// Splits the text at line breaks (CR LF, a lone LF or a lone CR) and takes it line by line. A
// non-blank line not starting with ";" gets ";" in front, unless the whole text begins with a line
// break. A line longer than kHeaderWidth as it would be stored stops the transfer. Trailing blanks
// are dropped: they are what fills a code row anyway.
HeaderTransfer transferHeaderText(std::string_view text);

// Stores a transfer in the spectrum (nh, headerWidth, codes, lines) and clears dataSaved.
void applyHeaderTransfer(Module1& module, const HeaderTransfer& transfer);

}  // namespace varnix::app
