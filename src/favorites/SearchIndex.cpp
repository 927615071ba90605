#include "SearchIndex.h"

#include "FindFile.h"
#include "HiddenAttribute.h"
#include "SearchFolding.h"
#include "platform/codepage.h"
#include "platform/fileattr.h"
#include "platform/filesearch.h"

#include <algorithm>
#include <ctime>
#include <sys/stat.h>
#include <unordered_map>

namespace mv {
namespace {

// Time stamps come from a clock that may lag the one read here by a tick, so a stamp this
// close to the moment its file was read may not yet show a change made just after the read.
// Such a file or folder is read again next time rather than trusted.
constexpr int64_t kUnsettledNs = 100'000'000;

int64_t nowNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

int64_t ns(const timespec& t) {
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The stamp of what `path` names, a link followed (a link to a favorite is that favorite).
DiskStamp stampOf(const std::string& path, bool* isFolder = nullptr) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    if (isFolder) *isFolder = S_ISDIR(st.st_mode);
    return {uint64_t(st.st_ino), uint64_t(st.st_size), ns(st.st_mtim), ns(st.st_ctim)};
}

bool settled(const DiskStamp& stamp, int64_t readAt) {
    return stamp.Inode != 0 && readAt - std::max(stamp.Modified, stamp.Changed) > kUnsettledNs;
}

bool isRealFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string childPrefix(const std::string& folder) {
    return folder == "/" ? folder : folder + "/";
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string parentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

std::u16string fold(const std::string& text) {
    return FoldForSearch(CodePage::active().decode(text));
}

// "/" before everything, so a folder's subfolders follow it; then each letter in capitals
// just before the same letter in small letters; other bytes in their own order. Every byte
// has its own rank, so paths sharing a beginning stay together.
unsigned rank(unsigned char c) {
    if (c == '/') return 0;
    if (c >= 'A' && c <= 'Z') return 2u * (c - 'A' + 'a');
    if (c >= 'a' && c <= 'z') return 2u * c + 1;
    return 2u * c;
}

// What a search shows of a favorite; a file read again with the same values is no change.
bool sameValues(const FavoriteEntry& a, const FavoriteEntry& b) {
    return a.Path == b.Path && a.SiteName == b.SiteName && a.Url == b.Url &&
           a.Comment == b.Comment && a.Hidden == b.Hidden && a.Readable == b.Readable;
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

} // namespace

bool SearchIndex::PathOrder::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return rank(static_cast<unsigned char>(x)) < rank(static_cast<unsigned char>(y));
    });
}

SearchIndex SearchIndex::Build(const std::string& root, const std::atomic<bool>* cancel) {
    SearchIndex index;
    index.root_ = withoutTrailingSlash(root);
    if (!index.root_.empty() && isRealFolder(index.root_)) index.AddTree(index.root_, cancel);
    return index;
}

std::vector<std::string> SearchIndex::Folders() const {
    std::vector<std::string> folders;
    folders.reserve(folders_.size());
    for (const auto& [path, folder] : folders_)
        folders.push_back(path);
    return folders;
}

bool SearchIndex::Inside(const std::string& path) const {
    return !root_.empty() && (path == root_ || startsWith(path, childPrefix(root_)));
}

bool SearchIndex::ReadFolder(const std::string& folder, const Folder* before, Folder& into,
                             std::vector<std::string>& subfolders) {
    into.ReadAt = nowNs();
    into.Stamp = stampOf(folder);
    into.Favorites.clear();
    const auto entries = listFolder(folder, FindDetail::Attributes);
    if (!entries) return false;
    std::unordered_map<std::string_view, const Favorite*> known;
    if (before)
        for (const Favorite& f : before->Favorites)
            known.emplace(f.Entry.Path, &f);
    const std::string prefix = childPrefix(folder);
    for (const FindData& d : *entries) {
        if (d.attributes & fileattr::Directory) {
            // A link to a folder is never followed: it could lead back up the tree.
            if (!(d.attributes & fileattr::ReparsePoint)) subfolders.push_back(prefix + d.name);
            continue;
        }
        if (!MatchMask(d.name, "*.url")) continue;
        const std::string path = prefix + d.name;
        const DiskStamp stamp = stampOf(path);
        const uint8_t hidden = IsHiddenFileAttributes(d.attributes) ? 1 : 0;
        if (const auto it = known.find(path); it != known.end()) {
            const Favorite& old = *it->second;
            if (old.Stamp == stamp && old.Entry.Hidden == hidden && settled(stamp, old.ReadAt)) {
                into.Favorites.push_back(old);
                continue;
            }
        }
        into.Favorites.push_back(ReadOne(prefix, d.name, d.attributes, stamp, into.ReadAt));
    }
    SortFolder(into);
    return true;
}

SearchIndex::Favorite SearchIndex::ReadOne(const std::string& prefix, const std::string& name,
                                           uint32_t attributes, const DiskStamp& stamp,
                                           int64_t readAt) {
    Favorite f;
    f.ReadAt = readAt;
    f.Stamp = stamp;
    f.Entry = ReadFavorite(prefix, name, attributes);
    f.FoldedName = fold(f.Entry.SiteName);
    f.Folded = f.FoldedName;
    f.Folded += u'\0';
    f.Folded += fold(f.Entry.Url);
    f.Folded += u'\0';
    f.Folded += fold(f.Entry.Comment);
    return f;
}

void SearchIndex::SortFolder(Folder& folder) {
    std::sort(folder.Favorites.begin(), folder.Favorites.end(),
              [](const Favorite& a, const Favorite& b) {
                  if (a.FoldedName != b.FoldedName) return a.FoldedName < b.FoldedName;
                  return a.Entry.Path < b.Entry.Path;
              });
}

void SearchIndex::AddTree(const std::string& folder, const std::atomic<bool>* cancel) {
    std::vector<std::string> pending{folder};
    while (!pending.empty()) {
        if (cancel && cancel->load(std::memory_order_relaxed)) return;
        const std::string path = std::move(pending.back());
        pending.pop_back();
        Folder fresh;
        std::vector<std::string> subfolders;
        ReadFolder(path, nullptr, fresh, subfolders);
        count_ += fresh.Favorites.size();
        folders_.insert_or_assign(path, std::move(fresh));
        for (std::string& sub : subfolders)
            pending.push_back(std::move(sub));
    }
}

void SearchIndex::DropTree(const std::string& folder) {
    const std::string prefix = childPrefix(folder);
    auto it = folders_.lower_bound(folder);
    while (it != folders_.end() && (it->first == folder || startsWith(it->first, prefix))) {
        count_ -= it->second.Favorites.size();
        it = folders_.erase(it);
    }
}

bool SearchIndex::SyncFolder(const std::string& path) {
    const std::string folder = withoutTrailingSlash(path);
    if (!Inside(folder)) return false;
    const auto it = folders_.find(folder);
    if (!isRealFolder(folder)) {
        const auto first = folders_.lower_bound(folder);
        const bool held = first != folders_.end() &&
                          (first->first == folder || startsWith(first->first, childPrefix(folder)));
        if (held) DropTree(folder);
        return held;
    }
    if (it == folders_.end()) {
        if (folder == root_) {
            AddTree(folder, nullptr);
            return true;
        }
        // Its parent's reading finds it as a new subfolder.
        return SyncFolder(parentOf(folder));
    }

    Folder fresh;
    std::vector<std::string> subfolders;
    ReadFolder(folder, &it->second, fresh, subfolders);
    Folder& held = it->second;
    bool changed = held.Favorites.size() != fresh.Favorites.size();
    for (size_t i = 0; !changed && i < fresh.Favorites.size(); ++i)
        changed = !sameValues(held.Favorites[i].Entry, fresh.Favorites[i].Entry);
    count_ = count_ - held.Favorites.size() + fresh.Favorites.size();
    held = std::move(fresh);

    // The subfolders held directly below it, against those on disk now.
    const std::string prefix = childPrefix(folder);
    std::vector<std::string> gone;
    for (auto sub = std::next(it); sub != folders_.end() && startsWith(sub->first, prefix); ++sub) {
        if (sub->first.find('/', prefix.size()) != std::string::npos) continue;
        if (std::find(subfolders.begin(), subfolders.end(), sub->first) == subfolders.end())
            gone.push_back(sub->first);
    }
    for (const std::string& sub : gone)
        DropTree(sub);
    changed = changed || !gone.empty();
    for (const std::string& sub : subfolders) {
        if (folders_.count(sub)) continue;
        AddTree(sub, nullptr);
        changed = true;
    }
    return changed;
}

bool SearchIndex::SyncFile(const std::string& path) {
    const std::string folder = parentOf(path);
    if (!Inside(folder) || folder == path) return false;
    const auto it = folders_.find(folder);
    if (it == folders_.end()) return SyncFolder(folder);
    std::vector<Favorite>& favorites = it->second.Favorites;
    const auto held = std::find_if(favorites.begin(), favorites.end(),
                                   [&](const Favorite& f) { return f.Entry.Path == path; });
    const std::string name = path.substr(childPrefix(folder).size());
    bool isFolder = false;
    const int64_t readAt = nowNs();
    const DiskStamp stamp = stampOf(path, &isFolder);
    const uint32_t attributes = fileattr::get(path);
    if (attributes == fileattr::Invalid || isFolder || !MatchMask(name, "*.url")) {
        if (held == favorites.end()) return false;
        favorites.erase(held);
        --count_;
        return true;
    }
    const uint8_t hidden = IsHiddenFileAttributes(attributes) ? 1 : 0;
    if (held != favorites.end() && held->Stamp == stamp && held->Entry.Hidden == hidden &&
        settled(stamp, held->ReadAt))
        return false;
    Favorite fresh = ReadOne(childPrefix(folder), name, attributes, stamp, readAt);
    bool changed = true;
    if (held != favorites.end()) {
        changed = !sameValues(held->Entry, fresh.Entry);
        *held = std::move(fresh);
    } else {
        favorites.push_back(std::move(fresh));
        ++count_;
    }
    SortFolder(it->second);
    return changed;
}

bool SearchIndex::SyncStale() {
    std::vector<std::string> stale;
    for (const auto& [path, folder] : folders_) {
        const DiskStamp now = stampOf(path);
        if (!(now == folder.Stamp) || !settled(now, folder.ReadAt)) stale.push_back(path);
    }
    bool changed = false;
    for (const std::string& path : stale)
        changed = SyncFolder(path) || changed; // a folder dropped with its parent is skipped
    return changed;
}

std::vector<const FavoriteEntry*> SearchIndex::Find(std::u16string_view text) const {
    std::u16string needle = FoldForSearch(text);
    while (!needle.empty() && isBlank(needle.back()))
        needle.pop_back();
    size_t start = 0;
    while (start < needle.size() && isBlank(needle[start]))
        ++start;
    needle.erase(0, start);
    std::vector<const FavoriteEntry*> found;
    if (needle.empty()) return found;
    for (const auto& [path, folder] : folders_)
        for (const Favorite& f : folder.Favorites)
            if (std::u16string_view(f.Folded).find(needle) != std::u16string_view::npos)
                found.push_back(&f.Entry);
    return found;
}

std::vector<const FavoriteEntry*> SearchIndex::All() const {
    std::vector<const FavoriteEntry*> all;
    all.reserve(count_);
    for (const auto& [path, folder] : folders_)
        for (const Favorite& f : folder.Favorites)
            all.push_back(&f.Entry);
    return all;
}

} // namespace mv
