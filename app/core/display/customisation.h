// The Customize windows without widgets: the colour window frmColor (five colour targets, three
// sliders with their boxes, a preview, VB Defaults and Restore), the extension window frmExt,
// and storing both through PARVIK into "fini.dat" in the start directory.
//
// Colours change in memory at once; the windows show them on Apply, or when they are next
// opened. They survive the run only once stored by "Save and Exit" or Close. A store that fails
// says so once and leaves the values in force.
#pragma once

#include "core/session/dialogs.h"
#include "core/session/library_loader.h"
#include "core/editor/link_editor.h"
#include "core/session/module1.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnix::app {

inline constexpr const char* kColourCaption = "Colours";
inline constexpr const char* kExtensionCaption = "File Extensions";

// In the order of the option buttons optBack, optText, optComm, optOption, optFore.
enum class ColourTarget : int32_t { WindowBack, TextBoxBack, ButtonBack, OptionBack, Text };
inline constexpr int32_t kColourTargetCount = 5;

struct ColourTargetSpec {
    std::string_view option;   // the option button's name
    std::string_view label;    // its caption
    std::string_view caption;  // shown above the sliders while the target is selected
};

const ColourTargetSpec& colourTargetSpec(ColourTarget target);
int32_t& colourOf(Colours& colours, ColourTarget target);
int32_t colourOf(const Colours& colours, ColourTarget target);

// The colour parts in slider order.
enum ColourChannel : int32_t { kRed = 0, kGreen = 1, kBlue = 2 };
inline constexpr int32_t kChannelCount = 3;
inline constexpr int32_t kMaxChannel = 255;
using ColourParts = std::array<int32_t, kChannelCount>;

// red = colour mod 256, green = (colour div 256) mod 256, blue = (colour div 65536) mod 256.
ColourParts splitColour(int32_t colour);
// red + 256·green + 65536·blue.
int32_t composeColour(const ColourParts& parts);

// A plain model of frmColor's controls.
struct ColourView {
    ColourTarget selected = ColourTarget::WindowBack;
    std::string caption;  // above the sliders
    ColourParts sliders{};
    std::array<TextBox, kChannelCount> boxes;  // txtRed, txtGreen, txtBlue
    // picColor and its label lblFore: a background target fills the picture, with the text in
    // the text colour; the text target colours the label on the window background.
    int32_t previewBack = 0;
    int32_t previewText = 0;

    bool operator==(const ColourView&) const = default;
};

class ColourEditor {
public:
    explicit ColourEditor(Module1& module);

    const ColourView& view() const { return m_view; }

    // Remembers the five colours for Restore, selects the window background.
    void Form_Load();
    // Choosing an option.
    void opt_Click(ColourTarget target);
    // A slider moved, while dragging and on release: its box follows, then fcolor.
    void Slider_Change(ColourChannel channel, int32_t value);
    // A whole number 0 … 255 typed into a box: its slider follows, then fcolor. Other text
    // changes nothing and marks the box invalid.
    void txt_Change(ColourChannel channel, std::string_view text);
    // Leaving a box: text that was not taken gives way to the value in force.
    void txt_LostFocus(ColourChannel channel);
    // "VB Defaults": the five default colours.
    void cmdDefaults_Click();
    // "Restore": the five colours of the moment the window opened.
    void cmdRestore_Click();

private:
    // Splits the selected target's colour into the sliders and boxes.
    void MyRGB();
    // Composes the colour from the parts taken from the boxes into the selected target.
    void fcolor();
    void showPreview();

    Module1& m_module;
    Colours m_opened;
    ColourView m_view;
};

// frmExt: the box's text as the extension the program keeps, at most three characters,
// without the blanks that pad it.
std::string extensionFromBox(std::string_view text);

// Both windows' store: the two extensions and the five colours through PARVIK into "fini.dat"
// in the start directory. A failure shows its message; true when written.
bool storeSettings(const Module1& module, Dialogs& dialogs, LibraryLoader& loader);

}  // namespace varnix::app
