// The fit-parameter dialogs' rules without widgets: what each box shows, what typed text does to
// the fit controls, the limits with their messages, and when the controls count as modified.
#include "core/fit/fit_controls_editor.h"
#include "core/session/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnix::app {
namespace {

using Texts = std::vector<std::string>;
using F = FitControlField;

// The two dialogs' boxes, as the user reads them, in box order.
TEST(FitControlsEditor, FillsEachBoxInItsFormat)
{
    Module1 m;
    m.fitControls = {51, 0.0001, 0.001, 10.0, 0, 2.5e-7, 12, 20.0};
    ScriptedDialogs dialogs;
    MenuState menu;
    FitControlsEditor simple(m, dialogs, menu, kSimpleFitFields);
    FitControlsEditor advanced(m, dialogs, menu, kAdvancedFitFields);
    EXPECT_FALSE(simple.ready());
    simple.Form_Load();
    advanced.Form_Load();
    EXPECT_TRUE(simple.ready() && advanced.ready());
    Texts shown;
    for (const FitControlsEditor* dialog : {&simple, &advanced}) {
        for (const TextBox& box : dialog->boxes()) {
            shown.push_back(box.text);
        }
    }
    // "###" shows a zero as nothing at all.
    EXPECT_EQ(shown,
              (Texts{"51", "1.00E-04", "1.000E-03", "10.0000", "", "2.500E-07", "12", "20.000"}));
    EXPECT_EQ(m.fitControls, (FitControls{51, 0.0001, 0.001, 10.0, 0, 2.5e-7, 12, 20.0}));
    EXPECT_TRUE(m.fitParametersSaved);  // filling the boxes is no edit
}

struct TypedCase {
    const char* name;
    F field;
    const char* typed;
    double stored;        // the field's value afterwards
    const char* message;  // shown when the box is left; "" for none
    const char* shown;    // the box's text afterwards
    bool invalid;
};

const char* const kMaxitRange = "MAXIT must be a whole number of 0 or more - value not changed";
const char* const kSimpsonRange =
    "Max Simpson Iterations must be a whole number from 7 to 30 - value not changed";
const char* const kEpsRange = "Simpson EPS must be greater than 0 - value not changed";
const char* const kFacRange = "LambdaFac must be greater than 1 - value not changed";

class TypedValue : public testing::TestWithParam<TypedCase> {};

TEST_P(TypedValue, IsStoredRefusedOrFlaggedWhenTheBoxIsLeft)
{
    const TypedCase& c = GetParam();
    Module1 m;  // the defaults: MAXIT 51, RMIN 1e-4, LambdaFac 10, EPS 1e-4, 21 Simpson steps
    ScriptedDialogs dialogs;
    MenuState menu;
    const bool simple = c.field == F::Maxit || c.field == F::Rmin;
    FitControlsEditor editor(
        m, dialogs, menu,
        simple ? std::span<const F>(kSimpleFitFields) : std::span<const F>(kAdvancedFitFields));
    editor.Form_Load();
    int32_t box = 0;
    while (editor.field(box) != c.field) {
        ++box;
    }
    editor.box_Change(box, c.typed);
    const TextBox& shown = editor.boxes().at(static_cast<std::size_t>(box));
    EXPECT_FALSE(shown.invalid);  // not while typing

    FitControls expected = m.fitControls;
    setFitControl(expected, c.field, c.stored);
    editor.box_LostFocus(box);
    EXPECT_EQ(m.fitControls, expected);
    EXPECT_EQ(dialogs.texts(), *c.message != '\0' ? Texts{c.message} : Texts{});
    EXPECT_EQ(shown.text, c.shown);
    EXPECT_EQ(shown.invalid, c.invalid);
    // The keystroke counted as an edit, whatever became of the value.
    EXPECT_FALSE(m.fitParametersSaved);
    EXPECT_EQ(menu.saveFitParameters, (MenuEntry{true, false}));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Boxes, TypedValue, testing::Values(
    TypedCase{"MaxitZeroKept", F::Maxit, "0", 0, "", "0", false},
    TypedCase{"MaxitNegative", F::Maxit, "-1", 51, kMaxitRange, "51", false},
    TypedCase{"MaxitNotWhole", F::Maxit, "12.5", 51, "", "12.5", true},
    TypedCase{"MaxitBeyond32Bits", F::Maxit, "3000000000", 51, "", "3000000000", true},
    TypedCase{"MaxitExponent", F::Maxit, "1e2", 100, "", "1e2", false},
    TypedCase{"RminZero", F::Rmin, "0", 0.0, "", "0", false},
    TypedCase{"RminDecimalComma", F::Rmin, "1,5", 1e-4, "", "1,5", true},
    TypedCase{"RminLetters", F::Rmin, "abc", 1e-4, "", "abc", true},
    TypedCase{"RminEmpty", F::Rmin, "", 1e-4, "", "", true},
    TypedCase{"LambdaLarge", F::Lambda, " 1e8 ", 1e8, "", " 1e8 ", false},
    TypedCase{"LambdaFacOne", F::LambdaFac, "1", 10.0, kFacRange, "10.0000", false},
    TypedCase{"LambdaFacBelowOne", F::LambdaFac, "0.5", 10.0, kFacRange, "10.0000", false},
    TypedCase{"LambdaFacJustAboveOne", F::LambdaFac, "1.001", 1.001, "", "1.001", false},
    TypedCase{"MaxLambdaIterations", F::MaxLambdaIterations, "5", 5, "", "5", false},
    TypedCase{"EpsZero", F::SimpsonEps, "0", 1e-4, kEpsRange, "1.000E-04", false},
    TypedCase{"EpsNegative", F::SimpsonEps, "-1e-6", 1e-4, kEpsRange, "1.000E-04", false},
    TypedCase{"EpsSmall", F::SimpsonEps, "1e-9", 1e-9, "", "1e-9", false},
    TypedCase{"SimpsonBelowMinimum", F::MaxSimpsonIterations, "6", 21, kSimpsonRange, "21", false},
    TypedCase{"SimpsonMinimum", F::MaxSimpsonIterations, "7", 7, "", "7", false},
    TypedCase{"SimpsonMaximum", F::MaxSimpsonIterations, "30", 30, "", "30", false},
    TypedCase{"SimpsonAboveMaximum", F::MaxSimpsonIterations, "31", 21, kSimpsonRange, "21", false},
    TypedCase{"IntegrationRange", F::IntegrationRange, "4.25", 4.25, "", "4.25", false}),
    [](const testing::TestParamInfo<TypedCase>& p) { return std::string(p.param.name); });
// clang-format on

class Editor : public testing::Test {
protected:
    Editor() { m_editor.Form_Load(); }

    Module1 m_module;
    ScriptedDialogs m_dialogs;
    MenuState m_menu;
    FitControlsEditor m_editor{m_module, m_dialogs, m_menu, kAdvancedFitFields};
};

TEST_F(Editor, ABoxLeftUntypedIsNotReadBackRounded)
{
    m_module.fitControls.lambda = 0.0123456789;  // shown as 1.235E-02
    m_editor.Form_Load();
    for (int32_t i = 0; i < 6; ++i) {
        m_editor.box_LostFocus(i);
    }
    m_editor.commitTypedBoxes();
    m_editor.Form_Unload();
    EXPECT_EQ(m_module.fitControls.lambda, 0.0123456789);
    EXPECT_TRUE(m_module.fitParametersSaved);
    EXPECT_EQ(m_menu, MenuState{});
}

// Before a fit the main window commits the box still being typed in; leaving it afterwards, or
// closing the window, must not commit it again nor show its message twice.
TEST_F(Editor, TypedTextIsCommittedOnceWhicheverWayComesFirst)
{
    m_editor.box_Change(2, "9");   // Max Lambda Iterations
    m_editor.box_Change(4, "40");  // Max Simpson Iterations, out of range
    const FitDialogEffects effects = m_editor.commitTypedBoxes();
    EXPECT_TRUE(effects.boxesChanged);
    EXPECT_EQ(m_module.fitControls.maxLambdaIterations, 9);
    EXPECT_EQ(m_module.fitControls.maxSimpsonIterations, 21);
    m_editor.box_LostFocus(4);
    m_editor.Form_Unload();
    EXPECT_EQ(m_dialogs.texts(), Texts{kSimpsonRange});
    EXPECT_FALSE(m_editor.ready());
    m_editor.box_Change(2, "3");  // a closed window takes nothing
    EXPECT_EQ(m_module.fitControls.maxLambdaIterations, 9);
}

TEST_F(Editor, WarningGoesOnceTheTextIsANumberAgain)
{
    m_editor.box_Change(0, "x");
    m_editor.box_LostFocus(0);
    ASSERT_TRUE(m_editor.boxes()[0].invalid);
    EXPECT_TRUE(m_editor.box_Change(0, "2e").boxesChanged == false);
    EXPECT_TRUE(m_editor.boxes()[0].invalid);
    EXPECT_TRUE(m_editor.box_Change(0, "2e-3").boxesChanged);
    EXPECT_FALSE(m_editor.boxes()[0].invalid);
    m_editor.Form_Unload();  // closing commits what was typed
    EXPECT_EQ(m_module.fitControls.lambda, 2e-3);
}

TEST_F(Editor, KeystrokesBeforeTheWindowIsReadyMarkNothing)
{
    Module1 m;
    ScriptedDialogs dialogs;
    MenuState menu;
    FitControlsEditor loading(m, dialogs, menu, kSimpleFitFields);
    EXPECT_EQ(loading.box_Change(0, "5"), FitDialogEffects{});
    loading.commitTypedBoxes();
    EXPECT_TRUE(m.fitParametersSaved);
    EXPECT_EQ(m.fitControls, FitControls{});
    EXPECT_EQ(menu, MenuState{});
}

}  // namespace
}  // namespace varnix::app
