#include "TextHelpers.h"

namespace mv {
namespace {

// Byte offset of character `n` (1-based; `n` <= 1 is the start), or s.size() past the end.
size_t offsetOfChar(std::string_view s, int n, const CodePage& cp) {
    size_t pos = 0;
    for (int count = 1; pos < s.size() && count < n; ++count)
        pos += cp.charLength(s, pos);
    return pos;
}

} // namespace

int MbLen(std::string_view s, const CodePage& cp) {
    return s.empty() ? 0 : static_cast<int>(cp.utf16Length(s));
}

std::string MbMidFrom(std::string_view s, int n, const CodePage& cp) {
    return std::string(s.substr(offsetOfChar(s, n, cp)));
}

std::string MbMid(std::string_view s, int start, int count, const CodePage& cp) {
    if (count <= 0) return {};
    const size_t from = offsetOfChar(s, start, cp);
    size_t to = from;
    for (int taken = 0; to < s.size() && taken < count; ++taken)
        to += cp.charLength(s, to);
    return std::string(s.substr(from, to - from));
}

int MbInStr(std::string_view s, std::string_view sub, const CodePage& cp) {
    if (s.empty()) return 0;
    if (sub.empty()) return 1;
    // Walk character starts only, so a match can never begin on a trail byte.
    int index = 1;
    for (size_t pos = 0; pos < s.size(); pos += cp.charLength(s, pos), ++index) {
        if (s.substr(pos, sub.size()) == sub) {
            // A match must also end on a character boundary.
            size_t end = pos;
            while (end < pos + sub.size())
                end += cp.charLength(s, end);
            if (end == pos + sub.size()) return index;
        }
    }
    return 0;
}

} // namespace mv
