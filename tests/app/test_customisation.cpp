// The colour window's rules without widgets, and storing the settings through the real PARVIK
// of the output folder; what was stored is read back through NOSTEL, as the next start-up reads it.
#include "command_fixture.h"
#include "core/display/customisation.h"
#include "varnix_io.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace varnix::app {
namespace {

using namespace test;
using Texts = std::vector<std::string>;
using Parts = ColourParts;

struct StoredSettings {
    std::string dataExtension;
    std::string configExtension;
    std::array<int32_t, 5> colours{};
    int32_t status = -1;
};

StoredSettings readBack(const TempFolder& folder)
{
    StoredSettings s;
    std::array<char, 3> data{' ', ' ', ' '};
    std::array<char, 3> config{' ', ' ', ' '};
    const int32_t count = 5;
    const std::string file = folder.file("fini.dat");
    LibraryLoader loader;
    loader.routine<NostelFunction>("nostel")(data.data(), 3, config.data(), 3, s.colours.data(),
                                             &count, file.c_str(),
                                             static_cast<int32_t>(file.size()), &s.status);
    s.dataExtension = std::string(data.data(), 3);
    s.configExtension = std::string(config.data(), 3);
    return s;
}

TEST(ColourParts, SplitAndComposeByTheBytesOfTheColour)
{
    const struct {
        int32_t colour;
        Parts parts;
    } cases[] = {
        {0x000000, {0, 0, 0}}, {0x123456, {0x56, 0x34, 0x12}}, {0xFFFFFF, {255, 255, 255}}};
    for (const auto& c : cases) {
        EXPECT_EQ(splitColour(c.colour), c.parts) << c.colour;
        EXPECT_EQ(composeColour(c.parts), c.colour) << c.colour;
    }
}

class ColourWindow : public testing::Test {
protected:
    ColourWindow()
    {
        m_module.colours = kOpening;
        m_editor.Form_Load();
    }

    static constexpr Colours kOpening{0x00FF00, 0x102030, 0x405060, 0x708090, 0xA0B0C0};
    Module1 m_module;
    ColourEditor m_editor{m_module};
};

TEST_F(ColourWindow, EachOptionShowsItsCaptionAndSplitsItsColour)
{
    const struct {
        ColourTarget target;
        const char* option;
        const char* label;
        const char* caption;
        Parts parts;
    } options[] = {
        // clang-format off
        {ColourTarget::WindowBack, "optBack", "window background", "Select Background Colour",
         {0x30, 0x20, 0x10}},
        {ColourTarget::TextBoxBack, "optText", "text box background",
         "Select Text Background Colour", {0x60, 0x50, 0x40}},
        {ColourTarget::ButtonBack, "optComm", "commandbutton background",
         "Select CommandButton Background Colour", {0x90, 0x80, 0x70}},
        {ColourTarget::OptionBack, "optOption", "optionbutton background",
         "Select OptionButton Background Colour", {0xC0, 0xB0, 0xA0}},
        {ColourTarget::Text, "optFore", "text", "Select ForeGround Colour", {0, 255, 0}},
        // clang-format on
    };
    // Opening selects the window background.
    EXPECT_EQ(m_editor.view().selected, ColourTarget::WindowBack);
    EXPECT_EQ(m_editor.view().caption, "Select Background Colour");
    for (const auto& o : options) {
        m_editor.opt_Click(o.target);
        const ColourView& v = m_editor.view();
        EXPECT_EQ(colourTargetSpec(o.target).option, o.option);
        EXPECT_EQ(colourTargetSpec(o.target).label, o.label);
        EXPECT_EQ(v.caption, o.caption);
        EXPECT_EQ(v.sliders, o.parts) << o.option;
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(v.boxes[i].text, std::to_string(o.parts[i])) << o.option;
        }
    }
    EXPECT_EQ(m_module.colours, kOpening);  // looking changes nothing
}

TEST_F(ColourWindow, APureSliderColourIsStoredAndPreviewed)
{
    m_editor.opt_Click(ColourTarget::ButtonBack);
    m_editor.Slider_Change(kRed, 0);
    m_editor.Slider_Change(kGreen, 0);
    m_editor.Slider_Change(kBlue, 255);
    EXPECT_EQ(m_module.colours.buttonBack, 0xFF0000);
    EXPECT_EQ(m_editor.view().previewBack, 0xFF0000);
    EXPECT_EQ(m_editor.view().previewText, kOpening.text);
    EXPECT_EQ(m_editor.view().boxes[kBlue].text, "255");

    // The text colour is previewed as text on the window background.
    m_editor.opt_Click(ColourTarget::Text);
    m_editor.Slider_Change(kRed, 255);
    EXPECT_EQ(m_module.colours.text, 0x00FFFF);
    EXPECT_EQ(m_editor.view().previewText, 0x00FFFF);
    EXPECT_EQ(m_editor.view().previewBack, kOpening.windowBack);
}

TEST_F(ColourWindow, BoxesTakeWholeNumbersFrom0To255Only)
{
    m_editor.opt_Click(ColourTarget::TextBoxBack);
    for (const char* refused : {"256", "-1", "abc", "12.5", ""}) {
        m_editor.txt_Change(kGreen, refused);
        EXPECT_TRUE(m_editor.view().boxes[kGreen].invalid) << refused;
        EXPECT_EQ(m_module.colours, kOpening) << refused;
    }
    m_editor.txt_LostFocus(kGreen);  // the box gives way to the value in force
    EXPECT_EQ(m_editor.view().boxes[kGreen], TextBox{"80"});  // 0x50
    m_editor.txt_Change(kGreen, "255");
    EXPECT_FALSE(m_editor.view().boxes[kGreen].invalid);
    EXPECT_EQ(m_editor.view().sliders[kGreen], 255);
    EXPECT_EQ(m_module.colours.textBoxBack, 0x40FF60);
}

TEST_F(ColourWindow, RestoreBringsBackTheOpeningColoursOfAllFiveAndDefaultsTheDefaults)
{
    for (int32_t t = 0; t < kColourTargetCount; ++t) {
        m_editor.opt_Click(static_cast<ColourTarget>(t));
        m_editor.Slider_Change(kRed, 7 * t);
        m_editor.txt_Change(kBlue, "99");
    }
    ASSERT_NE(m_module.colours.windowBack, kOpening.windowBack);
    m_editor.cmdRestore_Click();
    EXPECT_EQ(m_module.colours, kOpening);
    EXPECT_EQ(m_editor.view().sliders, (Parts{0, 255, 0}));  // the text target, still selected

    m_editor.cmdDefaults_Click();
    EXPECT_EQ(m_module.colours, (Colours{0x000000, 0xC0C0C0, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0}));
    EXPECT_EQ(m_editor.view().sliders, (Parts{0, 0, 0}));
}

TEST(StoreSettings, WritesWhatTheNextStartReadsAndReportsAFailureOnce)
{
    TempFolder folder;
    Module1 m;
    m.startDirectory = folder.path().string();
    m.dataExtension = "xy";
    m.configExtension = "cfx";
    m.colours = {0x000000, 0xC0C0C0, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0};
    ScriptedDialogs dialogs;
    LibraryLoader loader;
    ASSERT_TRUE(storeSettings(m, dialogs, loader));
    const StoredSettings stored = readBack(folder);
    EXPECT_EQ(stored.status, 0);
    EXPECT_EQ(stored.dataExtension, "xy ");
    EXPECT_EQ(stored.configExtension, "cfx");
    EXPECT_EQ(stored.colours, (std::array<int32_t, 5>{0, 0xC0C0C0, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0}));
    EXPECT_TRUE(dialogs.texts().empty());

    // A folder in the file's place, then no routine at all: one message each, nothing changed.
    fs::remove(folder.path() / "fini.dat");
    fs::create_directory(folder.path() / "fini.dat");
    const Module1 before = m;
    EXPECT_FALSE(storeSettings(m, dialogs, loader));
    LibraryLoader none = loaderWithout(folder);
    EXPECT_FALSE(storeSettings(m, dialogs, none));
    EXPECT_EQ(dialogs.texts(), (Texts{"Error in writing customization parameters -\n"
                                      "Delete fini.dat or copy fini.sav over fini.dat",
                                      "Fortran dll parvik.DLL not found - ABORT"}));
    EXPECT_EQ(m, before);
}

}  // namespace
}  // namespace varnix::app
