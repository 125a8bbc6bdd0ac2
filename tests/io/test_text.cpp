// The helpers every file routine shares: line and field splitting, exact number text, the
// program's character buffers, header code tables and the atomic write's replacement.
#include "atomic_file.h"
#include "header_codes.h"
#include "text.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace varnix::io {
namespace {

using Views = std::vector<std::string_view>;

struct SplitCase {
    const char* name;
    Views (*split)(std::string_view);
    std::string_view text;
    Views parts;
};

class Split : public testing::TestWithParam<SplitCase> {};

TEST_P(Split, IntoTheExpectedParts)
{
    EXPECT_EQ(GetParam().split(GetParam().text), GetParam().parts);
}

INSTANTIATE_TEST_SUITE_P(
    Text, Split,
    testing::Values(SplitCase{"lines_lf", splitLines, "a\nb\n", {"a", "b"}},
                    SplitCase{"lines_crlf", splitLines, "a\r\nb\r\n", {"a", "b"}},
                    SplitCase{"lines_lone_cr", splitLines, "a\rb", {"a", "b"}},
                    SplitCase{"lines_cr_then_crlf", splitLines, "a\r\r\nb", {"a", "", "b"}},
                    SplitCase{"lines_no_final_newline", splitLines, "a\n\nb", {"a", "", "b"}},
                    SplitCase{"lines_empty", splitLines, "", {}},
                    SplitCase{"fields_blanks", splitFields, "  1   2 ", {"1", "2"}},
                    SplitCase{"fields_tabs", splitFields, "1\t\t2", {"1", "2"}},
                    SplitCase{"fields_comma_blanks", splitFields, "1 , 2", {"1", "2"}},
                    SplitCase{"fields_semicolon", splitFields, "84,04;9616", {"84", "04", "9616"}},
                    SplitCase{"fields_empty", splitFields, "1,,2", {"1", "", "2"}}),
    [](const testing::TestParamInfo<SplitCase>& p) { return std::string(p.param.name); });

struct NumberCase {
    const char* name;
    std::string_view text;
    std::optional<double> value;
};

class ParseDouble : public testing::TestWithParam<NumberCase> {};

TEST_P(ParseDouble, WholeFieldOrNothing)
{
    EXPECT_EQ(parseDouble(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Text, ParseDouble,
    testing::Values(NumberCase{"vamas_not_stated", "1E+37", 1e37},
                    NumberCase{"three_digit_exponent", "9.399414e-003", 9.399414e-3},
                    NumberCase{"four_digit_exponent", "1.0E+0001", 10.0},
                    NumberCase{"plus", "+5", 5.0}, NumberCase{"bare_fraction", "-.5", -0.5},
                    NumberCase{"empty", "", std::nullopt},
                    NumberCase{"sign_only", "-", std::nullopt},
                    NumberCase{"two_signs", "+-1", std::nullopt},
                    NumberCase{"infinity", "inf", std::nullopt},
                    NumberCase{"not_a_number", "nan", std::nullopt},
                    NumberCase{"hexadecimal", "0x10", std::nullopt},
                    NumberCase{"unit_attached", "1.5eV", std::nullopt},
                    NumberCase{"trailing_blank", "1 ", std::nullopt},
                    NumberCase{"overflow", "1e999", std::nullopt}),
    [](const testing::TestParamInfo<NumberCase>& p) { return std::string(p.param.name); });

TEST(ParseInt, TakesInt32Only)
{
    EXPECT_EQ(parseInt("+7"), 7);
    EXPECT_EQ(parseInt("-2147483648"), std::numeric_limits<int32_t>::min());
    for (const std::string_view bad : {"2147483648", "4.0", "+-1", "", "1e3"}) {
        EXPECT_EQ(parseInt(bad), std::nullopt) << bad;
    }
}

TEST(FormatDouble, ReadsBackEveryBitAndIsShortest)
{
    std::mt19937_64 random(42);
    for (int i = 0; i < 100000; ++i) {
        const double x = std::bit_cast<double>(random());
        if (std::isfinite(x)) {
            const std::optional<double> back = parseDouble(formatDouble(x));
            ASSERT_TRUE(back && std::bit_cast<uint64_t>(*back) == std::bit_cast<uint64_t>(x))
                << formatDouble(x);
        }
    }
    EXPECT_EQ(formatDouble(0.1), "0.1");
}

TEST(Buffers, BlankPaddedBothWays)
{
    const char padded[] = {'d', 'a', 't', ' ', ' '};
    EXPECT_EQ(fromBuffer(padded, 5), "dat");
    EXPECT_EQ(fromBuffer("ab\0cd", 5), "ab");
    EXPECT_EQ(fromBuffer(nullptr, 5), "");
    EXPECT_EQ(fromBuffer(padded, -1), "");
    char out[4] = {'x', 'x', 'x', 'x'};
    toBuffer("d", out, 3);
    EXPECT_EQ(std::string(out, 4), "d  x");
    toBuffer("toolong", out, 3);
    toBuffer("a", nullptr, 3);
    toBuffer("a", out, -2);
    EXPECT_EQ(std::string(out, 4), "toox");
}

TEST(HeaderCodes, RoundTripThroughTheProgramsTable)
{
    const std::vector<std::string> lines = {"C 1s", "", "  indented", std::string(120, 'x')};
    const int32_t rows = 5, width = 100;
    std::vector<int32_t> codes(rows * width, -1);
    headerToCodes(lines, rows, width, codes.data());
    EXPECT_EQ(codes[1 * rows], ' ');  // column-major: the second character of the first row
    EXPECT_EQ(codes[4 + 99 * rows], 0);
    EXPECT_EQ(headerFromCodes(codes.data(), 4, rows, width),
              (std::vector<std::string>{"C 1s", "", "  indented", std::string(100, 'x')}));
    // The program sends empty cells as blanks; they are not part of the line.
    std::replace(codes.begin(), codes.end(), 0, 32);
    EXPECT_EQ(headerFromCodes(codes.data(), 2, rows, width),
              (std::vector<std::string>{"C 1s", ""}));
}

TEST(AtomicWrite, ReplacesTheFileKeepingItsPermissions)
{
    std::string folder = (std::filesystem::temp_directory_path() / "varnix-text-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    const std::filesystem::path target = std::filesystem::path(folder) / "a.txt";
    std::ofstream(target) << "old";
    ::chmod(target.c_str(), 0640);
    EXPECT_EQ(writeFileAtomically(target.string(), "new\n"), kWriteOk);
    std::ifstream in(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new\n");
    struct stat info {};
    ::stat(target.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640U);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace varnix::io
