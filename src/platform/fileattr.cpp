#include "fileattr.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace mv::fileattr {
namespace {

constexpr const char* kXattr = "user.DOSATTRIB";

uint32_t le32(const char* p) {
    auto b = reinterpret_cast<const unsigned char*>(p);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

} // namespace

bool decodeDosAttrib(const char* data, size_t size, uint32_t& attributes) {
    if (size >= 3 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X')) {
        std::string hex(data + 2, strnlen(data + 2, size - 2));
        char* end = nullptr;
        unsigned long v = std::strtoul(hex.c_str(), &end, 16);
        if (end == hex.c_str()) return false;
        attributes = static_cast<uint32_t>(v);
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

uint32_t get(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Invalid;
    const bool dir = S_ISDIR(st.st_mode);
    uint32_t word = dir ? 0 : Archive;
    char buf[256];
    ssize_t n = ::getxattr(path.c_str(), kXattr, buf, sizeof buf);
    uint32_t stored = 0;
    if (n > 0 && decodeDosAttrib(buf, static_cast<size_t>(n), stored))
        word = stored & ~(ReadOnly | Directory);
    if (dir) word |= Directory;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) word |= ReadOnly;
    return word;
}

bool set(const std::string& path, uint32_t attributes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    const bool dir = S_ISDIR(st.st_mode);
    const bool wantReadOnly = attributes & ReadOnly;
    const bool isReadOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    auto applyMode = [&] {
        if (wantReadOnly == isReadOnly) return true;
        mode_t mode = st.st_mode & 07777;
        mode = wantReadOnly ? (mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
        return ::chmod(path.c_str(), mode) == 0;
    };
    auto applyXattr = [&] {
        uint32_t stored = (attributes & ~(ReadOnly | Directory)) | (dir ? Directory : 0);
        char text[16];
        int len = std::snprintf(text, sizeof text, "0x%x", stored);
        return ::setxattr(path.c_str(), kXattr, text, static_cast<size_t>(len), 0) == 0;
    };
    // The extended attribute needs write permission, so it goes in while the file is writable.
    return wantReadOnly ? (applyXattr() && applyMode()) : (applyMode() && applyXattr());
}

} // namespace mv::fileattr
