#include "core/display/about.h"

namespace varnix::app {

std::string_view programVersion()
{
    // Set by the build from the project's version, so that the box cannot name another.
    return VARNIX_VERSION;
}

namespace {

std::string folderText(const std::filesystem::path& folder, std::string_view unknown)
{
    return folder.empty() ? std::string(unknown) : folder.string();
}

}  // namespace

AboutText aboutText(std::string_view version, const std::filesystem::path& programFolder,
                    const std::optional<std::filesystem::path>& manualPage)
{
    AboutText about;
    about.title = std::string("Varnix Version ").append(version);
    about.summary =
        "Fits X-ray photoelectron spectra with Doniach\u2013Sunjic lines convolved with "
        "a Gaussian on a polynomial background.";
    about.rows = {
        {"Licence",
         "GNU General Public License, version 3 or any later version (GPL-3.0-or-later). Varnix "
         "is free software and comes without any warranty; see https://www.gnu.org/licenses/."},
        {"Line shape",
         "S. Doniach and M. \u0160unji\u0107, J. Phys. C 3, 285 (1970), convolved with a "
         "Gaussian"},
        {"Program folder", folderText(programFolder, "not known")},
        {"Manual", manualPage ? manualPage->parent_path().string() : std::string("not found")},
    };
    return about;
}

}  // namespace varnix::app
