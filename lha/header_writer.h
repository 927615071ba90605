// Builds level-2 entry headers as Windows tools write them: CP932 names, code page 932 for
// names that are not plain ASCII, and the exact names in UTF-16LE for names that CP932
// cannot spell (there the CP932 fields show "_").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lha {

struct NewHeader {
    char method[6] = "-lh0-";
    std::uint32_t packedSize = 0;
    std::uint32_t originalSize = 0;
    std::uint32_t mtime = 0; // Unix seconds
    std::uint16_t crc = 0;
    std::uint16_t attribute = 0x20; // DOS attribute; 0x20 (archive) is not written
    std::string path;               // UTF-8, "/" between folders, file name last
    bool isDirectory = false;       // then `path` is the folder and the name field is empty
};

constexpr char kOsId = 'M';

// The complete header; its size depends only on the path and attribute (never on sizes,
// time or CRC), so a header built with zero sizes reserves exactly the room of the final one.
// Throws LhaError when the header would exceed 65535 bytes.
std::vector<std::uint8_t> buildLevel2Header(const NewHeader& h);

// Fills in what is known only after packing (method, sizes, data CRC) in a header made by
// buildLevel2Header, and renews its header CRC.
void completeLevel2Header(std::vector<std::uint8_t>& header, const char* method,
                          std::uint32_t packedSize, std::uint32_t originalSize, std::uint16_t crc);

} // namespace lha
