// Reads the entry headers (levels 0, 1 and 2) of an existing archive.
#pragma once

#include "archive_entry.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lha {

// Every entry of the archive open on `fd`, in order. Throws LhaError when the file is not an
// LHA archive (an empty file is not one either), a header is damaged, an entry runs past the
// end of the file or anything follows the end marker.
std::vector<ArchiveEntry> readArchive(int fd, std::uint64_t fileSize);
// The same for an archive in memory.
std::vector<ArchiveEntry> readArchive(std::span<const std::uint8_t> bytes);

// Splits and decodes a stored path into UTF-8 components joined by "/": backslash, slash and
// 0xFF separate folders. `charset` is the iconv name, or null to guess (UTF-8 when the bytes
// are valid UTF-8, else CP932).
std::string decodeStoredPath(std::string_view bytes, const char* charset);

// Local DOS date/time stamp to Unix seconds, and back (rounded down to 2 seconds).
std::int64_t dosTimeToUnix(std::uint32_t dos);
std::uint32_t unixToDosTime(std::int64_t t);

} // namespace lha
