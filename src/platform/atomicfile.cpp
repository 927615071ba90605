#include "atomicfile.h"

#include "error.h"
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

std::error_code code(int err) {
    return std::error_code(err, std::generic_category());
}

// Closes a descriptor when the scope ends, also when a callback throws.
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

// Removes the temporary entry unless it has been renamed into place.
class TempEntry {
public:
    ~TempEntry() {
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
std::error_code finalTarget(std::string path, std::string& out) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno != ENOENT) return lastError();
            out = path;
            return {};
        }
        if (!S_ISLNK(st.st_mode)) {
            out = path;
            return {};
        }
        std::string target(st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 256, '\0');
        for (;;) {
            ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
            if (n < 0) return lastError();
            if (static_cast<size_t>(n) < target.size()) {
                target.resize(static_cast<size_t>(n));
                break;
            }
            target.resize(target.size() * 2);
        }
        path = (target.empty() || target[0] == '/') ? target : folderOf(path) + "/" + target;
    }
    return code(ELOOP);
}

std::error_code lockFd(int fd) {
    while (::flock(fd, LOCK_EX) != 0)
        if (errno != EINTR) return lastError();
    return {};
}

std::error_code readAll(int fd, std::string& content) {
    content.clear();
    char buf[16384];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        if (n == 0) return {};
        content.append(buf, static_cast<size_t>(n));
    }
}

std::string tempNameIn(const std::string& folder) {
    static std::atomic<unsigned> counter{0};
    char name[64];
    std::snprintf(name, sizeof name, "/.markvane-%d-%u", static_cast<int>(::getpid()),
                  counter.fetch_add(1));
    return folder + name;
}

// A new, unused temporary file in `folder`, created with `mode` (less the umask).
int createTempFile(const std::string& folder, mode_t mode, std::string& path) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        path = tempNameIn(folder);
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    path.clear();
    return -1;
}

// A new, unused temporary link in `folder`.
std::error_code createTempLink(const std::string& folder, const std::string& linkTarget,
                               std::string& path) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        path = tempNameIn(folder);
        if (::symlink(linkTarget.c_str(), path.c_str()) == 0) return {};
        if (errno != EEXIST) break;
    }
    const std::error_code ec = lastError();
    path.clear();
    return ec;
}

// Copies the extended attributes of the old file. Losing user.DOSATTRIB would lose the hidden
// attribute, so its failure fails the write; the others go where the file system allows.
std::error_code copyXattrs(int from, int to) {
    ssize_t len = ::flistxattr(from, nullptr, 0);
    if (len < 0) return errno == ENOTSUP ? std::error_code() : lastError();
    std::vector<char> names(static_cast<size_t>(len) + 1);
    len = ::flistxattr(from, names.data(), names.size());
    if (len < 0) return lastError();
    for (ssize_t i = 0; i < len;) {
        const char* name = names.data() + i;
        i += static_cast<ssize_t>(std::strlen(name)) + 1;
        const bool needed = std::strcmp(name, kHiddenXattr) == 0;
        ssize_t vlen = ::fgetxattr(from, name, nullptr, 0);
        std::vector<char> value(vlen > 0 ? static_cast<size_t>(vlen) : 1);
        if (vlen >= 0) vlen = ::fgetxattr(from, name, value.data(), value.size());
        if (vlen < 0 || ::fsetxattr(to, name, value.data(), static_cast<size_t>(vlen), 0) != 0) {
            if (needed) return lastError();
            ignoreFailure("other attributes go only where the file system takes them", lastError());
        }
    }
    return {};
}

// Gives the new file what the old one had: extended attributes, owner where allowed, mode
// (last, because a change of owner clears set-id bits).
std::error_code takeOver(int oldFd, const struct stat& old, int fd) {
    if (auto ec = copyXattrs(oldFd, fd)) return ec;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0)
        ignoreFailure("not ours to give away: the file becomes ours, as any editor's save makes it",
                      lastError());
    if (::fchmod(fd, old.st_mode & 07777) != 0) return lastError();
    return {};
}

// Writes a file beside `target` through `fill` and places it there under the writers' policy.
// `old` is the locked current file (invalid when there is none): a new file is made without
// replacing anything that appeared meanwhile (EEXIST).
std::error_code replaceWith(const std::string& target, const FileFill& fill, int oldFd,
                            const struct stat* old) {
    NewEntry entry;
    entry.mode = old ? 0600 : 0666;
    entry.replace = old != nullptr;
    entry.fill = [&](int fd) -> std::error_code {
        if (old)
            if (auto ec = takeOver(oldFd, *old, fd)) return ec;
        return fill(fd);
    };
    return placeNewEntry(target, entry);
}

enum class Outcome { Done, Failed, Retry };

struct Result {
    Outcome outcome;
    std::error_code ec;
};
Result done() {
    return {Outcome::Done, {}};
}
Result retry() {
    return {Outcome::Retry, {}};
}
Result failed(std::error_code ec) {
    return {Outcome::Failed, ec};
}
Result finished(std::error_code ec) {
    return ec ? failed(ec) : done();
}

// What a writer makes of the current content: how to fill the new file, or nothing to leave
// it as it is. `current` is read only when `wantsCurrent`.
struct Producer {
    bool wantsCurrent;
    std::function<std::optional<FileFill>(const std::string& current, bool exists)> make;
};

// The target exists: lock it, make sure the lock is on the file the name still stands for, and
// replace it.
Result updateExisting(const std::string& target, const Producer& producer) {
    Fd fd(::open(target.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        // Gone, or turned into a link, since we looked: look again.
        return (errno == ENOENT || errno == ELOOP) ? retry() : failed(lastError());
    }
    if (auto ec = lockFd(fd.get())) return failed(ec);
    struct stat locked {
    }, named{};
    if (::fstat(fd.get(), &locked) != 0) return failed(lastError());
    if (::lstat(target.c_str(), &named) != 0 || named.st_dev != locked.st_dev ||
        named.st_ino != locked.st_ino)
        return retry(); // replaced while we waited for the lock
    if (S_ISDIR(locked.st_mode)) return failed(code(EISDIR));
    if (!S_ISREG(locked.st_mode)) return failed(code(EINVAL));
    if (fileattr::isReadOnly(target)) return failed(code(EACCES));
    std::string current;
    if (producer.wantsCurrent)
        if (auto ec = readAll(fd.get(), current)) return failed(ec);
    std::optional<FileFill> fill = producer.make(current, true);
    if (!fill) return done();
    return finished(replaceWith(target, *fill, fd.get(), &locked));
}

// No file yet: the folder's lock keeps two writers from both creating it, and the create never
// replaces a file someone else made meanwhile (that one is then updated instead).
Result createNew(const std::string& target, const Producer& producer) {
    Fd folder(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) return failed(lastError());
    if (auto ec = lockFd(folder.get())) return failed(ec);
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) return retry();
    if (errno != ENOENT) return failed(lastError());
    std::optional<FileFill> fill = producer.make(std::string(), false);
    if (!fill) return done();
    const std::error_code ec = replaceWith(target, *fill, -1, nullptr);
    return ec == std::errc::file_exists ? retry() : finished(ec);
}

std::error_code update(const std::string& path, const Producer& producer) {
    for (int attempt = 0; attempt < kMaxRetries; ++attempt) {
        std::string target;
        if (auto ec = finalTarget(path, target)) return ec;
        struct stat st {};
        const bool exists = ::lstat(target.c_str(), &st) == 0;
        if (!exists && errno != ENOENT) return lastError();
        const Result r = exists ? updateExisting(target, producer) : createNew(target, producer);
        if (r.outcome != Outcome::Retry) return r.ec;
    }
    return code(EAGAIN);
}

FileFill contentFill(std::string content) {
    return [content = std::move(content)](int fd) { return writeAll(fd, content); };
}

} // namespace

std::error_code placeNewEntry(const std::string& target, const NewEntry& entry) {
    const std::string folder = folderOf(target);
    // Opened first: a folder that cannot be flushed afterwards fails the write before it
    // changes anything.
    Fd folderFd;
    if (entry.durable) {
        folderFd.reset(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folderFd.valid()) return lastError();
    }
    TempEntry temp;
    if (entry.linkTarget) {
        if (auto ec = createTempLink(folder, *entry.linkTarget, temp.path)) return ec;
    } else {
        Fd fd(createTempFile(folder, entry.mode, temp.path));
        if (!fd.valid()) return lastError();
        if (entry.fill)
            if (auto ec = entry.fill(fd.get())) return ec;
        if (entry.durable && ::fsync(fd.get()) != 0) return lastError();
        if (::close(fd.release()) != 0) return lastError();
    }
    if (entry.ready)
        if (auto ec = entry.ready(temp.path)) return ec;
    if (entry.replace) {
        if (::rename(temp.path.c_str(), target.c_str()) != 0) return lastError();
        temp.path.clear();
    } else if (::renameat2(AT_FDCWD, temp.path.c_str(), AT_FDCWD, target.c_str(),
                           RENAME_NOREPLACE) == 0) {
        temp.path.clear();
    } else {
        if (errno != EINVAL && errno != ENOSYS) return lastError();
        // No RENAME_NOREPLACE here: link() refuses an existing name just as well; the
        // temporary name goes when `temp` does.
        if (::link(temp.path.c_str(), target.c_str()) != 0) return lastError();
    }
    if (!entry.durable) return {};
    // The rename is only durable once the folder is. File systems that cannot flush a folder
    // say EINVAL; there the rename is as safe as they make it, so that is no failure.
    if (::fsync(folderFd.get()) != 0 && errno != EINVAL) return lastError();
    return {};
}

std::error_code writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return {};
}

std::error_code copyAll(int from, int to) {
    std::vector<char> buf(1 << 16);
    for (;;) {
        ssize_t n = ::read(from, buf.data(), buf.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        if (n == 0) return {};
        if (auto ec = writeAll(to, std::string_view(buf.data(), static_cast<size_t>(n)))) return ec;
    }
}

std::error_code updateFileAtomically(const std::string& path, const FileChange& change) {
    return update(path, {true, [&](const std::string& current, bool exists) {
                             std::optional<std::string> next = change(current, exists);
                             return next ? std::optional(contentFill(std::move(*next)))
                                         : std::nullopt;
                         }});
}

std::error_code writeFileAtomically(const std::string& path, std::string_view content) {
    return update(path, {false, [content](const std::string&, bool) {
                             return std::optional(contentFill(std::string(content)));
                         }});
}

std::error_code writeFileAtomicallyFrom(const std::string& path, const FileFill& fill) {
    return update(path, {false, [&fill](const std::string&, bool) { return std::optional(fill); }});
}

std::error_code readFile(const std::string& path, std::string& content) {
    return readFile(path, content, {});
}

std::error_code readFile(const std::string& path, std::string& content,
                         const std::function<void(int fd)>& whileOpen) {
    // Without O_NONBLOCK the open of a FIFO waits for a writer for ever; a folder listing that
    // meets one named like a favorite would hang the window.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) return lastError();
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return lastError();
    if (!S_ISREG(st.st_mode)) return code(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    if (whileOpen) whileOpen(fd.get());
    // Read straight into the string, sized from the file with a byte to spare: a regular
    // file gives fewer bytes than asked only at its end, so a file that has not grown takes
    // one call. One that filled the buffer may have grown meanwhile and is read on to its end.
    const size_t asked = static_cast<size_t>(st.st_size) + 1;
    content.resize(asked);
    ssize_t n = 0;
    do
        n = ::read(fd.get(), content.data(), asked);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        const std::error_code ec = lastError();
        content.clear();
        return ec;
    }
    content.resize(static_cast<size_t>(n));
    if (static_cast<size_t>(n) < asked) return {};
    char more[4096];
    for (;;) {
        n = ::read(fd.get(), more, sizeof more);
        if (n < 0) {
            if (errno == EINTR) continue;
            const std::error_code ec = lastError();
            content.clear();
            return ec;
        }
        if (n == 0) return {};
        content.append(more, static_cast<size_t>(n));
    }
}

} // namespace mv
