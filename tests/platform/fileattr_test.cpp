#include "favorites/HiddenAttribute.h"
#include "platform/fileattr.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <optional>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fa = mv::fileattr;
using mvtest::runUnprivileged;
using mvtest::TempDir;

namespace {

constexpr uid_t kNobody = 65534;

bool xattrsWork(const std::string& path) {
    return ::setxattr(path.c_str(), "user.probe", "1", 1, 0) == 0;
}

std::string storedText(const std::string& path) {
    char buf[64] = {};
    const ssize_t n = ::getxattr(path.c_str(), "user.DOSATTRIB", buf, sizeof buf - 1);
    return n < 0 ? std::string("(none)") : std::string(buf, static_cast<size_t>(n));
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(FileAttr, PlainFilesFoldersAndMissingPaths) {
    TempDir dir;
    mvtest::writeBytes(dir / "f", "x");
    EXPECT_EQ(fa::get(dir / "f"), fa::Archive);
    EXPECT_EQ(fa::get(dir.path()), fa::Directory);
    EXPECT_EQ(fa::get(dir / "none"), fa::Invalid);
    EXPECT_EQ(fa::set(dir / "none", fa::Hidden).value(), ENOENT);
    EXPECT_FALSE(fa::isReadOnly(dir / "none"));
}

TEST(FileAttr, AttributeWordFromModeAndStoredValue) {
    const char blob4[] = {4, 0, 4, 0, 1, 0, 0, 0, 0x23, 0, 0, 0, 0, 0, 0, 0};
    struct Case {
        const char* name;
        mode_t mode;
        std::string stored;    // empty: no attribute
        uint32_t root, nobody; // the word as root and as another user sees it
    } const cases[] = {
        {"plain file", 0644, "", 0x20, 0x21},
        {"no write bit", 0444, "", 0x21, 0x21},
        {"group-writable only", 0464, "", 0x20, 0x21},
        {"hidden", 0644, "0x22", 0x22, 0x23},
        {"read-only from the attribute", 0644, "0x21", 0x21, 0x21},
        {"read-only from both", 0444, "0x23", 0x23, 0x23},
        {"upper-case hex, unknown bits", 0666, "0X2024", 0x2024, 0x2024},
        {"Samba v4 blob, read-only and hidden", 0644, std::string(blob4, sizeof blob4), 0x23, 0x23},
        {"unreadable value", 0644, "zz", 0x20, 0x21},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        mvtest::shareWithEveryone(dir.path());
        const std::string f = dir / "f.url";
        mvtest::writeBytes(f, "x");
        if (!xattrsWork(f)) {
            GTEST_SKIP() << "no user extended attributes on this file system";
        }
        if (!c.stored.empty()) {
            ASSERT_EQ(::setxattr(f.c_str(), "user.DOSATTRIB", c.stored.data(), c.stored.size(), 0),
                      0);
        }
        ::chmod(f.c_str(), c.mode);
        EXPECT_EQ(fa::get(f), c.root);
        // The listing asks the open file; it must see what a lookup by path sees.
        const int fd = ::open(f.c_str(), O_RDONLY);
        EXPECT_EQ(fa::getStored(fd, false), fa::getStored(f, false));
        ::close(fd);
        EXPECT_EQ(fa::isReadOnly(f), (c.root & fa::ReadOnly) != 0);
        EXPECT_EQ(runUnprivileged([&] {
                      if (fa::get(f) != c.nobody) return 1;
                      return fa::isReadOnly(f) == ((c.nobody & fa::ReadOnly) != 0) ? 0 : 2;
                  }),
                  0);
    }
}

TEST(FileAttr, ReadOnlyIsSetAndClearedInModeAndStoredValueAlike) {
    struct Case {
        const char* name;
        mode_t mode;
        const char* stored;
        uint32_t set;
        mode_t modeAfter;
        const char* storedAfter;
    } const cases[] = {
        {"clear read-only held by the mode", 0444, "0x23", 0x22, 0644, "0x22"},
        {"clear read-only held by the attribute", 0644, "0x21", 0x20, 0644, "0x20"},
        {"set read-only", 0664, "0x20", 0x21, 0444, "0x21"},
        {"hidden only, mode left alone", 0640, "0x20", 0x22, 0640, "0x22"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string f = dir / "f.url";
        mvtest::writeBytes(f, "x");
        if (!xattrsWork(f)) {
            GTEST_SKIP() << "no user extended attributes on this file system";
        }
        ::setxattr(f.c_str(), "user.DOSATTRIB", c.stored, std::strlen(c.stored), 0);
        ::chmod(f.c_str(), c.mode);
        ASSERT_EQ(fa::set(f, c.set), std::error_code());
        EXPECT_EQ(modeOf(f), c.modeAfter);
        EXPECT_EQ(storedText(f), c.storedAfter);
        EXPECT_EQ(fa::get(f), c.set);
    }
}

TEST(FileAttr, HiddenToggleOnAReadOnlyFavoriteWorksForItsOwnerOnly) {
    TempDir dir;
    mvtest::shareWithEveryone(dir.path());
    const std::string own = dir / "own.url", other = dir / "other.url";
    for (const auto& f : {own, other}) {
        mvtest::writeBytes(f, "[InternetShortcut]\r\n");
        if (!xattrsWork(f)) {
            GTEST_SKIP() << "no user extended attributes on this file system";
        }
        ::setxattr(f.c_str(), "user.DOSATTRIB", "0x23", 4, 0);
        ::chmod(f.c_str(), 0444);
    }
    ::chown(own.c_str(), kNobody, kNobody);
    const int rc = runUnprivileged([&] {
        if (fa::get(own) != 0x23) return 1;
        if (mv::ToggleHiddenAttribute(own) || fa::get(own) != 0x21) return 2;
        if (modeOf(own) != 0444) return 3;
        if (mv::ToggleHiddenAttribute(own) || fa::get(own) != 0x23) return 4;
        if (modeOf(own) != 0444) return 5;
        // Someone else's read-only file: a failure the caller hears of.
        if (!mv::ToggleHiddenAttribute(other)) return 6;
        return 0;
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(storedText(own), "0x23");
    EXPECT_EQ(storedText(other), "0x23");
    EXPECT_EQ(modeOf(other), 0444u);
}

TEST(FileAttr, HiddenBitRoundTripsAndKeepsOtherBits) {
    TempDir dir;
    const std::string f = dir / "f.url";
    mvtest::writeBytes(f, "x");
    if (!xattrsWork(f)) {
        GTEST_SKIP() << "no user extended attributes on this file system";
    }

    ASSERT_EQ(fa::set(f, fa::Archive | fa::Hidden | 0x2000), std::error_code());
    EXPECT_EQ(fa::get(f), fa::Archive | fa::Hidden | 0x2000);
    EXPECT_EQ(storedText(f), "0x2022"); // the text form Samba and Wine share
    ASSERT_EQ(mv::ToggleHiddenAttribute(f), std::error_code());
    EXPECT_EQ(fa::get(f), fa::Archive | 0x2000);
    ASSERT_EQ(mv::ToggleHiddenAttribute(f), std::error_code());
    EXPECT_EQ(fa::get(f), fa::Archive | fa::Hidden | 0x2000);
}

TEST(FileAttr, ReadsWhatSambaAndWineWrite) {
    // Each malformed text beside the well-formed one it resembles.
    struct Case {
        std::string text;
        std::optional<uint32_t> word;
    };
    const Case cases[] = {
        {"0x22", 0x22},
        {std::string("0x22\0", 5), 0x22}, // written with its terminating zero
        {std::string("0x22\0\0", 6), {}},
        {std::string("0x22\0x", 6), {}},
        {"0X2", 0x2},
        {"0x0", 0},
        {"0x", {}},
        {"zz", {}},
        {"0x-1", {}},
        {"0x+1", {}},
        {"0x 2", {}},
        {"0xffffffff", 0xffffffffu},
        {"0x00000000ffffffff", 0xffffffffu},
        {"0x100000000", {}},
        {"0x100000002", {}},
        {"0x2junk", {}},
        {"0x2 ", {}},
        {"0x0x2", {}},
    };
    for (const Case& c : cases) {
        uint32_t a = 0xdeadbeef;
        const bool ok = fa::decodeDosAttrib(c.text.data(), c.text.size(), a);
        EXPECT_EQ(ok, c.word.has_value()) << c.text;
        if (ok && c.word) {
            EXPECT_EQ(a, *c.word) << c.text;
        }
    }
    uint32_t a = 0;
    const char v3[] = {3, 0, 3, 0, 1, 0, 0, 0, 0x26, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(fa::decodeDosAttrib(v3, sizeof v3, a)); // a version we do not know
}

} // namespace
