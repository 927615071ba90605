#include "ui/PrintBands.h"

#include <cmath>

namespace mv {

long long RoundHalfEven(long double value) {
    const long double floor = std::floor(value);
    const long double fraction = value - floor;
    auto result = static_cast<long long>(floor);
    if (fraction > 0.5L || (fraction == 0.5L && result % 2 != 0)) ++result;
    return result;
}

std::vector<int> BandStarts(const std::vector<int>& sizes, int first, int fixedExtent,
                            int printable) {
    const int count = int(sizes.size());
    std::vector<int> starts{first};
    int i = first;
    int bandStart = first;
    long long used = 0;
    while (i < count) {
        used += sizes[size_t(i)];
        if (fixedExtent + used < printable) {
            ++i;
            continue;
        }
        if (fixedExtent + used == printable || i == bandStart) ++i;
        if (i >= count) break;
        starts.push_back(i);
        bandStart = i;
        used = 0;
    }
    return starts;
}

} // namespace mv
