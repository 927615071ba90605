// Thin POSIX file helpers: an owning descriptor and whole reads and writes that retry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace lha {

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& o) noexcept : fd_(o.release()) {}
    FileDescriptor& operator=(FileDescriptor&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);
    // close() with its result, for files just written.
    int close();

private:
    int fd_ = -1;
};

// A file opened for reading only when it is a regular file. It is opened with O_NONBLOCK, so a
// FIFO or a device never holds the caller, and checked with fstat on the descriptor itself.
struct OpenedFile {
    FileDescriptor fd; // invalid on failure
    struct stat st {};
    int error = 0;           // errno of a failed open or fstat
    bool notRegular = false; // opened, but a FIFO, device, socket or folder
};
OpenedFile openRegularFile(const std::string& path, int extraFlags = 0);

// Reads up to `size` bytes at `offset`; fewer only at the end of the file. -1 with errno set
// on failure.
long long preadFull(int fd, void* buf, std::size_t size, std::uint64_t offset);
// Reads up to `size` bytes from the current position; fewer only at the end.
long long readFull(int fd, void* buf, std::size_t size);
// Writes everything; false with errno set on failure.
bool writeFull(int fd, const void* buf, std::size_t size);

} // namespace lha
