// Files that hold several spectra (VAMAS blocks, SPECS xy, Scienta and CasaXPS regions): the
// choice of one in Open > Data, the check of a region a remembered name asks for, and the base
// name every output is proposed under. The choice travels in the data file's name as
// "<file>#<n>" (io/common/region_name.h), so the file routines' arguments, "last_data.dat",
// the status bar and the reports carry it without a field of their own. The list of spectra
// comes from the readers themselves (io/common/spectrum.h), linked into the program for this
// alone, so that the program and the file routines can never disagree about a file's regions.
#pragma once

#include "core/dialogs.h"
#include "core/module1.h"

#include "region_name.h"
#include "spectrum.h"

#include <optional>
#include <string>
#include <vector>

namespace varnix::app {

// A data file name split by the region rule, looked up where the file routines look (a relative
// name in the start directory). The file part is returned as given, relative or not.
io::RegionName splitDataName(const Module1& module, const std::string& name);

// The chooser's rows for a file's spectra: energies as the file runs them, with the binding
// energies hν − E beside kinetic ones when the photon energy is known; a row not on an energy
// axis (no energy range then), or without points, is shown but cannot be chosen.
std::vector<RegionRow> regionRows(const std::vector<io::RegionSummary>& regions);

// Open > Data once the file is chosen: the name to open. A file with more than one spectrum asks
// which (Dialogs::chooseRegion) and gets its number as "#<n>"; a file with one, a file the
// readers cannot list and a name that already names a region are returned as they are. The
// chooser proposes the region of the spectrum shown, or else of the one kept in
// "last_data.dat", when it is from the same file; otherwise the first one that can be read.
// Nothing when the chooser is cancelled.
std::optional<std::string> chooseDataRegion(const Module1& module, Dialogs& dialogs,
                                            const std::string& chosen);

// For a name "<file>#<n>": the message naming the file and the region when that region no
// longer exists, is not on an energy axis or holds no points. Nothing for a name without a
// region, for a region that can be read, and for a file the readers cannot list (its read says
// what is wrong).
std::optional<std::string> regionProblem(const Module1& module, const std::string& name);

// The data file's base name, to which every output's default name adds its ending: the file
// name up to its first "." and, for a region, "#<n>" ("survey.vms#2" gives "survey#2"), so that
// the outputs of two regions of one file do not overwrite each other.
std::string dataBaseName(const Module1& module);

}  // namespace varnix::app
