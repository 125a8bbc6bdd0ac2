// The program's own .dat layout: TESSOR and KAPRIL on tiny files named after their edge case,
// partial reads, WOLDEK → TESSOR/KAPRIL round trips and WOLDEK calls that must fail harmlessly.
#include "header_codes.h"
#include "varnix_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using varnix::io::headerFromCodes;

int32_t length(const std::string& path)
{
    return static_cast<int32_t>(path.size());
}

// A fresh folder per test, removed afterwards.
struct ScratchDir {
    std::string made = (fs::temp_directory_path() / "varnix-data-XXXXXX").string();
    fs::path path = ::mkdtemp(made.data()) != nullptr ? made : throw std::runtime_error(made);
    ~ScratchDir() { fs::remove_all(path); }
    auto entries() const { return std::distance(fs::directory_iterator(path), {}); }
};

// Both reader calls as the program makes them: TESSOR, arrays sized from it, KAPRIL, which
// must then agree with TESSOR.
struct ReadBack {
    int32_t status = -1, np = -1, nh = -1, photonFlag = -1, binding = -1;
    double hmu = -1.0;
    std::vector<double> energy, counts;
    Lines header;

    explicit ReadBack(const std::string& path)
    {
        int32_t tessorStatus = -1;
        TESSOR(path.data(), length(path), &np, &nh, &photonFlag, &tessorStatus);
        const auto tessor = std::tuple(tessorStatus, np, nh, photonFlag);
        const int32_t rows = std::max(nh, 1), width = nh > 0 ? 100 : 1;
        energy.assign(static_cast<std::size_t>(std::max(np, 1)), -1.0);
        counts = energy;
        std::vector<int32_t> codes(static_cast<std::size_t>(rows * width), -1);
        KAPRIL(&np, &rows, &nh, &width, energy.data(), counts.data(), codes.data(), path.data(),
               length(path), &photonFlag, &hmu, &binding, &status);
        EXPECT_EQ(std::tuple(status, np, nh, photonFlag), tessor) << path;
        energy.resize(static_cast<std::size_t>(std::max(np, 0)));
        counts.resize(energy.size());
        header = headerFromCodes(codes.data(), nh, rows, width);
    }
};

// The long line of long_header_line.dat as the reader keeps it, cut to 100 characters.
const std::string kLongHeaderRead = std::string("; 0123456789012345678901234567890123456789")
                                        .append("01234567890123456789012345678901234567890")
                                        .append("12345678901234567");

struct FixtureCase {
    const char* file;
    int32_t status;
    std::vector<double> energy = {}, counts = {};
    Lines header = {};
    int32_t photonFlag = 0, binding = 0;
    double hmu = 0.0;
};

const FixtureCase kFixtures[] = {
    {"crlf.dat", 0, {100.5, 101, 101.5}, {10, 20, 30}, {"; CRLF line ends"}},
    {"lone_cr.dat", 0, {1, 2}, {10, 20}, {"; old Mac line ends"}},
    {"no_final_newline.dat", 0, {1, 2, 3}, {10, 20, 30}, {"; the last point has no line feed"}},
    {"long_header_line.dat", 0, {5}, {50}, {kLongHeaderRead, "; short"}},
    {"header_blanks.dat", 0, {1}, {10}, {";", ";  two blanks", ";no blank"}},
    {"comma_separated.dat", 0, {1, 2, 3, 4}, {10, 20, 30, 40},
     {"; commas, blanks and a third column"}},
    {"blank_lines_and_tabs.dat", 0, {1, 2}, {10, 20}, {"; header after blank lines"}},
    {"four_digit_exponent.dat", 0, {10, 200}, {9.399414e-3, -0.01}, {"; exponents of any length"}},
    {"comment_between_points.dat", 0, {1, 2}, {10, 20}, {"; comments between the points"}},
    {"broken_after_3_points.dat", 2, {1, 2, 3}, {10, 20, 30}, {"; the fourth point is broken"}},
    {"broken_first_point.dat", 2, {}, {}, {"; the first point is broken"}},
    {"one_column.dat", 2, {}, {}, {"; one column only"}},
    {"nan_count.dat", 2, {}, {}, {"; counts not a number"}},
    {"two_signs.dat", 2, {1}, {10}, {"; a point with two signs"}},
    {"header_line_keyword.dat", 0, {1}, {10},
     {"Read as VAMAS, block 1 of 1", "; own line", "tab-separated, upper case", "",
      "  three blanks, one taken"}},
    {"header_only.dat", 1}, {"unknown_keyword.dat", 1}, {"unknown_scale.dat", 1},
    // A last energy of 0 is delivered as it is; the program decides what it means.
    {"survey_ending_at_zero.dat", 0, {2, 1, 0}, {20, 10, 5},
     {"; binding energies down to 0 eV, with counts there: a real point"},
     1, 1, 1486.6},
    {"binding_with_photon_energy.dat", 0, {88, 87.5, 87}, {2100, 2900, 3400}, {"; Au 4f"}, 1, 1,
     1486.6},
    // Kinetic energies with a stated photon energy: HMU comes back, the flag stays 0.
    {"kinetic_with_photon_energy.dat", 0, {84, 95.9984}, {9616, 3203}, {"; Au 4f kinetic"}, 0, 0,
     180.0},
    {"binding_without_photon_energy.dat", 0, {305, 275}, {2047.5, 1372.5},
     {"; keyword before the header line"}, 0, 1},
};

class DataFixture : public testing::TestWithParam<FixtureCase> {};

TEST_P(DataFixture, TessorAndKaprilReadWhatTheFileSays)
{
    const FixtureCase& c = GetParam();
    const ReadBack b(std::string(VARNIX_TEST_DATA).append("/dat/").append(c.file));
    EXPECT_EQ(std::tie(b.status, b.photonFlag, b.binding, b.hmu, b.energy, b.counts, b.header),
              std::tie(c.status, c.photonFlag, c.binding, c.hmu, c.energy, c.counts, c.header));
}

INSTANTIATE_TEST_SUITE_P(Corpus, DataFixture, testing::ValuesIn(kFixtures), [](const auto& p) {
    return std::string(p.param.file, std::strchr(p.param.file, '.'));
});

// A region as the program names it, "<file>#<n>", through both routines: the spectrum of that
// region, or "no spectrum" (status 1, no header) past the last one; a file whose own name ends in
// "#2" is read as it stands. Energies read off the files (tests/data/real/PROVENANCE.md).
TEST(DataRegions, TessorAndKaprilReadTheRegionNamed)
{
    const std::string data = std::string(VARNIX_TEST_DATA).append("/");
    const ScratchDir dir;
    fs::copy_file(data + "dat/binding_with_photon_energy.dat", dir.path / "spec#2");
    fs::copy_file(data + "dat/crlf.dat", dir.path / "spec");
    const std::string spec = (dir.path / "spec").string();
    struct Case {
        std::string name;
        int32_t status;
        std::vector<double> ends;  // first and last energy
        std::string firstHeaderLine;
    };
    const std::vector<Case> cases = {
        {data + "real/LG4X_0-150W.vms#5", 0, {1436.69, 1461.69}, "Read as VAMAS, block 5 of 5"},
        {data + "real/LG4X_Mutlipak_vms.npl#3", 0, {180, 155}, "Read as VAMAS, block 3 of 5"},
        {data + "real/LG4X_0-150W.vms#6", 1, {}, ""},
        {spec + "#2", 0, {88, 87}, "; Au 4f"},
        {spec + "#1", 0, {100.5, 101.5}, "; CRLF line ends"},
    };
    for (const Case& c : cases) {
        const ReadBack b(c.name);
        EXPECT_EQ(b.status, c.status) << c.name;
        ASSERT_EQ(b.energy.empty(), c.ends.empty()) << c.name;
        if (!c.ends.empty()) {
            EXPECT_NEAR(b.energy.front(), c.ends.front(), 1e-9) << c.name;
            EXPECT_NEAR(b.energy.back(), c.ends.back(), 1e-9) << c.name;
        }
        EXPECT_EQ(b.header.empty() ? "" : b.header.front(), c.firstHeaderLine) << c.name;
    }
}

TEST(Kapril, FillsNoMoreThanTheArraysHoldAndRefusesImpossibleOnes)
{
    // Three points and two header lines; ask for two points and one line of three cells.
    const ScratchDir dir;
    const std::string path = (dir.path / "small.dat").string();
    std::ofstream(path) << "; one\n; two\n1 10\n2 20\n3 30\n";
    int32_t np = 2, rows = 2, nh = 1, width = 3, flag = -1, binding = -1, status = -1;
    double hmu = -1.0;
    std::vector<double> energies(3, -1.0), counts(3, -1.0);
    std::vector<int32_t> codes(6, -1);
    const auto kapril = [&](double* energy) {
        KAPRIL(&np, &rows, &nh, &width, energy, counts.data(), codes.data(), path.data(),
               length(path), &flag, &hmu, &binding, &status);
        return status;
    };
    EXPECT_EQ(kapril(energies.data()), 0);
    EXPECT_EQ(std::tuple(np, nh, flag, binding, hmu), std::tuple(2, 1, 0, 0, 0.0));
    EXPECT_EQ(headerFromCodes(codes.data(), 2, rows, width), (Lines{"; o", ""}));
    EXPECT_EQ(energies, (std::vector<double>{1, 2, -1}));
    EXPECT_EQ(counts, (std::vector<double>{10, 20, -1}));
    np = -1;
    EXPECT_EQ(kapril(energies.data()), 1);
    np = 3;
    EXPECT_EQ(kapril(nullptr), 1);
    TESSOR(path.data(), length(path), nullptr, &nh, &flag, &status);
    EXPECT_EQ(status, 1);
    TESSOR(path.data(), length(path), &np, &nh, &flag, nullptr);  // no status: no crash
}

TEST(Woldek, TessorAndKaprilReadBackTheSameSpectrum)
{
    std::mt19937_64 random(20240517);
    std::uniform_real_distribution<double> kinetic(200.0, 1200.0), count(0.0, 1e6);
    std::vector<double> energy{0.1}, counts{0.0, 1e-300};  // 0.1 has no short binary form
    std::generate_n(std::back_inserter(energy), 500, [&] { return kinetic(random); });
    std::generate_n(std::back_inserter(counts), 499, [&] { return count(random); });
    const auto np = static_cast<int32_t>(energy.size());
    // Lines the program holds: its own, beginning with ";", and ones from other formats, at
    // the full width too, or looking like keywords or points.
    const Lines header{"; Sample A", ";  leading blank", ";", ";\tC 1s", kLongHeaderRead,
                       std::string(99, 'f') + "z", "", "  leading blanks", "; tab at end\t",
                       "header_line as text", "energy_scale kinetic", "1 2",
                       "Read as VAMAS, block 1 of 1"};
    const ScratchDir dir;
    const std::string path = (dir.path / "spectrum.dat").string();
    for (const auto& [binding, hmu] : {std::pair(0, 0.0), std::pair(1, 1486.6)}) {
        for (const Lines& lines : {Lines{}, header}) {
            SCOPED_TRACE(testing::Message() << "binding " << binding << ", " << lines.size());
            // The header as the program sends it: rows × 100 codes, empty cells as blanks.
            const auto nh = static_cast<int32_t>(lines.size());
            const int32_t rows = std::max(nh, 1), width = nh > 0 ? 100 : 1;
            std::vector<int32_t> codes(static_cast<std::size_t>(rows * 100));
            varnix::io::headerToCodes(lines, rows, 100, codes.data());
            std::replace(codes.begin(), codes.end(), 0, int32_t{' '});
            int32_t status = -1;
            WOLDEK(path.data(), length(path), &np, energy.data(), counts.data(), &binding, &hmu,
                   &nh, &width, &rows, codes.data(), &status);
            ASSERT_EQ(status, 0);
            EXPECT_EQ(dir.entries(), 1);  // no temporary file left
            const ReadBack b(path);
            EXPECT_EQ(std::tie(b.status, b.binding, b.photonFlag, b.hmu, b.header, b.counts),
                      std::tie(status, binding, binding, hmu, lines, counts));
            ASSERT_EQ(b.energy.size(), energy.size());
            // Binding files hold HMU − E; converting back costs one rounding at the size of HMU.
            const double kSubtractionTol = hmu * std::numeric_limits<double>::epsilon();
            for (std::size_t i = 0; i < energy.size(); ++i) {
                EXPECT_NEAR(binding == 1 ? hmu - b.energy[i] : b.energy[i], energy[i],
                            kSubtractionTol);
            }
        }
    }
}

// WOLDEK arguments it must refuse; np < 0 passes no count. Where a write can fail is tested
// for every writer in test_writers.cpp.
struct FailedWrite {
    const char* name;
    int32_t np = 1000, nh = 0;
    double energy = 1234.5678;
    bool arrays = true;
};

class WoldekRefuses : public testing::TestWithParam<FailedWrite> {};

TEST_P(WoldekRefuses, LeavingThePreviousFileAsItWas)
{
    const FailedWrite& w = GetParam();
    const ScratchDir dir;
    const std::string oldText = "; previous spectrum\n1 10\n";
    const std::string path = (dir.path / "old.dat").string();
    std::ofstream(path) << oldText;
    const std::vector<double> values(1000, w.energy);
    const int32_t zero = 0, one = 1, code = ' ';
    const double hmu = 0.0;
    int32_t status = 0;
    WOLDEK(path.data(), length(path), w.np < 0 ? nullptr : &w.np,
           w.arrays ? values.data() : nullptr, values.data(), &zero, &hmu, &w.nh, &one, &one,
           &code, &status);
    EXPECT_EQ(status, 4);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), oldText);
    EXPECT_EQ(dir.entries(), 1);  // no temporary file left
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, WoldekRefuses,
    testing::Values(FailedWrite{.name = "NotANumber", .energy = std::nan("")},
                    FailedWrite{.name = "Infinite", .energy = -HUGE_VAL},
                    FailedWrite{.name = "NoPoints", .np = 0},
                    FailedWrite{.name = "NoCount", .np = -1},
                    FailedWrite{.name = "NoArray", .arrays = false},
                    FailedWrite{.name = "MoreHeaderLinesThanRows", .nh = 2}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
