#include "read_fixtures.h"

#include "bit_writer.h"
#include "crc16.h"

#include <algorithm>

namespace lha::test {
namespace {

void put16(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, std::uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}
std::string extension(const Ext& e) {
    std::string s(1, static_cast<char>(e.type));
    s += e.data;
    return s;
}

} // namespace

namespace {

std::string level2(const char* method, const std::string& name, const std::string& data,
                   std::uint32_t originalSize, std::uint16_t crc, std::size_t headerSize, char osId,
                   std::uint32_t mtime, const std::vector<Ext>& extra) {
    std::vector<Ext> ext = {{0x00, std::string(2, '\0')}, {0x01, name}};
    ext.insert(ext.end(), extra.begin(), extra.end());
    std::size_t size = 26;
    for (const Ext& e : ext)
        size += 3 + e.data.size();
    if (headerSize != 0) ext.push_back({0x3F, std::string(headerSize - size - 3, 'x')});

    std::string h;
    put16(h, 0);
    h += method;
    put32(h, static_cast<std::uint32_t>(data.size()));
    put32(h, originalSize);
    put32(h, mtime);
    h += '\x20';
    h += '\x02';
    put16(h, crc);
    h += osId;
    for (const Ext& e : ext) {
        put16(h, static_cast<std::uint32_t>(3 + e.data.size()));
        h += extension(e);
    }
    put16(h, 0);
    h[0] = static_cast<char>(h.size() & 0xFF);
    h[1] = static_cast<char>(h.size() >> 8);
    fixLevel2Crc(h, 0);
    return h + data;
}

} // namespace

std::string level2Entry(const std::string& name, const std::string& data, std::size_t headerSize,
                        char osId, std::uint32_t mtime, const std::vector<Ext>& extra) {
    return level2("-lh0-", name, data, static_cast<std::uint32_t>(data.size()),
                  crc16(0, data.data(), data.size()), headerSize, osId, mtime, extra);
}

std::string level2Packed(const std::string& name, const std::vector<std::uint8_t>& packed,
                         std::uint32_t originalSize, std::uint16_t crc) {
    return level2("-lh5-", name, std::string(packed.begin(), packed.end()), originalSize, crc, 0,
                  'M', 0, {});
}

std::vector<std::uint8_t> bombBlocks(unsigned blocks, std::size_t padTo) {
    std::vector<std::uint8_t> v;
    BitWriter w(v);
    for (unsigned i = 0; i < blocks; ++i) {
        w.put(0xFFFF, 16);
        w.put(0, 5), w.put(0, 5);   // T: one symbol
        w.put(0, 9), w.put(509, 9); // C: the match of 256 bytes
        w.put(0, 4), w.put(0, 4);   // P: distance 1
    }
    w.flush();
    v.resize(std::max(v.size(), padTo), 0);
    return v;
}

std::string level01Entry(int level, const std::string& name, const std::string& data,
                         std::uint32_t dosTime, char osId, const std::vector<Ext>& ext) {
    std::string exts;
    for (const Ext& e : ext) {
        put16(exts, static_cast<std::uint32_t>(3 + e.data.size()));
        exts += extension(e);
    }
    if (!ext.empty()) exts.erase(0, 2); // the first size sits in the base header
    std::string h = "..-lh0-";
    put32(h, static_cast<std::uint32_t>(data.size() + exts.size() + (ext.empty() ? 0 : 2)));
    put32(h, static_cast<std::uint32_t>(data.size()));
    put32(h, dosTime);
    h += '\x20'; // attribute (level 0) or the level-1 marker
    h += static_cast<char>(level);
    h += static_cast<char>(name.size());
    h += name;
    put16(h, crc16(0, data.data(), data.size()));
    if (level == 1) {
        h += osId;
        put16(h, ext.empty() ? 0 : static_cast<std::uint32_t>(3 + ext[0].data.size()));
        if (!ext.empty()) put16(exts, 0);
    }
    h[0] = static_cast<char>(h.size() - 2);
    fixLevel01Checksum(h, 0);
    return h + exts + data;
}

void fixLevel01Checksum(std::string& a, std::size_t at) {
    const std::size_t len = static_cast<std::uint8_t>(a[at]) + 2u;
    unsigned sum = 0;
    for (std::size_t i = 2; i < len; ++i)
        sum += static_cast<std::uint8_t>(a[at + i]);
    a[at + 1] = static_cast<char>(sum & 0xFF);
}

void fixLevel2Crc(std::string& a, std::size_t at) {
    const std::size_t size =
        static_cast<std::uint8_t>(a[at]) | (static_cast<std::uint8_t>(a[at + 1]) << 8);
    a[at + 27] = a[at + 28] = 0;
    const std::uint16_t crc = crc16(0, a.data() + at, size);
    a[at + 27] = static_cast<char>(crc & 0xFF);
    a[at + 28] = static_cast<char>(crc >> 8);
}

std::vector<std::uint8_t> bytesOf(const std::string& s) {
    return {s.begin(), s.end()};
}

} // namespace lha::test
