#include "favorites/TextHelpers.h"
#include "favorites/TextSplit.h"

#include <gtest/gtest.h>

using mv::CodePage;

namespace {
const CodePage& sjis = CodePage::cp932();
const CodePage& utf8 = CodePage::utf8();
const std::string kHyouji = "\x95\x5C\x8E\xA6"; // 表示; 表 ends in 0x5C ("\")
const std::string kSo = "\x83\x5C";             // ソ, also ending in "\"
} // namespace

TEST(MbText, ShiftJisCharactersAreUnits) {
    const std::string name = kHyouji + ".url";
    EXPECT_EQ(MbLen(name, sjis), 6);
    EXPECT_EQ(name.size(), 8u);
    EXPECT_EQ(MbInStr(name, "\\", sjis), 0);
    EXPECT_EQ(MbInStr(kSo + "\\x", "\\", sjis), 2);
    EXPECT_EQ(MbMid(name, 2, 2, sjis), "\x8E\xA6.");
    EXPECT_EQ(MbMidFrom(name, 3, sjis), ".url");
    // "\x5C" searched as a trail byte of ソ must not match "\x5C" followed by ASCII.
    EXPECT_EQ(MbInStr(kSo + "n", "\\n", sjis), 0);
}

TEST(MbText, SubstringRules) {
    for (const CodePage* cp : {&sjis, &utf8}) {
        EXPECT_EQ(MbMid("abc", 2, 5, *cp), "bc");
        EXPECT_EQ(MbMid("abc", 0, 2, *cp), "ab");
        EXPECT_EQ(MbMid("abc", 4, 1, *cp), "");
        EXPECT_EQ(MbMid("abc", 1, 0, *cp), "");
        EXPECT_EQ(MbMidFrom("abc", 3, *cp), "c");
        EXPECT_EQ(MbMidFrom("abc", -1, *cp), "abc");
        EXPECT_EQ(MbMidFrom("abc", 9, *cp), "");
        EXPECT_EQ(MbInStr("abc", "", *cp), 1);
        EXPECT_EQ(MbInStr("", "a", *cp), 0);
        EXPECT_EQ(MbInStr("abcabc", "ca", *cp), 3);
        EXPECT_EQ(MbInStr("abc", "B", *cp), 0);
        EXPECT_EQ(MbLen("", *cp), 0);
    }
}

TEST(MbText, SameRulesUnderUtf8) {
    const std::string name = "表示.url";
    EXPECT_EQ(MbLen(name, utf8), 6);
    EXPECT_EQ(MbMid(name, 2, 2, utf8), "示.");
    EXPECT_EQ(MbInStr(name, ".", utf8), 3);
    EXPECT_EQ(MbInStr("日本語", "本", utf8), 2);
    // A byte sequence inside a character is not an occurrence.
    EXPECT_EQ(MbInStr("表", "\xA8", utf8), 0);
}

TEST(SplitTake, ModesAndOccurrences) {
    using mv::SplitTake;
    for (const CodePage* cp : {&sjis, &utf8}) {
        EXPECT_EQ(SplitTake("My.Site.url", ".", 0, false, *cp), "My.Site");
        EXPECT_EQ(SplitTake("My.Site.url", ".", 1, false, *cp), "My.Site.");
        EXPECT_EQ(SplitTake("My.Site.url", ".", 2, false, *cp), "url");
        EXPECT_EQ(SplitTake("My.Site.url", ".", 3, false, *cp), ".url");
        EXPECT_EQ(SplitTake("My.Site.url", ".", 0, true, *cp), "My");
        EXPECT_EQ(SplitTake("My.Site.url", ".", 2, true, *cp), "Site.url");
        EXPECT_EQ(SplitTake("readme", ".", 0, false, *cp), "");
        EXPECT_EQ(SplitTake("readme", ".", 1, false, *cp), "");
        EXPECT_EQ(SplitTake("readme", ".", 2, false, *cp), "readme");
        EXPECT_EQ(SplitTake("readme", ".", 3, false, *cp), "readme");
        EXPECT_EQ(SplitTake("a::b::c", "::", 0, false, *cp), "a::b");
        EXPECT_EQ(SplitTake("a::b::c", "::", 2, false, *cp), "c");
        EXPECT_EQ(SplitTake("a.b", ".", 7, false, *cp), "");
        // Overlapping candidates: the search resumes after the end of each occurrence.
        EXPECT_EQ(SplitTake("a:::b", "::", 0, false, *cp), "a");
    }
    EXPECT_EQ(SplitTake(kHyouji + ".url", ".", 0, false, sjis), kHyouji);
    EXPECT_EQ(SplitTake("表示.url", ".", 0, false, utf8), "表示");
    EXPECT_EQ(SplitTake("C:\\" + kHyouji + "\\x", "\\", 0, false, sjis), "C:\\" + kHyouji);
}
