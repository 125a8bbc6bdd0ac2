// Where the program finds its manual: the HTML pages of docs/help, shown by the help window at
// their contents page index.html. An installed tree keeps them in <prefix>/share/varnix/help
// beside <prefix>/bin; a build tree's program reads them where they are written, in the source
// tree. Both are found relative to the program, as the libraries are (library_loader.h), so
// neither needs a path set.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varnix::app {

// The manual's contents page, the page Help > Help Topics opens.
inline constexpr const char* kHelpContentsPage = "index.html";

// The folders the manual is looked for in, in order, for a program in `programFolder`: the
// installed manual's folder relative to it, then the source tree's docs/help. Without a program
// folder (empty) only the source tree's.
std::vector<std::filesystem::path> helpFolders(const std::filesystem::path& programFolder);

// The contents page in the first of `folders` that holds one; nullopt when none does.
std::optional<std::filesystem::path> helpContentsPage(
    const std::vector<std::filesystem::path>& folders);

// What Help > Help Topics says when no folder holds the manual: where it was looked for, and
// how to get it back.
std::string helpMissingMessage(const std::vector<std::filesystem::path>& folders);

}  // namespace varnix::app
