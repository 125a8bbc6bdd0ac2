// The rules behind the main window's look, without a window: the grey of disabled text for
// every kind of colour set, and where the main window opens on screens of several sizes.
#include "contrast_reference.h"
#include "core/colour_contrast.h"
#include "core/main_window_size.h"

#include <gtest/gtest.h>

#include <string>

namespace varnix::app {
namespace {

using test::wcagContrast;

constexpr double kReadable = test::kWcagReadable;
constexpr double kSameRatioTol = 1e-9;  // one formula, two writings of it

struct ColourCase {
    const char* name;
    int32_t text;  // 0xBBGGRR
    int32_t back;
    double apart;  // the contrast to the enabled text at least: 1.5, or 3 where both are far apart
};

class DisabledText : public testing::TestWithParam<ColourCase> {};

TEST_P(DisabledText, IsAGreyReadableOnItsBackgroundAndApartFromTheEnabledText)
{
    const ColourCase& c = GetParam();
    const int32_t grey = disabledTextColour(c.text, c.back);
    EXPECT_EQ(grey & 0xFF, (grey >> 8) & 0xFF);
    EXPECT_EQ(grey & 0xFF, (grey >> 16) & 0xFF);
    EXPECT_GE(wcagContrast(grey, c.back), kReadable);
    EXPECT_GE(wcagContrast(grey, c.text), c.apart);
    EXPECT_NEAR(contrastRatio(c.back, c.text), wcagContrast(c.back, c.text), kSameRatioTol);
}

// Black text on the light grey of the defaults sits far from its background: the grey falls in
// between, readable against both. The platform's own disabled grey, 0xBEBEBE, all but vanishes
// on that background.
const ColourCase kColourSets[] = {
    {"ClassicGrey", 0x000000, 0xC0C0C0, kReadable},
    {"BlackOnWhite", 0x000000, 0xFFFFFF, kReadable},
    {"WhiteOnNavy", 0xFFFFFF, 0x800000, kReadable},
    {"RedOnLightBlue", 0x0000FF, 0xFFE0C0, 1.5},
    {"CloseGreys", 0x505050, 0x606060, 1.5},
    {"TextTheBackgroundColour", 0xC0C0C0, 0xC0C0C0, kReadable},
    {"MidGreyOnBlack", 0x777777, 0x000000, 1.5},
    {"YellowOnOrangeYellow", 0x00FFFF, 0x00E0FF, 1.5},
    {"GreyTextOfTheDisabledKind", 0x5A5A5A, 0xC0C0C0, 1.5},
};

INSTANTIATE_TEST_SUITE_P(ColourSets, DisabledText, testing::ValuesIn(kColourSets),
                         [](const testing::TestParamInfo<ColourCase>& p) {
                             return std::string(p.param.name);
                         });

struct PlaceCase {
    const char* name;
    ScreenRect available;
    int32_t neededWidth;
    int32_t neededHeight;
    ScreenRect expected;  // worked out by hand: 0.9 of each side, centred
};

class MainWindowPlace : public testing::TestWithParam<PlaceCase> {};

TEST_P(MainWindowPlace, MostOfTheFreeScreenCentredButAsLargeAsNeeded)
{
    const PlaceCase& c = GetParam();
    EXPECT_EQ(mainWindowGeometry(c.available, c.neededWidth, c.neededHeight), c.expected);
}

const PlaceCase kScreens[] = {
    {"Screen1280x900", {0, 0, 1280, 900}, 600, 140, {64, 45, 1152, 810}},
    {"FullHdBelowATopPanel", {0, 32, 1920, 1048}, 600, 140, {96, 84, 1728, 943}},
    {"SecondScreenRightOfTheFirst", {1920, 0, 1280, 1024}, 600, 140, {1984, 51, 1152, 922}},
    {"NeedsMoreThanTheShare", {0, 0, 1024, 768}, 980, 700, {22, 34, 980, 700}},
    {"ScreenSmallerThanNeeded", {0, 0, 800, 600}, 900, 650, {0, 0, 800, 600}},
};

INSTANTIATE_TEST_SUITE_P(Screens, MainWindowPlace, testing::ValuesIn(kScreens),
                         [](const testing::TestParamInfo<PlaceCase>& p) {
                             return std::string(p.param.name);
                         });

}  // namespace
}  // namespace varnix::app
