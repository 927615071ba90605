// What the write path and the cross-device move do between the system calls: flushes in the
// right order, and failures there that must fail the whole step. Linked with syscall_shim.

#include "platform/atomicfile.h"
#include "platform/shellfileop.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"
#include "syscall_shim.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/xattr.h>

namespace fs = std::filesystem;
using mvtest::readBytes;
using mvtest::TempDir;
using mvtest::writeBytes;
using shim::Event;

namespace {

bool hasTempLeftovers(const std::string& folder) {
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().rfind(".markvane-", 0) == 0) return true;
    return false;
}

struct stat statOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

class WriteSeams : public ::testing::Test {
protected:
    void SetUp() override { shim::reset(); }
    void TearDown() override { shim::reset(); }
};

TEST_F(WriteSeams, DoneMeansFileFlushedThenRenamedThenFolderFlushed) {
    for (const bool existed : {true, false}) {
        SCOPED_TRACE(existed ? "replacing a file" : "making a file");
        TempDir dir;
        const std::string f = dir / "favorites.ini";
        if (existed) writeBytes(f, "old");
        shim::reset();
        ASSERT_EQ(mv::writeFileAtomically(f, "new"), std::error_code());
        const auto& ev = shim::events();
        ASSERT_EQ(ev.size(), 3u);
        const struct stat file = statOf(f), folder = statOf(dir.path());
        EXPECT_EQ(ev[0].kind, Event::FsyncFile);
        EXPECT_EQ(ev[0].ino, file.st_ino); // the content that now bears the name
        EXPECT_EQ(ev[1].kind, Event::Rename);
        EXPECT_EQ(ev[2].kind, Event::FsyncFolder);
        EXPECT_EQ(ev[2].ino, folder.st_ino);
        EXPECT_EQ(ev[2].dev, folder.st_dev);
    }
}

TEST_F(WriteSeams, FailedFlushFailsTheWrite) {
    struct Case {
        const char* name;
        bool folder; // flush of the folder, else of the file
        int err;
        bool done;
        const char* after; // content of the target afterwards
    } const cases[] = {
        {"file flush fails", false, EIO, false, "old"},
        {"file system full at the flush", false, ENOSPC, false, "old"},
        {"folder flush fails", true, EIO, false, "new"},
        {"folder cannot be flushed on this file system", true, EINVAL, true, "new"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string f = dir / "favorites.ini";
        writeBytes(f, "old");
        shim::fsyncFault = [&](const struct stat& st) {
            return S_ISDIR(st.st_mode) == c.folder ? c.err : 0;
        };
        const std::error_code ec = mv::writeFileAtomically(f, "new");
        EXPECT_EQ(!ec, c.done);
        if (!c.done) {
            EXPECT_EQ(ec.value(), c.err);
        }
        shim::reset();
        EXPECT_EQ(readBytes(f), c.after);
        EXPECT_FALSE(hasTempLeftovers(dir.path()));
    }
    // A new file whose flush fails is not made at all.
    TempDir dir;
    shim::fsyncFault = [](const struct stat& st) { return S_ISREG(st.st_mode) ? EIO : 0; };
    EXPECT_TRUE(mv::writeFileAtomically(dir / "new.ini", "x"));
    shim::reset();
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

// The hidden bit lives in user.DOSATTRIB and the read-only state in the mode: a replacement
// that could not take them over would change the favorite, so the write fails instead.
TEST_F(WriteSeams, ReplacementThatWouldLoseHiddenBitOrModeFails) {
    struct Case {
        const char* name;
        const char* failingXattr; // nullptr: none
        bool chmodFails;
        bool done;
    } const cases[] = {
        {"hidden attribute cannot be set", "user.DOSATTRIB", false, false},
        {"another attribute cannot be set", "user.comment", false, true},
        {"mode cannot be set", nullptr, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string f = dir / "site.url";
        writeBytes(f, "old");
        if (::setxattr(f.c_str(), "user.DOSATTRIB", "0x22", 4, 0) != 0 ||
            ::setxattr(f.c_str(), "user.comment", "c", 1, 0) != 0)
            GTEST_SKIP() << "no user extended attributes here";
        ::chmod(f.c_str(), 0640);
        shim::xattrFault = [&](const char* name) {
            return c.failingXattr && std::strcmp(name, c.failingXattr) == 0 ? ENOTSUP : 0;
        };
        shim::chmodFault = [&](mode_t) { return c.chmodFails ? EPERM : 0; };
        EXPECT_EQ(!mv::writeFileAtomically(f, "new"), c.done);
        shim::reset();
        EXPECT_EQ(readBytes(f), c.done ? "new" : "old");
        char buf[8] = {};
        EXPECT_EQ(::getxattr(f.c_str(), "user.DOSATTRIB", buf, sizeof buf), 4);
        EXPECT_STREQ(buf, "0x22");
        EXPECT_EQ(statOf(f).st_mode & 07777, 0640u);
        EXPECT_FALSE(hasTempLeftovers(dir.path()));
    }
}

// A move that meets another file system: every rename of a user's file says EXDEV (the
// temporary copy may still be renamed into place, as within one file system it can).
TEST_F(WriteSeams, MoveAcrossFileSystemsDeletesTheSourceOnlyAfterTheCopyCompares) {
    for (const bool copyDiffers : {false, true}) {
        SCOPED_TRACE(copyDiffers ? "copy reads back different" : "copy reads back the same");
        TempDir dir;
        fs::create_directories(dir / "src");
        fs::create_directories(dir / "dst");
        const std::string source = dir / "src/site.url", target = dir / "dst/site.url";
        writeBytes(source, "[InternetShortcut]\r\nURL=http://example.com/\r\n");
        const struct stat src = statOf(source);
        shim::renameFault = [](const char* from, const char*) {
            return std::strstr(from, "/.markvane-") ? 0 : EXDEV;
        };
        if (copyDiffers)
            shim::corruptRead = [src](int fd) {
                struct stat st {};
                return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == src.st_dev &&
                       st.st_ino != src.st_ino;
            };
        mvtest::ScriptedDialogs dialogs;
        if (copyDiffers) dialogs.answers = {mv::mbOK};
        const std::string from = source + '\0', to = dir / "dst" + '\0';
        mv::SHFILEOPSTRUCTA op;
        op.wFunc = mv::FO_MOVE;
        op.pFrom = from.c_str();
        op.pTo = to.c_str();
        op.fFlags = mv::FOF_NOCONFIRMATION;
        const int rc = mv::SHFileOperationA(&op);
        shim::reset();
        if (copyDiffers) {
            EXPECT_EQ(rc, EIO);
            EXPECT_EQ(readBytes(source), "[InternetShortcut]\r\nURL=http://example.com/\r\n");
            EXPECT_FALSE(fs::exists(target));
            ASSERT_EQ(dialogs.asked.size(), 1u);
            EXPECT_TRUE(dialogs.asked[0].text.contains(QStringLiteral("一致しません")));
        } else {
            EXPECT_EQ(rc, 0);
            EXPECT_FALSE(fs::exists(source));
            EXPECT_EQ(readBytes(target), "[InternetShortcut]\r\nURL=http://example.com/\r\n");
        }
        EXPECT_FALSE(hasTempLeftovers(dir / "dst"));
    }
}

} // namespace
