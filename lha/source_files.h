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
    struct stat st {};
};

struct Collected {
    std::vector<SourceFile> files;
    std::vector<std::string> warnings;
};

// Throws LhaError for a name that does not exist, leaves the base folder, or is a folder
// without -r2.
Collected collectSources(const CommandLine& cl);

// DOS attribute of a file: read-only from the permissions, hidden/system/archive from the
// user.DOSATTRIB extended attribute ("0x<hex>") when it is there.
std::uint16_t dosAttribute(const std::string& path, const struct stat& st);
// The same for an open file (no second path lookup).
std::uint16_t dosAttribute(int fd, const struct stat& st);

// Windows-style mask match, ASCII case-insensitive: * any run, ? one character, "*.*" all.
bool maskMatches(std::string_view mask, std::string_view name);

} // namespace lha
