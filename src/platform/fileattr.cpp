#include "fileattr.h"

#include "error.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace mv::fileattr {
namespace {

constexpr const char* kXattr = "user.DOSATTRIB";

uint32_t le32(const char* p) {
    auto b = reinterpret_cast<const unsigned char*>(p);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

// The word stored in user.DOSATTRIB, when there is one that can be read.
bool storedWord(const std::string& path, uint32_t& word) {
    char buf[256];
    ssize_t n = ::getxattr(path.c_str(), kXattr, buf, sizeof buf);
    return n > 0 && decodeDosAttrib(buf, static_cast<size_t>(n), word);
}

bool storedWord(int fd, uint32_t& word) {
    char buf[256];
    ssize_t n = ::fgetxattr(fd, kXattr, buf, sizeof buf);
    return n > 0 && decodeDosAttrib(buf, static_cast<size_t>(n), word);
}

template <typename File> uint32_t storedOf(const File& file, bool isFolder) {
    uint32_t word = isFolder ? 0 : Archive;
    uint32_t stored = 0;
    if (storedWord(file, stored)) word = stored & ~Directory;
    return isFolder ? word | Directory : word;
}

// Read-only through the permissions alone.
bool readOnlyByMode(const std::string& path, const struct stat& st) {
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 &&
           (errno == EACCES || errno == EPERM || errno == EROFS);
}

bool writable(const std::string& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

} // namespace

bool decodeDosAttrib(const char* data, size_t size, uint32_t& attributes) {
    if (size >= 2 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X')) {
        // Hex digits only, one terminating zero at most, and nothing a 32-bit word cannot
        // hold: a sign, a cut-off high part or trailing text would make another word.
        const char* end = data + size;
        if (end[-1] == '\0') --end;
        const char* digits = data + 2;
        uint32_t v = 0;
        const auto [stop, ec] = std::from_chars(digits, end, v, 16);
        if (digits == end || ec != std::errc{} || stop != end) return false;
        attributes = v;
        return true;
    }
    // Samba's blob: version (u16) twice, then for versions 4 and 5 valid flags and the
    // attribute word (u32 each).
    if (size >= 12) {
        auto b = reinterpret_cast<const unsigned char*>(data);
        unsigned version = b[0] | (b[1] << 8);
        if (version == 4 || version == 5) {
            attributes = le32(data + 8);
            return true;
        }
    }
    return false;
}

bool isReadOnly(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    uint32_t stored = 0;
    return readOnlyByMode(path, st) || (storedWord(path, stored) && (stored & ReadOnly));
}

uint32_t get(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Invalid;
    uint32_t word = getStored(path, S_ISDIR(st.st_mode));
    if (readOnlyByMode(path, st)) word |= ReadOnly;
    return word;
}

uint32_t getStored(const std::string& path, bool isFolder) {
    return storedOf(path, isFolder);
}

uint32_t getStored(int fd, bool isFolder) {
    return storedOf(fd, isFolder);
}

std::error_code set(const std::string& path, uint32_t attributes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return lastError();
    const bool dir = S_ISDIR(st.st_mode);
    const bool wantReadOnly = attributes & ReadOnly;
    const mode_t original = st.st_mode & 07777;
    mode_t wanted = original;
    if (wantReadOnly)
        wanted &= ~(S_IWUSR | S_IWGRP | S_IWOTH);
    else if (readOnlyByMode(path, st))
        wanted |= S_IWUSR;

    // Writing user.DOSATTRIB needs write permission. The owner of a file without it gets u+w
    // for the moment of the write; the mode is put back whatever happens.
    mode_t during = original;
    if (!writable(path) && st.st_uid == ::geteuid()) during |= S_IWUSR;
    if (during != original && ::chmod(path.c_str(), during) != 0) return lastError();
    auto putModeBack = [&] {
        if (during != original && ::chmod(path.c_str(), original) != 0)
            ignoreFailure("the failure that led here is the one to report", lastError());
    };

    char old[256];
    const ssize_t oldLen = ::getxattr(path.c_str(), kXattr, old, sizeof old);
    const uint32_t stored = (attributes & ~Directory) | (dir ? Directory : 0);
    char text[16];
    const int len = std::snprintf(text, sizeof text, "0x%x", stored);
    if (::setxattr(path.c_str(), kXattr, text, static_cast<size_t>(len), 0) != 0) {
        const std::error_code ec = lastError();
        putModeBack();
        return ec;
    }
    if (wanted != during && ::chmod(path.c_str(), wanted) != 0) {
        // Someone else's file we may write but not chmod: take the attribute back too.
        const std::error_code ec = lastError();
        const int undone =
            oldLen >= 0 ? ::setxattr(path.c_str(), kXattr, old, static_cast<size_t>(oldLen), 0)
                        : ::removexattr(path.c_str(), kXattr);
        if (undone != 0)
            ignoreFailure("the failure that led here is the one to report", lastError());
        putModeBack();
        return ec;
    }
    return {};
}

} // namespace mv::fileattr
