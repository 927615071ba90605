#pragma once
// A favorite as its folder's listing reads it.

#include <cstdint>
#include <string>
#include <system_error>

namespace mv {

struct FavoriteEntry {
    std::string SiteName;
    std::string Url;
    std::string Comment;
    uint8_t Hidden = 0; // 1 when the file carries the hidden attribute
    // The favorite's file, whatever name is shown for it; commands and edits act on this
    // file, so a favorite always names its own file.
    std::string Path;
    // False when the file exists but could not be read: Url and Comment are then not its
    // content, and nothing may be written over it.
    bool Readable = true;
};

// Reads one favorite: site name from the file name, URL and comment from the file, hidden flag
// from `attributes` (the file's record as the folder search found it, so the file is not
// asked again). `folder` ends in "/".
FavoriteEntry ReadFavorite(const std::string& folder, const std::string& fileName,
                           uint32_t attributes);

// Why the entries of `folder` cannot be enumerated; empty when they can. The folder search
// lists a folder it cannot open as empty; this tells such a folder from an empty one.
std::error_code FolderListError(const std::string& folder);

} // namespace mv
