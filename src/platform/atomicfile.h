#pragma once
// Replaces a file's content in one step: a temporary file in the same folder is written,
// flushed to disk and renamed over the target, so readers see the old or the new content,
// never a mix, and a failure leaves the old file as it was.
//
// Every write here also
// - refuses a read-only target (no write permission for this user, no write bit at all, or
//   the read-only bit of the Windows attribute word) with EACCES, as Windows refuses it;
// - writes through a symbolic link into the link's target and keeps the link;
// - holds an exclusive lock on the file for the whole read-modify-write, so two writers of
//   one file (two windows, two processes) never lose each other's changes;
// - syncs the file and then its folder before reporting success.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace mv {

// The new content for a file, given its current bytes (`exists` false and `current` empty
// when there is no file yet); nullopt leaves the file as it is. It may throw: the file is then
// untouched and the exception passes through.
using FileChange = std::function<std::optional<std::string>(const std::string& current, bool exists)>;

// Read-modify-write of one file under the lock. A file that exists but cannot be read is
// never taken as empty: the call fails and `change` is not called. A read-only target fails
// with EACCES before `change` is called. Keeps the permissions, owner (where allowed) and
// extended attributes of an existing target; a new file gets 0666 less the umask. Returns
// false (errno set) when anything fails; no temporary file remains, and the target is
// untouched, except when only the flush of the folder after the rename failed: the new
// content is then in place but may not survive a crash, which is reported all the same.
bool updateFileAtomically(const std::string& path, const FileChange& change);

// The same with the content given outright.
bool writeFileAtomically(const std::string& path, std::string_view content);

// Writes all of `data` to `fd`, resuming after interruptions; false (errno set) on failure.
bool writeAll(int fd, std::string_view data);

// Whole-file read of a regular file; false (errno set) when it cannot be opened or read, or is
// not a regular file (a FIFO, a device, a folder), which is never waited on.
bool readFile(const std::string& path, std::string& content);

} // namespace mv
