// The loader against the real libraries of the output folder, where this test program lives.
#include "core/session/library_loader.h"

#include "varnix_io.h"
#include "zorvant.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace varnix::app {
namespace {

TEST(LibraryLoader, FindsTheRoutineBesideTheProgramAndCallsIt)
{
    LibraryLoader loader;
    const auto tessor = loader.routine<TessorFunction>("tessor");
    ASSERT_NE(tessor, nullptr);
    // A genuine TESSOR reports a file that does not exist with status 1.
    const char* missing = "no_such_file.dat";
    int32_t np = -1, nh = -1, flag = -1, status = 0;
    tessor(missing, static_cast<int32_t>(std::strlen(missing)), &np, &nh, &flag, &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(np, 0);
    // Loaded once, the same entry every time.
    EXPECT_EQ(loader.routine<TessorFunction>("tessor"), tessor);
    EXPECT_NE(loader.routine<ZorvantFunction>("zorvant"), nullptr);
}

TEST(LibraryLoader, GivenFolderWithoutStandardPath)
{
    LibraryLoader loader(VARNIX_LIBRARY_DIR, false);
    EXPECT_NE(loader.routine<NostelFunction>("nostel"), nullptr);
}

struct MissingCase {
    const char* name;
    const char* library;
    bool emptyFolder;  // look in an empty folder only, not along the standard path
    const char* reason;  // part of the message
};

class Missing : public ::testing::TestWithParam<MissingCase> {};

TEST_P(Missing, ThrowsLibraryMissingWithItsName)
{
    const MissingCase& t = GetParam();
    const std::filesystem::path empty =
        std::filesystem::temp_directory_path() / "varnix_loader_empty";
    std::filesystem::create_directories(empty);
    LibraryLoader loader = t.emptyFolder ? LibraryLoader(empty, false) : LibraryLoader();
    try {
        loader.entry(t.library);
        FAIL() << "loaded " << t.library;
    } catch (const LibraryMissing& missing) {
        EXPECT_EQ(missing.library(), t.library);
        EXPECT_NE(std::string(missing.what()).find(t.reason), std::string::npos) << missing.what();
    }
    // Failure is not cached as success: asking again fails again.
    EXPECT_THROW(loader.entry(t.library), LibraryMissing);
}

INSTANTIATE_TEST_SUITE_P(
    LibraryLoader, Missing,
    ::testing::Values(MissingCase{"NoSuchLibrary", "no_such_library", false, "no_such_library"},
                      MissingCase{"EntryMissing", "noentry", false, "NOENTRY"},
                      MissingCase{"NotInGivenFolder", "tessor", true, "tessor"}),
    [](const ::testing::TestParamInfo<MissingCase>& param) { return param.param.name; });

}  // namespace
}  // namespace varnix::app
