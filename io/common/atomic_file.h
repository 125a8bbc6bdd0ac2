// Writing a file so that a failed save never damages the previous one: the content goes to a
// temporary file in the target's folder (".varnix-" and six random characters, so that a
// target name of any legal length still leaves room for it), is flushed to the disk, and only
// then renamed over the target. On any failure the temporary file is removed and the target
// left as it was. A symbolic link is saved through: the end of its chain is the target, and
// the link stays in place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varnix::io {

enum WriteStatus : int32_t {
    kWriteOk = 0,
    kWriteCannotCreate = 1,  // the folder is missing, read-only or not a folder
    kWriteFailed = 2,        // the disk is full or the write failed on the way
    kWriteCannotReplace = 3  // the target cannot be replaced (a folder, a loop of links, say)
};

// With replaceExisting false an existing target is kept and the write fails with
// kWriteCannotReplace.
WriteStatus writeFileAtomically(const std::string& path, std::string_view content,
                                bool replaceExisting = true);

}  // namespace varnix::io
