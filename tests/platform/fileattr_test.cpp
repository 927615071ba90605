#include "platform/fileattr.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace fa = mv::fileattr;

namespace {
bool xattrsWork(const std::string& path) {
    return ::setxattr(path.c_str(), "user.probe", "1", 1, 0) == 0;
}
} // namespace

TEST(FileAttr, PlainFilesFoldersAndMissingPaths) {
    mvtest::TempDir dir;
    mvtest::writeBytes(dir / "f", "x");
    EXPECT_EQ(fa::get(dir / "f"), fa::Archive);
    EXPECT_EQ(fa::get(dir.path()), fa::Directory);
    EXPECT_EQ(fa::get(dir / "none"), fa::Invalid);
    ::chmod((dir / "f").c_str(), 0444);
    EXPECT_EQ(fa::get(dir / "f"), fa::Archive | fa::ReadOnly);
    EXPECT_FALSE(fa::set(dir / "none", fa::Hidden));
}

TEST(FileAttr, HiddenBitRoundTripsAndKeepsOtherBits) {
    mvtest::TempDir dir;
    const std::string f = dir / "f.url";
    mvtest::writeBytes(f, "x");
    if (!xattrsWork(f)) GTEST_SKIP() << "no user extended attributes on this file system";

    ASSERT_TRUE(fa::set(f, fa::Archive | fa::Hidden | 0x2000));
    EXPECT_EQ(fa::get(f), fa::Archive | fa::Hidden | 0x2000);
    char buf[32] = {};
    ASSERT_GT(::getxattr(f.c_str(), "user.DOSATTRIB", buf, sizeof buf - 1), 0);
    EXPECT_STREQ(buf, "0x2022"); // the text form Samba and Wine share

    // Read-only goes to the permissions and back; the hidden bit survives both ways.
    ASSERT_TRUE(fa::set(f, fa::get(f) | fa::ReadOnly));
    struct stat st {};
    ::stat(f.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    EXPECT_EQ(fa::get(f), fa::Archive | fa::Hidden | 0x2000 | fa::ReadOnly);
    ASSERT_TRUE(fa::set(f, fa::get(f) & ~(fa::ReadOnly | fa::Hidden)));
    EXPECT_EQ(fa::get(f), fa::Archive | 0x2000);
}

TEST(FileAttr, ReadsWhatSambaAndWineWrite) {
    uint32_t a = 0;
    EXPECT_TRUE(fa::decodeDosAttrib("0x22", 4, a));
    EXPECT_EQ(a, 0x22u);
    // Samba's version-4 blob: version 4 twice, valid flags, attribute 0x26.
    const char blob[] = {4, 0, 4, 0, 1, 0, 0, 0, 0x26, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(fa::decodeDosAttrib(blob, sizeof blob, a));
    EXPECT_EQ(a, 0x26u);
    EXPECT_FALSE(fa::decodeDosAttrib("zz", 2, a));
}
