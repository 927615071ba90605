// Most-significant-bit-first bit packing into a byte vector, as -lh5- streams are written.
#pragma once

#include <cstdint>
#include <vector>

namespace lha {

class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    // Appends the low `count` bits of `value` (count <= 32).
    void put(std::uint32_t value, unsigned count) {
        if (count == 0) return;
        acc_ = (acc_ << count) | (value & ((std::uint64_t{1} << count) - 1));
        bits_ += count;
        while (bits_ >= 8) {
            bits_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(acc_ >> bits_));
        }
    }

    // Pads with zero bits to the next byte boundary.
    void flush() {
        if (bits_ > 0) put(0, 8 - bits_);
        acc_ = 0;
    }

    // Forgets buffered bits (the byte vector is the caller's to clear).
    void reset() {
        acc_ = 0;
        bits_ = 0;
    }

    std::uint64_t bitCount() const { return out_.size() * 8ull + bits_; }

private:
    std::vector<std::uint8_t>& out_;
    std::uint64_t acc_ = 0;
    unsigned bits_ = 0;
};

} // namespace lha
