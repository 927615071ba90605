#include "favorites/HiddenAttribute.h"
#include "favorites/SearchFolding.h"
#include "favorites/SearchIndex.h"
#include "favorites/ShortcutFile.h"
#include "platform/codepage.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using mvtest::writeBytes;

namespace {

std::u16string fold(const char16_t* text) {
    return mv::FoldForSearch(text);
}

TEST(SearchFoldingTest, JapaneseFormsOfOneWordFoldAlike) {
    // Width, case, kana, and voiced marks written apart in half-width katakana.
    EXPECT_EQ(fold(u"ＡＢＣ"), fold(u"abc"));
    EXPECT_EQ(fold(u"Ｍｉｘｅｄ Case"), fold(u"mixed case"));
    EXPECT_EQ(fold(u"ｶﾀｶﾅ"), fold(u"カタカナ"));
    EXPECT_EQ(fold(u"かたかな"), fold(u"カタカナ"));
    EXPECT_EQ(fold(u"ｶﾞｲﾄﾞ"), fold(u"がいど"));
    EXPECT_EQ(fold(u"ﾊﾟｿｺﾝ"), fold(u"ぱそこん"));
    EXPECT_EQ(fold(u"１２３"), fold(u"123"));
    EXPECT_EQ(fold(u"ÄÖ"), fold(u"äö"));
    // Folding keeps what tells words apart.
    EXPECT_NE(fold(u"か"), fold(u"が"));
    EXPECT_NE(fold(u"ハ"), fold(u"パ"));
    EXPECT_NE(fold(u"東京"), fold(u"京都"));
    // A folded text is its own fold, so a query folds the way the index did.
    const std::u16string once = fold(u"ﾆｭｰｽ ＡＢＣ ひらがな");
    EXPECT_EQ(mv::FoldForSearch(once), once);
}

class SearchIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        mv::CodePage::setActiveForTesting(&mv::CodePage::utf8());
        std::filesystem::create_directories(root);
    }
    void TearDown() override { mv::CodePage::setActiveForTesting(nullptr); }

    void write(const std::string& rel, const std::string& url, const std::string& comment = {}) {
        const std::string path = root + "/" + rel;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::string text = "[InternetShortcut]\r\nURL=" + url + "\r\n";
        if (!comment.empty()) text += "[Comment]\r\nComment=" + comment + "\r\n";
        writeBytes(path, text);
    }
    // The found favorites' paths below the root.
    std::vector<std::string> find(const mv::SearchIndex& index, const char16_t* text) {
        std::vector<std::string> found;
        for (const mv::FavoriteEntry* e : index.Find(text))
            found.push_back(e->Path.substr(root.size() + 1));
        return found;
    }
    using Paths = std::vector<std::string>;

    mvtest::TempDir dir;
    std::string root = dir / "Favorites";
};

TEST_F(SearchIndexTest, FindsNamesUrlsAndCommentsInEveryFolder) {
    write("ニュース.url", "https://news.example.jp/", "毎朝読む");
    write("旅行/ホテル予約.url", "https://hotel.example.com/");
    write("旅行/国内/温泉ガイド.url", "https://onsen.example.jp/", "ＧＷに行く");
    write("Tech/Zeal.url", "https://zeal.example.org/docs");
    write("Tech/alpha.url", "https://alpha.example.org/");
    write("Tech/notes.txt", "https://example.org/notes"); // not a favorite
    writeBytes(root + "/Tech/.url", "[InternetShortcut]\r\nURL=https://empty.example/\r\n");
    // Shift-JIS file: "CP932サイト" with the comment "カタカナ".
    writeBytes(root + "/CP932.url", "[InternetShortcut]\r\nURL=https://sjis.example/\r\n"
                                    "[Comment]\r\nComment=\x83\x4a\x83\x5e\x83\x4a\x83\x69\r\n");
    // A link to a folder is not followed, so its favorites are not found twice.
    std::filesystem::create_directory_symlink(root + "/旅行", root + "/link");

    const mv::SearchIndex index = mv::SearchIndex::Build(root);
    EXPECT_EQ(index.Count(), 6u);
    EXPECT_EQ(index.Folders(), (Paths{root, root + "/Tech", root + "/旅行", root + "/旅行/国内"}));

    EXPECT_EQ(find(index, u"ホテル"), Paths{"旅行/ホテル予約.url"});
    EXPECT_EQ(find(index, u"ONSEN"), Paths{"旅行/国内/温泉ガイド.url"});
    EXPECT_EQ(find(index, u"gw"), Paths{"旅行/国内/温泉ガイド.url"}); // comment, full width
    EXPECT_EQ(find(index, u"ｶﾞｲﾄﾞ"), Paths{"旅行/国内/温泉ガイド.url"});
    EXPECT_EQ(find(index, u"かたかな"), Paths{"CP932.url"});
    EXPECT_EQ(find(index, u"  まいあさ"), Paths{});
    EXPECT_EQ(find(index, u" 毎朝 "), Paths{"ニュース.url"});
    // By folder, then by name without regard to case.
    EXPECT_EQ(find(index, u"example.org"), (Paths{"Tech/alpha.url", "Tech/Zeal.url"}));
    EXPECT_EQ(find(index, u"https").size(), 6u);
    EXPECT_EQ(find(index, u"　 "), Paths{});
}

TEST_F(SearchIndexTest, FollowsChangesFolderByFolder) {
    write("a.url", "https://a.example/");
    write("sub/b.url", "https://b.example/", "before");
    write("sub/deep/c.url", "https://c.example/");
    mv::SearchIndex index = mv::SearchIndex::Build(root);
    ASSERT_EQ(index.Count(), 3u);

    // Rewritten in place (same file, same length) just after the index read it; hidden.
    write("sub/b.url", "https://b.example/", "after!");
    ASSERT_FALSE(mv::ToggleHiddenAttribute(root + "/a.url"));
    EXPECT_TRUE(index.SyncFolder(root + "/sub"));
    EXPECT_EQ(find(index, u"after"), Paths{"sub/b.url"});
    EXPECT_EQ(find(index, u"before"), Paths{});
    EXPECT_TRUE(index.SyncFolder(root));
    ASSERT_EQ(index.Find(u"a.example").size(), 1u);
    EXPECT_EQ(index.Find(u"a.example")[0]->Hidden, 1);

    // Renamed, added, removed; a folder with its subfolder moved elsewhere in the tree.
    std::filesystem::rename(root + "/sub/b.url", root + "/sub/bee.url");
    write("sub/new.url", "https://new.example/");
    std::filesystem::remove(root + "/a.url");
    std::filesystem::rename(root + "/sub/deep", root + "/moved");
    write("moved/more/d.url", "https://d.example/");
    EXPECT_TRUE(index.SyncStale());
    EXPECT_EQ(find(index, u"example"),
              (Paths{"moved/c.url", "moved/more/d.url", "sub/bee.url", "sub/new.url"}));
    EXPECT_EQ(index.Count(), 4u);
    EXPECT_EQ(index.Folders(), (Paths{root, root + "/moved", root + "/moved/more", root + "/sub"}));

    // A folder that is gone leaves with everything below it; nothing else changes.
    std::filesystem::remove_all(root + "/moved");
    EXPECT_TRUE(index.SyncFolder(root + "/moved"));
    EXPECT_EQ(find(index, u"example"), (Paths{"sub/bee.url", "sub/new.url"}));
    EXPECT_FALSE(index.SyncFolder(root + "/sub"));
    EXPECT_FALSE(index.SyncFolder(dir / "elsewhere"));
    // A folder not held yet is read whole by way of its parent.
    write("sub/x/y/e.url", "https://e.example/");
    EXPECT_TRUE(index.SyncFolder(root + "/sub/x/y"));
    EXPECT_EQ(find(index, u"e.example"), Paths{"sub/x/y/e.url"});
}

} // namespace
