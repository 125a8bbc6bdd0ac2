// Number formats of the windows. Every expected text is written by hand from the format rules:
// round the typed digits half away from zero, then lay them out as the picture says.
#include "core/session/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

namespace varnix::app {
namespace {

struct FormatCase {
    const char* name;
    double value;
    const char* format;
    const char* expected;
};

class FormatNumber : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatNumber, MatchesTheHandWrittenText)
{
    EXPECT_EQ(formatNumber(GetParam().value, GetParam().format), GetParam().expected);
}

template <class Case>
std::string nameOf(const ::testing::TestParamInfo<Case>& param)
{
    return param.param.name;
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Fixed, FormatNumber,
    ::testing::Values(FormatCase{"Plain", 285.5, "0.000", "285.500"},
                      // Binary 1.2345 lies just below the tie; the typed digits are what count.
                      FormatCase{"TypedTieRoundsUp", 1.2345, "0.000", "1.235"},
                      FormatCase{"TypedTieNegativeAwayFromZero", -1.0005, "0.000", "-1.001"},
                      FormatCase{"BelowHalfRoundsDown", 1.00049, "0.000", "1.000"},
                      FormatCase{"CarryIntoNewDigit", 999.9996, "0.000", "1000.000"},
                      FormatCase{"SmallRoundsUpToLastPlace", 0.0005, "0.000", "0.001"},
                      FormatCase{"NegativeRoundingToZeroHasNoSign", -0.0004, "0.000", "0.000"},
                      FormatCase{"NegativeZero", -0.0, "0.000", "0.000"},
                      FormatCase{"Large", 1e6, "0.000", "1000000.000"},
                      FormatCase{"FourPlaces", 2.00005, "0.0000", "2.0001"},
                      FormatCase{"SixPlaces", 0.1234565, "0.000000", "0.123457"},
                      FormatCase{"SixPlacesTiny", 5e-7, "0.000000", "0.000001"}),
    nameOf<FormatCase>);

INSTANTIATE_TEST_SUITE_P(Integer, FormatNumber,
                         ::testing::Values(FormatCase{"Zero", 0.0, "###", ""},
                                           FormatCase{"BelowHalfIsZero", 0.4, "###", ""},
                                           FormatCase{"Half", 0.5, "###", "1"},
                                           FormatCase{"HalfNegative", -2.5, "###", "-3"},
                                           FormatCase{"TwoDigits", 21.0, "###", "21"},
                                           FormatCase{"MoreDigitsThanPlaces", 1234.0, "###",
                                                      "1234"}),
                         nameOf<FormatCase>);

INSTANTIATE_TEST_SUITE_P(
    Exponent, FormatNumber,
    ::testing::Values(FormatCase{"Height", 12345.0, "0.000e+00", "1.235e+04"},
                      FormatCase{"Zero", 0.0, "0.000e+00", "0.000e+00"},
                      FormatCase{"NegativeSmall", -0.00012345, "0.000e+00", "-1.235e-04"},
                      FormatCase{"CarryRaisesExponent", 9.9995, "0.000e+00", "1.000e+01"},
                      FormatCase{"ThreeDigitExponent", 1e-100, "0.000e+00", "1.000e-100"},
                      FormatCase{"Rmin", 1e-4, "0.00E+00", "1.00E-04"},
                      FormatCase{"CapitalRoundsDown", 123456.0, "0.00E+00", "1.23E+05"},
                      FormatCase{"CapitalNegativeCarry", -9.999, "0.00E+00", "-1.00E+01"},
                      FormatCase{"Lambda", 0.01, "0.000E+00", "1.000E-02"},
                      FormatCase{"Condition", 12345678.0, "0.0000E+00", "1.2346E+07"},
                      FormatCase{"SignOnlyWhenNegativePositive", 12.0, "0.000e-00", "1.200e01"},
                      FormatCase{"SignOnlyWhenNegativeNegative", 0.012, "0.000e-00", "1.200e-02"}),
    nameOf<FormatCase>);

INSTANTIATE_TEST_SUITE_P(
    Default, FormatNumber,
    ::testing::Values(FormatCase{"Zero", 0.0, "", "0"}, FormatCase{"NegativeZero", -0.0, "", "0"},
                      FormatCase{"LeadingZero", 0.5, "", "0.5"},
                      FormatCase{"PhotonEnergy", 1486.6, "", "1486.6"},
                      FormatCase{"BinaryNoiseHidden", 0.1 + 0.2, "", "0.3"},
                      FormatCase{"FifteenDigitsRounded", 2.0 / 3.0, "", "0.666666666666667"},
                      FormatCase{"SmallestPlain", 1e-4, "", "0.0001"},
                      FormatCase{"BelowPlain", 1.5e-5, "", "1.5E-05"},
                      FormatCase{"LargestPlain", 123456789012345.0, "", "123456789012345"},
                      FormatCase{"FirstExponent", 1e15, "", "1E+15"},
                      FormatCase{"SixteenDigitsRounded", 1234567890123456.0, "",
                                 "1.23456789012346E+15"},
                      FormatCase{"NegativeTiny", -1e-300, "", "-1E-300"},
                      FormatCase{"NineCarries", 0.9999999999999999, "", "1"}),
    nameOf<FormatCase>);

INSTANTIATE_TEST_SUITE_P(NonFinite, FormatNumber,
                         ::testing::Values(FormatCase{"NaN", std::nan(""), "0.000", "NaN"},
                                           FormatCase{"Inf", kInf, "0.000e+00", "Inf"},
                                           FormatCase{"MinusInf", -kInf, "", "-Inf"}),
                         nameOf<FormatCase>);

class UnsupportedFormat : public ::testing::TestWithParam<const char*> {};

TEST_P(UnsupportedFormat, IsRefused)
{
    EXPECT_THROW(formatNumber(1.0, GetParam()), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(FormatNumber, UnsupportedFormat,
                         ::testing::Values("abc", ".000", "0.0#", "0.00x", "00.0e+00", "0.0e",
                                           "0.0e+", "0.0E00", "#.0e+00", "0,000"));

struct ParseCase {
    const char* name;
    const char* text;
    std::optional<double> expected;
};

class ParseNumber : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumber, ReadsOnlyWholeCLocaleNumbers)
{
    EXPECT_EQ(parseNumber(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ParseNumber,
    ::testing::Values(
        ParseCase{"Decimal", "1486.6", 1486.6}, ParseCase{"Blanks", " \t2 ", 2.0},
        ParseCase{"Exponent", "-3e2", -300.0}, ParseCase{"CapitalExponent", "1E-3", 0.001},
        ParseCase{"Plus", "+4.25", 4.25}, ParseCase{"NoLeadingDigit", ".5", 0.5},
        ParseCase{"NoDecimals", "5.", 5.0}, ParseCase{"Empty", "", std::nullopt},
        ParseCase{"DecimalComma", "1,5", std::nullopt}, ParseCase{"Trailing", "1.5x", std::nullopt},
        ParseCase{"TwoNumbers", "1 2", std::nullopt}, ParseCase{"Infinity", "inf", std::nullopt},
        ParseCase{"NotANumber", "nan", std::nullopt}, ParseCase{"LoneSign", "+", std::nullopt},
        ParseCase{"Overflow", "1e999", std::nullopt},
        ParseCase{"Hexadecimal", "0x10", std::nullopt},
        ParseCase{"DanglingExponent", "1e", std::nullopt}),
    nameOf<ParseCase>);

// What the default form shows must read back as the number shown: input boxes propose it.
TEST(NumberText, DefaultFormReadsBack)
{
    for (const double value :
         {0.0, -0.5, 1486.6, 1e-4, 1.5e-5, 123456789012345.0, 1e15, -2.75e-300, 0.001953125}) {
        EXPECT_EQ(parseNumber(formatNumber(value)), value) << formatNumber(value);
    }
}

}  // namespace
}  // namespace varnix::app
