// The tree `cmake --install` makes runs as it is: the program finds every library of its own
// through the folders it searches, without the standard path, and its manual, whose links all
// lead somewhere in the installed tree too; the desktop entry names the program.
#include "core/files/help_files.h"
#include "core/session/library_loader.h"
#include "manual_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace varnix::app {
namespace {

const std::filesystem::path kPrefix = VARNIX_INSTALL_TEST_PREFIX;

TEST(InstalledTree, ProgramFindsEveryLibraryOfItsOwn)
{
    const std::filesystem::path bin = kPrefix / "bin";
    ASSERT_TRUE(std::filesystem::exists(bin / "varnix"));
    LibraryLoader loader(libraryFolders(bin), false);
    for (const char* library :
         {"zorvant", "kelmar", "nostel", "parvik", "tessor", "kapril", "woldek", "fentar", "gorsel",
          "jundra", "kelsop", "halmor", "mirdax", "lurven", "quendal"}) {
        EXPECT_NO_THROW(loader.entry(library)) << library;
    }
}

TEST(InstalledTree, ProgramFindsItsManualWithEveryLinkInPlace)
{
    const std::optional<std::filesystem::path> contents =
        helpContentsPage(helpFolders(kPrefix / "bin"));
    ASSERT_TRUE(contents.has_value());
    // The installed manual itself, not the source tree's the build also knows.
    EXPECT_EQ(contents->lexically_normal(), kPrefix / "share/varnix/help/index.html");
    const std::vector<std::string> problems = test::manualProblems(contents->parent_path());
    EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
}

TEST(InstalledTree, DesktopEntryStartsTheProgramWithItsIcon)
{
    std::ifstream entry(kPrefix / "share/applications/varnix.desktop");
    std::stringstream text;
    text << entry.rdbuf();
    EXPECT_NE(text.str().find("\nExec=varnix\n"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("\nIcon=varnix\n"), std::string::npos) << text.str();
    EXPECT_TRUE(std::filesystem::exists(kPrefix / "share/icons/hicolor/scalable/apps/varnix.svg"));
}

}  // namespace
}  // namespace varnix::app
