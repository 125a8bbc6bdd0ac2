// Choosing the files for File > Open > Data and Open > Configuration: the request each open
// dialog is shown with (its filter and proposed name) and the memory of the file chosen last,
// "last_data.dat" and "last_config.dat" in the start directory, each holding the full name as
// one quoted string. Free of widgets, so that the rules are tested without a display.
#pragma once

#include "core/dialogs.h"
#include "core/module1.h"

#include <optional>
#include <string>

namespace varnix::app {

inline constexpr std::string_view kLastDataFile = "last_data.dat";
inline constexpr std::string_view kLastConfigFile = "last_config.dat";

// The name to propose: with a configuration loaded, its folder and base name with the data
// extension; otherwise the name kept in "last_data.dat" while that file exists (for a region,
// "<file>#<n>", the file); otherwise none.
std::optional<std::string> proposedDataName(const Module1& module);

// The open dialog's request: the user's data files first, then all files. Without a proposed
// name the dialog starts in the start directory.
FileDialogRequest dataFileRequest(const Module1& module);

// The full name of a memory file ("last_data.dat", "last_config.dat") in the start directory.
std::string memoryFileName(const std::string& startDirectory, std::string_view memoryFile);

// The message of Open > Data, Open > Configuration and All Files for a file that is not there:
// the full name, then "   does not exist  -  open files individually".
std::string doesNotExistMessage(std::string_view fullName);

// The name kept in "last_data.dat" in the start directory, unquoted; none without the file.
std::optional<std::string> lastDataName(const std::string& startDirectory);

// Keeps the chosen name in "last_data.dat" as one quoted string. false when it cannot be
// written; the open goes on regardless, only the next proposal is lost.
bool rememberDataName(const std::string& startDirectory, const std::string& fullName);

// The configuration name to propose: with data loaded, the data file's folder and base name
// (dataBaseName: a region's number included) with the configuration extension; otherwise the name
// kept in "last_config.dat" while that file exists; otherwise none.
std::optional<std::string> proposedConfigName(const Module1& module);

// The open dialog's request for Open > Configuration: the user's configuration files first,
// then all files; without a proposed name the dialog starts in the start directory.
FileDialogRequest configFileRequest(const Module1& module);

// "last_config.dat", as lastDataName and rememberDataName keep "last_data.dat".
std::optional<std::string> lastConfigName(const std::string& startDirectory);
bool rememberConfigName(const std::string& startDirectory, const std::string& fullName);

}  // namespace varnix::app
