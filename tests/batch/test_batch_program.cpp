// varnix-fit as a user runs it: every way of naming the spectra gives the same lines (thread
// counts, list files, standard input, GNU parallel, the Slurm array script and its merge), the
// exit codes, and the slicing of the Slurm script without Slurm.
#include "batch_fixture.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace varnix::batch::test {
namespace {

const std::string kProgram = VARNIX_FIT;
const std::string kSlurmScript = VARNIX_FIT_SLURM;

std::string example(const std::string& name)
{
    return std::string(VARNIX_EXAMPLES).append("/").append(name);
}

struct Outcome {
    std::string out;
    int status = -1;
};

// Runs a shell command line; its standard output and exit status.
Outcome run(const std::string& command)
{
    Outcome r;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return r;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        r.out.append(buffer, n);
    }
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string shellQuoted(const std::string& text)
{
    std::string q = "'";
    for (const char c : text) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

std::vector<std::string> lines(const std::string& text, bool sorted = false)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    if (sorted) {
        std::sort(result.begin(), result.end());
    }
    return result;
}

// Three spectra and a file that is none, in a folder of their own, with their list.
class Series : public testing::Test {
protected:
    Series()
    {
        for (const uint64_t seed : {71U, 72U, 73U}) {
            names.push_back(
                folder.writeSpectrum(std::to_string(seed).append(".dat"), synthetic(seed)));
        }
        names.insert(names.begin() + 1, folder.writeText("bad.dat", "no spectrum\n"));
        std::string text;
        for (const std::string& name : names) {
            text.append(name).append("\n");
        }
        list = folder.writeText("list.txt", text);
        configuration = folder.writeConfiguration("c.cfg", synthetic(71).startParameters);
        base = "cd " + shellQuoted(folder.path().string()) + " && ";
        fit = kProgram + " --config " + shellQuoted(configuration);
    }

    std::string allNames() const
    {
        std::string text;
        for (const std::string& name : names) {
            text.append(" ").append(shellQuoted(name));
        }
        return text;
    }

    SpectrumFolder folder;
    std::vector<std::string> names;
    std::string list;
    std::string configuration;
    std::string base;
    std::string fit;
};

TEST_F(Series, EveryWayOfRunningGivesTheSameLines)
{
    const Outcome reference = run(base + fit + " --threads 1" + allNames() + " 2>/dev/null");
    ASSERT_EQ(reference.status, 1) << "the bad file fails, the rest are fitted";
    ASSERT_EQ(lines(reference.out).size(), names.size());
    EXPECT_NE(reference.out.find("\"status\":\"read_failed\""), std::string::npos);

    struct Way {
        const char* name;
        std::string command;
        bool anyOrder;
    };
    const std::string parts = folder.file("parts");
    const std::string slurmTask = "SLURM_ARRAY_TASK_COUNT=2 VARNIX_FIT=" + kProgram + " " +
                                  kSlurmScript + " " + shellQuoted(list) + " " +
                                  shellQuoted(parts) + " --config " + shellQuoted(configuration);
    const std::vector<Way> ways = {
        {"two threads", fit + " --threads 2" + allNames(), false},
        {"list file", fit + " --list " + shellQuoted(list), false},
        {"standard input", fit + " - < " + shellQuoted(list), false},
        {"output file", fit + " --out out.jsonl" + allNames() + "; cat out.jsonl", false},
        {"GNU parallel",
         "parallel --jobs 2 --max-args 1 --joblog fits.log " + fit +
             " --threads 1 :::: " + shellQuoted(list),
         true},
        {"Slurm array and merge",
         "SLURM_ARRAY_TASK_ID=0 " + slurmTask + "; SLURM_ARRAY_TASK_ID=1 " + slurmTask + "; cat " +
             shellQuoted(parts) + "/part-*.jsonl",
         true},
    };
    if (run("command -v parallel").status != 0) {
        GTEST_SKIP() << "GNU parallel is not installed (scripts/install-deps.sh installs it)";
    }
    for (const Way& way : ways) {
        const Outcome r = run(base + "{ " + way.command + "; } 2>/dev/null");
        EXPECT_EQ(lines(r.out, way.anyOrder), lines(reference.out, way.anyOrder)) << way.name;
    }
}

// The worked example of the documentation on the bundled spectra, and regions of a real file
// named as the desktop program names them.
TEST(BundledSpectra, GiveTheDocumentedLines)
{
    struct Expected {
        std::string name;
        const char* status;
        std::string message;
    };
    const std::string vamas = std::string(VARNIX_TEST_DATA) + "/real/LG4X_0-150W.vms";
    const std::vector<Expected> expected = {
        {example("synthetic_c1s.dat"), "fitted", ""},
        {example("lmfitxps_clean_Au_4f.csv"), "fit_failed",
         "Negative diagonal element in error matrix  -  ABORT"},
        {vamas + "#99", "read_failed",
         vamas + ": region 99 does not exist - the file holds 5 spectra - open the file with "
                 "Open > Data to choose another"}};
    std::string command = kProgram + " --config " + shellQuoted(example("synthetic_c1s.cfg")) +
                          " --controls " + shellQuoted(example("FitFile.dat"));
    for (const Expected& e : expected) {
        command.append(" ").append(shellQuoted(e.name));
    }
    const Outcome r = run(command + " 2>/dev/null");
    EXPECT_EQ(r.status, 1);
    const std::vector<std::string> out = lines(r.out);
    ASSERT_EQ(out.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string head = "{\"name\":\"" + expected[i].name + "\"";
        EXPECT_EQ(out[i].substr(0, head.size()), head);
        EXPECT_NE(out[i].find("\"status\":\"" + std::string(expected[i].status) +
                              "\",\"message\":\"" + expected[i].message + "\""),
                  std::string::npos)
            << out[i];
    }
}

struct ExitCase {
    const char* name;
    std::string arguments;  // after the program; <cfg>, <good>, <bad> stand for the files
    int status;
};

class ExitStatus : public testing::TestWithParam<ExitCase> {};

TEST_P(ExitStatus, TellsWhetherEverySpectrumWasFitted)
{
    SpectrumFolder folder;
    std::string arguments = GetParam().arguments;
    const std::pair<std::string, std::string> files[] = {
        {"<cfg>", folder.writeConfiguration("c.cfg", synthetic(71).startParameters)},
        {"<good>", folder.writeSpectrum("good.dat", synthetic(71))},
        {"<bad>", folder.file("missing.dat")},
        {"<badcfg>", folder.writeText("bad.cfg", "NDS four\n")}};
    for (const auto& [marker, file] : files) {
        for (std::size_t at; (at = arguments.find(marker)) != std::string::npos;) {
            arguments.replace(at, marker.size(), shellQuoted(file));
        }
    }
    EXPECT_EQ(run(kProgram + " " + arguments + " >/dev/null 2>&1").status, GetParam().status);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Codes, ExitStatus, testing::Values(
    ExitCase{"AllFitted", "--config <cfg> <good>", 0},
    ExitCase{"SomeFailed", "--config <cfg> <good> <bad>", 1},
    ExitCase{"Help", "--help", 0},
    ExitCase{"NoSpectra", "--config <cfg>", 2},
    ExitCase{"UnknownOption", "--config <cfg> --fast <good>", 2},
    ExitCase{"MissingList", "--config <cfg> --list <bad>", 2},
    ExitCase{"UnreadableConfiguration", "--config <badcfg> <good>", 2}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

TEST(SlurmSlices, CoverTheListOnceInContiguousSlicesOfNearlyEqualSize)
{
    SpectrumFolder folder;
    struct Case {
        int names;
        int tasks;
    };
    for (const Case c : {Case{1, 1}, Case{5, 2}, Case{7, 3}, Case{2, 4}, Case{1000, 16}}) {
        std::string text;
        std::vector<std::string> expected;
        for (int i = 0; i < c.names; ++i) {
            expected.push_back("spectrum " + std::to_string(i) + ".dat");
            text.append(expected.back()).append(i % 3 == 0 ? "\n\n" : "\n");
        }
        const std::string list = folder.writeText("list.txt", text);
        std::vector<std::string> joined;
        std::size_t smallest = expected.size();
        std::size_t largest = 0;
        for (int task = 0; task < c.tasks; ++task) {
            // Slurm numbers the tasks from the array's first index, here 10.
            const Outcome r =
                run("SLURM_ARRAY_TASK_MIN=10 SLURM_ARRAY_TASK_ID=" + std::to_string(task + 10) +
                    " SLURM_ARRAY_TASK_COUNT=" + std::to_string(c.tasks) + " " + kSlurmScript +
                    " --print-slice " + shellQuoted(list) + " unused");
            ASSERT_EQ(r.status, 0);
            const std::vector<std::string> slice = lines(r.out);
            joined.insert(joined.end(), slice.begin(), slice.end());
            smallest = std::min(smallest, slice.size());
            largest = std::max(largest, slice.size());
        }
        EXPECT_EQ(joined, expected) << c.names << " names, " << c.tasks << " tasks";
        EXPECT_LE(largest - smallest, 1U) << c.names << " names, " << c.tasks << " tasks";
    }
    EXPECT_EQ(run("SLURM_ARRAY_TASK_ID=2 SLURM_ARRAY_TASK_COUNT=2 " + kSlurmScript +
                  " --print-slice list.txt unused 2>/dev/null")
                  .status,
              2)
        << "a task beyond the array";
}

}  // namespace
}  // namespace varnix::batch::test
