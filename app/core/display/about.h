// The texts of the About box (Help > About Varnix): the version, what the program does, its
// licence, the reference for its line shape and where it lives. The window only shows them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::app {

// The program's version as the build names it (CMake's project version, "1.06").
std::string_view programVersion();

// One row of the box: a label and its text.
struct AboutRow {
    std::string label;
    std::string text;

    bool operator==(const AboutRow&) const = default;
};

struct AboutText {
    std::string title;    // "Varnix Version <version>"
    std::string summary;  // what the program does, in one sentence
    std::vector<AboutRow> rows;
};

// The box for a program of `version` in `programFolder` (empty when it cannot be told) whose
// manual's contents page is `manualPage` (nullopt when it was not found).
AboutText aboutText(std::string_view version, const std::filesystem::path& programFolder,
                    const std::optional<std::filesystem::path>& manualPage);

}  // namespace varnix::app
