// The settings routines: NOSTEL and JUNDRA on hand-written files, PARVIK → NOSTEL and KELSOP →
// JUNDRA round trips, and writes that are refused or fail without harming the previous file.
#include "varnix_io.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <tuple>

namespace {

namespace fs = std::filesystem;

// The program's buffers as they are before a call: 3-character extensions and five colours.
struct Settings {
    std::string data = "abc", config = "xyz";
    std::array<int32_t, 5> colours{1, 2, 3, 4, 5};
    auto tie() const { return std::tie(data, config, colours); }
};

const Settings kProgramSettings{"dat", "cfg", {0, 0xC0C0C0, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0}};

// The fit controls: maxit, max_lambda_iterations, max_simpson_iterations; rmin, lambda,
// lambda_fac, simpson_eps, integration_range. Compared bit for bit, so -0.0 is not 0.0.
struct Controls {
    std::array<int32_t, 3> ints{-1, -1, -1};
    std::array<double, 5> reals{-1, -1, -1, -1, -1};
    auto bits() const { return std::tuple(ints, std::bit_cast<std::array<uint64_t, 5>>(reals)); }
};

const Controls kProgramControls{{51, 21, 21}, {1.0e-4, 0.01, 10.0, 1.0e-4, 3.0}};

// Calls a routine whose last argument is its status, and returns the status.
constexpr auto statusOf = [](auto routine, auto... args) {
    int32_t status = -1;
    routine(args..., &status);
    return status;
};

// NOSTEL or PARVIK with the program's buffers.
template <class Routine, class S>
int32_t settingsFile(Routine routine, const std::string& path, S& s, int32_t count = 5)
{
    return statusOf(routine, s.data.data(), 3, s.config.data(), 3, s.colours.data(), &count,
                    path.data(), static_cast<int32_t>(path.size()));
}

// JUNDRA or KELSOP with the controls in argument order.
template <class Routine, class C>
int32_t fitFile(Routine routine, const std::string& path, C& c)
{
    return statusOf(routine, &c.ints[0], &c.reals[0], &c.reals[1], &c.reals[2], &c.ints[1],
                    &c.reals[3], &c.ints[2], &c.reals[4], path.data(),
                    static_cast<int32_t>(path.size()));
}

struct HandWritten {
    const char* file;
    int32_t nostelStatus, jundraStatus;
    Settings read = {};  // what NOSTEL leaves in the buffers
};

// Each reader takes the whole file or leaves the program's values alone, and refuses the
// other's file.
const HandWritten kFiles[] = {
    {"mixed_notation.dat", 0, 2, {"sx7", "cfg", {0xFF, 0xC0C0C0, 0xFFFFFF, 0xFF00, 0xC0C0C0}}},
    {"empty_extension.dat", 0, 2, {"dat", "   ", kProgramSettings.colours}},
    {"does_not_exist.dat", 1, 1}, {"empty.dat", 2, 2}, {"missing_colour.dat", 2, 2},
    {"repeated_label.dat", 2, 2}, {"unknown_label.dat", 2, 2}, {"negative_colour.dat", 2, 2},
    {"colour_out_of_range.dat", 2, 2}, {"colour_not_a_number.dat", 2, 2},
    {"extension_too_long.dat", 2, 2}, {"extension_with_nul.dat", 2, 2},
    {"fit_defaults.dat", 2, 0},
    {"fit_byte_order_mark.dat", 2, 0}, {"fit_integer_as_real.dat", 2, 2},
    {"fit_integer_too_large.dat", 2, 2}, {"fit_missing_label.dat", 2, 2},
    {"fit_not_finite.dat", 2, 2}, {"fit_value_missing.dat", 2, 2}, {"fit_two_values.dat", 2, 2},
};

class HandWrittenFile : public testing::TestWithParam<HandWritten> {};

TEST_P(HandWrittenFile, ReadsAllOrNothing)
{
    const HandWritten& f = GetParam();
    const std::string path = std::string(VARNIX_TEST_DATA).append("/settings/").append(f.file);
    Settings s;
    Controls c;
    EXPECT_EQ(settingsFile(NOSTEL, path, s), f.nostelStatus);
    EXPECT_EQ(s.tie(), f.read.tie());
    EXPECT_EQ(fitFile(JUNDRA, path, c), f.jundraStatus);
    EXPECT_EQ(c.bits(), (f.jundraStatus == 0 ? kProgramControls : Controls{}).bits());
}

INSTANTIATE_TEST_SUITE_P(Corpus, HandWrittenFile, testing::ValuesIn(kFiles), [](const auto& p) {
    return std::string(p.param.file, std::strchr(p.param.file, '.'));
});

// A fresh folder per test, removed afterwards.
struct ScratchDir {
    std::string made = (fs::temp_directory_path() / "varnix-settings-XXXXXX").string();
    fs::path path = ::mkdtemp(made.data()) != nullptr ? made : throw std::runtime_error(made);
    ~ScratchDir() { fs::remove_all(path); }
    auto entries() const { return std::distance(fs::directory_iterator(path), {}); }
};

TEST(SettingsRoutines, ReadBackWhatWasWrittenAndRefuseWhatCouldNotBe)
{
    const ScratchDir dir;
    const std::string path = (dir.path / "settings.dat").string();
    const auto n = static_cast<int32_t>(path.size());
    Settings s;
    EXPECT_EQ(settingsFile(NOSTEL, path, s, 4), 3);  // the program has five colours
    EXPECT_GT(settingsFile(PARVIK, path, s, 4), 0);
    s.colours[2] = 0x1000000;
    EXPECT_GT(settingsFile(PARVIK, path, s), 0);
    const Controls notFinite{{51, 21, 21}, {1e-4, INFINITY, 10, 1e-4, 3}};
    EXPECT_GT(fitFile(KELSOP, path, notFinite), 0);
    EXPECT_EQ(statusOf(NOSTEL, nullptr, 3, nullptr, -3, nullptr, nullptr, nullptr, 0), 3);
    EXPECT_GT(statusOf(PARVIK, nullptr, 3, nullptr, 3, nullptr, nullptr, path.data(), -1), 0);
    const std::nullptr_t none = nullptr;
    EXPECT_EQ(statusOf(JUNDRA, none, none, none, none, none, none, none, none, path.data(), n), 3);
    EXPECT_GT(statusOf(KELSOP, none, none, none, none, none, none, none, none, path.data(), n), 0);
    EXPECT_EQ(dir.entries(), 0);

    for (const Settings& written : {kProgramSettings,
                                    Settings{"sx7", "sci", {0xFFFFFF, 0, 0xFF, 0xFF00, 0xFF0000}},
                                    Settings{"d  ", "   ", {1, 256, 65536, 0x123456, 7}}}) {
        ASSERT_EQ(settingsFile(PARVIK, path, written), 0);
        Settings read;
        EXPECT_EQ(settingsFile(NOSTEL, path, read), 0);
        EXPECT_EQ(read.tie(), written.tie());
    }
    fs::permissions(path, fs::perms{0640});  // mkstemp makes 0600; a replaced file keeps its own
    const Controls extremes{{INT32_MIN, INT32_MAX, 0},
                            {4.9e-324, -0.0, 1.7976931348623157e308, 0.1 + 0.2, -2.2e-308}};
    for (const Controls& written : {kProgramControls, extremes}) {
        ASSERT_EQ(fitFile(KELSOP, path, written), 0);
        Controls read;
        EXPECT_EQ(fitFile(JUNDRA, path, read), 0);
        EXPECT_EQ(read.bits(), written.bits());
    }
    EXPECT_EQ(fs::status(path).permissions(), fs::perms{0640});
    EXPECT_EQ(dir.entries(), 1);  // no temporary file left
}

}  // namespace
