// Text conversions for archive names: the process code page (UTF-8 or CP932), CP932 for the
// classic name fields, UTF-16LE for the Unicode name fields. All through glibc iconv.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lha {

enum class CodePage { Utf8, Cp932 };

// The code page of command lines and response files: CP932 when MARKVANE_ACP is 932 or the
// locale's codeset is Shift-JIS, UTF-8 otherwise.
CodePage processCodePage();

// The encoding of file names on disk: the locale's codeset (CP932 for a Shift-JIS locale,
// UTF-8 otherwise, also in the C locale).
CodePage fileSystemCodePage();

bool isValidUtf8(std::string_view text);
bool isAscii(std::string_view text);

// Strict conversions; nullopt when the input is not valid in its encoding.
std::optional<std::string> toUtf8(std::string_view text, CodePage from);
std::optional<std::string> fromUtf8(std::string_view utf8, CodePage to);

// UTF-8 to CP932 for the classic name fields: a character without an exact CP932 round trip
// (U+00A5, U+301C, emoji, ...) becomes "_".
std::string utf8ToCp932Lossy(std::string_view utf8);

std::string utf8ToUtf16le(std::string_view utf8);
std::optional<std::string> utf16leToUtf8(std::string_view utf16le);

// Decodes a name from an archive written elsewhere: `charset` is an iconv name; invalid
// sequences become U+FFFD so that the name can still be compared and shown.
std::string decodeLossy(std::string_view bytes, const char* charset);

} // namespace lha
