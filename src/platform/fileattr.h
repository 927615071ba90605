#pragma once
// The Windows attribute word of a file. Read-only comes from the write permission, directory
// from the file type; hidden, system and archive live in the extended attribute
// user.DOSATTRIB as the text "0x<hex>", the form Wine writes and Samba reads.

#include <cstdint>
#include <string>

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

// Sets the word; false (errno set) when the file is missing or the attribute cannot be stored
// (a file system without user extended attributes). Bits other than read-only and directory
// are stored as given, so bits this program does not know survive a round trip.
bool set(const std::string& path, uint32_t attributes);

// Decodes a user.DOSATTRIB value: hex text, or Samba's binary version 4/5 blob.
bool decodeDosAttrib(const char* data, size_t size, uint32_t& attributes);

} // namespace mv::fileattr
