#pragma once
// The process's "ANSI code page": how byte strings of the program map to characters.
// Two are known: UTF-8 (the normal Linux locale) and CP932 (Shift-JIS), chosen from the
// locale or forced with MARKVANE_ACP=932.

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace mv {

class CodePage {
public:
    virtual ~CodePage() = default;

    // The code page the program runs in (decided once, on first use).
    static const CodePage& active();
    static const CodePage& utf8();
    static const CodePage& cp932();
    // Makes `active()` return `cp` until called again (tests only).
    static void setActiveForTesting(const CodePage* cp);

    virtual unsigned id() const = 0; // 65001 or 932
    virtual bool isLeadByte(unsigned char byte) const = 0;
    // Bytes of the character starting at `pos`; at least 1, never past the end of `s`.
    virtual size_t charLength(std::string_view s, size_t pos) const = 0;
    // Like charLength, but a lead byte takes the next byte only when that byte can follow it
    // (in CP932 0x40-0x7E and 0x80-0xFC), as the conversion to Unicode reads it: a stray lead
    // byte never swallows a "=", "\r" or the like behind it.
    virtual size_t wellFormedCharLength(std::string_view s, size_t pos) const {
        return charLength(s, pos);
    }

    // Lossy decoding: malformed bytes become U+FFFD, never dropped.
    std::u16string decode(std::string_view bytes) const;
    // Exact encoding, or nothing when a character has no form in this code page.
    std::optional<std::string> encode(std::u16string_view text) const;
    // Whether `bytes` is well formed in this code page.
    bool isValid(std::string_view bytes) const;

    QString toQString(std::string_view bytes) const;
    std::optional<std::string> fromQString(const QString& text) const;
    // Encoding that never fails: characters without a form become "?".
    std::string fromQStringLossy(const QString& text) const;

    // Length in UTF-16 units of the decoded text (what the Windows conversion would report).
    size_t utf16Length(std::string_view bytes) const { return decode(bytes).size(); }

    // The text in UTF-8; malformed bytes become U+FFFD.
    std::string toUtf8(std::string_view bytes) const;
    // UTF-8 text in this code page: exactly, or nothing when a character has no form here
    // (or the input is not UTF-8); the lossy form writes "?" for each such character.
    std::optional<std::string> fromUtf8(std::string_view utf8) const;
    std::string fromUtf8Lossy(std::string_view utf8) const;

    // Case-insensitive comparison under the user's locale collation: <0, 0, >0.
    int compareNoCase(std::string_view a, std::string_view b) const;

protected:
    virtual const char* iconvName() const = 0;
};

// Exact conversion between two iconv encodings (such as "UTF-16LE", "UTF-7", "UTF-8"):
// nothing when the input is not well formed in `from` or a character has no form in `to`.
std::optional<std::string> convertEncoding(std::string_view bytes, const char* from,
                                           const char* to);
// The same, never failing: what cannot be converted becomes `replacement` (in `to`'s bytes).
std::string convertEncodingLossy(std::string_view bytes, const char* from, const char* to,
                                 std::string_view replacement);

// Shorthands for the widget boundary.
inline QString toQt(std::string_view bytes) {
    return CodePage::active().toQString(bytes);
}
inline std::string fromQt(const QString& text) {
    return CodePage::active().fromQStringLossy(text);
}

} // namespace mv
