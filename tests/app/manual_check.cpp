#include "manual_check.h"

#include <algorithm>
#include <deque>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace varnix::app::test {

namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The first group of every match of `pattern` in `text`.
std::vector<std::string> captured(const std::string& text, const std::regex& pattern)
{
    std::vector<std::string> values;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        values.push_back((*it)[1].str());
    }
    return values;
}

std::vector<std::string> links(const std::string& html)
{
    static const std::regex kLink(R"re((?:href|src)\s*=\s*"([^"]*)")re", std::regex::icase);
    return captured(html, kLink);
}

std::set<std::string> anchors(const std::string& html)
{
    static const std::regex kAnchor(R"re(<a\s[^>]*name\s*=\s*"([^"]*)")re", std::regex::icase);
    const std::vector<std::string> names = captured(html, kAnchor);
    return {names.begin(), names.end()};
}

bool external(const std::string& link)
{
    return link.starts_with("http://") || link.starts_with("https://") ||
           link.starts_with("mailto:");
}

// The target of a link on `page`, with the anchor it names ("" for none); an empty path for
// a link into the page itself.
struct Target {
    fs::path file;
    std::string anchor;
};

Target targetOf(const fs::path& page, const std::string& link)
{
    const std::size_t hash = link.find('#');
    const std::string file = link.substr(0, hash);
    Target target;
    target.anchor = hash == std::string::npos ? std::string() : link.substr(hash + 1);
    target.file = file.empty() ? page : (page.parent_path() / file).lexically_normal();
    return target;
}

// The problem with one link, or "" when it leads where it says.
std::string linkProblem(const fs::path& page, const std::string& link)
{
    if (link.empty()) {
        return "empty link";
    }
    if (link.find(':') != std::string::npos) {
        return "a link that leaves the manual other than to the web";
    }
    const Target target = targetOf(page, link);
    if (!fs::is_regular_file(target.file)) {
        return "no such file";
    }
    if (!target.anchor.empty() && anchors(contents(target.file)).count(target.anchor) == 0) {
        return "no such anchor";
    }
    return {};
}

// The pages reached from the contents page through links between pages of the folder.
std::set<fs::path> reachable(const fs::path& folder)
{
    std::set<fs::path> seen;
    std::deque<fs::path> next{(folder / "index.html").lexically_normal()};
    while (!next.empty()) {
        const fs::path page = next.front();
        next.pop_front();
        if (!fs::is_regular_file(page) || !seen.insert(page).second) {
            continue;
        }
        for (const std::string& link : links(contents(page))) {
            const fs::path file = targetOf(page, link).file;
            if (!external(link) && file.extension() == ".html") {
                next.push_back(file);
            }
        }
    }
    return seen;
}

}  // namespace

std::vector<fs::path> manualPages(const fs::path& folder)
{
    std::vector<fs::path> pages;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == ".html") {
            pages.push_back(entry.path().lexically_normal());
        }
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

std::vector<fs::path> pagePictures(const fs::path& page)
{
    static const std::regex kPicture(R"re(<img\s[^>]*src\s*=\s*"([^"]*)")re", std::regex::icase);
    std::vector<fs::path> pictures;
    for (const std::string& source : captured(contents(page), kPicture)) {
        pictures.push_back(targetOf(page, source).file);
    }
    return pictures;
}

std::vector<std::string> manualProblems(const fs::path& folder)
{
    std::vector<std::string> problems;
    const std::vector<fs::path> pages = manualPages(folder);
    if (pages.empty()) {
        return {folder.string() + ": no pages"};
    }
    const std::set<fs::path> reached = reachable(folder);
    for (const fs::path& page : pages) {
        const std::string name = page.filename().string();
        const std::string html = contents(page);
        for (const std::string& link : links(html)) {
            const std::string problem = external(link) ? std::string() : linkProblem(page, link);
            if (!problem.empty()) {
                problems.push_back(name + ": " + link + ": " + problem);
            }
        }
        if (reached.count(page) == 0) {
            problems.push_back(name + ": not reached from index.html");
        }
        static const std::regex kScript("<script", std::regex::icase);
        if (std::regex_search(html, kScript)) {
            problems.push_back(name + ": a script");
        }
    }
    return problems;
}

}  // namespace varnix::app::test
