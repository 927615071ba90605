// The -lh5-/-lh6-/-lh7- decoder on any bit stream. Input: the method, the claimed size
// (16 bits, so a run stays fast), the packed bytes.
#include "FuzzSupport.h"

#include "lh5_decoder.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    static constexpr unsigned kDictBits[] = {13, 15, 16};
    const unsigned dictBits = kDictBits[data[0] % 3];
    const std::uint64_t originalSize = data[1] | (data[2] << 8);
    const std::span<const std::uint8_t> packed(data + 3, size - 3);

    std::vector<std::uint8_t> out;
    std::string error;
    if (lha::decodeLzh(dictBits, packed, originalSize, out, error))
        FUZZ_CHECK(out.size() == originalSize, std::to_string(out.size()));
    else
        FUZZ_CHECK(!error.empty(), "refused without a message");
    return 0;
}
