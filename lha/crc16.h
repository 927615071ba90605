// CRC-16/ARC as used for LHA entry data and level-2 header checks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lha {

// Continues a CRC over `data`; start with 0.
std::uint16_t crc16(std::uint16_t crc, const void* data, std::size_t size);

} // namespace lha
