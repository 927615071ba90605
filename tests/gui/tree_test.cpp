// The folder tree keeps the grid on the folder the user chose while the file-system model
// changes underneath it.

#include "MainWindowFixture.h"

#include <QAbstractItemModel>
#include <QScrollBar>
#include <cstdio>
#include <string>
#include <vector>

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

namespace {

// Folders f00..f39, each with a folder "in" inside, so the tree is taller than its window.
void makeManyFolders(const std::string& favorites) {
    for (int i = 0; i < 40; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "f%02d", i);
        std::filesystem::create_directories(favorites + "/" + name + "/in");
    }
}

} // namespace

TEST_F(MainWindowTest, RefreshKeepsOpenFoldersSelectionAndScrollPosition) {
    makeManyFolders(favorites);
    std::filesystem::create_directories(favorites + "/f05/in/deeper");
    std::filesystem::create_directories(favorites + "/f05/other");
    open();
    mv::TShellTreeView& tree = *form->Tree();
    auto at = [&](const std::string& rel) {
        return tree.IndexOf(QString::fromStdString(favorites + "/" + rel));
    };
    for (const char* open : {"f03", "f05", "f05/in"})
        tree.expand(at(open));
    select(favorites + "/f05/in");
    QScrollBar* bar = tree.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum() / 2);
    const int scrolled = bar->value();
    const QModelIndex top = tree.indexAt(QPoint(1, 1));

    // Changes made behind the tree's back: one folder gone, one new in a closed branch.
    std::filesystem::remove_all(favorites + "/f30");
    std::filesystem::create_directories(favorites + "/f02/new");
    int changes = 0;
    QObject::connect(&tree, &mv::TShellTreeView::Change, &tree, [&changes] { ++changes; });
    trigger("TB_Refresh");
    QTest::qWait(100);

    for (const char* open : {"f03", "f05", "f05/in"})
        EXPECT_TRUE(tree.isExpanded(at(open))) << open;
    EXPECT_FALSE(tree.isExpanded(at("f02")));
    EXPECT_FALSE(at("f30").isValid());
    EXPECT_TRUE(at("f02/new").isValid());
    EXPECT_EQ(tree.SelectedPath(), favorites + "/f05/in");
    EXPECT_EQ(bar->value(), scrolled);
    EXPECT_EQ(tree.indexAt(QPoint(1, 1)), top);
    EXPECT_GE(changes, 1); // the selected folder is listed again

    // A selected folder that is gone hands the selection to its nearest remaining ancestor,
    // not to the neighbour ("other") the view would pick.
    select(favorites + "/f05/in/deeper");
    std::filesystem::remove_all(favorites + "/f05/in");
    tree.Refresh();
    QTest::qWait(100);
    EXPECT_EQ(tree.SelectedPath(), favorites + "/f05");
    EXPECT_TRUE(tree.isExpanded(at("f03")));
}

TEST_F(MainWindowTest, ExpandArrowsOnlyOnFoldersWithSubfolders) {
    std::filesystem::create_directories(favorites + "/parent/child");
    std::filesystem::create_directories(favorites + "/.hidden/inner");
    std::filesystem::create_directories(favorites + "/leaf");
    for (int i = 0; i < 50; ++i)
        writeFavorite("leaf/site" + std::to_string(i) + ".url", "http://leaf/");
    open();
    mv::TShellTreeView& tree = *form->Tree();
    QAbstractItemModel& model = *tree.model();
    auto at = [&](const std::string& rel) {
        return tree.IndexOf(QString::fromStdString(favorites + "/" + rel));
    };
    EXPECT_TRUE(model.hasChildren(at("parent")));
    EXPECT_TRUE(model.hasChildren(at(".hidden")));
    EXPECT_FALSE(model.hasChildren(at("leaf")));
    tree.expand(at("leaf"));
    QApplication::processEvents();
    EXPECT_EQ(model.rowCount(at("leaf")), 0); // its favorites are not rows of the tree

    // Without regard to case, as Windows shows them.
    std::filesystem::create_directories(favorites + "/parent/Zoo");
    std::filesystem::create_directories(favorites + "/parent/apple");
    tree.Refresh();
    tree.expand(at("parent"));
    QApplication::processEvents();
    std::vector<std::string> order;
    for (int r = 0; r < model.rowCount(at("parent")); ++r)
        order.push_back(model.index(r, 0, at("parent")).data().toString().toStdString());
    EXPECT_EQ(order, (std::vector<std::string>{"apple", "child", "Zoo"}));

    // A folder made inside one without subfolders gives it its arrow at the next re-read.
    EXPECT_FALSE(model.hasChildren(at("parent/child")));
    std::filesystem::create_directories(favorites + "/parent/child/grandchild");
    tree.Refresh();
    EXPECT_TRUE(model.hasChildren(at("parent/child")));
}
