// The write path every settings and shortcut write goes through: read-only targets, links,
// two writers at once, and failures part-way, none of which may cost a byte of the old file.

#include "platform/atomicfile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <sched.h>
#include <set>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace fs = std::filesystem;
using mvtest::readBytes;
using mvtest::runUnprivileged;
using mvtest::TempDir;
using mvtest::writeBytes;

namespace {

constexpr uid_t kNobody = 65534;

bool hasTempLeftovers(const std::string& folder) {
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().rfind(".markvane-", 0) == 0) return true;
    return false;
}

// An INI-style change: one line appended; `called` counts the calls.
mv::FileChange appendLine(const std::string& line, int* called = nullptr) {
    return [line, called](const std::string& current, bool) {
        if (called) ++*called;
        return std::optional<std::string>(current + line + "\n");
    };
}

// One way of writing: the profile's read-modify-write or a plain write of new content.
struct Writer {
    const char* name;
    std::error_code (*write)(const std::string& path, int* called);
};
const Writer kWriters[] = {
    {"update", [](const std::string& p,
                  int* called) { return mv::updateFileAtomically(p, appendLine("k=v", called)); }},
    {"plain write", [](const std::string& p, int*) { return mv::writeFileAtomically(p, "new"); }},
};

TEST(AtomicFile, ReadOnlyTargetsAreRefusedAndKeptAsTheyWere) {
    struct Case {
        const char* name;
        mode_t mode;
        const char* dosattrib; // nullptr: none
        uid_t owner;           // as seen by the unprivileged writer
        bool rootRefused;      // root may write another user's file, not a read-only one
        bool userRefused;
    } const cases[] = {
        {"mode 0444", 0444, nullptr, kNobody, true, true},
        {"read-only bit in DOSATTRIB", 0644, "0x21", kNobody, true, true},
        {"another user's 0644 file", 0644, nullptr, 0, false, true},
        {"own 0644 file, archive bit only", 0644, "0x20", kNobody, false, false},
    };
    for (const bool unprivileged : {false, true}) {
        for (const auto& c : cases) {
            for (const auto& w : kWriters) {
                SCOPED_TRACE(std::string(c.name) + ", " + w.name +
                             (unprivileged ? ", unprivileged" : ", root"));
                TempDir dir;
                mvtest::shareWithEveryone(dir.path());
                const std::string f = dir / "favorites.ini";
                writeBytes(f, "[s]\nold=1\n");
                if (c.dosattrib && ::setxattr(f.c_str(), "user.DOSATTRIB", c.dosattrib,
                                              std::strlen(c.dosattrib), 0) != 0)
                    GTEST_SKIP() << "no user extended attributes here";
                ASSERT_EQ(::chown(f.c_str(), unprivileged ? c.owner : 0, 0), 0);
                ASSERT_EQ(::chmod(f.c_str(), c.mode), 0);
                const bool refused = unprivileged ? c.userRefused : c.rootRefused;
                auto body = [&] {
                    int called = 0;
                    const std::error_code ec = w.write(f, &called);
                    if (bool(ec) != refused) return 1;
                    if (refused && (ec.value() != EACCES || called != 0)) return 2;
                    return 0;
                };
                EXPECT_EQ(unprivileged ? runUnprivileged(body) : body(), 0);
                if (refused) {
                    EXPECT_EQ(readBytes(f), "[s]\nold=1\n");
                    struct stat st {};
                    ::stat(f.c_str(), &st);
                    EXPECT_EQ(st.st_mode & 07777, c.mode);
                } else {
                    EXPECT_NE(readBytes(f), "[s]\nold=1\n");
                }
                EXPECT_FALSE(hasTempLeftovers(dir.path()));
            }
        }
    }
}

TEST(AtomicFile, WritesThroughLinksIntoTheirTargetsAndKeepsTheLinks) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links; // link, its target text
        std::string written;                                    // where the bytes must land
        bool targetExists;
    } const cases[] = {
        {"link beside its file", {{"a/link.url", "file.url"}}, "a/file.url", true},
        {"chain of links",
         {{"a/link.url", "mid.url"}, {"a/mid.url", "file.url"}},
         "a/file.url",
         true},
        {"dangling link", {{"a/link.url", "new.url"}}, "a/new.url", false},
        {"link into another folder", {{"a/link.url", "../b/file.url"}}, "b/file.url", true},
        {"absolute link into another folder", {{"a/link.url", "@/b/file.url"}}, "b/file.url", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        fs::create_directories(dir / "a");
        fs::create_directories(dir / "b");
        if (c.targetExists) writeBytes(dir / c.written, "old\n");
        for (const auto& [link, target] : c.links)
            fs::create_symlink(target[0] == '@' ? dir.path() + target.substr(1) : target,
                               dir / link);

        ASSERT_EQ(mv::updateFileAtomically(dir / "a/link.url", appendLine("new")),
                  std::error_code());
        EXPECT_EQ(readBytes(dir / c.written), c.targetExists ? "old\nnew\n" : "new\n");
        for (const auto& [link, target] : c.links) {
            EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
            EXPECT_EQ(fs::read_symlink(dir / link).string(),
                      target[0] == '@' ? dir.path() + target.substr(1) : target);
        }
        EXPECT_FALSE(hasTempLeftovers(dir / "a"));
    }
    // A loop of links has no target: refused, nothing made.
    TempDir dir;
    fs::create_symlink("y", dir / "x");
    fs::create_symlink("x", dir / "y");
    EXPECT_EQ(mv::writeFileAtomically(dir / "x", "z").value(), ELOOP);
    EXPECT_TRUE(fs::is_symlink(dir / "x"));
}

TEST(AtomicFile, TwoProcessesWritingOneFileLoseNoKeys) {
    constexpr int kPerWriter = 150;
    for (const bool startsMissing : {true, false}) {
        SCOPED_TRACE(startsMissing ? "file made by the writers" : "file there before");
        TempDir dir;
        const std::string f = dir / "favorites.ini";
        if (!startsMissing) writeBytes(f, "[keys]\n");
        std::vector<pid_t> children;
        for (int w = 0; w < 2; ++w) {
            pid_t pid = ::fork();
            if (pid == 0) {
                int failures = 0;
                for (int i = w * kPerWriter; i < (w + 1) * kPerWriter; ++i)
                    if (auto ec =
                            mv::updateFileAtomically(f, appendLine("key" + std::to_string(i) +
                                                                   "=value" + std::to_string(i)))) {
                        std::fprintf(stderr, "writer %d, key %d: %s\n", w, i, ec.message().c_str());
                        ++failures;
                    }
                ::_exit(failures ? 1 : 0);
            }
            children.push_back(pid);
        }
        for (pid_t pid : children) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        const std::string text = readBytes(f);
        int lost = 0;
        for (int i = 0; i < 2 * kPerWriter; ++i)
            if (text.find("key" + std::to_string(i) + "=value" + std::to_string(i) + "\n") ==
                std::string::npos)
                ++lost;
        std::printf("keys lost: %d of %d\n", lost, 2 * kPerWriter);
        EXPECT_EQ(lost, 0);
        EXPECT_FALSE(hasTempLeftovers(dir.path()));
    }
}

// Runs `body` in a child and returns its exit code; 77 means "cannot be set up here".
int inChild(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(AtomicFile, WriteFailingPartWayLeavesTheOldFileAndNoTemporaryFile) {
    const std::string old = "[s]\nold=" + std::string(500, 'o') + "\n";
    const std::string big(1 << 20, 'n');
    struct Case {
        const char* name;
        std::function<int(const std::string& dir, const std::string& file)> run;
    } const cases[] = {
        {"file size limit",
         [&](const std::string&, const std::string& f) {
             std::signal(SIGXFSZ, SIG_IGN);
             const rlimit lim{4096, 4096};
             if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) return 77;
             return mv::writeFileAtomically(f, big).value() == EFBIG ? 0 : 1;
         }},
        {"folder made read-only meanwhile",
         [&](const std::string& d, const std::string& f) {
             return runUnprivileged([&] {
                 const std::error_code ec =
                     mv::updateFileAtomically(f, [&](const std::string& cur, bool) {
                         ::chmod(d.c_str(), 0555);
                         return std::optional<std::string>(cur + "x=1\n");
                     });
                 return ec.value() == EACCES ? 0 : 1;
             });
         }},
        {"disk full",
         [&](const std::string& d, const std::string& f) {
             if (::unshare(CLONE_NEWNS) != 0 ||
                 ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                 ::mount("tmpfs", d.c_str(), "tmpfs", 0, "size=256k") != 0)
                 return 77;
             writeBytes(f, old);
             if (readBytes(f) != old) return 2;
             if (mv::writeFileAtomically(f, big).value() != ENOSPC) return 1;
             if (readBytes(f) != old || hasTempLeftovers(d)) return 3;
             return 0;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ::chown(dir.path().c_str(), kNobody, kNobody);
        const std::string f = dir / "favorites.ini";
        writeBytes(f, old);
        ::chown(f.c_str(), kNobody, kNobody);
        const int rc = inChild([&] { return c.run(dir.path(), f); });
        ::chmod(dir.path().c_str(), 0777);
        if (rc == 77) {
            std::printf("skipped \"%s\": cannot be set up here\n", c.name);
            continue;
        }
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(readBytes(f), old);
        EXPECT_FALSE(hasTempLeftovers(dir.path()));
    }
}

TEST(AtomicFile, KilledWriterLeavesOldOrNewContentNeverPart) {
    TempDir dir;
    const std::string f = dir / "favorites.ini";
    std::mt19937 rng(20240607);
    std::vector<std::string> contents;
    std::set<std::string> possible;
    for (int i = 0; i < 1000; ++i) {
        std::string c = "[s]\nwrite=" + std::to_string(i) + "\n";
        c += std::string(std::uniform_int_distribution<size_t>(0, 64 * 1024)(rng), 'a' + i % 26);
        contents.push_back(c);
        possible.insert(c);
    }
    writeBytes(f, "[s]\nbefore\n");
    possible.insert("[s]\nbefore\n");
    for (int round = 0; round < 8; ++round) {
        pid_t pid = ::fork();
        if (pid == 0) {
            for (const auto& c : contents)
                mv::writeFileAtomically(f, c);
            ::_exit(0);
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 150000)(rng));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        const std::string now = readBytes(f);
        EXPECT_TRUE(possible.count(now))
            << "round " << round << ": " << now.size() << " bytes of mixed content";
    }
}

TEST(AtomicFile, UnreadableFileIsNeverTakenAsEmpty) {
    for (const mode_t mode : {0200, 0000}) {
        SCOPED_TRACE(mode);
        TempDir dir;
        mvtest::shareWithEveryone(dir.path());
        const std::string f = dir / "favorites.ini";
        writeBytes(f, "[s]\nkeep=1\n");
        ::chown(f.c_str(), kNobody, kNobody);
        ::chmod(f.c_str(), mode);
        const int rc = runUnprivileged([&] {
            int called = 0;
            const std::error_code ec = mv::updateFileAtomically(f, appendLine("k=v", &called));
            return ec.value() == EACCES && called == 0 ? 0 : 2;
        });
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(readBytes(f), "[s]\nkeep=1\n");
        EXPECT_FALSE(hasTempLeftovers(dir.path()));
    }
}

TEST(AtomicFile, NewFilesFollowTheUmaskAndReplacedOnesKeepModeOwnerAndAttributes) {
    for (const mode_t mask : {022, 077}) {
        SCOPED_TRACE(mask);
        TempDir dir;
        const mode_t before = ::umask(mask);
        const std::error_code made = mv::writeFileAtomically(dir / "new.ini", "x");
        ::umask(before);
        ASSERT_EQ(made, std::error_code());
        struct stat st {};
        ::stat((dir / "new.ini").c_str(), &st);
        EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
    }
    TempDir dir;
    const std::string f = dir / "fav.url";
    writeBytes(f, "old");
    ::chown(f.c_str(), kNobody, kNobody);
    ::chmod(f.c_str(), 0640);
    const bool xattrs = ::setxattr(f.c_str(), "user.DOSATTRIB", "0x22", 4, 0) == 0;
    ASSERT_EQ(mv::writeFileAtomically(f, "new"), std::error_code());
    struct stat st {};
    ::stat(f.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNobody);
    if (xattrs) {
        char buf[8] = {};
        EXPECT_EQ(::getxattr(f.c_str(), "user.DOSATTRIB", buf, sizeof buf), 4);
        EXPECT_STREQ(buf, "0x22");
    }
}

} // namespace

TEST(AtomicFile, ReadFileReadsWholeFilesWhateverTheirSizeSays) {
    TempDir dir;
    std::mt19937 random(7);
    for (size_t size : {size_t{0}, size_t{1}, size_t{4095}, size_t{4097}, size_t{70000}}) {
        std::string bytes(size, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        writeBytes(dir / "f", bytes);
        std::string read = "stale";
        ASSERT_FALSE(mv::readFile(dir / "f", read)) << size;
        EXPECT_EQ(read, bytes) << size;
    }
    // A file that reports no size but has content is read on to its end.
    std::string status;
    ASSERT_FALSE(mv::readFile("/proc/self/status", status));
    EXPECT_NE(status.find("\nPid:"), std::string::npos);
    std::string none = "stale";
    EXPECT_TRUE(mv::readFile(dir / "missing", none));
    EXPECT_TRUE(mv::readFile(dir.path(), none));
}
