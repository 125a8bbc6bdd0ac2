// The questions the program asks while it reads and fits a spectrum, answered without a user by
// fixed rules: the batch fitter's Dialogs. Every message shown and every answer given is kept, so
// that the spectrum's output line can say what was decided on its behalf.
//
// The rules, which the batch fitter's --help states:
// - "Enter photon energy" (a binding-energy file without one): the text given with
//   --photon-energy; without it the box is cancelled and the read fails with the program's
//   message.
// - "Warning - error in reading data after…": Yes (the points read are used) unless told
//   otherwise.
// - "Warning - last energy is zero…": OK (the zero point is dropped) unless told otherwise.
// - "Photon energy HMU in Data File = …" (shift the peaks by the difference): No unless asked.
// - "Error in matrix inversion - Continue?", "Convergence failure in Lambda - Continue?" and
//   "Continue fit ?": Yes, as the user nearly always answers.
// - "… Not Saved - Continue Exit Anyway?": Yes. A failure that would end the program ends the
//   spectrum's fit, and nothing is saved on the way out.
// - Anything else: No, Cancel or no name, so that nothing unforeseen is done.
#pragma once

#include "core/session/dialogs.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::app {

struct BatchRules {
    std::optional<std::string> photonEnergy;  // as typed into "Enter photon energy"
    bool useDataBeforeReadError = true;
    bool dropZeroLastPoint = true;
    bool shiftPeaksToPhotonEnergy = false;

    bool operator==(const BatchRules&) const = default;
};

// One question and the answer given: "Yes", "No", "OK", "Cancel", the text typed, or "Cancel"
// for a box or dialog left unanswered.
struct BatchAnswer {
    std::string question;
    std::string answer;

    bool operator==(const BatchAnswer&) const = default;
};

class BatchDialogs final : public Dialogs {
public:
    explicit BatchDialogs(BatchRules rules);

    void message(std::string_view text) override;
    bool askYesNo(std::string_view question, DefaultButton defaultButton) override;
    bool askOkCancel(std::string_view question, DefaultButton defaultButton) override;
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override;
    std::optional<std::string> openFileName(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override;
    std::optional<int32_t> chooseRegion(const RegionRequest& request) override;

    const std::vector<std::string>& messages() const { return m_messages; }
    const std::vector<BatchAnswer>& answers() const { return m_answers; }
    // Forgets what was shown and answered, before the next spectrum.
    void clear();

private:
    bool answer(std::string_view question, bool yes, std::string_view yesText,
                std::string_view noText);

    BatchRules m_rules;
    std::vector<std::string> m_messages;
    std::vector<BatchAnswer> m_answers;
};

}  // namespace varnix::app
