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

// ---- Every spectrum of every file: listed as the file describes it, read by its number ----

constexpr auto kBinding = EnergyScale::Binding;
constexpr auto kKinetic = EnergyScale::Kinetic;
constexpr auto kNoEnergy = EnergyScale::None;

struct RegionCase {
    const char* name;
    const char* file;
    std::size_t region, regions;  // 1-based number, and how many the file holds
    const char* listedName;
    std::size_t points;
    EnergyScale scale;
    std::optional<double> firstEnergy, lastEnergy, photonEnergy;
    double firstValue = 0, lastValue = 0;  // as written, for a spectrum that can be read
    double countFactor = 1;                // dwell × scans where the file gives counts per second
};

class Regions : public testing::TestWithParam<RegionCase> {};

TEST_P(Regions, ListedAsTheFileSaysAndReadByNumber)
{
    const RegionCase& c = GetParam();
    const std::string path = kData + "/" + c.file;
    const std::vector<RegionSummary> listed = listRegions(path);
    ASSERT_EQ(listed.size(), c.regions);
    const RegionSummary& r = listed[c.region - 1];
    EXPECT_EQ(r.name, c.listedName);
    EXPECT_EQ(r.points, c.points);
    EXPECT_EQ(r.scale, c.scale);
    ASSERT_EQ(r.firstEnergy.has_value(), c.firstEnergy.has_value());
    ASSERT_EQ(r.lastEnergy.has_value(), c.lastEnergy.has_value());
    if (c.firstEnergy) {
        EXPECT_NEAR(*r.firstEnergy, *c.firstEnergy, kEnergyTol);
        EXPECT_NEAR(*r.lastEnergy, *c.lastEnergy, kEnergyTol);
    }
    EXPECT_EQ(r.photonEnergy, c.photonEnergy);

    const SpectrumData data = readSpectrumFile(path + "#" + std::to_string(c.region));
    EXPECT_EQ(data.regions, listed);
    if (!r.readable()) {
        EXPECT_EQ(data.status, kReadHeaderError);
        EXPECT_TRUE(data.energies.empty());
        EXPECT_TRUE(headerMentions(
            data, r.scale == kNoEnergy ? "is not on an energy axis" : "holds no points"));
        return;
    }
    ASSERT_EQ(data.status, kReadOk);
    EXPECT_EQ(data.region, c.region);
    ASSERT_EQ(data.energies.size(), c.points);
    EXPECT_NEAR(data.energies.front(), *c.firstEnergy, kEnergyTol);
    EXPECT_NEAR(data.energies.back(), *c.lastEnergy, kEnergyTol);
    expectCount(data.counts.front(), c.firstValue * c.countFactor);
    expectCount(data.counts.back(), c.lastValue * c.countFactor);
    EXPECT_EQ(data.binding, c.scale == kBinding);
    EXPECT_EQ(data.photonEnergyStated, c.photonEnergy.has_value());
    EXPECT_EQ(data.photonEnergy, c.photonEnergy.value_or(0.0));
    // The header names the spectrum read, and nothing in the file was found damaged.
    const std::string which = std::to_string(c.region) + " of " + std::to_string(c.regions);
    EXPECT_TRUE(c.regions == 1 || headerMentions(data, which + ": " + c.listedName));
    EXPECT_TRUE(c.regions == 1 || headerMentions(data, "<- read"));
    EXPECT_FALSE(headerMentions(data, "amaged"));
    EXPECT_FALSE(headerMentions(data, "No 'end of experiment'"));
    for (const auto& line : data.header) {
        EXPECT_LE(line.size(), kHeaderWidth);
    }
}

// Values read off the files by hand (tests/data/real/PROVENANCE.md). PHI gives c/s with dwell
// 0.4 s (C 1s, O 1s) or 0.8 s (S 2p, N 1s, Mo 3d) and 1 scan; the xy file counts/s with dwell
// 0.1 s (survey) and 0.3 s (Fe2p), 1 scan each; Kratos gives counts.
// clang-format off
INSTANTIATE_TEST_SUITE_P(RealFiles, Regions, testing::Values(
    RegionCase{"KratosWide", "real/LG4X_0-150W.vms", 1, 5, "wide", 1206, kKinetic,
               286.69, 1491.69, 1486.69, 2106, 9},
    RegionCase{"KratosNi2p", "real/LG4X_0-150W.vms", 2, 5, "Ni 2p", 601, kKinetic,
               586.69, 646.69, 1486.69, 114, 102},
    RegionCase{"KratosO1s", "real/LG4X_0-150W.vms", 3, 5, "O 1s", 251, kKinetic,
               941.69, 966.69, 1486.69, 1620, 1315},
    RegionCase{"KratosC1s", "real/LG4X_0-150W.vms", 4, 5, "C 1s", 301, kKinetic,
               1186.69, 1216.69, 1486.69, 1906, 1820},
    RegionCase{"KratosW4f", "real/LG4X_0-150W.vms", 5, 5, "W 4f", 251, kKinetic,
               1436.69, 1461.69, 1486.69, 897, 107},
    RegionCase{"PhiC1s", "real/LG4X_Mutlipak_vms.npl", 1, 5, "Block No.1 (C 1s)", 601, kBinding,
               305, 275, 1486.60, 2047.5, 1372.5, 0.4},
    RegionCase{"PhiO1s", "real/LG4X_Mutlipak_vms.npl", 2, 5, "Block No.2 (O 1s)", 601, kBinding,
               555, 525, 1486.60, 2952.5, 2552.5, 0.4},
    RegionCase{"PhiS2p", "real/LG4X_Mutlipak_vms.npl", 3, 5, "Block No.3 (S 2p)", 501, kBinding,
               180, 155, 1486.60, 528.75, 237.5, 0.8},
    RegionCase{"PhiN1s", "real/LG4X_Mutlipak_vms.npl", 4, 5, "Block No.4 (N 1s)", 401, kBinding,
               410, 390, 1486.60, 2805, 2062.5, 0.8},
    RegionCase{"PhiMo3d", "real/LG4X_Mutlipak_vms.npl", 5, 5, "Block No.5 (Mo 3d)", 401, kBinding,
               240, 220, 1486.60, 1252.5, 537.5, 0.8},
    RegionCase{"XySurvey", "real/pynxtools-xps_MgFe2O4_small.xy", 1, 2, "Survey", 1351, kBinding,
               1350, 0, 1486.61, 15598.679, 181.52882, 0.1},
    RegionCase{"XyFe2p", "real/pynxtools-xps_MgFe2O4_small.xy", 2, 2, "Fe2p", 56, kBinding,
               750, 695, 1486.61, 5913.3234, 4013.8297, 0.3},
    RegionCase{"VamasSurveyKinetic", "real/pynxtools-xps_regular.vms", 1, 1, "Survey", 1351,
               kKinetic, 136.61, 1486.61, 1486.61, 1559.87, 18.1529},
    RegionCase{"ScientaAg3d", "real/pynxtools-xps_Ag_0001.txt", 1, 1, "Ag3d", 361, kBinding,
               382, 364, 520, 15.7494897842407, 13.1949939727783},
    RegionCase{"LmfitCsvHvInComment", "real/lmfitxps_clean_Au_4f.csv", 1, 1, "spectrum", 294,
               kKinetic, 84.0, 95.9984, 180, 9616, 3203}),
    [](const testing::TestParamInfo<RegionCase>& p) { return std::string(p.param.name); });

// The corpus's files with several spectra: regions on other axes and empty ones are listed but
// cannot be read. The xy C1s region states no dwell time, so its rates stay as they are.
INSTANTIATE_TEST_SUITE_P(Corpus, Regions, testing::Values(
    RegionCase{"VamasEtchTimeBlock", "vamas/first_block_not_energy.vms", 1, 2,
               "depth profile (O 1s)", 3, kNoEnergy, 0, 60, 1486.6},
    RegionCase{"VamasAfterEtchTime", "vamas/first_block_not_energy.vms", 2, 2, "Au 4f", 5,
               kKinetic, 1400.6, 1402.6, 1486.6, 1210, 1480},
    RegionCase{"VamasEmptyBlock", "vamas/empty_block_then_spectrum.vms", 1, 2,
               "Au 4f empty (Au 4f)", 0, kKinetic, {}, {}, 1486.6},
    RegionCase{"XyAu4f", "specs_xy/two_regions.xy", 1, 2, "Au4f", 4, kBinding, 85.5, 84,
               1486.61, 4120.3, 30511.9, 0.3},
    RegionCase{"XyC1s", "specs_xy/two_regions.xy", 2, 2, "C1s", 3, kBinding, 286, 284,
               1486.61, 900.5, 1200.0},
    RegionCase{"XySnapshot", "specs_xy/second_region_selected.xy", 1, 3, "Align", 3, kNoEnergy,
               0, 2, 1486.61},
    RegionCase{"ScientaSecondRegion", "scienta/two_regions.txt", 2, 2, "C 1s", 3, kKinetic,
               94, 94.1, 180, 120, 502},
    RegionCase{"ScientaTimeRegion", "scienta/second_region_selected.txt", 1, 2,
               "Snapshot timing", 2, kNoEnergy, 0, 1, 180},
    RegionCase{"CasaFirstBlock", "casa/two_blocks.txt", 1, 2, "Cycle 0:FeO:Fe2p", 3, kKinetic,
               776.61, 777.61, 1486.61, 4000, 3900},
    RegionCase{"CasaSecondBlock", "casa/two_blocks.txt", 2, 2, "Cycle 0:FeO:O1s", 2, kKinetic,
               954.61, 955.11, 1486.61, 6000, 6400}),
    [](const testing::TestParamInfo<RegionCase>& p) { return std::string(p.param.name); });
// clang-format on

// A number past the last spectrum, a file that is not there and a name whose number is no
// region number give the reader's "no spectrum" status with a header line saying why.
TEST(Regions, ThatCannotBeReadAreRefused)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"real/LG4X_0-150W.vms#6", "there is no block 6: the file holds 5"},
        {"specs_xy/two_regions.xy#3", "there is no region 3: the file holds 2"},
        {"scienta/two_regions.txt#3", "there is no region 3: the file holds 2"},
        {"casa/two_blocks.txt#3", "there is no block 3: the file holds 2"},
        {"real/lmfitxps_clean_Au_4f.csv#2", "there is no spectrum 2: the file holds 1"},
        {"real/no_such_file.vms#2", "cannot be read"},
        {"real/LG4X_0-150W.vms#0", "cannot be read"},
        {"real/LG4X_0-150W.vms#02", "cannot be read"},
        {"real/LG4X_0-150W.vms#C 1s", "cannot be read"}};
    for (const auto& [name, why] : cases) {
        const SpectrumData data = readSpectrumFile(kData + "/" + name);
        EXPECT_EQ(data.status, kReadHeaderError) << name;
        EXPECT_TRUE(data.energies.empty()) << name;
        EXPECT_TRUE(headerMentions(data, why)) << name << ": no header line with " << why;
    }
}

// PHI's c/s values are multiples of 1/dwell: converted to counts, every block gives whole
// numbers, which a wrong dwell, a missed scan factor or a shifted value would not.
TEST(RealVamas, PhiRatesBecomeWholeCounts)
{
    const std::string text = fileText("real/LG4X_Mutlipak_vms.npl");
    for (std::size_t block = 1; block <= 5; ++block) {
        const SpectrumData data = parseSpectrum(text, "npl", block);
        ASSERT_EQ(data.status, kReadOk);
        for (const double count : data.counts) {
            ASSERT_NEAR(count, std::round(count), 1e-9) << "block " << block;
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
