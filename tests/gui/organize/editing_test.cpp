#include "OrganizeFixture.h"

#include "favorites/ShortcutFile.h"

using mvtest::OrganizeTest;
using mvtest::readBytes;

TEST_F(OrganizeTest, OneEditReachesOnlyItsOwnFile) {
    for (int i = 1; i <= 6; ++i)
        writeFavorite("site" + std::to_string(i) + ".url", "http://s" + std::to_string(i) + "/");
    open();
    std::map<std::string, std::string> before;
    for (const auto& name : filesIn(favorites))
        before[name] = readBytes(favorites + "/" + name);

    const std::string file3 = cell(1, 3) + ".url";
    type(2, 3, "https://changed.example/");
    grid().setRow(5); // the row changes: row 3 is written
    EXPECT_EQ(mv::ReadShortcutUrl(favorites + "/" + file3), "https://changed.example/");
    for (const auto& [name, bytes] : before)
        if (name != file3) {
            EXPECT_EQ(readBytes(favorites + "/" + name), bytes) << name;
        }

    // Typing and restoring the old text writes nothing.
    const std::string file5 = cell(1, 5) + ".url";
    const std::string old = cell(4, 5);
    type(4, 5, "temporary");
    type(4, 5, old);
    grid().setRow(1);
    EXPECT_EQ(readBytes(favorites + "/" + file5), before[file5]);
}

TEST_F(OrganizeTest, SiteNameEditsRenameTheFile) {
    writeFavorite("old name.url", "http://a/", "c");
    writeFavorite("Other.url", "http://o/");
    open();
    const int r = rowOf("old name");
    type(1, r, "新しい名前");
    type(4, r, "new comment");
    leaveGrid(); // leaving the grid commits
    EXPECT_FALSE(std::filesystem::exists(favorites + "/old name.url"));
    EXPECT_EQ(mv::ReadShortcutComment(favorites + "/新しい名前.url"), "new comment");
    EXPECT_EQ(mv::ReadShortcutUrl(favorites + "/新しい名前.url"), "http://a/");

    // A change of case only is a rename too.
    relist();
    const int o = rowOf("Other");
    type(1, o, "OTHER");
    leaveGrid();
    EXPECT_EQ(filesIn(favorites), (std::vector<std::string>{"OTHER.url", "新しい名前.url"}));
}

TEST_F(OrganizeTest, HeaderRowEditsOfAnEmptyFolderAreNeverWritten) {
    std::filesystem::create_directories(favorites + "/empty");
    open();
    select(favorites + "/empty");
    ASSERT_EQ(grid().RowCount(), 1);
    type(2, 0, "http://header/");
    type(1, 0, "named");
    leaveGrid();
    EXPECT_TRUE(filesIn(favorites + "/empty").empty());
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(OrganizeTest, AFavoriteDeletedBehindTheProgramsBackIsNotRecreated) {
    writeFavorite("gone.url", "http://g/");
    open();
    const int r = rowOf("gone");
    grid().setRow(r);
    std::filesystem::remove(favorites + "/gone.url");
    type(1, r, "renamed");
    dialogs.answers = {mv::mbOK};
    leaveGrid();
    EXPECT_TRUE(filesIn(favorites).empty());
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_TRUE(dialogs.asked[0].text.contains(QStringLiteral("gone.url")));
    EXPECT_EQ(cell(1, r), "gone");
}

TEST_F(OrganizeTest, SortingMovesWholeRowsWithTheirColour) {
    for (const char* n : {"b", "A", "a", "C"})
        writeFavorite(std::string(n) + ".url", std::string("http://") + n + "/");
    const bool hidden =
        !mv::fileattr::set(favorites + "/b.url", mv::fileattr::Archive | mv::fileattr::Hidden);
    open();
    mark("C");
    type(3, rowOf("C"), "date of C");
    form->Action("TB_SortBySite")->trigger();
    std::vector<std::string> order;
    for (int r = 1; r < 5; ++r)
        order.push_back(cell(1, r));
    EXPECT_TRUE((order[0] == "A" && order[1] == "a") || (order[0] == "a" && order[1] == "A"));
    EXPECT_EQ(order[2], "b");
    EXPECT_EQ(order[3], "C");
    EXPECT_EQ(cell(0, 4), "1");
    EXPECT_EQ(cell(3, 4), "date of C");
    EXPECT_EQ(cell(2, 3), "http://b/");
    if (hidden) {
        EXPECT_EQ(listed().At(2).Entry.Hidden, 1);
        QImage image = grid().viewport()->grab().toImage();
        const QRect rc = grid().CellRect(2, 3);
        EXPECT_EQ(image.pixelColor(rc.right() - 2, rc.bottom() - 2), QColor(190, 190, 255));
    }
    form->Action("TB_SortByURL")->trigger();
    EXPECT_EQ(cell(2, 1), "http://A/");
}

TEST_F(OrganizeTest, CheckMarkCommands) {
    writeFavorite("a.url", "1");
    writeFavorite("b.url", "2");
    open();
    setMark(1);
    form->Action("TB_CheckChange")->trigger();
    EXPECT_EQ(cell(0, 1), "0");
    EXPECT_EQ(cell(0, 2), "1");
    EXPECT_EQ(listed().CheckedPaths(),
              std::vector<std::string>{favorites + "/" + cell(1, 2) + ".url"});
    form->Action("TB_CheckChange")->trigger();
    EXPECT_EQ(cell(0, 1), "1");
    EXPECT_EQ(cell(0, 2), "0");
    form->Action("TB_CheckOn")->trigger();
    EXPECT_EQ(cell(0, 0), "0"); // the header is never marked
    EXPECT_EQ(cell(0, 2), "1");
    EXPECT_EQ(listed().CheckedPaths().size(), 2u);
    grid().setCells(0, 0, "1");
    form->Action("TB_CheckOff")->trigger();
    EXPECT_EQ(cell(0, 0), "0");
    EXPECT_EQ(cell(0, 1), "0");
    EXPECT_FALSE(listed().AnyChecked());
    // A click on a check box marks its favorite.
    setMark(2);
    EXPECT_EQ(listed().CheckedPaths(),
              std::vector<std::string>{favorites + "/" + cell(1, 2) + ".url"});
}
