// Inputs that once broke the shortcut parser, replayed on every run: each must read without
// harm, and a write into it must either read back as written or leave the file untouched.
#include "favorites/ShortcutFile.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using mv::CodePage;

namespace {

struct Replay {
    const char* name;
    std::string bytes;
    std::string url, comment; // as read whole in a UTF-8 program
};

std::string wide(const std::string& utf8) {
    return "\xFF\xFE" + *mv::convertEncoding(utf8, "UTF-8", "UTF-16LE");
}

const Replay kReplays[] = {
    // A BOM and one broken byte once cut the URL before the broken byte.
    {"bom and broken byte",
     "\xEF\xBB\xBF[InternetShortcut]\r\nURL=http://x/\xFF" + std::string(2100, 'y') + "\r\n",
     "http://x/\xFF" + std::string(2100, 'y'), ""},
    {"lead byte at the end", "[Comment]\r\nComment=\x83", "", "\xEF\xBF\xBD"},
    {"lead byte before =", "[Comment]\r\nComment\x83=x\r\nComment=y\r\n", "", "y"},
    {"trail byte ] in a section", "[Comment\x83]]\r\nComment=x\r\n[Comment]\r\nComment=y\r\n", "",
     "y"},
    {"CR line ends", "[Comment]\rComment=a\r\r\r[InternetShortcut]\rURL=b", "b", "a"},
    {"many line breaks",
     std::string(100000, '\n') + "[Comment]\n" + std::string(100000, '\r') + "Comment=z", "", "z"},
    {"truncated UTF-7 shadow",
     "[InternetShortcut]\r\nURL=http://m/\r\n[InternetShortcut.W]\r\nURL=+2D3\r\n", "http://m/",
     ""},
    {"UTF-16 BOM only", "\xFF\xFE", "", ""},
    {"UTF-16 odd byte", wide("[Comment]\r\nComment=w\r\n") + "\x41", "", "w"},
    {"UTF-16 lone surrogate", wide("[Comment]\r\nComment=w\r\n") + std::string("\x00\xDC", 2), "",
     "w"},
    {"bracket alone", "[", "", ""},
    {"no section", "URL=http://x/\r\nComment=c", "", ""},
    {"empty names", "[]\r\n=\r\n[ ]\r\n =v", "", ""},
};

class ShortcutReplay : public ::testing::TestWithParam<const CodePage*> {
protected:
    void SetUp() override { CodePage::setActiveForTesting(GetParam()); }
    void TearDown() override { CodePage::setActiveForTesting(nullptr); }
    mvtest::TempDir dir;
};

} // namespace

TEST_P(ShortcutReplay, ReadsWithoutHarmAndWritesReadBack) {
    const bool unicodeProgram = GetParam()->id() == 65001;
    for (const Replay& r : kReplays) {
        SCOPED_TRACE(r.name);
        const std::string path = dir / "r.url";
        mvtest::writeBytes(path, r.bytes);
        const mv::ShortcutValues read = mv::ReadShortcutValues(path);
        EXPECT_TRUE(read.Readable);
        if (unicodeProgram) {
            EXPECT_TRUE(read.Url == r.url);
            EXPECT_EQ(read.Comment, r.comment);
            EXPECT_TRUE(mv::ReadShortcutUrl(path) == r.url.substr(0, 2047));
        }
        for (const auto& [url, comment] : {std::pair<std::string, std::string>{"http://u/", "c"},
                                           {"http://u2/", GetParam()->fromUtf8Lossy("日本")}}) {
            const std::string before = mvtest::readBytes(path);
            try {
                mv::WriteShortcutUrl(path, url);
                mv::WriteShortcutComment(path, comment);
            } catch (const mv::Error&) {
                EXPECT_EQ(mvtest::readBytes(path),
                          before); // refused whole (UTF-16 that would not survive)
                continue;
            }
            const mv::ShortcutValues back = mv::ReadShortcutValues(path);
            EXPECT_EQ(back.Url, url);
            EXPECT_EQ(back.Comment, comment);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothCodePages, ShortcutReplay,
                         ::testing::Values(&CodePage::utf8(), &CodePage::cp932()),
                         [](const auto& p) { return p.param->id() == 932 ? "Cp932" : "Utf8"; });

namespace {
long peakKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs `body` in a child and returns how far its peak memory rose above the start, in KiB,
// or -1 when the body failed.
long peakGrowthInChild(const std::function<bool()>& body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const long start = peakKb();
        const long growth = body() ? peakKb() - start : -1;
        (void)!::write(pipeFds[1], &growth, sizeof growth);
        ::_exit(0);
    }
    long growth = -1;
    if (::read(pipeFds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return growth;
}
} // namespace

// A file of 50 MB of line breaks once made one read take gigabytes (a record per line).
TEST(ShortcutMemory, ManyLineBreaksReadAndWrittenInBoundedMemory) {
    mvtest::TempDir dir;
    const std::string path = dir / "breaks.url";
    const long sizeKb = 50 * 1024;
    mvtest::writeBytes(path,
                       std::string(sizeKb * 1024, '\n') + "[InternetShortcut]\nURL=http://end/\n");

    const long readGrowth =
        peakGrowthInChild([&] { return mv::ReadShortcutValues(path).Url == "http://end/"; });
    RecordProperty("read_growth_kb", static_cast<int>(readGrowth));
    EXPECT_GE(readGrowth, 0);
    EXPECT_LT(readGrowth, 3 * sizeKb);

    const long writeGrowth = peakGrowthInChild([&] {
        mv::WriteShortcutComment(path, "note");
        return mv::ReadShortcutComment(path) == "note";
    });
    RecordProperty("write_growth_kb", static_cast<int>(writeGrowth));
    EXPECT_GE(writeGrowth, 0);
    EXPECT_LT(writeGrowth, 5 * sizeKb);
}
