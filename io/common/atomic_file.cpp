#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace varnix::io {

namespace {

bool writeAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// New files get the usual permissions; a replaced file keeps its own.
mode_t permissionsFor(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        return info.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Moves the finished file onto the target; without replacing, link() refuses an existing one.
bool moveIntoPlace(const std::string& from, const std::string& to, bool replaceExisting)
{
    if (replaceExisting) {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

}  // namespace

WriteStatus writeFileAtomically(const std::string& path, std::string_view content,
                                bool replaceExisting)
{
    std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return kWriteCannotCreate;
    }
    const std::string temporary(name.data());
    const bool written = writeAll(fd, content) && ::fchmod(fd, permissionsFor(path)) == 0
                         && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(temporary.c_str());
        return kWriteFailed;
    }
    if (!moveIntoPlace(temporary, path, replaceExisting)) {
        ::unlink(temporary.c_str());
        return kWriteCannotReplace;
    }
    return kWriteOk;
}

}  // namespace varnix::io
