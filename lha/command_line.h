// Parses the archiver's command line:
//   <command> [-switches...] <archive> [<base folder>/] [names... | @responsefile ...]
// - Arguments are separated by blanks and may be quoted ("a b", -w"dir/", "-jso1").
//   Inside quotes, a quote ends the argument only when a blank or the end follows, so a
//   name holding `"` followed by a blank (`Say "hi" now`) cannot be given here: pass such
//   names, and any name at all, in a response file.
// - Before the archive name, arguments starting with "-" are switches; after it, only
//   unquoted ones are (so quoted names may start with "-"); "--" ends the switches.
// - Several switches may share one dash (-r2x1); a switch without digits means 1.
// - The first argument after the archive that ends in "/" is the base folder; names are
//   relative to it and use "/" between folders.
// - "@file" reads names from a response file, unless a file to pack has that name (both at
//   once is refused as ambiguous). The response file must be a regular file of at most
//   16 MiB. Names inside it are never response files themselves.
// - Names that exist are taken literally; others may be masks with * and ? in their last part.
//
// Text and code pages. The command line is in the command's code page: the process code page
// (CP932 when MARKVANE_ACP=932 or the locale is Shift-JIS, UTF-8 otherwise). Each name is
// converted from it to Unicode for the archive, then to the disk's spelling (the locale's
// codeset, normally UTF-8) to be opened. So with MARKVANE_ACP=932 on a UTF-8 disk the caller
// sends CP932 text, never the disk's raw bytes; names CP932 cannot spell go in an exact
// response file.
//
// Response files, two forms:
// - Exact form (what the program writes): the file starts with the UTF-8 byte order mark
//   EF BB BF. Then names are UTF-8 whatever the command's code page, one per line ended by
//   LF (0x0A); every other byte belongs to the name: blanks at either end, quotes, a
//   leading "-" or "@", CR, backslashes. When the file holds a zero byte, names are ended
//   by zero bytes instead of LF (for names containing a line break). Empty names are
//   skipped. A name that is not valid UTF-8 is taken as the disk's bytes (with a warning).
//   Example: EF BB BF  "sub/Say "hi" now.url" 0A  " lead blank.url" 0A  "@at.url" 0A
// - Plain form (any other file): text in the command's code page, one name a line (LF or
//   CR LF), blanks around it dropped, optionally in quotes.
#pragma once

#include "codepage.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lha {

constexpr std::size_t kMaxResponseFile = 16u << 20;

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
