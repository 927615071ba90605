#include "header_reader.h"

#include "codepage.h"
#include "crc16.h"
#include "error.h"
#include "file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <functional>
#include <optional>

namespace lha {
namespace {

std::uint16_t u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t u32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

[[noreturn]] void broken(std::uint64_t offset, const std::string& what) {
    throw LhaError(UNLHA_ERROR_HEADER_BROKEN, "damaged archive: " + what + " (entry at offset " +
                                                  std::to_string(offset) + ")");
}

// Reads up to `size` bytes at `offset`: fewer only at the end, -1 with errno on failure.
using ReadAt = std::function<long long(void* buf, std::size_t size, std::uint64_t offset)>;

std::vector<std::uint8_t> readAt(const ReadAt& read, std::uint64_t offset, std::size_t size,
                                 std::uint64_t entry) {
    std::vector<std::uint8_t> buf(size);
    const long long n = read(buf.data(), size, offset);
    if (n < 0)
        throw LhaError(UNLHA_ERROR_ARC_FILE_OPEN, errnoMessage("cannot read the archive", errno));
    if (static_cast<std::size_t>(n) != size) broken(entry, "header runs past the end of the file");
    return buf;
}

bool isMethod(const std::uint8_t* m) {
    return m[0] == '-' && m[4] == '-' && m[1] >= 0x20 && m[1] < 0x7F && m[2] >= 0x20 &&
           m[2] < 0x7F && m[3] >= 0x20 && m[3] < 0x7F;
}

// Facts gathered from extended headers of levels 1 and 2.
struct Extensions {
    std::optional<std::string> name, dir, utf16Name, utf16Dir;
    std::optional<std::uint32_t> codePage;
    std::optional<std::int64_t> unixTime;
    std::optional<std::uint16_t> attribute;
    std::optional<std::uint16_t> headerCrc;
    std::size_t headerCrcAt = 0; // offset of the CRC within the parsed buffer
};

void parseExtension(const std::uint8_t* d, std::size_t size, std::size_t at, Extensions& ext) {
    // d points at the type byte; size counts type, data and the 2-byte next size.
    const std::uint8_t type = d[0];
    const std::uint8_t* data = d + 1;
    const std::size_t n = size - 3;
    auto text = [&] { return std::string(reinterpret_cast<const char*>(data), n); };
    switch (type) {
    case 0x00:
        if (n >= 2) {
            ext.headerCrc = u16(data);
            ext.headerCrcAt = at + 1;
        }
        break;
    case 0x01:
        ext.name = text();
        break;
    case 0x02:
        ext.dir = text();
        break;
    case 0x40:
        if (n >= 2) ext.attribute = u16(data);
        break;
    case 0x44:
        ext.utf16Name = text();
        break;
    case 0x45:
        ext.utf16Dir = text();
        break;
    case 0x46:
        if (n >= 4) ext.codePage = u32(data);
        break;
    case 0x54:
        if (n >= 4) ext.unixTime = static_cast<std::int64_t>(u32(data));
        break;
    default:
        break;
    }
}

const char* charsetForCodePage(std::optional<std::uint32_t> cp) {
    if (!cp) return nullptr;
    switch (*cp) {
    case 932:
        return "CP932";
    case 65001:
        return "UTF-8";
    case 1252:
        return "WINDOWS-1252";
    case 437:
        return "CP437";
    case 850:
        return "CP850";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "BIG5";
    default:
        return nullptr;
    }
}

std::string joinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (name.empty()) return dir;
    return dir + "/" + name;
}

// Path from the name fields of levels 1 and 2: the Unicode fields win when present.
std::string entryPath(const Extensions& ext, const std::string& baseName) {
    const char* charset = charsetForCodePage(ext.codePage);
    std::string dir;
    if (ext.utf16Dir) {
        std::string raw = *ext.utf16Dir;
        for (std::size_t i = 0; i + 1 < raw.size(); i += 2)
            if (static_cast<std::uint8_t>(raw[i]) == 0xFF &&
                static_cast<std::uint8_t>(raw[i + 1]) == 0xFF) {
                raw[i] = '/';
                raw[i + 1] = 0;
            }
        if (auto u = utf16leToUtf8(raw)) dir = decodeStoredPath(*u, "UTF-8");
    }
    if (dir.empty() && ext.dir) dir = decodeStoredPath(*ext.dir, charset);
    std::string name;
    if (ext.utf16Name)
        if (auto u = utf16leToUtf8(*ext.utf16Name)) name = decodeStoredPath(*u, "UTF-8");
    if (name.empty()) name = decodeStoredPath(ext.name ? *ext.name : baseName, charset);
    return joinPath(dir, name);
}

ArchiveEntry readLevel01(const ReadAt& read, std::uint64_t offset, std::uint64_t fileSize,
                         const std::uint8_t* first) {
    const std::size_t hlen = first[0] + 2u;
    const int level = first[20];
    // The fixed part, an empty name and the data CRC.
    if (hlen < 24) broken(offset, "header too short");
    auto h = readAt(read, offset, hlen, offset);
    unsigned sum = 0;
    for (std::size_t i = 2; i < hlen; ++i)
        sum += h[i];
    if ((sum & 0xFF) != h[1])
        throw LhaError(UNLHA_ERROR_HEADER_CRC,
                       "header checksum mismatch at offset " + std::to_string(offset));
    const std::size_t nameLen = h[21];
    if (22 + nameLen + 2 > hlen) broken(offset, "name longer than the header");

    ArchiveEntry e;
    e.offset = offset;
    e.level = level;
    e.method.assign(reinterpret_cast<const char*>(&h[2]), 5);
    e.packedSize = u32(&h[7]);
    e.originalSize = u32(&h[11]);
    e.mtime = dosTimeToUnix(u32(&h[15]));
    e.dosTime = true;
    e.crc = u16(&h[22 + nameLen]);
    const std::string name(reinterpret_cast<const char*>(&h[22]), nameLen);
    std::uint64_t headerEnd = offset + hlen;

    if (level == 0) {
        e.attribute = h[19];
        e.osId = 0;
        const std::size_t extAt = 24 + nameLen;
        // LHa for UNIX: 'U', a minor version, Unix time, mode, uid, gid.
        if (hlen >= extAt + 12 && h[extAt] == 'U') {
            e.mtime = u32(&h[extAt + 2]);
            e.dosTime = false;
            e.osId = 'U';
        }
        e.path = decodeStoredPath(name, nullptr);
        e.dataOffset = headerEnd;
        e.span = hlen + e.packedSize;
    } else {
        if (hlen < 27 + nameLen) broken(offset, "level-1 header too short");
        e.osId = static_cast<char>(h[24 + nameLen]);
        std::size_t next = u16(&h[25 + nameLen]);
        Extensions ext;
        std::uint64_t extTotal = 0;
        std::uint64_t at = headerEnd;
        while (next != 0) {
            if (next < 3) broken(offset, "extended header too small");
            extTotal += next;
            if (extTotal > e.packedSize)
                broken(offset, "extended headers larger than the packed size");
            auto x = readAt(read, at, next, offset);
            parseExtension(x.data(), next, 0, ext);
            at += next;
            next = u16(&x[next - 2]);
        }
        e.packedSize -= extTotal;
        if (ext.attribute) e.attribute = *ext.attribute;
        if (ext.unixTime) {
            e.mtime = *ext.unixTime;
            e.dosTime = false;
        }
        e.path = entryPath(ext, name);
        e.dataOffset = at;
        e.span = hlen + extTotal + e.packedSize;
    }
    e.isDirectory = e.method == "-lhd-";
    if (e.dataOffset + e.packedSize > fileSize)
        broken(offset, "packed data runs past the end of the file");
    return e;
}

ArchiveEntry readLevel2(const ReadAt& read, std::uint64_t offset, std::uint64_t fileSize,
                        const std::uint8_t* first) {
    const std::size_t total = u16(first);
    if (total < 26) broken(offset, "level-2 header too short");
    auto h = readAt(read, offset, total, offset);
    ArchiveEntry e;
    e.offset = offset;
    e.level = 2;
    e.method.assign(reinterpret_cast<const char*>(&h[2]), 5);
    e.packedSize = u32(&h[7]);
    e.originalSize = u32(&h[11]);
    e.mtime = u32(&h[15]);
    e.crc = u16(&h[21]);
    e.osId = static_cast<char>(h[23]);

    Extensions ext;
    std::size_t at = 24; // position of the next-size field
    std::size_t next = u16(&h[at]);
    at += 2;
    while (next != 0) {
        if (next < 3 || at + next > total) broken(offset, "extended header outside the header");
        parseExtension(&h[at], next, at, ext);
        at += next;
        next = u16(&h[at - 2]);
    }
    if (ext.headerCrc) {
        h[ext.headerCrcAt] = h[ext.headerCrcAt + 1] = 0;
        if (crc16(0, h.data(), total) != *ext.headerCrc)
            throw LhaError(UNLHA_ERROR_HEADER_CRC,
                           "header CRC mismatch at offset " + std::to_string(offset));
    }
    if (ext.attribute) e.attribute = *ext.attribute;
    e.path = entryPath(ext, std::string());
    e.isDirectory = e.method == "-lhd-";
    e.dataOffset = offset + total;
    e.span = total + e.packedSize;
    if (e.dataOffset + e.packedSize > fileSize)
        broken(offset, "packed data runs past the end of the file");
    return e;
}

} // namespace

std::string decodeStoredPath(std::string_view bytes, const char* charset) {
    std::string raw(bytes);
    for (char& c : raw)
        if (static_cast<std::uint8_t>(c) == 0xFF) c = '/';
    std::string text;
    if (charset != nullptr)
        text = decodeLossy(raw, charset);
    else if (isValidUtf8(raw))
        text = raw;
    else
        text = decodeLossy(raw, "CP932");
    // After decoding, a backslash is a real separator (CP932 trail bytes are gone).
    std::string out;
    std::string part;
    auto flush = [&] {
        if (!part.empty() && part != ".") {
            if (!out.empty()) out += '/';
            out += part;
        }
        part.clear();
    };
    for (char c : text) {
        if (c == '/' || c == '\\')
            flush();
        else
            part += c;
    }
    flush();
    return out;
}

std::int64_t dosTimeToUnix(std::uint32_t dos) {
    std::tm tm{};
    tm.tm_sec = static_cast<int>((dos & 0x1F) * 2);
    tm.tm_min = static_cast<int>((dos >> 5) & 0x3F);
    tm.tm_hour = static_cast<int>((dos >> 11) & 0x1F);
    tm.tm_mday = static_cast<int>((dos >> 16) & 0x1F);
    tm.tm_mon = static_cast<int>(((dos >> 21) & 0x0F)) - 1;
    tm.tm_year = static_cast<int>((dos >> 25) & 0x7F) + 80;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}

std::uint32_t unixToDosTime(std::int64_t t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    if (tm.tm_year < 80) return (1u << 21) | (1u << 16); // 1980-01-01 00:00:00
    return (static_cast<std::uint32_t>(tm.tm_year - 80) << 25) |
           (static_cast<std::uint32_t>(tm.tm_mon + 1) << 21) |
           (static_cast<std::uint32_t>(tm.tm_mday) << 16) |
           (static_cast<std::uint32_t>(tm.tm_hour) << 11) |
           (static_cast<std::uint32_t>(tm.tm_min) << 5) | static_cast<std::uint32_t>(tm.tm_sec / 2);
}

namespace {

// The archive is a sequence of entries ended by one 0x00 byte at the end of the file (or by the
// end of the file itself). A level-2 header can start with 0x00 too (its size's low byte), so
// that byte is the end only where no level-2 header follows, and nothing may follow the end:
// bytes there would be lost by an update.
std::vector<ArchiveEntry> readEntries(const ReadAt& read, std::uint64_t fileSize) {
    if (fileSize == 0) throw LhaError(UNLHA_ERROR_NOT_ARC_FILE, "not an LHA archive: empty file");
    std::vector<ArchiveEntry> entries;
    std::uint64_t offset = 0;
    while (offset < fileSize) {
        std::uint8_t first[22] = {};
        const long long n = read(first, sizeof first, offset);
        if (n < 0)
            throw LhaError(UNLHA_ERROR_ARC_FILE_OPEN,
                           errnoMessage("cannot read the archive", errno));
        const bool whole = n == static_cast<long long>(sizeof first);
        const bool header = whole && isMethod(&first[2]) && (first[0] != 0 || first[20] == 2);
        if (!header) {
            if (offset == 0) throw LhaError(UNLHA_ERROR_NOT_ARC_FILE, "not an LHA archive");
            if (first[0] != 0) broken(offset, "no entry header where one should start");
            if (offset + 1 != fileSize)
                broken(offset, std::to_string(fileSize - offset - 1) +
                                   " bytes follow the end of the archive");
            break;
        }
        ArchiveEntry e;
        switch (first[20]) {
        case 0:
        case 1:
            e = readLevel01(read, offset, fileSize, first);
            break;
        case 2:
            e = readLevel2(read, offset, fileSize, first);
            break;
        default:
            throw LhaError(UNLHA_ERROR_NOT_SUPPORTED,
                           "header level " + std::to_string(first[20]) + " is not supported");
        }
        offset += e.span;
        entries.push_back(std::move(e));
    }
    return entries;
}

} // namespace

std::vector<ArchiveEntry> readArchive(int fd, std::uint64_t fileSize) {
    return readEntries([fd](void* buf, std::size_t size,
                            std::uint64_t offset) { return preadFull(fd, buf, size, offset); },
                       fileSize);
}

std::vector<ArchiveEntry> readArchive(std::span<const std::uint8_t> bytes) {
    return readEntries(
        [bytes](void* buf, std::size_t size, std::uint64_t offset) -> long long {
            if (offset >= bytes.size()) return 0;
            const std::size_t n = std::min<std::size_t>(size, bytes.size() - offset);
            std::memcpy(buf, bytes.data() + offset, n);
            return static_cast<long long>(n);
        },
        bytes.size());
}

} // namespace lha
