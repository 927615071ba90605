#pragma once
// INI files read and written byte for byte the way the Windows profile functions do:
// section and key names match without regard to ASCII case, blanks around names and values
// are ignored, ";" starts a comment line, the first matching section and key win, and a
// write changes only the line it must (every other byte of the file stays).
//
// Text is parsed character by character in a code page, so the second byte of a double-byte
// character is never taken for a letter, "]" or "=". The text functions work on the bytes in
// the given code page; the file functions take and give text in the program's code page and
// also read and write UTF-16LE files (with the BOM FF FE) as Windows does.

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace mv {
class CodePage;
}

namespace mv::profile {

// A buffer size that never cuts a value.
inline constexpr size_t kWhole = std::numeric_limits<size_t>::max();

// The value of `key` in `section` of INI text, or `def` less its trailing blanks. At most
// `bufferSize` - 1 bytes are returned, as a caller's fixed buffer would hold, less a character
// the cut would split; one outer pair of matching quotes is removed.
std::string readValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view def, const CodePage& cp, size_t bufferSize = 2048);
// The same value whole, or nothing when the section or the key is missing.
std::optional<std::string> findValue(std::string_view text, std::string_view section,
                                     std::string_view key, const CodePage& cp);
// Several values in one pass over the text, each as findValue gives it.
struct ValueName {
    std::string_view section;
    std::string_view key;
};
std::vector<std::optional<std::string>>
findValues(std::string_view text, const std::vector<ValueName>& names, const CodePage& cp);
bool hasSection(std::string_view text, std::string_view section, const CodePage& cp);

// INI text with `key` of `section` set to `value`. Line breaks inside `value` become spaces,
// so a value can never add lines to the file.
std::string writeValue(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view value, const CodePage& cp);

// `value` cut to `bufferSize` - 1 bytes; only a character split by the cut is dropped.
std::string_view cutToBuffer(std::string_view value, size_t bufferSize, const CodePage& cp);

// File forms, in the program's code page. A missing or unreadable file reads as empty text.
// A write fails when the file cannot be read or replaced, or (UTF-16, with EILSEQ) holds text
// that does not convert without loss; the old file is then unchanged.
std::string readString(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view def, size_t bufferSize = 2048);
std::error_code writeString(const std::string& path, std::string_view section, std::string_view key,
                            std::string_view value);

// An integer in decimal, or hexadecimal with "0x", "0X" or "$", with one optional sign; `def`
// when the text is not such an integer or lies outside the range of long long.
long long parseInteger(std::string_view text, long long def);

} // namespace mv::profile
