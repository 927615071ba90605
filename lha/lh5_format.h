// Constants of the -lh5- bit stream shared by the encoder and the decoder.
#pragma once

namespace lha::lh5 {

constexpr unsigned kDictBits = 13;
constexpr unsigned kWindow = 1u << kDictBits; // 8 KiB
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 256;
constexpr unsigned kNumC = 256 + kMaxMatch - kMinMatch + 1; // 510 literal/length symbols
constexpr unsigned kNumP = kDictBits + 1;                   // 14 position symbols
constexpr unsigned kNumT = 19;                              // symbols sending C lengths
constexpr unsigned kCBits = 9;                              // width of C counts and symbols
constexpr unsigned kPBits = 4;                              // width of P counts and symbols
constexpr unsigned kTBits = 5;                              // width of T counts and symbols
constexpr unsigned kTSpecial = 3; // after this many T lengths, 2 bits skip up to 3 zeros
constexpr unsigned kMaxBlockSymbols = 0xFFFF; // the block's 16-bit count

} // namespace lha::lh5
