#pragma once
// The Windows attribute word of a file. Read-only is the write permission together with the
// read-only bit of user.DOSATTRIB; directory comes from the file type; hidden, system and
// archive live in user.DOSATTRIB as the text "0x<hex>", the form Wine writes and Samba reads.

#include <cstdint>
#include <string>
#include <system_error>

namespace mv::fileattr {

constexpr uint32_t ReadOnly = 0x1;
constexpr uint32_t Hidden = 0x2;
constexpr uint32_t System = 0x4;
constexpr uint32_t Directory = 0x10;
constexpr uint32_t Archive = 0x20;
constexpr uint32_t ReparsePoint = 0x400; // a symbolic link
constexpr uint32_t Invalid = 0xFFFFFFFF;

// The attribute word, or Invalid when nothing exists at the path.
uint32_t get(const std::string& path);

// The word of an entry whose type is already known (a folder listing's record): the stored
// bits only, without the read-only of the permissions, in one call instead of three.
uint32_t getStored(const std::string& path, bool isFolder);
// The same for a file already open.
uint32_t getStored(int fd, bool isFolder);

// Sets the word; fails when the file is missing or the attribute cannot be stored
// (a file system without user extended attributes, another user's file). Read-only goes to
// both places: setting it takes every write bit away and stores 0x1, clearing it gives the
// owner write permission back and clears 0x1. Other bits are stored as given, so bits this
// program does not know survive a round trip. On failure the file keeps its mode.
std::error_code set(const std::string& path, uint32_t attributes);

// The one read-only rule, as Windows applies it to everybody: this user may not write the
// file, or it has no write bit at all (so root is refused too), or user.DOSATTRIB carries 0x1.
// Follows symbolic links; false when nothing exists at the path.
bool isReadOnly(const std::string& path);

// Decodes a user.DOSATTRIB value: hex text, or Samba's binary version 4/5 blob.
bool decodeDosAttrib(const char* data, size_t size, uint32_t& attributes);

} // namespace mv::fileattr
