// Decoder for the -lh5-, -lh6- and -lh7- bit streams (same layout, different window), used
// to verify archives. Strict: incomplete codes, bad counts and truncated input are errors.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lha {

// Appends `originalSize` decoded bytes to `out`. dictBits: 13 for -lh5-, 15 -lh6-, 16 -lh7-.
// Returns false and sets `error` on malformed input.
bool decodeLzh(unsigned dictBits, std::span<const std::uint8_t> packed, std::uint64_t originalSize,
               std::vector<std::uint8_t>& out, std::string& error);

} // namespace lha
