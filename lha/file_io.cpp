#include "file_io.h"

#include "error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lha {

void FileDescriptor::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

int FileDescriptor::close() {
    if (fd_ < 0) return 0;
    const int r = ::close(fd_);
    fd_ = -1;
    return r;
}

OpenedFile openRegularFile(const std::string& path, int extraFlags) {
    OpenedFile f;
    f.fd.reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | extraFlags));
    if (!f.fd || ::fstat(f.fd.get(), &f.st) != 0) {
        f.error = errno;
        f.fd.reset();
        return f;
    }
    if (!S_ISREG(f.st.st_mode)) {
        f.notRegular = true;
        f.fd.reset();
        return f;
    }
    // Reads of a regular file never wait anyway; clear the flag so nothing depends on it.
    const int flags = ::fcntl(f.fd.get(), F_GETFL);
    if (flags >= 0) ::fcntl(f.fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    return f;
}

long long preadFull(int fd, void* buf, std::size_t size, std::uint64_t offset) {
    auto* p = static_cast<char*>(buf);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, p + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

long long readFull(int fd, void* buf, std::size_t size) {
    auto* p = static_cast<char*>(buf);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

bool writeFull(int fd, const void* buf, std::size_t size) {
    const auto* p = static_cast<const char*>(buf);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string errnoMessage(const std::string& what, int err) {
    return what + ": " + std::strerror(err);
}

} // namespace lha
