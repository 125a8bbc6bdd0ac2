// The rules of the two fit-parameter dialogs, free of widgets: frmFitParameters ("Fit
// Parameters": MAXIT and RMIN) and frmFitAdvanced ("Extra Fit Parameters": the six values of the
// Levenberg–Marquardt and Simpson machinery). Both edit Module1's FitControls in place, with no
// OK or Cancel; File > Save ... > Fit Parameters writes them.
//
// The window fills its boxes from boxes() after Form_Load and after every handler that says so,
// forwards each keystroke to box_Change and each departure from a box to box_LostFocus. Every
// keystroke marks the fit controls modified once the window is ready. Typed text is committed
// when the box is left, when the window closes, and through commitTypedBoxes, which the main
// window runs before a calculation or fit: a menu or a shortcut does not take the focus from the
// box, and the value typed must still be the one used. Only typed text is committed, so a value
// is never read back rounded to its display format. Text that does not convert keeps the stored
// value and marks the box invalid until it is corrected; a value outside its limits is refused
// with a message naming the allowed range, and the box shows the stored value again.
#pragma once

#include "core/session/dialogs.h"
#include "core/fit/fit_controls.h"
#include "core/editor/link_editor.h"
#include "core/session/menu_state.h"
#include "core/session/module1.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace varnix::app {

inline constexpr const char* kFitParametersCaption = "Fit Parameters";
inline constexpr const char* kFitAdvancedCaption = "Extra Fit Parameters";

// The boxes of each dialog, in their order: txtMaxit, txtRmin; txtAdvanced(0 … 5).
inline constexpr std::array<FitControlField, 2> kSimpleFitFields = {FitControlField::Maxit,
                                                                    FitControlField::Rmin};
inline constexpr std::array<FitControlField, 6> kAdvancedFitFields = {
    FitControlField::Lambda,
    FitControlField::LambdaFac,
    FitControlField::MaxLambdaIterations,
    FitControlField::SimpsonEps,
    FitControlField::MaxSimpsonIterations,
    FitControlField::IntegrationRange};

// What the window must do after a handler.
struct FitDialogEffects {
    bool boxesChanged = false;  // write boxes() into the controls
    bool menusChanged = false;  // apply the MenuState to the actions

    FitDialogEffects& operator|=(const FitDialogEffects& later);
    bool operator==(const FitDialogEffects&) const = default;
};

// The FitControls no longer match the file: unsaved, Save > Fit Parameters enabled and
// unchecked.
void markFitControlsModified(Module1& module, MenuState& menu);

class FitControlsEditor {
public:
    FitControlsEditor(Module1& module, Dialogs& dialogs, MenuState& menu,
                      std::span<const FitControlField> fields);

    const std::vector<TextBox>& boxes() const { return m_boxes; }
    FitControlField field(int32_t i) const;
    bool ready() const { return m_ready; }

    // Fills every box from the FitControls in its format, then the window is ready.
    FitDialogEffects Form_Load();
    // Closing: typed boxes committed, the window no longer ready.
    FitDialogEffects Form_Unload();

    FitDialogEffects box_Change(int32_t i, std::string_view text);
    FitDialogEffects box_LostFocus(int32_t i);
    FitDialogEffects commitTypedBoxes();

private:
    FitDialogEffects commit(std::size_t i);

    Module1& m_module;
    Dialogs& m_dialogs;
    MenuState& m_menu;
    std::vector<FitControlField> m_fields;
    std::vector<TextBox> m_boxes;
    std::vector<bool> m_typed;
    bool m_ready = false;
};

}  // namespace varnix::app
