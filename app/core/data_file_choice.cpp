#include "core/data_file_choice.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace varnix::app {

namespace {

namespace fs = std::filesystem;

std::string memoryPath(const std::string& startDirectory, std::string_view memoryFile)
{
    return (fs::path(startDirectory) / memoryFile).string();
}

bool exists(const std::string& name)
{
    std::error_code ignored;
    return fs::is_regular_file(name, ignored);
}

std::optional<std::string> lastName(const std::string& startDirectory,
                                    std::string_view memoryFile)
{
    std::ifstream in(memoryPath(startDirectory, memoryFile));
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
    std::ofstream out(memoryPath(startDirectory, memoryFile), std::ios::trunc);
    out << '"' << fullName << "\"\n";
    out.close();
    return static_cast<bool>(out);
}

// The remembered name while its file exists, in full.
std::optional<std::string> existingLastName(const std::string& startDirectory,
                                            std::string_view memoryFile)
{
    const auto last = lastName(startDirectory, memoryFile);
    if (!last) {
        return std::nullopt;
    }
    // A relative name was written by hand; the program itself keeps full names.
    const std::string full = (fs::path(startDirectory) / *last).string();
    if (exists(full)) {
        return full;
    }
    return std::nullopt;
}

// The folder and base name of `fullName` with another extension.
std::string withExtension(const std::string& fullName, const std::string& extension)
{
    const PathParts parts = SplitPath(fullName);
    std::string name = parts.baseName;
    name.append(".").append(extension);
    return (fs::path(parts.directory) / name).string();
}

}  // namespace

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
    if (module.configLoaded) {
        return withExtension(module.configuration.fileName, module.dataExtension);
    }
    return existingLastName(module.startDirectory, kLastDataFile);
}

FileDialogRequest dataFileRequest(const Module1& module)
{
    const std::string& ext = module.dataExtension;
    FileDialogRequest request;
    request.title = "Open Data File";
    request.filter = "User Data Files (*." + ext + ");;All Files (*)";
    request.defaultName = proposedDataName(module).value_or(module.startDirectory);
    return request;
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
        return withExtension(module.spectrum.fileName, module.configExtension);
    }
    return existingLastName(module.startDirectory, kLastConfigFile);
}

FileDialogRequest configFileRequest(const Module1& module)
{
    const std::string& ext = module.configExtension;
    FileDialogRequest request;
    request.title = "Open Configuration File";
    request.filter = "User Configuration Files (*." + ext + ");;All Files (*)";
    request.defaultName = proposedConfigName(module).value_or(module.startDirectory);
    return request;
}

}  // namespace varnix::app
