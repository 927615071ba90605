#pragma once
// Enumerates one folder the way the Windows find functions do: every entry (hidden ones
// too) with its attribute word, three file times and size. "." and ".." are left out.
// A symbolic link to a folder is marked ReparsePoint, so searches never descend through it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mv {

struct FindData {
    std::string name;
    uint32_t attributes = 0;
    // FILETIME values: 100 ns units since 1601-01-01 UTC; 0 when unknown.
    uint64_t creationTime = 0;
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
    uint64_t size = 0;
};

// How much of each entry a listing asks for.
enum class FindDetail {
    Full,       // everything FindData holds
    Attributes, // name and attribute word only (times and size 0, no read-only of the
                // permissions): one call per file where the folder tells its entries' types
    Names       // name and kind only: Directory for a folder, Archive for a file, the stored
                // word not read (for a caller that reads it itself, with the file); no call
                // per file where the folder tells its entries' types
};

// The entries of `folder` in the order the file system yields them; nothing when the folder
// cannot be opened.
std::optional<std::vector<FindData>> listFolder(const std::string& folder,
                                                FindDetail detail = FindDetail::Full);

// The find data of one path (not following a final symbolic link to a folder).
std::optional<FindData> statPath(const std::string& path);

// Unix seconds + nanoseconds to a FILETIME.
uint64_t toFileTime(int64_t seconds, uint32_t nanoseconds);

} // namespace mv
