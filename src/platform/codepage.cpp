#include "codepage.h"

#include <QCollator>
#include <QLocale>
#include <QStringDecoder>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <map>

namespace mv {
namespace {

class Utf8CodePage final : public CodePage {
public:
    unsigned id() const override { return 65001; }
    bool isLeadByte(unsigned char b) const override { return b >= 0xC2 && b <= 0xF4; }
    size_t charLength(std::string_view s, size_t pos) const override {
        const auto b = static_cast<unsigned char>(s[pos]);
        size_t want = b < 0xC2 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b <= 0xF4 ? 4 : 1;
        // A broken sequence counts as single bytes, so stepping never swallows good text.
        for (size_t i = 1; i < want; ++i) {
            if (pos + i >= s.size() || (static_cast<unsigned char>(s[pos + i]) & 0xC0) != 0x80)
                return 1;
        }
        return want;
    }

protected:
    const char* iconvName() const override { return "UTF-8"; }
};

class Cp932CodePage final : public CodePage {
public:
    unsigned id() const override { return 932; }
    bool isLeadByte(unsigned char b) const override {
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    }
    size_t charLength(std::string_view s, size_t pos) const override {
        return isLeadByte(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size() ? 2 : 1;
    }
    size_t wellFormedCharLength(std::string_view s, size_t pos) const override {
        if (charLength(s, pos) == 1) return 1;
        const auto trail = static_cast<unsigned char>(s[pos + 1]);
        return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC) ? 2 : 1;
    }

protected:
    const char* iconvName() const override { return "CP932"; }
};

const Utf8CodePage kUtf8;
const Cp932CodePage kCp932;
std::atomic<const CodePage*> gOverride{nullptr};

const CodePage& detectActive() {
    if (const char* acp = std::getenv("MARKVANE_ACP"); acp && std::strcmp(acp, "932") == 0)
        return kCp932;
    // The codeset of the user's locale, without changing the process's own locale.
    locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    std::string codeset = loc ? nl_langinfo_l(CODESET, loc) : "";
    if (loc) freelocale(loc);
    for (auto& c : codeset)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (codeset == "SHIFT_JIS" || codeset == "SJIS" || codeset == "CP932" ||
        codeset == "WINDOWS-31J" || codeset == "SHIFT-JIS")
        return kCp932;
    return kUtf8;
}

// Runs iconv over the whole input; `lossy` replaces what cannot be converted.
// Returns false on the first failure when not lossy.
// Opening a converter costs more than most conversions, so each thread keeps its own.
iconv_t converter(const char* to, const char* from) {
    struct Cache {
        std::map<std::pair<std::string, std::string>, iconv_t> open;
        ~Cache() {
            for (auto& [key, cd] : open)
                iconv_close(cd);
        }
    };
    thread_local Cache cache;
    auto key = std::make_pair(std::string(to), std::string(from));
    auto it = cache.open.find(key);
    if (it == cache.open.end()) {
        iconv_t cd = iconv_open(to, from);
        if (cd == reinterpret_cast<iconv_t>(-1)) return cd;
        it = cache.open.emplace(key, cd).first;
    }
    iconv(it->second, nullptr, nullptr, nullptr, nullptr); // back to the initial state
    return it->second;
}

bool convert(const char* to, const char* from, std::string_view in, std::string& out, bool lossy,
             std::string_view replacement, size_t inUnit) {
    iconv_t cd = converter(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.clear();
    out.reserve(in.size() * 2 + 8);
    auto* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buf[4096];
    bool ok = true;
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, dst - buf);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            if (!lossy) {
                ok = false;
                break;
            }
            out.append(replacement);
            size_t skip = std::min(srcLeft, inUnit);
            src += skip;
            srcLeft -= skip;
        }
    }
    if (ok) {
        // Stateful encodings (UTF-7) keep pending bits until told that the input ended.
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        if (iconv(cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<size_t>(-1) && !lossy)
            ok = false;
        out.append(buf, dst - buf);
    }
    return ok;
}

std::u16string bytesToU16(const std::string& b) {
    std::u16string s(b.size() / 2, u'\0');
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<char16_t>(static_cast<unsigned char>(b[2 * i]) |
                                     (static_cast<unsigned char>(b[2 * i + 1]) << 8));
    return s;
}

} // namespace

const CodePage& CodePage::active() {
    if (const CodePage* o = gOverride.load()) return *o;
    static const CodePage& detected = detectActive();
    return detected;
}
const CodePage& CodePage::utf8() {
    return kUtf8;
}
const CodePage& CodePage::cp932() {
    return kCp932;
}
void CodePage::setActiveForTesting(const CodePage* cp) {
    gOverride.store(cp);
}

std::u16string CodePage::decode(std::string_view bytes) const {
    std::string out;
    convert("UTF-16LE", iconvName(), bytes, out, true, std::string_view("\xFD\xFF", 2), 1);
    return bytesToU16(out);
}

bool CodePage::isValid(std::string_view bytes) const {
    std::string out;
    return convert("UTF-16LE", iconvName(), bytes, out, false, {}, 1);
}

std::optional<std::string> CodePage::encode(std::u16string_view text) const {
    std::string in(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        in[2 * i] = static_cast<char>(text[i] & 0xFF);
        in[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    std::string out;
    if (!convert(iconvName(), "UTF-16LE", in, out, false, {}, 2)) return std::nullopt;
    return out;
}

namespace {

// QString::fromUtf8 drops a U+FEFF at the start as a byte order mark; in a value or a file name
// it is a character like any other, and dropping it would name another file or lose text.
QString decodeUtf8(std::string_view bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom |
                                                     QStringDecoder::Flag::Stateless);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

} // namespace

QString CodePage::toQString(std::string_view bytes) const {
    if (id() == 65001) return decodeUtf8(bytes);
    std::u16string u = decode(bytes);
    return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
}

std::optional<std::string> CodePage::fromQString(const QString& text) const {
    if (id() == 65001) {
        QByteArray b = text.toUtf8();
        return std::string(b.constData(), static_cast<size_t>(b.size()));
    }
    return encode(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                      static_cast<size_t>(text.size())));
}

std::string CodePage::fromQStringLossy(const QString& text) const {
    if (auto exact = fromQString(text)) return *exact;
    std::string out;
    for (const QChar c : text) {
        // Surrogate halves and unmappable characters each become one "?".
        auto one = fromQString(QString(c));
        out += one ? *one : std::string("?");
    }
    return out;
}

std::string CodePage::toUtf8(std::string_view bytes) const {
    if (id() == 65001 &&
        QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())).isValidUtf8())
        return std::string(bytes);
    QByteArray b = toQString(bytes).toUtf8();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

std::optional<std::string> CodePage::fromUtf8(std::string_view utf8) const {
    if (!QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())).isValidUtf8())
        return std::nullopt;
    if (id() == 65001) return std::string(utf8);
    return fromQString(decodeUtf8(utf8));
}

std::string CodePage::fromUtf8Lossy(std::string_view utf8) const {
    if (auto exact = fromUtf8(utf8)) return *exact;
    return fromQStringLossy(decodeUtf8(utf8));
}

std::optional<std::string> convertEncoding(std::string_view bytes, const char* from,
                                           const char* to) {
    std::string out;
    if (!convert(to, from, bytes, out, false, {}, 1)) return std::nullopt;
    return out;
}

std::string convertEncodingLossy(std::string_view bytes, const char* from, const char* to,
                                 std::string_view replacement) {
    std::string out;
    const size_t unit = std::string_view(from).substr(0, 6) == "UTF-16" ? 2 : 1;
    convert(to, from, bytes, out, true, replacement, unit);
    return out;
}

int CodePage::compareNoCase(std::string_view a, std::string_view b) const {
    thread_local QCollator collator = [] {
        QCollator c{QLocale::system()};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(toQString(a), toQString(b));
}

} // namespace mv
