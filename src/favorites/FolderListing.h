#pragma once
// The favorites of the listed folder; entry i belongs to grid row i + 1.

#include <cstdint>
#include <string>
#include <vector>

namespace mv {

struct FavoriteEntry {
    std::string SiteName;
    std::string Url;
    std::string Comment;
    uint8_t Hidden = 0; // 1 when the file carries the hidden attribute
};

using FolderListing = std::vector<FavoriteEntry>;

// Reads one favorite: site name from the file name, URL and comment from the file, hidden flag
// from `attributes` (the file's record as the folder search found it, so the file is not
// asked again). `folder` ends in "/".
FavoriteEntry ReadFavorite(const std::string& folder, const std::string& fileName,
                           uint32_t attributes);

} // namespace mv
