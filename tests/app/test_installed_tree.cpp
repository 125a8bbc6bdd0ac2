// The tree `cmake --install` makes runs as it is: the program finds every library of its own
// through the folders it searches, without the standard path, and the desktop entry names it.
#include "core/library_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace varnix::app {
namespace {

const std::filesystem::path kPrefix = VARNIX_INSTALL_TEST_PREFIX;

TEST(InstalledTree, ProgramFindsEveryLibraryOfItsOwn)
{
    const std::filesystem::path bin = kPrefix / "bin";
    ASSERT_TRUE(std::filesystem::exists(bin / "varnix"));
    LibraryLoader loader(libraryFolders(bin), false);
    for (const char* library : {"zorvant", "kelmar", "nostel", "parvik", "tessor", "kapril",
                                "woldek", "fentar", "gorsel", "jundra", "kelsop", "halmor",
                                "mirdax", "lurven", "quendal"}) {
        EXPECT_NO_THROW(loader.entry(library)) << library;
    }
}

TEST(InstalledTree, DesktopEntryStartsTheProgramWithItsIcon)
{
    std::ifstream entry(kPrefix / "share/applications/varnix.desktop");
    std::stringstream text;
    text << entry.rdbuf();
    EXPECT_NE(text.str().find("\nExec=varnix\n"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("\nIcon=varnix\n"), std::string::npos) << text.str();
    EXPECT_TRUE(
        std::filesystem::exists(kPrefix / "share/icons/hicolor/scalable/apps/varnix.svg"));
}

}  // namespace
}  // namespace varnix::app
