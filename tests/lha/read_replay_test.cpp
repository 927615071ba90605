// Inputs that once broke the library, each replayed through reading, "t" and "u": a refused
// archive stays byte for byte, an accepted one keeps every entry. Runs bounds-checked.
#include "archive_test.h"
#include "archive_update.h"
#include "crc16.h"
#include "error.h"
#include "header_reader.h"
#include "read_fixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lha {
namespace {

using namespace lha::test;
namespace fs = std::filesystem;

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
void writeAll(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// Runs a command line; 0 or the LhaError code.
int run(const std::string& cmdLine) {
    OutputLog log;
    try {
        const CommandLine cl = parseCommandLine(cmdLine, CodePage::Utf8);
        if (cl.command == 't')
            testArchive(cl, log);
        else
            updateArchive(cl, log);
    } catch (const LhaError& e) {
        return e.code();
    }
    return 0;
}

class Replay : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/lha_replay_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir = tmpl;
        fs::create_directories(dir / "base");
        writeAll(dir / "base" / "new.url", "[InternetShortcut]\r\nURL=http://n/\r\n");
        arc = dir / "a.lzh";
    }
    void TearDown() override { fs::remove_all(dir); }
    int update() {
        return run("u -+ -p1 -x1 -jso1 \"" + arc.string() + "\" \"" + (dir / "base").string() +
                   "/\" \"new.url\"");
    }
    int test() { return run("t \"" + arc.string() + "\""); }

    fs::path dir, arc;
};

std::string testData(const std::string& rel) {
    const char* root = std::getenv("MARKVANE_TESTDATA");
    return root ? readAll(fs::path(root) / rel) : std::string();
}

TEST_F(Replay, ArchivesThatLostDataOrReadPastABuffer) {
    std::string zeroFirst = testData("lha/test/archives/lha213/lh5.lzh");
    ASSERT_FALSE(zeroFirst.empty()) << "MARKVANE_TESTDATA not set";
    zeroFirst[0] = '\0';
    std::string shortHeader = level01Entry(0, "", "");
    shortHeader[0] = 19; // 21 bytes, the name length byte outside
    fixLevel01Checksum(shortHeader, 0);
    const std::string abc =
        level2Entry("a", "A") + level2Entry("b", "B", 256) + level2Entry("c", "C") + '\0';
    struct Case {
        const char* what;
        std::string bytes;
        int readError; // 0: read, and "u" keeps every entry
        int testError;
    };
    const Case cases[] = {
        {"904 bytes starting with 0x00", '\0' + std::string(903, '\x5A'), UNLHA_ERROR_NOT_ARC_FILE,
         UNLHA_ERROR_NOT_ARC_FILE},
        {"first byte of an archive damaged", zeroFirst, UNLHA_ERROR_NOT_ARC_FILE,
         UNLHA_ERROR_NOT_ARC_FILE},
        {"empty file", "", UNLHA_ERROR_NOT_ARC_FILE, UNLHA_ERROR_NOT_ARC_FILE},
        {"entries after a header of size 256", abc, 0, 0},
        {"bytes after a stray zero", level2Entry("a", "A") + '\0' + level2Entry("c", "C"),
         UNLHA_ERROR_HEADER_BROKEN, UNLHA_ERROR_HEADER_BROKEN},
        {"level-0 header of 21 bytes", shortHeader + std::string(8, '\0'),
         UNLHA_ERROR_HEADER_BROKEN, UNLHA_ERROR_HEADER_BROKEN},
        {"4 GiB claimed by 1,709 packed bytes",
         level2Packed("bomb", bombBlocks(1, 1709), 0xFFFFFFFFu, 0) + '\0', 0, UNLHA_ERROR_DATA_CRC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int readError = 0;
        std::vector<ArchiveEntry> old;
        try {
            old = readArchive(bytesOf(c.bytes));
        } catch (const LhaError& e) {
            readError = e.code();
        }
        EXPECT_EQ(readError, c.readError);
        writeAll(arc, c.bytes);
        EXPECT_EQ(test(), c.testError);
        const int updated = update();
        const std::string after = readAll(arc);
        if (c.readError != 0) {
            EXPECT_EQ(updated, c.readError);
            EXPECT_EQ(after, c.bytes);
            EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2); // no temporary left
            continue;
        }
        EXPECT_EQ(updated, 0);
        const auto now = readArchive(bytesOf(after));
        ASSERT_EQ(now.size(), old.size() + 1);
        for (std::size_t i = 0; i < old.size(); ++i)
            EXPECT_EQ(after.substr(now[i].offset, now[i].span),
                      c.bytes.substr(old[i].offset, old[i].span));
    }
}

long maxRssKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// "t" on an entry that really decodes to 134 MB: checked in a window's worth of memory.
TEST_F(Replay, TestOfAHugeEntryUsesBoundedMemory) {
    constexpr unsigned kBlocks = 8;
    constexpr std::uint64_t kSize = kBlocks * 0xFFFFull * 256;
    const std::string spaces(1 << 16, ' ');
    std::uint16_t crc = 0;
    for (std::uint64_t done = 0; done < kSize; done += spaces.size())
        crc = crc16(crc, spaces.data(), std::min<std::uint64_t>(spaces.size(), kSize - done));
    writeAll(arc, level2Packed("big", bombBlocks(kBlocks), kSize, crc) + '\0');
    const long before = maxRssKiB();
    EXPECT_EQ(test(), 0);
    EXPECT_LT(maxRssKiB() - before, 32 * 1024);
    // One byte more claimed than the blocks hold: refused.
    writeAll(arc, level2Packed("big", bombBlocks(kBlocks), kSize + 1, crc) + '\0');
    EXPECT_EQ(test(), UNLHA_ERROR_DATA_CRC);
}

// 4 GiB claimed by 1,709 bytes: refused without reserving the claim, in a child that has
// 1 GiB of address space to spare. (The sanitizers' shadow memory needs more.)
TEST_F(Replay, ClaimedSizeIsNeverReserved) {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    writeAll(arc, level2Packed("bomb", bombBlocks(1, 1709), 0xFFFFFFFFu, 0) + '\0');
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit = static_cast<rlim_t>(pages) * ::sysconf(_SC_PAGESIZE) + (1ull << 30);
        const rlimit rl{limit, limit};
        if (::setrlimit(RLIMIT_AS, &rl) != 0) ::_exit(2);
        try {
            ::_exit(test() == UNLHA_ERROR_DATA_CRC ? 0 : 1);
        } catch (...) {
            ::_exit(3); // std::bad_alloc
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
#endif
}

} // namespace
} // namespace lha
