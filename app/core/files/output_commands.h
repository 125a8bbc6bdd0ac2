// The output commands, free of widgets: the Write menu (the PostScript page through KELMAR and
// the three text reports through MIRDAX, LURVEN and QUENDAL) and Save As for the calculated
// spectra through HALMOR, plus the file dialogs' requests for every Write and Save As item.
//
// Each command takes the name the user chose; a cancelled dialog is the caller's, which then
// calls nothing. Relative names are taken in the start directory, where the routines were always
// called. Every routine writes its file atomically, so a failed write leaves a previous file as
// it was; a command reports such a failure with its message and returns false.
#pragma once

#include "core/session/dialogs.h"
#include "core/session/library_loader.h"
#include "core/session/menu_state.h"
#include "core/session/module1.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::app {

// The Write menu's items, numbered as the menu's indices.
enum class WriteItem : int32_t {
    Graph = 0,  // "Graph (to PostScript file)"
    ConfigurationParameters = 1,
    Results = 2,
    Correlations = 3,
};

// The Save As menu's items, numbered as the menu's indices.
enum class SaveAsItem : int32_t {
    Data = 0,
    Configuration = 1,
    CalculatedSpectra = 2,
    CalculatedSpectraAndData = 3,
};

// HALMOR's file kinds.
inline constexpr int32_t kCalculatedSpectraOnly = 0;     // ".cal"
inline constexpr int32_t kCalculatedSpectraAndData = 1;  // ".cex"

inline constexpr std::string_view kSaveCalcError =
    "Error in writing calculated spectra - or dll not found";

// Write > Results and Write > Correlations are offered after a calculation too; until a fit has
// left its results they say so instead of asking for a file.
inline constexpr std::string_view kNoFitResultsMessage =
    "No fit results to write yet - run Start Fit first";

// The save dialog for a Write item: the name follows the data file (c1s.dat proposes c1s.ps,
// c1s_config.txt, c1s_results.txt, c1s_corr.txt; region 2 of survey.vms proposes survey#2.ps …)
// in the data file's folder.
FileDialogRequest writeRequest(const Module1& module, WriteItem item);

// The save dialog for a Save As item. Data proposes the data file itself, with the filter of its
// extension selected (the case ignored); a region of a file proposes a file of its own, the base
// name with the data extension ("survey#2.dat"). Configuration proposes the data's base name with
// the configuration extension in the configuration's folder (the data's while there is no
// configuration file) once data are loaded, else only that folder. The calculated spectra
// propose no name, only the data's folder; those of a region the base name ("survey#2.cal").
FileDialogRequest saveAsRequest(const Module1& module, SaveAsItem item);

// What KELMAR draws, in its single precision: x the energies (binding energies HMU − E when the
// photon energy is known), y the counts, yc the calculated spectrum, c the components
// (np × ncomp, column-major), r the scaled residuals with nr = np when the plot shows residuals,
// else one 0 and nr = 1; the two axis titles.
struct GraphArguments {
    int32_t np = 0;
    int32_t ncomp = 0;
    std::vector<float> x;
    std::vector<float> y;
    std::vector<float> yc;
    std::vector<float> c;
    std::vector<float> r;
    int32_t nr = 1;
    std::string xTitle;
    std::string yTitle;

    bool operator==(const GraphArguments&) const = default;
};

// The residuals are the plot window's while it has drawn them for every point; otherwise they
// are formed here as (counts − calculated) × residual scale, never read beyond what exists.
// Calculated values and components missing for some points count as 0.
GraphArguments graphArguments(const Module1& module);

// Write > Graph (to PostScript file): the page through KELMAR. A missing plot library, or a page
// that did not appear, is reported. True when the page was written.
bool WriteGraph(const Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                const std::string& fileName);

// Write > Configuration Parameters: the configuration as a dated text report through MIRDAX.
bool WriteConfigurationParameters(const Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                                  const std::string& fileName);

// The Write menu (mnuPrintItem_Click): kNoFitResultsMessage for the two reports of a fit when
// there is none, else the save dialog and, unless it is cancelled, the item's command.
void mnuPrintItem_Click(const Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                        WriteItem item);

// Write > Results: the fitted parameters with their link states, the peak areas and widths, the
// photon energy and R = √(χ² / NP) of the last fit, through LURVEN; with them every standard
// deviation and figure the results window shows (parameters, the peaks' figures, the condition
// number, the diagnosis), χ², NP and NFREE. Without fit results of this configuration
// (hasFitResults) kNoFitResultsMessage is shown and nothing written.
bool WriteResults(const Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                  const std::string& fileName);

// Write > Correlations: the correlation matrix recomputed from the error matrix of the last fit,
// through QUENDAL; an undefined correlation goes as NaN, which the report shows as "-". Without
// fit results kNoFitResultsMessage is shown; an error matrix that is not NFREE × NFREE is
// reported as a failed write.
bool WriteCorrelations(const Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                       const std::string& fileName);

// SaveCalc: the calculated spectra through HALMOR in file kind `mode`. The residual array is
// first made np long, keeping its contents. HALMOR has no status, so the write counts as done
// only when the file was replaced; any failure, a missing library included, shows
// kSaveCalcError. True when written.
bool SaveCalc(Module1& module, Dialogs& dialogs, LibraryLoader& loader, const std::string& fileName,
              int32_t mode);

// Save As > Calculated Spectra (+ Data with `withData`): SaveCalc, then, only when the file was
// written, the calculation marked saved (when there is one) and the item checked.
bool saveCalculatedSpectraAs(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                             MenuState& menu, const std::string& fileName, bool withData);

}  // namespace varnix::app
