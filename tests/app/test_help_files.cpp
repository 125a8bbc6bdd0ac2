// Where the program looks for its manual, what it says when the manual is missing, and the
// texts of the About box.
#include "core/display/about.h"
#include "core/files/help_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace varnix::app {
namespace {

namespace fs = std::filesystem;

const fs::path kSourceManual = fs::path(VARNIX_SOURCE_DIR) / "docs" / "help";

struct FoldersCase {
    const char* name;
    const char* programFolder;
    std::vector<fs::path> expected;
};

class HelpFolders : public ::testing::TestWithParam<FoldersCase> {};

TEST_P(HelpFolders, InstalledManualBesideTheProgramThenTheSourceTree)
{
    const FoldersCase& c = GetParam();
    EXPECT_EQ(helpFolders(c.programFolder), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ProgramFolders, HelpFolders,
    ::testing::Values(FoldersCase{"InstalledPrefix",
                                  "/opt/varnix/bin",
                                  {"/opt/varnix/share/varnix/help", kSourceManual}},
                      FoldersCase{"BuildTree",
                                  "/home/anna/varnix/build/bin",
                                  {"/home/anna/varnix/build/share/varnix/help", kSourceManual}},
                      FoldersCase{"ProgramFolderUnknown", "", {kSourceManual}}),
    [](const ::testing::TestParamInfo<FoldersCase>& p) { return std::string(p.param.name); });

// A folder of its own, removed afterwards.
class ManualFolders : public ::testing::Test {
protected:
    ManualFolders()
    {
        std::string pattern = (fs::temp_directory_path() / "varnix_help_XXXXXX").string();
        m_root = mkdtemp(pattern.data()) != nullptr ? fs::path(pattern) : fs::path();
    }
    ~ManualFolders() override
    {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    fs::path folder(const char* name, bool withContents) const
    {
        const fs::path path = m_root / name;
        fs::create_directories(path);
        if (withContents) {
            std::ofstream(path / "index.html") << "<html></html>\n";
        }
        return path;
    }

    fs::path m_root;
};

TEST_F(ManualFolders, ContentsPageOfTheFirstFolderThatHasOne)
{
    ASSERT_FALSE(m_root.empty());
    const fs::path empty = folder("empty", false);
    const fs::path installed = folder("installed", true);
    const fs::path source = folder("source", true);
    EXPECT_EQ(helpContentsPage({empty, installed, source}), installed / "index.html");
    EXPECT_EQ(helpContentsPage({source, installed}), source / "index.html");
    EXPECT_EQ(helpContentsPage({empty, m_root / "missing"}), std::nullopt);
    EXPECT_EQ(helpContentsPage({}), std::nullopt);
    // A folder named like the page is no page.
    fs::create_directories(empty / "index.html");
    EXPECT_EQ(helpContentsPage({empty}), std::nullopt);
}

TEST(HelpMissing, MessageNamesEveryFolderLookedIn)
{
    EXPECT_EQ(helpMissingMessage({"/opt/varnix/share/varnix/help", "/src/varnix/docs/help"}),
              "The Varnix manual was not found: no index.html in\n"
              "/opt/varnix/share/varnix/help\n"
              "/src/varnix/docs/help\n"
              "Install Varnix again (cmake --install) to bring the manual back.");
}

struct AboutCase {
    const char* name;
    const char* programFolder;
    std::optional<fs::path> manualPage;
    const char* programRow;
    const char* manualRow;
};

class About : public ::testing::TestWithParam<AboutCase> {};

TEST_P(About, VersionLicenceReferenceAndFolders)
{
    const AboutCase& c = GetParam();
    const AboutText about = aboutText("2.5", c.programFolder, c.manualPage);
    EXPECT_EQ(about.title, "Varnix Version 2.5");
    const std::vector<AboutRow> expected = {
        {"Licence",
         "GNU General Public License, version 3 or any later version (GPL-3.0-or-later). Varnix "
         "is free software and comes without any warranty; see https://www.gnu.org/licenses/."},
        {"Line shape",
         "S. Doniach and M. \u0160unji\u0107, J. Phys. C 3, 285 (1970), convolved with a "
         "Gaussian"},
        {"Program folder", c.programRow},
        {"Manual", c.manualRow},
    };
    EXPECT_EQ(about.rows, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, About,
    ::testing::Values(AboutCase{"Installed", "/opt/varnix/bin",
                                fs::path("/opt/varnix/share/varnix/help/index.html"),
                                "/opt/varnix/bin", "/opt/varnix/share/varnix/help"},
                      AboutCase{"NothingKnown", "", std::nullopt, "not known", "not found"}),
    [](const ::testing::TestParamInfo<AboutCase>& p) { return std::string(p.param.name); });

TEST(About, VersionIsTheOneTheMainWindowsCaptionNames)
{
    EXPECT_EQ(aboutText(programVersion(), "", std::nullopt).title, "Varnix Version 1.06");
}

}  // namespace
}  // namespace varnix::app
