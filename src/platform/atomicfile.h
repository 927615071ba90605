#pragma once
// Replaces a file's content in one step: a temporary file in the same folder is written,
// flushed to disk and renamed over the target, so readers see the old or the new content,
// never a mix, and a failure leaves the old file as it was.

#include <string>
#include <string_view>

namespace mv {

// Keeps the permissions and extended attributes of an existing target. Returns false (with
// errno set) when anything fails; the target is then untouched and no temporary file remains.
bool writeFileAtomically(const std::string& path, std::string_view content);

// Writes all of `data` to `fd`, resuming after interruptions; false (errno set) on failure.
bool writeAll(int fd, std::string_view data);

// Whole-file read; false when the file cannot be opened or read.
bool readFile(const std::string& path, std::string& content);

} // namespace mv
