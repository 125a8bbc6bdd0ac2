// The helpers every file routine shares: line and field splitting, exact number text, the
// program's character buffers and header code tables. The atomic write is tested through the
// writers (test_data_files.cpp, test_settings.cpp).
#include "header_codes.h"
#include "text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <iterator>
#include <random>
#include <vector>

namespace varnix::io {
namespace {

using Views = std::vector<std::string_view>;

TEST(Text, SplitsLinesAndFieldsAndTrimsBuffers)
{
    EXPECT_EQ(splitLines("a\nb\r\nc\rd\r\r\ne\n\nf"),
              (Views{"a", "b", "c", "d", "", "e", "", "f"}));
    EXPECT_EQ(splitLines("a\r\n"), (Views{"a"}));
    EXPECT_EQ(splitLines(""), Views{});
    EXPECT_EQ(splitFields("  1 \t\t2 , 3,4;5 "), (Views{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(splitFields("1,,2"), (Views{"1", "", "2"}));
    EXPECT_EQ(fromBuffer("ab\0cd", 5), "ab");  // a C string shorter than its buffer
    EXPECT_EQ(fromBuffer("dat \t", 5), "dat");
}

TEST(Text, ParsesWholeFieldsWithExponentsOfAnyLength)
{
    EXPECT_EQ(parseDouble("1E+37"), 1e37);
    EXPECT_EQ(parseDouble("9.399414e-003"), 9.399414e-3);
    EXPECT_EQ(parseDouble("1.0E+0001"), 10.0);
    EXPECT_EQ(parseDouble("+5"), 5.0);
    EXPECT_EQ(parseDouble("-.5"), -0.5);
    for (const std::string_view bad :
         {"", "-", "+-1", "inf", "nan", "0x10", "1.5eV", "1 ", " 1", "1e999", "1,5"}) {
        EXPECT_EQ(parseDouble(bad), std::nullopt) << '"' << bad << '"';
    }
}

TEST(Text, FormatDoubleReadsBackEveryBitAndIsShortest)
{
    std::mt19937_64 random(42);
    std::vector<double> values = {-0.0, 4.9e-324, DBL_MAX, -DBL_MIN};
    std::generate_n(std::back_inserter(values), 100000,
                    [&] { return std::bit_cast<double>(random()); });
    std::erase_if(values, [](double x) { return !std::isfinite(x); });
    for (const double x : values) {
        const double back = parseDouble(formatDouble(x)).value_or(std::nan(""));
        ASSERT_EQ(std::bit_cast<uint64_t>(back), std::bit_cast<uint64_t>(x)) << formatDouble(x);
    }
    EXPECT_EQ(formatDouble(0.1), "0.1");
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

}  // namespace
}  // namespace varnix::io
