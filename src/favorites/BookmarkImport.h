#pragma once
// Reading a bookmark file in the Netscape format that every browser exports ("bookmarks.html")
// and writing its tree into a favorites folder: folders become folders, web bookmarks become
// shortcut files.

#include "BookmarkTree.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

// The tree of a bookmark file, read with libxml2's HTML parser as browsers read such files:
// unclosed <DT> and <p>, entities, names in any case. The file is UTF-8 (bytes that are not
// read as U+FFFD). Titles and URLs are trimmed, control characters become spaces.
BookmarkNode ParseBookmarkFile(std::string_view html);

// Whether `url` is an http, https or ftp address with a host, the only bookmarks imported.
bool IsWebBookmark(const std::string& url);

struct ImportSummary {
    std::size_t folders = 0;         // folders made
    std::size_t favorites = 0;       // shortcut files made
    std::size_t leftOut = 0;         // bookmarks that are no web address (javascript:, place:...)
    std::vector<std::string> failed; // paths that could not be made (program bytes)
};

// Told the bookmarks handled so far and their total, after each one.
using ImportProgress = std::function<void(std::size_t done, std::size_t total)>;

// Writes the children of `root` into `folder` (program bytes). Names are made valid on Windows
// and numbered on a clash ("名前 (2)"); nothing existing is replaced. Shortcut files are made as
// new favorites are (CP932 when the text fits it, else UTF-8) and flushed to disk once at the
// end. A file or folder that cannot be made is listed and the import goes on.
ImportSummary ImportBookmarks(const BookmarkNode& root, const std::string& folder,
                              const ImportProgress& progress = {});

} // namespace mv
