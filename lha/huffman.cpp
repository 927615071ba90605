#include "huffman.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <queue>

namespace lha {

std::vector<std::uint8_t> buildCodeLengths(std::span<const std::uint32_t> freq,
                                           unsigned maxLength) {
    const std::size_t n = freq.size();
    std::vector<std::uint8_t> lengths(n, 0);
    std::vector<std::uint32_t> used;
    for (std::size_t i = 0; i < n; ++i)
        if (freq[i] != 0) used.push_back(static_cast<std::uint32_t>(i));
    if (used.size() < 2) return lengths;

    // Plain Huffman tree over the used symbols; nodes >= used.size() are internal.
    const std::size_t leaves = used.size();
    std::vector<std::uint64_t> weight(2 * leaves - 1);
    std::vector<std::int32_t> parent(2 * leaves - 1, -1);
    using Item = std::pair<std::uint64_t, std::uint32_t>;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> heap;
    for (std::size_t i = 0; i < leaves; ++i) {
        weight[i] = freq[used[i]];
        heap.emplace(weight[i], static_cast<std::uint32_t>(i));
    }
    std::size_t next = leaves;
    while (heap.size() > 1) {
        const auto [wa, a] = heap.top();
        heap.pop();
        const auto [wb, b] = heap.top();
        heap.pop();
        weight[next] = wa + wb;
        parent[a] = parent[b] = static_cast<std::int32_t>(next);
        heap.emplace(weight[next], static_cast<std::uint32_t>(next));
        ++next;
    }
    std::vector<unsigned> depth(2 * leaves - 1, 0);
    for (std::size_t i = 2 * leaves - 2; i-- > 0;)
        depth[i] = depth[static_cast<std::size_t>(parent[i])] + 1;

    // Count leaves per depth, then fold levels beyond the limit back: two siblings at the
    // deepest level are replaced by one of them at their parent's place, and the other hangs
    // below a shallower leaf. Each step keeps the Kraft sum, so the code stays complete.
    unsigned maxDepth = 0;
    for (std::size_t i = 0; i < leaves; ++i)
        maxDepth = std::max(maxDepth, depth[i]);
    std::vector<unsigned> count(std::max(maxDepth, maxLength) + 1, 0);
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

    // Hand the lengths out again: most frequent symbols get the shortest codes.
    std::vector<std::uint32_t> order(leaves);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return weight[a] > weight[b]; });
    std::size_t k = 0;
    for (unsigned len = 1; len <= maxLength; ++len)
        for (unsigned c = 0; c < count[len]; ++c)
            lengths[used[order[k++]]] = static_cast<std::uint8_t>(len);
    return lengths;
}

std::vector<std::uint16_t> canonicalCodes(std::span<const std::uint8_t> lengths) {
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
    std::vector<std::uint16_t> codes(lengths.size(), 0);
    for (std::size_t i = 0; i < lengths.size(); ++i)
        if (lengths[i] != 0) codes[i] = static_cast<std::uint16_t>(start[lengths[i]]++);
    return codes;
}

} // namespace lha
