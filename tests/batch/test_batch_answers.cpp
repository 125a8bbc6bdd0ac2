// The batch fitter's answers to the program's questions, each rule in both settings, checked
// against the literal texts the program asks with.
#include "core/fit/batch_answers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace varnix::app {
namespace {

enum class Ask { YesNo, OkCancel };

struct QuestionCase {
    const char* name;
    BatchRules rules;
    Ask kind;
    const char* question;
    bool expected;
    const char* recorded;
};

BatchRules strict()
{
    BatchRules rules;
    rules.useDataBeforeReadError = false;
    rules.dropZeroLastPoint = false;
    rules.shiftPeaksToPhotonEnergy = true;
    return rules;
}

class BatchQuestion : public testing::TestWithParam<QuestionCase> {};

TEST_P(BatchQuestion, IsAnsweredByItsRuleAndRecorded)
{
    const QuestionCase& c = GetParam();
    BatchDialogs dialogs(c.rules);
    const bool answer = c.kind == Ask::YesNo
                            ? dialogs.askYesNo(c.question, DefaultButton::YesOrOk)
                            : dialogs.askOkCancel(c.question, DefaultButton::NoOrCancel);
    EXPECT_EQ(answer, c.expected);
    ASSERT_EQ(dialogs.answers().size(), 1U);
    EXPECT_EQ(dialogs.answers()[0], (BatchAnswer{c.question, c.recorded}));
}

const char* const kReadError = "Warning - error in reading data after17Continue ?";
const char* const kZeroEnergy =
    "Warning - last energy is zero - probable error at end of data file - Continue ?";
const char* const kShift =
    "Photon energy HMU in Data File = 1486.6\nPhoton energy HMUConfig in "
    "Config File = 1253.6\nUpdate peak positions in Config Data by "
    "HMU-HMUConfig ?";

INSTANTIATE_TEST_SUITE_P(
    Rules, BatchQuestion,
    testing::Values(
        QuestionCase{"ReadErrorUsesThePointsRead", {}, Ask::YesNo, kReadError, true, "Yes"},
        QuestionCase{"ReadErrorFailsWhenAsked", strict(), Ask::YesNo, kReadError, false, "No"},
        QuestionCase{"ZeroLastEnergyIsDropped", {}, Ask::OkCancel, kZeroEnergy, true, "OK"},
        QuestionCase{"ZeroLastEnergyFailsWhenAsked", strict(), Ask::OkCancel, kZeroEnergy, false,
                     "Cancel"},
        QuestionCase{"PeaksStayByDefault", {}, Ask::YesNo, kShift, false, "No"},
        QuestionCase{"PeaksShiftWhenAsked", strict(), Ask::YesNo, kShift, true, "Yes"},
        QuestionCase{"InversionGoesOn", strict(), Ask::YesNo,
                     "Error in matrix inversion - Continue?", true, "Yes"},
        QuestionCase{"LambdaGoesOn", strict(), Ask::YesNo,
                     "Convergence failure in Lambda - Continue?", true, "Yes"},
        QuestionCase{"BreakGoesOn", {}, Ask::YesNo, "Continue fit ?", true, "Yes"},
        QuestionCase{"ExitWithoutSaving",
                     {},
                     Ask::YesNo,
                     "Calculated Spectra Not Saved - Continue Exit Anyway?",
                     true,
                     "Yes"},
        QuestionCase{"ExitOverConfiguration",
                     {},
                     Ask::YesNo,
                     "Config Data Not Saved - Continue Exit Anyway?",
                     true,
                     "Yes"},
        QuestionCase{"UnforeseenYesNoIsNo", {}, Ask::YesNo, "Overwrite everything ?", false, "No"},
        QuestionCase{
            "UnforeseenOkCancelIsCancel", {}, Ask::OkCancel, "Continue ?", false, "Cancel"}),
    [](const auto& p) { return std::string(p.param.name); });

struct InputCase {
    const char* name;
    std::optional<std::string> photonEnergy;
    const char* prompt;
    std::optional<std::string> expected;
    const char* recorded;
};

class BatchInput : public testing::TestWithParam<InputCase> {};

TEST_P(BatchInput, TypesThePhotonEnergyOnlyWhereAsked)
{
    const InputCase& c = GetParam();
    BatchRules rules;
    rules.photonEnergy = c.photonEnergy;
    BatchDialogs dialogs(rules);
    EXPECT_EQ(dialogs.inputBox(c.prompt, "", ""), c.expected);
    ASSERT_EQ(dialogs.answers().size(), 1U);
    EXPECT_EQ(dialogs.answers()[0], (BatchAnswer{c.prompt, c.recorded}));
}

INSTANTIATE_TEST_SUITE_P(Rules, BatchInput,
                         testing::Values(InputCase{"GivenPhotonEnergy", "1486.6",
                                                   "Enter photon energy", "1486.6", "1486.6"},
                                         InputCase{"NoPhotonEnergyCancels", std::nullopt,
                                                   "Enter photon energy", std::nullopt, "Cancel"},
                                         InputCase{"OtherPromptCancels", "1486.6", "", std::nullopt,
                                                   "Cancel"}),
                         [](const auto& p) { return std::string(p.param.name); });

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
