#include "favorites/HiddenAttribute.h"
#include "favorites/ShortcutFile.h"
#include "favorites/TextSplit.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/fileattr.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using mvtest::readBytes;
using mvtest::writeBytes;

namespace {
const std::string kCommentSjis =
    "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x52\x83\x81\x83\x93\x83\x67"; // 日本語のコメント

class Shortcut : public ::testing::Test {
protected:
    void SetUp() override { mv::CodePage::setActiveForTesting(&mv::CodePage::utf8()); }
    void TearDown() override { mv::CodePage::setActiveForTesting(nullptr); }
    mvtest::TempDir dir;
};
} // namespace

TEST_F(Shortcut, NamesAndPaths) {
    EXPECT_EQ(mv::ItemPath("/f/News", "Daily"), "/f/News/Daily.url");
    EXPECT_EQ(mv::SiteNameOf("My.Site.url"), "My.Site");
    EXPECT_EQ(mv::SiteNameOf("Site.URL"), "Site");
    EXPECT_EQ(mv::SiteNameOf("a.b.c.url"), "a.b.c");
    EXPECT_EQ(mv::SiteNameOf(".url"), "");
    // The quick byte search must agree with the character-wise split in both code pages,
    // broken names included ("\x82." is a lead byte before a dot in CP932).
    for (const mv::CodePage* cp : {&mv::CodePage::utf8(), &mv::CodePage::cp932()}) {
        mv::CodePage::setActiveForTesting(cp);
        for (const std::string name : {"サイト.url", "a.b.url", "noext", "", ".", "x.", "\x82.url",
                                       "\xE3.url", "\x83\x5C.url", "名前\xFF\xFE.url"}) {
            EXPECT_EQ(mv::SiteNameOf(name),
                      mv::SplitTake(name, ".", mv::BeforeDelimiter, false, *cp))
                << name;
        }
    }
    mv::CodePage::setActiveForTesting(&mv::CodePage::utf8());
}

TEST_F(Shortcut, BrowserFileKeepsEveryOtherByteWhenACommentIsWritten) {
    const std::string path = dir / "Site.url";
    const std::string browser = "[DEFAULT]\r\nBASEURL=http://example.com/\r\n"
                                "[InternetShortcut]\r\nURL=http://example.com/\r\n"
                                "IDList=\r\nIconIndex=1\r\nHotKey=0\r\n"
                                "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n";
    writeBytes(path, browser);
    EXPECT_EQ(mv::ReadShortcutComment(path), "");
    mv::WriteShortcutComment(path, "note");
    EXPECT_EQ(readBytes(path), browser + "[Comment]\r\nComment=note\r\n");
    mv::WriteShortcutUrl(path, "https://example.org/");
    EXPECT_EQ(readBytes(path), "[DEFAULT]\r\nBASEURL=http://example.com/\r\n"
                               "[InternetShortcut]\r\nURL=https://example.org/\r\n"
                               "IDList=\r\nIconIndex=1\r\nHotKey=0\r\n"
                               "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n"
                               "[Comment]\r\nComment=note\r\n");
}

TEST_F(Shortcut, Cp932FileReadsInUtf8AndIsWrittenBackInCp932) {
    const std::string path = dir / "jp.url";
    writeBytes(path, "[InternetShortcut]\r\nURL=http://a/\r\n[Comment]\r\nComment=" + kCommentSjis +
                         "\r\n");
    EXPECT_EQ(mv::ReadShortcutComment(path), "日本語のコメント");
    mv::WriteShortcutComment(path, "日本語のコメント");
    EXPECT_EQ(readBytes(path), "[InternetShortcut]\r\nURL=http://a/\r\n[Comment]\r\nComment=" +
                                   kCommentSjis + "\r\n");
    // A character CP932 lacks cannot go into a CP932 file: refused, file unchanged.
    const std::string before = readBytes(path);
    EXPECT_THROW(mv::WriteShortcutComment(path, "絵文字😀"), mv::Error);
    EXPECT_EQ(readBytes(path), before);
}

TEST_F(Shortcut, EncodingOfNewAndAsciiFiles) {
    mv::WriteNewShortcut(dir / "n.url", "http://x/", "コメント");
    EXPECT_EQ(readBytes(dir / "n.url"),
              "[InternetShortcut]\r\nURL=http://x/"
              "\r\n[Comment]\r\nComment=\x83\x52\x83\x81\x83\x93\x83\x67\r\n");
    mv::WriteNewShortcut(dir / "e.url", "http://x/", "😀");
    EXPECT_EQ(readBytes(dir / "e.url"),
              "[InternetShortcut]\r\nURL=http://x/\r\n[Comment]\r\nComment=😀\r\n");
    EXPECT_EQ(mv::ReadShortcutComment(dir / "e.url"), "😀");
    // A UTF-8 file with a BOM stays UTF-8 and keeps its BOM.
    writeBytes(dir / "b.url", "\xEF\xBB\xBF[InternetShortcut]\r\nURL=http://日本/\r\n");
    EXPECT_EQ(mv::ReadShortcutUrl(dir / "b.url"), "http://日本/");
    mv::WriteShortcutComment(dir / "b.url", "表");
    EXPECT_EQ(readBytes(dir / "b.url"),
              "\xEF\xBB\xBF[InternetShortcut]\r\nURL=http://日本/\r\n[Comment]\r\nComment=表\r\n");
}

TEST_F(Shortcut, InShiftJisCodePageValuesComeAsShiftJis) {
    mv::CodePage::setActiveForTesting(&mv::CodePage::cp932());
    const std::string path = dir / "u.url";
    writeBytes(path, "[Comment]\nComment=日本語のコメント\n");
    EXPECT_EQ(mv::ReadShortcutComment(path), kCommentSjis);
    mv::WriteShortcutComment(path, kCommentSjis + "!");
    EXPECT_EQ(readBytes(path), "[Comment]\nComment=日本語のコメント!\n");
}

TEST_F(Shortcut, LongValuesAndLineBreaks) {
    const std::string path = dir / "long.url";
    mv::WriteShortcutUrl(path, "http://" + std::string(2993, 'a'));
    EXPECT_EQ(mv::ReadShortcutUrl(path).size(), 2047u);
    // A cut inside a multi-byte character drops the partial character.
    writeBytes(path, "[Comment]\nComment=" + std::string(2045, 'a') + "表\n");
    EXPECT_EQ(mv::ReadShortcutComment(path), std::string(2045, 'a'));

    mv::WriteShortcutComment(path, "first\r\n[InternetShortcut]\nURL=javascript:alert(1)");
    EXPECT_EQ(mv::ReadShortcutUrl(path), "");
    EXPECT_EQ(mv::ReadShortcutComment(path), "first [InternetShortcut] URL=javascript:alert(1)");
}

TEST_F(Shortcut, CaseInsensitiveNamesAndMissingFiles) {
    writeBytes(dir / "Site.URL", "[InternetShortcut]\nURL=http://s/\n");
    EXPECT_EQ(mv::ReadShortcutUrl(mv::ItemPath(dir.path(), "Site")), "http://s/");
    mv::WriteShortcutComment(mv::ItemPath(dir.path(), "Site"), "c");
    EXPECT_FALSE(std::filesystem::exists(dir / "Site.url"));
    EXPECT_EQ(mv::ReadShortcutComment(dir / "Site.URL"), "c");
    EXPECT_EQ(mv::ReadShortcutUrl(dir / "none.url"), "");
}

TEST_F(Shortcut, WriteIntoReadOnlyFolderRaisesAndLeavesTheFile) {
    mvtest::shareWithEveryone(dir.path());
    const std::string path = dir / "ro.url";
    writeBytes(path, "[InternetShortcut]\nURL=http://old/\n");
    ::chmod(path.c_str(), 0666);
    ::chmod(dir.path().c_str(), 0555);
    const int rc = mvtest::runUnprivileged([&] {
        try {
            mv::WriteShortcutUrl(path, "http://new/");
            return 1;
        } catch (const mv::Error& e) {
            return e.text() ==
                           QStringLiteral("%1 に書き込めません").arg(QString::fromStdString(path))
                       ? 0
                       : 2;
        }
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readBytes(path), "[InternetShortcut]\nURL=http://old/\n");
}

TEST_F(Shortcut, HiddenFilesButNotHiddenFolders) {
    writeBytes(dir / "h.url", "x");
    ::mkdir((dir / "sub").c_str(), 0755);
    EXPECT_FALSE(mv::IsHiddenFile(dir / "h.url"));
    if (mv::fileattr::set(dir / "h.url", mv::fileattr::Archive | mv::fileattr::Hidden)) {
        GTEST_SKIP() << "no user extended attributes";
    }
    EXPECT_TRUE(mv::IsHiddenFile(dir / "h.url"));
    EXPECT_TRUE(mv::IsHiddenFile(dir / "H.URL"));
    ASSERT_EQ(mv::fileattr::set(dir / "sub", mv::fileattr::Hidden), std::error_code());
    EXPECT_FALSE(mv::IsHiddenFile(dir / "sub"));
    EXPECT_FALSE(mv::IsHiddenFile(dir / "none.url"));
}

// The listing reads both values at once; it must read what the single reads do, file by file,
// except that it takes values whole where the single reads cut them at 2047 bytes.
TEST_F(Shortcut, BothValuesAtOnceMatchTheSingleReads) {
    writeBytes(dir / "sjis.url", "[InternetShortcut]\r\nURL=http://a/\r\n[Comment]\r\nComment=" +
                                     kCommentSjis + "\r\n");
    writeBytes(dir / "bom.url",
               "\xEF\xBB\xBF[Comment]\nComment=ユニコード\n[InternetShortcut]\nURL=http://u/\n");
    writeBytes(dir / "Upper.URL", "[InternetShortcut]\nURL=http://s/\n");
    for (const std::string& path :
         {dir / "sjis.url", dir / "bom.url", dir / "upper.url", dir / "none.url"}) {
        const mv::ShortcutValues both = mv::ReadShortcutValues(path);
        EXPECT_EQ(both.Url, mv::ReadShortcutUrl(path)) << path;
        EXPECT_EQ(both.Comment, mv::ReadShortcutComment(path)) << path;
        EXPECT_TRUE(both.Readable);
    }
    EXPECT_EQ(mv::ReadShortcutValues(dir / "bom.url").Comment, "ユニコード");
    EXPECT_EQ(mv::ReadShortcutValues(dir / "sjis.url").Comment, "日本語のコメント");
    EXPECT_EQ(mv::ReadShortcutValues(dir / "upper.url").Url, "http://s/");

    const std::string longComment = std::string(2045, 'a') + "表";
    writeBytes(dir / "cut.url", "[Comment]\nComment=" + longComment + "\n");
    EXPECT_TRUE(mv::ReadShortcutValues(dir / "cut.url").Comment == longComment);
    EXPECT_TRUE(mv::ReadShortcutComment(dir / "cut.url") == std::string(2045, 'a'));
}
