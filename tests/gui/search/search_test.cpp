#include "../organize/OrganizeFixture.h"

#include "favorites/HiddenAttribute.h"
#include "favorites/ShortcutFile.h"
#include "ui/StatusProgressBar.h"

#include <QInputMethodEvent>
#include <QLineEdit>

using mvtest::OrganizeTest;
using mvtest::readBytes;
using Names = std::vector<std::string>;

namespace {

class SearchTest : public OrganizeTest {
protected:
    // A favorite in a folder made as needed.
    void put(const std::string& rel, const std::string& url, const std::string& comment = {}) {
        std::filesystem::create_directories(
            std::filesystem::path(favorites + "/" + rel).parent_path());
        writeFavorite(rel, url, comment);
    }
    QLineEdit& box() { return *component<QLineEdit>("SearchBox"); }
    // Types a search and waits until the grid lists exactly `expected` (site names, sorted).
    ::testing::AssertionResult search(const QString& text, const Names& expected) {
        box().setText(text);
        QApplication::processEvents();
        return mvtest::waitFor([&] { return siteNames() == expected && searchShown(); }, 5000)
               << " searching " << text.toStdString() << ": "
               << ::testing::PrintToString(siteNames());
    }
    bool searchShown() {
        return QString::fromStdString(status()).startsWith(QStringLiteral("検索結果"));
    }
    std::string status() { return component<mv::TStatusBar>("StatusBar1")->Panels(1).Text; }
    // The file of the favorite shown in row r.
    std::string fileOf(int r) { return listed().At(size_t(r - 1)).Entry.Path; }
    int rowOfFile(const std::string& path) {
        for (int r = 1; r < grid().RowCount(); ++r)
            if (fileOf(r) == path) return r;
        return -1;
    }
};

TEST_F(SearchTest, FindsFavoritesOfTheWholeTreeAsAJapaneseReaderExpects) {
    put("ニュース.url", "https://news.example.jp/", "毎朝よむ");
    put("旅行/国内/温泉ガイド.url", "https://onsen.example.jp/");
    put("旅行/ホテル.url", "https://HOTEL.example.com/", "ＧＷの予約");
    put("Search/Google.url", "https://www.google.com/");
    open();
    const Names rootListing = siteNames();
    ASSERT_EQ(rootListing, Names{"ニュース"});

    // Ctrl+F puts the keyboard in the search box.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    grid().setFocus();
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), &box());

    // Half-width katakana, committed by the input method a character at a time.
    for (const QChar c : QStringLiteral("ｶﾞｲﾄﾞ")) {
        QInputMethodEvent commit;
        commit.setCommitString(QString(c));
        QApplication::sendEvent(&box(), &commit);
    }
    ASSERT_TRUE(mvtest::waitFor([&] { return siteNames() == Names{"温泉ガイド"}; }, 5000));
    // Where it lives is on the status line.
    EXPECT_NE(status().find("場所: Favorites/旅行/国内"), std::string::npos) << status();
    EXPECT_TRUE(search(QStringLiteral("ＧＯＯＧＬＥ"), {"Google"}));  // full width, case
    EXPECT_TRUE(search(QStringLiteral("hotel.EXAMPLE"), {"ホテル"})); // URL, case
    EXPECT_TRUE(search(QStringLiteral("gw"), {"ホテル"}));            // comment, width
    EXPECT_TRUE(search(QStringLiteral("マイアサヨム"), {}));          // kanji is not kana
    EXPECT_TRUE(search(QStringLiteral("ヨム"), {"ニュース"}));        // katakana finds hiragana
    EXPECT_TRUE(search(QStringLiteral("ほてる"), {"ホテル"}));        // and the other way
    EXPECT_TRUE(search(QStringLiteral("example"), {"ニュース", "ホテル", "温泉ガイド"}));

    // Escape gives the selected folder's listing back, as an emptied box does.
    QTest::keyClick(&box(), Qt::Key_Escape);
    EXPECT_TRUE(box().text().isEmpty());
    EXPECT_EQ(siteNames(), rootListing);
    EXPECT_FALSE(searchShown());
    EXPECT_TRUE(search(QStringLiteral("google"), {"Google"}));
    box().setText(QStringLiteral("  "));
    EXPECT_EQ(siteNames(), rootListing);

    // Choosing a folder in the tree ends the search and lists that folder.
    EXPECT_TRUE(search(QStringLiteral("google"), {"Google"}));
    select(favorites + "/旅行");
    ASSERT_TRUE(mvtest::waitFor([&] { return siteNames() == Names{"ホテル"}; }));
    EXPECT_TRUE(box().text().isEmpty());
}

TEST_F(SearchTest, EditsAndCommandsOnFoundRowsReachTheirOwnFiles) {
    // The same site name in two folders: only the file of the row edited changes.
    put("a/same.url", "http://a.example/", "first");
    put("b/same.url", "http://b.example/", "second");
    put("b/other.url", "http://other.example/");
    open();
    const std::string a = favorites + "/a/same.url", b = favorites + "/b/same.url";
    const std::string aBytes = readBytes(a);
    ASSERT_TRUE(search(QStringLiteral("same"), {"same", "same"}));

    int r = rowOfFile(b);
    ASSERT_GT(r, 0);
    type(2, r, "http://changed.example/");
    type(1, r, "renamed");
    leaveGrid();
    EXPECT_EQ(readBytes(a), aBytes);
    EXPECT_FALSE(std::filesystem::exists(b));
    EXPECT_EQ(mv::ReadShortcutUrl(favorites + "/b/renamed.url"), "http://changed.example/");
    // The index saw the program's own write at once.
    EXPECT_TRUE(search(QStringLiteral("changed.example"), {"renamed"}));

    // A mark and the marked commands act on the found file, in its folder.
    ASSERT_TRUE(search(QStringLiteral("example"), {"other", "renamed", "same"}));
    mark("same");
    trigger("TB_CheckHideChange");
    EXPECT_TRUE(mv::IsHiddenFile(a));
    EXPECT_FALSE(mv::IsHiddenFile(favorites + "/b/other.url"));
    EXPECT_TRUE(searchShown());
    EXPECT_EQ(siteNames(), (Names{"other", "renamed", "same"}));

    // Deleting a found row trashes that file; the search lists what is left.
    grid().setRow(rowOf("other"));
    dialogs.answers = {mv::mbYes};
    trigger("TB_Delete");
    EXPECT_EQ(filesIn(trash() + "/files"), Names{"other.url"});
    EXPECT_EQ(siteNames(), (Names{"renamed", "same"}));
    EXPECT_TRUE(searchShown());

    // Cut from the search, pasted into a folder chosen afterwards.
    grid().setRow(rowOf("same"));
    trigger("TB_Cut");
    EXPECT_EQ(listed().ItemClipboard(), Names{a});
    select(favorites + "/b");
    trigger("TB_Paste");
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_EQ(filesIn(favorites + "/b"), (Names{"renamed.url", "same.url"}));
    EXPECT_EQ(readBytes(favorites + "/b/same.url"), aBytes);
    EXPECT_TRUE(mv::IsHiddenFile(favorites + "/b/same.url"));
}

TEST_F(SearchTest, SearchShownFollowsChangesMadeByOtherPrograms) {
    put("one.url", "http://one.example/");
    open();
    ASSERT_TRUE(search(QStringLiteral("example"), {"one"}));
    // Another program adds a folder with a favorite, and renames one.
    put("new/deeper/two.url", "http://two.example/");
    std::filesystem::rename(favorites + "/one.url", favorites + "/uno.url");
    EXPECT_TRUE(mvtest::waitFor(
        [&] {
            return siteNames() == Names{"two", "uno"};
        },
        5000))
        << ::testing::PrintToString(siteNames());
}

} // namespace
