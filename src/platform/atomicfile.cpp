#include "atomicfile.h"

#include "fileattr.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace mv {
namespace {

constexpr int kMaxLinkHops = 40; // the kernel's own limit
// Each retry means another writer replaced the file first, so a busy writer can lose many
// rounds in a row; the bound only stops a file system whose inode numbers never match.
constexpr int kMaxRetries = 10000;
constexpr const char* kHiddenXattr = "user.DOSATTRIB";

// Closes a descriptor when the scope ends, also when the change callback throws.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset(int fd = -1) {
        const int saved = errno;
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
        errno = saved;
    }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Removes the temporary file unless it has been renamed into place.
class TempFile {
public:
    ~TempFile() {
        if (!path.empty()) {
            const int saved = errno;
            ::unlink(path.c_str());
            errno = saved;
        }
    }
    std::string path;
};

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a write to `path` lands in: the end of its chain of links, relative targets taken
// from the link's folder. A dangling link names the file to create.
bool finalTarget(std::string path, std::string& out) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno != ENOENT) return false;
            out = path;
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            out = path;
            return true;
        }
        std::string target(st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 256, '\0');
        for (;;) {
            ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
            if (n < 0) return false;
            if (static_cast<size_t>(n) < target.size()) {
                target.resize(static_cast<size_t>(n));
                break;
            }
            target.resize(target.size() * 2);
        }
        path = (target.empty() || target[0] == '/') ? target : folderOf(path) + "/" + target;
    }
    errno = ELOOP;
    return false;
}

bool lockFd(int fd) {
    while (::flock(fd, LOCK_EX) != 0)
        if (errno != EINTR) return false;
    return true;
}

bool readAll(int fd, std::string& content) {
    content.clear();
    char buf[16384];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        content.append(buf, static_cast<size_t>(n));
    }
}

// A new, unused temporary file in `folder`, created with `mode` (less the umask).
int createTemp(const std::string& folder, mode_t mode, std::string& path) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "/.markvane-%d-%u", static_cast<int>(::getpid()),
                      counter.fetch_add(1));
        path = folder + name;
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    path.clear();
    return -1;
}

// Copies the extended attributes of the old file. Losing user.DOSATTRIB would lose the hidden
// attribute, so its failure fails the write; the others go where the file system allows.
bool copyXattrs(int from, int to) {
    ssize_t len = ::flistxattr(from, nullptr, 0);
    if (len < 0) return errno == ENOTSUP;
    std::vector<char> names(static_cast<size_t>(len) + 1);
    len = ::flistxattr(from, names.data(), names.size());
    if (len < 0) return false;
    for (ssize_t i = 0; i < len;) {
        const char* name = names.data() + i;
        i += static_cast<ssize_t>(std::strlen(name)) + 1;
        const bool needed = std::strcmp(name, kHiddenXattr) == 0;
        ssize_t vlen = ::fgetxattr(from, name, nullptr, 0);
        std::vector<char> value(vlen > 0 ? static_cast<size_t>(vlen) : 1);
        if (vlen >= 0) vlen = ::fgetxattr(from, name, value.data(), value.size());
        if (vlen < 0 || ::fsetxattr(to, name, value.data(), static_cast<size_t>(vlen), 0) != 0)
            if (needed) return false;
    }
    return true;
}

// Gives the new file what the old one had: extended attributes, owner where allowed, mode
// (last, because a change of owner clears set-id bits).
bool takeOver(int oldFd, const struct stat& old, int fd) {
    if (!copyXattrs(oldFd, fd)) return false;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // Not ours to give away: the file becomes ours, as any editor's save would make it.
    }
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

// Writes `content` to a temporary file beside `target`, flushes it and renames it into place,
// then flushes the folder. `old` is the locked current file (invalid when there is none): a
// new file is made without replacing anything that appeared meanwhile (EEXIST).
bool replaceWith(const std::string& target, const std::string& content, int oldFd,
                 const struct stat* old, int folderFd) {
    TempFile temp;
    Fd fd(createTemp(folderOf(target), old ? 0600 : 0666, temp.path));
    if (!fd.valid()) return false;
    if (old && !takeOver(oldFd, *old, fd.get())) return false;
    if (!writeAll(fd.get(), content) || ::fsync(fd.get()) != 0) return false;
    if (::close(fd.release()) != 0) return false;
    if (old) {
        if (::rename(temp.path.c_str(), target.c_str()) != 0) return false;
        temp.path.clear();
    } else if (::renameat2(AT_FDCWD, temp.path.c_str(), AT_FDCWD, target.c_str(),
                           RENAME_NOREPLACE) == 0) {
        temp.path.clear();
    } else {
        if (errno != EINVAL && errno != ENOSYS) return false;
        // No RENAME_NOREPLACE here: link() refuses an existing name just as well; the
        // temporary name goes when `temp` does.
        if (::link(temp.path.c_str(), target.c_str()) != 0) return false;
    }
    // The rename is only durable once the folder is. File systems that cannot flush a folder
    // say EINVAL; there the rename is as safe as they make it, so that is no failure.
    if (::fsync(folderFd) != 0 && errno != EINVAL) return false;
    return true;
}

enum class Outcome { Done, Failed, Retry };

// The target exists: lock it, make sure the lock is on the file the name still stands for, and
// replace it.
Outcome updateExisting(const std::string& target, const FileChange& change) {
    Fd fd(::open(target.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        // Gone, or turned into a link, since we looked: look again.
        return (errno == ENOENT || errno == ELOOP) ? Outcome::Retry : Outcome::Failed;
    }
    if (!lockFd(fd.get())) return Outcome::Failed;
    struct stat locked {}, named{};
    if (::fstat(fd.get(), &locked) != 0) return Outcome::Failed;
    if (::lstat(target.c_str(), &named) != 0 || named.st_dev != locked.st_dev ||
        named.st_ino != locked.st_ino)
        return Outcome::Retry; // replaced while we waited for the lock
    if (S_ISDIR(locked.st_mode)) {
        errno = EISDIR;
        return Outcome::Failed;
    }
    if (!S_ISREG(locked.st_mode)) {
        errno = EINVAL;
        return Outcome::Failed;
    }
    if (fileattr::isReadOnly(target)) {
        errno = EACCES;
        return Outcome::Failed;
    }
    Fd folder(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) return Outcome::Failed;
    std::string current;
    if (!readAll(fd.get(), current)) return Outcome::Failed;
    std::optional<std::string> next = change(current, true);
    if (!next) return Outcome::Done;
    return replaceWith(target, *next, fd.get(), &locked, folder.get()) ? Outcome::Done
                                                                       : Outcome::Failed;
}

// No file yet: the folder's lock keeps two writers from both creating it, and the create never
// replaces a file someone else made meanwhile (that one is then updated instead).
Outcome createNew(const std::string& target, const FileChange& change) {
    Fd folder(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid() || !lockFd(folder.get())) return Outcome::Failed;
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) return Outcome::Retry;
    if (errno != ENOENT) return Outcome::Failed;
    std::optional<std::string> next = change(std::string(), false);
    if (!next) return Outcome::Done;
    if (replaceWith(target, *next, -1, nullptr, folder.get())) return Outcome::Done;
    return errno == EEXIST ? Outcome::Retry : Outcome::Failed;
}

} // namespace

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool updateFileAtomically(const std::string& path, const FileChange& change) {
    for (int attempt = 0; attempt < kMaxRetries; ++attempt) {
        std::string target;
        if (!finalTarget(path, target)) return false;
        struct stat st {};
        const bool exists = ::lstat(target.c_str(), &st) == 0;
        if (!exists && errno != ENOENT) return false;
        const Outcome r = exists ? updateExisting(target, change) : createNew(target, change);
        if (r != Outcome::Retry) return r == Outcome::Done;
    }
    errno = EAGAIN;
    return false;
}

bool writeFileAtomically(const std::string& path, std::string_view content) {
    return updateFileAtomically(path, [content](const std::string&, bool) {
        return std::optional<std::string>(std::string(content));
    });
}

bool readFile(const std::string& path, std::string& content) {
    // Without O_NONBLOCK the open of a FIFO waits for a writer for ever; a folder listing that
    // meets one named like a favorite would hang the window.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) return false;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    return readAll(fd.get(), content);
}

} // namespace mv
