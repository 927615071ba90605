#pragma once
// Text operations that count characters, not bytes, in the program's code page: the second
// byte of a Shift-JIS character (which may be "\" or another ASCII byte) is never taken for
// a character of its own. Positions are 1-based.

#include "platform/codepage.h"

#include <string>
#include <string_view>

namespace mv {

// Number of characters (UTF-16 units of the decoded text).
int MbLen(std::string_view s, const CodePage& cp = CodePage::active());
// `s` from character `n` to its end.
std::string MbMidFrom(std::string_view s, int n, const CodePage& cp = CodePage::active());
// At most `count` characters of `s` from character `start`.
std::string MbMid(std::string_view s, int start, int count,
                  const CodePage& cp = CodePage::active());
// Position of the first occurrence of `sub` in `s`, 0 when none (case counts).
int MbInStr(std::string_view s, std::string_view sub, const CodePage& cp = CodePage::active());

} // namespace mv
