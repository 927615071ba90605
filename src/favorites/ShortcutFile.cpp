#include "ShortcutFile.h"

#include "TextSplit.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/fileattr.h"
#include "platform/pathcase.h"
#include "platform/profile.h"

#include <QByteArrayView>

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace mv {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD in UTF-8
constexpr size_t kValueBuffer = 2048;
constexpr std::string_view kMain = "InternetShortcut";
constexpr std::string_view kAnsiShadow = "InternetShortcut.A";
constexpr std::string_view kWideShadow = "InternetShortcut.W";

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

const CodePage& program() {
    return CodePage::active();
}

// A value of a byte-encoded file in the program's code page.
std::string toProgram(std::string_view value, const CodePage& file) {
    if (program().id() == file.id()) return std::string(value);
    return program().fromUtf8Lossy(file.toUtf8(value));
}

// What the INI parser reads of a file: its bytes less a BOM, or the UTF-8 form of UTF-16.
class ShortcutText {
public:
    explicit ShortcutText(const std::string& bytes) : encoding_(DetectShortcutEncoding(bytes)) {
        std::string_view body = bytes;
        if (encoding_ == ShortcutEncoding::Utf16) {
            wide_ = convertEncodingLossy(body.substr(kUtf16Bom.size()), "UTF-16LE", "UTF-8",
                                         kReplacement);
            body = wide_;
        } else if (startsWith(body, kUtf8Bom)) {
            body.remove_prefix(kUtf8Bom.size());
        }
        text_ = body;
        // ASCII reads the same in every code page; taking the program's saves the conversion.
        cp_ = encoding_ == ShortcutEncoding::Cp932     ? &CodePage::cp932()
              : encoding_ == ShortcutEncoding::Neutral ? &program()
                                                       : &CodePage::utf8();
    }
    ShortcutText(const ShortcutText&) = delete;
    ShortcutText& operator=(const ShortcutText&) = delete;

    std::string value(std::string_view section, std::string_view key, size_t buffer) const {
        return shown(profile::findValue(text_, section, key, *cp_), buffer);
    }
    // The URL and the comment from one pass over the text, as url() and value() give them.
    std::pair<std::string, std::string> urlAndComment(size_t buffer) const {
        auto found = profile::findValues(text_, {{kMain, "URL"}, {"Comment", "Comment"}}, *cp_);
        std::string comment = shown(std::move(found[1]), buffer);
        if (auto wide = shadowUrl(buffer)) return {std::move(*wide), std::move(comment)};
        return {shown(std::move(found[0]), buffer), std::move(comment)};
    }

    // Windows' readers take the URL of the Unicode shadow first; one that is not UTF-7 (a
    // hand-edited file) leaves the main section's URL.
    std::string url(size_t buffer) const {
        if (auto wide = shadowUrl(buffer)) return std::move(*wide);
        return value(kMain, "URL", buffer);
    }

private:
    std::optional<std::string> shadowUrl(size_t buffer) const {
        // Most files have no shadow; one without ".W" in either case anywhere cannot hold it,
        // and the search of the whole text for it is spared.
        const bool mayHoldShadow = text_.find(".W") != std::string_view::npos ||
                                   text_.find(".w") != std::string_view::npos;
        if (!mayHoldShadow) return std::nullopt;
        if (auto wide = profile::findValue(text_, kWideShadow, "URL", *cp_))
            if (auto decoded = fromUtf7(*wide)) return fromUnicode(*decoded, buffer);
        return std::nullopt;
    }

    std::string shown(std::optional<std::string> v, size_t buffer) const {
        if (!v) return {};
        if (encoding_ == ShortcutEncoding::Utf16) return fromUnicode(*v, buffer);
        return toProgram(profile::cutToBuffer(*v, buffer, *cp_), *cp_);
    }

    // iconv forgives a base64 run cut off by the end of its input (it drops the bits); a line
    // break behind the value ends the run as any following character would, so a run that
    // was cut short fails to decode.
    static std::optional<std::string> fromUtf7(const std::string& utf7) {
        auto decoded = convertEncoding(utf7 + "\n", "UTF-7", "UTF-8");
        if (!decoded || decoded->empty() || decoded->back() != '\n') return std::nullopt;
        decoded->pop_back();
        return decoded;
    }

    // Unicode text reaches the program as Windows hands it to an ANSI caller: converted to the
    // program's code page, then cut to the buffer.
    static std::string fromUnicode(std::string_view utf8, size_t buffer) {
        return std::string(profile::cutToBuffer(program().fromUtf8Lossy(utf8), buffer, program()));
    }

    ShortcutEncoding encoding_;
    std::string wide_;
    std::string_view text_;
    const CodePage* cp_;
};

// A file's bytes; empty when there is no file, nothing when it exists but cannot be read.
// With `stored`, the file's stored attribute word too, asked of the open file.
std::optional<std::string> fileBytes(const std::string& path, uint32_t* stored = nullptr) {
    std::string bytes;
    bool opened = false;
    std::function<void(int)> whileOpen;
    if (stored)
        whileOpen = [&opened, stored](int fd) {
            *stored = fileattr::getStored(fd, false);
            opened = true;
        };
    // The path as given first: a listing hands over names straight from the folder, and the
    // case-insensitive lookup costs a call per file that only a missing spelling needs.
    std::error_code ec = readFile(path, bytes, whileOpen);
    if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) {
        const std::string resolved = resolvePathCase(path);
        if (resolved != path) ec = readFile(resolved, bytes, whileOpen);
    }
    if (stored && !opened) *stored = fileattr::getStored(path, false);
    if (!ec) return bytes;
    if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory)
        return std::string();
    return std::nullopt;
}

struct Change {
    std::string_view section;
    std::string_view key;
    const std::string& value; // in the program's code page
    bool isUrl;
};

bool hasShadows(std::string_view text, const CodePage& cp) {
    return profile::hasSection(text, kAnsiShadow, cp) || profile::hasSection(text, kWideShadow, cp);
}

std::string utf7(const std::string& utf8) {
    // Valid UTF-8 (all the program's text converts to it) always has a UTF-7 form.
    return convertEncoding(utf8, "UTF-8", "UTF-7").value_or(std::string());
}

// The changes made in UTF-8 text, which holds every value. Shadows a file already has follow
// the URL, so that Windows' readers, which take .W first, see the same URL.
std::string applyUtf8(std::string text, const std::vector<Change>& changes) {
    const CodePage& utf8 = CodePage::utf8();
    for (const Change& c : changes) {
        const std::string value = program().toUtf8(c.value);
        text = profile::writeValue(text, c.section, c.key, value, utf8);
        if (c.isUrl && hasShadows(text, utf8)) {
            text = profile::writeValue(text, kAnsiShadow, "URL", value, utf8);
            text = profile::writeValue(text, kWideShadow, "URL", utf7(value), utf8);
        }
    }
    return text;
}

// A value in CP932 when it has a form there that reads back as the same text. iconv also
// maps some characters one way only ("¥" to "\\", "〜" to "～"); `bestFit` takes those too.
std::optional<std::string> toCp932(const std::string& value, bool bestFit) {
    const CodePage& sjis = CodePage::cp932();
    if (program().id() == sjis.id()) return value;
    const std::string unicode = program().toUtf8(value);
    std::optional<std::string> bytes = sjis.fromUtf8(unicode);
    if (bytes && !bestFit && sjis.toUtf8(*bytes) != unicode) return std::nullopt;
    return bytes;
}

// The changes made in CP932 text; nothing when a comment has no form there (a new file:
// no exact form, since it can still be UTF-8; an existing CP932 file takes what Windows
// would write). A URL without an exact form is written as Windows writes it: its CP932 form
// ("?" for what is missing) in the main section and in .A, the whole URL in UTF-7 in .W.
std::optional<std::string> applyCp932(std::string text, const std::vector<Change>& changes,
                                      bool newFile) {
    const CodePage& sjis = CodePage::cp932();
    for (const Change& c : changes) {
        if (!c.isUrl) {
            auto bytes = toCp932(c.value, !newFile);
            if (!bytes) return std::nullopt;
            text = profile::writeValue(text, c.section, c.key, *bytes, sjis);
            continue;
        }
        const std::optional<std::string> exact = toCp932(c.value, false);
        const bool shadowed = !exact || hasShadows(text, sjis);
        const std::string unicode = program().toUtf8(c.value);
        const std::string ansi = exact ? *exact : sjis.fromUtf8Lossy(unicode);
        text = profile::writeValue(text, c.section, c.key, ansi, sjis);
        if (shadowed) {
            text = profile::writeValue(text, kAnsiShadow, "URL", ansi, sjis);
            text = profile::writeValue(text, kWideShadow, "URL", utf7(unicode), sjis);
        }
    }
    return text;
}

// The file's new bytes with the changes made, in its own encoding where the values fit.
std::string changedBytes(const std::string& current, const std::vector<Change>& changes,
                         const std::string& rawPath) {
    const ShortcutEncoding enc = DetectShortcutEncoding(current);
    std::string_view body = current;
    if (enc == ShortcutEncoding::Utf16) {
        // The edit runs on the UTF-8 form, which holds every character; a file whose text
        // would not come back whole (a lone surrogate, an odd byte) is not rewritten.
        auto text = convertEncoding(body.substr(kUtf16Bom.size()), "UTF-16LE", "UTF-8");
        if (!text) throw cannotWriteError(rawPath);
        auto wide = convertEncoding(applyUtf8(std::move(*text), changes), "UTF-8", "UTF-16LE");
        if (!wide) throw cannotWriteError(rawPath);
        return std::string(kUtf16Bom) + *wide;
    }
    if (enc == ShortcutEncoding::Utf8) {
        const bool bom = startsWith(body, kUtf8Bom);
        if (bom) body.remove_prefix(kUtf8Bom.size());
        return std::string(bom ? kUtf8Bom : "") + applyUtf8(std::string(body), changes);
    }
    // CP932 (or ASCII only, where CP932 is preferred because Windows reads it).
    if (auto sjis = applyCp932(current, changes, enc == ShortcutEncoding::Neutral)) {
        if (DetectShortcutEncoding(*sjis) != ShortcutEncoding::Utf8) return *sjis;
    } else if (enc == ShortcutEncoding::Cp932) {
        throw cannotWriteError(rawPath);
    }
    // CP932 bytes that are valid UTF-8 as a whole would be read back as UTF-8 ("ﾃｰ" is C3 B0,
    // "ð" in UTF-8), or a comment needs more than CP932: the file becomes UTF-8. Its text is
    // converted whole, character for character, so every line still reads as before and the
    // new values read as written.
    if (enc == ShortcutEncoding::Neutral) return applyUtf8(current, changes);
    auto text = convertEncoding(current, "CP932", "UTF-8");
    if (!text) throw cannotWriteError(rawPath);
    return applyUtf8(std::move(*text), changes);
}

void writeValues(const std::string& rawPath, const std::vector<Change>& changes) {
    const std::string path = resolvePathCase(rawPath);
    // The file is read and changed under its lock; one that cannot be read is never taken as
    // empty (the update fails before the change is made).
    const std::error_code ec = updateFileAtomically(path, [&](const std::string& current, bool) {
        return std::optional(changedBytes(current, changes, rawPath));
    });
    if (ec) throw cannotWriteError(rawPath);
}

} // namespace

std::string ItemPath(const std::string& folder, const std::string& siteName) {
    return folder + "/" + siteName + ".url";
}

std::string SiteNameOf(const std::string& fileName) {
    // A listing takes thousands of names. In UTF-8, and in any code page for ASCII, a "." byte
    // is always a character of its own, so the last one is found by bytes.
    const CodePage& cp = CodePage::active();
    if (&cp == &CodePage::utf8() ||
        std::all_of(fileName.begin(), fileName.end(), [](char c) { return (c & 0x80) == 0; })) {
        const size_t dot = fileName.rfind('.');
        return dot == std::string::npos ? std::string() : fileName.substr(0, dot);
    }
    return SplitTake(fileName, ".", BeforeDelimiter, false);
}

ShortcutEncoding DetectShortcutEncoding(const std::string& bytes) {
    if (startsWith(bytes, kUtf16Bom)) return ShortcutEncoding::Utf16;
    if (startsWith(bytes, kUtf8Bom)) return ShortcutEncoding::Utf8;
    bool ascii = true;
    for (unsigned char c : bytes)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return ShortcutEncoding::Neutral;
    // Checked in place: a file of many megabytes is never converted just to be classified.
    return QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())).isValidUtf8()
               ? ShortcutEncoding::Utf8
               : ShortcutEncoding::Cp932;
}

std::string ReadShortcutUrl(const std::string& path) {
    return ShortcutText(fileBytes(path).value_or(std::string())).url(kValueBuffer);
}

std::string ReadShortcutComment(const std::string& path) {
    return ShortcutText(fileBytes(path).value_or(std::string()))
        .value("Comment", "Comment", kValueBuffer);
}

ShortcutValues ReadShortcutValues(const std::string& path, uint32_t* storedAttributes) {
    const std::optional<std::string> bytes = fileBytes(path, storedAttributes);
    if (!bytes) return {{}, {}, false};
    const ShortcutText text(*bytes);
    auto [url, comment] = text.urlAndComment(profile::kWhole);
    return {std::move(url), std::move(comment), true};
}

void WriteShortcutUrl(const std::string& path, const std::string& url) {
    writeValues(path, {{kMain, "URL", url, true}});
}

void WriteShortcutComment(const std::string& path, const std::string& comment) {
    writeValues(path, {{"Comment", "Comment", comment, false}});
}

void WriteNewShortcut(const std::string& path, const std::string& url, const std::string& comment) {
    writeValues(path, {{kMain, "URL", url, true}, {"Comment", "Comment", comment, false}});
}

bool CreateNewShortcut(const std::string& path, const std::string& url, const std::string& comment,
                       bool durable) {
    const std::string bytes =
        changedBytes({}, {{kMain, "URL", url, true}, {"Comment", "Comment", comment, false}}, path);
    NewEntry entry;
    entry.fill = [&bytes](int fd) { return writeAll(fd, bytes); };
    entry.mode = 0666;
    entry.replace = false;
    entry.durable = durable;
    const std::error_code ec = placeNewEntry(path, entry);
    if (ec == std::errc::file_exists) return false;
    if (ec) throw cannotWriteError(path);
    return true;
}

} // namespace mv
