#include "ShortcutFile.h"

#include "VB2.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/pathcase.h"
#include "platform/profile.h"

#include <cerrno>
#include <optional>
#include <string_view>

namespace mv {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr size_t kValueBuffer = 2048;

const CodePage& codePageOf(ShortcutEncoding e) {
    return e == ShortcutEncoding::Cp932 ? CodePage::cp932() : CodePage::utf8();
}

// Text in the program's code page, re-encoded for a file; nothing when it has no form there.
std::optional<std::string> toFileEncoding(const std::string& value, const CodePage& file) {
    const CodePage& program = CodePage::active();
    if (program.id() == file.id()) return value;
    return file.encode(program.decode(value));
}

std::string toProgramEncoding(const std::string& value, const CodePage& file) {
    const CodePage& program = CodePage::active();
    if (program.id() == file.id()) return value;
    return program.fromQStringLossy(file.toQString(value));
}

// A file's bytes, or empty when it cannot be read.
std::string fileBytes(const std::string& path) {
    std::string bytes;
    if (!readFile(resolvePathCase(path), bytes)) bytes.clear();
    return bytes;
}

std::string valueIn(const std::string& bytes, const char* section, const char* key) {
    const ShortcutEncoding enc = DetectShortcutEncoding(bytes);
    std::string_view text = bytes;
    if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
    std::string value = profile::readValue(text, section, key, "", kValueBuffer);
    // The byte cut must not leave half a character behind.
    const CodePage& cp = codePageOf(enc);
    if (value.size() == kValueBuffer - 1) {
        size_t pos = 0;
        while (pos < value.size()) {
            size_t len = cp.charLength(value, pos);
            if (pos + len > value.size() || (len == 1 && cp.isLeadByte(value[pos]))) break;
            pos += len;
        }
        value.resize(pos);
    }
    return toProgramEncoding(value, cp);
}

void writeValues(const std::string& rawPath,
                 std::initializer_list<std::pair<const char*, const char*>> keys,
                 std::initializer_list<const std::string*> values) {
    const std::string path = resolvePathCase(rawPath);
    std::string bytes;
    if (!readFile(path, bytes)) {
        if (errno != ENOENT) throw cannotWriteError(rawPath);
        bytes.clear();
    }
    ShortcutEncoding enc = DetectShortcutEncoding(bytes);
    std::vector<std::string> encoded;
    auto encodeAll = [&](const CodePage& cp) {
        encoded.clear();
        for (const std::string* v : values) {
            auto e = toFileEncoding(*v, cp);
            if (!e) return false;
            encoded.push_back(*e);
        }
        return true;
    };
    if (enc == ShortcutEncoding::Neutral) {
        // Prefer the encoding Windows reads; fall back to UTF-8 for what CP932 lacks.
        if (!encodeAll(CodePage::cp932()) && !encodeAll(CodePage::utf8()))
            throw cannotWriteError(rawPath);
    } else if (!encodeAll(codePageOf(enc))) {
        throw cannotWriteError(rawPath);
    }
    const bool bom = std::string_view(bytes).substr(0, kBom.size()) == kBom;
    std::string text = bom ? bytes.substr(kBom.size()) : bytes;
    size_t i = 0;
    for (const auto& [section, key] : keys) text = profile::writeValue(text, section, key, encoded[i++]);
    if (bom) text.insert(0, kBom);
    if (!writeFileAtomically(path, text)) throw cannotWriteError(rawPath);
}

} // namespace

std::string ItemPath(const std::string& folder, const std::string& siteName) {
    return folder + "/" + siteName + ".url";
}

std::string SiteNameOf(const std::string& fileName) {
    return SplitTake(fileName, ".", BeforeDelimiter, false);
}

ShortcutEncoding DetectShortcutEncoding(const std::string& bytes) {
    if (std::string_view(bytes).substr(0, kBom.size()) == kBom) return ShortcutEncoding::Utf8;
    bool ascii = true;
    for (unsigned char c : bytes)
        if (c >= 0x80) { ascii = false; break; }
    if (ascii) return ShortcutEncoding::Neutral;
    return CodePage::utf8().isValid(bytes) ? ShortcutEncoding::Utf8 : ShortcutEncoding::Cp932;
}

std::string ReadShortcutUrl(const std::string& path) {
    return valueIn(fileBytes(path), "InternetShortcut", "URL");
}

std::string ReadShortcutComment(const std::string& path) {
    return valueIn(fileBytes(path), "Comment", "Comment");
}

ShortcutValues ReadShortcutValues(const std::string& path) {
    const std::string bytes = fileBytes(path);
    return {valueIn(bytes, "InternetShortcut", "URL"), valueIn(bytes, "Comment", "Comment")};
}

void WriteShortcutUrl(const std::string& path, const std::string& url) {
    writeValues(path, {{"InternetShortcut", "URL"}}, {&url});
}

void WriteShortcutComment(const std::string& path, const std::string& comment) {
    writeValues(path, {{"Comment", "Comment"}}, {&comment});
}

void WriteNewShortcut(const std::string& path, const std::string& url, const std::string& comment) {
    writeValues(path, {{"InternetShortcut", "URL"}, {"Comment", "Comment"}}, {&url, &comment});
}

} // namespace mv
