#include "TextSplit.h"

#include "TextHelpers.h"

namespace mv {

std::string SplitTake(std::string_view s, std::string_view d, int mode, bool firstOccurrence,
                      const CodePage& cp) {
    const int len = MbLen(d, cp);
    int p = MbInStr(s, d, cp);
    if (!firstOccurrence && p > 0) {
        // Search again after the end of each occurrence until there is no further one.
        for (;;) {
            const int from = p + len;
            const int next = MbInStr(MbMidFrom(s, from, cp), d, cp);
            if (next == 0 || len == 0) break;
            p = from + next - 1;
        }
    }
    switch (mode) {
    case BeforeDelimiter:
        return MbMid(s, 1, p - 1, cp);
    case ThroughDelimiter:
        return MbMid(s, 1, p - 1 + len, cp);
    case AfterDelimiter:
        return MbMidFrom(s, p + len, cp);
    case FromDelimiter:
        return MbMidFrom(s, p, cp);
    default:
        return {};
    }
}

} // namespace mv
