#pragma once
// File names as the disk spells them and as the program's code page spells them. The two
// differ when the program runs in CP932 (MARKVANE_ACP=932) on a UTF-8 system: the command
// line is in the program's code page, the disk's bytes are the locale's.

#include "platform/codepage.h"

#include <optional>
#include <string>
#include <string_view>

namespace mv {

// The code page of names on disk: the process locale's codeset (CP932 for Shift-JIS, UTF-8
// otherwise), as the archiver library decides it.
const CodePage& DiskCodePage();

// A disk name as UTF-8 text, exactly: the bytes as they are when the disk is UTF-8 (even
// when they are not well formed), converted from a CP932 disk.
std::string Utf8NameOf(std::string_view diskName);
// In the program's code page; a character without a form there becomes "?".
std::string ProgramNameLossy(std::string_view diskName);

// A name of the program's code page as the disk spells it.
std::string DiskNameOf(std::string_view programName);

} // namespace mv
