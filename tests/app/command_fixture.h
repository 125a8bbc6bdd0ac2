// Shared by the command tests: temporary folders, test files, library loaders, dialog scripts.
#pragma once

#include "core/session/library_loader.h"
#include "core/session/startup.h"
#include "core/session/scripted_dialogs.h"

#include <cstdio>
#include <cstdlib>  // mkdtemp
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace varnix::app::test {

namespace fs = std::filesystem;

inline std::string dataFile(const std::string& name)
{
    return std::string(VARNIX_TEST_DATA).append("/").append(name);
}

// `value` with `decimals` digits after the point, by the C library rather than the program's
// formatter, so that a displayed number is checked against an independent rendering.
inline std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A file of the examples the start command seeds the working folder with.
inline std::string example(const std::string& name)
{
    return std::string(VARNIX_EXAMPLES).append("/").append(name);
}

// A folder of its own, removed afterwards.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "varnix_cmd_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder");
        }
        m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    fs::path m_path;
};

// A loader that finds no library: an empty folder and no standard path.
inline LibraryLoader loaderWithout(const TempFolder& folder)
{
    fs::create_directories(folder.path() / "no_libraries");
    return LibraryLoader(folder.path() / "no_libraries", false);
}

// Another copy running or not, as a test says.
class FakeLock final : public InstanceLock {
public:
    explicit FakeLock(bool free) : m_free(free) {}
    bool acquire() override { return m_free; }

private:
    bool m_free;
};

// Queues the answers given; an input of "<cancel>" cancels the input box.
inline void script(ScriptedDialogs& dialogs, const std::optional<std::string>& input,
                   std::optional<bool> yes = {}, std::optional<bool> ok = {})
{
    if (input) {
        dialogs.answerInput(*input == "<cancel>" ? std::nullopt : input);
    }
    if (yes) {
        dialogs.answerYesNo(*yes);
    }
    if (ok) {
        dialogs.answerOkCancel(*ok);
    }
}

}  // namespace varnix::app::test
