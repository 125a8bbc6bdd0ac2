// The one place that loads shared libraries. Each library lib<name>.so is loaded on its first
// use, looked for in the folder of the running program (a build tree), then in the folder an
// installation puts them in (<prefix>/lib/varnix beside <prefix>/bin), then along the standard
// search path, so that a build tree and an installed tree both run without setting any path.
// Its entry is the symbol named after it in upper case (libtessor.so exports TESSOR).
//
// Handles are kept for the program's life and never closed: a routine pointer handed out
// once stays valid however long its caller keeps it. Not thread-safe; the program loads from
// its user-interface thread only.
#pragma once

#include "core/session/dialogs.h"

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace varnix::app {

// A library that cannot be loaded, or that lacks its entry. Each command turns it into its own
// "not found" message; library() names the library as the program calls it ("tessor").
class LibraryMissing : public std::runtime_error {
public:
    LibraryMissing(std::string library, const std::string& reason);
    const std::string& library() const { return m_library; }

private:
    std::string m_library;
};

// The folders the program's libraries are looked for in, in order, for a program in
// `programFolder`: that folder itself, then the installed library folder relative to it.
std::vector<std::filesystem::path> libraryFolders(const std::filesystem::path& programFolder);

// The folder of the running program; empty where it cannot be told.
std::filesystem::path programFolder();

class LibraryLoader {
public:
    // Looks in the library folders of the running program, then along the standard path.
    LibraryLoader();
    // Looks in the given folders in order and then, if asked, along the standard search path.
    // Tests use it to make a library missing without touching the build.
    explicit LibraryLoader(std::filesystem::path firstFolder, bool searchStandardPath = true);
    LibraryLoader(std::vector<std::filesystem::path> folders, bool searchStandardPath);

    // The entry of library `name` (lower case, without "lib" and ".so"), as a function pointer
    // of type F. Throws LibraryMissing.
    template <class F>
    F routine(std::string_view name)
    {
        static_assert(std::is_pointer_v<F> && std::is_function_v<std::remove_pointer_t<F>>,
                      "a routine is fetched as a function pointer");
        // POSIX guarantees that a dlsym result converts to a function pointer.
        return reinterpret_cast<F>(entry(name));
    }

    // The untyped entry behind routine(); throws LibraryMissing.
    void* entry(std::string_view name);

private:
    void* handle(const std::string& name);

    std::vector<std::filesystem::path> m_folders;
    bool m_searchStandardPath = true;
    std::map<std::string, void*, std::less<>> m_handles;
};

// "tessor" -> "TESSOR": the entry every library exports.
std::string entryName(std::string_view library);

// The entry of library `name`, or nullptr once `notFound` has been shown: for the commands
// that report a missing library and go no further.
template <class F>
F routineOrMessage(LibraryLoader& loader, Dialogs& dialogs, std::string_view name,
                   std::string_view notFound)
{
    try {
        return loader.routine<F>(name);
    } catch (const LibraryMissing&) {
        dialogs.message(notFound);
        return nullptr;
    }
}

}  // namespace varnix::app
