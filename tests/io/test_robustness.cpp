// Readers against damaged input: thousands of deterministically mutated versions of the sample
// files and fixtures (truncated, bit-flipped, bytes deleted or duplicated, lines replaced by
// hostile values, files spliced together) must each give a sane result. Run under ASan/UBSan
// in CI, this is where out-of-bounds reads, unbounded allocation and overflow show up.
#include "spectrum.h"
#include "text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace varnix::io {
namespace {

const std::string kData = VARNIX_TEST_DATA;

struct Seed {
    std::string name;
    std::string extension;
    std::string text;
};

std::vector<Seed> seeds()
{
    std::vector<Seed> found;
    for (const char* folder : {"real", "vamas", "specs_xy", "scienta", "casa", "columns"}) {
        for (const auto& entry : std::filesystem::directory_iterator(kData + "/" + folder)) {
            const std::string path = entry.path().string();
            const std::string extension = entry.path().extension().string();
            if (extension != ".md") {
                found.push_back({path, extension, readFile(path).value_or("")});
            }
        }
    }
    // Directory order is the file system's; the mutations must not depend on it.
    std::sort(found.begin(), found.end(),
              [](const Seed& a, const Seed& b) { return a.name < b.name; });
    return found;
}

// SplitMix64: the same sequence on every platform and standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(next() % n); }

private:
    std::uint64_t m_state;
};

// Values that steer a reader into its limits: huge or negative counts, "not stated" markers,
// non-finite numbers and the keywords that open sections, blocks and modes.
constexpr std::array<const char*, 22> kHostileLines = {"",
                                                       "0",
                                                       "-1",
                                                       "2147483647",
                                                       "1000000000000",
                                                       "1E+37",
                                                       "nan",
                                                       "inf",
                                                       "-1e308",
                                                       "1e308",
                                                       "[Data 1]",
                                                       "[Region 2]",
                                                       "# Region: X",
                                                       "# Cycle: 0, Curve: 0",
                                                       "K.E.\tCounts",
                                                       "end of experiment",
                                                       "IRREGULAR",
                                                       "MAPSVDP",
                                                       "SIMS",
                                                       "AES diff",
                                                       "Dimension 1 size=999999999",
                                                       "# Values/Curve: 2000000000"};

std::string mutated(const std::string& text, const std::string& other, Random& random)
{
    std::string out = text;
    const std::size_t at = random.below(out.size() + 1);
    switch (random.below(7)) {
        case 0:
            out.resize(at);
            break;
        case 1:
            for (std::size_t flips = 1 + random.below(8); flips > 0 && !out.empty(); --flips) {
                out[random.below(out.size())] ^= static_cast<char>(1U << random.below(8));
            }
            break;
        case 2:
            out.erase(at, 1 + random.below(64));
            break;
        case 3:
            out.insert(at, out.substr(at, 1 + random.below(256)));
            break;
        case 4:
            out = out.substr(0, at) + other.substr(random.below(other.size() + 1));
            break;
        case 5: {
            const std::size_t start = out.rfind('\n', at == 0 ? 0 : at - 1);
            const std::size_t from = start == std::string::npos ? 0 : start + 1;
            const std::size_t end = std::min(out.find('\n', from), out.size());
            out.replace(from, end - from, kHostileLines[random.below(kHostileLines.size())]);
            break;
        }
        default:
            for (std::size_t n = 1 + random.below(4); n > 0; --n) {
                out.insert(random.below(out.size() + 1), 1, static_cast<char>(random.below(256)));
            }
    }
    return out;
}

// `listed`: the result comes through detection, which lists even the formats of one spectrum.
void expectSane(const SpectrumData& data, const std::string& what, bool listed = false)
{
    ASSERT_GE(data.status, kReadOk) << what;
    ASSERT_LE(data.status, kReadDataError) << what;
    ASSERT_EQ(data.energies.size(), data.counts.size()) << what;
    ASSERT_LE(data.header.size(), kMaxHeaderLines) << what;
    for (const auto& line : data.header) {
        ASSERT_LE(line.size(), kHeaderWidth) << what;
    }
    // A spectrum returned is one the file lists.
    if (listed && data.status != kReadHeaderError) {
        ASSERT_GE(data.region, 1U) << what;
        ASSERT_LE(data.region, data.regions.size()) << what;
    }
}

TEST(Mutations, EveryMutantReadsToASaneResult)
{
    // Enough to visit every reader's error paths many times; about 4 s under ASan.
    constexpr std::size_t kMutantsPerSeed = 200;
    const std::vector<Seed> corpus = seeds();
    ASSERT_GE(corpus.size(), 40U);
    Random random(20240517);
    std::size_t mutants = 0;
    for (const Seed& seed : corpus) {
        for (std::size_t i = 0; i < kMutantsPerSeed; ++i) {
            const Seed& other = corpus[random.below(corpus.size())];
            const std::string text = mutated(seed.text, other.text, random);
            // Every other mutant is asked for its second spectrum rather than the first.
            const RegionNumber region = i % 2 == 0 ? RegionNumber{} : RegionNumber{2};
            expectSane(parseSpectrum(text, seed.extension, region),
                       seed.name + " mutant " + std::to_string(i), true);
            ++mutants;
        }
    }
    RecordProperty("mutants", static_cast<int>(mutants));
}

// Each reader on its own, given every seed whatever its format and asked for the first
// readable spectrum or for the second: a reader must cope with any text, not only with what
// detection sends it. Refused files carry no points, and every value returned is finite.
TEST(Mutations, EveryReaderCopesWithEveryFormat)
{
    using Reader = SpectrumData (*)(std::string_view, RegionNumber);
    const std::array<Reader, 5> readers = {
        parseVamas, parseSpecsXy, parseScienta, parseCasaText,
        [](std::string_view text, RegionNumber) { return parseColumns(text); }};
    Random random(7);
    for (const Seed& seed : seeds()) {
        const std::string text = mutated(seed.text, seed.text, random);
        for (const Reader read : readers) {
            for (const auto& [input, region] :
                 {std::pair(seed.text, RegionNumber{}), std::pair(text, RegionNumber{}),
                  std::pair(seed.text, RegionNumber{2}), std::pair(text, RegionNumber{2})}) {
                const SpectrumData data = read(input, region);
                expectSane(data, seed.name);
                if (data.status == kReadHeaderError) {
                    EXPECT_TRUE(data.energies.empty()) << seed.name;
                }
                const auto finite = [](double v) { return std::isfinite(v); };
                EXPECT_TRUE(std::all_of(data.energies.begin(), data.energies.end(), finite));
                EXPECT_TRUE(std::all_of(data.counts.begin(), data.counts.end(), finite));
            }
        }
    }
}

// A file cut anywhere up to the line of the last value of its spectrum must not read as
// complete, and the points it gives (except a last one whose number may itself be cut) are
// the file's first points.
TEST(Truncation, EveryCutBeforeTheLastValueIsAnError)
{
    struct Cut {
        const char* file;
        const char* lastValueLine;  // where the last value of the returned spectrum starts
    };
    for (const Cut& c : {Cut{"vamas/minimal_lf.vms", "1480\nend of experiment"},
                         Cut{"vamas/cv2_interleaved.vms", "0.95\nend of experiment"},
                         Cut{"vamas/irregular.vms", "0.9\nend of experiment"},
                         Cut{"specs_xy/two_regions.xy", "84.0  30511.9"},
                         Cut{"scienta/kinetic.txt", " 9.41500000000000E+0001"},
                         Cut{"real/LG4X_Mutlipak_vms.npl", "1372.500000\r\nBlock No.2"}}) {
        const std::string text = readFile(kData + "/" + c.file).value_or("");
        const SpectrumData whole = parseSpectrum(text, "");
        ASSERT_EQ(whole.status, kReadOk) << c.file;
        const std::size_t boundary = text.find(c.lastValueLine);
        ASSERT_NE(boundary, std::string::npos) << c.file;
        const std::size_t step = std::max<std::size_t>(1, boundary / 500);
        for (std::size_t cut = 0; cut <= boundary; cut += step) {
            const SpectrumData part = parseSpectrum(text.substr(0, cut), "");
            ASSERT_NE(part.status, kReadOk) << c.file << " cut at " << cut;
            ASSERT_LE(part.energies.size(), whole.energies.size());
            for (std::size_t i = 0; i + 1 < part.energies.size(); ++i) {
                ASSERT_EQ(part.energies[i], whole.energies[i]) << c.file << " cut at " << cut;
                ASSERT_EQ(part.counts[i], whole.counts[i]) << c.file << " cut at " << cut;
            }
        }
    }
}

}  // namespace
}  // namespace varnix::io
