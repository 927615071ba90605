#pragma once
// File names as the disk spells them and as the program's code page spells them. The two
// differ when the program runs in CP932 (MARKVANE_ACP=932) on a UTF-8 system; the archiver
// library takes names in the program's code page and maps them back to the disk's, so a name
// goes to the library only when that round trip gives its own bytes again.

#include "platform/codepage.h"

#include <optional>
#include <string>
#include <string_view>

namespace mv {

// The code page of names on disk: the process locale's codeset (CP932 for Shift-JIS, UTF-8
// otherwise), as the archiver library decides it.
const CodePage& DiskCodePage();

// A disk name in the program's code page, or nothing when the library would not find the
// same file again from it (a character without an exact CP932 form, such as "〜" or an
// emoji). Unchanged when both code pages are the same.
std::optional<std::string> ProgramNameOf(std::string_view diskName);
// For showing a name that has no exact form: characters without one become "?".
std::string ProgramNameLossy(std::string_view diskName);

// A name of the program's code page as the disk spells it.
std::string DiskNameOf(std::string_view programName);

} // namespace mv
