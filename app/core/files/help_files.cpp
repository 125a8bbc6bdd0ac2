#include "core/files/help_files.h"

#include <system_error>

namespace varnix::app {

std::vector<std::filesystem::path> helpFolders(const std::filesystem::path& programFolder)
{
    // Both folders are set by the build: VARNIX_INSTALLED_HELP_DIR from the install layout,
    // relative to the program's folder, so that the two cannot disagree; VARNIX_SOURCE_HELP_DIR
    // is where the pages are written.
    const std::filesystem::path sourceFolder = VARNIX_SOURCE_HELP_DIR;
    if (programFolder.empty()) {
        return {sourceFolder};
    }
    return {(programFolder / VARNIX_INSTALLED_HELP_DIR).lexically_normal(), sourceFolder};
}

std::optional<std::filesystem::path> helpContentsPage(
    const std::vector<std::filesystem::path>& folders)
{
    for (const std::filesystem::path& folder : folders) {
        const std::filesystem::path page = folder / kHelpContentsPage;
        std::error_code error;
        if (std::filesystem::is_regular_file(page, error)) {
            return page;
        }
    }
    return std::nullopt;
}

std::string helpMissingMessage(const std::vector<std::filesystem::path>& folders)
{
    std::string text = "The Varnix manual was not found: no ";
    text.append(kHelpContentsPage).append(" in");
    for (const std::filesystem::path& folder : folders) {
        text.append("\n").append(folder.string());
    }
    return text.append("\nInstall Varnix again (cmake --install) to bring the manual back.");
}

}  // namespace varnix::app
