#include "FolderListing.h"

#include "ShortcutFile.h"
#include "modFileAttr.h"

#include <utility>

namespace mv {

FavoriteEntry ReadFavorite(const std::string& folder, const std::string& fileName,
                           uint32_t attributes) {
    const std::string path = folder + fileName;
    FavoriteEntry e;
    e.SiteName = SiteNameOf(fileName);
    ShortcutValues values = ReadShortcutValues(path);
    e.Url = std::move(values.Url);
    e.Comment = std::move(values.Comment);
    e.Hidden = IsHiddenFileAttributes(attributes) ? 1 : 0;
    return e;
}

} // namespace mv
