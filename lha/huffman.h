// Length-limited Huffman code lengths and canonical codes for the -lh5- tables.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace lha {

constexpr unsigned kMaxCodeLength = 16;

// Code lengths (0 = unused) for the given symbol frequencies, none longer than maxLength.
// With two or more used symbols the code is complete; with one, that symbol gets length 0
// (callers send such a table in its one-symbol form).
std::vector<std::uint8_t> buildCodeLengths(std::span<const std::uint32_t> freq,
                                           unsigned maxLength = kMaxCodeLength);
// The same into `lengths` (freq.size() entries), without allocating the result.
void buildCodeLengths(std::span<const std::uint32_t> freq, std::span<std::uint8_t> lengths,
                      unsigned maxLength = kMaxCodeLength);

// Canonical codes for the lengths: shorter codes first, then by symbol.
std::vector<std::uint16_t> canonicalCodes(std::span<const std::uint8_t> lengths);
void canonicalCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes);

} // namespace lha
