#include "ui/GridInteger.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace mv {

std::optional<int> ParseGridInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return std::nullopt;
    long long magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    const long long value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

std::optional<std::string> NormalizeGridInteger(std::string_view text) {
    if (text.empty()) return std::string();
    if (text == "-") return std::string("-0");
    const std::optional<int> value = ParseGridInteger(text);
    if (!value) return std::nullopt;
    return std::to_string(*value);
}

std::optional<std::string> SpinGridInteger(std::string_view text, const TMOSpinButtonOption& option,
                                           bool up) {
    const std::optional<int> value = text.empty() ? 0 : ParseGridInteger(text);
    if (!value) return std::nullopt;
    long long next = *value + (up ? 1LL : -1LL) * option.Increment;
    if (option.MinValue != option.MaxValue)
        next = std::clamp<long long>(next, std::min(option.MinValue, option.MaxValue),
                                     std::max(option.MinValue, option.MaxValue));
    // Without limits the count stops at the ends of int rather than wrapping.
    next = std::clamp<long long>(next, std::numeric_limits<int>::min(),
                                 std::numeric_limits<int>::max());
    return std::to_string(next);
}

} // namespace mv
