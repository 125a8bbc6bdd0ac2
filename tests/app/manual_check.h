// Checks an HTML manual as a reader would meet it: every link and picture of every page leads
// somewhere, every page can be reached from the contents page, and no page needs a script.
// Shared by the tests of the manual in the source tree and in an installed tree.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace varnix::app::test {

// What is wrong with the manual in `folder`, one line each ("model.html: links.html#nowhere:
// no such anchor"); empty when nothing is. Links are href and src attributes: a file that must
// exist (relative to the page, the folder may be left), optionally followed by #name of an
// <a name="name"> in that page; web addresses (http, https, mailto) are not followed.
std::vector<std::string> manualProblems(const std::filesystem::path& folder);

// The HTML pages of the manual in `folder`, sorted.
std::vector<std::filesystem::path> manualPages(const std::filesystem::path& folder);

// The pictures the page `page` shows (its img src attributes), as paths.
std::vector<std::filesystem::path> pagePictures(const std::filesystem::path& page);

}  // namespace varnix::app::test
