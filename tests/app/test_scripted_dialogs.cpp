// The scripted dialogs every window test answers through: a wrong script must fail the test,
// never fall back to a default answer.
#include "core/session/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace varnix::app {
namespace {

FileDialogRequest request(std::string title, std::string filter = "", std::string name = "")
{
    FileDialogRequest r;
    r.title = std::move(title);
    r.filter = std::move(filter);
    r.defaultName = std::move(name);
    return r;
}

TEST(ScriptedDialogs, SessionIsRecordedInOrderAndAnsweredFromTheScript)
{
    ScriptedDialogs dialogs;
    dialogs.answerYesNo(true)
        .answerOkCancel(false)
        .answerInput("")
        .answerInput(std::nullopt)
        .answerOpenFile("/data/a.dat")
        .answerSaveFile(std::nullopt);

    dialogs.message("  first");  // messages take no answer from the script
    EXPECT_TRUE(dialogs.askYesNo("Continue?", DefaultButton::YesOrOk));
    EXPECT_FALSE(dialogs.askOkCancel("Delete?", DefaultButton::NoOrCancel));
    dialogs.message("second");
    // An empty answer and Cancel must stay distinguishable.
    EXPECT_EQ(dialogs.inputBox("Photon energy", "Input", "1486.6"), std::optional<std::string>(""));
    EXPECT_EQ(dialogs.inputBox("Again", "Input", ""), std::nullopt);
    EXPECT_EQ(dialogs.openFileName(request("Open Data", "Data (*.dat)", "last.dat")),
              std::optional<std::string>("/data/a.dat"));
    EXPECT_EQ(dialogs.saveFileName(request("Save As", "All (*)", "x.cfg")), std::nullopt);

    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"  first", "Continue?", "Delete?", "second",
                                        "Photon energy", "Again", "Open Data", "Save As"}));
    const std::vector<DialogRecord>& records = dialogs.records();
    ASSERT_EQ(records.size(), 8U);
    EXPECT_EQ(records[4],
              (DialogRecord{DialogKind::Input, "Photon energy", "Input", "", "1486.6", {}}));
    EXPECT_EQ(records[6],
              (DialogRecord{
                  DialogKind::OpenFile, "Open Data", "Open Data", "Data (*.dat)", "last.dat", {}}));
    EXPECT_EQ(records[7].kind, DialogKind::SaveFile);
    // Each question keeps the button Return would have chosen.
    EXPECT_EQ(records[1].defaultButton, DefaultButton::YesOrOk);
    EXPECT_EQ(records[2].defaultButton, DefaultButton::NoOrCancel);
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
}

// A file of two spectra, the first of which is not on an energy axis.
const RegionRequest kRegions{"Q",
                             {{1, "etch", "0 \u2192 60", "not an energy axis", "3", "", false},
                              {2, "C 1s", "305 \u2192 275", "binding", "601", "1486.6", true}},
                             2};

struct UnexpectedCase {
    const char* name;
    std::function<void(ScriptedDialogs&)> script;
    std::function<void(Dialogs&)> ask;
    std::size_t answersLeft;
};

class UnexpectedQuestion : public ::testing::TestWithParam<UnexpectedCase> {};

TEST_P(UnexpectedQuestion, FailsLoudlyAndKeepsTheScript)
{
    ScriptedDialogs dialogs;
    GetParam().script(dialogs);
    EXPECT_THROW(GetParam().ask(dialogs), UnexpectedDialog);
    // The question is on record for the failure report, and no answer was spent on it.
    ASSERT_EQ(dialogs.records().size(), 1U);
    EXPECT_EQ(dialogs.records().front().text, "Q");
    EXPECT_EQ(dialogs.unusedAnswers(), GetParam().answersLeft);
}

INSTANTIATE_TEST_SUITE_P(
    ScriptedDialogs, UnexpectedQuestion,
    ::testing::Values(
        UnexpectedCase{"YesNoWithEmptyScript", [](ScriptedDialogs&) {},
                       [](Dialogs& d) { d.askYesNo("Q", DefaultButton::YesOrOk); }, 0},
        UnexpectedCase{"OkCancelAnsweredAsYesNo", [](ScriptedDialogs& s) { s.answerYesNo(true); },
                       [](Dialogs& d) { d.askOkCancel("Q", DefaultButton::YesOrOk); }, 1},
        UnexpectedCase{"YesNoAnsweredAsInput", [](ScriptedDialogs& s) { s.answerInput("1"); },
                       [](Dialogs& d) { d.askYesNo("Q", DefaultButton::YesOrOk); }, 1},
        UnexpectedCase{"SaveAnsweredAsOpen", [](ScriptedDialogs& s) { s.answerOpenFile("a.dat"); },
                       [](Dialogs& d) { d.saveFileName(request("Q")); }, 1},
        UnexpectedCase{"InputWithEmptyScript", [](ScriptedDialogs&) {},
                       [](Dialogs& d) { d.inputBox("Q", "", ""); }, 0},
        UnexpectedCase{"OpenAnsweredAsOkCancel", [](ScriptedDialogs& s) { s.answerOkCancel(true); },
                       [](Dialogs& d) { d.openFileName(request("Q")); }, 1},
        UnexpectedCase{"RegionAnsweredAsOpen", [](ScriptedDialogs& s) { s.answerOpenFile("a"); },
                       [](Dialogs& d) { d.chooseRegion(kRegions); }, 1},
        // No user can choose a greyed row, nor one that is not there.
        UnexpectedCase{"RegionThatCannotBeRead", [](ScriptedDialogs& s) { s.answerRegion(1); },
                       [](Dialogs& d) { d.chooseRegion(kRegions); }, 0},
        UnexpectedCase{"RegionNotListed", [](ScriptedDialogs& s) { s.answerRegion(3); },
                       [](Dialogs& d) { d.chooseRegion(kRegions); }, 0}),
    [](const ::testing::TestParamInfo<UnexpectedCase>& param) { return param.param.name; });

}  // namespace
}  // namespace varnix::app
