// Dialogs for tests: every message and question is recorded in the order shown, and every
// question takes the next answer of a script written before the session runs. A question the
// script did not foresee — the script is used up, or its next answer is for another kind of
// question — throws UnexpectedDialog, so a test can never pass by a silent default answer.
#pragma once

#include "core/dialogs.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace varnix::app {

enum class DialogKind { Message, YesNo, OkCancel, Input, OpenFile, SaveFile, Region };

std::string_view dialogKindName(DialogKind kind);

// One thing the user was shown. text is the message, question or prompt; an input box adds
// its title and default text; a file dialog's text and title are both its title, with its
// filter and, as defaultText, the name it proposed; the region chooser's text is the file's
// name, its defaultText the number proposed, its rows what the table showed. A question records
// its default button.
struct DialogRecord {
    DialogKind kind = DialogKind::Message;
    std::string text;
    std::string title;
    std::string filter;
    std::string defaultText;
    std::optional<DefaultButton> defaultButton;
    std::vector<RegionRow> rows{};

    bool operator==(const DialogRecord&) const = default;
};

class UnexpectedDialog : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

class ScriptedDialogs final : public Dialogs {
public:
    // The script: each call queues one answer for the next question of that kind.
    ScriptedDialogs& answerYesNo(bool yes);
    ScriptedDialogs& answerOkCancel(bool ok);
    ScriptedDialogs& answerInput(std::optional<std::string> text);  // nullopt = Cancel
    ScriptedDialogs& answerOpenFile(std::optional<std::string> name);
    ScriptedDialogs& answerSaveFile(std::optional<std::string> name);
    // nullopt = Cancel. A number that is no selectable row throws UnexpectedDialog when asked,
    // since no user could choose it.
    ScriptedDialogs& answerRegion(std::optional<int32_t> number);

    void message(std::string_view text) override;
    bool askYesNo(std::string_view question, DefaultButton defaultButton) override;
    bool askOkCancel(std::string_view question, DefaultButton defaultButton) override;
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override;
    std::optional<std::string> openFileName(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override;
    std::optional<int32_t> chooseRegion(const RegionRequest& request) override;

    const std::vector<DialogRecord>& records() const { return m_records; }
    // The texts alone, in order: what most tests compare.
    std::vector<std::string> texts() const;
    // Answers the session did not use; a finished scenario expects none.
    std::size_t unusedAnswers() const { return m_script.size(); }

private:
    struct Answer {
        DialogKind kind;
        bool accepted;
        std::optional<std::string> text;
        int32_t number = 0;
    };

    void queue(DialogKind kind, bool accepted, std::optional<std::string> text);
    Answer take(DialogRecord record);

    std::deque<Answer> m_script;
    std::vector<DialogRecord> m_records;
};

}  // namespace varnix::app
