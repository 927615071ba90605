#include "codepage.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <map>
#include <memory>
#include <strings.h>

namespace lha {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`. On an invalid or unconvertible sequence calls onBad(consumed so
    // far, output) which returns how many input bytes to skip, or 0 to fail.
    template <typename OnBad> bool run(std::string_view in, std::string& out, OnBad onBad) {
        if (!ok()) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buf[1024];
        while (true) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            const std::size_t r = srcLeft == 0 ? iconv(cd_, nullptr, nullptr, &dst, &dstLeft)
                                               : iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (r != static_cast<std::size_t>(-1)) {
                if (srcLeft == 0) return true;
                continue;
            }
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL (truncated sequence at the end).
            const std::size_t skip = onBad(static_cast<std::size_t>(src - in.data()), out);
            if (skip == 0 || skip > srcLeft) return false;
            src += skip;
            srcLeft -= skip;
        }
    }

private:
    iconv_t cd_;
};

std::size_t utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

// iconv_open loads and iconv_close unloads the conversion module each time, which costs
// more than packing a small file; each thread keeps its converters.
Converter& converter(const char* to, const char* from) {
    thread_local std::map<std::pair<std::string, std::string>, std::unique_ptr<Converter>> cache;
    auto& slot = cache[{to, from}];
    if (!slot) slot = std::make_unique<Converter>(to, from);
    return *slot;
}

std::optional<std::string> strict(std::string_view in, const char* to, const char* from) {
    Converter& c = converter(to, from);
    std::string out;
    if (!c.run(in, out, [](std::size_t, std::string&) { return std::size_t{0}; }))
        return std::nullopt;
    return out;
}

const char* charsetOf(CodePage cp) {
    return cp == CodePage::Cp932 ? "CP932" : "UTF-8";
}

} // namespace

CodePage processCodePage() {
    if (const char* acp = std::getenv("MARKVANE_ACP")) {
        if (std::strcmp(acp, "932") == 0) return CodePage::Cp932;
        if (std::strcmp(acp, "65001") == 0) return CodePage::Utf8;
    }
    return fileSystemCodePage();
}

CodePage fileSystemCodePage() {
    const char* codeset = nl_langinfo(CODESET);
    if (codeset != nullptr) {
        for (const char* sjis : {"SHIFT_JIS", "SJIS", "CP932", "WINDOWS-31J", "MS932"})
            if (strcasecmp(codeset, sjis) == 0) return CodePage::Cp932;
    }
    return CodePage::Utf8;
}

bool isAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t n;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            n = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k) {
            const unsigned char t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += n;
    }
    return true;
}

std::optional<std::string> toUtf8(std::string_view text, CodePage from) {
    if (from == CodePage::Utf8)
        return isValidUtf8(text) ? std::optional<std::string>(std::string(text)) : std::nullopt;
    return strict(text, "UTF-8", charsetOf(from));
}

std::optional<std::string> fromUtf8(std::string_view utf8, CodePage to) {
    if (isAscii(utf8)) return std::string(utf8); // the same bytes in CP932
    if (to == CodePage::Utf8)
        return isValidUtf8(utf8) ? std::optional<std::string>(std::string(utf8)) : std::nullopt;
    const auto out = strict(utf8, charsetOf(to), "UTF-8");
    // Only exact round trips count (U+00A5 would otherwise turn into a backslash).
    if (!out || strict(*out, "UTF-8", charsetOf(to)) != std::string(utf8)) return std::nullopt;
    return out;
}

std::string utf8ToCp932Lossy(std::string_view utf8) {
    if (isAscii(utf8)) return std::string(utf8);
    if (auto exact = fromUtf8(utf8, CodePage::Cp932)) return *exact;
    // Character by character, so each one is kept only when it round-trips.
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t n =
            std::min(utf8Length(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
        const std::string_view ch = utf8.substr(i, n);
        if (n == 1 && static_cast<unsigned char>(ch[0]) < 0x80)
            out += ch;
        else if (auto c = fromUtf8(ch, CodePage::Cp932))
            out += *c;
        else
            out += '_';
        i += n;
    }
    return out;
}

std::string utf8ToUtf16le(std::string_view utf8) {
    Converter& c = converter("UTF-16LE", "UTF-8");
    std::string out;
    c.run(utf8, out, [&](std::size_t at, std::string& o) {
        o.append("\xFD\xFF", 2); // U+FFFD for bytes that are not UTF-8
        return std::min(utf8Length(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
    });
    return out;
}

std::optional<std::string> utf16leToUtf8(std::string_view utf16le) {
    return strict(utf16le, "UTF-8", "UTF-16LE");
}

std::string decodeLossy(std::string_view bytes, const char* charset) {
    Converter& c = converter("UTF-8", charset);
    std::string out;
    if (!c.ok()) return std::string(bytes);
    c.run(bytes, out, [](std::size_t, std::string& o) {
        o += "\xEF\xBF\xBD";
        return std::size_t{1};
    });
    return out;
}

} // namespace lha
