#pragma once
// Duplicate favorites: those anywhere under a folder whose URLs lead to the same page once the
// spellings that mean the same address are made one, grouped with the oldest first; and the
// folders that hold nothing at all. Files are read as the listing reads them. No Qt needed.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

// The URL as compared: blanks and control characters around it dropped, scheme and host in
// lower case, the scheme's default port left out, an empty path made "/", and a "#fragment"
// dropped unless `keepFragment`. Anything else, and text that is no "scheme://" address, is
// kept as it is.
std::string NormalizeUrl(std::string_view url, bool keepFragment = false);

struct DuplicateItem {
    std::string Path;   // the favorite's file
    std::string Folder; // its folder, relative to the searched one ("" for that one itself)
    std::string SiteName;
    std::string Url;
    // The file's modification time in nanoseconds since the epoch: the oldest is kept.
    std::int64_t Modified = 0;
};

struct DuplicateGroup {
    std::string NormalizedUrl;
    // Oldest first (then by path), at least two.
    std::vector<DuplicateItem> Items;
};

struct DuplicateReport {
    // Ordered by normalized URL.
    std::vector<DuplicateGroup> Groups;
    // Folders below the searched one without any file or folder, relative to it, sorted.
    std::vector<std::string> EmptyFolders;
    // Favorites read.
    std::size_t Favorites = 0;
};

// Searches `root` and every folder below it (symbolic links to folders are not followed).
// Favorites without a URL and unreadable ones take part in no group.
DuplicateReport FindDuplicates(const std::string& root, bool keepFragment = false);

} // namespace mv
