#include "platform/codepage.h"
#include "platform/profile.h"
#include "support/TestFiles.h"

#include <climits>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace pf = mv::profile;
using mv::CodePage;

namespace {
const CodePage& kUtf8 = CodePage::utf8();
const CodePage& kSjis = CodePage::cp932();
// Shift-JIS: ア 83 41 and ヂ 83 61 differ only in a second byte that ASCII folding would
// take for "A" and "a"; ゾ 83 5D ends in "]".
const std::string kA = "\x83\x41", kDi = "\x83\x61", kZo = "\x83\x5D";

struct ActiveCodePage {
    explicit ActiveCodePage(const CodePage& cp) { CodePage::setActiveForTesting(&cp); }
    ~ActiveCodePage() { CodePage::setActiveForTesting(nullptr); }
};
} // namespace

TEST(ProfileRead, WindowsMatchingRules) {
    const std::string ini = "; comment\r\n"
                            "[Other]\r\nURL=wrong\r\n"
                            "  [ internetshortcut ]  \n"
                            ";URL=commented\n"
                            "  url  =  \"http://a/\"  \r"
                            "URL=second\r\n"
                            "[InternetShortcut]\r\nURL=later section\r\n";
    EXPECT_EQ(pf::readValue(ini, "InternetShortcut", "URL", "d", kUtf8), "http://a/");
    // Names passed in are trimmed as in the file.
    EXPECT_EQ(pf::readValue(ini, " InternetShortcut\t", "  URL ", "d", kUtf8), "http://a/");
    EXPECT_EQ(pf::readValue(ini, "Missing", "URL", "dflt", kUtf8), "dflt");
    EXPECT_EQ(pf::readValue(ini, "Other", "Missing", "dflt", kUtf8), "dflt");
    // The key of the next section is not this section's.
    EXPECT_EQ(pf::readValue("[A]\nx=1\n[B]\nk=b\n", "A", "k", "none", kUtf8), "none");
    EXPECT_EQ(pf::readValue("[A]\nx=1\n[B]\nk=b\n", "B", "k", "none", kUtf8), "b");
    EXPECT_EQ(pf::readValue("[s]\nk='x'\n", "s", "k", "", kUtf8), "x");
    EXPECT_EQ(pf::readValue("[s]\nk=\"x'\n", "s", "k", "", kUtf8), "\"x'");
    EXPECT_EQ(pf::readValue("[s]\nk=\"\n", "s", "k", "", kUtf8), "\"");
    // The default loses its trailing blanks only.
    EXPECT_EQ(pf::readValue("", "s", "k", " d \t ", kUtf8), " d");
    EXPECT_EQ(pf::readValue("[s]\nk= v \n", "s", "k", "d ", kUtf8), "v");
    EXPECT_EQ(pf::findValue("[s]\nk=\n", "s", "k", kUtf8), std::optional<std::string>(""));
    EXPECT_EQ(pf::findValue("[s]\nj=\n", "s", "k", kUtf8), std::nullopt);
}

// Names step over double-byte characters: a second byte is neither folded nor taken for "]".
TEST(ProfileRead, DoubleByteNamesInShiftJis) {
    const std::string ini = "[" + kA + "]\r\n" + kA + "=a\r\n" + kDi +
                            "=di\r\n"
                            "[" +
                            kDi +
                            "]\r\nk=sec-di\r\n"
                            "[x" +
                            kZo +
                            "]\r\nk=zo\r\n"
                            "[y]\r\nk\x83=stray\r\n";
    struct Case {
        std::string section, key, want;
    } cases[] = {
        {kA, kA, "a"},          {kA, kDi, "di"},         {kDi, "k", "sec-di"}, {kDi, "K", "sec-di"},
        {"x" + kZo, "k", "zo"}, {"x\x83", "k", "none"},  // a match that would end inside ゾ
        {"x", "k", "none"},     {"y", "k\x83", "stray"}, // a lead byte before "=" does not swallow
                                                         // it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pf::readValue(ini, c.section, c.key, "none", kSjis), c.want)
            << c.section << "/" << c.key;
    }
    // Writing one of a pair never touches the other.
    EXPECT_EQ(pf::writeValue("[s]\r\n" + kA + "=1\r\n", "s", kDi, "2", kSjis),
              "[s]\r\n" + kA + "=1\r\n" + kDi + "=2\r\n");
    EXPECT_EQ(pf::writeValue("[" + kA + "]\r\nk=1\r\n", kDi, "k", "2", kSjis),
              "[" + kA + "]\r\nk=1\r\n[" + kDi + "]\r\nk=2\r\n");
}

TEST(ProfileRead, BufferCutNeverSplitsACharacter) {
    const std::string k2045(2045, 'x'), k2046(2046, 'x');
    struct Case {
        std::string value;
        const CodePage& cp;
        std::string want;
    } cases[] = {
        {std::string(3000, 'x'), kUtf8, std::string(2047, 'x')},
        {k2046 + kA + "z", kSjis, k2046},                 // the cut falls inside ア
        {k2045 + kA + "z", kSjis, k2045 + kA},            // ア ends at the cut
        {k2046 + "\x83", kSjis, k2046 + "\x83"},          // a lone lead byte is whole
        {k2045 + "表", kUtf8, k2045},                     // inside a three-byte character
        {"123456789\xFF" + std::string(3000, 'y'), kUtf8, // a broken byte is a character of its own
         "123456789\xFF" + std::string(2037, 'y')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pf::readValue("[s]\nk=" + c.value + "\n", "s", "k", "", c.cp), c.want);
    }
    EXPECT_EQ(pf::readValue("[s]\nk=" + k2046 + kA + "\n", "s", "k", "", kSjis, pf::kWhole).size(),
              2048u);
}

TEST(ProfileWrite, CreatesAppendsInsertsAndReplaces) {
    struct Case {
        std::string text, section, key, value, want;
    } cases[] = {
        {"", "Comment", "Comment", "hi", "[Comment]\r\nComment=hi\r\n"},
        // Missing section at the end; the unterminated last line gets its break first.
        {"[A]\r\nx=1", "B", "k", "v", "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        // A key added after a last line without a break.
        {"[A]\r\nx=1", "A", "k", "v", "[A]\r\nx=1\r\nk=v\r\n"},
        // A key replaced on a last line without a break ends with CR LF, as Windows writes it.
        {"[A]\nk=old", "A", "k", "new", "[A]\nk=new\r\n"},
        {"[A]\nk=old\n", "A", "k", "new", "[A]\nk=new\n"},
        // Missing key goes after the last key of its section, not after blank lines or comments.
        {"[A]\nx=1\n\n;note\n[B]\ny=2\n", "a", "z", "3", "[A]\nx=1\nz=3\r\n\n;note\n[B]\ny=2\n"},
        // The key of the next section is left alone.
        {"[A]\nx=1\n[B]\nk=2\n", "A", "k", "9", "[A]\nx=1\nk=9\r\n[B]\nk=2\n"},
        // Existing key: value replaced in place, the key's own spelling kept, names trimmed.
        {"[A]\n  Key = old \nother=1\n", " a ", " KEY\t", "new", "[A]\nKey=new\nother=1\n"},
        {"[A]\r\nk=v\r\n", "A", "k", "", "[A]\r\nk=\r\n"},
        {"", " S ", " k ", "v", "[S]\r\nk=v\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pf::writeValue(c.text, c.section, c.key, c.value, kUtf8), c.want) << c.text;
    }
}

TEST(ProfileWrite, LineBreaksInValuesCannotAddLines) {
    const std::string out = pf::writeValue("[Comment]\r\nComment=x\r\n", "Comment", "Comment",
                                           "one\r\ntwo\n[InternetShortcut]\rURL=evil", kUtf8);
    EXPECT_EQ(out, "[Comment]\r\nComment=one two [InternetShortcut] URL=evil\r\n");
    EXPECT_EQ(pf::readValue(out, "InternetShortcut", "URL", "none", kUtf8), "none");
}

TEST(ProfileFile, WriteKeepsOtherBytesPermissionsAndAttributes) {
    mvtest::TempDir dir;
    const std::string path = dir / "a.ini";
    const std::string before = "[X]\nkeep = this \r\n\r\n[Y]\nv=1\n";
    mvtest::writeBytes(path, before);
    ::chmod(path.c_str(), 0640);
    const bool hasXattr = ::setxattr(path.c_str(), "user.test", "42", 2, 0) == 0;

    ASSERT_EQ(pf::writeString(path, "Y", "v", "2"), std::error_code());
    EXPECT_EQ(mvtest::readBytes(path), "[X]\nkeep = this \r\n\r\n[Y]\nv=2\n");
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    if (hasXattr) {
        char buf[8] = {};
        EXPECT_EQ(::getxattr(path.c_str(), "user.test", buf, sizeof buf), 2);
        EXPECT_STREQ(buf, "42");
    }
    EXPECT_EQ(pf::readString(dir / "missing.ini", "Y", "v", "d"), "d");
}

// A UTF-16 file reads as Windows reads it and stays UTF-16 when written.
TEST(ProfileFile, Utf16FilesReadAndWriteInUtf16) {
    mvtest::TempDir dir;
    const std::string path = dir / "w.ini";
    auto utf16 = [](const std::string& utf8) {
        return "\xFF\xFE" + *mv::convertEncoding(utf8, "UTF-8", "UTF-16LE");
    };
    mvtest::writeBytes(path, utf16("[設定]\r\n名前=値😀\r\n[B]\r\nk=1\r\n"));
    {
        ActiveCodePage acp(kUtf8);
        EXPECT_EQ(pf::readString(path, "設定", "名前", ""), "値😀");
        EXPECT_EQ(pf::readString(path, "B", "k", ""), "1");
        EXPECT_EQ(pf::readString(path, "B", "missing", "d "), "d");
        ASSERT_EQ(pf::writeString(path, "B", "k", "二"), std::error_code());
        ASSERT_EQ(pf::writeString(path, "設定", "新", "x"), std::error_code());
        EXPECT_EQ(mvtest::readBytes(path), utf16("[設定]\r\n名前=値😀\r\n新=x\r\n[B]\r\nk=二\r\n"));
    }
    {
        ActiveCodePage acp(kSjis);
        const std::string sjisName = "\x96\xBC\x91\x4F"; // 名前
        EXPECT_EQ(pf::readString(path, "\x90\xDD\x92\xE8", sjisName, ""),
                  "\x92\x6C??"); // 値, then ? for each half of 😀
        ASSERT_EQ(pf::writeString(path, "B", "k", "\x83\x41"), std::error_code());
        EXPECT_EQ(mvtest::readBytes(path), utf16("[設定]\r\n名前=値😀\r\n新=x\r\n[B]\r\nk=ア\r\n"));
    }
    // A file whose UTF-16 would not survive the round (an odd last byte) is not rewritten.
    const std::string odd = utf16("[B]\r\nk=1\r\n") + "\x41";
    mvtest::writeBytes(path, odd);
    EXPECT_EQ(pf::writeString(path, "B", "k", "2").value(), EILSEQ);
    EXPECT_EQ(mvtest::readBytes(path), odd);
}

TEST(ProfileFile, WriteIntoReadOnlyFolderFailsAndKeepsTheFile) {
    mvtest::TempDir dir;
    mvtest::shareWithEveryone(dir.path());
    const std::string path = dir / "s.ini";
    mvtest::writeBytes(path, "[A]\nk=old\n");
    ::chmod(path.c_str(), 0666);
    ::chmod(dir.path().c_str(), 0555);
    const int rc =
        mvtest::runUnprivileged([&] { return pf::writeString(path, "A", "k", "new") ? 0 : 1; });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(mvtest::readBytes(path), "[A]\nk=old\n");
}

// A file that can be written but not read is never taken as empty and replaced.
TEST(ProfileFile, UnreadableFileIsNotReplaced) {
    mvtest::TempDir dir;
    mvtest::shareWithEveryone(dir.path());
    const std::string path = dir / "s.ini";
    mvtest::writeBytes(path, "[A]\nk=old\nother=keep\n");
    ::chmod(path.c_str(), 0222);
    const int rc = mvtest::runUnprivileged([&] {
        if (pf::readString(path, "A", "other", "d") != "d") return 2;
        return pf::writeString(path, "A", "k", "new") ? 0 : 1;
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(mvtest::readBytes(path), "[A]\nk=old\nother=keep\n");
}

TEST(ProfileInteger, SignsPrefixesAndRange) {
    struct Case {
        const char* text;
        long long want;
    } cases[] = {
        {"42", 42},
        {" 42\t", 42},
        {"-7", -7},
        {"+0x20", 32},
        {"0X1f", 31},
        {"$10", 16},
        {"-$10", -16},
        {"9223372036854775807", LLONG_MAX},
        {"9223372036854775808", 5},
        {"-9223372036854775808", LLONG_MIN},
        {"-9223372036854775809", 5},
        {"-0x8000000000000000", LLONG_MIN},
        {"0x8000000000000000", 5},
        {"--9223372036854775808", 5},
        {"+-1", 5},
        {"-+1", 5},
        {"--1", 5},
        {"0x-1", 5},
        {"$-1", 5},
        {"- 1", 5},
        {"abc", 5},
        {"", 5},
        {"-", 5},
        {"0x", 5},
        {"$", 5},
        {"12abc", 5},
        {"99999999999999999999999", 5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pf::parseInteger(c.text, 5), c.want) << c.text;
    }
}
