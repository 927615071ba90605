#include "platform/codepage.h"
#include "platform/profile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace pf = mv::profile;
using mv::CodePage;

namespace {
const CodePage& kUtf8 = CodePage::utf8();
const CodePage& kSjis = CodePage::cp932();
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
    EXPECT_EQ(pf::readValue(ini, "Missing", "URL", "dflt", kUtf8), "dflt");
    EXPECT_EQ(pf::readValue(ini, "Other", "Missing", "dflt", kUtf8), "dflt");
    EXPECT_EQ(pf::readValue("[s]\nk='x'\n", "s", "k", "", kUtf8), "x");
    EXPECT_EQ(pf::readValue("[s]\nk=\"x'\n", "s", "k", "", kUtf8), "\"x'");
    EXPECT_EQ(pf::readValue("[s]\nk=\"\n", "s", "k", "", kUtf8), "\"");
}

TEST(ProfileRead, BufferCutsAt2047Bytes) {
    const std::string ini = "[InternetShortcut]\r\nURL=" + std::string(3000, 'x') + "\r\n";
    EXPECT_EQ(pf::readValue(ini, "InternetShortcut", "URL", "", kUtf8).size(), 2047u);
}

TEST(ProfileWrite, CreatesAppendsInsertsAndReplaces) {
    EXPECT_EQ(pf::writeValue("", "Comment", "Comment", "hi", kUtf8), "[Comment]\r\nComment=hi\r\n");
    // Missing section at the end; the unterminated last line gets its break first.
    EXPECT_EQ(pf::writeValue("[A]\r\nx=1", "B", "k", "v", kUtf8), "[A]\r\nx=1\r\n[B]\r\nk=v\r\n");
    // Missing key goes after the last key of its section, not after blank lines or comments.
    EXPECT_EQ(pf::writeValue("[A]\nx=1\n\n;note\n[B]\ny=2\n", "a", "z", "3", kUtf8),
              "[A]\nx=1\nz=3\r\n\n;note\n[B]\ny=2\n");
    // Existing key: value replaced in place, the key's own spelling kept, line break kept.
    EXPECT_EQ(pf::writeValue("[A]\n  Key = old \nother=1\n", "a", "KEY", "new", kUtf8),
              "[A]\nKey=new\nother=1\n");
    // An empty value keeps the key.
    EXPECT_EQ(pf::writeValue("[A]\r\nk=v\r\n", "A", "k", "", kUtf8), "[A]\r\nk=\r\n");
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

    ASSERT_TRUE(pf::writeString(path, "Y", "v", "2"));
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

TEST(ProfileFile, WriteIntoReadOnlyFolderFailsAndKeepsTheFile) {
    mvtest::TempDir dir;
    mvtest::shareWithEveryone(dir.path());
    const std::string path = dir / "s.ini";
    mvtest::writeBytes(path, "[A]\nk=old\n");
    ::chmod(path.c_str(), 0666);
    ::chmod(dir.path().c_str(), 0555);
    const int rc = mvtest::runUnprivileged([&] { return pf::writeString(path, "A", "k", "new") ? 1 : 0; });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(mvtest::readBytes(path), "[A]\nk=old\n");
}

TEST(ProfileInteger, SignsAndHexPrefixes) {
    EXPECT_EQ(pf::parseInteger("42", 0), 42);
    EXPECT_EQ(pf::parseInteger("-7", 0), -7);
    EXPECT_EQ(pf::parseInteger("+0x20", 0), 32);
    EXPECT_EQ(pf::parseInteger("0X1f", 0), 31);
    EXPECT_EQ(pf::parseInteger("$10", 0), 16);
    EXPECT_EQ(pf::parseInteger("-$10", 0), -16);
    EXPECT_EQ(pf::parseInteger("abc", 5), 5);
    EXPECT_EQ(pf::parseInteger("", 5), 5);
    EXPECT_EQ(pf::parseInteger("0x", 5), 5);
    EXPECT_EQ(pf::parseInteger("12abc", 5), 5);
}
