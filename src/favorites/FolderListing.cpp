#include "FolderListing.h"

#include "ShortcutFile.h"
#include "modFileAttr.h"

namespace mv {

FavoriteEntry ReadFavorite(const std::string& folder, const std::string& fileName) {
    const std::string path = folder + fileName;
    FavoriteEntry e;
    e.SiteName = SiteNameOf(fileName);
    e.Url = ReadShortcutUrl(path);
    e.Comment = ReadShortcutComment(path);
    e.Hidden = IsHiddenFile(path) ? 1 : 0;
    return e;
}

} // namespace mv
