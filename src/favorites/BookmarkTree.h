#pragma once
// A bookmark tree as browsers exchange it: folders holding folders and bookmarks. Text is
// UTF-8, whatever the program's code page; dates are seconds since 1970 (0 when unknown).

#include <cstdint>
#include <string>
#include <vector>

namespace mv {

struct BookmarkNode {
    bool isFolder = false;
    std::string title;
    std::string url;         // bookmarks only
    std::string description; // a favorite's comment
    std::int64_t addDate = 0;
    std::int64_t lastModified = 0;
    std::vector<BookmarkNode> children; // folders only, in file order
};

// Bookmarks (not folders) below `node`, at any depth.
inline std::size_t CountBookmarks(const BookmarkNode& node) {
    std::size_t n = 0;
    for (const BookmarkNode& child : node.children)
        n += child.isFolder ? CountBookmarks(child) : 1;
    return n;
}

} // namespace mv
