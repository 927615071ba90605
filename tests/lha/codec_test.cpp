// CRC-16, Huffman code construction and the -lh5- encoder against our strict decoder.
#include "crc16.h"
#include "fixtures/corpus.h"
#include "huffman.h"
#include "lh5_decoder.h"
#include "lh5_encoder.h"
#include "read_fixtures.h"

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

std::vector<std::uint8_t> encode(const std::vector<std::uint8_t>& in, const Lh5Tuning& t = {},
                                 std::size_t chunk = 0) {
    VectorSink sink;
    Lh5Encoder enc(t);
    enc.begin(sink);
    if (chunk == 0) chunk = in.size() + 1;
    for (std::size_t i = 0; i < in.size(); i += chunk)
        enc.write(in.data() + i, std::min(chunk, in.size() - i));
    enc.finish();
    EXPECT_EQ(enc.packedSize(), sink.bytes.size());
    return sink.bytes;
}

std::vector<std::uint8_t> decode(const std::vector<std::uint8_t>& packed, std::size_t size) {
    std::vector<std::uint8_t> out;
    std::string error;
    EXPECT_TRUE(decodeLzh(13, packed, size, out, error)) << error;
    return out;
}

std::vector<std::uint8_t> bytesOf(const std::string& s) {
    return {s.begin(), s.end()};
}

std::vector<std::uint8_t> randomBytes(std::size_t n, std::uint32_t seed, unsigned alphabet = 256) {
    std::mt19937 gen(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(gen() % alphabet);
    return v;
}

TEST(Crc16, CheckValueAndIncrementalUse) {
    EXPECT_EQ(crc16(0, "123456789", 9), 0xBB3D);
    EXPECT_EQ(crc16(0, "", 0), 0);
    // The word-at-a-time path must agree with byte-wise continuation at every split.
    const auto data = randomBytes(1031, 7);
    const std::uint16_t whole = crc16(0, data.data(), data.size());
    for (std::size_t split : {1u, 2u, 3u, 4u, 5u, 511u, 1030u})
        EXPECT_EQ(crc16(crc16(0, data.data(), split), data.data() + split, data.size() - split),
                  whole)
            << split;
}

unsigned long long kraftSum(const std::vector<std::uint8_t>& lengths) {
    unsigned long long sum = 0;
    for (auto l : lengths)
        if (l) sum += 1ull << (kMaxCodeLength - l);
    return sum;
}

TEST(Huffman, LengthsAreLimitedAndComplete) {
    // Fibonacci frequencies make the unrestricted tree as deep as there are symbols.
    std::vector<std::uint32_t> fib(40);
    fib[0] = fib[1] = 1;
    for (std::size_t i = 2; i < fib.size(); ++i)
        fib[i] = fib[i - 1] + fib[i - 2];
    std::mt19937 gen(3);
    std::vector<std::vector<std::uint32_t>> cases = {fib, {5, 0, 0, 9}, {1, 1}};
    for (int k = 0; k < 20; ++k) {
        std::vector<std::uint32_t> f(510);
        for (auto& x : f)
            x = gen() % 3 == 0 ? 0 : 1u << (gen() % 24);
        cases.push_back(f);
    }
    for (const auto& freq : cases) {
        const auto len = buildCodeLengths(freq);
        for (std::size_t i = 0; i < freq.size(); ++i) {
            EXPECT_LE(len[i], kMaxCodeLength);
            EXPECT_EQ(len[i] == 0, freq[i] == 0) << i;
        }
        EXPECT_EQ(kraftSum(len), 1ull << kMaxCodeLength);
        // A more frequent symbol never gets a longer code.
        for (std::size_t i = 0; i < freq.size(); ++i) {
            for (std::size_t j = 0; j < freq.size(); ++j) {
                if (freq[i] > freq[j] && freq[j] > 0) {
                    ASSERT_LE(len[i], len[j]);
                }
            }
        }
    }
    EXPECT_EQ(buildCodeLengths(std::vector<std::uint32_t>{0, 4, 0}),
              (std::vector<std::uint8_t>{0, 0, 0}));
}

TEST(Huffman, CanonicalCodesArePrefixFreeShortFirst) {
    const std::vector<std::uint8_t> len = {3, 3, 3, 3, 3, 2, 4, 4};
    const auto code = canonicalCodes(len);
    // RFC-1951 style canonical assignment: the example of that document.
    EXPECT_EQ(code, (std::vector<std::uint16_t>{2, 3, 4, 5, 6, 0, 14, 15}));
}

TEST(Lh5Codec, RoundTripsAssortedInputs) {
    const std::string text = fixtures::generateText(300000, 5);
    std::vector<std::vector<std::uint8_t>> inputs = {
        bytesOf("a"),
        bytesOf("ab"),                           // two literals: a one-symbol T table
        bytesOf("abababababababababababababab"), // overlapping match
        std::vector<std::uint8_t>(100000, 0),    // runs of maximal matches
        randomBytes(70000, 1),                   // incompressible
        randomBytes(200000, 2, 4),               // small alphabet, many short matches
        bytesOf(text),
    };
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<std::uint8_t>(i);
    inputs.push_back(all);
    for (const auto& in : inputs) {
        const auto packed = encode(in);
        EXPECT_EQ(decode(packed, in.size()), in) << "size " << in.size();
    }
    // Text shrinks to well under half, zeros to almost nothing.
    EXPECT_LT(encode(bytesOf(text)).size(), text.size() * 45 / 100);
    EXPECT_LT(encode(std::vector<std::uint8_t>(100000, 0)).size(), 200u);
}

TEST(Lh5Codec, MatchesAtTheWindowEdge) {
    // A block of 8191 bytes repeated: every match lies at the farthest distance the encoder
    // uses.
    auto block = randomBytes(8191, 11);
    std::vector<std::uint8_t> in;
    for (int i = 0; i < 4; ++i)
        in.insert(in.end(), block.begin(), block.end());
    const auto packed = encode(in);
    EXPECT_EQ(decode(packed, in.size()), in);
    EXPECT_LT(packed.size(), in.size() / 3);
}

TEST(Lh5Codec, ShortBlocksAndOneSymbolTables) {
    // Small blocks force block boundaries inside runs, where a block holds a single C and P
    // symbol (tables sent in their one-symbol form).
    Lh5Tuning t;
    t.blockSymbols = 1024;
    std::vector<std::uint8_t> in(1024 * 256 * 3, 'z');
    auto text = fixtures::generateText(100000, 9);
    in.insert(in.end(), text.begin(), text.end());
    EXPECT_EQ(decode(encode(in, t), in.size()), in);
}

TEST(Lh5Codec, OutputDoesNotDependOnWriteSizesOrReuse) {
    auto in = bytesOf(fixtures::generateText(700000, 4)); // more than one input buffer
    const auto reference = encode(in);
    EXPECT_EQ(encode(in, {}, 1), reference);
    EXPECT_EQ(encode(in, {}, 4093), reference);

    // One encoder packing several streams gives each the same bytes as a fresh encoder.
    VectorSink a, b;
    Lh5Encoder enc;
    enc.begin(a);
    auto other = randomBytes(5000, 8, 16);
    enc.write(other.data(), other.size());
    enc.finish();
    enc.begin(b);
    enc.write(in.data(), in.size());
    enc.finish();
    EXPECT_EQ(b.bytes, reference);
    EXPECT_EQ(a.bytes, encode(other));
}

TEST(Lh5Decoder, RejectsDamagedStreams) {
    const auto in = bytesOf(fixtures::generateText(20000, 2));
    const auto packed = encode(in);
    std::vector<std::uint8_t> out;
    std::string error;
    // Truncated.
    std::vector<std::uint8_t> cut(packed.begin(), packed.begin() + packed.size() / 2);
    EXPECT_FALSE(decodeLzh(13, cut, in.size(), out, error));
    EXPECT_TRUE(out.empty());
    // Flipped bits either fail or decode to other data; never crash, never hang.
    std::mt19937 gen(1);
    int detected = 0;
    for (int k = 0; k < 200; ++k) {
        auto bad = packed;
        bad[gen() % 64] ^= static_cast<std::uint8_t>(1u << (gen() % 8));
        out.clear();
        if (!decodeLzh(13, bad, in.size(), out, error) || out != in) ++detected;
    }
    EXPECT_GT(detected, 190);
    // A block count of zero is invalid.
    EXPECT_FALSE(decodeLzh(13, std::vector<std::uint8_t>{0, 0, 0, 0}, 10, out, error));
}

struct CountSink : ByteSink {
    std::uint64_t count = 0;
    std::size_t largest = 0;
    void write(const std::uint8_t*, std::size_t n) override {
        count += n;
        largest = std::max(largest, n);
    }
};

struct SpanSource : ByteSource {
    explicit SpanSource(const std::vector<std::uint8_t>& d) : data(d) {}
    std::size_t read(std::uint8_t* buf, std::size_t max) override {
        const std::size_t n = std::min(max, data.size() - at);
        std::copy_n(data.data() + at, n, buf);
        at += n;
        return n;
    }
    const std::vector<std::uint8_t>& data;
    std::size_t at = 0;
};

TEST(Lh5Decoder, ClaimedSizesBeyondThePackedDataFailFast) {
    using test::bombBlocks;
    constexpr std::uint64_t kBlock = 0xFFFFull * 256;
    struct Case {
        const char* what;
        std::vector<std::uint8_t> packed;
        std::uint64_t claimed;
        bool ok;
        std::uint64_t maxDecoded; // bytes the decoder may produce before it stops
    };
    const Case cases[] = {
        {"one block, its whole yield", bombBlocks(1), kBlock, true, kBlock},
        {"one block, a byte more claimed", bombBlocks(1), kBlock + 1, false, 0},
        {"three blocks, their yield", bombBlocks(3), 3 * kBlock, true, 3 * kBlock},
        {"4 GiB claimed from 1,709 bytes", bombBlocks(1, 1709), 0xFFFFFFFFull, false, kBlock},
        {"4 GiB claimed from 100 bytes", bombBlocks(1, 100), 0xFFFFFFFFull, false, 0},
    };
    for (const Case& c : cases) {
        SpanSource in(c.packed);
        CountSink out;
        std::string error;
        EXPECT_EQ(decodeLzh(13, in, c.packed.size(), c.claimed, out, error), c.ok) << c.what;
        EXPECT_LE(out.count, c.maxDecoded) << c.what;
        if (c.ok) {
            EXPECT_EQ(out.count, c.claimed) << c.what;
        }
        EXPECT_LE(out.largest, 8192u) << c.what; // handed out a window at a time
    }
    EXPECT_GE(maxDecodedSize(1709), 4 * kBlock);
    EXPECT_EQ(maxDecodedSize(5), 0u); // less than one block header
}

} // namespace
} // namespace lha
