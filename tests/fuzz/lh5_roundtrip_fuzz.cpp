// -lh5- round trip: whatever the encoder packs, the strict decoder gives back unchanged, for
// any way the input arrives (whole or in small writes) and any search tuning. Input: one
// byte for the write size, one for the tuning and length, then the data.
#include "FuzzSupport.h"

#include "lh5_decoder.h"
#include "lh5_encoder.h"

namespace {

struct VectorSink : lha::ByteSink {
    std::vector<std::uint8_t> bytes;
    void write(const std::uint8_t* d, std::size_t n) override {
        bytes.insert(bytes.end(), d, d + n);
    }
};

lha::Lh5Tuning tuningFor(std::uint8_t b) {
    lha::Lh5Tuning t;
    switch (b % 4) {
    case 1: // tiny searches and blocks: many block boundaries, short matches
        t.maxChain = 1 + b / 64;
        t.goodLength = 3;
        t.niceLength = 3 + b % 16;
        t.maxLazy = 3;
        t.blockSymbols = 1 + b;
        break;
    case 2: // exhaustive search, longest matches
        t.maxChain = 4096;
        t.niceLength = 256;
        t.maxLazy = 256;
        break;
    case 3:
        t.blockSymbols = 256 + b;
        break;
    default:
        break;
    }
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t chunk = data[0] == 0 ? size : data[0];
    const lha::Lh5Tuning tuning = tuningFor(data[1]);
    std::vector<std::uint8_t> input(data + 2, data + size);
    // Bit 6 repeats the data to just around the encoder's first refill (256 KiB of input
    // beyond the window and a match), where the window slides.
    if ((data[1] & 0x40) && !input.empty()) {
        const std::size_t target = 270592 - 512 + std::size_t{data[0]} * 4;
        const std::size_t n = size - 2;
        while (input.size() < target)
            input.insert(input.end(), data + 2, data + 2 + std::min(n, target - input.size()));
        input.resize(target);
    }

    VectorSink sink;
    lha::Lh5Encoder enc(tuning);
    enc.begin(sink, data[1] & 0x80 ? input.size() : 0);
    for (std::size_t i = 0; i < input.size(); i += chunk)
        enc.write(input.data() + i, std::min(chunk, input.size() - i));
    enc.finish();
    FUZZ_CHECK(enc.packedSize() == sink.bytes.size(), "packedSize");

    std::vector<std::uint8_t> out;
    std::string error;
    FUZZ_CHECK(lha::decodeLzh(13, sink.bytes, input.size(), out, error), error);
    FUZZ_CHECK(out == input, "decoded bytes differ");
    return 0;
}
