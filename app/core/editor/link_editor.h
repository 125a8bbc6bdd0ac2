// The link rules of the setup window's five parameter rows, free of widgets: how "Fixed?",
// "Correlated with", "Factor" and the "x"/"+" options show and change the ParameterLink of
// parameter p = 5·(CurrentPeak − 1) + i of row i, and how values follow their partners.
//
// The rows are a plain model of the controls (ParameterRow). Each handler changes the records
// and the rows and returns the SetupEffects the window must carry out; the window writes the
// rows into its controls with their signals blocked, so that only the user's own actions come
// back here. Where the window would run a handler by writing a control itself (Factor left
// empty selects "+", which recomputes the value), the rule below does it.
//
// Links are 0-based as everywhere in Module1: the entry e of a row's "Correlated with" list is
// the same kind of parameter in peak e + 1.
#pragma once

#include "core/session/dialogs.h"
#include "core/session/menu_state.h"
#include "core/session/module1.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::app {

inline constexpr std::string_view kPositionFormat = "0.000";  // and every other peak value
inline constexpr std::string_view kHeightFormat = "0.000e+00";
inline constexpr int32_t kHeightRow = 1;

// A text box as the window shows it.
struct TextBox {
    std::string text;
    bool enabled = true;
    // Typed text that is not taken (not a number, or out of range): shown in a warning colour
    // until it is corrected or the box is filled again.
    bool invalid = false;

    bool operator==(const TextBox&) const = default;
};

// One parameter row: txtName, txtValue, chkVary, cmbVary, txtFactor and optX/optP in picbox.
struct ParameterRow {
    bool visible = false;  // txtName, txtValue and chkVary
    std::string name;
    TextBox value;
    bool fixed = false;  // "Fixed?" checked
    std::string fixedCaption = "no";
    std::vector<std::string> entries;  // "Correlated with": Pos1, Pos2, … for the first row
    int32_t selectedEntry = 0;
    bool listEnabled = false;
    TextBox factor{{}, false, false};
    bool multiplySelected = false;  // "x"
    bool plusSelected = false;      // "+"
    bool operationEnabled = false;  // picbox with both options

    bool operator==(const ParameterRow&) const = default;
};

using ParameterRows = std::array<ParameterRow, kParametersPerPeak>;

// What a handler asks of the windows. Flags add up when handlers run one another (|=); of two
// requests for the same control the later wins.
struct SetupEffects {
    bool rowsChanged = false;               // the five rows
    bool coefficientsChanged = false;       // coefficient boxes, their label, Auto, optBack
    bool countsChanged = false;             // txtNDS, txtPeakNumber, UpDownPeak's maximum, Delete
    bool menusChanged = false;              // apply the MenuState to the actions
    bool closePlotWindow = false;           // before the redraw below
    std::optional<int32_t> replot;          // mnuPlotItem_Click with this plot type
    bool recalculate = false;               // Calculate Spectrum, which redraws (instead of replot)
    std::optional<int32_t> plotPeakNumber;  // into the plot window's txtPeak, its signals blocked
    std::optional<int32_t> plotPeakLimit;   // the plot window's UpDownPeak maximum
    std::optional<bool> plotSelectEnabled;  // optSelect; false also deselects it
    bool showAllParameters = false;         // close frmAllParameters if open, and open it
    std::optional<std::string> status;      // the status line

    SetupEffects& operator|=(const SetupEffects& later);
    bool operator==(const SetupEffects&) const = default;
};

// The text of a peak value in its row's format.
std::string valueText(double value, int32_t row);

class LinkEditor {
public:
    // The handlers do nothing while `ready` is false (before the window is filled and after it
    // closed).
    LinkEditor(Module1& module, Dialogs& dialogs, MenuState& menu, ParameterRows& rows,
               const bool& ready);

    // Sets row i's link controls from the ParameterLink of its parameter, normalising the record
    // as it goes: a varied parameter becomes its own partner with factor 1 and no kind, a
    // correlated one with factor 0 an offset, one of no kind a factor.
    void showRow(int32_t i);

    SetupEffects chkVary_Click(int32_t i, bool checked);
    // The chosen entry of the list; one outside the peaks changes nothing.
    SetupEffects cmbVary_Click(int32_t i, int32_t entry);
    SetupEffects optX_Click(int32_t i);
    SetupEffects optP_Click(int32_t i);
    // Every keystroke: the value box follows the factor; text that is not a number changes
    // nothing but marks the box invalid.
    SetupEffects txtFactor_Change(int32_t i, std::string_view text);
    // Leaving Factor: an empty Factor turns a factor into an offset, and the operation's rule
    // runs again, so that Factor shows the number in use and the value box follows it.
    SetupEffects txtFactor_LostFocus(int32_t i, std::string_view text);

    // After the value of parameter p (0-based) was stored: its direct dependants follow it.
    void propagateValue(int32_t p);

private:
    ParameterRow& rowOf(int32_t i);
    int32_t parameterOf(int32_t i) const;
    ParameterLink& link(int32_t p);
    double& value(int32_t p);
    std::string name(int32_t p) const;
    bool usable(int32_t i) const;
    void showFree(ParameterRow& row, int32_t p);
    void showFixed(ParameterRow& row);
    void showOwn(ParameterRow& row, int32_t p);
    void showCorrelated(ParameterRow& row, ParameterLink& record);
    void recompute(int32_t p);
    // The parameters of the same kind in other peaks whose partner is p.
    std::vector<int32_t> dependants(int32_t p);
    int32_t resolveChain(int32_t p, int32_t q);
    void correlate(int32_t i, int32_t p, int32_t q);
    SetupEffects chooseOperation(int32_t i, int32_t kind);
    SetupEffects modified();

    Module1& m_module;
    Dialogs& m_dialogs;
    MenuState& m_menu;
    ParameterRows& m_rows;
    const bool& m_ready;
};

}  // namespace varnix::app
