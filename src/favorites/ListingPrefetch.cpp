#include "ListingPrefetch.h"

#include "FindFile.h"

#include <chrono>
#include <ctime>
#include <sys/stat.h>
#include <utility>

namespace mv {

ListingPrefetch::ListingPrefetch(std::string folder)
    : folder_(std::move(folder)), stamp_(StampOf(folder_)) {
    // A folder that is not there now is made or chosen later; the listing reads it itself.
    if (!stamp_) return;
    // A folder changed within the last second may be changing still, and a change in the same
    // tick of the file system's clock as the last one would leave its times as they are.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const int64_t nowNs = int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
    if (nowNs - stamp_->modifiedNs < 1000000000) {
        stamp_.reset();
        return;
    }
    thread_ = std::thread([this] { Run(); });
}

ListingPrefetch::~ListingPrefetch() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

std::optional<ListingPrefetch::Stamp> ListingPrefetch::StampOf(const std::string& folder) {
    struct stat st {};
    if (folder.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    const auto ns = [](const timespec& t) { return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return Stamp{uint64_t(st.st_dev), uint64_t(st.st_ino), ns(st.st_mtim), ns(st.st_ctim)};
}

void ListingPrefetch::Run() {
    std::vector<FavoriteEntry> entries;
    bool failed = false;
    try {
        // The search the listing makes, each file read as soon as it is found.
        TFindFile find;
        find.IsFindSub = false;
        find.FolderName = folder_;
        find.FileMask = {"*.url"};
        find.CheckTimeIs = tmNone;
        find.Detail = FindDetail::Names;
        find.OnFind = [&](const std::string& name, const std::string& path, const TSearchRec&,
                          bool& cancel) {
            entries.push_back(ReadFavorite(path, name, std::nullopt));
            if (stop_) cancel = true;
        };
        find.Execute();
        failed = stop_;
    } catch (...) {
        failed = true;
    }
    const std::lock_guard guard(lock_);
    entries_ = std::move(entries);
    failed_ = failed;
    finished_ = true;
    done_.notify_all();
}

std::optional<std::vector<FavoriteEntry>>
ListingPrefetch::Take(const std::function<bool()>& keepGoing) {
    if (!thread_.joinable()) return std::nullopt;
    {
        std::unique_lock guard(lock_);
        while (!done_.wait_for(guard, std::chrono::milliseconds(5), [this] { return finished_; })) {
            guard.unlock();
            const bool goOn = !keepGoing || keepGoing();
            guard.lock();
            if (!goOn) {
                stop_ = true;
                break;
            }
        }
    }
    thread_.join();
    if (failed_ || stop_ || StampOf(folder_) != stamp_) return std::nullopt;
    return std::move(entries_);
}

} // namespace mv
