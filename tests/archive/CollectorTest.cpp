// The component-side collector on a real folder tree.
#include "archive/PackCollector.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/fileattr.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sys/stat.h>

using namespace mv;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

// base/
//   a.url  B.url  note.txt  hidden.url (hidden)  system.url (system)
//   sub/c.url  sub/x.txt  sub/deep/d.URL
//   hid/ (hidden folder) e.url
//   loop -> base (link to a folder, never followed)
class CollectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"sub", "sub/deep", "hid"})
            fs::create_directory(dir / folder);
        for (const char* file : {"a.url", "B.url", "note.txt", "hidden.url", "system.url",
                                 "sub/c.url", "sub/x.txt", "sub/deep/d.URL", "hid/e.url"})
            mvtest::writeBytes(dir / file, "[InternetShortcut]\r\nURL=http://example.com/\r\n");
        ASSERT_EQ(fileattr::set(dir / "hidden.url", fileattr::Hidden | fileattr::Archive),
                  std::error_code());
        ASSERT_EQ(fileattr::set(dir / "system.url", fileattr::System | fileattr::Archive),
                  std::error_code());
        ASSERT_EQ(fileattr::set(dir / "hid", fileattr::Hidden | fileattr::Directory),
                  std::error_code());
        fs::create_directory_symlink(dir.path(), dir / "loop");
    }

    Names collect(TArchiverOptions& o, const Names& masks) {
        TPackCollector collector(dir.path());
        return collector.Collect(o, masks);
    }
    Names collect(const Names& masks, int r = -1) {
        TArchiverOptions o;
        o.r = static_cast<int8_t>(r);
        return collect(o, masks);
    }

    mvtest::TempDir dir;
};

} // namespace

TEST_F(CollectorTest, RecursesIntoHiddenFoldersButLeavesHiddenFilesAndLinksOut) {
    TArchiverOptions o;
    o.x = 1;
    o.r = 1;
    o.jso = 1;
    o.jo = "19800101";
    EXPECT_EQ(collect(o, {"*.url"}),
              (Names{"a.url", "B.url", "hid/e.url", "sub/c.url", "sub/deep/d.URL"}));
    // The library must neither recurse nor filter again, and store the relative paths.
    EXPECT_EQ(o.r, -1);
    EXPECT_EQ(o.p, 1);
    EXPECT_TRUE(IsNotSet(o.jo) && IsNotSet(o.job));
    EXPECT_EQ(o.x, 1);
    EXPECT_EQ(o.jso, 1);
}

TEST_F(CollectorTest, WithoutRecursionOnlyTheBaseFolderCounts) {
    EXPECT_EQ(collect({"*.url"}), (Names{"a.url", "B.url"}));
    EXPECT_EQ(collect({"sub/*.url"}), (Names{"sub/c.url"}));
    EXPECT_EQ(collect({}), (Names{"a.url", "B.url", "note.txt"}));
}

TEST_F(CollectorTest, SwitchAAddsHiddenAndSystemFiles) {
    TArchiverOptions o;
    o.a = 1;
    EXPECT_EQ(collect(o, {"*.url"}), (Names{"a.url", "B.url", "hidden.url", "system.url"}));
}

TEST_F(CollectorTest, ExactNamesRecurseOnlyWhileP1IsUnset) {
    TArchiverOptions o;
    o.r = 1;
    EXPECT_EQ(collect(o, {"c.url"}), (Names{"sub/c.url"}));
    o.r = 1;
    o.p = 1;
    EXPECT_EQ(collect(o, {"c.url"}), Names{});
    o.r = 1;
    o.p = 1;
    EXPECT_EQ(collect(o, {"*.url"}).size(), 5u); // a wildcard recurses whatever p says
}

TEST_F(CollectorTest, R2WalksANamedFolderWhole) {
    EXPECT_EQ(collect({"sub"}, 2), (Names{"sub/c.url", "sub/deep/d.URL", "sub/x.txt"}));
    EXPECT_EQ(collect({"sub"}, 1), Names{}); // "sub" as a file name matches no file
}

TEST_F(CollectorTest, OverlappingMasksGiveEachFileOnceAndProgressOnce) {
    Names reported;
    TPackCollector collector(dir.path(),
                             [&](const std::string& name, bool&) { reported.push_back(name); });
    TArchiverOptions o;
    const Names names = collector.Collect(o, {"*.url", "A.URL", "a.url", "*.*"});
    EXPECT_EQ(names, (Names{"a.url", "B.url", "note.txt"}));
    EXPECT_EQ(reported.size(), 3u);
}

TEST_F(CollectorTest, NamesDifferingInCaseAloneCountOnceOthersAllStay) {
    mvtest::writeBytes(dir / "A.url", "x");  // beside a.url
    mvtest::writeBytes(dir / "ａ.url", "x"); // full-width letter: another name
    mvtest::writeBytes(dir / "あ.url", "x");
    mvtest::writeBytes(dir / "ア.url", "x");
    const Names names = collect({"*.url"});
    EXPECT_EQ(names.size(), 5u) << ::testing::PrintToString(names);
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string& n) { return n == "a.url" || n == "A.url"; }),
              1);
    for (const char* other : {"ａ.url", "あ.url", "ア.url", "B.url"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), other), names.end()) << other;
    }
}

TEST_F(CollectorTest, ExclusionMasksRemoveTheirMatches) {
    TArchiverOptions o;
    o.r = 1;
    o.jx = {"sub/*.url", "B.url"};
    EXPECT_EQ(collect(o, {"*.url"}), (Names{"a.url", "hid/e.url"}));
}

TEST_F(CollectorTest, DateBoundsKeepFilesInsideInclusively) {
    auto setTime = [&](const char* file, int y, int mo, int d, int h, int mi, int s) {
        std::tm tm{};
        tm.tm_year = y - 1900, tm.tm_mon = mo - 1, tm.tm_mday = d;
        tm.tm_hour = h, tm.tm_min = mi, tm.tm_sec = s, tm.tm_isdst = -1;
        const timespec times[2] = {{std::mktime(&tm), 0}, {std::mktime(&tm), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (dir / file).c_str(), times, 0), 0);
    };
    setTime("a.url", 2020, 1, 1, 0, 0, 0);
    setTime("B.url", 2020, 12, 31, 23, 59, 59);
    setTime("note.txt", 2021, 1, 1, 0, 0, 0);
    TArchiverOptions o;
    o.jo = "20200101";
    o.job = "20201231";
    EXPECT_EQ(collect(o, {"*.*"}), (Names{"a.url", "B.url"}));
    o.jo = "l20200101000001";
    o.job = NotSetText();
    EXPECT_EQ(collect(o, {"*.*"}), (Names{"B.url", "note.txt"}));
    o.jo = "2020"; // any other length: no bound
    EXPECT_EQ(collect(o, {"*.*"}).size(), 3u);
}

TEST_F(CollectorTest, AbortStopsAtOnce) {
    int calls = 0;
    TPackCollector collector(dir.path(),
                             [&](const std::string&, bool& abort) { abort = ++calls == 2; });
    TArchiverOptions o;
    o.r = 1;
    collector.Collect(o, {"*.url"});
    EXPECT_TRUE(collector.Aborted());
    EXPECT_EQ(calls, 2);
}

TEST_F(CollectorTest, MissingBaseFolderIsAnErrorAndTheCurrentFolderNeverChanges) {
    const fs::path before = fs::current_path();
    TArchiverOptions o;
    TPackCollector missing(dir / "nowhere");
    try {
        missing.Collect(o, {"*.url"});
        FAIL() << "a missing base folder must be reported";
    } catch (const mv::Error& e) {
        EXPECT_EQ(e.text(), QString::fromStdString(dir / "nowhere") +
                                QStringLiteral(": 指定されたファイルが見つかりません。"));
    }
    o.r = 1;
    EXPECT_FALSE(TPackCollector(dir.path()).Collect(o, {"*.url"}).empty());
    EXPECT_EQ(fs::current_path(), before);
}

TEST_F(CollectorTest, AbsoluteMasksGiveAbsoluteNames) {
    TPackCollector collector(dir / "sub");
    TArchiverOptions o;
    EXPECT_EQ(collector.Collect(o, {dir / "*.url", "*.url"}),
              (Names{dir / "a.url", dir / "B.url", "c.url"}));
}

namespace {

const TLeftOut* findLeftOut(const TLeftOutList& list, const std::string& name) {
    for (const TLeftOut& item : list)
        if (item.name == name) return &item;
    return nullptr;
}

} // namespace

TEST_F(CollectorTest, WhatTheLibraryCouldNotReadIsLeftOutAndNamed) {
    ASSERT_EQ(::mkfifo((dir / "fifo.url").c_str(), 0644), 0);
    fs::create_symlink(dir / "nowhere.url", dir / "dangling.url");
    fs::create_symlink(dir / "self.url", dir / "self.url");
    fs::create_symlink(dir / "sub/c.url", dir / "link.url"); // a link to a file is that file
    mvtest::writeBytes(dir / "line\nbreak.url", "x");
    mvtest::writeBytes(dir / "sub/C.URL", "x"); // beside sub/c.url
    fs::create_directory_symlink(dir / "sub", dir / "sublink");
    struct Case {
        const char* name;
        TLeftOutReason reason;
        int error;
    };
    const Case cases[] = {
        {"fifo.url", TLeftOutReason::NotAFile, 0},
        {"dangling.url", TLeftOutReason::DanglingLink, 0},
        {"self.url", TLeftOutReason::Unreadable, ELOOP},
        {"loop", TLeftOutReason::FolderLink, 0},
        {"sublink", TLeftOutReason::FolderLink, 0},
    };
    TPackCollector collector(dir.path());
    TArchiverOptions o;
    o.r = 1;
    // Two masks walk the tree twice; each thing is said once.
    const Names names = collector.Collect(o, {"*.url", "*.URL"});
    const TLeftOutList& left = collector.LeftOut();
    for (const Case& c : cases) {
        const TLeftOut* item = findLeftOut(left, c.name);
        ASSERT_NE(item, nullptr) << c.name;
        EXPECT_EQ(item->reason, c.reason) << c.name;
        EXPECT_EQ(item->error, c.error) << c.name;
        EXPECT_EQ(std::count(names.begin(), names.end(), c.name), 0) << c.name;
    }
    // Of two names that differ in case, one is packed and the other names it.
    const bool lowerKept = std::count(names.begin(), names.end(), "sub/c.url") == 1;
    const std::string kept = lowerKept ? "sub/c.url" : "sub/C.URL";
    const std::string twin = lowerKept ? "sub/C.URL" : "sub/c.url";
    EXPECT_EQ(std::count(names.begin(), names.end(), twin), 0);
    const TLeftOut* item = findLeftOut(left, twin);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(*item, (TLeftOut{twin, TLeftOutReason::SameNameOtherCase, 0, kept}));
    EXPECT_EQ(left.size(), std::size(cases) + 1) << ::testing::PrintToString(names);
    EXPECT_EQ(names, (Names{"a.url", "B.url", "hid/e.url", "line\nbreak.url", "link.url", kept,
                            "sub/deep/d.URL"}));
    EXPECT_EQ(DescribeLeftOut(*item), QString::fromStdString(twin + ": 大文字と小文字だけが違う「" +
                                                             kept + "」を入れました"));
}

TEST_F(CollectorTest, UnreadableFilesAndFoldersAreLeftOutForAnOrdinaryUser) {
    fs::create_directory(dir / "closed");
    mvtest::writeBytes(dir / "closed/x.url", "x");
    mvtest::writeBytes(dir / "locked.url", "x");
    ::chmod(dir.path().c_str(), 0755);
    ::chmod((dir / "locked.url").c_str(), 0);
    ::chmod((dir / "closed").c_str(), 0);
    const int rc = mvtest::runUnprivileged([&] {
        TPackCollector collector(dir.path());
        TArchiverOptions o;
        o.r = 1;
        const Names names = collector.Collect(o, {"*.url"});
        if (names != Names{"a.url", "B.url", "hid/e.url", "sub/c.url", "sub/deep/d.URL"}) return 1;
        const TLeftOut* file = findLeftOut(collector.LeftOut(), "locked.url");
        const TLeftOut* folder = findLeftOut(collector.LeftOut(), "closed");
        if (!file || file->reason != TLeftOutReason::Unreadable || file->error != EACCES) return 2;
        if (!folder || folder->reason != TLeftOutReason::FolderUnreadable ||
            folder->error != EACCES)
            return 3;
        return collector.LeftOut().size() == 3 ? 0 : 4; // and "loop"
    });
    ::chmod((dir / "closed").c_str(), 0755);
    EXPECT_EQ(rc, 0);
}

TEST_F(CollectorTest, InCp932NamesAreInCp932AndExactAsTheDiskSpellsThem) {
    // The disk spells names in UTF-8; the program (and so the library's command) in CP932.
    const std::string base = dir / "お気に入り";
    fs::create_directories(base + "/天気");
    fs::create_directories(base + "/😀");
    for (const char* file : {"天気/晴れ.url", "波〜.url", "😀/a.url", "ｶﾅ.url", "plain.url"})
        mvtest::writeBytes(base + "/" + file, "x");
    CodePage::setActiveForTesting(&CodePage::cp932());
    const CodePage& cp = CodePage::cp932();
    auto sjis = [&](const char* utf8) { return cp.fromQStringLossy(QString::fromUtf8(utf8)); };
    TPackCollector collector(dir.path() + "/" + sjis("お気に入り")); // the temporary path is ASCII
    TArchiverOptions o;
    o.r = 1;
    const Names names = collector.Collect(o, {"*.url"});
    CodePage::setActiveForTesting(nullptr);
    EXPECT_TRUE(collector.LeftOut().empty());
    ASSERT_EQ(names.size(), collector.DiskNames().size());
    std::map<std::string, std::string> programOf;
    for (size_t i = 0; i < names.size(); ++i)
        programOf[collector.DiskNames()[i]] = names[i];
    // Every disk name once, exactly; in CP932 as far as it has a form ("?" for each half of the
    // emoji).
    EXPECT_EQ(programOf,
              (std::map<std::string, std::string>{{"plain.url", "plain.url"},
                                                  {"ｶﾅ.url", sjis("ｶﾅ.url")},
                                                  {"天気/晴れ.url", sjis("天気/晴れ.url")},
                                                  {"波〜.url", sjis("波〜.url")},
                                                  {"😀/a.url", "?"
                                                              "?/a.url"}}));
}

TEST(LibraryLeftOut, EachLogLineOfTheDocumentedFormIsOneItem) {
    const std::string log = "a.url\n"
                            "warning: left out: missing: gone.url\n"
                            "warning: left out: dangling link: sub/dead.url\r\n"
                            "warning: left out: not a regular file: fifo.url\n"
                            "warning: left out: unreadable folder: locked\n"
                            "warning: left out: unreadable: 100%25 a: b.url\n"
                            "warning: left out: same name as another file: Foo.url\n"
                            "warning: left out: changed while packing: line%0Abreak.url\n"
                            "warning: left out: too strange: x.url\n"
                            "warning: left out without a reason\n"
                            "warning: something else: y.url\n"
                            "2 file(s) left out";
    using R = TLeftOutReason;
    const TLeftOutList expected{
        {"gone.url", R::Vanished, 0, {}, true},
        {"sub/dead.url", R::DanglingLink, 0, {}, true},
        {"fifo.url", R::NotAFile, 0, {}, true},
        {"locked", R::FolderUnreadable, 0, {}, true},
        {"100% a: b.url", R::Unreadable, 0, {}, true},
        {"Foo.url", R::SameNameOtherCase, 0, {}, true},
        {"line\nbreak.url", R::Changed, 0, {}, true},
        {"x.url", R::Library, 0, "too strange", true},
    };
    EXPECT_EQ(ParseLibraryLeftOut(log), expected);
    EXPECT_EQ(DescribeLeftOut(expected[4]), QStringLiteral("100% a: b.url: 読み取れません"));
    EXPECT_EQ(DescribeLeftOut(expected[7]), QStringLiteral("x.url: too strange"));
}
