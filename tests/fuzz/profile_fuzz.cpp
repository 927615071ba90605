// The profile text functions in both code pages. Input: a code-page byte, then section, key,
// value and a second section and key (each a length byte and its bytes), then the INI text.
// Reading never fails, and one pass for two names agrees with a search for each; a written value
// reads back as written (line breaks as spaces, outer blanks trimmed), and the value of every other
// key stays what it was.
#include "FuzzSupport.h"

#include "platform/codepage.h"
#include "platform/profile.h"

namespace {

using mv::profile::findValue;

bool blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool hasBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// A name a caller can use: one line, well formed, not empty once trimmed, and without the
// character that would end it in the file.
bool usableName(std::string_view name, char terminator, const mv::CodePage& cp) {
    const auto t = trim(name);
    if (t.empty() || hasBreak(name) || !cp.isValid(name)) return false;
    for (std::size_t i = 0; i < t.size(); i += cp.charLength(t, i))
        if (t[i] == terminator) return false;
    return true;
}

bool sameAscii(std::string_view a, std::string_view b) {
    a = trim(a);
    b = trim(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string singleLine(std::string_view v) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\r' && i + 1 < v.size() && v[i + 1] == '\n') ++i;
        out += (v[i] == '\r' || v[i] == '\n') ? ' ' : v[i];
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const mv::CodePage& cp = data[0] & 1 ? mv::CodePage::cp932() : mv::CodePage::utf8();
    std::string_view in = mvfuzz::asText(data + 1, size - 1);
    const auto section = mvfuzz::takeField(in, 24);
    const auto key = mvfuzz::takeField(in, 24);
    const auto value = mvfuzz::takeField(in, 64);
    const auto section2 = mvfuzz::takeField(in, 24);
    const auto key2 = mvfuzz::takeField(in, 24);
    const std::string_view text = in;

    // Reads of any names, with any buffer: a cut value is a prefix of the whole one.
    const auto whole = findValue(text, section, key, cp);
    const std::size_t buffer = data[0] >> 1;
    const std::string cut = mv::profile::readValue(text, section, key, "def ", cp, buffer);
    if (whole) FUZZ_CHECK(std::string_view(*whole).starts_with(cut), cut);
    FUZZ_CHECK(buffer == 0 ? cut.empty() : cut.size() < buffer, cut);
    (void)mv::profile::hasSection(text, section, cp);
    // One pass for several names finds what one search per name finds.
    const auto both = mv::profile::findValues(text, {{section, key}, {section2, key2}}, cp);
    FUZZ_CHECK(both.size() == 2 && both[0] == whole &&
                   both[1] == findValue(text, section2, key2, cp),
               "findValues differs from findValue");

    if (!usableName(section, ']', cp) || !usableName(key, '=', cp) || key.front() == ';' ||
        key.front() == '[' || trim(key).front() == ';' || trim(key).front() == '[')
        return 0;
    const auto other = findValue(text, section2, key2, cp);
    const std::string written = mv::profile::writeValue(text, section, key, value, cp);

    const auto back = findValue(written, section, key, cp);
    FUZZ_CHECK(back.has_value(), "written key not found");
    const std::string expected(trim(singleLine(value)));
    const bool quoted = expected.size() >= 2 &&
                        (expected.front() == '"' || expected.front() == '\'') &&
                        expected.back() == expected.front();
    if (!quoted)
        FUZZ_CHECK(*back == expected, "read back \"" + *back + "\" for \"" + expected + "\"");

    if (!(sameAscii(section, section2) && sameAscii(key, key2)))
        FUZZ_CHECK(findValue(written, section2, key2, cp) == other, "another key changed");
    return 0;
}
