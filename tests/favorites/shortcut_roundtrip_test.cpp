// What is written into a shortcut file reads back exactly, whatever the file's encoding and
// the program's code page: many random values, each write followed by reading both values.
#include "favorites/ShortcutFile.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <random>

using mv::CodePage;

namespace {

// Pieces of values in UTF-8: ASCII that INI text gives a meaning to, half-width kana whose
// CP932 bytes read as UTF-8 ("ﾃｰ"), second bytes "\", "A", "a" and "]" (表 ソ ア ヂ ゾ), NEC
// specials, and characters CP932 has no form for.
const std::vector<std::string> kCommonPieces = {
    "a",  "Z", "0", " ", "=", ";",  "[",  "]",  "\\", "+",  "-",  "~",  "&",  "?", "%",  "'",
    "\"", "/", "ｱ", "ﾃ", "ｰ", "表", "ソ", "ア", "ヂ", "ゾ", "縺", "Ａ", "日", "①", "～", "ⅰ"};
const std::vector<std::string> kNoCp932Form = {"é", "😀", "한"};
// One-way in CP932 ("¥" becomes "\"): exact only through the URL's Unicode shadow.
const std::vector<std::string> kBestFitOnly = {"¥", "〜"};

struct Scenario {
    const char* name;
    std::string before; // empty: no file
};

std::string utf16(const std::string& utf8) {
    return "\xFF\xFE" + *mv::convertEncoding(utf8, "UTF-8", "UTF-16LE");
}

const Scenario kScenarios[] = {
    {"new file", ""},
    {"ascii", "[InternetShortcut]\r\nURL=http://a/\r\nIconIndex=0\r\n"},
    {"cp932", "[InternetShortcut]\r\nURL=http://a/\r\n[Comment]\r\nComment=\x93\xFA\x96\x7B\r\n"},
    {"cp932 shadows",
     "[InternetShortcut]\r\nURL=http://?/\r\n[InternetShortcut.A]\r\nURL=http://?/\r\n"
     "[InternetShortcut.W]\r\nURL=http://+2D3eAA-/\r\n[Other]\r\nk=\x93\xFA\r\n"},
    {"utf8", "[InternetShortcut]\nURL=http://日本/\n"},
    {"utf8 bom", "\xEF\xBB\xBF[InternetShortcut]\nURL=http://a/\n"},
    {"utf16", utf16("[InternetShortcut]\r\nURL=http://日本/\r\n")},
};

class Roundtrip : public ::testing::TestWithParam<const CodePage*> {
protected:
    void SetUp() override { CodePage::setActiveForTesting(GetParam()); }
    void TearDown() override { CodePage::setActiveForTesting(nullptr); }

    // A value in the program's code page, never starting or ending with a blank or a quote
    // (INI text trims those), or nothing when the program's code page cannot hold it.
    std::optional<std::string> randomValue(bool url) {
        std::string utf8 = url ? "http://" : "c";
        const int length = std::uniform_int_distribution<int>(0, 30)(rng_);
        for (int i = 0; i < length; ++i) {
            const int kind = std::uniform_int_distribution<int>(0, 9)(rng_);
            const bool unicodeProgram = GetParam()->id() == 65001;
            const auto& pieces = kind == 0 && unicodeProgram ? kNoCp932Form
                                 : kind == 1 && url          ? kBestFitOnly
                                                             : kCommonPieces;
            utf8 += pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(rng_)];
        }
        utf8 += "z";
        if (GetParam()->id() == 65001) return utf8;
        return GetParam()->fromUtf8(utf8);
    }

    std::mt19937 rng_{20240601};
    mvtest::TempDir dir;
};

} // namespace

TEST_P(Roundtrip, EveryWriteReadsBackExactly) {
    int refused = 0, written = 0;
    for (const Scenario& s : kScenarios) {
        for (int round = 0; round < 25; ++round) {
            const auto url = randomValue(true), comment = randomValue(false);
            if (!url || !comment) continue;
            const std::string path = dir / "r.url";
            std::filesystem::remove(path);
            if (!s.before.empty()) mvtest::writeBytes(path, s.before);
            SCOPED_TRACE(std::string(s.name) + " url=" + *url + " comment=" + *comment);

            if (s.before.empty()) {
                mv::WriteNewShortcut(path, *url, *comment);
            } else {
                mv::WriteShortcutUrl(path, *url);
                const std::string before = mvtest::readBytes(path);
                try {
                    mv::WriteShortcutComment(path, *comment);
                } catch (const mv::Error&) {
                    // Only a CP932 file refuses, and only a comment CP932 has no form for.
                    ++refused;
                    EXPECT_EQ(mv::DetectShortcutEncoding(before), mv::ShortcutEncoding::Cp932);
                    EXPECT_FALSE(CodePage::cp932().fromUtf8(GetParam()->toUtf8(*comment)));
                    EXPECT_EQ(mvtest::readBytes(path), before);
                    EXPECT_EQ(mv::ReadShortcutValues(path).Url, *url);
                    continue;
                }
            }
            ++written;
            const mv::ShortcutValues back = mv::ReadShortcutValues(path);
            EXPECT_EQ(back.Url, *url);
            EXPECT_EQ(back.Comment, *comment);
            EXPECT_EQ(mv::ReadShortcutUrl(path), *url);
        }
    }
    // Both outcomes were met, so the loop tested what it claims.
    EXPECT_GT(written, 80);
    if (GetParam()->id() == 65001) {
        EXPECT_GT(refused, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(BothCodePages, Roundtrip,
                         ::testing::Values(&CodePage::utf8(), &CodePage::cp932()),
                         [](const auto& p) { return p.param->id() == 932 ? "Cp932" : "Utf8"; });
