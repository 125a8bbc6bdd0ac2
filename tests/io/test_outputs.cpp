// The calculated spectra (HALMOR) and the three text reports (MIRDAX, LURVEN, QUENDAL): read
// back with a few lines of independent parsing, and written where they cannot go.
#include "varnix_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <sstream>
#include <tuple>

namespace {

namespace fs = std::filesystem;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A fresh folder, removed with everything in it.
struct TempFolder {
    std::string pattern = (fs::temp_directory_path() / "varnix-out-XXXXXX").string();
    fs::path path = ::mkdtemp(pattern.data());
    ~TempFolder() { fs::remove_all(path); }
};

std::string contents(const fs::path& file)
{
    std::ostringstream bytes;
    bytes << std::ifstream(file, std::ios::binary).rdbuf();
    return bytes.str();
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

// Two peaks: Pos2 = Pos1 + 1.5, Height2 = 0.5 × Height1, LFWHM1 fixed, Alpha2 follows the
// fixed Alpha1; a linear background. Free: Pos1, Height1, GFWHM1, LFWHM2, GFWHM2, a0, a1.
struct Model {
    int32_t nds = 2, nbg = 2, count = 10, nfree = 7;
    std::vector<double> p = {284.5, 1000, 0.2, 0.05, 0.8, 286.0, 500, 0.3, 0.05, 0.9, 12.5, -0.01};
    std::vector<int32_t> state = {0, 0, 2, 2, 0, 1, 1, 0, 2, 0, 0, 0};
    std::vector<int32_t> partner = {1, 2, 3, 4, 5, 1, 2, 8, 4, 10};
    std::vector<double> value = {1, 1, 1, 1, 1, 1.5, 0.5, 1, 1, 1};
    std::vector<int32_t> kind = {0, 0, 0, 0, 0, 2, 1, 0, 1, 0};
    std::vector<double> areas = {3, 1};
    // The uncertainties: σ of the free parameters; per peak σ of area, share and FWHM, then
    // maximum, energy of the maximum and width at half of it, each with σ.
    std::vector<double> sigmas = {0.01, 25,   kNaN, kNaN, 0.02, kNaN,
                                  kNaN, 0.03, kNaN, 0.04, 0.5,  1e-4};
    std::vector<double> peakFigures = {0.2,  0.0123, 0.05, 950, 12, 285.1, 0.002, 1.1, 0.04,
                                       0.15, 0.0123, 0.06, 480, 9,  286.6, 0.003, 1.2, 0.05};
    double chiSquare = 812.5, conditionNumber = 3.5e10, correlationCondition = 77.25;
    std::string diagnosis = "GFWHM1 \u2212 GFWHM2 is not determined by the data.";
    int32_t np = 5, ncomp = 2, fileKind = 1, residualScale = 5;  // the spectra: a .cex
    std::size_t notFiniteAt = SIZE_MAX;  // a spectra value made infinite, column after column
};

// Value k of the spectra, column after column in the order of the file: every size and sign,
// and no fixed number of decimals brings it back.
double spectraValue(std::size_t k)
{
    return std::ldexp(k % 3 == 0 ? -1.0 : 1.0, static_cast<int>(k % 40) - 20)
           / static_cast<double>(7 + k);
}

// Writes report "config" (MIRDAX), "results" (LURVEN), "corr" (QUENDAL) or the spectra
// ("cal", HALMOR, which has no status); true when it reported success.
bool writeReport(const std::string& report, const Model& m, const fs::path& file)
{
    const std::string name = file.string(), source = "/data/c1s", date = "21.03.2025";
    const auto length = static_cast<int32_t>(name.size());
    const double hmu = 1486.6, r = 1.0 / 3.0;
    const std::array<double, 3> a = {m.p.end()[-2], m.p.back(), 0};
    const std::vector<double> widths(m.areas.size(), 1.25);
    const auto npar = static_cast<int32_t>(m.p.size());
    std::vector<double> correlations(49);  // column by column, one undefined as passed
    for (std::size_t k = 0; k < correlations.size(); ++k) {
        correlations[k] = k % 8 == 0 ? 1.0 : -1.0 / static_cast<double>(2 + k);
    }
    correlations[10] = std::nan("");
    const auto np = static_cast<std::size_t>(m.np), ncomp = static_cast<std::size_t>(m.ncomp);
    std::vector<double> spectra(np * (ncomp + 4));
    for (std::size_t k = 0; k < spectra.size(); ++k) {
        spectra[k] = k == m.notFiniteAt ? -kInfinity : spectraValue(k);
    }
    const auto column = [&](std::size_t k) { return spectra.data() + k * np; };
    const bool cex = m.fileKind == 1;  // counts and residuals must not be read otherwise
    int32_t status = -1;
    if (report == "config") {
        MIRDAX(&m.count, &m.nds, &m.nbg, m.p.data(), a.data(), m.state.data(), m.partner.data(),
               m.value.data(), m.kind.data(), name.data(), length, source.data(), 9, date.data(),
               10, "14:02:11", 8, &status);
    } else if (report == "results") {
        LURVEN(&hmu, &r, m.p.data(), m.areas.data(), widths.data(), m.state.data(), &npar, &m.nds,
               &m.nbg, name.data(), length, source.data(), 9, date.data(), 10, "14:02:11", 8,
               m.sigmas.data(), m.peakFigures.data(), &m.chiSquare, &m.np, &m.nfree,
               &m.conditionNumber, &m.correlationCondition, m.diagnosis.data(),
               static_cast<int32_t>(m.diagnosis.size()), &status);
    } else if (report == "corr") {
        QUENDAL(&m.nfree, correlations.data(), &m.count, &m.nbg, m.state.data(), name.data(),
                length, source.data(), 9, date.data(), 10, "14:02:11", 8, &status);
    } else {
        HALMOR(&m.np, &m.ncomp, column(0), cex ? column(2 + ncomp) : nullptr, column(1), column(2),
               &m.residualScale, cex ? column(3 + ncomp) : nullptr, name.data(), length,
               &m.fileKind);
    }
    return status == 0;
}

struct SpectraCase {
    const char* name;
    int32_t np, ncomp, kind, residualScale;
};

class CalculatedSpectraFile : public ::testing::TestWithParam<SpectraCase> {};

TEST_P(CalculatedSpectraFile, ColumnsReadBackExactly)
{
    const TempFolder folder;
    Model m;
    std::tie(m.np, m.ncomp, m.fileKind, m.residualScale) = std::tuple(
        GetParam().np, GetParam().ncomp, GetParam().kind, GetParam().residualScale);
    writeReport("cal", m, folder.path / "out.cal");
    std::vector<std::string> names = {"Energy", "Calculated"};
    for (int32_t j = 1; j <= m.ncomp; ++j) {
        names.push_back(std::string("Component").append(std::to_string(j)));
    }
    if (m.fileKind == 1) {
        names.insert(names.end(), {"Counts", "Residual_x" + std::to_string(m.residualScale)});
    }
    const auto lines = words(folder.path / "out.cal");
    const auto np = static_cast<std::size_t>(m.np);
    ASSERT_EQ(lines.size(), np + 1);
    EXPECT_EQ(lines[0], names);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        ASSERT_EQ(lines[i].size(), names.size());
        for (std::size_t k = 0; k < names.size(); ++k) {
            EXPECT_EQ(std::bit_cast<uint64_t>(std::strtod(lines[i][k].c_str(), nullptr)),
                      std::bit_cast<uint64_t>(spectraValue(k * np + i - 1)))
                << "line " << i << ": " << lines[i][k];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, CalculatedSpectraFile,
                         ::testing::Values(SpectraCase{"CalSixComponents", 60, 6, 0, 0},
                                           SpectraCase{"CalNoPoints", 0, 2, 0, 0},
                                           SpectraCase{"CexResidualsTimesFive", 40, 3, 1, 5}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// A report written from Model(), changed, into a folder holding old.txt and sub/marker. With
// rows it must succeed, and for each row a line of its first word end in the words that follow
// (be all of them if as many), or no line start with it if none follow. Without rows its arguments
// must be refused, even over a file that exists. Either way nothing else may change, no temporary
// file stay. Where a write can fail is tested for every writer in test_writers.cpp.
struct ReportCase {
    std::string name;
    const char* report;
    const char* target;
    void (*change)(Model&);
    std::vector<std::vector<std::string>> rows = {};
};

class Report : public ::testing::TestWithParam<ReportCase> {};

TEST_P(Report, HoldsThePassedValuesByNameOrIsNotWritten)
{
    const TempFolder folder;
    std::ofstream(folder.path / "old.txt") << "previous contents\n";
    fs::create_directory(folder.path / "sub");
    std::ofstream(folder.path / "sub" / "marker") << "kept";
    const auto snapshot = [&folder] {
        std::map<std::string, std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(folder.path)) {
            entries[entry.path().string()] = entry.is_directory() ? "<folder>" : contents(entry);
        }
        return entries;
    };
    auto before = snapshot();
    const auto& [name, report, target, change, rows] = GetParam();
    Model m;
    change(m);
    const fs::path file = folder.path / target;
    ASSERT_EQ(writeReport(report, m, file), !rows.empty());
    const auto lines = words(file);
    for (const auto& expected : rows) {
        const auto tail = std::ssize(expected) - 1;
        std::vector<std::vector<std::string>> candidates;  // the lines of that first word
        for (const auto& line : lines) {
            if (!line.empty() && line[0] == expected[0]) {
                candidates.push_back(line);
            }
        }
        const bool found = std::ranges::any_of(candidates, [&](auto row) {
            if (std::ssize(row) > tail + 1) {
                row.erase(row.begin() + 1, row.end() - tail);
            }
            return row == expected;
        });
        EXPECT_TRUE(tail > 0 ? found : candidates.empty())
            << expected[0] << ": " << testing::PrintToString(candidates);
    }
    if (!rows.empty()) {
        before[file.string()] = contents(file);
    }
    EXPECT_EQ(snapshot(), before);
}

std::vector<ReportCase> reportCases()
{
    void (*const asIs)(Model&) = [](Model&) {};
    // The σ of peak 1's FWHM, area and share (in percent) that end its row.
    const std::array<std::string, 3> kSigmas1 = {"0.050000", "0.200000", "1.230000"};
    std::vector<ReportCase> cases = {
        {"Configuration", "config", "r.txt", asIs,
         {{"Configuration", "file", ":", "/data/c1s"},
          {"LFWHM1", "0.200000", "fixed"},
          {"Pos2", "286.000000", "correlated", "Pos1", "+", "1.5"},
          {"Height2", "500.000000", "correlated", "Height1", "x", "0.5"},
          {"Alpha2", "0.050000", "fixed", "Alpha1", "x", "1"},
          {"a2"}}},  // not part of a linear background
        // Peak, Pos, HMU - Pos, FWHM, area, area as a percentage of the total, which means
        // nothing unless the total is positive and finite; then σ of FWHM, area and share (in
        // percent), at the row's end where earlier readers do not look. Each parameter's σ
        // ends its row, "-" where none was passed. The statistics of the fit, and per peak
        // maximum, E(max), HMU - E(max), width at half the maximum, each followed by its σ.
        {"Results", "results", "r.txt", asIs,
         {{"2", "286.000000", "1200.600000", "1.250000", "1.000000", "25.000", "0.060000",
           "0.150000", "1.230000"},
          {"Height1", "1000.000000", "varied", "25.000000"},
          {"LFWHM1", "0.200000", "fixed", "-"},
          {"a1", "-0.010000", "varied", "1.000000e-04"},
          {"Chi-square", "of", "the", "last", "fit", ":", "812.500000"},
          {"Points", "(NP)", ":", "5"},
          {"Free", "parameters", "(NFREE)", ":", "7"},
          {"Condition", "number", ":", "3.500000e+10"},
          {"Condition", "number", "of", "the", "correlations", ":", "77.250000"},
          {"Diagnosis", ":", "GFWHM1", "\u2212", "GFWHM2", "is", "not", "determined", "by",
           "the", "data."},
          {"1", "950.000000", "12.000000", "285.100000", "1201.500000", "0.002000",
           "1.100000", "0.040000"}}},
        {"Shares", "results", "r.txt", [](Model& m) { m.areas = {1, 2}; },
         {{"1", "33.333", kSigmas1[0], kSigmas1[1], kSigmas1[2]},
          {"2", "66.667", "0.060000", "0.150000", "1.230000"},
          {"Total", "100.000"}}},
        {"AllZero", "results", "r.txt", [](Model& m) { m.areas = {0, 0}; },
         {{"1", "-", kSigmas1[0], kSigmas1[1], kSigmas1[2]}, {"Total", "-"}}},
        {"NegativeTotal", "results", "r.txt", [](Model& m) { m.areas = {1, -3}; },
         {{"1", "-", kSigmas1[0], kSigmas1[1], kSigmas1[2]}, {"Total", "-"}}},
        {"Overflowing", "results", "r.txt", [](Model& m) { m.areas = {1.5e308, 1.5e308}; },
         {{"1", "-", kSigmas1[0], kSigmas1[1], kSigmas1[2]}, {"Total", "-"}}},
        // The free parameters label the columns and the rows; the transposed matrix, or a
        // NaN printed as a number, would read differently.
        {"Correlations", "corr", "r.txt", asIs,
         {{"Pos1", "Height1", "GFWHM1", "LFWHM2", "GFWHM2", "a0", "a1"},
          {"LFWHM2", "-0.2000", "-", "-0.0526", "1.0000", "-0.0303", "-0.0250", "-0.0213"}}},
        {"CalUnknownKind", "cal", "old.txt", [](Model& m) { m.fileKind = 2; }},
        // A value that is not finite is refused, not written as "nan" or "-".
        {"CalCalculatedInfinite", "cal", "old.txt", [](Model& m) { m.notFiniteAt = 6; }},
        {"CexResidualInfinite", "cal", "old.txt", [](Model& m) { m.notFiniteAt = 29; }},
        {"ConfigValueNotANumber", "config", "old.txt", [](Model& m) { m.p[3] = std::nan(""); }},
        {"ConfigLinkValueInfinite", "config", "old.txt", [](Model& m) { m.value[5] = kInfinity; }},
        {"ConfigCountNotFiveNds", "config", "old.txt", [](Model& m) { m.count = 9; }},
        {"ResultsNparNotFiveNdsPlusNbg", "results", "old.txt", [](Model& m) { m.nbg = 1; }},
        // A matrix labelled with the wrong names would be worse than none.
        {"CorrNfreeWrong", "corr", "old.txt", [](Model& m) { m.nfree = 6; }}};
    return cases;
}

INSTANTIATE_TEST_SUITE_P(WrittenAndRefused, Report, ::testing::ValuesIn(reportCases()),
                         [](const auto& testCase) { return testCase.param.name; });

}  // namespace
