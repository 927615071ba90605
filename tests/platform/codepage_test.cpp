#include "platform/codepage.h"

#include <gtest/gtest.h>

using mv::CodePage;

namespace {
// 表示 in Shift-JIS: 95 5C 8E A6. The trail byte of 表 is "\".
const std::string kHyoujiSjis = "\x95\x5C\x8E\xA6";
} // namespace

TEST(CodePage, Cp932SteppingTreatsTrailBytesAsPartOfTheCharacter) {
    const CodePage& cp = CodePage::cp932();
    EXPECT_EQ(cp.charLength(kHyoujiSjis, 0), 2u);
    EXPECT_EQ(cp.charLength(kHyoujiSjis, 2), 2u);
    EXPECT_EQ(cp.charLength("a", 0), 1u);
    // A lead byte at the very end cannot take a trail byte that is not there.
    EXPECT_EQ(cp.charLength("a\x95", 1), 1u);
    EXPECT_EQ(cp.utf16Length(kHyoujiSjis + ".url"), 6u);
}

TEST(CodePage, Utf8SteppingAndBrokenSequences) {
    const CodePage& cp = CodePage::utf8();
    const std::string s = "表a";
    EXPECT_EQ(cp.charLength(s, 0), 3u);
    EXPECT_EQ(cp.charLength(s, 3), 1u);
    // A truncated sequence steps one byte at a time instead of swallowing the next character.
    EXPECT_EQ(cp.charLength("\xE8\x81"
                            "a",
                            0),
              1u);
    EXPECT_EQ(cp.utf16Length("😀"), 2u);
}

TEST(CodePage, ConvertsBothWaysAndRefusesWhatCp932Lacks) {
    EXPECT_EQ(CodePage::cp932().toQString(kHyoujiSjis), QStringLiteral("表示"));
    EXPECT_EQ(*CodePage::cp932().fromQString(QStringLiteral("表示")), kHyoujiSjis);
    EXPECT_FALSE(CodePage::cp932().fromQString(QStringLiteral("😀")).has_value());
    EXPECT_EQ(CodePage::cp932().fromQStringLossy(QStringLiteral("a😀")), "a??");
    EXPECT_TRUE(CodePage::cp932().isValid(kHyoujiSjis));
    EXPECT_FALSE(CodePage::utf8().isValid(kHyoujiSjis));
    // Malformed input decodes to replacement characters, never to nothing.
    EXPECT_EQ(CodePage::utf8()
                  .decode("a\xFF"
                          "b")
                  .size(),
              3u);
}

TEST(CodePage, CaseInsensitiveComparison) {
    const CodePage& cp = CodePage::utf8();
    EXPECT_EQ(cp.compareNoCase("apple", "APPLE"), 0);
    EXPECT_LT(cp.compareNoCase("apple", "Banana"), 0);
    EXPECT_GT(cp.compareNoCase("C", "b"), 0);
}

TEST(CodePage, ActiveFollowsOverride) {
    CodePage::setActiveForTesting(&CodePage::cp932());
    EXPECT_EQ(CodePage::active().id(), 932u);
    CodePage::setActiveForTesting(&CodePage::utf8());
    EXPECT_EQ(CodePage::active().id(), 65001u);
    CodePage::setActiveForTesting(nullptr);
}

TEST(CodePage, ALeadingZeroWidthNoBreakSpaceIsACharacterNotAByteOrderMark) {
    // A name or value may begin with U+FEFF; dropping it would name another file.
    const std::string zwnbsp = "\xEF\xBB\xBF"
                               "abc";
    EXPECT_EQ(CodePage::utf8().toQString(zwnbsp).size(), 4);
    EXPECT_EQ(CodePage::utf8().fromQString(CodePage::utf8().toQString(zwnbsp)), zwnbsp);
    EXPECT_EQ(CodePage::cp932().fromUtf8(zwnbsp), std::nullopt); // CP932 has no such character
    EXPECT_EQ(CodePage::cp932().fromUtf8Lossy(zwnbsp), "?abc");
    // Not at the start it was always kept; the neighbour case.
    EXPECT_EQ(CodePage::utf8().toQString("a\xEF\xBB\xBF").size(), 2);
}
