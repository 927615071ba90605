#include "syscall_shim.h"

#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace shim {
namespace {

std::vector<Event>& record() {
    static std::vector<Event> r;
    return r;
}

template <typename F> F next(const char* name) {
    void* f = ::dlsym(RTLD_NEXT, name);
    if (!f) {
        std::fprintf(stderr, "syscall shim: no %s in the C library\n", name);
        std::abort();
    }
    return reinterpret_cast<F>(f);
}

} // namespace

const std::vector<Event>& events() {
    return record();
}

void reset() {
    record().clear();
    fsyncFault = nullptr;
    renameFault = nullptr;
    corruptRead = nullptr;
    xattrFault = nullptr;
    chmodFault = nullptr;
}

} // namespace shim

extern "C" {

int fsync(int fd) {
    static const auto real = shim::next<int (*)(int)>("fsync");
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        if (shim::fsyncFault)
            if (const int err = shim::fsyncFault(st)) {
                errno = err;
                return -1;
            }
        const int r = real(fd);
        if (r == 0)
            shim::record().push_back(
                {S_ISDIR(st.st_mode) ? shim::Event::FsyncFolder : shim::Event::FsyncFile, st.st_dev,
                 st.st_ino});
        return r;
    }
    return real(fd);
}

int rename(const char* from, const char* to) {
    static const auto real = shim::next<int (*)(const char*, const char*)>("rename");
    if (shim::renameFault)
        if (const int err = shim::renameFault(from, to)) {
            errno = err;
            return -1;
        }
    const int r = real(from, to);
    if (r == 0) shim::record().push_back({shim::Event::Rename});
    return r;
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    static const auto real =
        shim::next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    if (shim::renameFault)
        if (const int err = shim::renameFault(from, to)) {
            errno = err;
            return -1;
        }
    const int r = real(fromDir, from, toDir, to, flags);
    if (r == 0) shim::record().push_back({shim::Event::Rename});
    return r;
}

ssize_t read(int fd, void* buf, size_t count) {
    static const auto real = shim::next<ssize_t (*)(int, void*, size_t)>("read");
    const ssize_t n = real(fd, buf, count);
    if (n > 0 && shim::corruptRead && shim::corruptRead(fd)) static_cast<char*>(buf)[0] ^= 0x20;
    return n;
}

int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) {
    static const auto real =
        shim::next<int (*)(int, const char*, const void*, size_t, int)>("fsetxattr");
    if (shim::xattrFault)
        if (const int err = shim::xattrFault(name)) {
            errno = err;
            return -1;
        }
    return real(fd, name, value, size, flags);
}

int fchmod(int fd, mode_t mode) {
    static const auto real = shim::next<int (*)(int, mode_t)>("fchmod");
    if (shim::chmodFault)
        if (const int err = shim::chmodFault(mode)) {
            errno = err;
            return -1;
        }
    return real(fd, mode);
}

} // extern "C"
