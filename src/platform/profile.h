#pragma once
// INI files read and written byte for byte the way the Windows profile functions do:
// section and key names match without regard to ASCII case, blanks around names and values
// are ignored, ";" starts a comment line, the first matching section and key win, and a
// write changes only the line it must (every other byte of the file stays).

#include <string>
#include <string_view>

namespace mv::profile {

// The value of `key` in `section` of INI text, or `def`. At most `bufferSize` - 1 bytes are
// returned, as a caller's fixed buffer would hold; one outer pair of matching quotes is removed.
std::string readValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view def, size_t bufferSize = 2048);

// INI text with `key` of `section` set to `value`. Line breaks inside `value` become spaces,
// so a value can never add lines to the file.
std::string writeValue(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view value);

// File forms. A missing or unreadable file reads as empty text. A write returns false (errno
// set) when the file cannot be replaced; the old file is then unchanged.
std::string readString(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view def, size_t bufferSize = 2048);
bool writeString(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value);

// An integer in decimal, or hexadecimal with "0x", "0X" or "$", with an optional sign; `def`
// when the text is not such an integer.
long long parseInteger(std::string_view text, long long def);

} // namespace mv::profile
