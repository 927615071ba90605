// -lh5- compressor: LZSS over the 8 KiB window with hash chains and lazy matching, coded in
// blocks with static Huffman tables built per block.
#pragma once

#include "bit_writer.h"
#include "byte_sink.h"
#include "lh5_format.h"

#include <array>
#include <cstdint>
#include <vector>

namespace lha {

struct Lh5Tuning {
    unsigned maxChain = 96;        // hash-chain steps per search
    unsigned goodLength = 24;      // a previous match this long quarters the next search
    unsigned niceLength = 160;     // stop searching once a match is this long
    unsigned maxLazy = 128;        // do not look for a better match after one this long
    unsigned blockSymbols = 65535; // symbols per Huffman block: the most the format allows
};

class Lh5Encoder {
public:
    explicit Lh5Encoder(const Lh5Tuning& tuning = {});

    // Starts a new stream into `out`. One encoder packs many files without reallocating.
    // `sizeHint`, the input size when known, lets small inputs use a smaller hash.
    void begin(ByteSink& out, std::uint64_t sizeHint = 0);
    void write(const std::uint8_t* data, std::size_t size);
    // Codes what is left and pads the last byte; the encoder is spent afterwards.
    void finish();

    // Packed bytes handed to the sink so far.
    std::uint64_t packedSize() const { return packed_; }

private:
    void compress(bool final);
    void slide();
    void rebase();
    std::uint32_t insertHash(std::uint32_t pos);
    unsigned longestMatch(std::uint32_t pos, std::uint32_t chainHead, unsigned prevLength,
                          unsigned& distance) const;
    unsigned matchBits(unsigned length, unsigned distance) const;
    bool laterMatchPays(unsigned length, unsigned distance) const;
    bool worthMatching(std::uint32_t pos, unsigned length, unsigned distance) const;
    void emitLiteral(std::uint8_t byte);
    void emitMatch(unsigned length, unsigned distance);
    void writeBlock(bool last = false);
    void drain();

    ByteSink* out_ = nullptr;
    Lh5Tuning tuning_;

    // Input buffer; absolute stream position p lives at buf_[p - base_].
    std::vector<std::uint8_t> buf_;
    std::uint32_t base_ = 0;
    std::uint32_t pos_ = 0;    // next position to code
    std::uint32_t end_ = 0;    // end of buffered input
    std::uint32_t hashed_ = 0; // positions below this are in the hash chains

    std::vector<std::uint32_t> head_; // newest position + 1 per hash, 0 when none
    unsigned hashBits_ = 15;
    std::vector<std::uint32_t> prev_; // previous position + 1, indexed by position % window

    // Lazy-matching state carried between calls.
    bool pending_ = false;
    unsigned prevLength_ = 0;
    unsigned prevDistance_ = 0;

    // Symbols of the block being collected.
    std::vector<std::uint16_t> syms_;  // C symbols
    std::vector<std::uint16_t> dists_; // distance - 1 per match, in order
    std::array<std::uint32_t, lh5::kNumC> cFreq_{};
    std::array<std::uint32_t, lh5::kNumP> pFreq_{};
    unsigned cMax_ = 0;            // largest C symbol in the block
    std::uint64_t blockBytes_ = 0; // input bytes the block's symbols cover
    unsigned bitsPerByte16_ = 64;  // packed bits per input byte in the last block, times 16

    // Bit costs from the previous block, used to skip matches dearer than their literals.
    std::array<std::uint8_t, lh5::kNumC> cCost_{};
    std::array<std::uint8_t, lh5::kNumP> pCost_{};

    std::vector<std::uint8_t> bytes_;
    BitWriter bits_{bytes_};
    std::uint64_t packed_ = 0;
    bool finished_ = true;
};

} // namespace lha
