#include "atomicfile.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace mv {
namespace {

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Copies user-visible extended attributes (the hidden bit lives there) to the new file.
void copyXattrs(const std::string& from, int toFd) {
    ssize_t len = ::listxattr(from.c_str(), nullptr, 0);
    if (len <= 0) return;
    std::vector<char> names(static_cast<size_t>(len));
    len = ::listxattr(from.c_str(), names.data(), names.size());
    for (ssize_t i = 0; i < len;) {
        const char* name = names.data() + i;
        i += static_cast<ssize_t>(std::char_traits<char>::length(name)) + 1;
        ssize_t vlen = ::getxattr(from.c_str(), name, nullptr, 0);
        if (vlen < 0) continue;
        std::vector<char> value(static_cast<size_t>(vlen) + 1);
        vlen = ::getxattr(from.c_str(), name, value.data(), value.size());
        if (vlen >= 0) ::fsetxattr(toFd, name, value.data(), static_cast<size_t>(vlen), 0);
    }
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

bool writeFileAtomically(const std::string& path, std::string_view content) {
    struct stat old {};
    const bool existed = ::stat(path.c_str(), &old) == 0;
    std::string tmp = folderOf(path) + "/.markvane-XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) return false;
    bool ok = writeAll(fd, content);
    if (ok) {
        if (existed) {
            ok = ::fchmod(fd, old.st_mode & 07777) == 0;
            if (::fchown(fd, old.st_uid, old.st_gid) != 0) { /* not ours to change: keep going */ }
            copyXattrs(path, fd);
        } else {
            mode_t mask = ::umask(0);
            ::umask(mask);
            ok = ::fchmod(fd, 0666 & ~mask) == 0;
        }
    }
    ok = ok && ::fsync(fd) == 0;
    int saved = errno;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) {
        saved = errno ? errno : saved;
        ::unlink(tmp.c_str());
        errno = saved;
    }
    return ok;
}

// Interim form: the lock, link and read-only rules land with the write-path work.
bool updateFileAtomically(const std::string& path, const FileChange& change) {
    std::string current;
    bool exists = readFile(path, current);
    if (!exists) {
        if (errno != ENOENT) return false;
        current.clear();
    }
    std::optional<std::string> next = change(current, exists);
    if (!next) return true;
    return writeFileAtomically(path, *next);
}

bool readFile(const std::string& path, std::string& content) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    content.clear();
    char buf[16384];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        content.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

} // namespace mv
