// Parses the archiver's command line:
//   <command> [-switches...] <archive> [<base folder>/] [names... | @responsefile ...]
// Arguments may be quoted with double quotes; names are relative to the base folder.
#pragma once

#include "codepage.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lha {

struct Switches {
    int a = 0;   // -a1: wildcard and folder searches include hidden and system files
    int c = 0;   // -c1: replace archived copies without comparing time stamps
    int m = 0;   // -m: message level; nothing is ever asked, so it has no effect
    int n = 0;   // -n: progress display; none is shown, so it has no effect
    int p = 0;   // -p1: match archived entries by the whole path, not the name alone
    int r = 0;   // -r1: wildcards also match in subfolders; -r2: folder names add their tree
    int x = 0;   // -x1: store names with their folders
    int jso = 0; // accepted for compatibility; no effect
    std::optional<std::string> workFolder; // -w: the temporary file goes beside the archive
};

// A path argument: UTF-8 for archive names and matching, and the bytes as given, which
// are tried on the file system when they differ (a CP932 command line on a CP932 disk).
struct PathArg {
    std::string utf8;
    std::string raw;
};

struct CommandLine {
    char command = 0; // lower case
    Switches switches;
    PathArg archive;
    std::optional<PathArg> baseFolder; // ends with "/"
    std::vector<PathArg> names;
    std::vector<std::string> warnings;
};

// Throws LhaError (UNLHA_ERROR_COMMAND, _NOT_SUPPORTED, _NO_FILENAME, _RESPONSE_READ) for
// anything it cannot honour.
CommandLine parseCommandLine(std::string_view text, CodePage codePage);

// Splits into arguments. A quote opens quoting anywhere; inside, a quote closes it only when
// a blank or the end follows, so names containing quotes survive. Exposed for tests.
struct Token {
    std::string text;
    bool quotedStart = false;
};
std::vector<Token> tokenize(std::string_view text);

} // namespace lha
