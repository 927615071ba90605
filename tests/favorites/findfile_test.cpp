#include "favorites/FindFile.h"
#include "platform/codepage.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <utime.h>
#include <vector>

using mv::TFindFile;

namespace {

struct Found {
    std::vector<std::string> names, paths;
};

Found run(TFindFile& ff) {
    Found f;
    ff.OnFind = [&](const std::string& n, const std::string& p, const mv::TSearchRec& rec, bool&) {
        EXPECT_EQ(rec.Name, n);
        f.names.push_back(n);
        f.paths.push_back(p);
    };
    ff.Execute();
    std::sort(f.names.begin(), f.names.end());
    return f;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

} // namespace

TEST(MatchMask, WildcardRules) {
    using mv::MatchMask;
    for (const char* yes : {"Site.url", "SITE.URL", "a.b.url"}) {
        EXPECT_TRUE(MatchMask(yes, "*.url")) << yes;
    }
    for (const char* no : {"Site.urlx", "Site.ur", ".url", "url", "Site"}) {
        EXPECT_FALSE(MatchMask(no, "*.url")) << no;
    }
    EXPECT_TRUE(MatchMask("readme", "*"));
    EXPECT_TRUE(MatchMask("readme", "*.*"));
    EXPECT_TRUE(MatchMask("a.txt", "*"));
    EXPECT_FALSE(MatchMask(".profile", "*"));
    EXPECT_FALSE(MatchMask("abc.txt", "AB*"));
    EXPECT_TRUE(MatchMask("abc.txt", "AB*.*"));
    EXPECT_TRUE(MatchMask("abc.txt", "A*C.TXT"));
    EXPECT_TRUE(MatchMask("ac.txt", "A*C.TXT"));
    EXPECT_TRUE(MatchMask("ab.txt", "*B.TXT"));
    EXPECT_TRUE(MatchMask("b.txt", "*B.TXT"));
    EXPECT_FALSE(MatchMask("xa.txt", "*B.TXT"));
    EXPECT_FALSE(MatchMask("b.txt", "*AB.TXT"));
    EXPECT_TRUE(MatchMask("abc.txt", "a?c.t?t"));
    EXPECT_FALSE(MatchMask("abcd.txt", "a?c.txt"));
    // Between two stars nothing is compared.
    EXPECT_TRUE(MatchMask("aZZZb.txt", "a*Q*b.txt"));
}

TEST(MatchMask, MultiByteNames) {
    mv::CodePage::setActiveForTesting(&mv::CodePage::utf8());
    EXPECT_TRUE(mv::MatchMask("日本語.url", "*.url"));
    EXPECT_TRUE(mv::MatchMask("日本語.URL", "日*.url"));
    EXPECT_FALSE(mv::MatchMask("日本語.url", "?.url")); // "?" is one byte
    mv::CodePage::setActiveForTesting(&mv::CodePage::cp932());
    // 表 is 95 5C; upper-casing must not touch trail bytes such as 0x61 ("a") in ア (83 41).
    EXPECT_TRUE(mv::MatchMask("\x83\x61.url", "\x83\x61.URL"));
    EXPECT_FALSE(mv::MatchMask("\x83\x61.url", "\x83\x41.URL"));
    mv::CodePage::setActiveForTesting(nullptr);
}

// A plain "*.ext" is decided by the name's end; it must answer as the character-wise match
// does, broken names and CP932 lead bytes before the dot included.
TEST(MatchMask, PlainExtensionShortcutAnswersAsTheCharacterWiseMatch) {
    const std::vector<std::string> names = {"a.url",
                                            "A.URL",
                                            "a.Url",
                                            ".url",
                                            "..url",
                                            "url",
                                            "a.urlx",
                                            "a.ur",
                                            "a.url.",
                                            "a.b.url",
                                            "日本語.url",
                                            "日本語.URL",
                                            "\x82.url",
                                            "\x82\x82.url",
                                            "\x83\x61.url",
                                            "\x95\x5C.url",
                                            "\xE3\x81.url",
                                            "\xC3.url",
                                            "a.\x82rl",
                                            "a. url",
                                            "",
                                            ".",
                                            "a.URL\x82",
                                            "x.u\xE3\x81"};
    const std::vector<std::string> masks = {"*.url", "*.URL", "*.txt", "*.u1",   "*.",
                                            "*.*",   "*",     "*.u?l", "a*.url", "*.ur*"};
    for (const mv::CodePage* cp : {&mv::CodePage::utf8(), &mv::CodePage::cp932()}) {
        mv::CodePage::setActiveForTesting(cp);
        for (const std::string& name : names)
            for (const std::string& mask : masks) {
                EXPECT_EQ(mv::MatchMask(name, mask), mv::MatchMaskByCharacters(name, mask))
                    << (cp == &mv::CodePage::utf8() ? "UTF-8 " : "CP932 ") << name << " / " << mask;
            }
    }
    mv::CodePage::setActiveForTesting(nullptr);
}

TEST(FindFile, SearchesFoldersDepthFirstSkippingDotFoldersAndLinks) {
    mvtest::TempDir dir;
    mvtest::writeBytes(dir / "a.url", "");
    mvtest::writeBytes(dir / "b.txt", "");
    ::mkdir((dir / "sub").c_str(), 0755);
    mvtest::writeBytes(dir / "sub/c.url", "");
    ::mkdir((dir / ".hidden").c_str(), 0755);
    mvtest::writeBytes(dir / ".hidden/d.url", "");
    ::symlink(dir.path().c_str(), (dir / "sub/loop").c_str()); // a link back to the top

    TFindFile ff;
    ff.FolderName = dir.path();
    ff.FileMask = {"*.url"};
    Found f = run(ff);
    EXPECT_EQ(f.names, (std::vector<std::string>{"a.url", "c.url"}));
    EXPECT_EQ(ff.FoundCount(), 2);
    EXPECT_EQ(sorted(f.paths), (std::vector<std::string>{dir.path() + "/", dir.path() + "/sub/"}));

    ff.IsFindSub = false;
    ff.FileMask.clear();
    EXPECT_EQ(run(ff).names, (std::vector<std::string>{"a.url", "b.txt"}));

    // With and without the trailing separator: same folder, same reported path.
    ff.FolderName = dir.path() + "/";
    Found g = run(ff);
    EXPECT_EQ(g.paths.front(), dir.path() + "/");

    ff.FolderName = "";
    EXPECT_EQ(ff.Execute(), -1);
    ff.FolderName = dir / "missing";
    EXPECT_EQ(ff.Execute(), 0);
}

TEST(FindFile, CancelAndCountWithoutHandler) {
    mvtest::TempDir dir;
    ::mkdir((dir / "sub").c_str(), 0755);
    for (int i = 0; i < 5; ++i) {
        mvtest::writeBytes(dir / ("f" + std::to_string(i) + ".url"), "");
        mvtest::writeBytes(dir / ("sub/g" + std::to_string(i) + ".url"), "");
    }
    TFindFile ff;
    ff.FolderName = dir.path();
    EXPECT_EQ(ff.Execute(), 10);
    int calls = 0;
    ff.OnFind = [&](const std::string&, const std::string&, const mv::TSearchRec&, bool& cancel) {
        if (++calls == 3) cancel = true;
    };
    EXPECT_EQ(ff.Execute(), 3);
    EXPECT_EQ(calls, 3);
    EXPECT_TRUE(ff.CancelFlag());
}

TEST(FindFile, TimeFilterIsStrict) {
    mvtest::TempDir dir;
    const std::string oldFile = dir / "old.url", newFile = dir / "new.url";
    mvtest::writeBytes(oldFile, "");
    mvtest::writeBytes(newFile, "");
    utimbuf t{1000000000, 1000000000}; // 2001-09-09
    ::utime(oldFile.c_str(), &t);

    TFindFile ff;
    ff.FolderName = dir.path();
    ff.CheckTimeIs = mv::tmOlder;
    ff.CheckedTime = mv::FileTimeToDateTime(mv::toFileTime(1500000000, 0)); // 2017
    EXPECT_EQ(run(ff).names, std::vector<std::string>{"old.url"});
    ff.CheckTimeIs = mv::tmNewer;
    ff.CheckedTime = mv::FileTimeToDateTime(mv::toFileTime(1000000000, 0));
    EXPECT_EQ(run(ff).names, std::vector<std::string>{"new.url"}); // equal time: not reported
    ff.CheckTimeIs = mv::tmOlder;
    EXPECT_TRUE(run(ff).names.empty());
}

TEST(FindFile, FileTimeConversion) {
    EXPECT_EQ(mv::FileTimeToDateTime(0), 0.0);
    setenv("TZ", "UTC", 1);
    tzset();
    // 1970-01-01 00:00 UTC is day 25569; noon adds half a day.
    EXPECT_DOUBLE_EQ(mv::FileTimeToDateTime(mv::toFileTime(0, 0)), 25569.0);
    EXPECT_DOUBLE_EQ(mv::FileTimeToDateTime(mv::toFileTime(43200, 0)), 25569.5);
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
    EXPECT_DOUBLE_EQ(mv::FileTimeToDateTime(mv::toFileTime(0, 0)), 25569.0 + 9.0 / 24.0);
    unsetenv("TZ");
    tzset();
}
