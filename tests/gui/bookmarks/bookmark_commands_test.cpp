// The export and import commands of the main window.
#include "../MainWindowFixture.h"

#include "favorites/BookmarkImport.h"
#include "favorites/ShortcutFile.h"

#include <QFile>
#include <QProgressBar>

using mvtest::MainWindowTest;

namespace {

std::string fixture(const char* name) {
    return std::string(MARKVANE_BOOKMARK_FIXTURES) + "/" + name;
}

// "title<url>" of every bookmark in file order, folders as "title[...]".
std::string dump(const mv::BookmarkNode& node) {
    std::string out;
    for (const mv::BookmarkNode& c : node.children) {
        if (!out.empty()) out += "|";
        out += c.title + (c.isFolder ? "[" + dump(c) + "]" : "<" + c.url + ">");
    }
    return out;
}

using BookmarkCommands = MainWindowTest;

TEST_F(BookmarkCommands, ImportIntoTheSelectedFolderShowsProgressAndSummary) {
    std::filesystem::create_directories(favorites + "/Sub");
    writeFavorite("Sub/YouTube.url", "http://kept/");
    open();
    select(favorites + "/Sub");
    dialogs.openNames.push_back(QString::fromStdString(fixture("chrome.html")));
    bool progressShown = false;
    dialogs.onAsk = [&](const mvtest::ScriptedDialogs::Question&) {
        // The summary comes after the window is usable again.
        EXPECT_TRUE(form->isEnabled());
    };
    dialogs.answers.push_back(mv::mbOK);
    auto* bar = component<QProgressBar>("StatusProgressBar1");
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int) { progressShown = true; });
    trigger("TB_BookmarkImport");
    ASSERT_EQ(dialogs.asked.size(), 1u);
    const QString summary = dialogs.asked[0].text;
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Information);
    EXPECT_TRUE(summary.contains(QStringLiteral("フォルダ: 3"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("お気に入り: 5"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("読み込まなかったもの: 1")));
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(bar->value(), 0);
    const std::string bar1 = favorites + "/Sub/ブックマーク バー";
    EXPECT_EQ(mv::ReadShortcutUrl(bar1 + "/youtube (2).url"), "https://m.youtube.com/");
    EXPECT_EQ(mv::ReadShortcutUrl(favorites + "/Sub/YouTube.url"), "http://kept/");
    // The tree shows the new folders.
    EXPECT_TRUE(
        mvtest::waitFor([&] { return tree().IndexOf(QString::fromStdString(bar1)).isValid(); }));
}

TEST_F(BookmarkCommands, ImportOfAFileWithoutBookmarksWritesNothing) {
    const std::string empty = dir / "empty.html";
    mvtest::writeBytes(empty, "<html><body><p>nothing</p></body></html>");
    open();
    dialogs.openNames.push_back(QString::fromStdString(empty));
    dialogs.answers.push_back(mv::mbOK);
    trigger("TB_BookmarkImport");
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Warning);
    EXPECT_TRUE(std::filesystem::is_empty(favorites));
    // Cancelled: nothing asked, nothing written.
    dialogs.openNames.push_back(std::nullopt);
    trigger("TB_BookmarkImport");
    EXPECT_EQ(dialogs.asked.size(), 1u);
}

TEST_F(BookmarkCommands, ExportTheTreeOrTheCheckedFavorites) {
    std::filesystem::create_directories(favorites + "/ニュース");
    writeFavorite("ニュース/天気.url", "https://tenki.jp/?a=1&b=2", "毎日");
    writeFavorite("A & B.url", "http://a.jp/");
    writeFavorite("C.url", "http://c.jp/");
    open();
    select(favorites);
    const std::string out = dir / "bookmarks.html";

    // Nothing checked: the whole tree, without a question.
    dialogs.saveNames.push_back(QString::fromStdString(out));
    dialogs.answers.push_back(mv::mbOK);
    trigger("TB_BookmarkExport");
    EXPECT_EQ(dump(mv::ParseBookmarkFile(mvtest::readBytes(out))),
              "ニュース[天気<https://tenki.jp/?a=1&b=2>]|A & B<http://a.jp/>|C<http://c.jp/>");
    EXPECT_TRUE(dialogs.asked.back().text.contains(QStringLiteral("3 件")));

    // The checked row only; the existing file is replaced once the user agrees.
    setMark(2);
    dialogs.answers = {mv::mbYes, mv::mbYes, mv::mbOK};
    dialogs.saveNames.push_back(QString::fromStdString(out));
    trigger("TB_BookmarkExport");
    EXPECT_EQ(dump(mv::ParseBookmarkFile(mvtest::readBytes(out))), "C<http://c.jp/>");

    // Declining the replacement leaves the file as it was.
    const std::string before = mvtest::readBytes(out);
    dialogs.answers = {mv::mbNo, mv::mbNo};
    dialogs.saveNames.push_back(QString::fromStdString(out));
    trigger("TB_BookmarkExport");
    EXPECT_EQ(mvtest::readBytes(out), before);
}

} // namespace
