// The configuration file through FENTAR and GORSEL: round trips of every link, the corpus of
// hand-edited and damaged files, and saves that fail without touching what was there.
#include "configuration.h"
#include "varnix_io.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace varnix::io {
namespace {

namespace fs = std::filesystem;

const fs::path kCfgData = fs::path(VARNIX_TEST_DATA) / "cfg";

// A fresh folder, removed with everything in it.
struct TempFolder {
    std::string pattern = (fs::temp_directory_path() / "varnix-cfg-XXXXXX").string();
    fs::path path = ::mkdtemp(pattern.data());
    ~TempFolder() { fs::remove_all(path); }
};

// FENTAR's out-arguments, starting at values no file holds, so that a routine that writes
// where it must not is caught by comparing with a fresh set.
struct FentarOutputs : ConfigurationData {
    explicit FentarOutputs(std::size_t n)
        : ConfigurationData{-7, -7, -1.5, std::vector(n, -1.5), {-1.5, -1.5, -1.5},
                            std::vector(n, -7), std::vector(n, -7), std::vector(n, -1.5),
                            std::vector(n, -7)}
    {
    }
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
};

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
    const auto bits = [](double x) { return std::bit_cast<uint64_t>(x); };
    std::ostringstream text;
    text << c.nds << ' ' << c.nbg << ' ' << bits(c.hmuConfig) << ' ' << bits(c.a[0]) << ' '
         << bits(c.a[1]) << ' ' << bits(c.a[2]) << '\n';
    for (std::size_t i = 0; i < c.p.size(); ++i) {
        text << "parameter " << i + 1 << ": " << bits(c.p[i]) << ' ' << c.linkState[i] << ' '
             << c.linkPartner[i] << ' ' << bits(c.linkValue[i]) << ' ' << c.linkKind[i] << '\n';
    }
    return text.str();
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

// A configuration file and what FENTAR must read from it, as the program reads: NDS and NBG
// in mode 0, then everything into arrays sized from them. A call that must fail (no `counts`,
// no `data`) must not write a value either.
struct FileCase {
    std::string name;  // a file of tests/data/cfg without ".cfg", or one GORSEL saves
    std::optional<ConfigurationCounts> counts;  // where only later lines are damaged
    std::optional<ConfigurationData> data;
    bool saved = false;
    void (*damage)(ConfigurationData&) = nullptr;  // a second save GORSEL must refuse
};

class ConfigurationFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(ConfigurationFile, ReadsWhatItSaysOrNothing)
{
    const TempFolder folder;
    const auto& [name, fileCounts, data, saved, damage] = GetParam();
    const fs::path file = saved ? folder.path / "model.cfg" : kCfgData / (name + ".cfg");
    if (saved) {
        ASSERT_EQ(save(*data, file), 0);
        if (damage != nullptr) {  // rather than leave a file FENTAR would not read back
            ConfigurationData changed = *data;
            damage(changed);
            EXPECT_GT(save(changed, file), 0);
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 1);  // nothing left over
    }
    ASSERT_TRUE(fs::exists(file));
    const auto counts = data ? ConfigurationCounts{data->nds, data->nbg} : fileCounts;
    FentarOutputs first(1), expected(1);
    expected.nds = counts ? counts->nds : expected.nds;
    expected.nbg = counts ? counts->nbg : expected.nbg;
    const int32_t status = first.call(0, file);
    EXPECT_TRUE(counts ? status == 0 : status > 0) << "mode 0: " << status;
    EXPECT_EQ(fingerprint(first), fingerprint(expected));
    const auto n = static_cast<std::size_t>(counts ? 5 * counts->nds : 5);
    FentarOutputs all(n);
    const int32_t allStatus = all.call(1, file);
    EXPECT_TRUE(data ? allStatus == 0 : allStatus > 0) << "mode 1: " << allStatus;
    EXPECT_EQ(fingerprint(all), data ? fingerprint(*data) : fingerprint(FentarOutputs(n)));
    if (data && n > 0) {  // arrays shorter than the file needs (it changed after mode 0)
        FentarOutputs shorter(n - 1);
        EXPECT_GT(shorter.call(1, file), 0);
        EXPECT_EQ(fingerprint(shorter), fingerprint(FentarOutputs(n - 1)));
    }
}

std::vector<FileCase> fileCases()
{
    const ConfigurationData onePeak = {1, 2, 1486.6, {284.5, 1200, 0.25, 0.05, 0.9},
                                       {15, -0.125, 0}, {0, 0, 2, 0, 0}, {1, 2, 3, 4, 5},
                                       {1, 1, 1, 1, 1}, {0, 0, 0, 0, 0}};
    const ConfigurationData three = linkedConfiguration(3, 1);
    std::vector<FileCase> cases = {
        // Saved and read back bit for bit: no peaks (empty arrays), two-digit peak numbers, and
        // files that survive a save GORSEL refuses.
        {"SavedNoPeaks", {}, linkedConfiguration(0, 0), true},
        {"SavedTwelvePeaks", {}, linkedConfiguration(12, 3), true},
        {"RefusedCountNotFiveNds", {}, three, true, [](auto& c) { c.p.pop_back(); }},
        {"RefusedPartnerBeyondModel", {}, three, true, [](auto& c) { c.linkPartner[3] = 16; }},
        {"RefusedValueNotFinite", {}, three, true, [](auto& c) { c.linkValue[2] = std::nan(""); }},
        {"no_hmuconfig", {}, ConfigurationData{0, 1, 0, {}, {7, 0, 0}, {}, {}, {}, {}}},
        // The program repairs a varied parameter with a foreign partner (Pos2 here); the
        // reader must neither refuse the file nor repair it behind the program's back.
        {"varied_with_foreign_partner", {},
         ConfigurationData{2, 0, 1253.6, {84, 500, 0.2, 0, 0.7, 87.7, 250, 0.2, 0, 0.7}, {0, 0, 0},
                           {0, 0, 0, 2, 0, 0, 1, 1, 2, 1}, {1, 2, 3, 4, 5, 1, 2, 3, 4, 5},
                           {1, 1, 1, 1, 1, 3.7, 0.5, 1, 1, 1}, {0, 0, 0, 0, 0, 2, 1, 1, 1, 1}}},
        {"damaged_parameters", ConfigurationCounts{2, 1}, {}}};
    for (const char* file : {"lf", "crlf", "no_final_newline", "utf8_bom", "comments_and_blanks"}) {
        cases.push_back({file, {}, onePeak});
    }
    for (const char* file : {"empty", "comments_only", "missing_version", "newer_version",
                             "missing_nds", "missing_nbg", "duplicate_nds", "nds_negative",
                             "nds_not_integer", "nds_huge", "nbg_four"}) {
        cases.push_back({file, {}, {}});
    }
    for (const char* file :
         {"missing_parameter", "duplicate_parameter", "peak_beyond_nds", "partner_out_of_range",
          "partner_zero", "state_three", "kind_three", "missing_background",
          "duplicate_background", "bad_number", "not_finite_value", "short_parameter_line",
          "extra_field", "unknown_keyword", "truncated"}) {
        cases.push_back({file, ConfigurationCounts{1, 2}, {}});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(SavedAndHandEdited, ConfigurationFile, ::testing::ValuesIn(fileCases()),
                         [](const auto& testCase) { return testCase.param.name; });

}  // namespace
}  // namespace varnix::io
