// Hand-made archive entries for the reader tests: every header field under the test's control,
// so that each integrity check can be hit exactly and just missed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lha::test {

// An extended header: type and data (its size and the next-size field are added).
struct Ext {
    std::uint8_t type;
    std::string data;
};

// A level-2 entry of stored data. `headerSize`, when set, pads the header to that size with
// an ignored extended header; the common header (type 0x00) carries the header CRC.
std::string level2Entry(const std::string& name, const std::string& data,
                        std::size_t headerSize = 0, char osId = 'M', std::uint32_t mtime = 0,
                        const std::vector<Ext>& extra = {});

// A level-2 -lh5- entry of the given packed stream.
std::string level2Packed(const std::string& name, const std::vector<std::uint8_t>& packed,
                         std::uint32_t originalSize, std::uint16_t crc);

// A -lh5- stream of blocks with one C and one P symbol each: such a block costs 52 bits and
// yields 65535 matches of 256 spaces, the most any stream yields per bit. Zero-padded to
// `padTo` bytes.
std::vector<std::uint8_t> bombBlocks(unsigned blocks, std::size_t padTo = 0);

// A level-0 or level-1 entry of stored data with a DOS time stamp; level 1 puts `ext` after
// the base header and counts it in the packed size.
std::string level01Entry(int level, const std::string& name, const std::string& data,
                         std::uint32_t dosTime = 0x56EF6000, char osId = 'M',
                         const std::vector<Ext>& ext = {});

// Recomputes the checksum of the level-0/1 header at `at` / the CRC of the level-2 header at
// `at` (with its common extended header first, as level2Entry writes it).
void fixLevel01Checksum(std::string& archive, std::size_t at);
void fixLevel2Crc(std::string& archive, std::size_t at);

std::vector<std::uint8_t> bytesOf(const std::string& s);

} // namespace lha::test
