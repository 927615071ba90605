#include "profile.h"

#include "atomicfile.h"

#include <cerrno>
#include <charconv>
#include <optional>
#include <vector>

namespace mv::profile {
namespace {

struct Line {
    size_t begin;   // first byte of the line
    size_t end;     // one past its last byte, line break excluded
    size_t next;    // start of the following line
};

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.push_back({pos, text.size(), text.size()});
            break;
        }
        size_t next = end + 1;
        if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x -= 32;
        if (y >= 'a' && y <= 'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind kind = Kind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key value, trimmed
};

Parsed parse(std::string_view line) {
    std::string_view t = trim(line);
    if (t.empty() || t.front() == ';') return {};
    if (t.front() == '[') {
        std::string_view inner = t.substr(1);
        if (auto close = inner.find(']'); close != std::string_view::npos)
            inner = inner.substr(0, close);
        return {Kind::Section, trim(inner), {}};
    }
    auto eq = t.find('=');
    if (eq == std::string_view::npos) return {};
    return {Kind::Key, trim(t.substr(0, eq)), trim(t.substr(eq + 1))};
}

// Index of the first header of `section`, if any.
std::optional<size_t> findSection(std::string_view text, const std::vector<Line>& lines,
                                  std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        Parsed p = parse(text.substr(lines[i].begin, lines[i].end - lines[i].begin));
        if (p.kind == Kind::Section && equalsNoCase(p.name, trim(section))) return i;
    }
    return std::nullopt;
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

} // namespace

std::string readValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view def, size_t bufferSize) {
    auto cut = [bufferSize](std::string_view v) {
        return std::string(v.substr(0, bufferSize == 0 ? 0 : bufferSize - 1));
    };
    const auto lines = splitLines(text);
    auto header = findSection(text, lines, section);
    if (!header) return cut(def);
    for (size_t i = *header + 1; i < lines.size(); ++i) {
        Parsed p = parse(text.substr(lines[i].begin, lines[i].end - lines[i].begin));
        if (p.kind == Kind::Section) break;
        if (p.kind == Kind::Key && equalsNoCase(p.name, trim(key))) {
            std::string_view v = p.value;
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                v = v.substr(1, v.size() - 2);
            return cut(v);
        }
    }
    return cut(def);
}

std::string writeValue(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view value) {
    const std::string v = singleLine(value);
    const std::string_view sec = trim(section), k = trim(key);
    const auto lines = splitLines(text);
    std::string out(text);

    auto header = findSection(text, lines, sec);
    if (!header) {
        // New section at the end; the last line gets its line break first.
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
        out += "[" + std::string(sec) + "]\r\n" + std::string(k) + "=" + v + "\r\n";
        return out;
    }
    size_t insertLine = *header; // after the last key of the section (or its header)
    for (size_t i = *header + 1; i < lines.size(); ++i) {
        const Line& ln = lines[i];
        Parsed p = parse(text.substr(ln.begin, ln.end - ln.begin));
        if (p.kind == Kind::Section) break;
        if (p.kind != Kind::Key) continue;
        if (equalsNoCase(p.name, k)) {
            std::string replaced = std::string(p.name) + "=" + v;
            out.replace(ln.begin, ln.end - ln.begin, replaced);
            return out;
        }
        insertLine = i;
    }
    const Line& after = lines[insertLine];
    std::string added = std::string(k) + "=" + v + "\r\n";
    if (after.next == after.end) added = "\r\n" + added; // the line had no break (end of file)
    out.insert(after.next, added);
    return out;
}

std::string readString(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view def, size_t bufferSize) {
    std::string text;
    if (!readFile(path, text)) text.clear();
    return readValue(text, section, key, def, bufferSize);
}

bool writeString(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value) {
    std::string text;
    if (!readFile(path, text)) {
        if (errno != ENOENT) return false; // never replace a file we could not read
        text.clear();
    }
    return writeFileAtomically(path, writeValue(text, section, key, value));
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
    long long value = 0;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value, base);
    if (ec != std::errc() || ptr != t.data() + t.size()) return def;
    return negative ? -value : value;
}

} // namespace mv::profile
