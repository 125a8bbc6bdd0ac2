// The batch fitter's lines and command line: JSON and CSV against literal texts, numbers read
// back by the C library, and the options table.
#include "batch_options.h"
#include "batch_output.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

namespace varnix::batch {
namespace {

using app::SpectrumResult;
using app::SpectrumStatus;

struct TextCase {
    const char* name;
    std::string input;
    std::string expected;
};

class JsonStringCase : public testing::TestWithParam<TextCase> {};

TEST_P(JsonStringCase, EscapesWhatJsonRequires)
{
    EXPECT_EQ(jsonString(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, JsonStringCase,
    testing::Values(
        TextCase{"Plain", "c1s.dat", "\"c1s.dat\""},
        TextCase{"QuoteAndBackslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
        TextCase{"LineBreaks", "HMU = 1\nHMUConfig\r\t", "\"HMU = 1\\nHMUConfig\\r\\t\""},
        TextCase{"OtherControls", std::string("\x01\x1f\b\f", 4), "\"\\u0001\\u001f\\b\\f\""},
        TextCase{"Utf8Unchanged", "\xC2\xB1 0.1", "\"\xC2\xB1 0.1\""}),
    [](const auto& p) { return std::string(p.param.name); });

struct NumberCase {
    const char* name;
    double value;
    const char* expected;
};

class JsonNumberCase : public testing::TestWithParam<NumberCase> {};

TEST_P(JsonNumberCase, IsTheShortestFormThatReadsBack)
{
    const NumberCase& c = GetParam();
    const std::string text = jsonNumber(c.value);
    EXPECT_EQ(text, c.expected);
    if (std::isfinite(c.value)) {
        EXPECT_EQ(std::bit_cast<uint64_t>(std::strtod(text.c_str(), nullptr)),
                  std::bit_cast<uint64_t>(c.value));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, JsonNumberCase,
    testing::Values(NumberCase{"Tenth", 0.1, "0.1"}, NumberCase{"Whole", 283.0, "283"},
                    NumberCase{"Negative", -5.0, "-5"},
                    NumberCase{"SumOfTenths", 0.1 + 0.2, "0.30000000000000004"},
                    NumberCase{"Large", 1e300, "1e+300"}, NumberCase{"Small", 5e-324, "5e-324"},
                    NumberCase{"NotANumber", std::numeric_limits<double>::quiet_NaN(), "null"},
                    NumberCase{"Infinite", std::numeric_limits<double>::infinity(), "null"}),
    [](const auto& p) { return std::string(p.param.name); });

// One peak on a constant background; the Alpha is fixed, so it has no deviation.
app::Configuration onePeak()
{
    app::Configuration c;
    c.nds = 1;
    c.nbg = 1;
    c.npar = 6;
    return c;
}

SpectrumResult fitted()
{
    SpectrumResult r;
    r.name = "run 1/s,2.vms#2";
    r.file = "run 1/s,2.vms";
    r.region = 2;
    r.status = SpectrumStatus::Fitted;
    r.messages = {"Warning - not converged after MAXIT = 3 iterations"};
    r.answers = {{"Enter photon energy", "1486.6"}};
    r.binding = true;
    r.photonEnergy = 1486.6;
    r.iterations = 3;
    r.stop = app::StopReason::Maxit;
    r.chiSquare = 612.5;
    r.r = 0.25;
    r.conditionNumber = 1e4;
    r.parameters = {{"Pos1", 284.5, 0, 0.01},         {"Height1", 1000, 0, 12.5},
                    {"LFWHM1", 0.4, 1, std::nullopt}, {"Alpha1", 0.1, 2, std::nullopt},
                    {"GFWHM1", 0.9, 0, 0.02},         {"a0", 200, 0, 1.5}};
    const app::PeakUncertainty figures{{1234.6, 25}, {1, 0},          {1.25, 0.02},
                                       {1180, 20},   {284.45, 0.005}, {1.2, 0.03}};
    r.peaks = {{1234.5, 1.25, figures}};
    r.np = 201;
    r.nfree = 4;
    r.diagnosis.conditionNumber = 77;
    r.diagnosis.badlyDetermined = true;
    r.diagnosis.text = "GFWHM1 \u2212 0.9\u00B7LFWHM1 is not determined by the data.";
    return r;
}

SpectrumResult unreadable()
{
    SpectrumResult r;
    r.name = "gone.dat";
    r.file = "gone.dat";
    r.status = SpectrumStatus::ReadFailed;
    r.messages = {"/w/gone.dat   does not exist  -  open files individually"};
    return r;
}

TEST(JsonLine, HoldsEveryFieldOfAFit)
{
    EXPECT_EQ(jsonLine(fitted()),
              R"({"name":"run 1/s,2.vms#2","file":"run 1/s,2.vms","region":2,"status":"fitted",)"
              R"("message":"Warning - not converged after MAXIT = 3 iterations",)"
              R"("answers":[{"question":"Enter photon energy","answer":"1486.6"}],)"
              R"("energy_scale":"binding","photon_energy":1486.6,"iterations":3,"stop":"maxit",)"
              R"("chi2":612.5,"r":0.25,"condition":10000,"parameters":[)"
              R"({"name":"Pos1","value":284.5,"link":"varied","sigma":0.01},)"
              R"({"name":"Height1","value":1000,"link":"varied","sigma":12.5},)"
              R"({"name":"LFWHM1","value":0.4,"link":"correlated","sigma":null},)"
              R"({"name":"Alpha1","value":0.1,"link":"fixed","sigma":null},)"
              R"({"name":"GFWHM1","value":0.9,"link":"varied","sigma":0.02},)"
              R"({"name":"a0","value":200,"link":"varied","sigma":1.5}],)"
              R"("peaks":[{"area":1234.5,"width":1.25,"area_sigma":25,"share":1,"share_sigma":0,)"
              R"("width_sigma":0.02,"maximum":1180,"maximum_sigma":20,"maximum_energy":284.45,)"
              R"("maximum_energy_sigma":0.005,"width_at_maximum":1.2,)"
              R"("width_at_maximum_sigma":0.03}],"np":201,"nfree":4,"correlation_condition":77,)"
              "\"diagnosis\":\"GFWHM1 \u2212 0.9\u00B7LFWHM1 is not determined by the data.\"}");
}

TEST(JsonLine, AFailureHasNoFitValues)
{
    EXPECT_EQ(jsonLine(unreadable()),
              R"({"name":"gone.dat","file":"gone.dat","region":null,"status":"read_failed",)"
              R"("message":"/w/gone.dat   does not exist  -  open files individually",)"
              R"("answers":[],"energy_scale":"kinetic","photon_energy":null,"iterations":null,)"
              R"("stop":null,"chi2":null,"r":null,"condition":null,"parameters":[],"peaks":[],)"
              R"("np":null,"nfree":null,"correlation_condition":null,"diagnosis":null})");
}

TEST(Csv, HeaderAndRowsLineUp)
{
    EXPECT_EQ(csvHeader(onePeak()),
              "name,file,region,status,message,iterations,stop,chi2,r,condition,energy_scale,"
              "photon_energy,Pos1,Pos1_link,Pos1_sigma,Height1,Height1_link,Height1_sigma,"
              "LFWHM1,LFWHM1_link,LFWHM1_sigma,Alpha1,Alpha1_link,Alpha1_sigma,GFWHM1,"
              "GFWHM1_link,GFWHM1_sigma,a0,a0_link,a0_sigma,area1,width1,area_sigma1,share1,"
              "share_sigma1,width_sigma1,maximum1,maximum_sigma1,maximum_energy1,"
              "maximum_energy_sigma1,width_at_maximum1,width_at_maximum_sigma1,np,nfree,"
              "correlation_condition,diagnosis");
    EXPECT_EQ(csvRow(fitted(), onePeak()),
              "\"run 1/s,2.vms#2\",\"run 1/s,2.vms\",2,fitted,"
              "Warning - not converged after MAXIT = 3 iterations,3,maxit,612.5,0.25,10000,"
              "binding,1486.6,284.5,varied,0.01,1000,varied,12.5,0.4,correlated,,0.1,fixed,,"
              "0.9,varied,0.02,200,varied,1.5,1234.5,1.25,25,1,0,0.02,1180,20,284.45,0.005,1.2,"
              "0.03,201,4,77,GFWHM1 \u2212 0.9\u00B7LFWHM1 is not determined by the data.");
    EXPECT_EQ(csvRow(unreadable(), onePeak()),
              "gone.dat,gone.dat,,read_failed,"
              "/w/gone.dat   does not exist  -  open files individually,,,,,,kinetic,,,,,,,,,,,"
              ",,,,,,,,,,,,,,,,,,,,,,,,");
}

struct ArgumentCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string error;  // empty: parses
};

class Arguments : public testing::TestWithParam<ArgumentCase> {};

TEST_P(Arguments, AreAcceptedOrRefusedWithTheReason)
{
    const auto parsed = parseArguments(GetParam().arguments);
    const auto* error = std::get_if<UsageError>(&parsed);
    EXPECT_EQ(error ? error->message : std::string(), GetParam().error);
}

const char* const kThreads = "--threads takes a whole number >= 1";

// clang-format off
INSTANTIATE_TEST_SUITE_P(CommandLines, Arguments, testing::Values(
    ArgumentCase{"Minimal", {"--config", "c.cfg", "a.dat"}, ""},
    ArgumentCase{"StandardInput", {"--config=c.cfg", "-"}, ""},
    ArgumentCase{"HelpAlone", {"--help"}, ""},
    ArgumentCase{"NoConfiguration", {"a.dat"}, "no configuration: --config FILE is required"},
    ArgumentCase{"NoSpectra", {"--config", "c.cfg"},
                 "no spectra: name them, give --list FILE, or - for standard input"},
    ArgumentCase{"UnknownOption", {"--config", "c.cfg", "--fast", "a.dat"},
                 "unknown option --fast"},
    ArgumentCase{"MissingValue", {"a.dat", "--config"}, "--config needs a value"},
    ArgumentCase{"ZeroThreads", {"--config", "c.cfg", "--threads", "0", "a.dat"}, kThreads},
    ArgumentCase{"ThreadsNotANumber", {"--config", "c.cfg", "--threads=2x", "a.dat"}, kThreads},
    ArgumentCase{"PhotonEnergyNotANumber", {"--config", "c.cfg", "--photon-energy", "Al", "a.dat"},
                 "--photon-energy takes a number of eV"},
    ArgumentCase{"ReadErrorChoice", {"--config", "c.cfg", "--on-read-error", "skip", "a.dat"},
                 "--on-read-error takes use or fail"},
    ArgumentCase{"ZeroEnergyChoice", {"--config", "c.cfg", "--zero-last-energy=keep", "a.dat"},
                 "--zero-last-energy takes drop or fail"}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

TEST(Arguments, CarryEveryChoiceIntoTheSetup)
{
    // clang-format off
    const auto parsed = parseArguments({"--config", "c.cfg", "--controls", "f.dat", "--chain",
        "--csv", "--out", "o.csv", "--write-calc", "calc", "--threads", "2", "--photon-energy",
        "1486.6", "--on-read-error", "fail", "--zero-last-energy", "fail", "--shift-peaks",
        "--uncertainties", "--list", "l.txt", "a.dat", "--", "--b.dat"});
    // clang-format on
    const Options& o = std::get<Options>(parsed);
    EXPECT_EQ(std::tie(o.setup.configurationFile, o.setup.controlsFile, o.setup.calculationFolder,
                       o.out, o.threads),
              std::tuple("c.cfg", "f.dat", "calc", "o.csv", 2));
    EXPECT_TRUE(o.setup.chain);
    EXPECT_TRUE(o.setup.uncertainties);
    EXPECT_TRUE(o.csv);
    EXPECT_EQ(o.setup.rules, (app::BatchRules{"1486.6", false, false, true}));
    EXPECT_EQ(o.lists, std::vector<std::string>{"l.txt"});
    EXPECT_EQ(o.names, (std::vector<std::string>{"a.dat", "--b.dat"}));
}

TEST(NameList, SkipsBlankLinesAndKeepsInnerBlanks)
{
    std::istringstream in("a.dat\r\n\n  \nrun 2/b c.vms#3\nlast.dat");
    EXPECT_EQ(readNameList(in), (std::vector<std::string>{"a.dat", "run 2/b c.vms#3", "last.dat"}));
}

}  // namespace
}  // namespace varnix::batch
