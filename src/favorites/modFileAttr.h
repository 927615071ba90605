#pragma once
// The hidden attribute of favorites.

#include <string>

namespace mv {

// True when a file (not a folder) exists at `path` and carries the hidden attribute.
bool IsHiddenFile(const std::string& path);

} // namespace mv
