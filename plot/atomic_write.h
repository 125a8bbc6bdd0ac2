// Writing the page so that it appears complete or not at all: the text goes to a new file
// beside the target, is flushed to the disk, and only then renamed onto the target. On any
// failure the new file is removed, and an existing target is left as it was.
#pragma once

#include <string>
#include <string_view>

namespace varnix::plot {

// Returns true when `content` is in place under `path`. With replaceExisting false an existing
// file of that name is kept and the call fails.
bool writeFileAtomically(const std::string& path, std::string_view content,
                         bool replaceExisting);

}  // namespace varnix::plot
