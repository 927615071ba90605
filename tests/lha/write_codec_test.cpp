// The -lh5- encoder at the edges of its input buffer and its window, checked by decoding.
// Run under AddressSanitizer, the buffer-edge cases also catch reads past the input.
#include "fixtures/corpus.h"
#include "lh5_decoder.h"
#include "lh5_encoder.h"

#include <gtest/gtest.h>

#include <random>

namespace lha {
namespace {

struct VectorSink : ByteSink {
    std::vector<std::uint8_t> bytes;
    void write(const std::uint8_t* d, std::size_t n) override {
        bytes.insert(bytes.end(), d, d + n);
    }
};

std::vector<std::uint8_t> encode(const std::vector<std::uint8_t>& in, std::uint64_t sizeHint = 0) {
    VectorSink sink;
    Lh5Encoder enc;
    enc.begin(sink, sizeHint);
    enc.write(in.data(), in.size());
    enc.finish();
    return sink.bytes;
}

bool roundTrips(const std::vector<std::uint8_t>& in, std::uint64_t sizeHint = 0) {
    std::vector<std::uint8_t> out;
    std::string error;
    return decodeLzh(13, encode(in, sizeHint), in.size(), out, error) && out == in;
}

std::vector<std::uint8_t> randomBytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(gen());
    return v;
}

// Random bytes whose last `tail` bytes repeat bytes from `distance` earlier, so that the
// input ends inside a match.
std::vector<std::uint8_t> endingInMatch(std::size_t size, std::size_t tail, std::size_t distance) {
    auto v = randomBytes(size, static_cast<std::uint32_t>(size + tail));
    for (std::size_t i = size - tail; i < size; ++i)
        v[i] = v[i - distance];
    return v;
}

// The encoder's input buffer: one window, one 256 KiB chunk and one longest match.
constexpr std::size_t kBuffer = 8192 + 256 * 1024 + 256;

TEST(Lh5EncoderEdges, InputsEndingInAMatchAtTheBufferEnd) {
    // The lazy search after a match reaching the end of the input used to compare a byte
    // past it; with the input exactly filling the buffer that byte lay outside the heap block.
    struct Case {
        std::size_t size, tail, distance;
    };
    const Case cases[] = {
        {kBuffer, 100, 1000},      // the reproducer: 270,592 bytes, match to the end
        {kBuffer, 127, 8191},      // longest match still searched lazily, farthest distance
        {kBuffer, 128, 5},         // just past the lazy limit
        {kBuffer, 3, 1},           // shortest match
        {kBuffer - 1, 100, 1000},  // one byte short of the buffer
        {kBuffer + 1, 100, 1000},  // one byte over: the last byte comes in a second fill
        {2 * kBuffer, 255, 4096},  // at the end of a later fill
    };
    for (const Case& c : cases)
        EXPECT_TRUE(roundTrips(endingInMatch(c.size, c.tail, c.distance)))
            << c.size << " " << c.tail << " " << c.distance;
}

} // namespace
} // namespace lha
