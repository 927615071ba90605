#include "lh5_decoder.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace lha {
namespace {

struct DecodeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

constexpr std::uint64_t kMinBlockBits = 16 + 10 + 9 + 8; // count, T, C, P tables
constexpr std::uint64_t kMaxBlockBytes = 0xFFFFull * 256;

std::uint64_t maxDecodedFromBits(std::uint64_t bits) {
    return bits / kMinBlockBits * kMaxBlockBytes;
}

// Bits, most significant first, from at most `size` bytes of a source.
class BitReader {
public:
    BitReader(ByteSource& in, std::uint64_t size) : in_(in), left_(size), totalBits_(size * 8) {}

    std::uint32_t peek16() {
        fill();
        return static_cast<std::uint32_t>(acc_ >> (bits_ - 16)) & 0xFFFF;
    }
    void skip(unsigned n) {
        fill();
        bits_ -= n;
        consumed_ += n;
        if (consumed_ > totalBits_) throw DecodeError("packed data ends early");
    }
    std::uint32_t get(unsigned n) {
        if (n == 0) return 0;
        const std::uint32_t v = peek16() >> (16 - n);
        skip(n);
        return v;
    }
    std::uint64_t remainingBits() const { return totalBits_ - consumed_; }

private:
    void fill() {
        while (bits_ < 16) {
            // Past the end, zero bits are read; skip() reports overruns that get used.
            if (next_ == end_) refill();
            const std::uint8_t b = next_ < end_ ? buf_[next_++] : 0;
            acc_ = (acc_ << 8) | b;
            bits_ += 8;
        }
    }
    void refill() {
        next_ = end_ = 0;
        if (left_ == 0) return;
        end_ = in_.read(buf_.data(),
                        static_cast<std::size_t>(std::min<std::uint64_t>(buf_.size(), left_)));
        if (end_ == 0) throw DecodeError("packed data cannot be read to its end");
        left_ -= end_;
    }

    ByteSource& in_;
    std::uint64_t left_; // bytes not yet taken from the source
    std::uint64_t totalBits_;
    std::array<std::uint8_t, 1 << 15> buf_;
    std::size_t next_ = 0, end_ = 0;
    std::uint64_t acc_ = 0;
    unsigned bits_ = 0;
    std::uint64_t consumed_ = 0;
};

// The sliding window, which is also the output buffer: it goes to the sink whenever it wraps.
class Window {
public:
    Window(unsigned dictBits, ByteSink& out)
        : buf_(std::size_t{1} << dictBits, ' '), mask_(buf_.size() - 1), out_(out) {}

    void put(std::uint8_t b) {
        buf_[pos_++] = b;
        if (pos_ == buf_.size()) flush();
    }
    // Copies `length` bytes from `distance` back (1 .. window size); before the start the
    // window holds spaces.
    void copy(std::size_t distance, unsigned length) {
        std::size_t from = (pos_ - distance) & mask_;
        for (unsigned k = 0; k < length; ++k) {
            put(buf_[from]);
            from = (from + 1) & mask_;
        }
    }
    void flush() {
        out_.write(buf_.data() + flushed_, pos_ - flushed_);
        flushed_ = pos_;
        if (pos_ == buf_.size()) pos_ = flushed_ = 0;
    }

private:
    std::vector<std::uint8_t> buf_;
    std::size_t mask_;
    ByteSink& out_;
    std::size_t pos_ = 0, flushed_ = 0;
};

// Canonical code table. With `single` set, every read yields that symbol and takes no bits.
class Code {
public:
    void setSingle(unsigned symbol, unsigned tableSize) {
        if (symbol >= tableSize) throw DecodeError("bad single-symbol table");
        single_ = static_cast<int>(symbol);
    }

    void setLengths(const std::uint8_t* len, unsigned n) {
        single_ = -1;
        std::array<unsigned, 17> count{};
        for (unsigned i = 0; i < n; ++i) {
            if (len[i] > 16) throw DecodeError("code length above 16");
            ++count[len[i]];
        }
        count[0] = 0;
        std::uint32_t code = 0;
        std::uint32_t room = 1; // Kraft check in units of 2^-len
        std::array<unsigned, 17> offset{};
        unsigned total = 0;
        for (unsigned l = 1; l <= 16; ++l) {
            room <<= 1;
            if (count[l] > room) throw DecodeError("over-subscribed code");
            room -= count[l];
            first_[l] = code;
            offset[l] = total;
            limit_[l] = (code + count[l]) << (16 - l);
            code = (code + count[l]) << 1;
            total += count[l];
        }
        if (room != 0) throw DecodeError("incomplete code");
        index_ = offset;
        symbols_.assign(total, 0);
        for (unsigned i = 0; i < n; ++i)
            if (len[i] != 0) symbols_[offset[len[i]]++] = static_cast<std::uint16_t>(i);
    }

    unsigned read(BitReader& in) const {
        if (single_ >= 0) return static_cast<unsigned>(single_);
        const std::uint32_t v = in.peek16();
        for (unsigned l = 1; l <= 16; ++l) {
            if (v < limit_[l]) {
                in.skip(l);
                return symbols_[index_[l] + ((v >> (16 - l)) - first_[l])];
            }
        }
        throw DecodeError("invalid code");
    }

private:
    int single_ = -1;
    std::array<std::uint32_t, 17> first_{};
    std::array<std::uint32_t, 17> limit_{};
    std::array<unsigned, 17> index_{};
    std::vector<std::uint16_t> symbols_;
};

constexpr unsigned kNumC = 510;
constexpr unsigned kNumT = 19;

void readSmallTable(BitReader& in, Code& code, unsigned tableSize, unsigned countBits,
                    int special) {
    const unsigned n = in.get(countBits);
    if (n == 0) {
        code.setSingle(in.get(countBits), tableSize);
        return;
    }
    if (n > tableSize) throw DecodeError("table count too large");
    std::array<std::uint8_t, 32> len{};
    unsigned i = 0;
    while (i < n) {
        unsigned l = in.get(3);
        if (l == 7) {
            while (in.get(1) == 1) {
                if (++l > 16) throw DecodeError("code length above 16");
            }
        }
        len[i++] = static_cast<std::uint8_t>(l);
        if (static_cast<int>(i) == special) {
            unsigned skip = in.get(2);
            while (skip-- > 0 && i < tableSize)
                len[i++] = 0;
        }
    }
    code.setLengths(len.data(), tableSize);
}

void readCTable(BitReader& in, const Code& t, Code& c) {
    const unsigned n = in.get(9);
    if (n == 0) {
        c.setSingle(in.get(9), kNumC);
        return;
    }
    if (n > kNumC) throw DecodeError("C table count too large");
    std::array<std::uint8_t, kNumC> len{};
    unsigned i = 0;
    while (i < n) {
        const unsigned s = t.read(in);
        if (s <= 2) {
            unsigned run = s == 0 ? 1 : s == 1 ? in.get(4) + 3 : in.get(9) + 20;
            if (i + run > n) throw DecodeError("zero run past the C table");
            i += run;
        } else {
            len[i++] = static_cast<std::uint8_t>(s - 2);
        }
    }
    c.setLengths(len.data(), kNumC);
}

} // namespace

std::uint64_t maxDecodedSize(std::uint64_t packedSize) {
    return maxDecodedFromBits(packedSize * 8);
}

bool decodeLzh(unsigned dictBits, ByteSource& source, std::uint64_t packedSize,
               std::uint64_t originalSize, ByteSink& out, std::string& error) {
    const unsigned numP = dictBits + 1;
    const unsigned pBits = dictBits <= 13 ? 4 : 5;
    try {
        BitReader in(source, packedSize);
        Window window(dictBits, out);
        Code t, c, p;
        std::uint64_t produced = 0;
        while (produced < originalSize) {
            // What is left to decode must fit into what is left to read (a small stream that
            // claims gigabytes fails here, before any work).
            if (originalSize - produced > maxDecodedFromBits(in.remainingBits()))
                throw DecodeError("the packed data cannot hold the original size");
            unsigned blockSize = in.get(16);
            if (blockSize == 0) throw DecodeError("empty block");
            readSmallTable(in, t, kNumT, 5, 3);
            readCTable(in, t, c);
            readSmallTable(in, p, numP, pBits, -1);
            while (blockSize-- > 0 && produced < originalSize) {
                const unsigned sym = c.read(in);
                if (sym < 256) {
                    window.put(static_cast<std::uint8_t>(sym));
                    ++produced;
                    continue;
                }
                const unsigned ps = p.read(in);
                const std::size_t d =
                    (ps <= 1 ? ps : (std::size_t{1} << (ps - 1)) + in.get(ps - 1)) + 1;
                const unsigned length = static_cast<unsigned>(
                    std::min<std::uint64_t>(sym - 253, originalSize - produced));
                window.copy(d, length);
                produced += length;
            }
        }
        window.flush();
    } catch (const DecodeError& e) {
        error = e.what();
        return false;
    }
    return true;
}

namespace {

class SpanSource : public ByteSource {
public:
    explicit SpanSource(std::span<const std::uint8_t> data) : data_(data) {}
    std::size_t read(std::uint8_t* buf, std::size_t max) override {
        const std::size_t n = std::min(max, data_.size() - at_);
        std::copy_n(data_.data() + at_, n, buf);
        at_ += n;
        return n;
    }

private:
    std::span<const std::uint8_t> data_;
    std::size_t at_ = 0;
};

class AppendSink : public ByteSink {
public:
    explicit AppendSink(std::vector<std::uint8_t>& out) : out_(out) {}
    void write(const std::uint8_t* data, std::size_t size) override {
        out_.insert(out_.end(), data, data + size);
    }

private:
    std::vector<std::uint8_t>& out_;
};

} // namespace

bool decodeLzh(unsigned dictBits, std::span<const std::uint8_t> packed, std::uint64_t originalSize,
               std::vector<std::uint8_t>& out, std::string& error) {
    const std::size_t start = out.size();
    SpanSource in(packed);
    AppendSink sink(out);
    if (decodeLzh(dictBits, in, packed.size(), originalSize, sink, error)) return true;
    out.resize(start);
    return false;
}

} // namespace lha
