#include "atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <optional>
#include <random>

namespace varnix::io {

namespace {

// The kernel's own limit on symbolic links followed in one path.
constexpr int kMaxLinkHops = 40;

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

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a save to `path` replaces: the path itself or, for a symbolic link, the end of its
// chain, so that the link stays a link and what it points to gets the new content. The end
// need not exist yet (a dangling link is saved through, as the shell's ">" does). Nothing for
// a chain that loops.
std::optional<std::string> finalTarget(std::string path)
{
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return path;
        }
        std::array<char, PATH_MAX> buffer{};
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) == buffer.size()) {
            return std::nullopt;
        }
        const std::string link(buffer.data(), static_cast<std::size_t>(n));
        path = link.starts_with('/') ? link : folderOf(path) + "/" + link;
    }
    return std::nullopt;
}

// New files get the usual permissions; a replaced file keeps its own.
mode_t permissionsFor(int folder, const std::string& name)
{
    struct stat info {};
    if (::fstatat(folder, name.c_str(), &info, 0) == 0 && S_ISREG(info.st_mode)) {
        return info.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A new file in `folder` under a short unique name. The name does not build on the target's,
// which may already be as long as a file name can be.
int createTemporary(int folder, std::string& name)
{
    static constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = ".varnix-";
        for (int i = 0; i < 6; ++i) {
            name += kLetters[random() % kLetters.size()];
        }
        const int fd =
            ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Moves the finished file onto the target; without replacing, link() refuses an existing one.
bool moveIntoPlace(int folder, const std::string& from, const std::string& to, bool replaceExisting)
{
    if (replaceExisting) {
        return ::renameat(folder, from.c_str(), folder, to.c_str()) == 0;
    }
    if (::linkat(folder, from.c_str(), folder, to.c_str(), 0) != 0) {
        return false;
    }
    ::unlinkat(folder, from.c_str(), 0);
    return true;
}

WriteStatus writeInFolder(int folder, const std::string& name, std::string_view content,
                          bool replaceExisting)
{
    std::string temporary;
    const int fd = createTemporary(folder, temporary);
    if (fd < 0) {
        return kWriteCannotCreate;
    }
    const bool written = writeAll(fd, content)
                         && ::fchmod(fd, permissionsFor(folder, name)) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlinkat(folder, temporary.c_str(), 0);
        return kWriteFailed;
    }
    if (!moveIntoPlace(folder, temporary, name, replaceExisting)) {
        ::unlinkat(folder, temporary.c_str(), 0);
        return kWriteCannotReplace;
    }
    return kWriteOk;
}

}  // namespace

WriteStatus writeFileAtomically(const std::string& path, std::string_view content,
                                bool replaceExisting)
{
    const std::optional<std::string> target = finalTarget(path);
    if (!target) {
        return kWriteCannotReplace;
    }
    // Names relative to the folder keep the temporary's path as short as the target's.
    const int folder = ::open(folderOf(*target).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return kWriteCannotCreate;
    }
    const WriteStatus status = writeInFolder(folder, nameOf(*target), content, replaceExisting);
    ::close(folder);
    return status;
}

}  // namespace varnix::io
