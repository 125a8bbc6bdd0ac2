#include "core/session/library_loader.h"

#include <dlfcn.h>

#include <cctype>
#include <system_error>
#include <utility>

namespace varnix::app {

std::filesystem::path programFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    // Without /proc (a restricted sandbox) the standard search path still applies.
    return error ? std::filesystem::path() : program.parent_path();
}

std::vector<std::filesystem::path> libraryFolders(const std::filesystem::path& programFolder)
{
    if (programFolder.empty()) {
        return {};
    }
    // VARNIX_INSTALLED_LIBRARY_DIR is the install's library folder relative to its program
    // folder, set by the build from the install layout so that the two cannot disagree.
    return {programFolder, (programFolder / VARNIX_INSTALLED_LIBRARY_DIR).lexically_normal()};
}

namespace {

std::string lastLoaderError()
{
    const char* text = dlerror();
    return text != nullptr ? std::string(text) : std::string("unknown reason");
}

}  // namespace

LibraryMissing::LibraryMissing(std::string library, const std::string& reason)
    : std::runtime_error(std::string("library ").append(library).append(": ").append(reason)),
      m_library(std::move(library))
{
}

LibraryLoader::LibraryLoader() : LibraryLoader(libraryFolders(programFolder()), true) {}

LibraryLoader::LibraryLoader(std::filesystem::path firstFolder, bool searchStandardPath)
    : LibraryLoader(std::vector<std::filesystem::path>{std::move(firstFolder)}, searchStandardPath)
{
}

LibraryLoader::LibraryLoader(std::vector<std::filesystem::path> folders, bool searchStandardPath)
    : m_folders(std::move(folders)), m_searchStandardPath(searchStandardPath)
{
}

std::string entryName(std::string_view library)
{
    std::string name(library);
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

void* LibraryLoader::handle(const std::string& name)
{
    if (const auto found = m_handles.find(name); found != m_handles.end()) {
        return found->second;
    }
    const std::string file = std::string("lib").append(name).append(".so");
    void* loaded = nullptr;
    std::string reason = "no folder to look in";
    for (const std::filesystem::path& folder : m_folders) {
        if (folder.empty()) {
            continue;
        }
        loaded = dlopen((folder / file).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (loaded != nullptr) {
            break;
        }
        reason = lastLoaderError();
    }
    // A bare file name makes dlopen search the standard path (LD_LIBRARY_PATH, the cache,
    // the system folders).
    if (loaded == nullptr && m_searchStandardPath) {
        loaded = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (loaded == nullptr) {
            reason = lastLoaderError();
        }
    }
    if (loaded == nullptr) {
        throw LibraryMissing(name, reason);
    }
    m_handles.emplace(name, loaded);
    return loaded;
}

void* LibraryLoader::entry(std::string_view name)
{
    void* library = handle(std::string(name));
    const std::string symbol = entryName(name);
    dlerror();
    void* address = dlsym(library, symbol.c_str());
    if (address == nullptr) {
        throw LibraryMissing(std::string(name), std::string("no entry ").append(symbol));
    }
    return address;
}

}  // namespace varnix::app
