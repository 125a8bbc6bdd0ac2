// The one way application code talks to the user outside its own windows: message boxes,
// Yes/No and OK/Cancel questions, the input box, the open and save dialogs and the choice of a
// region of a file that holds several spectra. The program implements it with Qt's standard
// dialogs and a small table dialog; the tests with ScriptedDialogs, which records what was
// shown and answers from a script. Texts are passed exactly as the user sees them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::app {

// What an open or save dialog is asked with. The filter is in the form the file dialogs
// understand ("Data Files (*.dat);;All Files (*)"); the default name is proposed in the
// name box, and its folder is where the dialog opens (a folder alone opens it there).
struct FileDialogRequest {
    std::string title;
    std::string filter;
    std::string defaultName;
    std::size_t selectedFilter = 0;  // the filter entry shown first, counted from 0
    std::string defaultSuffix;       // added to a typed name without extension; "" for none

    bool operator==(const FileDialogRequest&) const = default;
};

// One spectrum of a file as the region chooser shows it, every cell as text.
struct RegionRow {
    int32_t number = 0;  // 1-based, as the file name carries it ("survey.vms#2")
    std::string name;
    std::string energyRange;  // eV, first to last as the file runs
    std::string scale;        // binding, kinetic, or not an energy axis
    std::string points;
    std::string photonEnergy;  // eV
    bool selectable = false;   // only spectra the readers can return may be chosen

    bool operator==(const RegionRow&) const = default;
};

// What the region chooser is asked with: the file as chosen, its spectra in file order and the
// number selected at first (0: none).
struct RegionRequest {
    std::string fileName;
    std::vector<RegionRow> rows;
    int32_t proposed = 0;

    bool operator==(const RegionRequest&) const = default;
};

// The button a question's Return key answers. A question whose Yes (or OK) loses work — ends the
// program over unsaved records, drops a data point — takes NoOrCancel, so that a hurried Return
// keeps the work.
enum class DefaultButton { YesOrOk, NoOrCancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual void message(std::string_view text) = 0;
    // true for Yes; No and closing the box count as No.
    virtual bool askYesNo(std::string_view question, DefaultButton defaultButton) = 0;
    // true for OK; Cancel and closing the box count as Cancel.
    virtual bool askOkCancel(std::string_view question, DefaultButton defaultButton) = 0;
    // The text typed, possibly empty; nullopt on Cancel, so that callers can tell "no answer"
    // from "an empty answer".
    virtual std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                                std::string_view defaultText) = 0;
    // The full name chosen; nullopt on Cancel.
    virtual std::optional<std::string> openFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFileName(const FileDialogRequest& request) = 0;
    // The number of the spectrum chosen, always one of a selectable row; nullopt on Cancel.
    virtual std::optional<int32_t> chooseRegion(const RegionRequest& request) = 0;

protected:
    Dialogs() = default;
    Dialogs(const Dialogs&) = default;
    Dialogs& operator=(const Dialogs&) = default;
};

}  // namespace varnix::app
