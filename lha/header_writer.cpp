#include "header_writer.h"

#include "codepage.h"
#include "crc16.h"
#include "error.h"

#include <algorithm>
#include <string_view>

namespace lha {
namespace {

void put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// Appends one extended header; the caller's previous next-size field gets its size.
void addExtension(std::vector<std::uint8_t>& b, std::size_t& nextSizeAt, std::uint8_t type,
                  std::string_view data) {
    const std::size_t size = 1 + data.size() + 2;
    if (size > 0xFFFF) throw LhaError(UNLHA_ERROR_LONG_NAME, "name too long for an entry header");
    b[nextSizeAt] = static_cast<std::uint8_t>(size);
    b[nextSizeAt + 1] = static_cast<std::uint8_t>(size >> 8);
    b.push_back(type);
    b.insert(b.end(), data.begin(), data.end());
    nextSizeAt = b.size();
    put16(b, 0);
}

} // namespace

namespace {

struct Spelled {
    std::string cp932;
    bool exact = true; // false when "_" stands for characters CP932 lacks
};

Spelled spell(std::string_view part) {
    if (isAscii(part)) return {std::string(part), true};
    if (auto exact = fromUtf8(part, CodePage::Cp932)) return {*exact, true};
    return {utf8ToCp932Lossy(part), false};
}

template <typename F> void forEachFolder(std::string_view dir, F f) {
    std::size_t start = 0;
    while (start < dir.size()) {
        auto end = dir.find('/', start);
        if (end == std::string_view::npos) end = dir.size();
        f(dir.substr(start, end - start));
        start = end + 1;
    }
}

// The folder field: each folder followed by 0xFF, the last one too. Files of one folder
// usually come one after another, so the last spelling is kept.
const Spelled& spellFolders(const std::string& dir) {
    thread_local std::string lastDir;
    thread_local Spelled last;
    if (dir != lastDir || dir.empty()) {
        last = Spelled{};
        forEachFolder(dir, [&](std::string_view part) {
            const Spelled p = spell(part);
            last.cp932 += p.cp932;
            last.cp932 += '\xFF';
            last.exact = last.exact && p.exact;
        });
        lastDir = dir;
    }
    return last;
}

std::string foldersUtf16(std::string_view dir) {
    std::string u;
    forEachFolder(dir, [&](std::string_view part) {
        u += utf8ToUtf16le(part);
        u += "\xFF\xFF";
    });
    return u;
}

std::vector<std::uint8_t> build(const NewHeader& h, bool sizeFiller) {
    std::string dir, name;
    if (h.isDirectory) {
        dir = h.path;
    } else {
        const auto slash = h.path.rfind('/');
        if (slash != std::string::npos) {
            dir = h.path.substr(0, slash);
            name = h.path.substr(slash + 1);
        } else {
            name = h.path;
        }
    }

    std::vector<std::uint8_t> b;
    b.reserve(64 + 4 * h.path.size());
    put16(b, 0); // total size, set at the end
    b.insert(b.end(), h.method, h.method + 5);
    put32(b, h.packedSize);
    put32(b, h.originalSize);
    put32(b, h.mtime);
    b.push_back(0x20);
    b.push_back(2);
    put16(b, h.crc);
    b.push_back(static_cast<std::uint8_t>(kOsId));
    std::size_t next = b.size();
    put16(b, 0);

    addExtension(b, next, 0x00, std::string_view("\0\0", 2));
    const std::size_t crcAt = next - 2;
    const Spelled spelledName = spell(name);
    addExtension(b, next, 0x01, spelledName.cp932);
    const Spelled& spelledDir = spellFolders(dir);
    if (!dir.empty()) addExtension(b, next, 0x02, spelledDir.cp932);
    if (!isAscii(h.path)) {
        addExtension(b, next, 0x46, std::string_view("\xA4\x03\x00\x00", 4)); // 932
        // With the code page given, the CP932 fields already carry every name they can
        // spell exactly; the UTF-16 fields are added for the names they cannot.
        if (!spelledName.exact || !spelledDir.exact) {
            addExtension(b, next, 0x44, utf8ToUtf16le(name));
            if (!dir.empty()) addExtension(b, next, 0x45, foldersUtf16(dir));
        }
    }
    if (h.attribute != 0x20 || sizeFiller) {
        const char attr[2] = {static_cast<char>(h.attribute & 0xFF),
                              static_cast<char>(h.attribute >> 8)};
        addExtension(b, next, 0x40, std::string_view(attr, 2));
    }
    if (sizeFiller && h.attribute != 0x20) {
        const char t[4] = {static_cast<char>(h.mtime), static_cast<char>(h.mtime >> 8),
                           static_cast<char>(h.mtime >> 16), static_cast<char>(h.mtime >> 24)};
        addExtension(b, next, 0x54, std::string_view(t, 4));
    }
    if (b.size() > 0xFFFF)
        throw LhaError(UNLHA_ERROR_LONG_NAME, "name too long for an entry header: " + h.path);
    b[0] = static_cast<std::uint8_t>(b.size());
    b[1] = static_cast<std::uint8_t>(b.size() >> 8);
    const std::uint16_t crc = crc16(0, b.data(), b.size());
    b[crcAt] = static_cast<std::uint8_t>(crc);
    b[crcAt + 1] = static_cast<std::uint8_t>(crc >> 8);
    return b;
}

void store16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void store32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    store16(b, at, v & 0xFFFF);
    store16(b, at + 2, v >> 16);
}

} // namespace

void completeLevel2Header(std::vector<std::uint8_t>& b, const char* method,
                          std::uint32_t packedSize, std::uint32_t originalSize, std::uint16_t crc) {
    std::copy(method, method + 5, b.begin() + 2);
    store32(b, 7, packedSize);
    store32(b, 11, originalSize);
    store16(b, 21, crc);
    // The common extended header comes first: type at 26, its CRC at 27.
    store16(b, 27, 0);
    store16(b, 27, crc16(0, b.data(), b.size()));
}

std::vector<std::uint8_t> buildLevel2Header(const NewHeader& h) {
    auto b = build(h, false);
    // A size with a zero low byte would make the header start with 0x00, the end marker.
    // The format's remedy, a padding byte counted in the size, is ignored by 7-Zip, which
    // then reads the padding as data; an extra extended header that repeats what the entry
    // already says (its attribute, else its time) moves the size off the boundary instead.
    if ((b.size() & 0xFF) == 0) b = build(h, true);
    return b;
}

} // namespace lha
