// Every writer against the targets a save can meet: names as long as a name can be, symbolic
// links (saved through, the link kept), folders, read-only folders, a full disk. A write
// either puts exactly what a plain save writes where the path leads, or changes nothing at all.
#include "atomic_file.h"
#include "varnix_io.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

using Status = std::optional<int32_t>;  // HALMOR has none

int32_t length(const std::string& text)
{
    return static_cast<int32_t>(text.size());
}

// Each writer with small valid arguments.
Status parvik(const std::string& path)
{
    const std::array<int32_t, 5> colours = {0, 0xC0C0C0, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0};
    const int32_t count = 5;
    int32_t status = -1;
    PARVIK("dat", 3, "cfg", 3, colours.data(), &count, path.data(), length(path), &status);
    return status;
}

Status kelsop(const std::string& path)
{
    const int32_t maxit = 51, iterations = 21;
    const double rmin = 1e-4, lambda = 0.01, factor = 10, range = 3;
    int32_t status = -1;
    KELSOP(&maxit, &rmin, &lambda, &factor, &iterations, &rmin, &iterations, &range, path.data(),
           length(path), &status);
    return status;
}

Status woldek(const std::string& path)
{
    const std::array<double, 3> energy = {84.0, 84.5, 85.0}, counts = {10, 20, 15};
    std::array<int32_t, 100> codes{};
    codes.fill(' ');
    codes[0] = ';';
    const int32_t np = 3, kinetic = 0, nh = 1, width = 100, rows = 1;
    const double hmu = 0.0;
    int32_t status = -1;
    WOLDEK(path.data(), length(path), &np, energy.data(), counts.data(), &kinetic, &hmu, &nh,
           &width, &rows, codes.data(), &status);
    return status;
}

// One peak with a constant background: Pos1 … GFWHM1, a0.
struct Peak {
    int32_t count = 5, nds = 1, nbg = 1, npar = 6, nfree = 2;
    std::array<double, 6> p = {284.5, 1000, 0.2, 0.05, 0.8, 12.5};
    std::array<double, 3> a = {12.5, 0, 0};
    std::array<int32_t, 6> state = {0, 2, 2, 2, 2, 0};
    std::array<int32_t, 5> partner = {1, 2, 3, 4, 5};
    std::array<double, 5> value = {1, 1, 1, 1, 1};
    std::array<int32_t, 5> kind = {0, 0, 0, 0, 0};
};

Status gorsel(const std::string& path)
{
    const Peak m;
    const double hmu = 1486.6;
    int32_t status = -1;
    GORSEL(&m.count, &m.nds, &m.nbg, m.p.data(), m.a.data(), m.state.data(), m.partner.data(),
           m.value.data(), m.kind.data(), &hmu, path.data(), length(path), &status);
    return status;
}

Status mirdax(const std::string& path)
{
    const Peak m;
    int32_t status = -1;
    MIRDAX(&m.count, &m.nds, &m.nbg, m.p.data(), m.a.data(), m.state.data(), m.partner.data(),
           m.value.data(), m.kind.data(), path.data(), length(path), "c1s.cfg", 7, "01.02.2025", 10,
           "10:00:00", 8, &status);
    return status;
}

Status lurven(const std::string& path)
{
    const Peak m;
    const double hmu = 1486.6, r = 0.5, area = 100, width = 1.2, chi2 = 4.0, condition = 10.0;
    const std::vector<double> sigmas(m.p.size(), 0.1), figures(kLurvenPeakFigures, 0.2);
    const int32_t np = 50;
    int32_t status = -1;
    LURVEN(&hmu, &r, m.p.data(), &area, &width, m.state.data(), &m.npar, &m.nds, &m.nbg,
           path.data(), length(path), "c1s.dat", 7, "01.02.2025", 10, "10:00:00", 8, sigmas.data(),
           figures.data(), &chi2, &np, &m.nfree, &condition, &condition, "", 0, &status);
    return status;
}

Status quendal(const std::string& path)
{
    const Peak m;
    const std::array<double, 4> correlations = {1, 0.5, 0.5, 1};
    int32_t status = -1;
    QUENDAL(&m.nfree, correlations.data(), &m.count, &m.nbg, m.state.data(), path.data(),
            length(path), "c1s.dat", 7, "01.02.2025", 10, "10:00:00", 8, &status);
    return status;
}

Status halmor(const std::string& path)
{
    const std::array<double, 2> energy = {84, 85}, calculated = {10, 12};
    const int32_t np = 2, ncomp = 1, kind = 0, scale = 0;
    HALMOR(&np, &ncomp, energy.data(), nullptr, calculated.data(), calculated.data(), &scale,
           nullptr, path.data(), length(path), &kind);
    return std::nullopt;
}

struct Writer {
    const char* name;
    Status (*write)(const std::string&);
};

const Writer kWriters[] = {{"PARVIK", parvik},   {"KELSOP", kelsop}, {"WOLDEK", woldek},
                           {"GORSEL", gorsel},   {"MIRDAX", mirdax}, {"LURVEN", lurven},
                           {"QUENDAL", quendal}, {"HALMOR", halmor}};

// A folder holding "old" and "sub/marker", removed with everything in it.
struct TempFolder {
    std::string pattern = (fs::temp_directory_path() / "varnix-writers-XXXXXX").string();
    fs::path path = ::mkdtemp(pattern.data());
    TempFolder()
    {
        std::ofstream(path / "old") << "previous contents\n";
        fs::create_directory(path / "sub");
        std::ofstream(path / "sub" / "marker") << "kept\n";
    }
    ~TempFolder()
    {
        std::error_code ignored;  // without write permission its files could not go
        fs::permissions(path / "ro", fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path, ignored);
    }
};

std::string contents(const fs::path& file)
{
    std::ostringstream bytes;
    bytes << std::ifstream(file, std::ios::binary).rdbuf();
    return bytes.str();
}

// Every entry below the folder: files by content, links by where they point (never followed).
std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder).string();
        entries[name] = entry.is_symlink()     ? "-> " + fs::read_symlink(entry).string()
                        : entry.is_directory() ? "<folder>"
                                               : contents(entry);
    }
    return entries;
}

// A target, what is laid out for it, and where the content must land (nothing: the write
// must fail with `status` and change nothing).
struct Situation {
    std::string name;
    std::string target;
    std::function<void(const fs::path&)> prepare;
    std::optional<std::string> written = std::nullopt;
    int32_t status = 0;
    bool unprivileged = false;  // as root a read-only folder stops nothing
    rlim_t fileSizeLimit = RLIM_INFINITY;
};

// The write in a child process, so that dropping root and limiting the file size stay there.
Status writeInChild(const Writer& writer, const Situation& s, const std::string& path)
{
    constexpr int kNoStatus = 200, kCannotDrop = 201;
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (s.unprivileged && ::geteuid() == 0
            && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(kCannotDrop);
        }
        std::signal(SIGXFSZ, SIG_IGN);  // so that writing past the limit fails, not kills
        const rlimit limit{s.fileSizeLimit, s.fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const Status status = writer.write(path);
        ::_exit(status ? *status : kNoStatus);
    }
    int result = 0;
    ::waitpid(child, &result, 0);
    EXPECT_TRUE(WIFEXITED(result));
    EXPECT_NE(WEXITSTATUS(result), kCannotDrop);
    return WEXITSTATUS(result) == kNoStatus ? std::nullopt : Status(WEXITSTATUS(result));
}

class WriterTarget : public testing::TestWithParam<std::tuple<Writer, Situation>> {};

TEST_P(WriterTarget, GetsWhatAPlainSaveWritesOrIsLeftAlone)
{
    const auto& [writer, s] = GetParam();
    const TempFolder reference;
    writer.write((reference.path / "plain").string());
    const std::string expected = contents(reference.path / "plain");
    ASSERT_FALSE(expected.empty());

    const TempFolder folder;
    fs::permissions(folder.path, fs::perms(0755));  // reachable for an unprivileged writer
    if (s.prepare) {
        s.prepare(folder.path);
    }
    auto after = snapshot(folder.path);
    const Status status = writeInChild(writer, s, (folder.path / s.target).string());
    if (writer.write != halmor) {
        EXPECT_EQ(status, s.status);
    }
    if (s.written) {
        after[*s.written] = expected;
    }
    EXPECT_EQ(snapshot(folder.path), after);
}

const std::string kLongestName(255, 'n');

void makeLink(const fs::path& folder, const char* name, const fs::path& to)
{
    fs::create_symlink(to, folder / name);
}

void readOnlyFolder(const fs::path& folder)
{
    fs::create_directory(folder / "ro");
    std::ofstream(folder / "ro" / "old") << "previous contents\n";
    fs::permissions(folder / "ro", fs::perms(0555));
}

const Situation kSituations[] = {
    {"LongestName", kLongestName, {}, kLongestName},
    {"NameTooLong", kLongestName + "n", {}, {}, varnix::io::kWriteCannotReplace},
    {"LinkToFile", "link", [](const auto& f) { makeLink(f, "link", "old"); }, "old"},
    {"LinkChainThroughAFolder", "link",
     [](const auto& f) {
         makeLink(f, "link", "sub/hop");
         makeLink(f / "sub", "hop", "../old");
     },
     "old"},
    {"AbsoluteLink", "link", [](const auto& f) { makeLink(f, "link", f / "sub" / "marker"); },
     "sub/marker"},
    {"LinkWithTheLongestName", "link", [](const auto& f) { makeLink(f, "link", kLongestName); },
     kLongestName},
    {"DanglingLink", "link", [](const auto& f) { makeLink(f, "link", "sub/new"); }, "sub/new"},
    {"DanglingLinkIntoMissingFolder",
     "link",
     [](const auto& f) { makeLink(f, "link", "missing/new"); },
     {},
     varnix::io::kWriteCannotCreate},
    {"LinkLoop",
     "a",
     [](const auto& f) {
         makeLink(f, "a", "b");
         makeLink(f, "b", "a");
     },
     {},
     varnix::io::kWriteCannotReplace},
    {"LinkToFolder",
     "link",
     [](const auto& f) { makeLink(f, "link", "sub"); },
     {},
     varnix::io::kWriteCannotReplace},
    {"TargetIsFolder", "sub", {}, {}, varnix::io::kWriteCannotReplace},
    {"MissingFolder", "missing/new", {}, {}, varnix::io::kWriteCannotCreate},
    {"UnderProc", "/proc/varnix-test.out", {}, {}, varnix::io::kWriteCannotCreate},
    {"ReadOnlyFolderNewFile", "ro/new", readOnlyFolder, {}, varnix::io::kWriteCannotCreate, true},
    {"ReadOnlyFolderOldFile", "ro/old", readOnlyFolder, {}, varnix::io::kWriteCannotCreate, true},
    {"DiskFull", "old", {}, {}, varnix::io::kWriteFailed, false, 10},
};

INSTANTIATE_TEST_SUITE_P(Targets, WriterTarget,
                         testing::Combine(testing::ValuesIn(kWriters),
                                          testing::ValuesIn(kSituations)),
                         [](const auto& p) {
                             return std::string(std::get<0>(p.param).name) + "_" +
                                    std::get<1>(p.param).name;
                         });

// The plot library's mode that keeps an existing page: a link to one keeps it too, a
// dangling link gets its target.
TEST(AtomicWriteWithoutReplacing, CreatesButNeverReplaces)
{
    const TempFolder folder;
    makeLink(folder.path, "toOld", "old");
    makeLink(folder.path, "toNew", "new");
    auto after = snapshot(folder.path);
    for (const auto& [target, status] : {std::pair("old", varnix::io::kWriteCannotReplace),
                                         std::pair("toOld", varnix::io::kWriteCannotReplace),
                                         std::pair("toNew", varnix::io::kWriteOk)}) {
        EXPECT_EQ(varnix::io::writeFileAtomically((folder.path / target).string(), "page\n", false),
                  status)
            << target;
    }
    after["new"] = "page\n";
    EXPECT_EQ(snapshot(folder.path), after);
}

}  // namespace
