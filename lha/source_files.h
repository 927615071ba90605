// Turns the names of a command line into the files to pack: exact names, wildcard masks
// (* and ?, in the last component) and, with -r2, whole folders.
#pragma once

#include "command_line.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace lha {

struct SourceFile {
    std::string fsPath;     // path to open
    std::string storedPath; // UTF-8 name in the archive, "/" between folders
    std::string name;       // path below the base folder as on disk, for the log
    struct stat st {};
};

struct Collected {
    std::vector<SourceFile> files;
    std::vector<std::string> warnings;
};

// Files that cannot be packed (missing, a dangling link, not a regular file, unreadable, an
// unreadable folder, a name Windows would take for another file's) are left out: each gives
// one warning made by leftOutText() (output_log.h). Throws LhaError for a name that leaves
// the base folder ("..", an absolute path, a folder on the way that is a link to outside), a
// folder without -r2, or a base folder that cannot be opened.
// Stored names: "\" becomes U+FF3C "＼" and bytes that are not UTF-8 become U+FFFD, so
// Windows extracts a file and the name reads back as stored.
Collected collectSources(const CommandLine& cl);

// DOS attribute of a file, as the program reads it: read-only from the permissions, and the
// read-only, hidden, system and archive bits of user.DOSATTRIB when it holds a well-formed
// word (parseDosAttrib); without one, archive only.
std::uint16_t dosAttribute(const std::string& path, const struct stat& st);
// The same for an open file (no second path lookup).
std::uint16_t dosAttribute(int fd, const struct stat& st);
// The attribute word of a user.DOSATTRIB value: the text "0x<hex>" (at most 32 bits, one
// terminating zero allowed, nothing else) or Samba's binary version-4/5 blob. False for
// anything else ("0x-1", "0x100000002", "0x2junk").
bool parseDosAttrib(const char* data, std::size_t size, std::uint32_t& word);

// Windows-style mask match, ASCII case-insensitive: * any run, ? one character, "*.*" all.
bool maskMatches(std::string_view mask, std::string_view name);

} // namespace lha
