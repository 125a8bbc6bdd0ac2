// "<file>#<n>" names region n of a file, unless the whole name is itself an existing file.
#include "region_name.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

namespace varnix::io {
namespace {

namespace fs = std::filesystem;

struct NameCase {
    const char* name;
    const char* given;  // inside the folder
    const char* file;   // what is opened, inside the folder
    std::optional<std::size_t> region;
};

class RegionNames : public testing::TestWithParam<NameCase> {
protected:
    // survey.vms exists, and so does a file whose own name ends in "#3".
    RegionNames()
    {
        std::string made = (fs::temp_directory_path() / "varnix-names-XXXXXX").string();
        if (::mkdtemp(made.data()) == nullptr) {
            throw std::runtime_error(made);
        }
        m_folder = made;
        for (const char* file : {"survey.vms", "scan#3"}) {
            std::ofstream(m_folder / file) << "x\n";
        }
    }
    ~RegionNames() override { fs::remove_all(m_folder); }

    fs::path m_folder;
};

TEST_P(RegionNames, SplitByTheRule)
{
    const NameCase& c = GetParam();
    const std::string folder = m_folder.string() + "/";
    const RegionName split = splitRegionName(folder + c.given);
    EXPECT_EQ(split, (RegionName{folder + c.file, c.region}));
    if (c.region) {
        EXPECT_EQ(regionName(split.file, *c.region), folder + c.given);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Names, RegionNames, testing::Values(
    NameCase{"Region", "survey.vms#2", "survey.vms", 2},
    NameCase{"SeveralDigits", "survey.vms#120", "survey.vms", 120},
    NameCase{"NineDigits", "survey.vms#999999999", "survey.vms", 999999999},
    NameCase{"MissingFileStillNamesARegion", "gone.vms#2", "gone.vms", 2},
    NameCase{"WholeNameIsAFile", "scan#3", "scan#3", std::nullopt},
    NameCase{"RegionOfAFileWithHashInItsName", "scan#3#1", "scan#3", 1},
    NameCase{"NoSuffix", "survey.vms", "survey.vms", std::nullopt},
    NameCase{"Zero", "survey.vms#0", "survey.vms#0", std::nullopt},
    NameCase{"LeadingZero", "survey.vms#02", "survey.vms#02", std::nullopt},
    NameCase{"Signed", "survey.vms#+2", "survey.vms#+2", std::nullopt},
    NameCase{"Empty", "survey.vms#", "survey.vms#", std::nullopt},
    NameCase{"TrailingText", "survey.vms#2a", "survey.vms#2a", std::nullopt},
    NameCase{"ARegionName", "survey.vms#C 1s", "survey.vms#C 1s", std::nullopt},
    NameCase{"TenDigits", "survey.vms#1000000000", "survey.vms#1000000000", std::nullopt},
    NameCase{"HashInAFolder", "a#2/survey.vms", "a#2/survey.vms", std::nullopt}),
    [](const testing::TestParamInfo<NameCase>& p) { return std::string(p.param.name); });
// clang-format on

}  // namespace
}  // namespace varnix::io
