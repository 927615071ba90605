#include "profile.h"

#include "atomicfile.h"
#include "codepage.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>

namespace mv::profile {
namespace {

constexpr std::string_view kUtf16Bom = "\xFF\xFE";

struct Line {
    size_t begin; // first byte of the line
    size_t end;   // one past its last byte, line break excluded
    size_t next;  // start of the following line
};

// Steps to the next line of `text` from `pos`. Lines are visited one at a time and never
// stored, so a file of millions of line breaks costs no memory. CR and LF are never the
// second byte of a double-byte character, so they split lines in every code page.
bool nextLine(std::string_view text, size_t& pos, Line& line) {
    if (pos >= text.size()) return false;
    // A plain scan: find_first_of asks a two-byte set about every byte, a call each.
    size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
        ++end;
    if (end == text.size()) {
        line = {pos, text.size(), text.size()};
    } else {
        size_t next = end + 1;
        if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
        line = {pos, end, next};
    }
    pos = line.next;
    return true;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Blanks are single bytes below 0x40, never part of a double-byte character, so trimming
// the bytes is safe in every code page.
std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view trimEnd(std::string_view s) {
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Position of the single-byte character `c`, stepping over double-byte characters.
size_t findChar(std::string_view s, char c, const CodePage& cp) {
    // A byte below 0x40 is never part of another character in either code page, nor is any
    // ASCII byte in UTF-8: such a character is found by bytes.
    if (cp.id() == 65001 || static_cast<unsigned char>(c) < 0x40) return s.find(c);
    for (size_t i = 0; i < s.size(); i += cp.wellFormedCharLength(s, i))
        if (s[i] == c) return i;
    return std::string_view::npos;
}

// Names match character by character: single-byte letters without regard to ASCII case, a
// double-byte character only byte for byte (its second byte may lie in A-Z or a-z).
bool sameName(std::string_view a, std::string_view b, const CodePage& cp) {
    // In UTF-8, and for ASCII names in any code page, every letter is a character of its own:
    // the names match byte for byte with ASCII letters folded.
    auto ascii = [](std::string_view t) {
        return std::all_of(t.begin(), t.end(), [](char ch) { return (ch & 0x80) == 0; });
    };
    if (cp.id() == 65001 || (ascii(a) && ascii(b))) {
        auto fold = [](char ch) { return ch >= 'a' && ch <= 'z' ? char(ch - 32) : ch; };
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(),
                          [&](char x, char y) { return fold(x) == fold(y); });
    }
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const size_t la = cp.wellFormedCharLength(a, i), lb = cp.wellFormedCharLength(b, j);
        if (la != lb) return false;
        if (la == 1) {
            auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[j]);
            if (x >= 'a' && x <= 'z') x -= 32;
            if (y >= 'a' && y <= 'z') y -= 32;
            if (x != y) return false;
        } else if (a.substr(i, la) != b.substr(j, lb)) {
            return false;
        }
        i += la;
        j += lb;
    }
    return i == a.size() && j == b.size();
}

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind kind = Kind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key value, trimmed
};

// Windows trims blanks around section names, key names and values in the file; a section
// name ends at the first "]" that is a character of its own.
Parsed parse(std::string_view line, const CodePage& cp) {
    std::string_view t = trim(line);
    if (t.empty() || t.front() == ';') return {};
    if (t.front() == '[') {
        std::string_view inner = t.substr(1);
        if (auto close = findChar(inner, ']', cp); close != std::string_view::npos)
            inner = inner.substr(0, close);
        return {Kind::Section, trim(inner), {}};
    }
    auto eq = findChar(t, '=', cp);
    if (eq == std::string_view::npos) return {};
    return {Kind::Key, trim(t.substr(0, eq)), trim(t.substr(eq + 1))};
}

std::string_view lineText(std::string_view text, const Line& ln) {
    return text.substr(ln.begin, ln.end - ln.begin);
}

// Where `section` and, within it, `key` stand in the text.
struct Place {
    bool sectionFound = false;
    Line lastOfSection{};        // the header or the last key line of the section
    std::optional<Line> keyLine; // the first line of the key
    Parsed key;                  // that line parsed
};

// The names passed in are trimmed as Windows trims them, so " Key " finds "Key".
Place locate(std::string_view text, std::string_view section, std::string_view key,
             const CodePage& cp) {
    const std::string_view sec = trim(section), k = trim(key);
    Place place;
    size_t pos = 0;
    Line ln{};
    while (nextLine(text, pos, ln)) {
        const Parsed p = parse(lineText(text, ln), cp);
        if (p.kind == Kind::Section) {
            if (place.sectionFound) break; // the key of a later section is not this one's
            if (sameName(p.name, sec, cp)) {
                place.sectionFound = true;
                place.lastOfSection = ln;
            }
            continue;
        }
        if (!place.sectionFound || p.kind != Kind::Key) continue;
        if (sameName(p.name, k, cp)) {
            place.keyLine = ln;
            place.key = p;
            break;
        }
        place.lastOfSection = ln;
    }
    return place;
}

std::string singleLine(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' || value[i] == '\n') {
            if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
            out += ' ';
        } else {
            out += value[i];
        }
    }
    return out;
}

// Windows documents that it strips the trailing blanks of a default value (it writes the
// terminating zero over them); leading blanks stay.
std::string defaultValue(std::string_view def, size_t bufferSize, const CodePage& cp) {
    return std::string(cutToBuffer(trimEnd(def), bufferSize, cp));
}

bool isUtf16(std::string_view bytes) {
    return bytes.substr(0, kUtf16Bom.size()) == kUtf16Bom;
}

struct LossyUtf16 {};

} // namespace

std::string_view cutToBuffer(std::string_view value, size_t bufferSize, const CodePage& cp) {
    if (bufferSize == 0) return {};
    const size_t limit = bufferSize - 1;
    if (value.size() <= limit) return value;
    // Stepping from the start finds the character the cut splits; a broken byte is a
    // character of its own, so it never shortens the value.
    size_t pos = 0;
    for (;;) {
        const size_t len = cp.wellFormedCharLength(value, pos);
        if (pos + len > limit) break;
        pos += len;
    }
    return value.substr(0, pos);
}

namespace {

std::string unquoted(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

} // namespace

std::optional<std::string> findValue(std::string_view text, std::string_view section,
                                     std::string_view key, const CodePage& cp) {
    const Place place = locate(text, section, key, cp);
    if (!place.keyLine) return std::nullopt;
    return unquoted(place.key.value);
}

std::vector<std::optional<std::string>>
findValues(std::string_view text, const std::vector<ValueName>& names, const CodePage& cp) {
    // Each name goes through the states locate() goes through: before its section, inside
    // the first section of its name, done (its key found, or that section ended).
    enum State { Before, Inside, Done };
    std::vector<State> state(names.size(), Before);
    std::vector<std::optional<std::string>> values(names.size());
    size_t pos = 0;
    Line ln{};
    while (nextLine(text, pos, ln)) {
        const Parsed p = parse(lineText(text, ln), cp);
        if (p.kind == Kind::Section) {
            for (size_t i = 0; i < names.size(); ++i) {
                if (state[i] == Inside)
                    state[i] = Done;
                else if (state[i] == Before && sameName(p.name, trim(names[i].section), cp))
                    state[i] = Inside;
            }
        } else if (p.kind == Kind::Key) {
            for (size_t i = 0; i < names.size(); ++i) {
                if (state[i] == Inside && sameName(p.name, trim(names[i].key), cp)) {
                    values[i] = unquoted(p.value);
                    state[i] = Done;
                }
            }
        }
        if (std::all_of(state.begin(), state.end(), [](State st) { return st == Done; })) break;
    }
    return values;
}

std::string readValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view def, const CodePage& cp, size_t bufferSize) {
    if (auto v = findValue(text, section, key, cp))
        return std::string(cutToBuffer(*v, bufferSize, cp));
    return defaultValue(def, bufferSize, cp);
}

bool hasSection(std::string_view text, std::string_view section, const CodePage& cp) {
    return locate(text, section, {}, cp).sectionFound;
}

std::string writeValue(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view value, const CodePage& cp) {
    const std::string v = singleLine(value);
    const std::string_view sec = trim(section), k = trim(key);
    const Place place = locate(text, sec, k, cp);
    std::string out;
    out.reserve(text.size() + sec.size() + k.size() + v.size() + 8);

    if (!place.sectionFound) {
        // New section at the end; the last line gets its line break first.
        out.append(text);
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
        out.append("[").append(sec).append("]\r\n").append(k).append("=").append(v).append("\r\n");
        return out;
    }
    if (place.keyLine) {
        // The key's own spelling stays; blanks around it go, as Windows writes "key=value".
        const Line& ln = *place.keyLine;
        out.append(text.substr(0, ln.begin)).append(place.key.name).append("=").append(v);
        // On a last line without a line break Windows, which writes the whole file anew,
        // ends the line with CR LF.
        out.append(ln.next == ln.end ? std::string_view("\r\n") : text.substr(ln.end));
        return out;
    }
    const Line& after = place.lastOfSection;
    out.append(text.substr(0, after.next));
    if (after.next == after.end) out += "\r\n"; // the line had no break (end of file)
    out.append(k).append("=").append(v).append("\r\n").append(text.substr(after.next));
    return out;
}

std::string readString(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view def, size_t bufferSize) {
    const CodePage& program = CodePage::active();
    std::string bytes;
    if (readFile(path, bytes)) bytes.clear();
    if (!isUtf16(bytes)) return readValue(bytes, section, key, def, program, bufferSize);
    // Windows reads a UTF-16 file as Unicode and hands the value over in the program's code
    // page ("?" for what it lacks), cut to the caller's buffer there.
    const std::string text = convertEncodingLossy(std::string_view(bytes).substr(kUtf16Bom.size()),
                                                  "UTF-16LE", "UTF-8", "\xEF\xBF\xBD");
    auto v = findValue(text, program.toUtf8(section), program.toUtf8(key), CodePage::utf8());
    if (!v) return defaultValue(def, bufferSize, program);
    return std::string(cutToBuffer(program.fromUtf8Lossy(*v), bufferSize, program));
}

std::error_code writeString(const std::string& path, std::string_view section, std::string_view key,
                            std::string_view value) {
    const CodePage& program = CodePage::active();
    auto change = [&](const std::string& current, bool) -> std::optional<std::string> {
        if (!isUtf16(current)) return writeValue(current, section, key, value, program);
        // A UTF-16 file stays UTF-16. The edit runs on its UTF-8 form, which holds every
        // character of it; text that would not come back whole (a lone surrogate, an odd
        // byte at the end) is not rewritten at all.
        auto text = convertEncoding(std::string_view(current).substr(kUtf16Bom.size()), "UTF-16LE",
                                    "UTF-8");
        if (!text) throw LossyUtf16{};
        auto wide = convertEncoding(writeValue(*text, program.toUtf8(section), program.toUtf8(key),
                                               program.toUtf8(value), CodePage::utf8()),
                                    "UTF-8", "UTF-16LE");
        if (!wide) throw LossyUtf16{};
        return std::string(kUtf16Bom) + *wide;
    };
    try {
        return updateFileAtomically(path, change);
    } catch (const LossyUtf16&) {
        return std::make_error_code(std::errc::illegal_byte_sequence);
    }
}

long long parseInteger(std::string_view text, long long def) {
    std::string_view t = trim(text);
    bool negative = false;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    int base = 10;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        base = 16;
        t.remove_prefix(2);
    } else if (t.size() > 1 && t[0] == '$') {
        base = 16;
        t.remove_prefix(1);
    }
    if (t.empty()) return def;
    // The magnitude is read unsigned, which takes no sign of its own: one sign at most.
    unsigned long long magnitude = 0;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), magnitude, base);
    if (ec != std::errc() || ptr != t.data() + t.size()) return def;
    const unsigned long long limit =
        negative ? static_cast<unsigned long long>(LLONG_MAX) + 1 : LLONG_MAX;
    if (magnitude > limit) return def;
    // Negation in unsigned arithmetic wraps to LLONG_MIN where signed negation would overflow.
    return static_cast<long long>(negative ? 0 - magnitude : magnitude);
}

} // namespace mv::profile
