#pragma once
// A favorite as its folder's listing reads it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace mv {

struct FavoriteEntry {
    std::string SiteName;
    std::string Url;
    std::string Comment;
    uint8_t Hidden = 0; // 1 when the file carries the hidden attribute
    // The favorite's file, whatever name is shown for it; commands and edits act on this
    // file, so a favorite always names its own file.
    std::string Path;
    // False when the file exists but could not be read: Url and Comment are then not its
    // content, and nothing may be written over it.
    bool Readable = true;
};

// Reads one favorite: site name from the file name, URL and comment from the file, hidden flag
// from `attributes` (the file's record as the folder search found it, so the file is not
// asked again) or, without it, from the word stored with the file, read while it is open.
// `folder` ends in "/".
FavoriteEntry ReadFavorite(const std::string& folder, const std::string& fileName,
                           std::optional<uint32_t> attributes);

// A file the folder search found, not yet read.
struct FoundFavorite {
    std::string Folder; // ends in "/"
    std::string FileName;
    // The attribute word as found; without it, the stored word is read with the file.
    std::optional<uint32_t> Attributes;
};

// Reads the found favorites, in their order. The files are read on a few threads at once,
// the calling thread among them: a listing is bound by many small reads, and they overlap.
// `keepGoing` runs on the calling thread between its files, with how many files are read so
// far; it lets the caller keep its window answering, and ends the reading early by returning
// false (the result then holds the favorites read up to the first one not read, in order).
std::vector<FavoriteEntry> ReadFavorites(const std::vector<FoundFavorite>& found,
                                         const std::function<bool(size_t read)>& keepGoing);

// Why the entries of `folder` cannot be enumerated; empty when they can. The folder search
// lists a folder it cannot open as empty; this tells such a folder from an empty one.
std::error_code FolderListError(const std::string& folder);

} // namespace mv
