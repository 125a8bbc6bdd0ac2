#include "core/data_file_choice.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace varnix::app {

namespace {

namespace fs = std::filesystem;

std::string lastDataPath(const std::string& startDirectory)
{
    return (fs::path(startDirectory) / kLastDataFile).string();
}

bool exists(const std::string& name)
{
    std::error_code ignored;
    return fs::is_regular_file(name, ignored);
}

}  // namespace

std::optional<std::string> lastDataName(const std::string& startDirectory)
{
    std::ifstream in(lastDataPath(startDirectory));
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

bool rememberDataName(const std::string& startDirectory, const std::string& fullName)
{
    std::ofstream out(lastDataPath(startDirectory), std::ios::trunc);
    out << '"' << fullName << "\"\n";
    out.close();
    return static_cast<bool>(out);
}

std::optional<std::string> proposedDataName(const Module1& module)
{
    if (module.configLoaded) {
        const PathParts parts = SplitPath(module.configuration.fileName);
        return (fs::path(parts.directory) / (parts.baseName + "." + module.dataExtension)).string();
    }
    const auto last = lastDataName(module.startDirectory);
    if (!last) {
        return std::nullopt;
    }
    // A relative name was written by hand; the program itself keeps full names.
    const std::string full = (fs::path(module.startDirectory) / *last).string();
    if (exists(full)) {
        return full;
    }
    return std::nullopt;
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

}  // namespace varnix::app
