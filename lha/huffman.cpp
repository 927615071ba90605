#include "huffman.h"

#include <algorithm>
#include <cstddef>

namespace lha {

std::vector<std::uint8_t> buildCodeLengths(std::span<const std::uint32_t> freq,
                                           unsigned maxLength) {
    std::vector<std::uint8_t> lengths(freq.size(), 0);
    buildCodeLengths(freq, lengths, maxLength);
    return lengths;
}

void buildCodeLengths(std::span<const std::uint32_t> freq, std::span<std::uint8_t> lengths,
                      unsigned maxLength) {
    const std::size_t n = freq.size();
    std::fill(lengths.begin(), lengths.end(), std::uint8_t{0});
    // Used symbols by rising frequency (ties by symbol, so the result is deterministic).
    // Scratch space kept per thread: this runs for every block of every small file.
    thread_local std::vector<std::pair<std::uint32_t, std::uint32_t>> leaf;
    thread_local std::vector<std::uint64_t> weight;
    thread_local std::vector<std::uint32_t> parent;
    thread_local std::vector<unsigned> depth;
    leaf.clear();
    for (std::size_t i = 0; i < n; ++i)
        if (freq[i] != 0) leaf.emplace_back(freq[i], static_cast<std::uint32_t>(i));
    const std::size_t leaves = leaf.size();
    if (leaves < 2) return;
    std::sort(leaf.begin(), leaf.end());

    // Huffman tree by the two-queue method: leaves in order, then internal nodes, which are
    // made in non-decreasing weight. Nodes 0..leaves-1 are the leaves.
    const std::size_t nodes = 2 * leaves - 1;
    weight.assign(nodes, 0);
    parent.assign(nodes, 0);
    for (std::size_t i = 0; i < leaves; ++i)
        weight[i] = leaf[i].first;
    std::size_t nextLeaf = 0, nextInner = leaves;
    for (std::size_t made = leaves; made < nodes; ++made) {
        std::size_t pick[2];
        for (std::size_t& p : pick) {
            if (nextLeaf < leaves && (nextInner >= made || weight[nextLeaf] <= weight[nextInner]))
                p = nextLeaf++;
            else
                p = nextInner++;
        }
        weight[made] = weight[pick[0]] + weight[pick[1]];
        parent[pick[0]] = parent[pick[1]] = static_cast<std::uint32_t>(made);
    }
    depth.assign(nodes, 0);
    for (std::size_t i = nodes - 1; i-- > 0;)
        depth[i] = depth[parent[i]] + 1;

    // Count leaves per depth, then fold levels beyond the limit back: two siblings at the
    // deepest level are replaced by one of them at their parent's place, and the other hangs
    // below a shallower leaf. Each step keeps the Kraft sum, so the code stays complete.
    unsigned maxDepth = 0;
    for (std::size_t i = 0; i < leaves; ++i)
        maxDepth = std::max(maxDepth, depth[i]);
    thread_local std::vector<unsigned> count;
    count.assign(std::max(maxDepth, maxLength) + 1, 0);
    for (std::size_t i = 0; i < leaves; ++i)
        ++count[depth[i]];
    for (unsigned i = maxDepth; i > maxLength; --i) {
        while (count[i] > 0) {
            unsigned j = i - 2;
            while (count[j] == 0)
                --j;
            count[i] -= 2;
            count[i - 1] += 1;
            count[j + 1] += 2;
            count[j] -= 1;
        }
    }

    // Hand the lengths out again: the most frequent symbols get the shortest codes.
    std::size_t k = leaves;
    for (unsigned len = 1; len <= maxLength; ++len)
        for (unsigned c = 0; c < count[len]; ++c)
            lengths[leaf[--k].second] = static_cast<std::uint8_t>(len);
}

std::vector<std::uint16_t> canonicalCodes(std::span<const std::uint8_t> lengths) {
    std::vector<std::uint16_t> codes(lengths.size(), 0);
    canonicalCodes(lengths, codes);
    return codes;
}

void canonicalCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes) {
    unsigned count[kMaxCodeLength + 2] = {};
    for (std::uint8_t l : lengths)
        ++count[l];
    count[0] = 0;
    std::uint32_t start[kMaxCodeLength + 2] = {};
    std::uint32_t code = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        code = (code + count[len - 1]) << 1;
        start[len] = code;
    }
    for (std::size_t i = 0; i < lengths.size(); ++i)
        codes[i] = lengths[i] != 0 ? static_cast<std::uint16_t>(start[lengths[i]]++) : 0;
}

} // namespace lha
