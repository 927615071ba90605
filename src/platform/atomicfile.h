#pragma once
// Replaces a file's content in one step: a temporary file in the same folder is written,
// flushed to disk and renamed over the target, so readers see the old or the new content,
// never a mix, and a failure leaves the old file as it was. Every file this program writes
// takes its place through placeNewEntry below.
//
// Every write of updateFileAtomically and the writers after it also
// - refuses a read-only target (no write permission for this user, no write bit at all, or
//   the read-only bit of the Windows attribute word) with EACCES, as Windows refuses it;
// - writes through a symbolic link into the link's target and keeps the link;
// - holds an exclusive lock on the file for the whole read-modify-write, so two writers of
//   one file (two windows, two processes) never lose each other's changes;
// - syncs the file and then its folder before reporting success.
//
// Failures are returned as std::error_code (errno values, generic category); an empty code
// means success.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <system_error>

namespace mv {

// The new content for a file, given its current bytes (`exists` false and `current` empty
// when there is no file yet); nullopt leaves the file as it is. It may throw: the file is then
// untouched and the exception passes through.
using FileChange =
    std::function<std::optional<std::string>(const std::string& current, bool exists)>;

// Writes content into the open temporary file `fd`; a returned error stops the write.
using FileFill = std::function<std::error_code(int fd)>;

// Read-modify-write of one file under the lock. A file that exists but cannot be read is
// never taken as empty: the call fails and `change` is not called. A read-only target fails
// with EACCES before `change` is called. Keeps the permissions, owner (where allowed) and
// extended attributes of an existing target; a new file gets 0666 less the umask. On failure
// no temporary file remains and the target is untouched, except when only the flush of the
// folder after the rename failed: the new content is then in place but may not survive a
// crash, which is reported all the same.
std::error_code updateFileAtomically(const std::string& path, const FileChange& change);

// The same with the content given outright.
std::error_code writeFileAtomically(const std::string& path, std::string_view content);

// The same with the content streamed by `fill` (the current content is not read), for
// content too large to hold in memory at once.
std::error_code writeFileAtomicallyFrom(const std::string& path, const FileFill& fill);

// A new entry for placeNewEntry: a regular file filled by `fill`, or a symbolic link.
struct NewEntry {
    FileFill fill;                         // content and attributes of a file
    std::optional<std::string> linkTarget; // instead of a file, a link with this target
    mode_t mode = 0600;                    // the file's mode at creation, less the umask
    // Called with the finished temporary entry's path before it takes the name (to give a
    // link its owner and times, or to compare a copy with its source); an error stops there.
    std::function<std::error_code(const std::string& tempPath)> ready;
    bool replace = true; // false: an existing target is never replaced (EEXIST)
    bool durable = true; // flush the file before the rename and the folder after it
};

// The step under every write: the entry is made under a new hidden name in `target`'s folder,
// filled, flushed, checked and renamed to `target`. Follows no link and asks nothing: a link
// named `target` is itself replaced (the writers above resolve links and refuse read-only
// targets first). On failure nothing made here remains and `target` is as it was.
std::error_code placeNewEntry(const std::string& target, const NewEntry& entry);

// Writes all of `data` to `fd`, resuming after interruptions.
std::error_code writeAll(int fd, std::string_view data);

// Copies what is left of `from` to `to`, resuming after interruptions.
std::error_code copyAll(int from, int to);

// Whole-file read of a regular file; fails when it cannot be opened or read, or is not a
// regular file (a FIFO, a device, a folder: EINVAL or EISDIR), which is never waited on.
std::error_code readFile(const std::string& path, std::string& content);
// The same, calling `whileOpen` with the open regular file before it is read: what else is
// wanted of the file is asked through the descriptor, without a second lookup of the path.
std::error_code readFile(const std::string& path, std::string& content,
                         const std::function<void(int fd)>& whileOpen);

} // namespace mv
