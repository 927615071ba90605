#pragma once
// Favorites as a bookmark file in the Netscape format that every browser imports
// ("bookmarks.html"): folders as nested lists, each favorite with its URL, name, comment and
// the file's dates, text escaped as HTML, UTF-8 with its meta tag.

#include "BookmarkTree.h"

#include <string>
#include <vector>

namespace mv {

// The favorites of `folder` (program bytes) and of every folder below it; folders that are
// links are not followed.
BookmarkNode CollectFavorites(const std::string& folder);
// The favorites of these shortcut files (program bytes), side by side.
BookmarkNode CollectFavoriteFiles(const std::vector<std::string>& paths);

// The bookmark file of the children of `root`.
std::string BookmarkFileText(const BookmarkNode& root);

} // namespace mv
