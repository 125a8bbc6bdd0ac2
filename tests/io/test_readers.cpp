// Readers of instrument and peer formats, checked against what the files say: the real sample
// spectra (values read off the files by hand; tests/data/real/PROVENANCE.md) and a corpus of
// tiny files named after the layout trap each one holds.
#include "spectrum.h"
#include "text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace varnix::io {
namespace {

const std::string kData = VARNIX_TEST_DATA;

// Energies are decimal text or start + i·step: only the last bits of a sum may differ.
constexpr double kEnergyTol = 1e-9;
// Counts converted from rates are products of two or three decimals.
constexpr double kRelCountTol = 1e-12;

std::string fileText(const std::string& relative)
{
    const auto text = readFile(kData + "/" + relative);
    EXPECT_TRUE(text.has_value()) << relative;
    return text.value_or("");
}

std::string extensionOf(const std::string& path)
{
    return path.substr(path.find_last_of('.') + 1);
}

bool headerMentions(const SpectrumData& data, const std::string& text)
{
    return std::any_of(data.header.begin(), data.header.end(),
                       [&](const std::string& line) { return line.find(text) != line.npos; });
}

void expectCount(double actual, double expected)
{
    EXPECT_NEAR(actual, expected, kRelCountTol * std::fabs(expected));
}

// The first `times` occurrences of an axis label renamed, so that the reader skips those
// blocks as non-energy spectra and returns a later one.
std::string relabelled(std::string text, const std::string& from, const std::string& to, int times)
{
    std::size_t at = 0;
    for (int i = 0; i < times; ++i) {
        at = text.find(from, at);
        EXPECT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    }
    return text;
}

// ---- Real files: NP, first and last point, scale and photon energy ----

struct RealCase {
    const char* name;
    const char* file;
    const char* label;  // axis label of the blocks to skip, and what it becomes
    const char* skippedLabel;
    int skipped;
    std::size_t points;
    double firstEnergy, firstValue, lastEnergy, lastValue;
    double countFactor;  // dwell × scans where the file gives counts per second, else 1
    bool binding;
    double photonEnergy;
};

class RealFiles : public testing::TestWithParam<RealCase> {};

TEST_P(RealFiles, ReadAsTheFileSays)
{
    const RealCase& c = GetParam();
    const std::string text =
        relabelled(fileText(std::string("real/") + c.file), c.label, c.skippedLabel, c.skipped);
    const SpectrumData data = parseSpectrum(text, extensionOf(c.file));
    ASSERT_EQ(data.status, kReadOk);
    ASSERT_EQ(data.energies.size(), c.points);
    ASSERT_EQ(data.counts.size(), c.points);
    EXPECT_NEAR(data.energies.front(), c.firstEnergy, kEnergyTol);
    EXPECT_NEAR(data.energies.back(), c.lastEnergy, kEnergyTol);
    expectCount(data.counts.front(), c.firstValue * c.countFactor);
    expectCount(data.counts.back(), c.lastValue * c.countFactor);
    EXPECT_EQ(data.binding, c.binding);
    EXPECT_TRUE(data.photonEnergyStated);
    EXPECT_EQ(data.photonEnergy, c.photonEnergy);
    for (const auto& line : data.header) {
        EXPECT_LE(line.size(), kHeaderWidth);
    }
}

// Count-rate files: PHI gives c/s with dwell 0.4 s (C 1s) or 0.8 s (Mo 3d) and 1 scan; the
// xy survey gives counts/s with dwell 0.1 s, Fe2p 0.3 s, 1 scan each.
INSTANTIATE_TEST_SUITE_P(
    Samples, RealFiles,
    testing::Values(RealCase{"ScientaAg3d", "pynxtools-xps_Ag_0001.txt", "", "", 0, 361, 382,
                             15.7494897842407, 364, 13.1949939727783, 1.0, true, 520},
                    RealCase{"XySurvey", "pynxtools-xps_MgFe2O4_small.xy", "", "", 0, 1351, 1350,
                             15598.679, 0, 181.52882, 0.1, true, 1486.61},
                    RealCase{"XyFe2pAfterSkippedSurvey", "pynxtools-xps_MgFe2O4_small.xy",
                             "ColumnLabels:                 energy", "ColumnLabels: index", 1, 56,
                             750, 5913.3234, 695, 4013.8297, 0.3, true, 1486.61},
                    RealCase{"VamasSurveyKinetic", "pynxtools-xps_regular.vms", "", "", 0, 1351,
                             136.61, 1559.87, 1486.61, 18.1529, 1.0, false, 1486.61},
                    RealCase{"PhiC1s", "LG4X_Mutlipak_vms.npl", "", "", 0, 601, 305, 2047.5, 275,
                             1372.5, 0.4, true, 1486.60},
                    RealCase{"PhiMo3dBlock5", "LG4X_Mutlipak_vms.npl", "Binding Energy",
                             "Etch Time", 4, 401, 240, 1252.5, 220, 537.5, 0.8, true, 1486.60},
                    RealCase{"KratosNi2pBlock2", "LG4X_0-150W.vms", "Kinetic energy", "Etch Time",
                             1, 601, 586.69, 114, 646.69, 102, 1.0, false, 1486.69},
                    RealCase{"KratosW4fBlock5", "LG4X_0-150W.vms", "Kinetic energy", "Etch Time", 4,
                             251, 1436.69, 897, 1461.69, 107, 1.0, false, 1486.69},
                    RealCase{"LmfitCsvHvInComment", "lmfitxps_clean_Au_4f.csv", "", "", 0, 294,
                             84.0, 9616, 95.9984, 3203, 1.0, false, 180}),
    [](const testing::TestParamInfo<RealCase>& p) { return std::string(p.param.name); });

// Every block of a VAMAS file is listed with its points, all of them are parsed and the file
// ends with its terminator right after the declared number of blocks.
TEST(RealVamas, ListsEveryBlockAndReachesTheTerminator)
{
    struct Listing {
        const char* file;
        std::vector<std::string> blocks;
    };
    const std::vector<Listing> listings = {
        {"LG4X_Mutlipak_vms.npl",
         {"1 of 5: Block No.1 (C 1s), 601 points", "2 of 5: Block No.2 (O 1s), 601 points",
          "3 of 5: Block No.3 (S 2p), 501 points", "4 of 5: Block No.4 (N 1s), 401 points",
          "5 of 5: Block No.5 (Mo 3d), 401 points"}},
        {"LG4X_0-150W.vms",
         {"1 of 5: wide, 1206 points", "2 of 5: Ni 2p, 601 points", "3 of 5: O 1s, 251 points",
          "4 of 5: C 1s, 301 points", "5 of 5: W 4f, 251 points"}},
        {"pynxtools-xps_regular.vms", {"1 of 1: Survey, 1351 points"}}};
    for (const auto& listing : listings) {
        const SpectrumData data = readSpectrumFile(kData + "/real/" + listing.file);
        EXPECT_EQ(data.status, kReadOk) << listing.file;
        for (const auto& block : listing.blocks) {
            EXPECT_TRUE(headerMentions(data, "Block " + block)) << listing.file << ": " << block;
        }
        EXPECT_FALSE(headerMentions(data, "end of experiment")) << listing.file;
        EXPECT_FALSE(headerMentions(data, "damaged")) << listing.file;
    }
}

// PHI's c/s values are multiples of 1/dwell: converted to counts, every block gives whole
// numbers, which a wrong dwell, a missed scan factor or a shifted value would not.
TEST(RealVamas, PhiRatesBecomeWholeCounts)
{
    const std::string text = fileText("real/LG4X_Mutlipak_vms.npl");
    for (int skipped = 0; skipped < 5; ++skipped) {
        const SpectrumData data =
            parseSpectrum(relabelled(text, "Binding Energy", "Etch Time", skipped), "npl");
        ASSERT_EQ(data.status, kReadOk);
        for (const double count : data.counts) {
            ASSERT_NEAR(count, std::round(count), 1e-9) << "block " << skipped + 1;
        }
    }
}

// The same Prodigy survey exported twice: VAMAS on the kinetic axis in counts, xy on the
// binding axis in counts per second (dwell 0.1 s, 1 scan). BE = hν − KE point by point.
TEST(RealFilesCrossCheck, VamasSurveyIsTheXySurvey)
{
    // The VAMAS export keeps six significant digits.
    constexpr double kRelVamasDigits = 5e-6;
    const SpectrumData vamas = readSpectrumFile(kData + "/real/pynxtools-xps_regular.vms");
    const SpectrumData xy = readSpectrumFile(kData + "/real/pynxtools-xps_MgFe2O4_small.xy");
    ASSERT_EQ(vamas.energies.size(), xy.energies.size());
    ASSERT_EQ(vamas.photonEnergy, xy.photonEnergy);
    for (std::size_t i = 0; i < xy.energies.size(); ++i) {
        ASSERT_NEAR(xy.energies[i], vamas.photonEnergy - vamas.energies[i], kEnergyTol) << i;
        ASSERT_NEAR(xy.counts[i], vamas.counts[i], kRelVamasDigits * vamas.counts[i] + 1e-4) << i;
    }
}

// ---- Tiny files, one layout trap each ----

struct FixtureCase {
    const char* name;
    const char* file;
    int32_t status;
    std::vector<double> energies;
    std::vector<double> counts;
    bool binding;
    std::optional<double> photonEnergy;
    const char* mentioned;  // a header line must contain this, when not empty
};

class Fixtures : public testing::TestWithParam<FixtureCase> {};

TEST_P(Fixtures, ReadAsTheFileSays)
{
    const FixtureCase& c = GetParam();
    const SpectrumData data = readSpectrumFile(kData + "/" + c.file);
    EXPECT_EQ(data.status, c.status);
    ASSERT_EQ(data.energies.size(), c.energies.size());
    ASSERT_EQ(data.counts.size(), c.counts.size());
    for (std::size_t i = 0; i < c.energies.size(); ++i) {
        EXPECT_NEAR(data.energies[i], c.energies[i], kEnergyTol) << "point " << i;
        expectCount(data.counts[i], c.counts[i]);
    }
    if (c.status != kReadHeaderError) {
        EXPECT_EQ(data.binding, c.binding);
        EXPECT_EQ(data.photonEnergyStated, c.photonEnergy.has_value());
        EXPECT_EQ(data.photonEnergy, c.photonEnergy.value_or(0.0));
    }
    if (*c.mentioned != '\0') {
        EXPECT_TRUE(headerMentions(data, c.mentioned)) << "no header line with: " << c.mentioned;
    }
}

std::string caseName(const testing::TestParamInfo<FixtureCase>& p)
{
    return p.param.name;
}

// The hand-written Au 4f block: kinetic 1400.6 + 0.5 i, hν 1486.6.
const std::vector<double> kAuEnergies = {1400.6, 1401.1, 1401.6, 1402.1, 1402.6};
const std::vector<double> kAuCounts = {1210, 2950, 5620, 3310, 1480};

FixtureCase au(const char* name, const char* file, const char* mentioned = "")
{
    return {name, file, kReadOk, kAuEnergies, kAuCounts, false, 1486.6, mentioned};
}

FixtureCase refused(const char* name, const char* file, const char* mentioned)
{
    return {name, file, kReadHeaderError, {}, {}, false, std::nullopt, mentioned};
}

INSTANTIATE_TEST_SUITE_P(
    Vamas, Fixtures,
    testing::Values(
        au("Lf", "vamas/minimal_lf.vms", "Block 1 of 1: Au 4f, 5 points"),
        au("Crlf", "vamas/crlf.vms"), au("LoneCr", "vamas/cr_only.vms"),
        au("LeadingBlankLines", "vamas/leading_blank_lines.vms"),
        au("NulAndPaddingInValues", "vamas/nul_in_label.vms"),
        au("EmptyTextFields", "vamas/empty_text_fields.vms"),
        au("Cv2TransmissionStaysOut", "vamas/cv2_interleaved.vms"),
        au("SdpModeExtraLines", "vamas/sdp_mode.vms"),
        au("FutureBlockEntries", "vamas/future_block_entries.vms"),
        au("RatesTimesDwellTimesScans", "vamas/count_rate.vms", "x 0.5 s dwell x 4 scans"),
        au("NonEnergyBlockSkipped", "vamas/first_block_not_energy.vms",
           "Block 1 of 2: depth profile (O 1s), 3 points, not an energy spectrum"),
        FixtureCase{"BindingNegativeIncrement", "vamas/binding_negative_increment.vms", kReadOk,
                    {88, 87.5, 87, 86.5, 86}, kAuCounts, true, 1486.6, ""},
        FixtureCase{"PhotonEnergyNotStated", "vamas/photon_not_stated.vms", kReadOk, kAuEnergies,
                    kAuCounts, false, std::nullopt, ""},
        FixtureCase{"Irregular", "vamas/irregular.vms", kReadOk, {1400.6, 1400.9, 1401.5, 1402.3},
                    {1210, 2950, 5620, 3310}, false, 1486.6, ""},
        FixtureCase{"TruncatedBlock", "vamas/truncated_block.vms", kReadDataError,
                    {1400.6, 1401.1, 1401.6}, {1210, 2950, 5620}, false, 1486.6, "break off"},
        FixtureCase{"ValuesNotWholePoints", "vamas/values_not_whole_points.vms", kReadDataError,
                    {1400.6, 1401.1, 1401.6, 1402.1}, {1210, 2950, 5620, 3310}, false, 1486.6, ""},
        refused("InclusionList", "vamas/inclusion_list.vms", "k != 0"),
        refused("FutureExperimentEntries", "vamas/future_experiment_entries.vms", "fe != 0"),
        au("EmptyBlockSkipped", "vamas/empty_block_then_spectrum.vms",
           "Block 1 of 2: Au 4f empty (Au 4f), 0 points"),
        refused("NoEnergyBlock", "vamas/no_energy_block.vms", "no block"),
        refused("OnlyAnEmptyBlock", "vamas/empty_block.vms", "no block holds values"),
        refused("MappingScan", "vamas/mapping_scan.vms", "REGULAR")),
    caseName);

// cps × 0.1 s dwell × 3 scans.
const std::vector<double> kXyCounts = {4120.3 * 0.3, 9980.7 * 0.3, 21034.2 * 0.3, 30511.9 * 0.3};
const std::vector<double> kXyEnergies = {85.5, 85.0, 84.5, 84.0};
const std::vector<double> kScientaEnergies = {94, 94.05, 94.1, 94.15};
const std::vector<double> kScientaCounts = {120, 341, 502, 218};

INSTANTIATE_TEST_SUITE_P(
    XyAndScienta, Fixtures,
    testing::Values(
        FixtureCase{"XyFirstOfTwoRegions", "specs_xy/two_regions.xy", kReadOk, kXyEnergies,
                    kXyCounts, true, 1486.61, "Region 2 of 2: C1s, 3 points"},
        FixtureCase{"XySnapshotSkipped", "specs_xy/second_region_selected.xy", kReadOk, kXyEnergies,
                    kXyCounts, true, 1486.61,
                    "Region 1 of 3: Align, 3 points, not an energy spectrum"},
        FixtureCase{"XyKineticCounts", "specs_xy/kinetic_counts.xy", kReadOk,
                    {1401.11, 1401.61, 1402.11, 1402.61}, {412, 998, 2103, 3051}, false, 1486.61,
                    ""},
        FixtureCase{"XyRatesWithoutDwell", "specs_xy/rates_without_dwell.xy", kReadOk, kXyEnergies,
                    {4120.3, 9980.7, 21034.2, 30511.9}, true, 1486.61, "count rates"},
        FixtureCase{"XySeparateScansSummed", "specs_xy/separate_scans.xy", kReadOk, kXyEnergies,
                    {8120.3 * 0.1, 19980.7 * 0.1, 42034.2 * 0.1, 61011.9 * 0.1}, true, 1486.61,
                    "2 separately stored scans"},
        FixtureCase{"XyRowsBelowValuesPerCurve", "specs_xy/values_curve_mismatch.xy",
                    kReadDataError, kXyEnergies, kXyCounts, true, 1486.61, "Values/Curve"},
        refused("XyIndexOnly", "specs_xy/index_only.xy", "no region"),
        FixtureCase{"ScientaKinetic", "scienta/kinetic.txt", kReadOk, kScientaEnergies,
                    kScientaCounts, false, 180, "not raw counts"},
        FixtureCase{"ScientaEnergyUnitKineticInBindingFile",
                    "scienta/binding_energy_unit_kinetic.txt", kReadOk, {86, 85.95, 85.9, 85.85},
                    kScientaCounts, true, 180, ""},
        FixtureCase{"ScientaFirstOfTwoRegions", "scienta/two_regions.txt", kReadOk,
                    kScientaEnergies, kScientaCounts, false, 180, "Region 2 of 2: C 1s, 3 points"},
        FixtureCase{"ScientaTimeRegionSkipped", "scienta/second_region_selected.txt", kReadOk,
                    kScientaEnergies, kScientaCounts, false, 180, "not an energy spectrum"},
        FixtureCase{"ScientaSlicesSummed", "scienta/slices_summed.txt", kReadOk, kScientaEnergies,
                    {150, 381, 552, 278}, false, 180, "Sum of 2 slices"},
        FixtureCase{"ScientaRowsBelowSize", "scienta/size_mismatch.txt", kReadDataError,
                    kScientaEnergies, kScientaCounts, false, 180, "Dimension 1 size"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    CasaText, Fixtures,
    testing::Values(
        FixtureCase{"Export", "casa/export.txt", kReadOk, {1400.6, 1401.1}, {1210, 2950}, false,
                    1486.6, "0.1 s per point"},
        FixtureCase{"TwoBlocksWithFit", "casa/two_blocks.txt", kReadOk, {776.61, 777.11, 777.61},
                    {4000, 4200, 3900}, false, 1486.61, "Block 2 of 2: Cycle 0:FeO:O1s, 2 points"},
        FixtureCase{"MissingCount", "casa/missing_counts.txt", kReadDataError, {1400.6}, {1210},
                    false, 1486.6, ""}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Columns, Fixtures,
    testing::Values(
        FixtureCase{"BeHeaderCrlf", "columns/be_header_crlf.csv", kReadOk, {88, 87.5, 87},
                    {2100, 2900, 3400}, true, std::nullopt, ""},
        FixtureCase{"DecimalCommaSemicolon", "columns/decimal_comma_semicolon.csv", kReadOk,
                    {84.04, 84.08, 84.12}, {9616, 9581.5, 9638}, false, std::nullopt, ""},
        FixtureCase{"DecimalCommaTab", "columns/decimal_comma_tab.txt", kReadOk, {84.04, 84.08},
                    {9616, 9581.5}, false, std::nullopt, ""},
        FixtureCase{"DescendingUnlabelledIsBinding", "columns/descending_no_label.txt", kReadOk,
                    {290, 289.5, 289}, {1200, 1500, 1800}, true, std::nullopt, "descending"},
        FixtureCase{"AscendingUnlabelledIsKinetic", "columns/ascending_no_label.txt", kReadOk,
                    {84, 84.5, 85}, {9616, 9581, 9638}, false, std::nullopt, "not stated"},
        FixtureCase{"PhotonEnergyFromPe", "columns/pe_photon_energy.csv", kReadOk,
                    {590.5, 591, 591.5}, {1709, 1800, 1750}, false, 600, ""},
        FixtureCase{"PhotonEnergyFromHnu", "columns/hnu_utf8.txt", kReadOk, {88, 87.5},
                    {2100, 2900}, true, 1253.6, ""},
        FixtureCase{"PhotonEnergyFromExcitationKey", "columns/excitation_energy_key.txt", kReadOk,
                    {1196.6, 1197.1}, {812, 955}, false, 1486.6, ""},
        FixtureCase{"NoFinalNewline", "columns/no_final_newline.csv", kReadOk, {88, 87.5, 87},
                    {2100, 2900, 3400}, true, std::nullopt, ""},
        FixtureCase{"TruncatedLastLine", "columns/truncated_line.csv", kReadDataError, {88, 87.5},
                    {2100, 2900}, true, std::nullopt, "line 4"},
        FixtureCase{"TextAfterData", "columns/text_after_data.csv", kReadDataError, {88, 87.5},
                    {2100, 2900}, true, std::nullopt, "line 4"},
                    refused("HeaderOnly", "columns/header_only.csv", "no line"),
                    refused("IndexColumn", "columns/index_column.csv", "index")),
    caseName);

// ---- Detection: content first, the extension only for bare numbers ----

TEST(Detection, ContentWinsOverAMisleadingExtension)
{
    for (const char* file : {"pynxtools-xps_Ag_0001.txt", "pynxtools-xps_MgFe2O4_small.xy",
                             "LG4X_0-150W.vms", "lmfitxps_clean_Au_4f.csv"}) {
        const std::string text = fileText(std::string("real/") + file);
        const SpectrumData right = parseSpectrum(text, extensionOf(file));
        for (const char* wrong : {"dat", "csv", ".vms", "sci", ""}) {
            const SpectrumData other = parseSpectrum(text, wrong);
            EXPECT_EQ(other.counts, right.counts) << file << " as " << wrong;
            EXPECT_EQ(other.header, right.header) << file << " as " << wrong;
        }
    }
    const std::string withMark = "\xEF\xBB\xBF" + fileText("vamas/minimal_lf.vms");
    EXPECT_EQ(parseSpectrum(withMark, "txt").counts, kAuCounts);
    EXPECT_EQ(parseSpectrum(fileText("casa/export.txt"), "csv").photonEnergy, 1486.6);
}

TEST(Detection, BareNumbersGoToTheOwnLayoutOnlyAsDat)
{
    const std::string bare = "290 1200\n289.5 1500\n";
    const auto readAsColumns = [](const SpectrumData& data) {
        return !data.header.empty() && data.header.front().starts_with("Read as plain columns");
    };
    EXPECT_TRUE(readAsColumns(parseSpectrum(bare, "txt")));
    EXPECT_TRUE(readAsColumns(parseSpectrum(bare, "")));
    EXPECT_FALSE(readAsColumns(parseSpectrum(bare, "dat")));
    EXPECT_FALSE(readAsColumns(parseSpectrum(bare, ".DAT")));
    EXPECT_FALSE(readAsColumns(parseSpectrum("; own header\n290 1200\n", "csv")));
}

TEST(Detection, UnreadablePathsAreHeaderErrors)
{
    EXPECT_EQ(readSpectrumFile(kData + "/real/no_such_file.vms").status, kReadHeaderError);
    EXPECT_EQ(readSpectrumFile(kData + "/real").status, kReadHeaderError);
}

// ---- Header lines: at most kMaxHeaderLines, each cut (not split) to kHeaderWidth ----

TEST(HeaderLines, LongAndManyLinesAreCutNotSplit)
{
    const SpectrumData data = readSpectrumFile(kData + "/columns/many_long_header_lines.csv");
    ASSERT_EQ(data.status, kReadOk);
    ASSERT_EQ(data.header.size(), kMaxHeaderLines);
    for (const auto& line : data.header) {
        EXPECT_LE(line.size(), kHeaderWidth);
    }
    const auto first = std::find_if(data.header.begin(), data.header.end(), [](const auto& l) {
        return l.starts_with("comment line 001");
    });
    ASSERT_NE(first, data.header.end());
    const std::string written =
        "comment line 001 abcdefghijabcdefghijabcdefghijabcdefghijabcdefghij"
        "abcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabc";
    EXPECT_EQ(*first, written.substr(0, kHeaderWidth));
    EXPECT_TRUE((first + 1)->starts_with("comment line 002"));
}

TEST(HeaderLines, CutKeepsWholeCharactersAndNoNul)
{
    SpectrumData data;
    data.addHeader(std::string(kHeaderWidth - 1, 'a') + "\xCE\xBD" + "z");
    data.addHeader(std::string("1s\0 label", 9));
    EXPECT_EQ(data.header[0], std::string(kHeaderWidth - 1, 'a'));
    EXPECT_EQ(data.header[1], "1s  label");
}

}  // namespace
}  // namespace varnix::io
