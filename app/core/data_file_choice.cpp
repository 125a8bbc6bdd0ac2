#include "core/data_file_choice.h"

#include "core/data_regions.h"

#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <utility>

namespace varnix::app {

namespace {

namespace fs = std::filesystem;

bool exists(const std::string& name)
{
    std::error_code ignored;
    return fs::is_regular_file(name, ignored);
}

std::optional<std::string> lastName(const std::string& startDirectory,
                                    std::string_view memoryFile)
{
    std::ifstream in(memoryFileName(startDirectory, memoryFile));
    std::string line;
    if (!in || !std::getline(in, line)) {
        return std::nullopt;
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
        line.pop_back();
    }
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"') {
        line = line.substr(1, line.size() - 2);
    }
    if (line.empty()) {
        return std::nullopt;
    }
    return line;
}

bool rememberName(const std::string& startDirectory, std::string_view memoryFile,
                  const std::string& fullName)
{
    std::ofstream out(memoryFileName(startDirectory, memoryFile), std::ios::trunc);
    out << '"' << fullName << "\"\n";
    out.close();
    return static_cast<bool>(out);
}

// The remembered name in full, the file alone for a remembered region, while the file exists.
std::optional<std::string> existingLastName(const std::string& startDirectory,
                                            std::string_view memoryFile)
{
    const auto last = lastName(startDirectory, memoryFile);
    if (!last) {
        return std::nullopt;
    }
    // A relative name was written by hand; the program itself keeps full names. The open dialog
    // chooses files; the region is chosen after it.
    const std::string full = (fs::path(startDirectory) / *last).string();
    const std::string file = memoryFile == kLastDataFile ? io::splitRegionName(full).file : full;
    if (exists(file)) {
        return file;
    }
    return std::nullopt;
}

// `base` with another extension in the folder of `fullName`.
std::string withExtension(const std::string& fullName, const std::string& base,
                          const std::string& extension)
{
    std::string name = base;
    name.append(".").append(extension);
    return (fs::path(SplitPath(fullName).directory) / name).string();
}

// The user's own files of one extension first, then all files; without a proposed name the
// dialog starts in the start directory.
FileDialogRequest openRequest(std::string title, std::string_view kind, std::string_view extension,
                              std::string defaultName)
{
    FileDialogRequest request;
    request.title = std::move(title);
    request.filter = std::string(kind).append(" (*.").append(extension).append(");;All Files (*)");
    request.defaultName = std::move(defaultName);
    return request;
}

}  // namespace

std::string memoryFileName(const std::string& startDirectory, std::string_view memoryFile)
{
    return (fs::path(startDirectory) / memoryFile).string();
}

std::string doesNotExistMessage(std::string_view fullName)
{
    return std::string(fullName).append("   does not exist  -  open files individually");
}

std::optional<std::string> lastDataName(const std::string& startDirectory)
{
    return lastName(startDirectory, kLastDataFile);
}

bool rememberDataName(const std::string& startDirectory, const std::string& fullName)
{
    return rememberName(startDirectory, kLastDataFile, fullName);
}

std::optional<std::string> proposedDataName(const Module1& module)
{
    // A new configuration has no file yet to name the data after.
    if (module.configLoaded && !module.configuration.fileName.empty()) {
        const std::string& config = module.configuration.fileName;
        return withExtension(config, SplitPath(config).baseName, module.dataExtension);
    }
    return existingLastName(module.startDirectory, kLastDataFile);
}

FileDialogRequest dataFileRequest(const Module1& module)
{
    return openRequest("Open Data File", "User Data Files", module.dataExtension,
                       proposedDataName(module).value_or(module.startDirectory));
}

std::optional<std::string> lastConfigName(const std::string& startDirectory)
{
    return lastName(startDirectory, kLastConfigFile);
}

bool rememberConfigName(const std::string& startDirectory, const std::string& fullName)
{
    return rememberName(startDirectory, kLastConfigFile, fullName);
}

std::optional<std::string> proposedConfigName(const Module1& module)
{
    if (module.dataLoaded) {
        return withExtension(module.spectrum.fileName, dataBaseName(module),
                             module.configExtension);
    }
    return existingLastName(module.startDirectory, kLastConfigFile);
}

FileDialogRequest configFileRequest(const Module1& module)
{
    return openRequest("Open Configuration File", "User Configuration Files",
                       module.configExtension,
                       proposedConfigName(module).value_or(module.startDirectory));
}

}  // namespace varnix::app
