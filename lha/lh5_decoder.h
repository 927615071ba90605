// Decoder for the -lh5-, -lh6- and -lh7- bit streams (same layout, different window), used
// to verify archives. Strict: incomplete codes, bad counts and truncated input are errors.
// It streams: memory is one window and one input buffer, whatever size the entry claims.
#pragma once

#include "byte_sink.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lha {

// Where packed bytes come from: read() fills up to `max` bytes and returns how many, 0 only
// at the end; it may throw (LhaError) on a read error.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t read(std::uint8_t* buf, std::size_t max) = 0;
};

// The most bytes `packedSize` bytes of such a stream can decode to: every block costs at
// least 43 bits and yields at most 65535 matches of 256 bytes.
std::uint64_t maxDecodedSize(std::uint64_t packedSize);

// Decodes `originalSize` bytes from the `packedSize` bytes of `in` into `out`, in pieces of
// at most one window. dictBits: 13 for -lh5-, 15 -lh6-, 16 -lh7-. Returns false and sets
// `error` on malformed input, at once when `originalSize` exceeds maxDecodedSize(packedSize).
bool decodeLzh(unsigned dictBits, ByteSource& in, std::uint64_t packedSize,
               std::uint64_t originalSize, ByteSink& out, std::string& error);

// The same for packed data in memory, appending to `out` (left as it was on failure).
bool decodeLzh(unsigned dictBits, std::span<const std::uint8_t> packed, std::uint64_t originalSize,
               std::vector<std::uint8_t>& out, std::string& error);

} // namespace lha
