// Shortcut files in the encodings Windows writes: UTF-16, CP932 with Unicode shadows of the
// URL, and the choice between CP932 and UTF-8 for what the program writes.
#include "favorites/ShortcutFile.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using mvtest::readBytes;
using mvtest::writeBytes;

namespace {
const std::string kBom16 = "\xFF\xFE";
std::string utf16(const std::string& utf8) {
    return kBom16 + *mv::convertEncoding(utf8, "UTF-8", "UTF-16LE");
}

class ShortcutEncoding : public ::testing::Test {
protected:
    void SetUp() override { mv::CodePage::setActiveForTesting(&mv::CodePage::utf8()); }
    void TearDown() override { mv::CodePage::setActiveForTesting(nullptr); }
    mvtest::TempDir dir;
};

// http://例.jp/😀: 例 is 97 E1 in CP932, 😀 has no CP932 form (two "?", one per UTF-16 unit).
const std::string kUrl = "http://例.jp/😀";
const std::string kUrlAnsi = "http://\x97\xE1.jp/??";
const std::string kUrlUtf7 = "http://+T4s.jp/+2D3eAA-";
} // namespace

TEST_F(ShortcutEncoding, Utf16FileReadsAndStaysUtf16) {
    const std::string path = dir / "w.url";
    writeBytes(path,
               utf16("[InternetShortcut]\r\nURL=http://日本.jp/\r\n[Comment]\r\nComment=絵😀\r\n"));
    EXPECT_EQ(mv::DetectShortcutEncoding(readBytes(path)), mv::ShortcutEncoding::Utf16);
    EXPECT_EQ(mv::ReadShortcutUrl(path), "http://日本.jp/");
    EXPECT_EQ(mv::ReadShortcutValues(path).Comment, "絵😀");
    mv::WriteShortcutComment(path, "新しい😀");
    mv::WriteShortcutUrl(path, "http://x/");
    EXPECT_EQ(readBytes(path),
              utf16("[InternetShortcut]\r\nURL=http://x/\r\n[Comment]\r\nComment=新しい😀\r\n"));

    // In a Shift-JIS program the values arrive in CP932, "?" for what it lacks.
    mv::CodePage::setActiveForTesting(&mv::CodePage::cp932());
    EXPECT_EQ(mv::ReadShortcutComment(path), "\x90\x56\x82\xB5\x82\xA2??");
    mv::WriteShortcutComment(path, "\x93\xFA\x96\x7B"); // 日本
    EXPECT_EQ(readBytes(path),
              utf16("[InternetShortcut]\r\nURL=http://x/\r\n[Comment]\r\nComment=日本\r\n"));

    // UTF-16 that would not come back whole is not rewritten.
    const std::string broken =
        utf16("[Comment]\r\nComment=a\r\n") + std::string("\x00\xD8\x62\x00", 4); // lone surrogate
    writeBytes(path, broken);
    EXPECT_THROW(mv::WriteShortcutComment(path, "x"), mv::Error);
    EXPECT_EQ(readBytes(path), broken);
}

TEST_F(ShortcutEncoding, UnicodeShadowIsPreferredWhenItDecodes) {
    struct Case {
        std::string wide, want;
    } cases[] = {
        {"URL=" + kUrlUtf7, kUrl},
        {"URL=http://plain/", "http://plain/"},
        {"URL=http://\x93\xFA/", "http://ansi/"}, // not UTF-7: the main section's URL
        {"URL=http://+2D3eAA", "http://😀"},       // a run may end with the value
        {"URL=http://+2D3", "http://ansi/"},      // but not cut inside a character
        {"Other=x", "http://ansi/"},              // no URL in .W
    };
    for (const Case& c : cases) {
        const std::string path = dir / "s.url";
        writeBytes(path, "[InternetShortcut]\r\nURL=http://ansi/\r\n[InternetShortcut.W]\r\n" +
                             c.wide + "\r\n");
        EXPECT_EQ(mv::ReadShortcutUrl(path), c.want) << c.wide;
        EXPECT_EQ(mv::ReadShortcutValues(path).Url, c.want) << c.wide;
    }
    // The shadow's section name matches in any case and with blanks around it.
    for (const char* header : {"[internetshortcut.w]", "[ INTERNETSHORTCUT.W ]"}) {
        const std::string path = dir / "case.url";
        writeBytes(path, std::string("[InternetShortcut]\r\nURL=http://ansi/\r\n") + header +
                             "\r\nURL=http://+2D3eAA\r\n");
        EXPECT_EQ(mv::ReadShortcutValues(path).Url, "http://😀") << header;
    }
}

// A URL with no CP932 form goes into a CP932 or new file the way Windows writes it.
TEST_F(ShortcutEncoding, UrlWithoutCp932FormIsWrittenWithShadows) {
    mv::WriteNewShortcut(dir / "n.url", kUrl, "日本");
    EXPECT_EQ(readBytes(dir / "n.url"), "[InternetShortcut]\r\nURL=" + kUrlAnsi +
                                            "\r\n[InternetShortcut.A]\r\nURL=" + kUrlAnsi +
                                            "\r\n[InternetShortcut.W]\r\nURL=" + kUrlUtf7 +
                                            "\r\n[Comment]\r\nComment=\x93\xFA\x96\x7B\r\n");
    EXPECT_EQ(mv::ReadShortcutUrl(dir / "n.url"), kUrl);

    const std::string path = dir / "sjis.url";
    writeBytes(
        path,
        "[InternetShortcut]\r\nURL=http://a/\r\nIconIndex=0\r\n[Comment]\r\nComment=\x93\xFA\r\n");
    mv::WriteShortcutUrl(path, kUrl);
    EXPECT_EQ(readBytes(path), "[InternetShortcut]\r\nURL=" + kUrlAnsi +
                                   "\r\nIconIndex=0\r\n"
                                   "[Comment]\r\nComment=\x93\xFA\r\n"
                                   "[InternetShortcut.A]\r\nURL=" +
                                   kUrlAnsi +
                                   "\r\n"
                                   "[InternetShortcut.W]\r\nURL=" +
                                   kUrlUtf7 + "\r\n");
    // The shadows follow a later URL that CP932 holds.
    mv::WriteShortcutUrl(path, "http://例/");
    EXPECT_EQ(readBytes(path), "[InternetShortcut]\r\nURL=http://\x97\xE1/\r\nIconIndex=0\r\n"
                               "[Comment]\r\nComment=\x93\xFA\r\n"
                               "[InternetShortcut.A]\r\nURL=http://\x97\xE1/\r\n"
                               "[InternetShortcut.W]\r\nURL=http://+T4s-/\r\n");
    EXPECT_EQ(mv::ReadShortcutUrl(path), "http://例/");
    // A comment CP932 lacks is still refused in a CP932 file.
    const std::string before = readBytes(path);
    EXPECT_THROW(mv::WriteShortcutComment(path, "😀"), mv::Error);
    EXPECT_EQ(readBytes(path), before);
}

// A UTF-8 file holds any URL itself, and shadows it already has are kept in step.
TEST_F(ShortcutEncoding, Utf8FileTakesTheUrlDirectlyAndUpdatesShadows) {
    const std::string plain = dir / "p.url", shadowed = dir / "s.url";
    writeBytes(plain, "[InternetShortcut]\nURL=http://日本/\n");
    mv::WriteShortcutUrl(plain, kUrl);
    EXPECT_EQ(readBytes(plain), "[InternetShortcut]\nURL=" + kUrl + "\n");

    writeBytes(shadowed,
               "\xEF\xBB\xBF[InternetShortcut]\nURL=http://old/\n"
               "[InternetShortcut.A]\nURL=http://old/\n[InternetShortcut.W]\nURL=http://old/\n");
    mv::WriteShortcutUrl(shadowed, kUrl);
    EXPECT_EQ(readBytes(shadowed), "\xEF\xBB\xBF[InternetShortcut]\nURL=" + kUrl +
                                       "\n"
                                       "[InternetShortcut.A]\nURL=" +
                                       kUrl +
                                       "\n"
                                       "[InternetShortcut.W]\nURL=" +
                                       kUrlUtf7 + "\n");
}

// CP932 bytes that happen to be valid UTF-8 would be read back as UTF-8: such writes go to UTF-8.
TEST_F(ShortcutEncoding, Cp932BytesThatReadAsUtf8AreWrittenAsUtf8) {
    struct Case {
        std::string before, comment, after;
    } cases[] = {
        // "ﾃｰ" is C3 B0 in CP932, "ð" in UTF-8; "縺Ａ" is E3 81 82 60, "あ`".
        {"", "ﾃｰ", "[Comment]\r\nComment=ﾃｰ\r\n"},
        {"", "縺Ａ", "[Comment]\r\nComment=縺Ａ\r\n"},
        {"", "ｱ", "[Comment]\r\nComment=\xB1\r\n"}, // B1 alone is no UTF-8: stays CP932
        // The file's last non-UTF-8 bytes replaced: its whole text goes over to UTF-8.
        {"[InternetShortcut]\r\nURL=http://\xC3\xB0/\r\n[Comment]\r\nComment=\x93\xFA\r\n", "ﾃｰ",
         "[InternetShortcut]\r\nURL=http://ﾃｰ/\r\n[Comment]\r\nComment=ﾃｰ\r\n"},
        {"[InternetShortcut]\r\nURL=http://\xC3\xB0/\r\n[Comment]\r\nComment=\x93\xFA\r\n", "日",
         "[InternetShortcut]\r\nURL=http://\xC3\xB0/\r\n[Comment]\r\nComment=\x93\xFA\r\n"},
    };
    for (const Case& c : cases) {
        const std::string path = dir / "t.url";
        std::filesystem::remove(path);
        if (!c.before.empty()) writeBytes(path, c.before);
        const std::string url = mv::ReadShortcutUrl(path);
        mv::WriteShortcutComment(path, c.comment);
        EXPECT_EQ(readBytes(path), c.after) << c.comment;
        EXPECT_EQ(mv::ReadShortcutComment(path), c.comment);
        EXPECT_EQ(mv::ReadShortcutUrl(path), url);
    }
}

TEST_F(ShortcutEncoding, ListingReadsLongValuesWhole) {
    const std::string path = dir / "long.url";
    std::string comment;
    for (int i = 0; i < 3000; ++i)
        comment += i % 2 ? "a" : "語"; // 6000 bytes in UTF-8, 4500 in CP932
    mv::WriteNewShortcut(path, "http://" + std::string(3000, 'u'), comment);
    const mv::ShortcutValues all = mv::ReadShortcutValues(path);
    EXPECT_TRUE(all.Readable);
    EXPECT_EQ(all.Comment, comment);
    EXPECT_EQ(all.Url.size(), 3007u);
    // The single reads keep the 2047-byte cut of the file (here CP932: a whole character less).
    EXPECT_EQ(mv::ReadShortcutUrl(path).size(), 2047u);
    EXPECT_EQ(mv::CodePage::cp932().fromUtf8(mv::ReadShortcutComment(path))->size(), 2046u);
}

TEST_F(ShortcutEncoding, UnreadableFileIsNeitherReadAsEmptyNorReplaced) {
    mvtest::shareWithEveryone(dir.path());
    const std::string path = dir / "locked.url", missing = dir / "none.url";
    const std::string content = "[InternetShortcut]\r\nURL=http://keep/\r\n";
    writeBytes(path, content);
    ::chmod(path.c_str(), 0222);
    const int rc = mvtest::runUnprivileged([&] {
        if (mv::ReadShortcutValues(path).Readable || !mv::ReadShortcutValues(missing).Readable)
            return 2;
        try {
            mv::WriteShortcutComment(path, "x");
            return 1;
        } catch (const mv::Error& e) {
            return e.text() ==
                           QStringLiteral("%1 に書き込めません").arg(QString::fromStdString(path))
                       ? 0
                       : 3;
        }
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readBytes(path), content);
}

TEST_F(ShortcutEncoding, AFifoNamedLikeAFavoriteIsNeitherWaitedOnNorReplaced) {
    const std::string fifo = dir / "pipe.url", plain = dir / "plain.url";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    writeBytes(plain, "[InternetShortcut]\r\nURL=http://p/\r\n");
    // In a child with an alarm, so a read that waits for a writer fails the test instead of
    // hanging the suite.
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(5);
        if (mv::ReadShortcutValues(fifo).Readable || !mv::ReadShortcutValues(plain).Readable)
            ::_exit(2);
        try {
            mv::WriteShortcutUrl(fifo, "http://x/");
            ::_exit(1);
        } catch (const mv::Error&) {
            ::_exit(0);
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}
