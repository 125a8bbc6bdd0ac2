#include "atomic_write.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace varnix::plot {

namespace {

// The folder part of `path` with its trailing slash, or "" for a bare name. The temporary file
// goes there rather than being the target's name with a suffix, which could exceed the longest
// name the file system allows.
std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Creates a new, uniquely named file in `folder` with the permissions the umask allows;
// returns its descriptor (or −1) and its name.
int createTemporary(const std::string& folder, std::string& name)
{
    std::random_device random;
    constexpr int kAttempts = 16;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".kelmar-%08x%08x.tmp", random(), random());
        name = folder;
        name.append(suffix);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

bool writeAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
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

bool writeFileAtomically(const std::string& path, std::string_view content,
                         bool replaceExisting)
{
    if (path.empty() || path.back() == '/') {
        return false;
    }
    std::string temporary;
    const int fd = createTemporary(folderOf(path), temporary);
    if (fd < 0) {
        return false;
    }
    const bool written = writeAll(fd, content) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed && moveIntoPlace(temporary, path, replaceExisting)) {
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace varnix::plot
