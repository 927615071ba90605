// Duplicate favorites under a folder tree of real files.

#include "favorites/DuplicateFinder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using mv::NormalizeUrl;

TEST(NormalizeUrl, MakesSpellingsOfOneAddressEqual) {
    const std::string base = "http://example.com/";
    for (const char* same :
         {"http://example.com", "HTTP://Example.COM/", "http://example.com:80/",
          "  http://example.com/\t", "http://example.com#top", "http://example.com:/"})
        EXPECT_EQ(NormalizeUrl(same), base) << same;
    EXPECT_EQ(NormalizeUrl("https://Example.com:443?q=A"), "https://example.com/?q=A");
    EXPECT_EQ(NormalizeUrl("http://User@Host.JP:8080/Path/A#x"), "http://User@host.jp:8080/Path/A");
    EXPECT_EQ(NormalizeUrl("http://[::1]:80/"), "http://[::1]/");
    // What tells pages apart stays: path case, other ports, the fragment when asked for.
    EXPECT_NE(NormalizeUrl("http://example.com/Page"), NormalizeUrl("http://example.com/page"));
    EXPECT_NE(NormalizeUrl("http://example.com:8080/"), base);
    EXPECT_NE(NormalizeUrl("https://example.com/"), base);
    EXPECT_EQ(NormalizeUrl("http://example.com/#a", true), "http://example.com/#a");
    EXPECT_NE(NormalizeUrl("http://example.com/#a", true),
              NormalizeUrl("http://example.com/", true));
    EXPECT_EQ(NormalizeUrl("mailto:Someone@Example.com"), "mailto:Someone@Example.com");
}

std::string shortcut(const std::string& url) {
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

void writeAged(const std::string& path, const std::string& bytes, int ageHours) {
    mvtest::writeBytes(path, bytes);
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() -
                                               std::chrono::hours(ageHours));
}

TEST(FindDuplicates, GroupsAcrossFoldersOldestFirstAndListsEmptyFolders) {
    mvtest::TempDir root;
    for (const char* dir : {"ニュース", "ニュース/国内", "旅行", "空のフォルダ", "旅行/空"})
        std::filesystem::create_directory(root / dir);
    writeAged(root / "ニュース/朝刊.url", shortcut("http://News.example.jp"), 5);
    writeAged(root / "ニュース/国内/朝刊 (2).url", shortcut("http://news.example.jp:80/"), 50);
    writeAged(root / "朝刊.url", shortcut("http://news.example.jp/#today"), 1);
    writeAged(root / "旅行/宿.url", shortcut("https://yado.example/a"), 3);
    writeAged(root / "旅行/宿の別ページ.url", shortcut("https://yado.example/b"), 4);
    writeAged(root / "旅行/no-url.url", "[InternetShortcut]\r\n", 4);
    writeAged(root / "旅行/also-no-url.url", "[InternetShortcut]\r\n", 4);
    // A CP932 name and a CP932 file (the URL itself is ASCII).
    writeAged(root.path() + "/\x93\xfa\x8b\x4c.url", shortcut("HTTPS://YADO.example/a"), 2);

    mv::DuplicateReport report = mv::FindDuplicates(root.path());
    EXPECT_EQ(report.Favorites, 8u);
    ASSERT_EQ(report.Groups.size(), 2u);
    const auto& news = report.Groups[0];
    EXPECT_EQ(news.NormalizedUrl, "http://news.example.jp/");
    ASSERT_EQ(news.Items.size(), 3u);
    EXPECT_EQ(news.Items[0].Path, root / "ニュース/国内/朝刊 (2).url");
    EXPECT_EQ(news.Items[0].Folder, "ニュース/国内");
    EXPECT_EQ(news.Items[0].SiteName, "朝刊 (2)");
    EXPECT_EQ(news.Items[1].Folder, "ニュース");
    EXPECT_EQ(news.Items[2].Folder, "");
    EXPECT_EQ(news.Items[2].Url, "http://news.example.jp/#today");
    const auto& inn = report.Groups[1];
    ASSERT_EQ(inn.Items.size(), 2u);
    EXPECT_EQ(inn.Items[0].Path, root / "旅行/宿.url");
    EXPECT_EQ(inn.Items[1].Path, root.path() + "/\x93\xfa\x8b\x4c.url");
    EXPECT_EQ(report.EmptyFolders, (std::vector<std::string>{"旅行/空", "空のフォルダ"}));

    // Asked to keep fragments, the one with "#today" stands apart.
    report = mv::FindDuplicates(root.path() + "/", true);
    ASSERT_EQ(report.Groups.size(), 2u);
    EXPECT_EQ(report.Groups[0].Items.size(), 2u);
}

} // namespace
