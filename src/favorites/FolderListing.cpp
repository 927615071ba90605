#include "FolderListing.h"

#include "HiddenAttribute.h"
#include "ShortcutFile.h"
#include "platform/error.h"

#include <dirent.h>
#include <utility>

namespace mv {

FavoriteEntry ReadFavorite(const std::string& folder, const std::string& fileName,
                           uint32_t attributes) {
    FavoriteEntry e;
    e.Path = folder + fileName;
    e.SiteName = SiteNameOf(fileName);
    ShortcutValues values = ReadShortcutValues(e.Path);
    e.Url = std::move(values.Url);
    e.Comment = std::move(values.Comment);
    e.Readable = values.Readable;
    e.Hidden = IsHiddenFileAttributes(attributes) ? 1 : 0;
    return e;
}

std::error_code FolderListError(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return lastError();
    ::closedir(dir);
    return {};
}

} // namespace mv
