// What the library packs from the disk: never a file outside the base folder, never a hang on
// a FIFO or an endless file, every readable file even when others are not, each left-out
// file named with its reason, and the DOS attribute read as the program reads it.
#include "../support/TestFiles.h"
#include "lha_test_support.h"
#include "output_log.h"
#include "source_files.h"
#include "unlha32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

namespace lha {
namespace {

using namespace lha::test;

// The program's form: the names in an exact response file.
RunResult packList(const fs::path& arc, const fs::path& base, const std::vector<std::string>& names,
                   const std::string& switches = "-+ -p1 -x1 -jso1") {
    const fs::path list = arc.parent_path() / "names.txt";
    writeFile(list, exactList(names));
    return runLha("u " + switches + " \"" + arc.string() + "\" \"" + base.string() + "/\" \"@" +
                  list.string() + "\"");
}

// Runs a command that must not wait on `fifo`: when it still runs after ten seconds, a
// writer is opened and closed to release it, and the test fails.
RunResult runWithoutWaitingOn(const std::string& cmd, const fs::path& fifo) {
    auto call = std::async(std::launch::async, [&] { return runLha(cmd); });
    if (call.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the call waits on the FIFO: " << cmd;
        ::close(::open(fifo.c_str(), O_RDWR));
    }
    return call.get();
}

TEST(SourceFiles, NonRegularInputsAreRefusedAtOnce) {
    TempDir dir;
    const fs::path fifo = dir.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    writeFile(dir.path() / "b" / "f.url", "f");
    const std::string pack =
        "u \"" + (dir.path() / "a.lzh").string() + "\" \"" + (dir.path() / "b").string() + "/\" ";
    struct Case {
        std::string cmd;
        int code;
    };
    const Case cases[] = {
        {pack + "\"@" + fifo.string() + "\"", UNLHA_ERROR_RESPONSE_READ},
        {pack + "\"@/dev/zero\"", UNLHA_ERROR_RESPONSE_READ}, // endless
        {"t \"" + fifo.string() + "\"", UNLHA_ERROR_NOT_ARC_FILE},
        {"t \"/dev/zero\"", UNLHA_ERROR_NOT_ARC_FILE},
        {"t \"" + dir.str() + "\"", UNLHA_ERROR_NOT_ARC_FILE},
        {pack + "\"f.url\"", 0}, // the regular neighbour
    };
    for (const Case& c : cases) {
        const auto r = runWithoutWaitingOn(c.cmd, fifo);
        EXPECT_EQ(r.code, c.code) << c.cmd << "\n" << r.log;
    }
}

TEST(SourceFiles, NamesNeverLeaveTheBaseFolder) {
    TempDir dir;
    const fs::path base = dir.path() / "Favorites";
    const fs::path outside = dir.path() / "outside";
    writeFile(outside / "secret.url", "secret");
    writeFile(base / "sub" / "in.url", "in");
    fs::create_directory_symlink(outside, base / "away");
    fs::create_directory_symlink(base / "sub", base / "near");
    // A crafted folder `d" "` beside a file `d`: on the command line its name splits into
    // "d" and an absolute path that led outside.
    const std::string crafted = "d\" \"" + outside.string() + "/secret.url";
    writeFile(base / "d", "d");
    writeFile(base / crafted, "crafted");
    const fs::path arc = dir.path() / "a.lzh";
    struct Case {
        std::string name;
        int code;
    };
    const Case cases[] = {
        {"../outside/secret.url", UNLHA_ERROR_COMMAND},
        {"sub/../../outside/secret.url", UNLHA_ERROR_COMMAND},
        {(outside / "secret.url").string(), UNLHA_ERROR_COMMAND},
        {"away/secret.url", UNLHA_ERROR_COMMAND},
        {"away/*.url", UNLHA_ERROR_COMMAND},
        {"near/in.url", 0}, // a link that stays inside
        {"sub/in.url", 0},
    };
    for (const Case& c : cases) {
        fs::remove(arc);
        const auto viaList = packList(arc, base, {c.name});
        EXPECT_EQ(viaList.code, c.code) << c.name << "\n" << viaList.log;
        fs::remove(arc);
        const auto direct = runLha(programCommandLine(arc.string(), base.string(), {c.name}));
        EXPECT_EQ(direct.code, c.code) << c.name << "\n" << direct.log;
        if (c.code != 0) {
            EXPECT_FALSE(fs::exists(arc)) << c.name;
        }
    }
    // The crafted name on the command line is refused; in the response file it packs as
    // itself.
    fs::remove(arc);
    EXPECT_EQ(runLha(programCommandLine(arc.string(), base.string(), {crafted})).code,
              UNLHA_ERROR_COMMAND);
    fs::remove(arc);
    const auto r = packList(arc, base, {crafted, "d"});
    ASSERT_EQ(r.code, 0) << r.log;
    EXPECT_EQ(archiveNames(arc), (std::vector<std::string>{crafted, "d"}));
}

TEST(SourceFiles, UnreadableEntriesAreLeftOutAndNamed) {
    TempDir dir;
    const fs::path base = dir.path() / "Favorites";
    writeFile(base / "good.url", "good");
    writeFile(base / "sub" / "deep.url", "deep");
    fs::create_symlink(base / "gone.url", base / "dangling.url");
    ASSERT_EQ(::mkfifo((base / "fifo.url").c_str(), 0600), 0);
    writeFile(base / "Case.url", "upper");
    writeFile(base / "case.url", "lower");
    writeFile(base / "line\nbreak%.url", "odd");
    const std::vector<std::string> names = {"good.url",     "dangling.url",    "fifo.url",
                                            "gone.url",     "Case.url",        "case.url",
                                            "sub/deep.url", "line\nbreak%.url"};
    const fs::path arc = dir.path() / "a.lzh";
    const std::string list = (dir.path() / "names.txt").string();
    std::string zeroList = "\xEF\xBB\xBF";
    for (const auto& n : names)
        zeroList += n + std::string(1, '\0');
    writeFile(list, zeroList);
    const auto r = runLha("u -+ -p1 -x1 -jso1 \"" + arc.string() + "\" \"" + base.string() +
                          "/\" \"@" + list + "\"");
    EXPECT_EQ(r.code, UNLHA_PARTIAL) << r.log;
    EXPECT_EQ(archiveNames(arc), (std::vector<std::string>{"good.url", "Case.url", "sub/deep.url",
                                                           "line\nbreak%.url"}));
    for (const char* line :
         {"warning: left out: dangling link: dangling.url\n",
          "warning: left out: not a regular file: fifo.url\n",
          "warning: left out: missing: gone.url\n",
          "warning: left out: same name as another file: case.url\n", "4 files left out\n"})
        EXPECT_NE(r.log.find(line), std::string::npos) << line << r.log;

    // The same tree by mask and by folder: what is left out is named, never dropped quietly;
    // an escaped name stays on its line.
    const auto masked = runLha("u -x1 -r2 \"" + (dir.path() / "b.lzh").string() + "\" \"" +
                               dir.str() + "/\" \"Favorites\"");
    EXPECT_EQ(masked.code, UNLHA_PARTIAL) << masked.log;
    for (const char* line : {"warning: left out: dangling link: Favorites/dangling.url\n",
                             "warning: left out: not a regular file: Favorites/fifo.url\n",
                             "warning: left out: same name as another file: Favorites/case.url\n"})
        EXPECT_NE(masked.log.find(line), std::string::npos) << line << masked.log;
    EXPECT_EQ(escapeName("line\nbreak%.url"), "line%0Abreak%25.url");

    // Nothing readable at all: an error, and no archive.
    fs::remove(arc);
    const auto none = packList(arc, base, {"fifo.url", "gone.url"});
    EXPECT_EQ(none.code, UNLHA_ERROR_NOT_EXIST) << none.log;
    EXPECT_FALSE(fs::exists(arc));
}

TEST(SourceFiles, UnreadableFilesAndFoldersAsAnOrdinaryUser) {
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0777));
    const fs::path base = dir.path() / "Favorites";
    writeFile(base / "good.url", "good");
    writeFile(base / "secret.url", "secret");
    writeFile(base / "closed" / "inner.url", "inner");
    fs::permissions(base / "secret.url", fs::perms(0200));
    fs::permissions(base / "closed", fs::perms(0300));
    for (const auto& p : {base, base / "good.url"})
        fs::permissions(p, fs::perms(0777));
    const int status = mvtest::runUnprivileged([&] {
        const fs::path arc = dir.path() / "a.lzh";
        const auto r = packList(arc, base, {"good.url", "secret.url"});
        const auto tree = runLha("u -x1 -r2 \"" + (dir.path() / "b.lzh").string() + "\" \"" +
                                 dir.str() + "/\" \"Favorites\"");
        const bool ok =
            r.code == UNLHA_PARTIAL &&
            r.log.find("warning: left out: unreadable: secret.url\n") != std::string::npos &&
            archiveNames(arc) == std::vector<std::string>{"good.url"} &&
            tree.code == UNLHA_PARTIAL &&
            tree.log.find("warning: left out: unreadable folder: Favorites/closed\n") !=
                std::string::npos &&
            tree.log.find("warning: left out: unreadable: Favorites/secret.url\n") !=
                std::string::npos;
        if (!ok) std::fprintf(stderr, "%s\n---\n%s\n", r.log.c_str(), tree.log.c_str());
        return ok ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

TEST(SourceFiles, AFileChangingWhilePackedIsReported) {
    TempDir dir;
    const fs::path base = dir.path() / "Favorites";
    writeFile(base / "still.url", "still");
    writeFile(base / "growing.bin", std::string(8 << 20, 'g'));
    std::atomic<bool> stop{false}, started{false};
    std::thread writer([&] {
        const int fd = ::open((base / "growing.bin").c_str(), O_WRONLY | O_APPEND);
        while (!stop && fd >= 0) {
            if (::write(fd, "more", 4) != 4) break;
            started = true;
        }
        started = true;
        ::close(fd);
    });
    while (!started)
        std::this_thread::yield();
    const fs::path arc = dir.path() / "a.lzh";
    const auto r = packList(arc, base, {"still.url", "growing.bin"});
    stop = true;
    writer.join();
    EXPECT_EQ(r.code, UNLHA_PARTIAL) << r.log;
    EXPECT_NE(r.log.find("warning: left out: changed while packing: growing.bin\n"),
              std::string::npos)
        << r.log;
    EXPECT_EQ(archiveNames(arc), std::vector<std::string>{"still.url"});
}

TEST(DosAttribute, WellFormedValuesOnly) {
    const std::string blob4("\x04\x00\x04\x00\x01\x00\x00\x00\x02\x00\x00\x00", 12);
    const std::string blob5("\x05\x00\x05\x00\x01\x00\x00\x00\x22\x00\x00\x00", 12);
    const std::string blob3("\x03\x00\x03\x00\x01\x00\x00\x00\x02\x00\x00\x00", 12);
    struct Case {
        std::string value;
        bool ok;
        std::uint32_t word;
    };
    const Case cases[] = {
        {"0x2", true, 2},
        {"0X22", true, 0x22},
        {std::string("0x2\0", 4), true, 2},
        {"0xffffffff", true, 0xFFFFFFFF},
        {"0x100000002", false, 0},
        {"0x-1", false, 0},
        {"0x+2", false, 0},
        {"0x2junk", false, 0},
        {"0x 2", false, 0},
        {std::string("0x2\0\0", 5), false, 0},
        {"0x", false, 0},
        {"2", false, 0},
        {blob4, true, 2},
        {blob5, true, 0x22},
        {blob3, false, 0},
        {blob4.substr(0, 11), false, 0},
    };
    for (const Case& c : cases) {
        std::uint32_t word = 0xDEAD;
        EXPECT_EQ(parseDosAttrib(c.value.data(), c.value.size(), word), c.ok) << c.value;
        if (c.ok) {
            EXPECT_EQ(word, c.word) << c.value;
        }
    }
}

TEST(DosAttribute, HiddenFavoritesAreLeftOfMasksInEitherForm) {
    TempDir dir;
    const fs::path base = dir.path() / "Favorites";
    const std::string blob("\x04\x00\x04\x00\x01\x00\x00\x00\x02\x00\x00\x00", 12);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"text.url", "0x2"}, {"samba.url", blob}, {"bad.url", "0x-1"}, {"plain.url", ""}};
    for (const auto& [name, value] : files) {
        writeFile(base / name, name);
        if (!value.empty() &&
            ::setxattr((base / name).c_str(), "user.DOSATTRIB", value.data(), value.size(), 0) != 0)
            GTEST_SKIP() << "no user extended attributes here";
    }
    const fs::path arc = dir.path() / "a.lzh";
    const auto r = runLha("u -x1 \"" + arc.string() + "\" \"" + base.string() + "/\" \"*.url\"");
    ASSERT_EQ(r.code, 0) << r.log;
    EXPECT_EQ(archiveNames(arc), (std::vector<std::string>{"bad.url", "plain.url"}));
}

} // namespace
} // namespace lha
