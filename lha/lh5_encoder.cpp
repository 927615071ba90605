#include "lh5_encoder.h"

#include "huffman.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <span>
#include <stdexcept>

namespace lha {

using namespace lh5;

namespace {

constexpr unsigned kHashBits = 15;
constexpr std::uint32_t kHashSize = 1u << kHashBits;
// Small inputs use a small corner of the table, which stays in cache from file to file.
constexpr unsigned kSmallHashBits = 11;
constexpr std::uint64_t kSmallInput = 16 * 1024;
// Largest distance used. The window holds 8192 bytes; one less keeps clear of decoders
// whose ring buffer is exactly the window size and overwrite before they read.
constexpr unsigned kMaxDistance = kWindow - 1;
// Input taken per refill; the window and a full match of lookahead stay in front of it.
constexpr std::size_t kChunk = 256 * 1024;
constexpr std::size_t kBufSize = kWindow + kChunk + kMaxMatch;
constexpr std::uint32_t kRebaseAt = 0xE0000000u;

// First-block guesses: literals near 8 bits, short lengths cheap, long ones dearer.
constexpr std::array<std::uint8_t, kNumC> makeFirstCCost() {
    std::array<std::uint8_t, kNumC> cost{};
    for (unsigned c = 0; c < kNumC; ++c)
        cost[c] = static_cast<std::uint8_t>(c < 256 ? 8 : std::min(16u, 7 + (c - 256) / 16));
    return cost;
}
constexpr auto kFirstCCost = makeFirstCCost();

inline std::uint32_t hash3(const std::uint8_t* p, unsigned bits) {
    const std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
    return (v * 2654435761u) >> (32 - bits);
}

inline unsigned positionSymbol(unsigned p) {
    return static_cast<unsigned>(std::bit_width(p));
}

inline std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Length of the common prefix of a and b, at most max.
inline unsigned matchLength(const std::uint8_t* a, const std::uint8_t* b, unsigned max) {
    unsigned n = 0;
    while (n + 8 <= max) {
        const std::uint64_t x = load64(a + n) ^ load64(b + n);
        if (x != 0) return n + static_cast<unsigned>(std::countr_zero(x) >> 3);
        n += 8;
    }
    while (n < max && a[n] == b[n])
        ++n;
    return n;
}

// Sends a T or P length table: count, then each length in 3 bits or as a run of ones.
void writeSmallTable(BitWriter& bits, std::span<const std::uint8_t> len, unsigned countBits,
                     int special, unsigned singleSymbol, bool single) {
    if (single) {
        bits.put(0, countBits);
        bits.put(singleSymbol, countBits);
        return;
    }
    unsigned n = static_cast<unsigned>(len.size());
    while (n > 0 && len[n - 1] == 0)
        --n;
    bits.put(n, countBits);
    unsigned i = 0;
    while (i < n) {
        const unsigned l = len[i++];
        if (l <= 6)
            bits.put(l, 3);
        else
            bits.put((1u << (l - 3)) - 2, l - 3); // l-4 ones then a zero
        if (static_cast<int>(i) == special) {
            unsigned skip = 0;
            while (skip < 3 && i + skip < n && len[i + skip] == 0)
                ++skip;
            bits.put(skip, 2);
            i += skip;
        }
    }
}

unsigned usedSymbols(const std::uint32_t* freq, unsigned n, unsigned& last) {
    unsigned used = 0;
    for (unsigned i = 0; i < n; ++i)
        if (freq[i] != 0) {
            ++used;
            last = i;
        }
    return used;
}

} // namespace

Lh5Encoder::Lh5Encoder(const Lh5Tuning& tuning)
    : tuning_(tuning), buf_(kBufSize), head_(kHashSize, 0), prev_(kWindow, 0) {
    tuning_.blockSymbols = std::clamp(tuning_.blockSymbols, 1024u, kMaxBlockSymbols);
    tuning_.niceLength = std::clamp(tuning_.niceLength, kMinMatch, kMaxMatch);
    syms_.reserve(tuning_.blockSymbols);
    dists_.reserve(tuning_.blockSymbols);
}

void Lh5Encoder::begin(ByteSink& out, std::uint64_t sizeHint) {
    out_ = &out;
    hashBits_ = sizeHint != 0 && sizeHint <= kSmallInput ? kSmallHashBits : kHashBits;
    // Positions keep counting across streams: chains left from the previous stream then lie
    // more than a window back and end every search at once, so the tables need no clearing
    // (clearing them would dominate the cost of packing many small files).
    std::uint32_t origin = end_ + kWindow + 1;
    if (origin > kRebaseAt) {
        std::fill(head_.begin(), head_.end(), 0);
        std::fill(prev_.begin(), prev_.end(), 0);
        origin = 0;
    }
    base_ = pos_ = end_ = hashed_ = origin;
    pending_ = false;
    prevLength_ = prevDistance_ = 0;
    syms_.clear();
    dists_.clear();
    cFreq_.fill(0);
    pFreq_.fill(0);
    cMax_ = 0;
    bytes_.clear();
    bits_.reset();
    packed_ = 0;
    finished_ = false;
    cCost_ = kFirstCCost;
    bitsPerByte16_ = 4 * 16;
    blockBytes_ = 0;
    pCost_.fill(4);
}

void Lh5Encoder::write(const std::uint8_t* data, std::size_t size) {
    if (finished_) throw std::logic_error("Lh5Encoder::write outside begin/finish");
    while (size > 0) {
        if (end_ > kRebaseAt) rebase();
        if (end_ - base_ == buf_.size()) {
            compress(false);
            slide();
        }
        const std::size_t room = buf_.size() - (end_ - base_);
        const std::size_t n = std::min(room, size);
        std::memcpy(&buf_[end_ - base_], data, n);
        end_ += static_cast<std::uint32_t>(n);
        data += n;
        size -= n;
    }
}

void Lh5Encoder::finish() {
    if (finished_) return;
    compress(true);
    writeBlock(true);
    bits_.flush();
    drain();
    finished_ = true;
}

void Lh5Encoder::slide() {
    // Keep the window behind the oldest position still needed (the pending lazy literal).
    const std::uint32_t keepFrom =
        pos_ - (pending_ ? 1 : 0) > kWindow ? pos_ - (pending_ ? 1 : 0) - kWindow : 0;
    if (keepFrom <= base_) return;
    std::memmove(buf_.data(), &buf_[keepFrom - base_], end_ - keepFrom);
    base_ = keepFrom;
}

void Lh5Encoder::rebase() {
    // Positions are 32-bit; shift them all down before they could wrap.
    const std::uint32_t delta = base_;
    for (auto& h : head_)
        h = h > delta ? h - delta : 0;
    for (auto& p : prev_)
        p = p > delta ? p - delta : 0;
    base_ -= delta;
    pos_ -= delta;
    end_ -= delta;
    hashed_ -= delta;
}

std::uint32_t Lh5Encoder::insertHash(std::uint32_t pos) {
    const std::uint32_t h = hash3(&buf_[pos - base_], hashBits_);
    const std::uint32_t old = head_[h];
    prev_[pos & (kWindow - 1)] = old;
    head_[h] = pos + 1;
    return old;
}

unsigned Lh5Encoder::longestMatch(std::uint32_t pos, std::uint32_t chainHead, unsigned prevLength,
                                  unsigned& distance) const {
    const unsigned maxLen = std::min<std::uint32_t>(kMaxMatch, end_ - pos);
    // A previous match that already reaches as far as any match here could cannot be beaten;
    // comparing at its length would also read past the input.
    if (maxLen < kMinMatch || prevLength >= maxLen) return 0;
    unsigned chain = tuning_.maxChain;
    if (prevLength >= tuning_.goodLength) chain >>= 2;
    const unsigned nice = std::min(tuning_.niceLength, maxLen);
    const std::uint8_t* cur = &buf_[pos - base_];
    unsigned best = std::max(prevLength, kMinMatch - 1);
    unsigned bestDist = 0;
    std::uint32_t cand = chainHead;
    while (cand != 0 && chain-- > 0) {
        const std::uint32_t c = cand - 1;
        const std::uint32_t dist = pos - c;
        if (dist > kMaxDistance || c < base_) break;
        const std::uint8_t* m = &buf_[c - base_];
        if (m[best] == cur[best] && m[0] == cur[0] && m[1] == cur[1]) {
            const unsigned len = matchLength(cur, m, maxLen);
            if (len > best) {
                best = len;
                bestDist = dist;
                if (len >= nice) break;
            }
        }
        const std::uint32_t next = prev_[c & (kWindow - 1)];
        if (next >= cand) // the slot was reused by a newer position: chain ends
            break;
        cand = next;
    }
    if (bestDist == 0) return 0;
    distance = bestDist;
    return best;
}

unsigned Lh5Encoder::matchBits(unsigned length, unsigned distance) const {
    const unsigned ps = positionSymbol(distance - 1);
    return cCost_[256 + length - kMinMatch] + pCost_[ps] + (ps > 1 ? ps - 1 : 0);
}

bool Lh5Encoder::laterMatchPays(unsigned length, unsigned distance) const {
    // The match one byte earlier against a literal and the longer match here; the bytes the
    // longer one covers beyond the earlier one are priced at the last block's average.
    const unsigned now = matchBits(prevLength_, prevDistance_);
    const unsigned later = cCost_[buf_[pos_ - 1 - base_]] + matchBits(length, distance);
    const unsigned extra = length + 1 - prevLength_;
    return later * 16 <= now * 16 + extra * bitsPerByte16_;
}

bool Lh5Encoder::worthMatching(std::uint32_t pos, unsigned length, unsigned distance) const {
    if (length >= 8) return true;
    const unsigned p = distance - 1;
    const unsigned ps = positionSymbol(p);
    unsigned matchCost = cCost_[256 + length - kMinMatch] + pCost_[ps] + (ps > 1 ? ps - 1 : 0);
    unsigned literalCost = 0;
    const std::uint8_t* s = &buf_[pos - base_];
    for (unsigned i = 0; i < length; ++i)
        literalCost += cCost_[s[i]];
    return matchCost < literalCost;
}

void Lh5Encoder::compress(bool final) {
    const std::uint32_t limit = final ? end_ : (end_ > kMaxMatch ? end_ - kMaxMatch : 0);
    const std::uint32_t hashEnd = end_ >= 2 ? end_ - 2 : 0; // need 3 bytes to hash
    while (pos_ < limit) {
        std::uint32_t chainHead = 0;
        if (pos_ < hashEnd && pos_ >= hashed_) {
            chainHead = insertHash(pos_);
            hashed_ = pos_ + 1;
        }
        unsigned length = 0;
        unsigned distance = 0;
        if (chainHead != 0 && prevLength_ < tuning_.maxLazy) {
            length = longestMatch(pos_, chainHead, pending_ ? prevLength_ : 0, distance);
            if (length > 0 && !worthMatching(pos_, length, distance)) length = 0;
        }
        if (pending_ && prevLength_ >= kMinMatch &&
            (length <= prevLength_ || !laterMatchPays(length, distance))) {
            // The match found one byte earlier wins; code it and hash what it covers.
            const std::uint32_t start = pos_ - 1;
            emitMatch(prevLength_, prevDistance_);
            const std::uint32_t stop = start + prevLength_;
            for (std::uint32_t p = pos_ + 1; p < stop; ++p)
                if (p < hashEnd) {
                    insertHash(p);
                    hashed_ = p + 1;
                }
            pos_ = stop;
            pending_ = false;
            prevLength_ = 0;
            continue;
        }
        if (pending_) emitLiteral(buf_[pos_ - 1 - base_]);
        pending_ = true;
        prevLength_ = length;
        prevDistance_ = distance;
        ++pos_;
    }
    if (final && pending_) {
        if (prevLength_ >= kMinMatch) {
            // Cannot happen: a match always ends at or before the input end, so pos_ would
            // have reached it with the match already coded above.
            emitMatch(prevLength_, prevDistance_);
        } else {
            emitLiteral(buf_[pos_ - 1 - base_]);
        }
        pending_ = false;
        prevLength_ = 0;
    }
}

void Lh5Encoder::emitLiteral(std::uint8_t byte) {
    ++blockBytes_;
    syms_.push_back(byte);
    ++cFreq_[byte];
    cMax_ = std::max<unsigned>(cMax_, byte);
    if (syms_.size() >= tuning_.blockSymbols) writeBlock();
}

void Lh5Encoder::emitMatch(unsigned length, unsigned distance) {
    blockBytes_ += length;
    const unsigned c = 256 + length - kMinMatch;
    syms_.push_back(static_cast<std::uint16_t>(c));
    ++cFreq_[c];
    cMax_ = std::max(cMax_, c);
    dists_.push_back(static_cast<std::uint16_t>(distance - 1));
    ++pFreq_[positionSymbol(distance - 1)];
    if (syms_.size() >= tuning_.blockSymbols) writeBlock();
}

void Lh5Encoder::writeBlock(bool last) {
    if (syms_.empty()) return;
    BitWriter& bits = bits_;
    const std::uint64_t blockStartBits = bits.bitCount();
    bits.put(static_cast<std::uint32_t>(syms_.size()), 16);

    // Symbols above the largest one used have length 0; small files use few of the 510.
    const unsigned cEnd = cMax_ + 1;
    std::array<std::uint8_t, kNumC> cLen{};
    std::array<std::uint8_t, kNumP> pLen;
    buildCodeLengths(std::span(cFreq_).first(cEnd), std::span(cLen).first(cEnd));
    buildCodeLengths(pFreq_, pLen);
    unsigned cLast = 0;
    const unsigned cUsed = usedSymbols(cFreq_.data(), cEnd, cLast);
    unsigned pLast = 0;
    const unsigned pUsed = usedSymbols(pFreq_.data(), kNumP, pLast);

    if (cUsed <= 1) {
        // One C symbol: an empty T table, then the symbol itself.
        bits.put(0, kTBits);
        bits.put(0, kTBits);
        bits.put(0, kCBits);
        bits.put(cLast, kCBits);
    } else {
        // C lengths go out as T symbols: 0 one zero, 1 + 4 bits 3..18 zeros, 2 + 9 bits 20+
        // zeros, k >= 3 the length k - 2.
        unsigned n = cEnd;
        while (n > 0 && cLen[n - 1] == 0)
            --n;
        struct TSym {
            std::uint8_t sym;
            std::uint16_t extra;
        };
        std::array<TSym, kNumC> tsyms; // never more T symbols than C lengths
        std::size_t tCount = 0;
        std::array<std::uint32_t, kNumT> tFreq{};
        auto addT = [&](unsigned s, unsigned extra) {
            tsyms[tCount++] = {static_cast<std::uint8_t>(s), static_cast<std::uint16_t>(extra)};
            ++tFreq[s];
        };
        for (unsigned i = 0; i < n;) {
            const unsigned l = cLen[i++];
            if (l != 0) {
                addT(l + 2, 0);
                continue;
            }
            unsigned run = 1;
            while (i < n && cLen[i] == 0) {
                ++i;
                ++run;
            }
            if (run <= 2) {
                for (unsigned k = 0; k < run; ++k)
                    addT(0, 0);
            } else if (run <= 18) {
                addT(1, run - 3);
            } else if (run == 19) {
                addT(0, 0);
                addT(1, 15);
            } else {
                addT(2, run - 20);
            }
        }
        std::array<std::uint8_t, kNumT> tLen;
        buildCodeLengths(tFreq, tLen);
        unsigned tLast = 0;
        const unsigned tUsed = usedSymbols(tFreq.data(), kNumT, tLast);
        writeSmallTable(bits, tLen, kTBits, kTSpecial, tLast, tUsed <= 1);
        std::array<std::uint16_t, kNumT> tCode;
        canonicalCodes(tLen, tCode);
        bits.put(n, kCBits);
        for (std::size_t k = 0; k < tCount; ++k) {
            const TSym& t = tsyms[k];
            bits.put(tCode[t.sym], tLen[t.sym]);
            if (t.sym == 1)
                bits.put(t.extra, 4);
            else if (t.sym == 2)
                bits.put(t.extra, kCBits);
        }
    }
    writeSmallTable(bits, pLen, kPBits, -1, pLast, pUsed <= 1);

    std::array<std::uint16_t, kNumC> cCode;
    std::array<std::uint16_t, kNumP> pCode;
    canonicalCodes(std::span(cLen).first(cEnd), std::span(cCode).first(cEnd));
    canonicalCodes(pLen, pCode);
    std::size_t d = 0;
    for (std::uint16_t c : syms_) {
        bits.put(cCode[c], cLen[c]);
        if (c >= 256) {
            const unsigned p = dists_[d++];
            const unsigned ps = positionSymbol(p);
            bits.put(pCode[ps], pLen[ps]);
            if (ps > 1) bits.put(p, ps - 1); // put() keeps only the low ps-1 bits
        }
    }

    // Costs for the next block's match decisions; symbols unused here are assumed rare.
    if (!last) {
        const std::uint64_t blockBits = bits_.bitCount() - blockStartBits;
        bitsPerByte16_ = static_cast<unsigned>(std::clamp<std::uint64_t>(
            blockBits * 16 / std::max<std::uint64_t>(blockBytes_, 1), 8, 16 * 9));
        for (unsigned c = 0; c < kNumC; ++c)
            cCost_[c] = cLen[c] ? cLen[c] : (cUsed <= 1 ? 1 : 16);
        for (unsigned p = 0; p < kNumP; ++p)
            pCost_[p] = pLen[p] ? pLen[p] : (pUsed <= 1 ? 1 : 16);
    }

    syms_.clear();
    dists_.clear();
    blockBytes_ = 0;
    std::fill_n(cFreq_.begin(), cEnd, 0);
    pFreq_.fill(0);
    cMax_ = 0;
    drain();
}

void Lh5Encoder::drain() {
    if (bytes_.empty()) return;
    packed_ += bytes_.size();
    out_->write(bytes_.data(), bytes_.size());
    bytes_.clear();
}

} // namespace lha
