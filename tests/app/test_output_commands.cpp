// The Write and Save As commands through the real writers, plot library and Ghostscript. The
// calculated state is built here from closed-form Gaussian peaks, so every expected value comes
// from the test's own arithmetic, never from the commands' output.
#include "command_fixture.h"
#include "core/display/results_table.h"
#include "core/files/config_commands.h"
#include "core/files/data_commands.h"
#include "core/files/output_commands.h"
#include "core/fit/fit_driver.h"
#include "core/uncertainty/uncertainty_table.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <tuple>
#include <utility>

namespace varnix::app {
namespace {

using namespace test;
using Texts = std::vector<std::string>;
using Tokens = std::vector<std::string>;

constexpr int32_t kPoints = 41;
constexpr auto kN = static_cast<std::size_t>(kPoints);
constexpr double kHmu = 1486.6;
constexpr double kChiSquare = 20.5;
// Standard deviations of the seven free parameters and their correlations; the error matrix is
// made from both, so the report must give these correlations back.
const std::vector<double> kSd = {0.01, 5.0, 0.02, 0.03, 0.04, 0.05, 2.0};
double correlation(std::size_t i, std::size_t j)
{
    return i == j ? 1.0 : -0.05 * static_cast<double>(i + j + 1);
}

double gaussian(double e, double position, double height, double fwhm)
{
    const double u = (e - position) / fwhm;
    return height * std::exp(-4.0 * std::log(2.0) * u * u);
}

// Two peaks on a constant background after a fit: Pos2 = Pos1 + 1.5, Height2 = Height1 × 0.5,
// both Alphas fixed, so Pos1 Height1 LFWHM1 GFWHM1 LFWHM2 GFWHM2 a0 are free.
Module1 calculatedState(const std::string& folder)
{
    Module1 m;
    m.startDirectory = folder;
    m.dataLoaded = m.configLoaded = m.calculationDone = true;
    m.calculationSaved = false;
    Configuration& c = m.configuration;
    c.nds = 2;
    c.nbg = 1;
    ResizeConfiguration(m);
    MakeParameterNames(c);
    c.fileName = folder + "/c1s.cfg";
    c.p = {1201.0, 1000.0, 0.3, 0.05, 0.5, 1202.5, 500.0, 0.3, 0.05, 0.6};
    c.a = {50.0, 0.0, 0.0};
    c.links[3].state = c.links[8].state = kLinkFixed;
    c.links[5] = {kLinkCorrelated, 0, 1.5, kLinkKindPlus};
    c.links[6] = {kLinkCorrelated, 1, 0.5, kLinkKindMultiplied};
    Spectrum& s = m.spectrum;
    s.np = kPoints;
    s.fileName = folder + "/c1s.dat";
    FitResults& f = m.fitResults;
    f.components.assign(3 * kN, 50.0);
    for (std::size_t i = 0; i < kN; ++i) {
        const double e = 1200.0 + 0.1 * static_cast<double>(i);
        f.components[i] = gaussian(e, 1201.0, 1000.0, 0.6);
        f.components[i + kN] = gaussian(e, 1202.5, 500.0, 0.7);
        s.energy.push_back(e);
        s.calculated.push_back(f.components[i] + f.components[i + kN] + 50.0);
        s.counts.push_back(std::round(s.calculated.back() + (i % 2 == 0 ? 7.0 : -4.0)));
    }
    f.parameters = c.p;
    f.parameters.push_back(50.0);
    f.chiSquare = kChiSquare;
    f.areas = {300.0, 100.0};  // 75 % and 25 %
    f.widths = {0.6, 0.7};
    f.nfree = 7;
    for (std::size_t j = 0; j < kSd.size(); ++j) {
        for (std::size_t i = 0; i < kSd.size(); ++i) {
            f.errorMatrix.push_back(kSd[i] * kSd[j] * correlation(i, j));
        }
    }
    return m;
}

std::string readFile(const std::string& name)
{
    std::ifstream in(name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The blank-separated words of the first line that begins with `start`; none without one.
Tokens lineStarting(const std::string& text, const std::string& start)
{
    std::istringstream lines(text);
    Tokens words;
    for (std::string line; std::getline(lines, line) && words.empty();) {
        std::istringstream in(line.starts_with(start) ? line : "");
        for (std::string word; in >> word;) {
            words.push_back(word);
        }
    }
    return words;
}

std::string printed(const char* format, double value)
{
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), format, value);
    return text.data();
}

// ---- Dialog requests: names after the data file, filters in the file dialogs' form ----

struct RequestCase {
    const char* name;
    std::optional<WriteItem> write;
    SaveAsItem saveAs;
    FileDialogRequest expected;
    std::string dataFile = "/xps/run 3/c1s.dat";
    std::string configFile = "/models/old.cfg";
    bool dataLoaded = true;
};

class OutputRequests : public testing::TestWithParam<RequestCase> {};

TEST_P(OutputRequests, ProposeNamesAfterTheDataFile)
{
    const RequestCase& c = GetParam();
    Module1 m;
    m.startDirectory = "/start";
    m.spectrum.fileName = c.dataFile;
    m.configuration.fileName = c.configFile;
    m.dataLoaded = c.dataLoaded;
    m.configExtension = "cfx";
    EXPECT_EQ(c.write ? writeRequest(m, *c.write) : saveAsRequest(m, c.saveAs), c.expected);
}

const std::string kData =
    "All Data Files (*.dat);;Sx700 Data Files (*.sx7);;Scienta Data Files (*.sci);;All Files (*)";
const std::string kCfg = "Configuration Files (*.cfg)";
constexpr SaveAsItem kDataItem = SaveAsItem::Data;
const std::string kRegion = "/xps/survey.vms#2";

// Every item's dialog has the one title.
FileDialogRequest dialog(std::string filter, std::string name, std::size_t selected = 0,
                         std::string suffix = "")
{
    return {"Save File As ...", std::move(filter), std::move(name), selected, std::move(suffix)};
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Items, OutputRequests, testing::Values(
    RequestCase{"Graph", WriteItem::Graph, {},
                dialog("PostScript Files (*.ps)", "/xps/run 3/c1s.ps", 0, "ps")},
    RequestCase{"ConfigurationParameters", WriteItem::ConfigurationParameters, {},
                dialog("Config text files (*_config.txt);;All Files (*)", "/xps/run 3/c1s_config.txt")},
    RequestCase{"Results", WriteItem::Results, {},
                dialog("Result Files (*_results.txt);;All Files (*)", "/xps/run 3/c1s_results.txt")},
    RequestCase{"Correlations", WriteItem::Correlations, {},
                dialog("Correlation Files (*_corr.txt);;All Files (*)", "/xps/run 3/c1s_corr.txt")},
    RequestCase{"GraphOfBareName", WriteItem::Graph, {},
                dialog("PostScript Files (*.ps)", "/start/c1s.ps", 0, "ps"), "c1s.v2.dat"},
    RequestCase{"DataDat", {}, kDataItem, dialog(kData, "/xps/run 3/c1s.dat", 0)},
    RequestCase{"DataSx7", {}, kDataItem, dialog(kData, "/d/a.Sx7", 1), "/d/a.Sx7"},
    RequestCase{"DataScientaUpperCase", {}, kDataItem, dialog(kData, "/d/x.SCI", 2), "/d/x.SCI"},
    RequestCase{"DataOther", {}, kDataItem, dialog(kData, "/d/x.sci.txt", 3), "/d/x.sci.txt"},
    RequestCase{"Configuration", {}, SaveAsItem::Configuration,
                dialog(kCfg, "/models/c1s.cfx", 0, "cfg")},
    RequestCase{"ConfigurationMadeWithNew", {}, SaveAsItem::Configuration,
                dialog(kCfg, "/xps/run 3/c1s.cfx", 0, "cfg"), "/xps/run 3/c1s.dat", ""},
    RequestCase{"ConfigurationWithoutData", {}, SaveAsItem::Configuration,
                dialog(kCfg, "/models/", 0, "cfg"), "", "/models/old.cfg", false},
    RequestCase{"CalculatedSpectra", {}, SaveAsItem::CalculatedSpectra,
                dialog("Calculated Spectra (*.cal)", "/xps/run 3/")},
    RequestCase{"CalculatedSpectraAndData", {}, SaveAsItem::CalculatedSpectraAndData,
                dialog("Calculated Spectra + Data (*.cex)", "/xps/run 3/")},
    // Region 2 of a file with several spectra: every output carries the region, and the data go
    // to a file of their own rather than over the file that holds the other spectra.
    RequestCase{"GraphOfRegion", WriteItem::Graph, {},
                dialog("PostScript Files (*.ps)", "/xps/survey#2.ps", 0, "ps"), kRegion},
    RequestCase{"CorrelationsOfRegion", WriteItem::Correlations, {},
                dialog("Correlation Files (*_corr.txt);;All Files (*)", "/xps/survey#2_corr.txt"),
                kRegion},
    RequestCase{"DataOfRegion", {}, kDataItem, dialog(kData, "/xps/survey#2.dat", 0), kRegion},
    RequestCase{"ConfigurationOfRegion", {}, SaveAsItem::Configuration,
                dialog(kCfg, "/models/survey#2.cfx", 0, "cfg"), kRegion},
    RequestCase{"CalculatedSpectraOfRegion", {}, SaveAsItem::CalculatedSpectra,
                dialog("Calculated Spectra (*.cal)", "/xps/survey#2.cal"), kRegion},
    RequestCase{"CalculatedSpectraAndDataOfRegion", {}, SaveAsItem::CalculatedSpectraAndData,
                dialog("Calculated Spectra + Data (*.cex)", "/xps/survey#2.cex"), kRegion},
    RequestCase{"HashWithoutNumber", WriteItem::Graph, {},
                dialog("PostScript Files (*.ps)", "/xps/survey.ps", 0, "ps"), "/xps/survey.vms#C1s"}),
    [](const testing::TestParamInfo<RequestCase>& p) { return std::string(p.param.name); });
// clang-format on

// ---- Write > Graph: what KELMAR is given, and the page Ghostscript renders from it ----

struct GraphCase {
    const char* name;
    bool binding;
    int32_t residualScale;
    bool residualsDrawn;  // the plot window has drawn residuals for every point
};

class WriteGraphPages : public testing::TestWithParam<GraphCase> {};

TEST_P(WriteGraphPages, ArgumentsAndRenderedPage)
{
    const GraphCase& c = GetParam();
    TempFolder folder;
    Module1 m = calculatedState(folder.path().string());
    m.spectrum.photonEnergyKnown = m.spectrum.binding = c.binding;
    m.spectrum.hmu = kHmu;
    m.plot.residualScale = c.residualScale;
    for (std::size_t i = 0; c.residualsDrawn && i < kN; ++i) {
        m.residuals.push_back(0.25 * static_cast<double>(i));  // what the window drew is shown
    }
    const GraphArguments g = graphArguments(m);
    const std::string title = c.binding ? "Binding Energy (ev)" : "Kinetic Energy (ev)";
    EXPECT_EQ(std::tuple(g.np, g.ncomp, g.xTitle, g.yTitle),
              std::tuple(kPoints, 3, title, "Intensity (counts)"));
    ASSERT_TRUE(g.x.size() == kN && g.y.size() == kN && g.yc.size() == kN && g.c.size() == 3 * kN);
    EXPECT_EQ(g.nr, c.residualScale == 0 ? 1 : kPoints);
    EXPECT_EQ(g.r.size(), c.residualScale == 0 ? 1 : kN);
    for (std::size_t i = 0; i < kN; ++i) {
        const double e = 1200.0 + 0.1 * static_cast<double>(i);
        const double y = m.spectrum.counts[i];
        const double yc = m.spectrum.calculated[i];
        EXPECT_EQ(std::tuple(g.x[i], g.y[i], g.yc[i], g.c[i + 2 * kN]),
                  std::tuple(static_cast<float>(c.binding ? kHmu - e : e), static_cast<float>(y),
                             static_cast<float>(yc), 50.0F));
        const double r =
            c.residualsDrawn ? 0.25 * static_cast<double>(i) : (y - yc) * c.residualScale;
        EXPECT_EQ(g.r[c.residualScale == 0 ? 0 : i], static_cast<float>(r)) << i;
    }

    if (std::system("command -v gs > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "Ghostscript is not installed";
    }
    LibraryLoader loader;
    ScriptedDialogs dialogs;
    ASSERT_TRUE(WriteGraph(m, dialogs, loader, "c1s.ps"));
    EXPECT_TRUE(dialogs.texts().empty());
    const std::string page = folder.file("c1s.ps");
    const int status =
        std::system(std::string("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage \"")
                        .append(page)
                        .append("\"")
                        .c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string text = readFile(page);
    const std::string shown = std::regex_replace(title, std::regex("[()]"), "\\$&");
    EXPECT_NE(text.find(std::string("(").append(shown).append(")")), std::string::npos);
    // The residuals are the page's only dotted line.
    EXPECT_EQ(text.find("1 setlinecap [0 ") != std::string::npos, c.residualScale != 0);
}

INSTANTIATE_TEST_SUITE_P(Plots, WriteGraphPages,
                         testing::Values(GraphCase{"KineticNoResiduals", false, 0, false},
                                         GraphCase{"BindingResidualsX5", true, 5, true},
                                         GraphCase{"ResidualsNotYetDrawn", true, 10, false}),
                         [](const testing::TestParamInfo<GraphCase>& p) {
                             return std::string(p.param.name);
                         });

// ---- The text reports, as a reader of the lab book finds them ----

TEST(WriteReports, ConfigurationResultsAndCorrelationsAsComputed)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m = calculatedState(folder.path().string());
    ScriptedDialogs dialogs;
    ASSERT_TRUE(WriteConfigurationParameters(m, dialogs, loader, "c1s_config.txt"));
    ASSERT_TRUE(WriteResults(m, dialogs, loader, folder.file("c1s_results.txt")));
    ASSERT_TRUE(WriteCorrelations(m, dialogs, loader, folder.file("c1s_corr.txt")));
    EXPECT_TRUE(dialogs.texts().empty());

    // A relative name is taken in the start directory; partners are named, counted from Pos1.
    const std::string config = readFile(folder.file("c1s_config.txt"));
    EXPECT_EQ(lineStarting(config, "Pos2"),
              (Tokens{"Pos2", "1202.500000", "correlated", "Pos1", "+", "1.5"}));
    EXPECT_EQ(lineStarting(config, "Height2"),
              (Tokens{"Height2", "500.000000", "correlated", "Height1", "x", "0.5"}));
    EXPECT_EQ(lineStarting(config, "a0"), (Tokens{"a0", "50.000000", "varied"}));
    EXPECT_TRUE(std::regex_search(
        config, std::regex("Date +: \\d\\d\\.\\d\\d\\.\\d{4}\nTime +: \\d\\d:\\d\\d:\\d\\d\n")));

    const std::string results = readFile(folder.file("c1s_results.txt"));
    EXPECT_EQ(lineStarting(results, "R of the last fit").back(),
              printed("%.6f", std::sqrt(kChiSquare / kPoints)));
    // No standard deviations without the fit's error matrix: "-" ends the rows.
    EXPECT_EQ(lineStarting(results, "Alpha2"), (Tokens{"Alpha2", "0.050000", "fixed", "-"}));
    EXPECT_EQ(lineStarting(results, "1 "),
              (Tokens{"1", "1201.000000", "0.600000", "300.000000", "75.000", "-", "-", "-"}));
    EXPECT_EQ(lineStarting(results, "2 ")[4], "25.000");

    const std::string corr = readFile(folder.file("c1s_corr.txt"));
    const Tokens names = {"Pos1", "Height1", "LFWHM1", "GFWHM1", "LFWHM2", "GFWHM2", "a0"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        Tokens row = {names[i]};
        for (std::size_t j = 0; j < names.size(); ++j) {
            row.push_back(printed("%.4f", correlation(i, j)));
        }
        EXPECT_EQ(lineStarting(corr, names[i] + " "), row);
    }
}

TEST(WriteReports, LinkStatesOfTheLastFitAndUndefinedCorrelations)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m = calculatedState(folder.path().string());
    // The fit ran with GFWHM2 fixed, which the configuration no longer says; a zero variance
    // leaves Height1 without correlations.
    m.engine.varied = {0, 0, 0, 2, 0, 1, 1, 0, 2, 2, 0};
    const std::vector<double> variances = {4, 0, 1, 1, 1, 1};
    m.fitResults.nfree = 6;
    m.fitResults.errorMatrix.assign(36, 0.0);
    for (std::size_t i = 0; i < variances.size(); ++i) {
        m.fitResults.errorMatrix[i + 6 * i] = variances[i];
    }
    ScriptedDialogs dialogs;
    ASSERT_TRUE(WriteResults(m, dialogs, loader, folder.file("r.txt")));
    ASSERT_TRUE(WriteCorrelations(m, dialogs, loader, folder.file("c.txt")));
    EXPECT_EQ(lineStarting(readFile(folder.file("r.txt")), "GFWHM2"),
              (Tokens{"GFWHM2", "0.600000", "fixed", "-"}));
    const std::string corr = readFile(folder.file("c.txt"));
    EXPECT_EQ(lineStarting(corr, "Height1 "), (Tokens{"Height1", "-", "-", "-", "-", "-", "-"}));
    EXPECT_EQ(lineStarting(corr, "a0 "),
              (Tokens{"a0", "0.0000", "-", "0.0000", "0.0000", "0.0000", "1.0000"}));
    EXPECT_TRUE(lineStarting(corr, "GFWHM2").empty());
}

// Half a unit of the last digit a fixed-format cell shows: "1.23E+01" → 0.005E+01, "0.0123" →
// 5E-05.
double halfUnitOfLastDigit(const std::string& shown)
{
    const std::size_t exponentAt = shown.find_first_of("Ee");
    const std::string mantissa = shown.substr(0, exponentAt);
    const std::size_t point = mantissa.find('.');
    const auto decimals =
        point == std::string::npos ? 0 : static_cast<int>(mantissa.size() - point - 1);
    const int exponent =
        exponentAt == std::string::npos ? 0 : std::stoi(shown.substr(exponentAt + 1));
    return 0.5 * std::pow(10.0, exponent - decimals);
}

// `value` to two significant digits, by the C library: what the figures' grid shows of a σ.
double twoSignificant(double value)
{
    return std::strtod(printed("%.1e", value).c_str(), nullptr);
}

// The σ the results window shows after "±" on a cell's second line; none without one.
std::optional<std::string> shownSigma(const std::string& cell)
{
    const std::string plusMinus = "\n\xC2\xB1";
    const std::size_t at = cell.find(plusMinus);
    return at == std::string::npos ? std::nullopt
                                   : std::optional(cell.substr(at + plusMinus.size()));
}

// Every line of `text` whose first word is `word`, as words, in order.
std::vector<Tokens> linesOf(const std::string& text, const std::string& word)
{
    std::vector<Tokens> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(word + " ")) {
            lines.push_back(lineStarting(line, word));
        }
    }
    return lines;
}

// The example fitted as the main window fits it: what the results window shows, the report
// carries, every σ to at least the digits shown.
TEST(WriteReports, OfTheExampleCarryEverySigmaTheResultsWindowShowsToItsDigits)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m;
    m.startDirectory = folder.path().string();
    ScriptedDialogs dialogs;
    MenuState menu;
    ASSERT_TRUE(OpenData(m, dialogs, loader, menu, example("synthetic_c1s.dat")));
    ASSERT_TRUE(OpenConfiguration(m, dialogs, loader, menu, example("synthetic_c1s.cfg")));
    Enable(m, menu);
    FitHooks hooks;
    hooks.peakUncertainties = true;
    ASSERT_EQ(mnuFit_Click(m, dialogs, loader, menu, hooks), FitOutcome::Finished);
    ASSERT_TRUE(WriteResults(m, dialogs, loader, folder.file("r.txt")));
    const std::string report = readFile(folder.file("r.txt"));
    int checked = 0;
    const auto number = [](const std::string& text) { return std::strtod(text.c_str(), nullptr); };
    // A cell of a fixed format: the report's number within half its last digit.
    const auto expectCarried = [&](const std::string& reported, const std::string& shown,
                                   const std::string& what) {
        EXPECT_NEAR(number(reported), number(shown), halfUnitOfLastDigit(shown) * (1.0 + 1e-9))
            << what << ": report " << reported << ", window " << shown;
        ++checked;
    };
    // A σ of the figures' grid: the report's number, in the grid's unit, to two digits.
    const auto expectSigma = [&](const std::string& reported, const std::string& shown,
                                 double scale, const std::string& what) {
        EXPECT_DOUBLE_EQ(twoSignificant(number(reported) * scale), number(shown))
            << what << ": report " << reported << ", window " << shown;
        ++checked;
    };

    // The parameter grids: each parameter's row ends in its σ.
    const ResultsTable grids = resultsTable(m);
    std::vector<std::string> cells;
    for (const PeakRow& row : grids.peakRows) {
        cells.insert(cells.end(), row.begin() + 1, row.begin() + 1 + kParametersPerPeak);
    }
    cells.insert(cells.end(), grids.coefficients.begin(), grids.coefficients.end());
    for (std::size_t k = 0; k < cells.size(); ++k) {
        const std::string name = parameterName(m.configuration.nds, static_cast<int32_t>(k));
        if (const auto sigma = shownSigma(cells[k])) {
            expectCarried(lineStarting(report, name + " ").back(), *sigma, name);
        }
    }
    ASSERT_TRUE(grids.conditionNumber);
    expectCarried(lineStarting(report, "Condition number  ").back(), *grids.conditionNumber,
                  "condition number");

    // The figures' grid: σ of area, share and FWHM end the peak's row of the first peak table
    // (the share there in percent); maximum, its energy and the width at half of it follow in
    // the second, each before its σ.
    const UncertaintyTable figures = uncertaintyTable(m);
    ASSERT_EQ(figures.rows.size(), 4U);
    for (std::size_t k = 0; k < figures.rows.size(); ++k) {
        const UncertaintyRow& row = figures.rows[k];
        const std::vector<Tokens> lines = linesOf(report, std::to_string(k + 1));
        ASSERT_EQ(lines.size(), 2U) << "peak " << k + 1;
        const Tokens& peak = lines[0];
        const Tokens& maxima = lines[1];
        const std::string p = " of peak " + std::to_string(k + 1);
        expectSigma(peak.end()[-2], row[1].sigma, 1.0, "area" + p);
        expectSigma(peak.end()[-1], row[2].sigma, 0.01, "share" + p);
        expectSigma(peak.end()[-3], row[3].sigma, 1.0, "FWHM" + p);
        expectSigma(maxima[2], row[4].sigma, 1.0, "maximum" + p);
        expectSigma(maxima[4], row[5].sigma, 1.0, "energy of the maximum" + p);
        expectSigma(maxima[6], row[6].sigma, 1.0, "FWHM at the maximum" + p);
    }
    EXPECT_EQ(checked, 20 + 2 + 1 + 4 * 6);  // every parameter is free
    ASSERT_FALSE(figures.diagnosis.empty());
    EXPECT_NE(report.find("Diagnosis                            : " + figures.diagnosis + "\n"),
              std::string::npos);
}

// ---- Failures: each command's message, and a previous file left as it was ----

enum class Command { Graph, ConfigurationParameters, Results, Correlations, Cal, BadKind };

bool run(Command command, Module1& m, Dialogs& d, LibraryLoader& l, const std::string& name)
{
    switch (command) {
        case Command::Graph:
            return WriteGraph(m, d, l, name);
        case Command::ConfigurationParameters:
            return WriteConfigurationParameters(m, d, l, name);
        case Command::Results:
            return WriteResults(m, d, l, name);
        case Command::Correlations:
            return WriteCorrelations(m, d, l, name);
        case Command::Cal:
            return SaveCalc(m, d, l, name, kCalculatedSpectraOnly);
        case Command::BadKind:
            return SaveCalc(m, d, l, name, 2);
    }
    return false;
}

struct FailureCase {
    const char* name;
    Command command;
    std::string failure;
    std::string notFound;
    void (*spoil)(Module1&) = nullptr;  // a state the writer refuses; else the disk is full
};

void PrintTo(const FailureCase& c, std::ostream* out)
{
    *out << c.name;
}

// While it lives, writes fail on the way as on a full disk: a file-size limit holds even for
// root, to whom no folder is read-only.
class DiskFull {
public:
    DiskFull()
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, SIG_IGN);  // so that writing past the limit fails, not kills
        const rlimit tiny{10, m_saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~DiskFull() { ::setrlimit(RLIMIT_FSIZE, &m_saved); }
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;

private:
    rlimit m_saved{};
};

class OutputFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(OutputFailures, ShowTheMessageAndKeepThePreviousFile)
{
    const FailureCase& c = GetParam();
    TempFolder folder;
    Module1 m = calculatedState(folder.path().string());
    const std::string target = folder.file("old.txt");
    std::ofstream(target) << "old";
    if (c.spoil) {
        c.spoil(m);
    }
    LibraryLoader loader;
    ScriptedDialogs dialogs;
    {
        std::optional<DiskFull> full;
        if (!c.spoil) {
            full.emplace();
        }
        EXPECT_FALSE(run(c.command, m, dialogs, loader, target));
    }
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(dialogs.texts(), Texts{c.failure});
}

TEST_P(OutputFailures, MissingLibraryIsNamed)
{
    const FailureCase& c = GetParam();
    TempFolder folder;
    Module1 m = calculatedState(folder.path().string());
    LibraryLoader nothing = loaderWithout(folder);
    ScriptedDialogs dialogs;
    EXPECT_FALSE(run(c.command, m, dialogs, nothing, folder.file("out.txt")));
    EXPECT_FALSE(fs::exists(folder.file("out.txt")));
    EXPECT_EQ(dialogs.texts(), Texts{c.notFound});
}

const std::string kCalcError = "Error in writing calculated spectra - or dll not found";
const std::string kCorrError = "Error in writing correlation matrix to text file";
const std::string kResultsError = "Error in writing results to text file";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, OutputFailures, testing::Values(
    FailureCase{"Graph", Command::Graph, "Error in writing graph to PostScript file",
                "Fortran dll KELMAR.DLL not found"},
    FailureCase{"ConfigurationParameters", Command::ConfigurationParameters,
                "Error in writing config data to text file", "Fortran dll MIRDAX.DLL not found"},
    FailureCase{"Results", Command::Results, kResultsError, "Fortran dll LURVEN.DLL not found"},
    FailureCase{"ResultsBeforeAnyFit", Command::Results,
                "No fit results to write yet - run Start Fit first",
                "Fortran dll LURVEN.DLL not found", [](Module1& m) { m.fitResults = {}; }},
    FailureCase{"Correlations", Command::Correlations, kCorrError,
                "Fortran dll QUENDAL.DLL not found"},
    // Six free parameters in the matrix, seven by the link states: the writer refuses names
    // that do not fit the matrix.
    FailureCase{"CorrelationsUnderWrongNames", Command::Correlations, kCorrError,
                "Fortran dll QUENDAL.DLL not found",
                [](Module1& m) { m.fitResults.nfree = 6; m.fitResults.errorMatrix.resize(36); }},
    FailureCase{"CalculatedSpectra", Command::Cal, kCalcError, kCalcError},
    FailureCase{"UnknownFileKind", Command::BadKind, kCalcError, kCalcError, [](Module1&) {}}),
    [](const testing::TestParamInfo<FailureCase>& p) { return std::string(p.param.name); });
// clang-format on

// ---- Save As > Calculated Spectra (+ Data) ----

// The columns of a calculated-spectra file by their header names.
std::map<std::string, std::vector<double>> columns(const std::string& file)
{
    std::istringstream lines(readFile(file));
    std::string line;
    std::getline(lines, line);
    const Tokens names = lineStarting(line, "");
    std::map<std::string, std::vector<double>> table;
    while (std::getline(lines, line)) {
        std::istringstream row(line);
        for (const std::string& name : names) {
            double value = 0.0;
            row >> value;
            table[name].push_back(value);
        }
    }
    return table;
}

TEST(SaveCalc, FilesReadBackToTheColumnsWritten)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m = calculatedState(folder.path().string());
    m.plot.residualScale = 5;
    m.residuals = {1.5, -2.5, 3.5};  // drawn for fewer points, before a zoom was reset, say
    ScriptedDialogs dialogs;
    MenuState menu;
    ASSERT_TRUE(saveCalculatedSpectraAs(m, dialogs, loader, menu, "c1s.cal", false));
    ASSERT_TRUE(saveCalculatedSpectraAs(m, dialogs, loader, menu, folder.file("c1s.cex"), true));
    EXPECT_TRUE(dialogs.texts().empty());
    ASSERT_EQ(m.residuals.size(), kN);

    const auto cal = columns(folder.file("c1s.cal"));
    const auto cex = columns(folder.file("c1s.cex"));
    EXPECT_EQ(cal.size(), 5U);
    EXPECT_EQ(cex.size(), 7U);
    const std::vector<double>& components = m.fitResults.components;
    for (const auto* table : {&cal, &cex}) {
        EXPECT_EQ(table->at("Energy"), m.spectrum.energy);
        EXPECT_EQ(table->at("Calculated"), m.spectrum.calculated);
        for (std::size_t j = 0; j < 3; ++j) {
            const auto first = components.begin() + static_cast<std::ptrdiff_t>(j * kN);
            EXPECT_EQ(table->at("Component" + std::to_string(j + 1)),
                      std::vector<double>(first, first + kPoints));
        }
    }
    EXPECT_EQ(cex.at("Counts"), m.spectrum.counts);
    std::vector<double> residuals(kN, 0.0);
    std::copy_n(std::array{1.5, -2.5, 3.5}.begin(), 3, residuals.begin());
    EXPECT_EQ(cex.at("Residual_x5"), residuals);
}

TEST(SaveCalc, MarksSavedOnlyAfterTheWrite)
{
    TempFolder folder;
    LibraryLoader loader;
    Module1 m = calculatedState(folder.path().string());
    ScriptedDialogs dialogs;
    MenuState menu;
    {
        const DiskFull full;
        EXPECT_FALSE(
            saveCalculatedSpectraAs(m, dialogs, loader, menu, folder.file("a.cex"), true));
    }
    EXPECT_FALSE(m.calculationSaved);
    EXPECT_EQ(menu, MenuState{});
    EXPECT_EQ(dialogs.texts(), Texts{kCalcError});

    ASSERT_TRUE(saveCalculatedSpectraAs(m, dialogs, loader, menu, folder.file("a.cex"), true));
    EXPECT_TRUE(m.calculationSaved);
    EXPECT_TRUE(menu.saveAsCalculatedSpectraAndData.checked);
    EXPECT_FALSE(menu.saveAsCalculatedSpectra.checked);

    // Without a calculation there is nothing whose saving could be recorded.
    m.calculationDone = m.calculationSaved = false;
    ASSERT_TRUE(saveCalculatedSpectraAs(m, dialogs, loader, menu, folder.file("a.cal"), false));
    EXPECT_FALSE(m.calculationSaved);
    EXPECT_TRUE(menu.saveAsCalculatedSpectra.checked);
}

}  // namespace
}  // namespace varnix::app
