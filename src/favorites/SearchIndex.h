#pragma once
// Every favorite below the favorites folder, held in memory so that a search answers without
// touching the disk: each favorite's values as its file holds them, with their folded text
// (SearchFolding.h), by folder. Built once by reading the whole tree, then kept in step one
// folder at a time, reading again only the files whose time stamps changed. It decides
// nothing about when to do so: its owner tells it which folders to look at.

#include "FolderListing.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

// How a file or folder looked when it was read. Writing a file (in place or by replacing
// it), renaming it, changing its attributes, or adding, removing or renaming a folder's
// entries changes its stamp.
struct DiskStamp {
    uint64_t Inode = 0;
    uint64_t Size = 0;
    int64_t Modified = 0; // ns since the epoch
    int64_t Changed = 0;  // ns since the epoch (status change: attributes too)
    bool operator==(const DiskStamp&) const = default;
};

class SearchIndex {
public:
    // Reads every folder below `root` at any depth (never through a link to a folder) and the
    // favorites in them. Stops early, with what it has read so far, once `cancel` is set.
    static SearchIndex Build(const std::string& root, const std::atomic<bool>* cancel = nullptr);

    const std::string& Root() const { return root_; }
    // The favorites held, and every folder held (the root first, each folder followed by
    // those below it).
    size_t Count() const { return count_; }
    std::vector<std::string> Folders() const;

    // Brings `folder` in line with the disk: favorites new, changed and gone, and subfolders
    // new (read whole) and gone (dropped with everything below). A folder that is gone is
    // dropped with its subfolders. A folder outside the root is ignored; one inside it that is
    // not held yet is read whole when its parent is held. True when anything changed.
    bool SyncFolder(const std::string& folder);
    // Brings one favorite in line with its file: read again when its stamp changed, added when
    // new, dropped when gone (or no longer a favorite). Cheaper than SyncFolder for a file the
    // program itself wrote or renamed. True when anything changed.
    bool SyncFile(const std::string& path);
    // SyncFolder for each held folder whose own stamp changed since it was read: entries
    // added, removed or renamed (a file replaced by a write included). A change that leaves
    // the folder's entries as they were (an attribute, a write in place) needs SyncFolder.
    bool SyncStale();

    // The favorites whose site name, URL or comment contains `text` (folded, blanks at either
    // end ignored), by folder and then by site name. A blank text finds nothing. The entries
    // live until the index next changes.
    std::vector<const FavoriteEntry*> Find(std::u16string_view text) const;
    // Every favorite held, in the same order.
    std::vector<const FavoriteEntry*> All() const;

private:
    struct Favorite {
        FavoriteEntry Entry;
        DiskStamp Stamp;
        int64_t ReadAt = 0; // ns since the epoch, taken before the file was read
        std::u16string FoldedName;
        // Site name, URL and comment folded, separated by a character no query holds.
        std::u16string Folded;
    };
    struct Folder {
        DiskStamp Stamp;
        int64_t ReadAt = 0;
        std::vector<Favorite> Favorites; // by folded site name
    };
    // Paths ordered so that a folder's subfolders directly follow it, letters without regard
    // to case first.
    struct PathOrder {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    using FolderMap = std::map<std::string, Folder, PathOrder>;

    // Reads one folder into `into`, keeping the favorites of `before` whose stamps did not
    // change; the real subfolders found go to `subfolders`. False when it cannot be read.
    static bool ReadFolder(const std::string& folder, const Folder* before, Folder& into,
                           std::vector<std::string>& subfolders);
    static Favorite ReadOne(const std::string& prefix, const std::string& name, uint32_t attributes,
                            const DiskStamp& stamp, int64_t readAt);
    static void SortFolder(Folder& folder);
    void AddTree(const std::string& folder, const std::atomic<bool>* cancel);
    void DropTree(const std::string& folder);
    bool Inside(const std::string& path) const;

    std::string root_;
    FolderMap folders_;
    size_t count_ = 0;
};

} // namespace mv
