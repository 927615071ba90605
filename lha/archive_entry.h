// What the archive reader learns about one entry of an existing archive.
#pragma once

#include <cstdint>
#include <string>

namespace lha {

struct ArchiveEntry {
    std::uint64_t offset = 0;     // first header byte in the archive
    std::uint64_t span = 0;       // header and data: the bytes copied when kept
    std::uint64_t dataOffset = 0; // first packed byte
    std::uint64_t packedSize = 0; // packed data only (level 1: without its ext headers)
    std::uint64_t originalSize = 0;
    std::string method; // "-lh5-", "-lh0-", "-lhd-", ...
    int level = 0;
    std::uint16_t crc = 0; // CRC-16 of the original data
    char osId = 0;
    std::string path; // UTF-8, "/" between folders, no leading "/"
    bool isDirectory = false;
    std::int64_t mtime = 0; // Unix seconds
    bool dosTime = false;   // mtime came from a 2-second local DOS time stamp
    std::uint16_t attribute = 0x20;
};

} // namespace lha
