// The data routines of the program's own layout: TESSOR and KAPRIL on a corpus of tiny files
// named after their edge case, WOLDEK → TESSOR/KAPRIL round trips on both energy scales,
// partial reads into small arrays, and writes that fail without harming the previous file.
#include "varnix_io.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int32_t kWidth = 100;

std::string fixture(const std::string& name)
{
    return std::string(VARNIX_TEST_DATA) + "/dat/" + name;
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
        std::string pattern = (fs::temp_directory_path() / "varnix-data-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("no scratch folder");
        }
        path = pattern;
    }
    ~ScratchDir() { fs::remove_all(path); }
    bool holdsTemporaryFile() const
    {
        return std::any_of(fs::recursive_directory_iterator(path), {}, [](const auto& entry) {
            return entry.path().filename().string().find(".tmp-") != std::string::npos;
        });
    }
};

// Rows of a column-major code table, decoded here rather than by the code under test.
std::vector<std::string> decodeRows(const std::vector<int32_t>& codes, int32_t count,
                                    int32_t rows)
{
    std::vector<std::string> lines(static_cast<std::size_t>(count));
    const auto width = static_cast<int32_t>(codes.size()) / rows;
    for (int32_t r = 0; r < count; ++r) {
        for (int32_t c = 0; c < width && codes[static_cast<std::size_t>(r + c * rows)] != 0; ++c) {
            lines[static_cast<std::size_t>(r)] +=
                static_cast<char>(codes[static_cast<std::size_t>(r + c * rows)]);
        }
    }
    return lines;
}

// Both reader calls as the program makes them: TESSOR, arrays sized from it, KAPRIL.
struct ReadBack {
    int32_t tessorStatus = -1, tessorNp = -1, tessorNh = -1, tessorFlag = -1;
    int32_t status = -1, np = -1, nh = -1, photonFlag = -1, binding = -1;
    double hmu = -1.0;
    std::vector<double> energy, counts;
    std::vector<std::string> header;
};

ReadBack readBoth(const std::string& path)
{
    ReadBack b;
    const auto length = static_cast<int32_t>(path.size());
    TESSOR(path.data(), length, &b.tessorNp, &b.tessorNh, &b.tessorFlag, &b.tessorStatus);
    b.np = b.tessorNp;
    b.nh = b.tessorNh;
    b.photonFlag = b.tessorFlag;
    const int32_t rows = std::max(b.nh, 1);
    const int32_t width = b.nh > 0 ? kWidth : 1;
    b.energy.assign(static_cast<std::size_t>(std::max(b.np, 1)), -1.0);
    b.counts = b.energy;
    std::vector<int32_t> codes(static_cast<std::size_t>(rows * width), -1);
    KAPRIL(&b.np, &rows, &b.nh, &width, b.energy.data(), b.counts.data(), codes.data(),
           path.data(), length, &b.photonFlag, &b.hmu, &b.binding, &b.status);
    b.energy.resize(static_cast<std::size_t>(std::max(b.np, 0)));
    b.counts.resize(b.energy.size());
    b.header = decodeRows(codes, b.nh, rows);
    return b;
}

// ---- the corpus ------------------------------------------------------------------------------

struct FixtureCase {
    const char* file;
    int32_t status, photonFlag, binding;
    double hmu;
    std::vector<double> energy, counts;
    std::vector<std::string> header;
};

void PrintTo(const FixtureCase& c, std::ostream* os)
{
    *os << c.file;
}

const std::string kDigits100 = [] {
    std::string s;
    for (int i = 0; i < 100; ++i) {
        s += static_cast<char>('0' + i % 10);
    }
    return s;
}();

// The long line of long_header_line.dat as the reader keeps it: 100 characters in all.
const std::string kLongHeaderRead = [] {
    std::string line(kDigits100);
    line.insert(0, "; ");
    line.resize(100);
    return line;
}();

const FixtureCase kFixtures[] = {
    {"crlf.dat", 0, 0, 0, 0.0, {100.5, 101, 101.5}, {10, 20, 30}, {"; CRLF line ends"}},
    {"lone_cr.dat", 0, 0, 0, 0.0, {1, 2}, {10, 20}, {"; old Mac line ends"}},
    {"no_final_newline.dat", 0, 0, 0, 0.0, {1, 2, 3}, {10, 20, 30},
     {"; the last point has no line feed"}},
    {"header_only.dat", 1, 0, 0, 0.0, {}, {}, {}},
    {"long_header_line.dat", 0, 0, 0, 0.0, {5}, {50}, {kLongHeaderRead, "; short"}},
    {"header_blanks.dat", 0, 0, 0, 0.0, {1}, {10}, {";", ";  two blanks", ";no blank"}},
    {"comma_separated.dat", 0, 0, 0, 0.0, {1, 2, 3, 4}, {10, 20, 30, 40},
     {"; commas, blanks and a third column"}},
    {"blank_lines_and_tabs.dat", 0, 0, 0, 0.0, {1, 2}, {10, 20}, {"; header after blank lines"}},
    {"four_digit_exponent.dat", 0, 0, 0, 0.0, {10, 200}, {9.399414e-3, -0.01},
     {"; exponents of any length"}},
    {"comment_between_points.dat", 0, 0, 0, 0.0, {1, 2}, {10, 20},
     {"; comments between the points"}},
    {"broken_after_3_points.dat", 2, 0, 0, 0.0, {1, 2, 3}, {10, 20, 30},
     {"; the fourth point is broken"}},
    {"broken_first_point.dat", 2, 0, 0, 0.0, {}, {}, {"; the first point is broken"}},
    {"one_column.dat", 2, 0, 0, 0.0, {}, {}, {"; one column only"}},
    {"nan_count.dat", 2, 0, 0, 0.0, {}, {}, {"; counts not a number"}},
    {"two_signs.dat", 2, 0, 0, 0.0, {1}, {10}, {"; a point with two signs"}},
    {"unknown_keyword.dat", 1, 0, 0, 0.0, {}, {}, {}},
    {"unknown_scale.dat", 1, 0, 0, 0.0, {}, {}, {}},
    // The program drops a last energy of 0 after asking; the reader must deliver it as it is.
    {"last_energy_zero.dat", 0, 1, 1, 1486.6, {2, 1, 0}, {20, 10, 5},
     {"; binding energies, the last one zero"}},
    {"binding_with_photon_energy.dat", 0, 1, 1, 1486.6, {88, 87.5, 87}, {2100, 2900, 3400},
     {"; Au 4f"}},
    // Kinetic energies with a stated photon energy: HMU comes back, the flag stays 0.
    {"kinetic_with_photon_energy.dat", 0, 0, 0, 180.0, {84, 95.9984}, {9616, 3203},
     {"; Au 4f kinetic"}},
    {"binding_without_photon_energy.dat", 0, 0, 1, 0.0, {305, 275}, {2047.5, 1372.5},
     {"; keyword before the header line"}},
};

class DataFixture : public testing::TestWithParam<FixtureCase> {};

TEST_P(DataFixture, TessorAndKaprilReadWhatTheFileSays)
{
    const FixtureCase& c = GetParam();
    const ReadBack b = readBoth(fixture(c.file));
    const auto np = static_cast<int32_t>(c.energy.size());
    EXPECT_EQ(b.tessorStatus, c.status);
    EXPECT_EQ(b.tessorNp, np);
    EXPECT_EQ(b.tessorFlag, c.photonFlag);
    EXPECT_EQ(b.status, c.status);
    EXPECT_EQ(b.np, np);
    EXPECT_EQ(b.energy, c.energy);
    EXPECT_EQ(b.counts, c.counts);
    EXPECT_EQ(b.photonFlag, c.photonFlag);
    if (c.status != 1) {
        EXPECT_EQ(b.tessorNh, static_cast<int32_t>(c.header.size()));
        EXPECT_EQ(b.header, c.header);
        EXPECT_EQ(b.binding, c.binding);
        EXPECT_EQ(b.hmu, c.hmu);
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, DataFixture, testing::ValuesIn(kFixtures),
                         [](const testing::TestParamInfo<FixtureCase>& p) {
                             const std::string name = p.param.file;
                             return name.substr(0, name.find('.'));
                         });

TEST(Kapril, FillsNoMoreThanTheArraysHold)
{
    // long_header_line.dat holds one point and two header lines; ask for one row of 10 cells.
    std::string path = fixture("long_header_line.dat");
    int32_t np = 1, rows = 2, nh = 1, width = 10, flag = 0, binding = 0, status = -1;
    double hmu = 0.0, energy = 0.0, count = 0.0;
    std::vector<int32_t> codes(20, -1);
    KAPRIL(&np, &rows, &nh, &width, &energy, &count, codes.data(), path.data(),
           static_cast<int32_t>(path.size()), &flag, &hmu, &binding, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(nh, 1);
    EXPECT_EQ(decodeRows(codes, 2, rows), (std::vector<std::string>{"; 01234567", ""}));

    // broken_after_3_points.dat holds 3 points and one header line; ask for 2 and none.
    path = fixture("broken_after_3_points.dat");
    np = 2, rows = 1, nh = 0, width = 1;
    std::vector<double> energies(3, -1.0), counts(3, -1.0);
    KAPRIL(&np, &rows, &nh, &width, energies.data(), counts.data(), codes.data(), path.data(),
           static_cast<int32_t>(path.size()), &flag, &hmu, &binding, &status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(np, 2);
    EXPECT_EQ(nh, 0);
    EXPECT_EQ(energies, (std::vector<double>{1, 2, -1}));
    EXPECT_EQ(counts, (std::vector<double>{10, 20, -1}));
    EXPECT_EQ(codes[0], 0);
}

TEST(DataRoutines, ImpossibleArgumentsGiveAStatusNotACrash)
{
    const std::string path = fixture("crlf.dat");
    const auto length = static_cast<int32_t>(path.size());
    int32_t status = 0, np = -1, nh = 0, flag = 0, rows = 1, width = 1, binding = 0, code = 0;
    double hmu = 0.0, value = 0.0;
    TESSOR(path.data(), length, nullptr, &nh, &flag, &status);
    EXPECT_EQ(status, 1);
    TESSOR(path.data(), length, &np, &nh, &flag, nullptr);
    status = 0;
    KAPRIL(&np, &rows, &nh, &width, &value, &value, &code, path.data(), length, &flag, &hmu,
           &binding, &status);
    EXPECT_EQ(status, 1);
    np = 3;
    status = 0;
    KAPRIL(&np, &rows, &nh, &width, nullptr, nullptr, &code, path.data(), length, &flag, &hmu,
           &binding, &status);
    EXPECT_EQ(status, 1);

    // A NaN, no points, a missing array, more header lines than rows, a missing count.
    const double energy[] = {1.0, std::nan("")};
    const int32_t two = 2, one = 1, zero = 0;
    const struct {
        const int32_t* np;
        const double* energy;
        const int32_t* nh;
    } bad[] = {{&two, energy, &zero}, {&zero, energy, &zero}, {&one, nullptr, &zero},
               {&one, energy, &two}, {nullptr, energy, &zero}};
    const ScratchDir dir;
    const std::string target = (dir.path / "bad.dat").string();
    for (const auto& b : bad) {
        status = 0;
        WOLDEK(target.data(), static_cast<int32_t>(target.size()), b.np, b.energy, energy,
               &zero, &hmu, b.nh, &one, &one, &code, &status);
        EXPECT_GT(status, 0);
    }
    EXPECT_FALSE(fs::exists(target));
}

// ---- WOLDEK → TESSOR/KAPRIL ------------------------------------------------------------------

struct RoundTripCase {
    const char* name;
    int32_t binding;
    double hmu;
    std::vector<std::string> header;
};

class DataRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(DataRoundTrip, ReadsBackTheSameSpectrum)
{
    const RoundTripCase& c = GetParam();
    std::mt19937_64 random(20240517);
    std::uniform_real_distribution<double> kinetic(200.0, 1200.0), count(0.0, 1e6);
    const int32_t np = 500;
    std::vector<double> energy(np), counts(np);
    std::generate(energy.begin(), energy.end(), [&] { return kinetic(random); });
    std::generate(counts.begin(), counts.end(), [&] { return count(random); });
    energy[0] = 0.1;  // no short decimal form in binary
    counts[1] = 0.0;
    counts[2] = 1e-300;

    // The header as the program sends it: rows × 100 codes, empty cells as blanks.
    const auto nh = static_cast<int32_t>(c.header.size());
    const int32_t rows = std::max(nh, 1), width = nh > 0 ? kWidth : 1;
    std::vector<int32_t> codes(static_cast<std::size_t>(rows * kWidth), 32);
    for (std::size_t r = 0; r < c.header.size(); ++r) {
        for (std::size_t i = 0; i < c.header[r].size(); ++i) {
            codes[r + i * static_cast<std::size_t>(rows)] = c.header[r][i];
        }
    }
    const ScratchDir dir;
    const std::string path = (dir.path / "spectrum.dat").string();
    int32_t status = -1;
    WOLDEK(path.data(), static_cast<int32_t>(path.size()), &np, energy.data(), counts.data(),
           &c.binding, &c.hmu, &nh, &width, &rows, codes.data(), &status);
    ASSERT_EQ(status, 0);
    EXPECT_FALSE(dir.holdsTemporaryFile());

    const ReadBack b = readBoth(path);
    EXPECT_EQ(b.tessorStatus, 0);
    EXPECT_EQ(b.status, 0);
    ASSERT_EQ(b.np, np);
    EXPECT_EQ(b.header, c.header);
    EXPECT_EQ(b.binding, c.binding);
    EXPECT_EQ(b.photonFlag, c.binding);
    EXPECT_EQ(b.hmu, c.hmu);
    EXPECT_EQ(b.counts, counts);
    // Binding files hold HMU − E; converting back costs one rounding at the size of HMU.
    const double kSubtractionTol = c.hmu * std::numeric_limits<double>::epsilon();
    for (std::size_t i = 0; i < energy.size(); ++i) {
        if (c.binding == 1) {
            EXPECT_EQ(b.energy[i], c.hmu - energy[i]);
            EXPECT_NEAR(c.hmu - b.energy[i], energy[i], kSubtractionTol);
        } else {
            EXPECT_EQ(b.energy[i], energy[i]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Woldek, DataRoundTrip,
    testing::Values(RoundTripCase{"kinetic_no_header", 0, 0.0, {}},
                    RoundTripCase{"kinetic_with_header", 0, 0.0,
                                  {"; Sample A, 300 K", ";  leading blank", ";",
                                   ";no blank", kLongHeaderRead}},
                    RoundTripCase{"binding_no_header", 1, 1486.6, {}},
                    RoundTripCase{"binding_with_header", 1, 1253.6, {"; Mg Ka", ";\tC 1s"}}),
    [](const testing::TestParamInfo<RoundTripCase>& p) { return std::string(p.param.name); });

// ---- failed writes ---------------------------------------------------------------------------

enum class Fault { TargetIsFolder, MissingFolder, UnderProc, ReadOnlyFolder, DiskFull };

class WoldekFault : public testing::TestWithParam<Fault> {};

TEST_P(WoldekFault, LeavesThePreviousFileAndNoTemporary)
{
    const ScratchDir dir;
    const std::string old = "; previous spectrum\n1 10\n";
    fs::path target = dir.path / "old.dat";
    std::ofstream(target) << old;
    switch (GetParam()) {
    case Fault::TargetIsFolder:
        target = dir.path / "folder.dat";
        fs::create_directories(target / "inside");
        break;
    case Fault::MissingFolder: target = dir.path / "missing" / "new.dat"; break;
    case Fault::UnderProc: target = "/proc/varnix-test.dat"; break;
    case Fault::ReadOnlyFolder:
        if (::geteuid() == 0) {
            GTEST_SKIP() << "root writes into read-only folders";
        }
        fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
        break;
    case Fault::DiskFull: break;
    }
    // A file-size limit makes the write fail on the way, as a full disk would, even for root.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (GetParam() == Fault::DiskFull) {
        rlimit small = saved;
        small.rlim_cur = 100;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    const int32_t np = 1000, zero = 0, one = 1, code = 32;
    const double hmu = 0.0;
    const std::vector<double> values(np, 1234.5678);
    const std::string path = target.string();
    int32_t status = 0;
    WOLDEK(path.data(), static_cast<int32_t>(path.size()), &np, values.data(), values.data(),
           &zero, &hmu, &zero, &one, &one, &code, &status);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    fs::permissions(dir.path, fs::perms::owner_all);

    EXPECT_GT(status, 0);
    EXPECT_EQ(contents(dir.path / "old.dat"), old);
    EXPECT_FALSE(dir.holdsTemporaryFile());
    if (GetParam() == Fault::TargetIsFolder) {
        EXPECT_TRUE(fs::is_directory(target / "inside"));
    }
    if (GetParam() == Fault::MissingFolder || GetParam() == Fault::UnderProc) {
        EXPECT_FALSE(fs::exists(target));
    }
}

std::string faultName(const testing::TestParamInfo<Fault>& p)
{
    constexpr const char* kNames[] = {"TargetIsFolder", "MissingFolder", "UnderProc",
                                      "ReadOnlyFolder", "DiskFull"};
    return kNames[static_cast<int>(p.param)];
}

INSTANTIATE_TEST_SUITE_P(Faults, WoldekFault,
                         testing::Values(Fault::TargetIsFolder, Fault::MissingFolder,
                                         Fault::UnderProc, Fault::ReadOnlyFolder,
                                         Fault::DiskFull),
                         faultName);

}  // namespace
