// Bookmark files of any bytes. The tree read, written out as a bookmark file, reads back the
// same (folders, titles, URLs, comments). A small tree is also imported into a fresh folder:
// every folder and favorite counted is there under a name of its own.
#include "FuzzSupport.h"

#include "favorites/BookmarkExport.h"
#include "favorites/BookmarkImport.h"

namespace {

bool sameTree(const mv::BookmarkNode& a, const mv::BookmarkNode& b) {
    if (a.isFolder != b.isFolder || a.title != b.title || a.url != b.url ||
        a.description != b.description || a.children.size() != b.children.size())
        return false;
    for (std::size_t i = 0; i < a.children.size(); ++i)
        if (!sameTree(a.children[i], b.children[i])) return false;
    return true;
}

std::size_t countEntries(const std::filesystem::path& folder) {
    std::size_t n = 0;
    for (auto it = std::filesystem::recursive_directory_iterator(folder);
         it != std::filesystem::recursive_directory_iterator(); ++it)
        ++n;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const mv::BookmarkNode tree = mv::ParseBookmarkFile(mvfuzz::asText(data, size));
    const std::string html = mv::BookmarkFileText(tree);
    FUZZ_CHECK(sameTree(mv::ParseBookmarkFile(html), tree), html);

    if (mv::CountBookmarks(tree) > 40) return 0;
    const std::filesystem::path target = mvfuzz::scratch() / "import";
    std::filesystem::remove_all(target);
    std::filesystem::create_directory(target);
    const mv::ImportSummary s = mv::ImportBookmarks(tree, target.string());
    FUZZ_CHECK(s.favorites + s.leftOut <= mv::CountBookmarks(tree), html);
    FUZZ_CHECK(countEntries(target) == s.folders + s.favorites, html);
    return 0;
}
