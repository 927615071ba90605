#pragma once
// A folder's favorites read ahead on a thread of their own, for a listing that is sure to
// come: the first one, while the window is still being built.

#include "FolderListing.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace mv {

class ListingPrefetch {
public:
    // Starts reading the favorites (*.url, not in subfolders) of `folder`, spelled as the
    // listing will name it.
    explicit ListingPrefetch(std::string folder);
    // Stops the read where it is and waits for its thread.
    ~ListingPrefetch();
    ListingPrefetch(const ListingPrefetch&) = delete;
    ListingPrefetch& operator=(const ListingPrefetch&) = delete;

    const std::string& Folder() const { return folder_; }

    // The favorites as the listing would read them now, in the order the folder search finds
    // them. Waits for the read, calling `keepGoing` between short waits; nothing when
    // `keepGoing` gave up, the read failed, or an entry of the folder was added, removed or
    // renamed since the read began (the listing then reads the folder itself). Once only.
    std::optional<std::vector<FavoriteEntry>> Take(const std::function<bool()>& keepGoing);

private:
    // What changes when an entry of the folder is added, removed or renamed.
    struct Stamp {
        uint64_t device = 0, inode = 0;
        int64_t modifiedNs = 0, changedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    static std::optional<Stamp> StampOf(const std::string& folder);
    void Run();

    std::string folder_;
    std::optional<Stamp> stamp_;
    std::vector<FavoriteEntry> entries_;
    bool finished_ = false, failed_ = false;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::condition_variable done_;
    std::thread thread_;
};

} // namespace mv
