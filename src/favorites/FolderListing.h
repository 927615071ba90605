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

// Reads one favorite: site name from the file name, URL, comment, hidden flag.
// `folder` ends in "/".
FavoriteEntry ReadFavorite(const std::string& folder, const std::string& fileName);

} // namespace mv
