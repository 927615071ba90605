// Bookmark files: reading browsers' exports, writing them into a favorites folder, and the
// favorites written back out.
#include "favorites/BookmarkExport.h"
#include "favorites/BookmarkImport.h"
#include "favorites/ShortcutFile.h"
#include "platform/codepage.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <sys/stat.h>

namespace {

using mvtest::readBytes;
using mvtest::TempDir;
using mvtest::writeBytes;

std::string fixture(const std::string& name) {
    return readBytes(std::string(MARKVANE_BOOKMARK_FIXTURES) + "/" + name);
}

// The tree in one line: "title<url>{comment}" for a bookmark, "title[...]" for a folder.
std::string dump(const mv::BookmarkNode& node) {
    std::string out;
    for (const mv::BookmarkNode& c : node.children) {
        if (!out.empty()) out += "|";
        out += c.title;
        out += c.isFolder ? "[" + dump(c) + "]" : "<" + c.url + ">";
        if (!c.description.empty()) out += "{" + c.description + "}";
    }
    return out;
}

// Every file and folder below `root`, as paths relative to it.
std::set<std::string> entries(const std::string& root) {
    std::set<std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        out.insert(std::filesystem::relative(e.path(), root).string());
    return out;
}

TEST(BookmarkParse, FirefoxExport) {
    const mv::BookmarkNode root = mv::ParseBookmarkFile(fixture("firefox.html"));
    EXPECT_EQ(
        dump(root),
        "Firefox を使いこなそう<https://www.mozilla.org/ja/firefox/central/>|"
        "最近付けたタグ<place:parent=menu________&queryType=1&sort=12&maxResults=10&"
        "excludeQueries=1>|"
        "Mozilla Firefox[ヘルプ & チュートリアル<https://support.mozilla.org/ja/products/"
        "firefox>|ブックマークレット<javascript:void(location.href='https://example.com/"
        "?u='+encodeURIComponent(location.href))>|Mozilla について<https://www.mozilla.org/"
        "ja/about/>]|"
        "ブックマークツールバー[Google <天気> \"東京\"<https://www.google.co.jp/search?q=%E5%A4%"
        "A9%E6%B0%97&hl=ja>{毎朝見る ★ 😀}|FTP: ミラー/pub?<ftp://ftp.example.jp/pub/>|"
        "空のフォルダ[]]{ツールバーに表示されるブックマーク}|"
        "他のブックマーク[データ<data:text/html,%3Ch1%3Ehi%3C/h1%3E>|"
        "日本語ドメイン<http://例え.jp/パス>]");
    const mv::BookmarkNode& google = root.children[3].children[0];
    EXPECT_EQ(google.addDate, 1700000300);
    EXPECT_EQ(google.lastModified, 1700000400);
    EXPECT_EQ(mv::CountBookmarks(root), 9u);
}

TEST(BookmarkParse, ChromeExportWithTagsInAnyCase) {
    const mv::BookmarkNode root = mv::ParseBookmarkFile(fixture("chrome.html"));
    EXPECT_EQ(dump(root), "ブックマーク バー[YouTube<https://www.youtube.com/>|"
                          "youtube<https://m.youtube.com/>|設定<chrome://settings/>|"
                          "ニュース[Yahoo!ニュース<https://news.yahoo.co.jp/>|"
                          "NHK ニュース | 速報<https://www3.nhk.or.jp/news/>]|"
                          "CON<https://www.amazon.co.jp/>]|その他のブックマーク[]");
    EXPECT_EQ(root.children[0].children[3].children[1].addDate, 1700000007);
}

TEST(BookmarkParse, LooseOrBrokenMarkup) {
    // Unclosed lists, stray end tags, a bookmark outside any list, a folder without a list.
    const mv::BookmarkNode root = mv::ParseBookmarkFile(
        "<a href='http://a.jp/'>A</a></dl></dl><DL><dt><h3>F</H3><dl><DT><A HREF=http://b.jp/>B"
        "<DT><H3>G</H3><DT><A HREF=\"http://c.jp/\">C &lt;<b>b</b></A>\xff</DL>"
        "<DT><A HREF=\"http://d.jp/\">D\r\n\tE</A>");
    EXPECT_EQ(dump(root), "A<http://a.jp/>|F[B<http://b.jp/>|G[]|C <b<http://c.jp/>]|"
                          "D   E<http://d.jp/>");
    EXPECT_TRUE(mv::ParseBookmarkFile("").children.empty());
    EXPECT_TRUE(mv::ParseBookmarkFile("not html at all").children.empty());
}

class BookmarkImportTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string target = dir / "Favorites";
    void SetUp() override { std::filesystem::create_directory(target); }
};

TEST_F(BookmarkImportTest, FirefoxExportBesideExistingFavorites) {
    // Names taken already, spelled in another case: neither is touched.
    writeBytes(target + "/Firefox を使いこなそう.URL", "[InternetShortcut]\r\nURL=http://old/\r\n");
    std::filesystem::create_directory(target + "/mozilla firefox");
    const mv::ImportSummary s =
        mv::ImportBookmarks(mv::ParseBookmarkFile(fixture("firefox.html")), target);
    EXPECT_EQ(s.folders, 4u);
    EXPECT_EQ(s.favorites, 6u);
    EXPECT_EQ(s.leftOut, 3u); // place:, javascript:, data:
    EXPECT_TRUE(s.failed.empty());
    EXPECT_EQ(
        entries(target),
        (std::set<std::string>{
            "Firefox を使いこなそう.URL", "Firefox を使いこなそう (2).url", "mozilla firefox",
            "Mozilla Firefox (2)", "Mozilla Firefox (2)/ヘルプ & チュートリアル.url",
            "Mozilla Firefox (2)/Mozilla について.url", "ブックマークツールバー",
            "ブックマークツールバー/Google ＜天気＞ ”東京”.url",
            "ブックマークツールバー/FTP： ミラー／pub？.url", "ブックマークツールバー/空のフォルダ",
            "他のブックマーク", "他のブックマーク/日本語ドメイン.url"}));
    EXPECT_EQ(readBytes(target + "/Firefox を使いこなそう.URL"),
              "[InternetShortcut]\r\nURL=http://old/\r\n");

    // Text CP932 holds is written in CP932, the rest in UTF-8, as new favorites are.
    const std::string google = target + "/ブックマークツールバー/Google ＜天気＞ ”東京”.url";
    const std::string ftp = target + "/ブックマークツールバー/FTP： ミラー／pub？.url";
    EXPECT_EQ(mv::DetectShortcutEncoding(readBytes(google)), mv::ShortcutEncoding::Utf8);
    EXPECT_EQ(mv::DetectShortcutEncoding(readBytes(ftp)), mv::ShortcutEncoding::Neutral);
    const mv::ShortcutValues values = mv::ReadShortcutValues(google);
    EXPECT_EQ(values.Url, "https://www.google.co.jp/search?q=%E5%A4%A9%E6%B0%97&hl=ja");
    EXPECT_EQ(values.Comment, "毎朝見る ★ 😀");
    struct stat st {};
    ASSERT_EQ(::stat(google.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1700000400);
    EXPECT_EQ(mv::ReadShortcutUrl(target + "/他のブックマーク/日本語ドメイン.url"),
              "http://例え.jp/パス");
}

TEST_F(BookmarkImportTest, ClashesWithinTheFileAndNamesWindowsRefuses) {
    size_t calls = 0, last = 0;
    const mv::ImportSummary s = mv::ImportBookmarks(mv::ParseBookmarkFile(fixture("chrome.html")),
                                                    target, [&](size_t done, size_t total) {
                                                        ++calls;
                                                        EXPECT_EQ(total, 6u);
                                                        EXPECT_GT(done, last);
                                                        last = done;
                                                    });
    EXPECT_EQ(calls, 6u);
    EXPECT_EQ(last, 6u);
    EXPECT_EQ(s.leftOut, 1u); // chrome://
    EXPECT_EQ(entries(target),
              (std::set<std::string>{
                  "ブックマーク バー", "ブックマーク バー/YouTube.url",
                  "ブックマーク バー/youtube (2).url", "ブックマーク バー/CON_.url",
                  "ブックマーク バー/ニュース", "ブックマーク バー/ニュース/Yahoo!ニュース.url",
                  "ブックマーク バー/ニュース/NHK ニュース ｜ 速報.url", "その他のブックマーク"}));
    EXPECT_EQ(mv::ReadShortcutUrl(target + "/ブックマーク バー/youtube (2).url"),
              "https://m.youtube.com/");
}

TEST_F(BookmarkImportTest, TextTheCodePageCannotHold) {
    mv::CodePage::setActiveForTesting(&mv::CodePage::cp932());
    const mv::ImportSummary s = mv::ImportBookmarks(
        mv::ParseBookmarkFile("<DL><DT><A HREF=\"https://e.jp/😀\">笑顔😀</A><DD>ok😀</DL>"), target);
    mv::CodePage::setActiveForTesting(nullptr);
    ASSERT_EQ(s.favorites, 1u);
    const std::string name = mv::CodePage::cp932().fromUtf8("笑顔_.url").value();
    ASSERT_TRUE(std::filesystem::exists(target + "/" + name));
    // The file itself holds the whole URL; the comment keeps what CP932 has.
    EXPECT_EQ(mv::ReadShortcutUrl(target + "/" + name), "https://e.jp/%F0%9F%98%80");
    EXPECT_EQ(mv::ReadShortcutComment(target + "/" + name), "ok?");
}

TEST_F(BookmarkImportTest, ReadOnlyFolderIsReportedNotSkipped) {
    ASSERT_EQ(::chmod(target.c_str(), 0555), 0);
    const mv::BookmarkNode root = mv::ParseBookmarkFile(fixture("chrome.html"));
    const int rc = mvtest::runUnprivileged([&] {
        const mv::ImportSummary s = mv::ImportBookmarks(root, target);
        // Both top folders fail; what they hold is counted as done, never written elsewhere.
        return s.failed.size() == 2 && s.folders == 0 && s.favorites == 0 ? 0 : 1;
    });
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(entries(target).empty());
}

TEST_F(BookmarkImportTest, TenThousandBookmarksInUnderTwoSeconds) {
    // Measured where the disk's speed does not count (memory when there is a tmpfs): what is
    // timed is the program's own work.
    std::string base = target;
    if (std::filesystem::is_directory("/dev/shm") && ::access("/dev/shm", W_OK) == 0) {
        char tmpl[] = "/dev/shm/mvtest-XXXXXX";
        if (::mkdtemp(tmpl)) base = tmpl;
    }
    std::string html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
                       "CONTENT=\"text/html; charset=UTF-8\">\n<DL><p>\n";
    for (int f = 0; f < 100; ++f) {
        html +=
            "<DT><H3 ADD_DATE=\"1700000000\">フォルダ " + std::to_string(f) + "</H3>\n<DL><p>\n";
        for (int b = 0; b < 100; ++b)
            html += "<DT><A HREF=\"https://example.jp/" + std::to_string(f) + "/" +
                    std::to_string(b) +
                    "?a=1&amp;b=2\" ADD_DATE=\"1700000000\" ICON=\"data:image/"
                    "png;base64,iVBORw0KGgoAAAANSUhEUgAAABAAAAAQ\">サイト &amp; " +
                    std::to_string(b % 50) + "</A>\n";
        html += "</DL><p>\n";
    }
    html += "</DL><p>\n";
    const auto start = std::chrono::steady_clock::now();
    const mv::ImportSummary s = mv::ImportBookmarks(mv::ParseBookmarkFile(html), base);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(s.favorites, 10000u);
    EXPECT_EQ(s.folders, 100u);
    EXPECT_TRUE(std::filesystem::exists(base + "/フォルダ 99/サイト & 49 (2).url"));
#if defined(__SANITIZE_ADDRESS__)
    constexpr double kLimit = 10.0; // the sanitizers' checks multiply the time
#else
    constexpr double kLimit = 2.0;
#endif
    EXPECT_LT(std::chrono::duration<double>(elapsed).count(), kLimit);
    if (base != target) std::filesystem::remove_all(base);
}

TEST(BookmarkExport, FavoritesSurviveFileAndImport) {
    TempDir dir;
    const std::string fav = dir / "Favorites";
    std::filesystem::create_directories(fav + "/ニュース/国内");
    std::filesystem::create_directories(fav + "/空");
    writeBytes(fav + "/ニュース/天気.url",
               "[InternetShortcut]\r\nURL=https://tenki.jp/?a=1&b=2\r\n[Comment]\r\nComment=" +
                   mv::CodePage::cp932().fromUtf8("毎日 <見る>").value() + "\r\n");
    writeBytes(fav + "/ニュース/国内/Tom & Jerry's.url",
               "[InternetShortcut]\r\nURL=http://example.com/\"q\"\r\n");
    writeBytes(fav + "/&amp; literal.URL", "[InternetShortcut]\r\nURL=http://x.jp/&amp;\r\n");
    writeBytes(fav + "/wide.url",
               mv::convertEncoding("[InternetShortcut]\r\nURL=https://ja.wikipedia.org/"
                                   "wiki/日本\r\n",
                                   "UTF-8", "UTF-16LE")
                   .value()
                   .insert(0, "\xFF\xFE"));
    writeBytes(fav + "/notes.txt", "not a favorite");

    const mv::BookmarkNode tree = mv::CollectFavorites(fav);
    const std::string expected = "ニュース[国内[Tom & Jerry's<http://example.com/\"q\">]|"
                                 "天気<https://tenki.jp/?a=1&b=2>{毎日 <見る>}]|空[]|"
                                 "&amp; literal<http://x.jp/&amp;>|wide<https://ja.wikipedia.org/"
                                 "wiki/日本>";
    ASSERT_EQ(dump(tree), expected);
    const std::string html = mv::BookmarkFileText(tree);
    EXPECT_NE(html.find("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">"),
              std::string::npos);
    EXPECT_NE(html.find("&amp;amp; literal"), std::string::npos);
    EXPECT_EQ(dump(mv::ParseBookmarkFile(html)), expected);

    const std::string back = dir / "Back";
    std::filesystem::create_directory(back);
    mv::ImportBookmarks(mv::ParseBookmarkFile(html), back);
    EXPECT_EQ(dump(mv::CollectFavorites(back)), expected);

    const mv::BookmarkNode some =
        mv::CollectFavoriteFiles({fav + "/wide.url", fav + "/ニュース/天気.url"});
    EXPECT_EQ(dump(some), "wide<https://ja.wikipedia.org/wiki/日本>|"
                          "天気<https://tenki.jp/?a=1&b=2>{毎日 <見る>}");
    EXPECT_GT(some.children[0].lastModified, 0);
}

} // namespace
