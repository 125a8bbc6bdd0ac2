// The settings routines: NOSTEL and JUNDRA on hand-written files (valid in every accepted
// notation, and broken in the ways a hand edit breaks them), PARVIK → NOSTEL and KELSOP →
// JUNDRA round trips, and writes that fail without harming the previous file.
#include "varnix_io.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;

using Colours = std::array<int32_t, 5>;

constexpr Colours kProgramColours{0, 0xC0C0C0, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0};

std::string fixture(const std::string& name)
{
    return std::string(VARNIX_TEST_DATA) + "/settings/" + name;
}

std::string contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A fresh folder per test, removed afterwards.
struct ScratchDir {
    fs::path path;
    ScratchDir()
    {
        std::string pattern = (fs::temp_directory_path() / "varnix-settings-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("no scratch folder");
        }
        path = pattern;
    }
    ~ScratchDir() { fs::remove_all(path); }
    bool holdsTemporaryFile() const
    {
        return std::any_of(fs::directory_iterator(path), {}, [](const auto& entry) {
            return entry.path().filename().string().find(".tmp-") != std::string::npos;
        });
    }
};

// The program's buffers, as they are before a call: 3-character extensions and five colours.
struct SettingsBuffers {
    std::string data = "abc", config = "xyz";
    Colours colours{1, 2, 3, 4, 5};
};

int32_t nostel(const std::string& path, SettingsBuffers& b)
{
    const int32_t count = 5;
    int32_t status = -1;
    NOSTEL(b.data.data(), 3, b.config.data(), 3, b.colours.data(), &count, path.data(),
           static_cast<int32_t>(path.size()), &status);
    return status;
}

int32_t parvik(const std::string& path, const SettingsBuffers& b, int32_t count = 5)
{
    int32_t status = -1;
    PARVIK(b.data.data(), 3, b.config.data(), 3, b.colours.data(), &count, path.data(),
           static_cast<int32_t>(path.size()), &status);
    return status;
}

// The eight fit controls in argument order.
struct Controls {
    int32_t maxit = -1;
    double rmin = -1, lambda = -1, lambdaFac = -1;
    int32_t maxLambda = -1;
    double eps = -1;
    int32_t maxSimpson = -1;
    double range = -1;
};

// Equal to the last bit, so that -0.0 and a NaN payload would count as changes.
bool sameBits(const Controls& a, const Controls& b)
{
    const auto bits = [](double x) { return std::bit_cast<uint64_t>(x); };
    return a.maxit == b.maxit && bits(a.rmin) == bits(b.rmin) && bits(a.lambda) == bits(b.lambda)
           && bits(a.lambdaFac) == bits(b.lambdaFac) && a.maxLambda == b.maxLambda
           && bits(a.eps) == bits(b.eps) && a.maxSimpson == b.maxSimpson
           && bits(a.range) == bits(b.range);
}

int32_t jundra(const std::string& path, Controls& c)
{
    int32_t status = -1;
    JUNDRA(&c.maxit, &c.rmin, &c.lambda, &c.lambdaFac, &c.maxLambda, &c.eps, &c.maxSimpson,
           &c.range, path.data(), static_cast<int32_t>(path.size()), &status);
    return status;
}

int32_t kelsop(const std::string& path, const Controls& c)
{
    int32_t status = -1;
    KELSOP(&c.maxit, &c.rmin, &c.lambda, &c.lambdaFac, &c.maxLambda, &c.eps, &c.maxSimpson,
           &c.range, path.data(), static_cast<int32_t>(path.size()), &status);
    return status;
}

const Controls kProgramDefaults{51, 1.0e-4, 0.01, 10.0, 21, 1.0e-4, 21, 3.0};

// ---- NOSTEL on hand-written files -------------------------------------------------------------

struct SettingsFile {
    const char* file;
    int32_t status;
    const char* data;
    const char* config;
    Colours colours;
};

const SettingsBuffers kUntouched;

const SettingsFile kSettingsFiles[] = {
    {"mixed_notation.dat", 0, "sx7", "cfg", {0x0000FF, 0xC0C0C0, 0xFFFFFF, 0x00FF00, 0xC0C0C0}},
    {"empty_extension.dat", 0, "dat", "   ", kProgramColours},
    {"does_not_exist.dat", 1, "abc", "xyz", kUntouched.colours},
    {"empty.dat", 2, "abc", "xyz", kUntouched.colours},
    {"missing_colour.dat", 2, "abc", "xyz", kUntouched.colours},
    {"repeated_label.dat", 2, "abc", "xyz", kUntouched.colours},
    {"unknown_label.dat", 2, "abc", "xyz", kUntouched.colours},
    {"colour_out_of_range.dat", 2, "abc", "xyz", kUntouched.colours},
    {"negative_colour.dat", 2, "abc", "xyz", kUntouched.colours},
    {"colour_not_a_number.dat", 2, "abc", "xyz", kUntouched.colours},
    {"extension_too_long.dat", 2, "abc", "xyz", kUntouched.colours},
};

class NostelFile : public testing::TestWithParam<SettingsFile> {};

TEST_P(NostelFile, ReadsAllOrLeavesTheDefaults)
{
    const SettingsFile& f = GetParam();
    SettingsBuffers b;
    EXPECT_EQ(nostel(fixture(f.file), b), f.status);
    EXPECT_EQ(b.data, f.data);
    EXPECT_EQ(b.config, f.config);
    EXPECT_EQ(b.colours, f.colours);
}

std::string caseName(const char* file)
{
    const std::string name = file;
    return name.substr(0, name.find('.'));
}

INSTANTIATE_TEST_SUITE_P(HandWritten, NostelFile, testing::ValuesIn(kSettingsFiles),
                         [](const testing::TestParamInfo<SettingsFile>& p) {
                             return caseName(p.param.file);
                         });

// ---- JUNDRA on hand-written files -------------------------------------------------------------

struct FitFile {
    const char* file;
    int32_t status;
};

class JundraFile : public testing::TestWithParam<FitFile> {};

TEST_P(JundraFile, ReadsAllOrNothing)
{
    const FitFile& f = GetParam();
    Controls c;
    EXPECT_EQ(jundra(fixture(f.file), c), f.status);
    EXPECT_TRUE(sameBits(c, f.status == 0 ? kProgramDefaults : Controls{}));
}

INSTANTIATE_TEST_SUITE_P(HandWritten, JundraFile,
                         testing::Values(FitFile{"fit_defaults.dat", 0},
                                         FitFile{"fit_byte_order_mark.dat", 0},
                                         FitFile{"does_not_exist.dat", 1},
                                         FitFile{"fit_integer_as_real.dat", 2},
                                         FitFile{"fit_integer_too_large.dat", 2},
                                         FitFile{"fit_missing_label.dat", 2},
                                         FitFile{"fit_not_finite.dat", 2},
                                         FitFile{"fit_value_missing.dat", 2},
                                         FitFile{"fit_two_values.dat", 2},
                                         FitFile{"empty.dat", 2}),
                         [](const testing::TestParamInfo<FitFile>& p) {
                             return caseName(p.param.file);
                         });

// ---- round trips ------------------------------------------------------------------------------

struct SettingsCase {
    const char* name;
    SettingsBuffers values;
};

class ParvikRoundTrip : public testing::TestWithParam<SettingsCase> {};

TEST_P(ParvikRoundTrip, NostelReadsBackWhatWasWritten)
{
    const ScratchDir dir;
    const std::string path = (dir.path / "fini.dat").string();
    ASSERT_EQ(parvik(path, GetParam().values), 0);
    SettingsBuffers b;
    EXPECT_EQ(nostel(path, b), 0);
    EXPECT_EQ(b.data, GetParam().values.data);
    EXPECT_EQ(b.config, GetParam().values.config);
    EXPECT_EQ(b.colours, GetParam().values.colours);
    EXPECT_FALSE(dir.holdsTemporaryFile());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ParvikRoundTrip,
    testing::Values(SettingsCase{"program_defaults", {"dat", "cfg", kProgramColours}},
                    SettingsCase{"extreme_colours",
                                 {"sx7", "sci", {0xFFFFFF, 0, 0x0000FF, 0x00FF00, 0xFF0000}}},
                    SettingsCase{"short_and_blank_extensions",
                                 {"d  ", "   ", {1, 256, 65536, 0x123456, 7}}}),
    [](const testing::TestParamInfo<SettingsCase>& p) { return std::string(p.param.name); });

struct ControlsCase {
    const char* name;
    Controls values;
};

class KelsopRoundTrip : public testing::TestWithParam<ControlsCase> {};

TEST_P(KelsopRoundTrip, JundraReadsBackEveryBit)
{
    const ScratchDir dir;
    const std::string path = (dir.path / "FitFile.dat").string();
    ASSERT_EQ(kelsop(path, GetParam().values), 0);
    Controls c;
    EXPECT_EQ(jundra(path, c), 0);
    EXPECT_TRUE(sameBits(c, GetParam().values));
}

Controls randomControls()
{
    std::mt19937_64 random(7);
    const auto any = [&] {
        double x = 0.0;
        do {
            x = std::bit_cast<double>(random());
        } while (!std::isfinite(x));
        return x;
    };
    const auto anyInt = [&] { return static_cast<int32_t>(random()); };
    return {anyInt(), any(), any(), any(), anyInt(), any(), anyInt(), any()};
}

constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    FitControls, KelsopRoundTrip,
    testing::Values(ControlsCase{"program_defaults", kProgramDefaults},
                    ControlsCase{"extremes",
                                 {kIntMin, 4.9e-324, -0.0, 1.7976931348623157e308, kIntMax,
                                  0.1 + 0.2, 0, -2.2250738585072014e-308}},
                    ControlsCase{"random_bits", randomControls()}),
    [](const testing::TestParamInfo<ControlsCase>& p) { return std::string(p.param.name); });

// ---- writers that refuse or fail --------------------------------------------------------------

TEST(SettingsWriters, RefuseValuesTheReadersWouldReject)
{
    const ScratchDir dir;
    const std::string path = (dir.path / "refused.dat").string();
    SettingsBuffers outOfRange;
    outOfRange.colours[2] = 0x1000000;
    EXPECT_GT(parvik(path, outOfRange), 0);
    EXPECT_GT(parvik(path, SettingsBuffers{}, 4), 0);
    Controls notFinite = kProgramDefaults;
    notFinite.lambda = std::numeric_limits<double>::infinity();
    EXPECT_GT(kelsop(path, notFinite), 0);
    int32_t status = 0;
    KELSOP(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, path.data(),
           static_cast<int32_t>(path.size()), &status);
    EXPECT_GT(status, 0);
    PARVIK(nullptr, 3, nullptr, 3, nullptr, nullptr, path.data(), -1, &status);
    EXPECT_GT(status, 0);
    NOSTEL(nullptr, 3, nullptr, -3, nullptr, nullptr, nullptr, 0, &status);
    EXPECT_GT(status, 0);
    JUNDRA(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
           &status);
    EXPECT_GT(status, 0);
    EXPECT_FALSE(fs::exists(path));
}

enum class Writer { Parvik, Kelsop };
enum class Fault { TargetIsFolder, DiskFull };

class SettingsWriterFault : public testing::TestWithParam<std::tuple<Writer, Fault>> {};

TEST_P(SettingsWriterFault, LeavesThePreviousFileAndNoTemporary)
{
    const auto [writer, fault] = GetParam();
    const ScratchDir dir;
    const fs::path old = dir.path / "old.dat";
    const std::string oldText = "previous contents\n";
    std::ofstream(old) << oldText;
    fs::path target = old;
    if (fault == Fault::TargetIsFolder) {
        target = dir.path / "folder";
        fs::create_directories(target / "inside");
    }
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (fault == Fault::DiskFull) {
        rlimit small = saved;
        small.rlim_cur = 10;  // smaller than either file, as a full disk would leave it
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    const int32_t status = writer == Writer::Parvik ? parvik(target.string(), SettingsBuffers{})
                                                    : kelsop(target.string(), kProgramDefaults);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_GT(status, 0);
    EXPECT_EQ(contents(old), oldText);
    if (fault == Fault::TargetIsFolder) {
        EXPECT_TRUE(fs::is_directory(target / "inside"));
    }
    EXPECT_FALSE(dir.holdsTemporaryFile());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SettingsWriterFault,
    testing::Combine(testing::Values(Writer::Parvik, Writer::Kelsop),
                     testing::Values(Fault::TargetIsFolder, Fault::DiskFull)),
    [](const testing::TestParamInfo<std::tuple<Writer, Fault>>& p) {
        return std::string(std::get<0>(p.param) == Writer::Parvik ? "Parvik" : "Kelsop")
               + (std::get<1>(p.param) == Fault::DiskFull ? "DiskFull" : "TargetIsFolder");
    });

}  // namespace
