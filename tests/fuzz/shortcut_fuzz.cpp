// Shortcut files of any bytes, read and then changed, in both program code pages. Input: a
// flags byte (code page, URL or comment), the new value (a length byte and its bytes), then
// the file. A refused write leaves the file byte for byte; an accepted one reads back as
// written (line breaks as spaces, outer blanks trimmed) and leaves the other value as it was.
#include "FuzzSupport.h"

#include "favorites/ShortcutFile.h"
#include "platform/codepage.h"
#include "platform/error.h"

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}

std::string expectedValue(std::string_view v) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\r' && i + 1 < v.size() && v[i + 1] == '\n') ++i;
        out += (v[i] == '\r' || v[i] == '\n') ? ' ' : v[i];
    }
    std::string_view t = out;
    while (!t.empty() && blank(t.front()))
        t.remove_prefix(1);
    while (!t.empty() && blank(t.back()))
        t.remove_suffix(1);
    return std::string(t);
}

bool quoted(const std::string& v) {
    return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const mv::CodePage& cp = data[0] & 1 ? mv::CodePage::cp932() : mv::CodePage::utf8();
    mv::CodePage::setActiveForTesting(&cp);
    const bool url = data[0] & 2;
    std::string_view in = mvfuzz::asText(data + 1, size - 1);
    const std::string value(mvfuzz::takeField(in, 80));
    const std::string path = (mvfuzz::scratch() / "x.url").string();
    mvfuzz::writeBytes(path, in);

    const auto oldEncoding = mv::DetectShortcutEncoding(std::string(in));
    const mv::ShortcutValues before = mv::ReadShortcutValues(path);
    FUZZ_CHECK(before.Readable, path);
    // The cut reads give a prefix of the whole values.
    FUZZ_CHECK(before.Url.starts_with(mv::ReadShortcutUrl(path)), before.Url);
    FUZZ_CHECK(before.Comment.starts_with(mv::ReadShortcutComment(path)), before.Comment);

    bool written = true;
    try {
        if (url)
            mv::WriteShortcutUrl(path, value);
        else
            mv::WriteShortcutComment(path, value);
    } catch (const mv::Error&) {
        written = false;
    }
    if (!written) {
        FUZZ_CHECK(mvfuzz::readBytes(path) == in, "a refused write changed the file");
        return 0;
    }
    const mv::ShortcutValues after = mv::ReadShortcutValues(path);
    const std::string& changed = url ? after.Url : after.Comment;
    const std::string expected = expectedValue(value);
    if (cp.isValid(value) && value.find('\0') == std::string::npos && !quoted(expected)) {
        // A comment for a CP932 file takes the nearest CP932 form, as Windows writes it.
        const auto nearest = mv::CodePage::cp932().fromUtf8(cp.toUtf8(expected));
        const bool bestFit = !url && oldEncoding == mv::ShortcutEncoding::Cp932 && nearest &&
                             changed == cp.fromUtf8Lossy(mv::CodePage::cp932().toUtf8(*nearest));
        // CP932 spells some characters twice (NEC and IBM rows); a value read back in the
        // other spelling is the same text.
        const bool sameText = changed == expected || cp.toUtf8(changed) == cp.toUtf8(expected);
        FUZZ_CHECK(sameText || bestFit, "read back \"" + changed + "\" for \"" + expected + "\"");
    }
    if (url)
        FUZZ_CHECK(after.Comment == before.Comment, "comment changed: \"" + after.Comment + "\"");
    else
        FUZZ_CHECK(after.Url == before.Url, "URL changed: \"" + after.Url + "\"");
    return 0;
}
