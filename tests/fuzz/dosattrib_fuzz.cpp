// user.DOSATTRIB values of any bytes. A value in the text form is taken only when it is
// "0x" and hex digits whose number fits 32 bits (one terminating zero allowed), and then
// gives that number.
#include "FuzzSupport.h"

#include "platform/fileattr.h"

#include <cctype>
#include <optional>
#include <vector>

namespace {

// The number of well-formed text, or nothing.
std::optional<std::uint64_t> hexText(std::string_view s) {
    if (!s.empty() && s.back() == '\0') s.remove_suffix(1);
    if (s.size() < 3 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X')) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : s.substr(2)) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        v = v * 16 + static_cast<std::uint64_t>(std::isdigit(static_cast<unsigned char>(c))
                                                    ? c - '0'
                                                    : (std::tolower(c) - 'a' + 10));
        if (v > 0xFFFFFFFFu) return std::nullopt;
    }
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly `size` bytes, so a read past the value is caught.
    std::vector<char> bytes(data, data + size);
    std::uint32_t word = 0xDEADBEEF;
    const bool taken = mv::fileattr::decodeDosAttrib(bytes.data(), bytes.size(), word);
    const std::string_view text(bytes.data(), bytes.size());
    const auto expected = hexText(text);
    // Bytes after a terminating zero may be a binary record behind the text; not judged here.
    const auto zero = text.find('\0');
    const bool plainText = zero == std::string_view::npos || zero + 1 == text.size();
    if (plainText && (text.starts_with("0x") || text.starts_with("0X"))) {
        FUZZ_CHECK(taken == expected.has_value(), std::string(text));
        if (taken) FUZZ_CHECK(word == *expected, std::string(text));
    }
    std::string_view body = text;
    if (!body.empty() && body.back() == '\0') body.remove_suffix(1);
    if (plainText && body.size() >= 3 && body.size() <= 10 && body.starts_with("0x"))
        FUZZ_CHECK(expected.has_value() == taken, std::string(text));
    return 0;
}
