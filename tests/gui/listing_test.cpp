#include "MainWindowFixture.h"

#include "favorites/ListingPrefetch.h"
#include "platform/fileattr.h"

#include <QImage>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

using mvtest::MainWindowTest;

namespace {
const std::string kSjisComment = "\x93\xFA\x96\x7B\x8C\xEA"; // 日本語 in CP932
}

TEST_F(MainWindowTest, ListsFavoritesOfTheSelectedFolderOnly) {
    writeFavorite("Site.URL", "http://site/");
    writeFavorite("日本語.url", "http://jp/", kSjisComment);
    writeFavorite("ＵＴＦ８.url", "http://u/", "ユニコード");
    writeFavorite("secret.url", "http://hidden/");
    mvtest::writeBytes(favorites + "/.url", "[InternetShortcut]\r\nURL=http://none/\r\n");
    mvtest::writeBytes(favorites + "/notes.txt", "x");
    std::filesystem::create_directories(favorites + "/sub/deeper");
    writeFavorite("sub/inner.url", "http://inner/");
    const bool hidden =
        !mv::fileattr::set(favorites + "/secret.url", mv::fileattr::Archive | mv::fileattr::Hidden);

    open();
    ASSERT_EQ(grid().RowCount(), 5);
    EXPECT_EQ(grid().FixedRows(), 1);
    std::map<std::string, std::pair<std::string, std::string>> rows;
    for (int r = 1; r < 5; ++r) {
        EXPECT_EQ(cell(0, r), "0");
        EXPECT_EQ(cell(3, r), "");
        rows[cell(1, r)] = {cell(2, r), cell(4, r)};
        // The grid shows the listed favorites in their order.
        EXPECT_EQ(listed().At(size_t(r - 1)).SiteName, cell(1, r));
    }
    EXPECT_EQ(rows["Site"].first, "http://site/");
    EXPECT_EQ(rows["日本語"].second, "日本語");
    EXPECT_EQ(rows["ＵＴＦ８"].second, "ユニコード");
    EXPECT_EQ(rows.count("secret"), 1u);
    EXPECT_EQ(tree().RootPath(), QString::fromStdString(favorites));

    if (hidden) {
        // The hidden favorite is shaded in its text columns, the others are white.
        QImage image = grid().viewport()->grab().toImage();
        for (int r = 1; r < 5; ++r) {
            const QRect rc = grid().CellRect(1, r);
            const QColor shade = image.pixelColor(rc.right() - 2, rc.bottom() - 2);
            EXPECT_EQ(shade, cell(1, r) == "secret" ? QColor(190, 190, 255) : QColor(Qt::white))
                << cell(1, r);
        }
    }

    select(favorites + "/sub");
    ASSERT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(cell(1, 1), "inner");
    EXPECT_EQ(listed().Count(), 1u);
}

TEST_F(MainWindowTest, EmptyFolderLeavesOnlyTheUnfixedHeaderRow) {
    writeFavorite("a.url", "http://a/");
    std::filesystem::create_directories(favorites + "/empty");
    open();
    ASSERT_EQ(grid().RowCount(), 2);
    select(favorites + "/empty");
    EXPECT_EQ(grid().RowCount(), 1);
    EXPECT_EQ(grid().FixedRows(), 0);
    EXPECT_EQ(grid().ColWidths(1), 64); // the grid's default width
    EXPECT_EQ(grid().ColWidths(2), 64);
    EXPECT_EQ(cell(1, 0), "サイト名");
    EXPECT_TRUE(listed().Empty());
    // The busy state is left: tree and grid usable again, normal cursor.
    EXPECT_TRUE(grid().isEnabled());
    EXPECT_TRUE(tree().isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, ColumnsWidenToTheLongestTextButNeverShrink) {
    const std::string longName = "とても長いサイト名のお気に入りファイルです";
    writeFavorite(longName + ".url", "http://x/",
                  "a comment long enough to be wider than its column");
    writeFavorite("s.url", "h");
    open();
    EXPECT_EQ(grid().ColWidths(1), grid().TextWidth(longName) + 10);
    EXPECT_EQ(grid().ColWidths(2), 64); // short URLs: the default stays
    const int commentWidth = grid().ColWidths(4);
    EXPECT_LT(commentWidth, grid().TextWidth("a comment long enough to be wider than its column"));

    std::filesystem::create_directories(favorites + "/short");
    writeFavorite("short/x.url", "http://example.com/a/rather/long/url/that/needs/room");
    select(favorites + "/short");
    EXPECT_EQ(grid().ColWidths(1), 64); // reset to the default, then fitted
    EXPECT_GT(grid().ColWidths(2), 64);
    // The comment column is not fitted; it takes what the others leave of the grid's width.
    int total = 0;
    for (int c = 0; c < 5; ++c)
        total += grid().ColWidths(c) + grid().GridLineWidth();
    EXPECT_EQ(total, grid().viewport()->width());
}

TEST_F(MainWindowTest, RefreshShowsCurrentValuesAndClearsMarks) {
    writeFavorite("a.url", "http://old/");
    open();
    setMark(1);
    type(3, 1, "Mon, 01 Jan 2024 00:00:00 GMT");
    writeFavorite("a.url", "http://new/", "changed");
    writeFavorite("b.url", "http://b/");
    form->Action("TB_Refresh")->trigger();
    QApplication::processEvents();
    ASSERT_EQ(grid().RowCount(), 3);
    for (int r = 1; r < 3; ++r) {
        EXPECT_EQ(cell(0, r), "0");
        EXPECT_EQ(cell(3, r), "");
        EXPECT_FALSE(listed().At(size_t(r - 1)).Checked);
        if (cell(1, r) == "a") {
            EXPECT_EQ(cell(2, r), "http://new/");
        }
    }
    EXPECT_TRUE(grid().isVisible());
    EXPECT_TRUE(tree().isVisible());
}

TEST_F(MainWindowTest, CommandInventoryAndAvailability) {
    open();
    // Twins exist and carry the same captions.
    for (const char* name :
         {"TB_Add", "TB_Copy", "TB_CheckGetDate", "TB_Folder_Hide", "TB_Property"}) {
        QAction* menu = form->Action(name);
        QAction* bar = form->Action((std::string(name) + "_Toolbar").c_str());
        ASSERT_TRUE(menu && bar) << name;
        EXPECT_EQ(menu->text(), bar->text());
    }
    EXPECT_EQ(form->Action("TBArchive")->toolTip(),
              QStringLiteral("全お気に入りをLHA形式で圧縮保存します"));
    EXPECT_FALSE(form->Action("TB_CheckGetDateCancel")->isVisible());
    // The list menu's order with its separators.
    QStringList order;
    for (QAction* a : component<QMenu>("TBPopupMenu_List")->actions())
        order << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    EXPECT_EQ(order, (QStringList{QStringLiteral("TB_Add"), QStringLiteral("TBSubmenu_Edit"),
                                  QStringLiteral("-"), QStringLiteral("TBSubmenu_Check"),
                                  QStringLiteral("TBSubmenu_CheckEdit"), QStringLiteral("-"),
                                  QStringLiteral("TB_ShowBrowser"), QStringLiteral("-"),
                                  QStringLiteral("TB_Property")}));

    // Empty folder: the commands that need a favorite go off at the next tick; adding stays on.
    ASSERT_TRUE(mvtest::waitFor([&] { return !form->Action("TB_Copy")->isEnabled(); }));
    EXPECT_FALSE(form->Action("TBSubmenu_Check_Toolbar")->isEnabled());
    EXPECT_FALSE(form->Action("TB_Property")->isEnabled());
    EXPECT_TRUE(form->Action("TB_Add")->isEnabled());
    EXPECT_FALSE(form->Action("TB_Paste")->isEnabled());
    std::filesystem::create_directories(favorites + "/sub");
    writeFavorite("sub/a.url", "http://a/");
    select(favorites + "/sub");
    grid().setRow(1);
    trigger("TB_Copy");
    select(favorites);
    ASSERT_TRUE(mvtest::waitFor([&] { return form->Action("TB_Paste_Toolbar")->isEnabled(); }));
    // The header's check cell never enables the check-marked commands.
    grid().setCells(0, 0, "1");
    ASSERT_TRUE(mvtest::waitFor([&] { return cell(0, 0) == "0"; }));
    EXPECT_FALSE(form->Action("TBSubmenu_CheckEdit")->isEnabled());
}

TEST_F(MainWindowTest, MarkingARowEnablesTheCheckMarkedCommands) {
    writeFavorite("a.url", "http://a/");
    open();
    ASSERT_TRUE(mvtest::waitFor([&] { return form->Action("TB_Copy")->isEnabled(); }));
    EXPECT_FALSE(form->Action("TBSubmenu_CheckEdit")->isEnabled());
    EXPECT_TRUE(form->Action("TB_CheckGetDate")->isEnabled()); // inside, but unreachable
    setMark(1);
    ASSERT_TRUE(
        mvtest::waitFor([&] { return form->Action("TBSubmenu_CheckEdit_Toolbar")->isEnabled(); }));
    setMark(1, false);
    ASSERT_TRUE(mvtest::waitFor([&] { return !form->Action("TBSubmenu_CheckEdit")->isEnabled(); }));
}

TEST_F(MainWindowTest, EasyViewDropsCaptionsAndFillsHints) {
    open();
    form->resize(1280, 900); // wide enough for every caption
    QApplication::processEvents();
    QAction* easy = form->Action("TB_EasyView");
    auto* button = qobject_cast<QToolButton*>(
        component<QToolBar>("MainToolbar")->widgetForAction(form->Action("TB_Refresh")));
    ASSERT_TRUE(button);
    EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    easy->trigger();
    EXPECT_TRUE(easy->isChecked());
    EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
    easy->trigger();
    EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    for (const char* name : mv::ViewModeItems()) {
        QAction* a = form->Action(name);
        ASSERT_TRUE(a) << name;
        EXPECT_FALSE(a->property("hint").toString().isEmpty()) << name;
    }
    // A hint that was given stays what it was.
    EXPECT_EQ(form->Action("TB_End")->property("hint").toString(),
              QStringLiteral("Markvaneを終了します"));
}

// The start reads the favorites folder ahead; the first listing takes that read only while the
// folder holds the same entries, and only for the folder it lists.
TEST_F(MainWindowTest, FirstListingReadsForItselfWhenTheReadAheadIsNotOfItsFolderAsItIs) {
    writeFavorite("a.url", "http://a/");
    std::filesystem::create_directories(favorites + "/sub");
    writeFavorite("sub/inner.url", "http://inner/");
    for (const std::string& folder : {favorites, favorites + "/sub"}) {
        const timespec past[2] = {{::time(nullptr) - 60, 0}, {::time(nullptr) - 60, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, folder.c_str(), past, 0), 0);
    }

    form = std::make_unique<mv::TForm1>(settings);
    form->UseListingPrefetch(std::make_unique<mv::ListingPrefetch>(favorites));
    writeFavorite("b.url", "http://b/");
    form->show();
    QApplication::processEvents();
    ASSERT_EQ(grid().RowCount(), 3);

    form = std::make_unique<mv::TForm1>(settings);
    form->UseListingPrefetch(std::make_unique<mv::ListingPrefetch>(favorites + "/sub"));
    form->show();
    QApplication::processEvents();
    EXPECT_EQ(grid().RowCount(), 3);
    select(favorites + "/sub");
    ASSERT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(cell(1, 1), "inner");
}
