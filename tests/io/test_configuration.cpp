// The configuration file through FENTAR and GORSEL: round trips of every link, the corpus of
// hand-edited and damaged files, and saves that fail without touching what was there.
#include "configuration.h"
#include "varnix_io.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace varnix::io {
namespace {

namespace fs = std::filesystem;

const fs::path kCfgData = fs::path(VARNIX_TEST_DATA) / "cfg";

struct TempFolder {
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "varnix-cfg-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(path); }
    fs::path path;
};

// Every file and folder below `folder` with its bytes: equal snapshots mean nothing was
// changed, added or left behind.
std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::ostringstream bytes;
        if (entry.is_regular_file()) {
            bytes << std::ifstream(entry.path(), std::ios::binary).rdbuf();
        }
        entries[entry.path().string()] = entry.is_directory() ? "<folder>" : bytes.str();
    }
    return entries;
}

// FENTAR's out-arguments, starting at values no file holds, so that a routine that writes
// where it must not is caught by comparing with a fresh set.
struct FentarOutputs {
    explicit FentarOutputs(std::size_t n)
        : p(n, -1.5), linkState(n, -7), linkPartner(n, -7), linkValue(n, -1.5), linkKind(n, -7)
    {
    }
    bool operator==(const FentarOutputs&) const = default;

    int32_t call(int32_t mode, const fs::path& file)
    {
        const std::string name = file.string();
        const auto length = static_cast<int32_t>(p.size());
        int32_t status = -1;
        FENTAR(&mode, &nds, &nbg, &length, p.data(), a.data(), linkState.data(), linkPartner.data(),
               linkValue.data(), linkKind.data(), &hmuConfig, name.data(),
               static_cast<int32_t>(name.size()), &status);
        return status;
    }

    int32_t nds = -7;
    int32_t nbg = -7;
    double hmuConfig = -1.5;
    std::vector<double> p;
    std::array<double, 3> a{-1.5, -1.5, -1.5};
    std::vector<int32_t> linkState, linkPartner;
    std::vector<double> linkValue;
    std::vector<int32_t> linkKind;
};

// What the program does: NDS and NBG first, then everything into arrays sized from them.
std::optional<ConfigurationData> readLikeTheProgram(const fs::path& file)
{
    FentarOutputs counts(1);
    if (counts.call(0, file) != 0) {
        return std::nullopt;
    }
    FentarOutputs all(static_cast<std::size_t>(5 * counts.nds));
    if (all.call(1, file) != 0 || all.nds != counts.nds || all.nbg != counts.nbg) {
        return std::nullopt;
    }
    return ConfigurationData{all.nds,       all.nbg,         all.hmuConfig, all.p,       all.a,
                             all.linkState, all.linkPartner, all.linkValue, all.linkKind};
}

int32_t save(const ConfigurationData& c, const fs::path& file)
{
    const std::string name = file.string();
    const auto n = static_cast<int32_t>(c.p.size());
    int32_t status = -1;
    GORSEL(&n, &c.nds, &c.nbg, c.p.data(), c.a.data(), c.linkState.data(), c.linkPartner.data(),
           c.linkValue.data(), c.linkKind.data(), &c.hmuConfig, name.data(),
           static_cast<int32_t>(name.size()), &status);
    return status;
}

// Every field, reals as their bit patterns, one line per parameter: a mismatch names itself.
std::string fingerprint(const ConfigurationData& c)
{
    const auto bits = [](double x) { return std::to_string(std::bit_cast<uint64_t>(x)) + " "; };
    std::string text = std::to_string(c.nds) + " " + std::to_string(c.nbg) + " " + bits(c.hmuConfig)
                     + bits(c.a[0]) + bits(c.a[1]) + bits(c.a[2]) + "\n";
    for (std::size_t i = 0; i < c.p.size(); ++i) {
        text += parameterName(static_cast<int32_t>(i), static_cast<int32_t>(c.p.size())) + " "
              + bits(c.p[i]) + std::to_string(c.linkState[i]) + " "
              + std::to_string(c.linkPartner[i]) + " " + bits(c.linkValue[i])
              + std::to_string(c.linkKind[i]) + "\n";
    }
    return text;
}

// Numbers that a fixed number of decimals would not bring back, then their neighbours.
double awkward(std::size_t i)
{
    constexpr std::array<double, 10> kValues = {
        284.5, 0.1 + 0.2, 1.0 / 3.0, -0.0, 4.9406564584124654e-324, 1.7976931348623157e308,
        -2.2250738585072014e-308, 1e22, 123456789.00000001, -7.0 / 11.0};
    const double value = kValues[i % kValues.size()];
    return (i / kValues.size()) % 2 == 0 ? value : std::nextafter(value, 1.0);
}

// States and kinds cycle so that every state meets every kind; a linked parameter follows
// the same parameter of the peak before (its own in the first peak).
ConfigurationData linkedConfiguration(int32_t nds, int32_t nbg)
{
    const auto n = static_cast<std::size_t>(5 * nds);
    ConfigurationData c{nds, nbg, awkward(n + 7), {}, {awkward(n), awkward(n + 1), awkward(n + 2)},
                        {}, {}, {}, {}};
    for (std::size_t i = 0; i < n; ++i) {
        const auto state = static_cast<int32_t>(i % 3);
        c.p.push_back(awkward(i));
        c.linkState.push_back(state);
        c.linkPartner.push_back(
            static_cast<int32_t>(state == kLinkVaried || i < 5 ? i + 1 : i - 4));
        c.linkValue.push_back(awkward(i + 3));
        c.linkKind.push_back(static_cast<int32_t>((i / 3) % 3));
    }
    return c;
}

class ConfigurationRoundTrip : public ::testing::TestWithParam<std::pair<int32_t, int32_t>> {};

TEST_P(ConfigurationRoundTrip, ReadsBackEveryFieldBitForBit)
{
    const TempFolder folder;
    const auto [nds, nbg] = GetParam();
    const ConfigurationData written = linkedConfiguration(nds, nbg);
    ASSERT_EQ(save(written, folder.path / "model.cfg"), 0);
    const auto read = readLikeTheProgram(folder.path / "model.cfg");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(fingerprint(*read), fingerprint(written));
}

INSTANTIATE_TEST_SUITE_P(PeaksAndBackground, ConfigurationRoundTrip,
                         ::testing::Values(std::pair{0, 0}, std::pair{0, 3}, std::pair{1, 1},
                                           std::pair{3, 2}, std::pair{12, 3}),
                         [](const auto& testCase) {
                             return "Nds" + std::to_string(testCase.param.first) + "Nbg"
                                  + std::to_string(testCase.param.second);
                         });

struct WellFormedCase {
    const char* file;
    ConfigurationData expected;  // what the file says, read by eye
};

class WellFormedFile : public ::testing::TestWithParam<WellFormedCase> {};

TEST_P(WellFormedFile, ReadsWhatTheFileSays)
{
    const auto read = readLikeTheProgram(kCfgData / GetParam().file);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(fingerprint(*read), fingerprint(GetParam().expected));
}

// lf.cfg line by line; its variants differ only in their bytes.
const ConfigurationData kOnePeak = {1, 2, 1486.6, {284.5, 1200, 0.25, 0.05, 0.9}, {15, -0.125, 0},
                                    {0, 0, 2, 0, 0}, {1, 2, 3, 4, 5}, {1, 1, 1, 1, 1},
                                    {0, 0, 0, 0, 0}};

INSTANTIATE_TEST_SUITE_P(
    Corpus, WellFormedFile,
    ::testing::Values(
        WellFormedCase{"lf.cfg", kOnePeak}, WellFormedCase{"crlf.cfg", kOnePeak},
        WellFormedCase{"no_final_newline.cfg", kOnePeak}, WellFormedCase{"utf8_bom.cfg", kOnePeak},
        WellFormedCase{"comments_and_blanks.cfg", kOnePeak},
        WellFormedCase{"nds_zero_nbg_three.cfg",
                       {0, 3, 0, {}, {100, -2.5, 0.0078125}, {}, {}, {}, {}}},
        WellFormedCase{"no_hmuconfig.cfg", {0, 1, 0, {}, {7, 0, 0}, {}, {}, {}, {}}},
        // The program repairs a varied parameter with a foreign partner (Pos2 here); the
        // reader must neither refuse the file nor repair it behind the program's back.
        WellFormedCase{"varied_with_foreign_partner.cfg",
                       {2, 0, 1253.6, {84, 500, 0.2, 0, 0.7, 87.7, 250, 0.2, 0, 0.7}, {0, 0, 0},
                        {0, 0, 0, 2, 0, 0, 1, 1, 2, 1}, {1, 2, 3, 4, 5, 1, 2, 3, 4, 5},
                        {1, 1, 1, 1, 1, 3.7, 0.5, 1, 1, 1}, {0, 0, 0, 0, 0, 2, 1, 1, 1, 1}}}),
    [](const auto& testCase) {
        const std::string file = testCase.param.file;
        return file.substr(0, file.find('.'));
    });

struct MalformedCase {
    const char* file;
    std::optional<ConfigurationCounts> counts;  // mode 0 reads them when only later lines fail
};

class MalformedFile : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedFile, FailsAndLeavesTheArgumentsAlone)
{
    const fs::path file = kCfgData / GetParam().file;
    ASSERT_TRUE(fs::exists(file));
    const auto expected = GetParam().counts;
    FentarOutputs counts(1);
    if (expected) {
        ASSERT_EQ(counts.call(0, file), 0);
        EXPECT_EQ(std::pair(counts.nds, counts.nbg), std::pair(expected->nds, expected->nbg));
    } else {
        EXPECT_GT(counts.call(0, file), 0);
        EXPECT_EQ(counts, FentarOutputs(1));
    }
    // Mode 1 with arrays of the size mode 0 asked for, as the program would pass them.
    const std::size_t n = expected ? static_cast<std::size_t>(5 * expected->nds) : 5;
    FentarOutputs all(n);
    EXPECT_GT(all.call(1, file), 0);
    EXPECT_EQ(all, FentarOutputs(n));
}

constexpr ConfigurationCounts kBase{1, 2};

INSTANTIATE_TEST_SUITE_P(
    Corpus, MalformedFile,
    ::testing::Values(
        MalformedCase{"empty.cfg", {}}, MalformedCase{"comments_only.cfg", {}},
        MalformedCase{"missing_version.cfg", {}}, MalformedCase{"newer_version.cfg", {}},
        MalformedCase{"missing_nds.cfg", {}}, MalformedCase{"missing_nbg.cfg", {}},
        MalformedCase{"duplicate_nds.cfg", {}}, MalformedCase{"nds_negative.cfg", {}},
        MalformedCase{"nds_not_integer.cfg", {}}, MalformedCase{"nds_huge.cfg", {}},
        MalformedCase{"nbg_four.cfg", {}}, MalformedCase{"missing_parameter.cfg", kBase},
        MalformedCase{"duplicate_parameter.cfg", kBase},
        MalformedCase{"peak_beyond_nds.cfg", kBase},
        MalformedCase{"partner_out_of_range.cfg", kBase}, MalformedCase{"partner_zero.cfg", kBase},
        MalformedCase{"state_three.cfg", kBase}, MalformedCase{"kind_three.cfg", kBase},
        MalformedCase{"missing_background.cfg", kBase},
        MalformedCase{"duplicate_background.cfg", kBase}, MalformedCase{"bad_number.cfg", kBase},
        MalformedCase{"short_parameter_line.cfg", kBase}, MalformedCase{"extra_field.cfg", kBase},
        MalformedCase{"unknown_keyword.cfg", kBase}, MalformedCase{"truncated.cfg", kBase},
        MalformedCase{"damaged_parameters.cfg", ConfigurationCounts{2, 1}}),
    [](const auto& testCase) {
        const std::string file = testCase.param.file;
        return file.substr(0, file.find('.'));
    });

// Arguments that contradict the file or each other: a status, never a write past an array.
TEST(FentarArguments, AreCheckedBeforeAnythingIsWritten)
{
    const fs::path file = kCfgData / "lf.cfg";
    for (const auto& [mode, n, target] :
         {std::tuple{1, 4, file}, std::tuple{1, 10, file}, std::tuple{2, 5, file},
          std::tuple{1, 5, kCfgData}, std::tuple{0, 1, kCfgData / "no_such_file.cfg"}}) {
        FentarOutputs out(static_cast<std::size_t>(n));
        EXPECT_GT(out.call(mode, target), 0) << mode << " " << n << " " << target;
        EXPECT_EQ(out, FentarOutputs(static_cast<std::size_t>(n)));
    }
    const int32_t mode = 1;
    int32_t status = 0;
    FENTAR(&mode, nullptr, nullptr, &mode, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
           nullptr, file.c_str(), static_cast<int32_t>(file.string().size()), &status);
    EXPECT_GT(status, 0);
}

// Saves that cannot succeed. As root a read-only folder does not stop a write, so the failures
// come from the path itself and from configurations GORSEL refuses rather than write a file
// that FENTAR would not read back.
struct FailedSaveCase {
    const char* name;
    const char* target;  // relative to a folder holding old.cfg and sub/marker
    void (*damage)(ConfigurationData&);
};

class FailedSave : public ::testing::TestWithParam<FailedSaveCase> {};

TEST_P(FailedSave, ReportsAndLeavesTheFolderAsItWas)
{
    const TempFolder folder;
    ASSERT_EQ(save(linkedConfiguration(2, 1), folder.path / "old.cfg"), 0);
    fs::create_directory(folder.path / "sub");
    std::ofstream(folder.path / "sub" / "marker") << "kept";
    const auto before = snapshot(folder.path);

    ConfigurationData changed = linkedConfiguration(3, 1);
    GetParam().damage(changed);
    EXPECT_GT(save(changed, folder.path / GetParam().target), 0);
    EXPECT_EQ(snapshot(folder.path), before);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, FailedSave,
    ::testing::Values(
        FailedSaveCase{"TargetIsAFolder", "sub", [](ConfigurationData&) {}},
        FailedSaveCase{"MissingFolder", "missing/new.cfg", [](ConfigurationData&) {}},
        FailedSaveCase{"ParentIsAFile", "old.cfg/new.cfg", [](ConfigurationData&) {}},
        FailedSaveCase{"BackgroundOfFour", "old.cfg", [](ConfigurationData& c) { c.nbg = 4; }},
        FailedSaveCase{"CountNotFiveNds", "old.cfg", [](ConfigurationData& c) { c.p.pop_back(); }},
        FailedSaveCase{"PartnerBeyondModel", "old.cfg",
                       [](ConfigurationData& c) { c.linkPartner[3] = 16; }},
        FailedSaveCase{"KindThree", "old.cfg", [](ConfigurationData& c) { c.linkKind[7] = 3; }},
        FailedSaveCase{"ValueNotFinite", "old.cfg",
                       [](ConfigurationData& c) { c.linkValue[2] = std::nan(""); }}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace varnix::io
