// The calculated spectra (HALMOR) and the three text reports (MIRDAX, LURVEN, QUENDAL): read
// back with a few lines of independent parsing, and written where they cannot go.
#include "varnix_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kCorrelationTol = 5.0001e-5;  // four decimals
constexpr double kPercentTol = 5.0001e-4;  // three decimals

struct TempFolder {
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "varnix-out-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(path); }
    fs::path path;
};

std::string contents(const fs::path& file)
{
    std::ostringstream bytes;
    bytes << std::ifstream(file, std::ios::binary).rdbuf();
    return bytes.str();
}

std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        entries[entry.path().string()] = entry.is_directory() ? "<folder>" : contents(entry);
    }
    return entries;
}

// Each line of a file as its blank-separated words.
std::vector<std::vector<std::string>> words(const fs::path& file)
{
    std::istringstream in(contents(file));
    std::vector<std::vector<std::string>> lines;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        lines.emplace_back(std::istream_iterator<std::string>(fields),
                           std::istream_iterator<std::string>());
    }
    return lines;
}

std::vector<std::string> rowOf(const fs::path& file, const std::string& first)
{
    for (auto& line : words(file)) {
        if (!line.empty() && line[0] == first) {
            return line;
        }
    }
    return {};
}

double number(const std::string& text)
{
    return std::strtod(text.c_str(), nullptr);
}

struct SpectraCase {
    const char* name;
    int32_t np, ncomp, kind, residualScale;
};

struct Spectra {
    explicit Spectra(const SpectraCase& c)
    {
        for (int32_t i = 0; i < c.np; ++i) {
            energy.push_back(1200.0 + 0.1 * i);  // 0.1 steps are never exact
            counts.push_back(std::nextafter(1000.0 / (1.0 + i), 0.0));
            calculated.push_back(counts.back() * (1.0 + 1e-3 / 3.0));
            residuals.push_back((counts.back() - calculated.back()) * c.residualScale);
            for (int32_t j = 0; j < c.ncomp; ++j) {
                components.push_back(std::ldexp(1.0 / 7.0, (i + 7 * j) % 40 - 20));
            }
        }
    }
    void write(const SpectraCase& c, const fs::path& file) const
    {
        const std::string name = file.string();
        HALMOR(&c.np, &c.ncomp, energy.data(), counts.data(), calculated.data(), components.data(),
               &c.residualScale, residuals.data(), name.data(), static_cast<int32_t>(name.size()),
               &c.kind);
    }
    std::vector<double> energy, counts, calculated, components, residuals;
};

class CalculatedSpectraFile : public ::testing::TestWithParam<SpectraCase> {};

TEST_P(CalculatedSpectraFile, ColumnsReadBackExactly)
{
    const SpectraCase& c = GetParam();
    const TempFolder folder;
    const Spectra in(c);
    in.write(c, folder.path / "out.cal");

    std::vector<std::string> names = {"Energy", "Calculated"};
    for (int32_t j = 1; j <= c.ncomp; ++j) {
        names.push_back("Component" + std::to_string(j));
    }
    if (c.kind == 1) {
        names.insert(names.end(), {"Counts", "Residual_x" + std::to_string(c.residualScale)});
    }
    const auto lines = words(folder.path / "out.cal");
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(c.np) + 1);
    EXPECT_EQ(lines[0], names);
    const auto n = static_cast<std::size_t>(c.np);
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<double> expected = {in.energy[i], in.calculated[i]};
        for (std::size_t j = 0; j < static_cast<std::size_t>(c.ncomp); ++j) {
            expected.push_back(in.components[j * n + i]);  // column by column
        }
        if (c.kind == 1) {
            expected.insert(expected.end(), {in.counts[i], in.residuals[i]});
        }
        ASSERT_EQ(lines[i + 1].size(), expected.size());
        for (std::size_t k = 0; k < expected.size(); ++k) {
            EXPECT_EQ(std::bit_cast<uint64_t>(number(lines[i + 1][k])),
                      std::bit_cast<uint64_t>(expected[k]))
                << "point " << i << ": " << lines[i + 1][k];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, CalculatedSpectraFile,
                         ::testing::Values(SpectraCase{"CalOnePoint", 1, 1, 0, 0},
                                           SpectraCase{"CalSixComponents", 60, 6, 0, 0},
                                           SpectraCase{"CalNoPoints", 0, 2, 0, 0},
                                           SpectraCase{"CexResidualsTimesFive", 40, 3, 1, 5},
                                           SpectraCase{"CexNoComponents", 10, 0, 1, 1},
                                           SpectraCase{"CexResidualsOff", 10, 2, 1, 0}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// Two peaks: Pos2 = Pos1 + 1.5, Height2 = 0.5 × Height1, LFWHM1 fixed, Alpha2 follows the
// fixed Alpha1 (state 2 with a partner); a linear background.
struct Model {
    int32_t nds = 2, nbg = 2, count = 10;
    std::vector<double> p = {284.5, 1000, 0.2, 0.05, 0.8, 286.0, 500, 0.3, 0.05, 0.9};
    std::array<double, 3> a = {12.5, -0.01, 0};
    std::vector<int32_t> state = {0, 0, 2, 2, 0, 1, 1, 0, 2, 0};
    std::vector<int32_t> partner = {1, 2, 3, 4, 5, 1, 2, 8, 4, 10};
    std::vector<double> value = {1, 1, 1, 1, 1, 1.5, 0.5, 1, 1, 1};
    std::vector<int32_t> kind = {0, 0, 0, 0, 0, 2, 1, 0, 1, 0};
    std::vector<int32_t> varied = {0, 0, 2, 2, 0, 1, 1, 0, 2, 0, 0, 0};  // over NPAR
};

const std::vector<std::string> kFreeNames = {"Pos1",   "Height1", "GFWHM1", "LFWHM2",
                                             "GFWHM2", "a0",      "a1"};
const std::string kDate = "21.03.2025";
const std::string kTime = "14:02:11";
const std::string kData = "/data/c1s.dat";

int32_t writeConfigReport(const Model& m, const fs::path& file)
{
    const std::string name = file.string();
    const std::string config = "/data/c1s.cfg";
    int32_t status = -1;
    MIRDAX(&m.count, &m.nds, &m.nbg, m.p.data(), m.a.data(), m.state.data(), m.partner.data(),
           m.value.data(), m.kind.data(), name.data(), static_cast<int32_t>(name.size()),
           config.data(), static_cast<int32_t>(config.size()), kDate.data(), 10, kTime.data(), 8,
           &status);
    return status;
}

int32_t writeResultsReport(const Model& m, const std::vector<double>& areas, const fs::path& file,
                           int32_t npar = 12)
{
    const std::string name = file.string();
    const double hmu = 1486.6;
    const double r = 1.0 / 3.0;
    std::vector<double> parameters = m.p;
    parameters.insert(parameters.end(), m.a.begin(), m.a.begin() + m.nbg);
    const std::vector<double> widths(areas.size(), 1.25);
    int32_t status = -1;
    LURVEN(&hmu, &r, parameters.data(), areas.data(), widths.data(), m.varied.data(), &npar, &m.nds,
           &m.nbg, name.data(), static_cast<int32_t>(name.size()), kData.data(),
           static_cast<int32_t>(kData.size()), kDate.data(), 10, kTime.data(), 8, &status);
    return status;
}

std::vector<double> correlationMatrix(std::size_t n)
{
    std::vector<double> c(n * n);
    for (std::size_t k = 0; k < n * n; ++k) {
        c[k] = k % (n + 1) == 0 ? 1.0 : -1.0 / static_cast<double>(2 + k);
    }
    c[n + 3] = kNaN;  // undefined, as the program passes it
    return c;
}

int32_t writeCorrelationReport(const Model& m, int32_t nfree, const fs::path& file)
{
    const std::string name = file.string();
    const std::vector<double> c = correlationMatrix(7);
    int32_t status = -1;
    QUENDAL(&nfree, c.data(), &m.count, &m.nbg, m.varied.data(), name.data(),
            static_cast<int32_t>(name.size()), kData.data(), static_cast<int32_t>(kData.size()),
            kDate.data(), 10, kTime.data(), 8, &status);
    return status;
}

// One line of a report, found by its first word; no expected words means no such line.
struct RowCase {
    const char* report;  // "config" (MIRDAX) or "results" (LURVEN)
    std::vector<std::string> words;
};

class ReportRow : public ::testing::TestWithParam<RowCase> {};

TEST_P(ReportRow, ReadsAsThePassedValues)
{
    const TempFolder folder;
    const fs::path file = folder.path / GetParam().report;
    ASSERT_EQ(GetParam().report == std::string("config")
                  ? writeConfigReport(Model(), file)
                  : writeResultsReport(Model(), {3, 1}, file),
              0);
    const auto& expected = GetParam().words;
    EXPECT_EQ(rowOf(file, expected[0]),
              expected.size() > 1 ? expected : std::vector<std::string>());
}

INSTANTIATE_TEST_SUITE_P(
    ConfigurationAndResults, ReportRow,
    ::testing::Values(
        RowCase{"config", {"Configuration", "file", ":", "/data/c1s.cfg"}},
        RowCase{"config", {"Date", ":", kDate}}, RowCase{"config", {"Time", ":", kTime}},
        RowCase{"config", {"Pos1", "284.500000", "varied"}},
        RowCase{"config", {"LFWHM1", "0.200000", "fixed"}},
        RowCase{"config", {"Pos2", "286.000000", "correlated", "Pos1", "+", "1.5"}},
        RowCase{"config", {"Height2", "500.000000", "correlated", "Height1", "x", "0.5"}},
        RowCase{"config", {"Alpha2", "0.050000", "fixed", "Alpha1", "x", "1"}},
        RowCase{"config", {"a1", "-0.010000", "varied"}},
        RowCase{"config", {"a2"}},  // not part of a linear background
        RowCase{"results", {"Data", "file", ":", kData}},
        RowCase{"results", {"Photon", "energy", "HMU", "(eV)", ":", "1486.600000"}},
        RowCase{"results", {"R", "of", "the", "last", "fit", ":", "0.333333"}},
        RowCase{"results", {"Pos1", "284.500000", "varied"}},
        RowCase{"results", {"Height2", "500.000000", "correlated"}},
        RowCase{"results", {"Alpha2", "0.050000", "fixed"}},
        RowCase{"results", {"a1", "-0.010000", "varied"}},
        RowCase{"results", {"2", "286.000000", "1200.600000", "1.250000", "1.000000", "25.000"}}),
    [](const auto& testCase) {
        std::string name = testCase.param.report + std::string("_") + testCase.param.words[0];
        std::erase_if(
            name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)) && c != '_'; });
        return name + "_" + std::to_string(testCase.index);
    });

struct AreaCase {
    const char* name;
    std::vector<double> areas;
    bool shares;  // whether the areas have a meaningful (positive, finite) total
};

class AreaPercentages : public ::testing::TestWithParam<AreaCase> {};

TEST_P(AreaPercentages, SumToAHundredOrShowADash)
{
    const TempFolder folder;
    const std::vector<double>& areas = GetParam().areas;
    Model m;
    m.nds = static_cast<int32_t>(areas.size());
    m.count = 5 * m.nds;
    m.p.resize(static_cast<std::size_t>(m.count), 1.0);
    m.varied.assign(static_cast<std::size_t>(m.count + m.nbg), 0);
    ASSERT_EQ(writeResultsReport(m, areas, folder.path / "r.txt", m.count + m.nbg), 0);

    double total = 0.0;
    for (double area : areas) {
        total += area;
    }
    double sum = 0.0;
    for (std::size_t peak = 0; peak < areas.size(); ++peak) {
        const auto row = rowOf(folder.path / "r.txt", std::to_string(peak + 1));
        ASSERT_FALSE(row.empty());
        if (GetParam().shares) {
            EXPECT_NEAR(number(row.back()), 100.0 * areas[peak] / total, kPercentTol);
            sum += number(row.back());
        } else {
            EXPECT_EQ(row.back(), "-");
        }
    }
    EXPECT_EQ(rowOf(folder.path / "r.txt", "Total").back(), GetParam().shares ? "100.000" : "-");
    if (GetParam().shares) {
        EXPECT_NEAR(sum, 100.0, kPercentTol * static_cast<double>(areas.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Totals, AreaPercentages,
                         ::testing::Values(AreaCase{"FourPeaks", {1.0, 2.0, 3.0, 4.0}, true},
                                           AreaCase{"TinyAreas", {1e-300, 3e-300}, true},
                                           AreaCase{"AllZero", {0.0, 0.0}, false},
                                           AreaCase{"NegativeTotal", {1.0, -3.0}, false},
                                           AreaCase{"NotANumber", {1.0, kNaN}, false},
                                           AreaCase{"Overflowing", {1.5e308, 1.5e308}, false}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(Reports, CorrelationMatrixIsLabelledByFreeParameters)
{
    const TempFolder folder;
    ASSERT_EQ(writeCorrelationReport(Model(), 7, folder.path / "c.txt"), 0);
    const auto lines = words(folder.path / "c.txt");
    const auto header = std::ranges::find(lines, kFreeNames);
    ASSERT_GE(lines.end() - header, 9);  // the names, a rule, seven rows
    const std::vector<double> c = correlationMatrix(7);
    for (std::size_t i = 0; i < 7; ++i) {
        const auto& row = header[static_cast<std::ptrdiff_t>(i) + 2];
        ASSERT_EQ(row.size(), 8u);
        EXPECT_EQ(row[0], kFreeNames[i]);
        for (std::size_t j = 0; j < 7; ++j) {
            const double expected = c[j * 7 + i];
            if (std::isnan(expected)) {
                EXPECT_EQ(row[j + 1], "-");
            } else {
                EXPECT_NEAR(number(row[j + 1]), expected, kCorrelationTol);
            }
        }
    }
}

// Writers made to fail. As root a read-only folder does not stop a write, so the failures come
// from the path itself and from arguments the routines refuse even over an existing file.
struct FailureCase {
    std::string name;
    std::function<bool(const fs::path&)> write;  // true when it reported success
    const char* target;  // relative to a folder holding old.txt and sub/marker
};

class FailedWrite : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailedWrite, LeavesTheFolderAsItWas)
{
    const TempFolder folder;
    std::ofstream(folder.path / "old.txt") << "previous contents\n";
    fs::create_directory(folder.path / "sub");
    std::ofstream(folder.path / "sub" / "marker") << "kept";
    const auto before = snapshot(folder.path);
    EXPECT_FALSE(GetParam().write(folder.path / GetParam().target));
    EXPECT_EQ(snapshot(folder.path), before);
}

bool writeSpectra(const fs::path& file, SpectraCase c)
{
    Spectra(c).write(c, file);
    return false;  // no status: only the folder tells
}

// Consistent counts (two peaks, no background) with the arrays they need missing.
bool writeWithNullArrays(const fs::path& f)
{
    const int32_t ten = 10, two = 2, zero = 0, one = 1;
    const double hmu = 1486.6;
    const auto n = static_cast<int32_t>(f.string().size());
    int32_t status[3] = {0, 0, 0};
    MIRDAX(&ten, &two, &zero, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, f.c_str(), n,
           nullptr, 0, nullptr, 0, nullptr, 0, &status[0]);
    LURVEN(&hmu, &hmu, nullptr, nullptr, nullptr, nullptr, &ten, &two, &zero, f.c_str(), n,
           nullptr, 0, nullptr, 0, nullptr, 0, &status[1]);
    QUENDAL(&two, nullptr, &ten, &zero, nullptr, f.c_str(), n, nullptr, 0, nullptr, 0, nullptr, 0,
            &status[2]);
    HALMOR(&ten, &two, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, f.c_str(), n, &one);
    return std::ranges::any_of(status, [](int32_t s) { return s <= 0; });
}

using Writer = std::function<bool(const fs::path&)>;

std::vector<FailureCase> failureCases()
{
    const std::vector<std::pair<std::string, Writer>> writers = {
        {"Halmor", [](const fs::path& f) { return writeSpectra(f, {"", 5, 2, 1, 5}); }},
        {"Mirdax", [](const fs::path& f) { return writeConfigReport(Model(), f) == 0; }},
        {"Lurven", [](const fs::path& f) { return writeResultsReport(Model(), {1, 2}, f) == 0; }},
        {"Quendal", [](const fs::path& f) { return writeCorrelationReport(Model(), 7, f) == 0; }}};
    std::vector<FailureCase> cases;
    for (const auto& [name, writer] : writers) {
        cases.push_back({name + "TargetIsAFolder", writer, "sub"});
        cases.push_back({name + "MissingFolder", writer, "missing/new.txt"});
        cases.push_back({name + "ParentIsAFile", writer, "old.txt/new.txt"});
    }
    // Arguments the routines refuse, even over a file that exists.
    Model wrongCount;
    wrongCount.count = 9;
    const std::vector<std::pair<std::string, Writer>> refusals = {
        {"HalmorNegativePoints", [](auto& f) { return writeSpectra(f, {"", -1, 2, 0, 0}); }},
        {"HalmorUnknownKind", [](auto& f) { return writeSpectra(f, {"", 5, 2, 2, 0}); }},
        {"MirdaxCountNotFiveNds", [=](auto& f) { return writeConfigReport(wrongCount, f) == 0; }},
        {"LurvenBadNpar", [](auto& f) { return writeResultsReport(Model(), {1, 2}, f, 11) == 0; }},
        {"QuendalNfreeWrong", [](auto& f) { return writeCorrelationReport(Model(), 6, f) == 0; }},
        {"NullArrays", writeWithNullArrays}};
    for (const auto& [name, writer] : refusals) {
        cases.push_back({name, writer, "old.txt"});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Targets, FailedWrite, ::testing::ValuesIn(failureCases()),
                         [](const auto& testCase) { return testCase.param.name; });

}  // namespace
