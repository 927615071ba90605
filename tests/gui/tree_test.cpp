// The folder tree keeps the grid on the folder the user chose while the file-system model
// changes underneath it.

#include "MainWindowFixture.h"

#include <QAbstractItemModel>
#include <cstdio>

using mvtest::MainWindowTest;

namespace {

// Renames `from` to `to` the moment the tree's model drops a row, i.e. while the model
// still reports the folder gone.
struct RenameOnRemoval {
    std::string from, to;
    bool done = false;
    void operator()() {
        if (done) return;
        done = true;
        std::rename(from.c_str(), to.c_str());
    }
};

} // namespace

TEST_F(MainWindowTest, AFolderDroppedByTheModelButStillOnDiskStaysSelected) {
    writeFavorite("root.url", "http://root/");
    std::filesystem::create_directories(favorites + "/kept");
    writeFavorite("kept/k.url", "http://kept/");
    open();
    const std::string kept = favorites + "/kept";
    select(kept);
    mv::TShellTreeView& tree = *form->Tree();
    ASSERT_EQ(tree.SelectedPath(), kept);

    // The folder leaves and comes back before the tree settles: what a read of the parent
    // that began before the folder existed looks like to the tree.
    RenameOnRemoval back{kept + ".away", kept};
    QObject connection; // goes before `back` does, taking the connection with it
    QObject::connect(tree.model(), &QAbstractItemModel::rowsRemoved, &connection,
                     [&back] { back(); });
    std::filesystem::rename(kept, kept + ".away");
    ASSERT_TRUE(mvtest::waitFor([&] { return back.done; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(tree.SelectedPath(), kept);
    ASSERT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(cell(2, 1), "http://kept/");
}

TEST_F(MainWindowTest, AFolderRemovedFromDiskHandsTheGridToTheTreesNewSelection) {
    writeFavorite("root.url", "http://root/");
    std::filesystem::create_directories(favorites + "/gone");
    writeFavorite("gone/g.url", "http://gone/");
    open();
    select(favorites + "/gone");
    ASSERT_EQ(cell(2, 1), "http://gone/");

    std::filesystem::remove_all(favorites + "/gone");
    mv::TShellTreeView& tree = *form->Tree();
    ASSERT_TRUE(mvtest::waitFor([&] { return tree.SelectedPath() != favorites + "/gone"; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(tree.SelectedPath(), favorites);
    ASSERT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(cell(2, 1), "http://root/");
}

// A folder made and selected right after a rebuild, while the new model's reads are still
// queued: those reads re-sort the rows, and selecting must not go on with indexes they
// replaced.
TEST_F(MainWindowTest, SelectingAFolderMadeJustNowAfterARebuild) {
    open();
    mv::TShellTreeView& tree = *form->Tree();
    tree.setRoot(QString::fromStdString(favorites)); // the same folder by path: a new model
    tree.doItemsLayout();
    const std::string made = favorites + "/made";
    std::filesystem::create_directories(made);
    writeFavorite("made/m.url", "http://made/");
    select(made);
    QTest::qWait(100);
    EXPECT_EQ(tree.SelectedPath(), made);
    ASSERT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(cell(2, 1), "http://made/");
}
