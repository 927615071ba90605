#pragma once
// The hidden attribute of favorites.

#include <cstdint>
#include <string>
#include <system_error>

namespace mv {

// True when a file (not a folder) exists at `path` and carries the hidden attribute.
bool IsHiddenFile(const std::string& path);
// The same rule for attributes already at hand (a folder search's record, say).
bool IsHiddenFileAttributes(uint32_t attributes);

// Inverts the hidden attribute of the file at `path`, keeping every other attribute bit. A
// path that names no file, or names a folder, is left alone (no error). Fails when the
// attribute could not be written; the caller tells the user.
std::error_code ToggleHiddenAttribute(const std::string& path);

} // namespace mv
