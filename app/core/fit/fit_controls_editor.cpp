#include "core/fit/fit_controls_editor.h"

namespace varnix::app {

FitDialogEffects& FitDialogEffects::operator|=(const FitDialogEffects& later)
{
    boxesChanged = boxesChanged || later.boxesChanged;
    menusChanged = menusChanged || later.menusChanged;
    return *this;
}

void markFitControlsModified(Module1& module, MenuState& menu)
{
    module.fitParametersSaved = false;
    menu.saveFitParameters = MenuEntry{true, false};
}

FitControlsEditor::FitControlsEditor(Module1& module, Dialogs& dialogs, MenuState& menu,
                                     std::span<const FitControlField> fields)
    : m_module(module),
      m_dialogs(dialogs),
      m_menu(menu),
      m_fields(fields.begin(), fields.end()),
      m_boxes(fields.size()),
      m_typed(fields.size(), false)
{
}

FitControlField FitControlsEditor::field(int32_t i) const
{
    return m_fields.at(static_cast<std::size_t>(i));
}

FitDialogEffects FitControlsEditor::Form_Load()
{
    m_ready = false;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        m_boxes[i] = TextBox{fitControlText(m_module.fitControls, m_fields[i])};
        m_typed[i] = false;
    }
    m_ready = true;
    return {.boxesChanged = true};
}

FitDialogEffects FitControlsEditor::Form_Unload()
{
    FitDialogEffects effects = commitTypedBoxes();
    m_ready = false;
    return effects;
}

FitDialogEffects FitControlsEditor::box_Change(int32_t i, std::string_view text)
{
    if (!m_ready) {
        return {};
    }
    const auto index = static_cast<std::size_t>(i);
    TextBox& box = m_boxes.at(index);
    box.text = text;
    m_typed[index] = true;
    // The warning goes as soon as the text is a number again; it comes only when the box is
    // left, so that a number half typed is not flagged.
    const bool wasInvalid = box.invalid;
    box.invalid = box.invalid && !convertFitControlText(m_fields[index], text);
    markFitControlsModified(m_module, m_menu);
    return {.boxesChanged = wasInvalid != box.invalid, .menusChanged = true};
}

FitDialogEffects FitControlsEditor::box_LostFocus(int32_t i)
{
    if (!m_ready) {
        return {};
    }
    return commit(static_cast<std::size_t>(i));
}

FitDialogEffects FitControlsEditor::commitTypedBoxes()
{
    FitDialogEffects effects;
    if (!m_ready) {
        return effects;
    }
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        effects |= commit(i);
    }
    return effects;
}

FitDialogEffects FitControlsEditor::commit(std::size_t i)
{
    if (!m_typed.at(i)) {
        return {};
    }
    m_typed[i] = false;
    TextBox& box = m_boxes[i];
    const FitControlField field = m_fields[i];
    const std::optional<double> value = convertFitControlText(field, box.text);
    if (!value) {
        box.invalid = true;
        return {.boxesChanged = true};
    }
    box.invalid = false;
    if (const auto refused = fitControlLimitMessage(field, *value)) {
        box.text = fitControlText(m_module.fitControls, field);
        m_dialogs.message(*refused);
        return {.boxesChanged = true};
    }
    setFitControl(m_module.fitControls, field, *value);
    return {.boxesChanged = true};
}

}  // namespace varnix::app
