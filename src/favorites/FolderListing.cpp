#include "FolderListing.h"

#include "HiddenAttribute.h"
#include "ShortcutFile.h"
#include "platform/error.h"

#include <algorithm>
#include <atomic>
#include <dirent.h>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace mv {

FavoriteEntry ReadFavorite(const std::string& folder, const std::string& fileName,
                           std::optional<uint32_t> attributes) {
    FavoriteEntry e;
    e.Path = folder + fileName;
    e.SiteName = SiteNameOf(fileName);
    uint32_t stored = 0;
    ShortcutValues values = ReadShortcutValues(e.Path, attributes ? nullptr : &stored);
    e.Url = std::move(values.Url);
    e.Comment = std::move(values.Comment);
    e.Readable = values.Readable;
    e.Hidden = IsHiddenFileAttributes(attributes.value_or(stored)) ? 1 : 0;
    return e;
}

std::vector<FavoriteEntry> ReadFavorites(const std::vector<FoundFavorite>& found,
                                         const std::function<bool(size_t read)>& keepGoing) {
    std::vector<FavoriteEntry> entries(found.size());
    std::vector<char> done(found.size(), 0);
    std::atomic<size_t> next{0}, read{0};
    std::atomic<bool> stop{false};
    std::exception_ptr failure;
    std::mutex failureLock;
    // Each thread takes the next file not yet taken, so a slow file holds up no other.
    auto work = [&](bool caller) {
        try {
            while (!stop) {
                const size_t i = next++;
                if (i >= found.size()) break;
                const FoundFavorite& f = found[i];
                entries[i] = ReadFavorite(f.Folder, f.FileName, f.Attributes);
                done[i] = 1;
                const size_t n = ++read;
                if (caller && keepGoing && !keepGoing(n)) stop = true;
            }
        } catch (...) {
            const std::lock_guard lock(failureLock);
            if (!failure) failure = std::current_exception();
            stop = true;
        }
    };
    // Small folders are read on the calling thread alone; a thread costs more than they do.
    const size_t kFilesPerHelper = 256;
    const size_t helpers = std::min<size_t>(
        {std::max(1u, std::thread::hardware_concurrency()) - 1, 3, found.size() / kFilesPerHelper});
    std::vector<std::thread> threads;
    for (size_t t = 0; t < helpers; ++t)
        threads.emplace_back(work, false);
    work(true);
    // The helpers' last files finish after the caller's; the window is kept answering meanwhile.
    while (keepGoing && !stop && read < found.size()) {
        if (!keepGoing(read)) stop = true;
        std::this_thread::yield();
    }
    for (auto& t : threads)
        t.join();
    if (failure) std::rethrow_exception(failure);
    const auto firstMissing = std::find(done.begin(), done.end(), 0) - done.begin();
    entries.resize(size_t(firstMissing));
    return entries;
}

std::error_code FolderListError(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return lastError();
    ::closedir(dir);
    return {};
}

} // namespace mv
