#include "core/fit/batch_answers.h"

#include "core/fit/fit_driver.h"

#include <utility>

namespace varnix::app {

namespace {

constexpr std::string_view kReadErrorQuestion = "Warning - error in reading data after";
constexpr std::string_view kZeroLastEnergyQuestion =
    "Warning - last energy is zero - probable error at end of data file - Continue ?";
constexpr std::string_view kPeakShiftQuestion = "Photon energy HMU in Data File = ";
constexpr std::string_view kExitQuestionEnd = "Not Saved - Continue Exit Anyway?";
constexpr std::string_view kPhotonEnergyPrompt = "Enter photon energy";

}  // namespace

BatchDialogs::BatchDialogs(BatchRules rules) : m_rules(std::move(rules)) {}

void BatchDialogs::message(std::string_view text)
{
    m_messages.emplace_back(text);
}

bool BatchDialogs::answer(std::string_view question, bool yes, std::string_view yesText,
                          std::string_view noText)
{
    m_answers.push_back(BatchAnswer{std::string(question), std::string(yes ? yesText : noText)});
    return yes;
}

bool BatchDialogs::askYesNo(std::string_view question, DefaultButton)
{
    bool yes = false;
    if (question.starts_with(kReadErrorQuestion)) {
        yes = m_rules.useDataBeforeReadError;
    } else if (question.starts_with(kPeakShiftQuestion)) {
        yes = m_rules.shiftPeaksToPhotonEnergy;
    } else {
        yes = question == kInversionQuestion || question == kLambdaQuestion ||
              question == kContinueFitQuestion || question.ends_with(kExitQuestionEnd);
    }
    return answer(question, yes, "Yes", "No");
}

bool BatchDialogs::askOkCancel(std::string_view question, DefaultButton)
{
    return answer(question, question == kZeroLastEnergyQuestion && m_rules.dropZeroLastPoint, "OK",
                  "Cancel");
}

std::optional<std::string> BatchDialogs::inputBox(std::string_view prompt, std::string_view,
                                                  std::string_view)
{
    const bool given = prompt == kPhotonEnergyPrompt && m_rules.photonEnergy.has_value();
    answer(prompt, given, given ? std::string_view(*m_rules.photonEnergy) : "", "Cancel");
    return given ? m_rules.photonEnergy : std::nullopt;
}

std::optional<std::string> BatchDialogs::openFileName(const FileDialogRequest& request)
{
    answer(request.title, false, "", "Cancel");
    return std::nullopt;
}

std::optional<std::string> BatchDialogs::saveFileName(const FileDialogRequest& request)
{
    answer(request.title, false, "", "Cancel");
    return std::nullopt;
}

std::optional<int32_t> BatchDialogs::chooseRegion(const RegionRequest& request)
{
    answer(request.fileName, false, "", "Cancel");
    return std::nullopt;
}

void BatchDialogs::clear()
{
    m_messages.clear();
    m_answers.clear();
}

}  // namespace varnix::app
