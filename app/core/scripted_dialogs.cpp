#include "core/scripted_dialogs.h"

#include <algorithm>
#include <utility>

namespace varnix::app {

std::string_view dialogKindName(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Message: return "message";
    case DialogKind::YesNo: return "Yes/No question";
    case DialogKind::OkCancel: return "OK/Cancel question";
    case DialogKind::Input: return "input box";
    case DialogKind::OpenFile: return "open dialog";
    case DialogKind::SaveFile: return "save dialog";
    case DialogKind::Region: return "region chooser";
    }
    return "dialog";
}

ScriptedDialogs& ScriptedDialogs::answerYesNo(bool yes)
{
    queue(DialogKind::YesNo, yes, std::nullopt);
    return *this;
}

ScriptedDialogs& ScriptedDialogs::answerOkCancel(bool ok)
{
    queue(DialogKind::OkCancel, ok, std::nullopt);
    return *this;
}

ScriptedDialogs& ScriptedDialogs::answerInput(std::optional<std::string> text)
{
    const bool accepted = text.has_value();
    queue(DialogKind::Input, accepted, std::move(text));
    return *this;
}

ScriptedDialogs& ScriptedDialogs::answerOpenFile(std::optional<std::string> name)
{
    const bool accepted = name.has_value();
    queue(DialogKind::OpenFile, accepted, std::move(name));
    return *this;
}

ScriptedDialogs& ScriptedDialogs::answerSaveFile(std::optional<std::string> name)
{
    const bool accepted = name.has_value();
    queue(DialogKind::SaveFile, accepted, std::move(name));
    return *this;
}

ScriptedDialogs& ScriptedDialogs::answerRegion(std::optional<int32_t> number)
{
    queue(DialogKind::Region, number.has_value(), std::nullopt);
    m_script.back().number = number.value_or(0);
    return *this;
}

void ScriptedDialogs::queue(DialogKind kind, bool accepted, std::optional<std::string> text)
{
    m_script.push_back(Answer{kind, accepted, std::move(text)});
}

// The question is recorded before it is checked, so that a failing test's record shows the
// question nobody expected.
ScriptedDialogs::Answer ScriptedDialogs::take(DialogRecord record)
{
    const DialogKind kind = record.kind;
    std::string asked(dialogKindName(kind));
    asked.append(" \"").append(record.text).append("\"");
    m_records.push_back(std::move(record));
    if (m_script.empty()) {
        throw UnexpectedDialog("unexpected " + asked + ": the script has no answer left");
    }
    if (m_script.front().kind != kind) {
        std::string what("unexpected ");
        what.append(asked).append(": the script's next answer is for a ");
        what.append(dialogKindName(m_script.front().kind));
        throw UnexpectedDialog(what);
    }
    Answer answer = std::move(m_script.front());
    m_script.pop_front();
    return answer;
}

void ScriptedDialogs::message(std::string_view text)
{
    m_records.push_back(DialogRecord{DialogKind::Message, std::string(text), {}, {}, {}, {}});
}

bool ScriptedDialogs::askYesNo(std::string_view question, DefaultButton defaultButton)
{
    return take(DialogRecord{DialogKind::YesNo, std::string(question), {}, {}, {}, defaultButton})
        .accepted;
}

bool ScriptedDialogs::askOkCancel(std::string_view question, DefaultButton defaultButton)
{
    return take(
               DialogRecord{DialogKind::OkCancel, std::string(question), {}, {}, {}, defaultButton})
        .accepted;
}

std::optional<std::string> ScriptedDialogs::inputBox(std::string_view prompt,
                                                     std::string_view title,
                                                     std::string_view defaultText)
{
    return take(DialogRecord{DialogKind::Input, std::string(prompt), std::string(title), {},
                             std::string(defaultText), {}})
        .text;
}

std::optional<std::string> ScriptedDialogs::openFileName(const FileDialogRequest& request)
{
    return take(DialogRecord{DialogKind::OpenFile, request.title, request.title, request.filter,
                             request.defaultName, {}})
        .text;
}

std::optional<std::string> ScriptedDialogs::saveFileName(const FileDialogRequest& request)
{
    return take(DialogRecord{DialogKind::SaveFile, request.title, request.title, request.filter,
                             request.defaultName, {}})
        .text;
}

std::optional<int32_t> ScriptedDialogs::chooseRegion(const RegionRequest& request)
{
    DialogRecord record{
        DialogKind::Region, request.fileName, {}, {}, std::to_string(request.proposed), {},
        request.rows};
    const Answer answer = take(std::move(record));
    if (!answer.accepted) {
        return std::nullopt;
    }
    const bool selectable =
        std::any_of(request.rows.begin(), request.rows.end(),
                    [&](const auto& row) { return row.number == answer.number && row.selectable; });
    if (!selectable) {
        throw UnexpectedDialog("the region chooser cannot choose " + std::to_string(answer.number) +
                               ": no selectable row has that number");
    }
    return answer.number;
}

std::vector<std::string> ScriptedDialogs::texts() const
{
    std::vector<std::string> result;
    result.reserve(m_records.size());
    for (const DialogRecord& record : m_records) {
        result.push_back(record.text);
    }
    return result;
}

}  // namespace varnix::app
