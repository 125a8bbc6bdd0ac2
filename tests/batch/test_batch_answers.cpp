// The batch fitter's answers to the program's questions, each rule in both settings, checked
// against the literal texts the program asks with.
#include "core/fit/batch_answers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace varnix::app {
namespace {

enum class Ask { YesNo, OkCancel, Input };

// The default rules, and every rule turned the other way with a photon energy given.
const BatchRules kDefaults;
const BatchRules kStrict{"1486.6", false, false, true};

struct QuestionCase {
    const char* name;
    BatchRules rules;
    Ask kind;
    const char* question;
    std::optional<std::string> answer;  // for a question: "" is true, nothing is false
    const char* recorded;
};

class BatchQuestion : public testing::TestWithParam<QuestionCase> {};

TEST_P(BatchQuestion, IsAnsweredByItsRuleAndRecorded)
{
    const QuestionCase& c = GetParam();
    BatchDialogs dialogs(c.rules);
    if (c.kind == Ask::Input) {
        EXPECT_EQ(dialogs.inputBox(c.question, "", ""), c.answer);
    } else {
        EXPECT_EQ(c.kind == Ask::YesNo ? dialogs.askYesNo(c.question, DefaultButton::YesOrOk)
                                       : dialogs.askOkCancel(c.question, DefaultButton::NoOrCancel),
                  c.answer.has_value());
    }
    EXPECT_EQ(dialogs.answers(), (std::vector<BatchAnswer>{{c.question, c.recorded}}));
}

const char* const kReadError = "Warning - error in reading data after17Continue ?";
const char* const kZeroEnergy =
    "Warning - last energy is zero - probable error at end of data file - Continue ?";
const char* const kShift =
    "Photon energy HMU in Data File = 1486.6\nPhoton energy HMUConfig in "
    "Config File = 1253.6\nUpdate peak positions in Config Data by "
    "HMU-HMUConfig ?";
const std::optional<std::string> kTrue = "";
const std::optional<std::string> kFalse;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rules, BatchQuestion, testing::Values(
    QuestionCase{"ReadErrorUsesThePointsRead", kDefaults, Ask::YesNo, kReadError, kTrue, "Yes"},
    QuestionCase{"ReadErrorFailsWhenAsked", kStrict, Ask::YesNo, kReadError, kFalse, "No"},
    QuestionCase{"ZeroLastEnergyIsDropped", kDefaults, Ask::OkCancel, kZeroEnergy, kTrue, "OK"},
    QuestionCase{"ZeroLastEnergyFailsWhenAsked", kStrict, Ask::OkCancel, kZeroEnergy, kFalse,
                 "Cancel"},
    QuestionCase{"PeaksStayByDefault", kDefaults, Ask::YesNo, kShift, kFalse, "No"},
    QuestionCase{"PeaksShiftWhenAsked", kStrict, Ask::YesNo, kShift, kTrue, "Yes"},
    QuestionCase{"InversionGoesOn", kStrict, Ask::YesNo, "Error in matrix inversion - Continue?",
                 kTrue, "Yes"},
    QuestionCase{"LambdaGoesOn", kStrict, Ask::YesNo, "Convergence failure in Lambda - Continue?",
                 kTrue, "Yes"},
    QuestionCase{"BreakGoesOn", kDefaults, Ask::YesNo, "Continue fit ?", kTrue, "Yes"},
    QuestionCase{"ExitWithoutSaving", kDefaults, Ask::YesNo,
                 "Calculated Spectra Not Saved - Continue Exit Anyway?", kTrue, "Yes"},
    QuestionCase{"ExitOverConfiguration", kDefaults, Ask::YesNo,
                 "Config Data Not Saved - Continue Exit Anyway?", kTrue, "Yes"},
    QuestionCase{"UnforeseenYesNoIsNo", kStrict, Ask::YesNo, "Overwrite everything ?", kFalse,
                 "No"},
    QuestionCase{"UnforeseenOkCancelIsCancel", kDefaults, Ask::OkCancel, "Continue ?", kFalse,
                 "Cancel"},
    QuestionCase{"GivenPhotonEnergy", kStrict, Ask::Input, "Enter photon energy", "1486.6",
                 "1486.6"},
    QuestionCase{"NoPhotonEnergyCancels", kDefaults, Ask::Input, "Enter photon energy", kFalse,
                 "Cancel"},
    QuestionCase{"OtherPromptCancels", kStrict, Ask::Input, "", kFalse, "Cancel"}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

TEST(BatchDialogs, KeepsMessagesInOrderUntilCleared)
{
    BatchDialogs dialogs({});
    dialogs.message("first");
    EXPECT_FALSE(dialogs.saveFileName(FileDialogRequest{"Save", "", "", 0, ""}).has_value());
    dialogs.message("second");
    EXPECT_EQ(dialogs.messages(), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(dialogs.answers(), (std::vector<BatchAnswer>{{"Save", "Cancel"}}));
    dialogs.clear();
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_TRUE(dialogs.answers().empty());
}

}  // namespace
}  // namespace varnix::app
