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
        {kBuffer, 100, 1000},     // the reproducer: 270,592 bytes, match to the end
        {kBuffer, 127, 8191},     // longest match still searched lazily, farthest distance
        {kBuffer, 128, 5},        // just past the lazy limit
        {kBuffer, 3, 1},          // shortest match
        {kBuffer - 1, 100, 1000}, // one byte short of the buffer
        {kBuffer + 1, 100, 1000}, // one byte over: the last byte comes in a second fill
        {2 * kBuffer, 255, 4096}, // at the end of a later fill
    };
    for (const Case& c : cases)
        EXPECT_TRUE(roundTrips(endingInMatch(c.size, c.tail, c.distance)))
            << c.size << " " << c.tail << " " << c.distance;
}

TEST(Lh5EncoderEdges, EveryRunOfUnusedCodeLengths) {
    // Literals spaced `gap` apart leave runs of gap - 1 unused C symbols, each sent in its own
    // form: one or two zeros singly, 3-18 as one count, 19 as a zero and a count of 18, 20 and
    // more as a long count.
    for (const unsigned gap : {2u, 3u, 4u, 18u, 19u, 20u, 21u, 60u}) {
        std::mt19937 gen(gap);
        std::vector<std::uint8_t> in(20000);
        const unsigned values = 255 / gap + 1;
        for (auto& b : in)
            b = static_cast<std::uint8_t>(gen() % values * gap);
        EXPECT_TRUE(roundTrips(in)) << "gap " << gap;
    }
}

// A sink that fails once `limit` bytes have come, as the archive's sink does when packing
// does not pay.
struct FullSink : VectorSink {
    std::size_t limit;
    explicit FullSink(std::size_t l) : limit(l) {}
    void write(const std::uint8_t* d, std::size_t n) override {
        if (bytes.size() + n > limit) throw std::runtime_error("full");
        VectorSink::write(d, n);
    }
};

TEST(Lh5EncoderEdges, AnAbandonedStreamLeavesNothingBehind) {
    // After a stream given up half-way (its sink failed), the next one is the same as from a
    // fresh encoder: no pending bits, bytes, symbols or counts carried over.
    const auto text = fixtures::generateText(50000, 6);
    const std::vector<std::uint8_t> next(text.begin(), text.end());
    const auto reference = encode(next);
    for (const std::size_t limit : {0u, 1u, 100u, 5000u}) {
        Lh5Encoder enc;
        FullSink full(limit);
        const auto noise = randomBytes(300000, static_cast<std::uint32_t>(limit));
        EXPECT_THROW(
            {
                enc.begin(full, noise.size());
                enc.write(noise.data(), noise.size());
                enc.finish();
            },
            std::runtime_error);
        VectorSink sink;
        enc.begin(sink, next.size());
        enc.write(next.data(), next.size());
        enc.finish();
        EXPECT_EQ(sink.bytes, reference) << "limit " << limit;
    }
}

} // namespace
} // namespace lha
