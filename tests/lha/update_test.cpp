// The u/a/f commands: updating archives made by other tools, replacement rules, switches,
// and failures that must leave the old archive exactly as it was.
#include "archive_update.h"
#include "codepage.h"
#include "error.h"
#include "header_reader.h"
#include "lha_test_support.h"
#include "read_fixtures.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace lha {
namespace {

using namespace lha::test;

std::vector<ArchiveEntry> entriesOf(const std::string& arc) {
    FileDescriptor fd(::open(arc.c_str(), O_RDONLY));
    struct stat st;
    ::fstat(fd.get(), &st);
    return readArchive(fd.get(), static_cast<std::uint64_t>(st.st_size));
}

std::vector<std::string> listedNames(const std::string& arc) {
    const auto r = runTool({"bsdtar", "--options", "hdrcharset=CP932", "-tf", arc});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> v;
    std::size_t start = 0;
    while (start < r.out.size()) {
        const auto nl = r.out.find('\n', start);
        v.push_back(r.out.substr(start, nl - start));
        start = nl + 1;
    }
    return v;
}

std::map<std::string, std::string> extracted(const std::string& arc, const fs::path& out) {
    fs::create_directories(out);
    const auto r = runTool({"bsdtar", "-xf", arc, "-C", out.string()});
    EXPECT_EQ(r.status, 0) << arc << ": " << r.err;
    auto tree = readTree(out);
    fs::remove_all(out);
    return tree;
}

std::map<std::string, std::string> extracted7z(const std::string& arc, const fs::path& out) {
    const auto r = runTool({"7zz", "x", "-y", "-o" + out.string(), arc});
    EXPECT_EQ(r.status, 0) << arc << ": " << r.out;
    auto tree = readTree(out);
    fs::remove_all(out);
    return tree;
}

// Files in `folder` other than those named.
std::vector<std::string> strays(const fs::path& folder, const std::set<std::string>& expected) {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(folder))
        if (!expected.count(e.path().filename().string()))
            v.push_back(e.path().filename().string());
    return v;
}

std::string cmd(const std::string& word, const std::string& switches, const fs::path& arc,
                const fs::path& base, const std::vector<std::string>& names) {
    std::string c = word + " " + switches + " \"" + arc.string() + "\" \"" + base.string() + "/\"";
    for (const auto& n : names)
        c += " \"" + n + "\"";
    return c;
}

// Old archives from 13 tools: each gets one new file; every old entry stays byte for byte.
TEST(UpdateForeignArchives, KeepEveryOldEntry) {
    const fs::path root = testData() / "lha";
    ASSERT_TRUE(fs::is_directory(root)) << "MARKVANE_TESTDATA not set or incomplete";
    std::vector<fs::path> archives;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.path().extension() == ".lzh" && e.path().filename() != "truncated.lzh")
            archives.push_back(e.path());
    std::sort(archives.begin(), archives.end());
    ASSERT_GE(archives.size(), 25u);

    TempDir dir;
    writeFile(dir.path() / "base" / "新しい.url", "[InternetShortcut]\r\nURL=http://n/\r\n");
    for (const fs::path& original : archives) {
        SCOPED_TRACE(original.string());
        const fs::path arc = dir.path() / "work.lzh";
        fs::copy_file(original, arc, fs::copy_options::overwrite_existing);
        const std::string before = readFile(arc);
        const auto oldEntries = entriesOf(arc.string());
        // 7-Zip reads them all (bsdtar refuses the MorphOS archive's attribute byte and the
        // EUC and Shift-JIS names in a UTF-8 locale).
        const auto oldTree = extracted7z(arc.string(), dir.path() / "x");

        const auto r =
            runLha(cmd("u", "-+ -p1 -x1 -jso1", arc, dir.path() / "base", {"新しい.url"}));
        ASSERT_EQ(r.code, 0) << r.log;
        const std::string after = readFile(arc);
        std::uint64_t kept = 0;
        for (const auto& e : oldEntries)
            kept += e.span;
        EXPECT_EQ(after.substr(0, kept), before.substr(0, kept));
        EXPECT_EQ(after.back(), '\0');

        auto newTree = extracted7z(arc.string(), dir.path() / "x");
        EXPECT_EQ(newTree.erase("\x90\x56\x82\xB5\x82\xA2.url"), 1u); // 新しい in CP932
        EXPECT_TRUE(newTree == oldTree);
        // The library's own test decodes each entry, its -lh5- decoder against 13 encoders.
        EXPECT_EQ(runLha("t \"" + arc.string() + "\"").code, 0);
    }
}

TEST(UpdateForeignArchives, RefusesADamagedArchive) {
    TempDir dir;
    const fs::path arc = dir.path() / "t.lzh";
    fs::copy_file(testData() / "lha/test/archives/regression/truncated.lzh", arc);
    writeFile(dir.path() / "b" / "n.url", "x");
    const std::string before = readFile(arc);
    const auto r = runLha(cmd("u", "-x1 -p1", arc, dir.path() / "b", {"n.url"}));
    EXPECT_EQ(r.code, UNLHA_ERROR_HEADER_BROKEN) << r.log;
    EXPECT_NE(r.log.find("error:"), std::string::npos);
    EXPECT_EQ(readFile(arc), before);
    EXPECT_TRUE(strays(dir.path(), {"t.lzh", "b"}).empty());

    writeFile(arc, "this is not an archive at all");
    EXPECT_EQ(runLha(cmd("u", "", arc, dir.path() / "b", {"n.url"})).code,
              UNLHA_ERROR_NOT_ARC_FILE);
}

// An existing file is updated only when it is a well-formed archive; anything else is refused
// and left exactly as it was.
TEST(UpdateForeignArchives, RefusesWhatIsNotAWellFormedArchive) {
    TempDir dir;
    writeFile(dir.path() / "b" / "n.url", "x");
    std::string zeroFirst = readFile(testData() / "lha/test/archives/lha213/lh5.lzh");
    zeroFirst[0] = '\0';
    const std::string two = level2Entry("a", "A") + level2Entry("c", "C");
    const std::pair<const char*, std::string> cases[] = {
        {"text after a zero byte", '\0' + std::string(903, 'x')},
        {"archive with its first byte damaged", zeroFirst},
        {"empty file", ""},
        {"entries after a stray zero", level2Entry("a", "A") + '\0' + level2Entry("c", "C") + '\0'},
        {"a byte after the end marker", two + '\0' + 'x'},
    };
    const fs::path arc = dir.path() / "t.lzh";
    for (const auto& [what, bytes] : cases) {
        writeFile(arc, bytes);
        const auto r = runLha(cmd("u", "-x1 -p1", arc, dir.path() / "b", {"n.url"}));
        EXPECT_NE(r.code, 0) << what;
        EXPECT_NE(r.log.find("error:"), std::string::npos) << what << ": " << r.log;
        EXPECT_EQ(readFile(arc), bytes) << what;
        EXPECT_TRUE(strays(dir.path(), {"t.lzh", "b"}).empty()) << what;
    }
}

// A level-2 header whose size has a zero low byte starts with 0x00, like the end marker.
TEST(UpdateForeignArchives, KeepsEntriesAfterAHeaderOfSize256) {
    TempDir dir;
    const fs::path arc = dir.path() / "abc.lzh";
    const std::string old =
        level2Entry("a", "A") + level2Entry("b", "B", 256) + level2Entry("c", "C") + '\0';
    writeFile(arc, old);
    // 7-Zip lists such archives whole (bsdtar stops at the 0x00 as we used to).
    const auto listed7z = [&] {
        const auto l = runTool({"7zz", "l", "-slt", arc.string()});
        std::string paths;
        std::size_t at = 0;
        while ((at = l.out.find("\nPath = ", at)) != std::string::npos) {
            at += 8;
            paths += l.out.substr(at, l.out.find('\n', at) - at) + ";";
        }
        return paths;
    };
    ASSERT_EQ(listed7z(), arc.string() + ";a;b;c;");
    writeFile(dir.path() / "b" / "d.url", "D");
    const auto r = runLha(cmd("u", "-x1 -p1", arc, dir.path() / "b", {"d.url"}));
    ASSERT_EQ(r.code, 0) << r.log;
    EXPECT_EQ(listed7z(), arc.string() + ";a;b;c;d.url;");
    EXPECT_EQ(readFile(arc).substr(0, old.size() - 1), old.substr(0, old.size() - 1));
}

TEST(UpdateForeignArchives, DosTimeStampsCompareInTwoSecondSteps) {
    // A level-0 entry "GPL-2" keeps a local time with 2-second steps: a file one second newer
    // has the same stamp and is not newer; two seconds newer is.
    TempDir dir;
    const fs::path arc = dir.path() / "a.lzh";
    fs::copy_file(testData() / "lha/test/archives/lh2_222/lh5.lzh", arc);
    const auto entries = entriesOf(arc.string());
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_TRUE(entries[0].dosTime);
    const std::string name = entries[0].path;
    writeFile(dir.path() / "b" / name, "replacement");
    setMtime(dir.path() / "b" / name, entries[0].mtime + 1);
    auto r = runLha(cmd("u", "-p1", arc, dir.path() / "b", {name}));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(entriesOf(arc.string())[0].originalSize, entries[0].originalSize) << r.log;
    setMtime(dir.path() / "b" / name, entries[0].mtime + 2);
    r = runLha(cmd("u", "-p1", arc, dir.path() / "b", {name}));
    EXPECT_EQ(r.code, 0);
    const auto now = entriesOf(arc.string());
    ASSERT_EQ(now.size(), 1u);
    EXPECT_EQ(now[0].originalSize, 11u);
    EXPECT_EQ(now[0].level, 2);
}

// An unchanged file updated again is not added again, whatever its name holds.
TEST(UpdateMatching, UnchangedFilesAreNotAddedTwice) {
    const char* names[] = {"予定表.url",
                           "ソ.url",
                           "back\\slash.url",
                           "bad\xFF\xFE"
                           "bytes.url",
                           "ＡＢ～¥.url",
                           "sub/表/予定表.url"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        TempDir dir;
        writeFile(dir.path() / "b" / name, "[InternetShortcut]\r\nURL=http://x/\r\n");
        const fs::path arc = dir.path() / "a.lzh";
        for (int round = 0; round < 3; ++round) {
            const auto r = runLha(cmd("u", "-+ -p1 -x1 -jso1", arc, dir.path() / "b", {name}));
            ASSERT_EQ(r.code, 0) << r.log;
        }
        EXPECT_EQ(entriesOf(arc.string()).size(), 1u);
    }
}

// Archived names match as their origin system compares names: DOS and Windows ignore ASCII
// case, Unix does not.
TEST(UpdateMatching, CaseFollowsTheArchivesOrigin) {
    const std::string yotei = "\x97\x5C\x92\xE8\x95\x5C.url"; // 予定表.url, two 0x5C trail bytes
    struct Case {
        const char* what;
        std::string entry;
        std::string file;
        std::size_t entriesAfter; // 1: replaced, 2: added beside it
    };
    const Case cases[] = {
        {"level 2, Windows", level2Entry("FOO.URL", "old"), "foo.url", 1},
        {"level 2, Windows (W)", level2Entry("FOO.URL", "old", 0, 'W'), "foo.url", 1},
        {"level 2, Unix", level2Entry("FOO.URL", "old", 0, 'U'), "foo.url", 2},
        {"level 2, Unix, same case", level2Entry("foo.url", "old", 0, 'U'), "foo.url", 1},
        {"level 0", level01Entry(0, "FOO.URL", "old"), "foo.url", 1},
        {"level 1, MS-DOS", level01Entry(1, "FOO.URL", "old"), "foo.url", 1},
        {"level 1, Unix", level01Entry(1, "FOO.URL", "old", 0x56EF6000, 'U'), "foo.url", 2},
        {"non-ASCII letters keep their case", level2Entry("\x82\x60.url", "old"), "ａ.url", 2},
        {"CP932 0x5C trail bytes, level 0", level01Entry(0, yotei, "old"), "予定表.url", 1},
        {"CP932 0x5C trail bytes in a level-0 folder", level01Entry(0, "\x83\x5C\\" + yotei, "old"),
         "ソ/予定表.url", 1},
        {"CP932 0x5C trail bytes, level 2", level2Entry(yotei, "old", 0, 'U'), "予定表.url", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path arc = dir.path() / "a.lzh";
        writeFile(arc, c.entry + '\0');
        writeFile(dir.path() / "b" / c.file, "new");
        const auto r = runLha(cmd("u", "-p1 -x1", arc, dir.path() / "b", {c.file}));
        ASSERT_EQ(r.code, 0) << r.log;
        const auto now = entriesOf(arc.string());
        EXPECT_EQ(now.size(), c.entriesAfter) << r.log;
        EXPECT_EQ(now.back().path, c.file);
    }
}

class Replacement : public ::testing::Test {
protected:
    void SetUp() override {
        base = dir.path() / "base";
        arc = dir.path() / "a.lzh";
        writeFile(base / "a.url", "first a");
        writeFile(base / "sub" / "b.url", "first b");
        writeFile(base / "c.url", "first c");
        setMtime(base / "a.url", 1000000000);
        setMtime(base / "sub" / "b.url", 1000000000);
        setMtime(base / "c.url", 1000000000);
        ASSERT_EQ(runLha(cmd("u", "-p1 -x1", arc, base, {"a.url", "sub/b.url", "c.url"})).code, 0);
    }
    std::map<std::string, std::string> contents() {
        return extracted(arc.string(), dir.path() / "x");
    }
    void change(const std::string& name, std::int64_t mtime) {
        writeFile(base / name, "second " + name);
        setMtime(base / name, mtime);
    }

    TempDir dir;
    fs::path base, arc;
};

TEST_F(Replacement, OnlyOlderArchivedCopiesAreReplacedInPlace) {
    change("a.url", 1000000100); // newer
    change("c.url", 999999000);  // older
    writeFile(base / "d.url", "new d");
    const std::string before = readFile(arc.string());
    const auto old = entriesOf(arc.string());
    const auto r = runLha(cmd("u", "-p1 -x1", arc, base, {"a.url", "sub/b.url", "c.url", "d.url"}));
    ASSERT_EQ(r.code, 0) << r.log;
    const auto c = contents();
    EXPECT_EQ(c.at("a.url"), "second a.url");
    EXPECT_EQ(c.at("sub/b.url"), "first b");
    EXPECT_EQ(c.at("c.url"), "first c");
    EXPECT_EQ(c.at("d.url"), "new d");
    EXPECT_EQ(listedNames(arc.string()),
              (std::vector<std::string>{"a.url", "sub/b.url", "c.url", "d.url"}));
    // The untouched entries are the old bytes.
    const std::string after = readFile(arc.string());
    const auto now = entriesOf(arc.string());
    for (std::size_t i : {1u, 2u})
        EXPECT_EQ(after.substr(now[i].offset, now[i].span),
                  before.substr(old[i].offset, old[i].span));
}

TEST_F(Replacement, NothingNewerLeavesTheFileAlone) {
    struct stat before;
    ASSERT_EQ(::stat(arc.c_str(), &before), 0);
    const auto r = runLha(cmd("u", "-p1 -x1", arc, base, {"a.url", "sub/b.url"}));
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.log.find("archive unchanged"), std::string::npos) << r.log;
    struct stat after;
    ASSERT_EQ(::stat(arc.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino); // not even rewritten
}

TEST_F(Replacement, CommandsAndSwitchesThatChangeTheRules) {
    change("c.url", 999999000); // older than the archived copy
    writeFile(base / "e.url", "new e");
    // -c1: no time comparison.
    ASSERT_EQ(runLha(cmd("u", "-p1 -x1 -c1", arc, base, {"c.url"})).code, 0);
    EXPECT_EQ(contents().at("c.url"), "second c.url");
    // f: freshens only; a new name is not added.
    change("a.url", 1000000100);
    ASSERT_EQ(runLha(cmd("f", "-p1 -x1", arc, base, {"a.url", "e.url"})).code, 0);
    auto c = contents();
    EXPECT_EQ(c.at("a.url"), "second a.url");
    EXPECT_EQ(c.count("e.url"), 0u);
    // a: adds and replaces whatever the times say.
    writeFile(base / "sub" / "b.url", "third b");
    setMtime(base / "sub" / "b.url", 1);
    ASSERT_EQ(runLha(cmd("a", "-p1 -x1", arc, base, {"sub/b.url", "e.url"})).code, 0);
    c = contents();
    EXPECT_EQ(c.at("sub/b.url"), "third b");
    EXPECT_EQ(c.at("e.url"), "new e");
    EXPECT_EQ(runLha(cmd("f", "", dir.path() / "none.lzh", base, {"a.url"})).code,
              UNLHA_ERROR_ARC_FILE_OPEN);
}

TEST_F(Replacement, PathSwitches) {
    // -p0 matches by name alone: other/b.url meets the archived sub/b.url.
    writeFile(base / "other" / "b.url", "other b");
    setMtime(base / "other" / "b.url", 1000000100);
    ASSERT_EQ(runLha(cmd("u", "-x1 -p0", arc, base, {"other/b.url"})).code, 0);
    EXPECT_EQ(listedNames(arc.string()),
              (std::vector<std::string>{"a.url", "other/b.url", "c.url"}));
    // -x0 stores names without folders.
    const fs::path arc2 = dir.path() / "flat.lzh";
    ASSERT_EQ(runLha(cmd("u", "-x0", arc2, base, {"sub/b.url", "a.url"})).code, 0);
    EXPECT_EQ(listedNames(arc2.string()), (std::vector<std::string>{"b.url", "a.url"}));
}

TEST(UpdateSearch, WildcardsRecursionAndHiddenFiles) {
    TempDir dir;
    const fs::path base = dir.path() / "base";
    writeFile(base / "a.url", "a");
    writeFile(base / "B.URL", "b");
    writeFile(base / "note.txt", "t");
    writeFile(base / "sub" / "c.url", "c");
    writeFile(base / "sub" / "deep" / "d.url", "d");
    writeFile(base / "sub" / "hidden.url", "h");
    const bool xattrs =
        ::setxattr((base / "sub" / "hidden.url").c_str(), "user.DOSATTRIB", "0x22", 4, 0) == 0;
    const fs::path arc = base / "self.lzh"; // inside the searched folder
    writeFile(arc, "");
    fs::remove(arc);

    ASSERT_EQ(runLha(cmd("u", "-x1", arc, base, {"*.url"})).code, 0);
    EXPECT_EQ(listedNames(arc.string()), (std::vector<std::string>{"B.URL", "a.url"}));
    fs::remove(arc);
    ASSERT_EQ(runLha(cmd("u", "-x1 -r1", arc, base, {"*.url"})).code, 0);
    auto names = listedNames(arc.string());
    EXPECT_EQ(std::count(names.begin(), names.end(), "sub/deep/d.url"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "sub/hidden.url"), xattrs ? 0 : 1);
    ASSERT_EQ(runLha(cmd("u", "-x1 -r1 -a1", arc, base, {"sub/*.url"})).code, 0);
    names = listedNames(arc.string());
    EXPECT_EQ(std::count(names.begin(), names.end(), "sub/hidden.url"), 1);
    // -r2 packs a folder's whole tree; the archive itself, now inside it, is left out.
    const auto r = runLha(cmd("u", "-x1 -r2", arc, dir.path(), {"base"}));
    ASSERT_EQ(r.code, 0) << r.log;
    EXPECT_NE(r.log.find("the archive itself is not packed"), std::string::npos) << r.log;
    names = listedNames(arc.string());
    EXPECT_EQ(std::count(names.begin(), names.end(), "base/note.txt"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "base/self.lzh"), 0);
    // A folder without -r2 and a name outside the base are refused.
    EXPECT_EQ(runLha(cmd("u", "-x1", arc, base, {"sub"})).code, UNLHA_ERROR_FILE_OPEN);
    EXPECT_EQ(runLha(cmd("u", "-x1", arc, base, {"../x.url"})).code, UNLHA_ERROR_COMMAND);
    // A name containing "?" that exists is taken as it is, not as a mask.
    writeFile(base / "what?.url", "q");
    writeFile(base / "whatX.url", "x");
    const fs::path arc3 = dir.path() / "q.lzh";
    ASSERT_EQ(runLha(cmd("u", "", arc3, base, {"what?.url"})).code, 0);
    EXPECT_EQ(listedNames(arc3.string()), std::vector<std::string>{"what?.url"});
}

TEST(UpdateTarget, SymlinkAndPermissionsOfTheArchiveSurvive) {
    TempDir dir;
    writeFile(dir.path() / "b" / "x.url", "x");
    writeFile(dir.path() / "b" / "y.url", "y");
    const fs::path real = dir.path() / "real.lzh";
    ASSERT_EQ(runLha(cmd("u", "", real, dir.path() / "b", {"x.url"})).code, 0);
    fs::permissions(real, fs::perms(0640));
    const fs::path link = dir.path() / "link.lzh";
    fs::create_symlink(real, link);
    ASSERT_EQ(runLha(cmd("u", "", link, dir.path() / "b", {"y.url"})).code, 0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(listedNames(real.string()), (std::vector<std::string>{"x.url", "y.url"}));
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms(0640));
}

TEST(UpdateCodePage, Cp932CommandLineOnAUtf8Disk) {
    // MARKVANE_ACP=932: the program hands over CP932 text, the disk spells names in UTF-8.
    TempDir dir;
    const fs::path base = dir.path() / "お気に入り";
    writeFile(base / "天気予報" / "東京.url", "[InternetShortcut]\r\nURL=http://t/\r\n");
    const std::string arc = (dir.path() / "書庫.lzh").string();
    const auto sjis = [](const std::string& s) { return *fromUtf8(s, CodePage::Cp932); };
    ::setenv("MARKVANE_ACP", "932", 1);
    const auto r = runLha("u -+ -p1 -x1 -jso1  \"" + sjis(arc) + "\" \"" + sjis(base.string()) +
                          "/\" \"" + sjis("天気予報/東京.url") + "\" ");
    ::unsetenv("MARKVANE_ACP");
    ASSERT_EQ(r.code, 0) << r.log;
    EXPECT_NE(r.log.find(sjis("天気予報/東京.url")), std::string::npos); // the log is CP932 too
    EXPECT_EQ(listedNames(arc), std::vector<std::string>{"天気予報/東京.url"});
}

// Runs the library with file-system permissions enforced: as root, by switching this
// thread's file-system uid to nobody.
class AsNobody {
public:
    AsNobody() : root_(::geteuid() == 0) {
        if (root_) ::setfsuid(65534);
    }
    ~AsNobody() {
        if (root_) ::setfsuid(0);
    }

private:
    bool root_;
};

class FailedUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        fs::permissions(dir.path(), fs::perms(0777));
        base = dir.path() / "base";
        target = dir.path() / "out";
        fs::create_directories(target);
        fs::permissions(target, fs::perms(0777));
        writeFile(base / "old.url", "old");
        arc = target / "a.lzh";
        ASSERT_EQ(runLha(cmd("u", "-x1", arc, base, {"old.url"})).code, 0);
        fs::permissions(arc, fs::perms(0666));
        writeFile(base / "new.url", std::string(200000, 'n'));
        writeFile(base / "zz.url", "zz");
        before = readFile(arc);
    }
    void expectUntouched() {
        EXPECT_EQ(readFile(arc), before);
        EXPECT_EQ(strays(target, {"a.lzh"}), std::vector<std::string>{});
    }

    TempDir dir;
    fs::path base, target, arc;
    std::string before;
};

// A source that cannot be read is left out and named; the rest is packed.
TEST_F(FailedUpdate, UnreadableOrMissingSourceIsLeftOut) {
    fs::permissions(base / "zz.url", fs::perms::none);
    const std::pair<const char*, const char*> cases[] = {
        {"zz.url", "warning: left out: unreadable: zz.url"},
        {"missing.url", "warning: left out: missing: missing.url"},
    };
    for (const auto& [name, note] : cases) {
        writeFile(arc, before);
        RunResult r;
        {
            AsNobody nobody;
            r = runLha(cmd("u", "-x1", arc, base, {"new.url", name}));
        }
        EXPECT_EQ(r.code, UNLHA_PARTIAL) << r.log;
        EXPECT_NE(r.log.find(note), std::string::npos) << r.log;
        std::vector<std::string> names;
        for (const auto& e : entriesOf(arc.string()))
            names.push_back(e.path);
        EXPECT_EQ(names, (std::vector<std::string>{"old.url", "new.url"})) << name;
        EXPECT_EQ(strays(target, {"a.lzh"}), std::vector<std::string>{});
    }
}

TEST_F(FailedUpdate, ReadOnlyTargetFolder) {
    fs::permissions(target, fs::perms(0555));
    {
        AsNobody nobody;
        const auto r = runLha(cmd("u", "-x1", arc, base, {"new.url"}));
        EXPECT_EQ(r.code, UNLHA_ERROR_READ_ONLY) << r.log;
    }
    fs::permissions(target, fs::perms(0777));
    expectUntouched();
}

// A temporary file on a disk that fills up after `room` bytes.
class FullDisk : public TempFileOutput {
public:
    FullDisk(const std::string& target, const struct stat* old, std::uint64_t room)
        : TempFileOutput(target, old), room_(room) {}

protected:
    void writeToFile(std::uint64_t offset, const void* data, std::size_t size) override {
        if (offset + size > room_) {
            if (offset < room_)
                TempFileOutput::writeToFile(offset, data, room_ - offset); // a short write
            fail("cannot write " + tempPath(), ENOSPC);
        }
        TempFileOutput::writeToFile(offset, data, size);
    }

private:
    std::uint64_t room_;
};

TEST_F(FailedUpdate, DiskFullWhileWriting) {
    for (std::uint64_t room : {10ull, 300000ull}) {
        CommandLine cl =
            parseCommandLine(cmd("u", "-x1", arc, base, {"new.url", "zz.url"}), CodePage::Utf8);
        // Incompressible data so that the archive outgrows the room late in the run.
        std::string noise(400000, 0);
        std::uint32_t x = 1;
        for (char& c : noise)
            c = static_cast<char>((x = x * 1103515245 + 12345) >> 24);
        writeFile(base / "new.url", noise);
        OutputLog log;
        try {
            updateArchive(cl, log, {}, [&](const std::string& t, const struct stat* old) {
                return std::make_unique<FullDisk>(t, old, room);
            });
            ADD_FAILURE() << "no error with room " << room;
        } catch (const LhaError& e) {
            EXPECT_EQ(e.code(), UNLHA_ERROR_DISK_SPACE);
        }
        expectUntouched();
    }
}

// Output that lets a test change a source after it was collected: before packing starts, or
// while its entry is being written (the file is open then).
class Meddling : public TempFileOutput {
public:
    Meddling(const std::string& target, const struct stat* old, std::function<void()> first)
        : TempFileOutput(target, old), first_(std::move(first)) {}
    void write(const void* data, std::size_t size) override {
        if (first_) std::exchange(first_, nullptr)();
        TempFileOutput::write(data, size);
    }

private:
    std::function<void()> first_;
};

TEST(UpdateLeftOut, SourcesThatChangeAfterCollectionAreLeftOutAndNamed) {
    struct Case {
        const char* what;
        bool archived; // a.url is in the archive already, older
        std::function<void(const fs::path&)> atStart, atFirstWrite;
        const char* note;
        std::vector<std::string> entries;
    };
    const auto none = [](const fs::path&) {};
    const auto remove = [](const fs::path& a) { fs::remove(a); };
    const auto fifo = [](const fs::path& a) {
        fs::remove(a);
        ASSERT_EQ(::mkfifo(a.c_str(), 0644), 0);
    };
    const auto grow = [](const fs::path& a) { writeFile(a, "grown while packed"); };
    const Case cases[] = {
        {"untouched", false, none, none, nullptr, {"a.url", "b.url"}},
        {"vanished", false, remove, none, "warning: left out: missing: a.url", {"b.url"}},
        {"replaced by a FIFO",
         false,
         fifo,
         none,
         "warning: left out: unreadable: a.url",
         {"b.url"}},
        {"grew while packed",
         false,
         none,
         grow,
         "warning: left out: changed while packing: a.url",
         {"b.url"}},
        {"grew while packed, archived copy kept",
         true,
         none,
         grow,
         "warning: left out: changed while packing: a.url",
         {"a.url", "b.url"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path base = dir.path() / "base", arc = dir.path() / "a.lzh";
        writeFile(base / "a.url", c.archived ? "old" : "first");
        setMtime(base / "a.url", 1000000000);
        std::string old;
        if (c.archived) {
            ASSERT_EQ(runLha(cmd("u", "-x1", arc, base, {"a.url"})).code, 0);
            old = readFile(arc);
            writeFile(base / "a.url", "newer");
        }
        writeFile(base / "b.url", "b");
        OutputLog log;
        const CommandLine cl =
            parseCommandLine(cmd("u", "-x1", arc, base, {"a.url", "b.url"}), CodePage::Utf8);
        updateArchive(cl, log, {}, [&](const std::string& t, const struct stat* st) {
            c.atStart(base / "a.url");
            return std::make_unique<Meddling>(t, st, [&] { c.atFirstWrite(base / "a.url"); });
        });
        const auto& notes = log.notes();
        EXPECT_EQ(std::count_if(notes.begin(), notes.end(),
                                [&](const std::string& n) { return c.note && n == c.note; }),
                  c.note ? 1 : 0);
        EXPECT_EQ(log.leftOutCount(), c.note ? 1u : 0u);
        std::vector<std::string> names;
        for (const auto& e : entriesOf(arc.string()))
            names.push_back(e.path);
        EXPECT_EQ(names, c.entries);
        if (c.archived) {
            const auto e = entriesOf(arc.string())[0];
            EXPECT_EQ(readFile(arc).substr(0, e.span), old.substr(0, e.span));
        }
    }
}

} // namespace
} // namespace lha
