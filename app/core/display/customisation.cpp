#include "core/display/customisation.h"

#include "core/session/number_format.h"
#include "core/session/startup.h"
#include "varnix_io.h"

#include <cmath>
#include <exception>
#include <filesystem>

namespace varnix::app {

namespace {

constexpr std::array<ColourTargetSpec, kColourTargetCount> kTargets = {{
    {"optBack", "window background", "Select Background Colour"},
    {"optText", "text box background", "Select Text Background Colour"},
    {"optComm", "commandbutton background", "Select CommandButton Background Colour"},
    {"optOption", "optionbutton background", "Select OptionButton Background Colour"},
    {"optFore", "text", "Select ForeGround Colour"},
}};

constexpr int32_t kChannelBase = kMaxChannel + 1;

std::optional<int32_t> channelValue(std::string_view text)
{
    const std::optional<double> value = parseNumber(text);
    if (!value || std::floor(*value) != *value || *value < 0 || *value > kMaxChannel) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*value);
}

}  // namespace

const ColourTargetSpec& colourTargetSpec(ColourTarget target)
{
    return kTargets.at(static_cast<std::size_t>(target));
}

int32_t& colourOf(Colours& colours, ColourTarget target)
{
    switch (target) {
        case ColourTarget::WindowBack:
            return colours.windowBack;
        case ColourTarget::TextBoxBack:
            return colours.textBoxBack;
        case ColourTarget::ButtonBack:
            return colours.buttonBack;
        case ColourTarget::OptionBack:
            return colours.optionBack;
        case ColourTarget::Text:
            break;
    }
    return colours.text;
}

int32_t colourOf(const Colours& colours, ColourTarget target)
{
    Colours copy = colours;
    return colourOf(copy, target);
}

ColourParts splitColour(int32_t colour)
{
    return {colour % kChannelBase, (colour / kChannelBase) % kChannelBase,
            (colour / (kChannelBase * kChannelBase)) % kChannelBase};
}

int32_t composeColour(const ColourParts& parts)
{
    return parts[kRed] + kChannelBase * parts[kGreen] + kChannelBase * kChannelBase * parts[kBlue];
}

ColourEditor::ColourEditor(Module1& module) : m_module(module) {}

void ColourEditor::Form_Load()
{
    m_opened = m_module.colours;
    opt_Click(ColourTarget::WindowBack);
}

void ColourEditor::opt_Click(ColourTarget target)
{
    m_view.selected = target;
    m_view.caption = colourTargetSpec(target).caption;
    MyRGB();
}

void ColourEditor::Slider_Change(ColourChannel channel, int32_t value)
{
    const auto i = static_cast<std::size_t>(channel);
    m_view.sliders.at(i) = value;
    m_view.boxes.at(i) = TextBox{std::to_string(value)};
    fcolor();
}

void ColourEditor::txt_Change(ColourChannel channel, std::string_view text)
{
    const auto i = static_cast<std::size_t>(channel);
    TextBox& box = m_view.boxes.at(i);
    box.text = text;
    const std::optional<int32_t> value = channelValue(text);
    box.invalid = !value;
    if (value) {
        m_view.sliders[i] = *value;
        fcolor();
    }
}

void ColourEditor::txt_LostFocus(ColourChannel channel)
{
    const auto i = static_cast<std::size_t>(channel);
    if (m_view.boxes.at(i).invalid) {
        m_view.boxes[i] = TextBox{std::to_string(m_view.sliders[i])};
    }
    fcolor();
}

void ColourEditor::cmdDefaults_Click()
{
    m_module.colours = Colours{};
    MyRGB();
}

void ColourEditor::cmdRestore_Click()
{
    m_module.colours = m_opened;
    MyRGB();
}

void ColourEditor::MyRGB()
{
    m_view.sliders = splitColour(colourOf(m_module.colours, m_view.selected));
    for (std::size_t i = 0; i < m_view.boxes.size(); ++i) {
        m_view.boxes[i] = TextBox{std::to_string(m_view.sliders[i])};
    }
    showPreview();
}

void ColourEditor::fcolor()
{
    colourOf(m_module.colours, m_view.selected) = composeColour(m_view.sliders);
    showPreview();
}

void ColourEditor::showPreview()
{
    const Colours& c = m_module.colours;
    const bool text = m_view.selected == ColourTarget::Text;
    m_view.previewBack = text ? c.windowBack : colourOf(c, m_view.selected);
    m_view.previewText = c.text;
}

std::string extensionFromBox(std::string_view text)
{
    std::string extension(text.substr(0, static_cast<std::size_t>(kExtensionLength)));
    while (!extension.empty() && extension.back() == ' ') {
        extension.pop_back();
    }
    return extension;
}

bool storeSettings(const Module1& module, Dialogs& dialogs, LibraryLoader& loader)
{
    try {
        const auto parvik = loader.routine<ParvikFunction>("parvik");
        const auto dataExtension = toExtensionBuffer(module.dataExtension);
        const auto configExtension = toExtensionBuffer(module.configExtension);
        const Colours& c = module.colours;
        const std::array<int32_t, 5> colours = {c.text, c.windowBack, c.textBoxBack, c.buttonBack,
                                                c.optionBack};
        const auto count = static_cast<int32_t>(colours.size());
        const std::string file =
            (std::filesystem::path(module.startDirectory) / kSettingsFile).string();
        int32_t status = -1;
        parvik(dataExtension.data(), kExtensionLength, configExtension.data(), kExtensionLength,
               colours.data(), &count, file.c_str(), static_cast<int32_t>(file.size()), &status);
        if (status == 0) {
            return true;
        }
    } catch (const LibraryMissing&) {
        dialogs.message("Fortran dll parvik.DLL not found - ABORT");
        return false;
    } catch (const std::exception&) {
        // Reported below like a refused write: the file was not written either way.
    }
    dialogs.message(
        "Error in writing customization parameters -\n"
        "Delete fini.dat or copy fini.sav over fini.dat");
    return false;
}

}  // namespace varnix::app
