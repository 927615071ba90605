// Parses the archiver's command line:
//   <command> [-switches...] <archive> [<base folder>/] [names... | @responsefile ...]
// - Arguments are separated by blanks and may be quoted ("a b", -w"dir/", "-jso1").
// - Before the archive name, arguments starting with "-" are switches; after it, only
//   unquoted ones are (so quoted names may start with "-"); "--" ends the switches.
// - Several switches may share one dash (-r2x1); a switch without digits means 1.
// - The first argument after the archive that ends in "/" is the base folder; names are
//   relative to it and use "/" between folders.
// - "@file" reads names from a response file, one a line, quotes optional, unless a file to
//   pack has that name (both at once is refused as ambiguous).
// - Names that exist are taken literally; others may be masks with * and ? in their last part.
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

// A path argument: UTF-8 for names in the archive and for matching, and the spelling of the
// file system (they differ when the command line's code page is not the disk's).
struct PathArg {
    std::string utf8;
    std::string fs;
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
CommandLine parseCommandLine(std::string_view text, CodePage codePage,
                             CodePage fileSystem = fileSystemCodePage());

// Splits into arguments. A quote opens quoting anywhere; inside, a quote closes it only when
// a blank or the end follows, so names containing quotes survive. Exposed for tests.
struct Token {
    std::string text;
    bool quotedStart = false;
};
std::vector<Token> tokenize(std::string_view text);

} // namespace lha
