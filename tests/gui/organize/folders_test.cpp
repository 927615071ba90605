#include "OrganizeFixture.h"

#include <QScrollBar>
#include <QTreeView>

using mvtest::OrganizeTest;

TEST_F(OrganizeTest, NewFolder) {
    open();
    dialogs.inputs = {QString()};
    dialogs.answers = {mv::mbOK};
    trigger("TB_Folder_New");
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(
        dialogs.asked[0].text,
        QStringLiteral("フォルダ名が入力されなかったため、\r\nフォルダの作成をキャンセルしました"));

    dialogs.inputs = {QStringLiteral("新しいフォルダ -x \"q\"")};
    trigger("TB_Folder_New");
    EXPECT_TRUE(std::filesystem::is_directory(favorites + "/新しいフォルダ -x \"q\""));
    EXPECT_EQ(tree().SelectedPath(), favorites);

    // A "\" separates folders, as in a site name: the last part is made inside an existing
    // folder; below a missing one it is an input/output error, and nothing named "a\b" appears.
    dialogs.inputs = {QStringLiteral("新しいフォルダ -x \"q\"\\inner")};
    trigger("TB_Folder_New");
    EXPECT_TRUE(std::filesystem::is_directory(favorites + "/新しいフォルダ -x \"q\"/inner"));
    for (const char* name : {"missing\\child", "missing/child"}) {
        dialogs.inputs = {QString::fromUtf8(name)};
        dialogs.answers = {mv::mbOK};
        trigger("TB_Folder_New");
        ASSERT_EQ(dialogs.asked.size(), 2u) << name;
        EXPECT_EQ(dialogs.asked[1].text,
                  QString::fromStdString(favorites + "/missing/child") +
                      QStringLiteral(": 指定されたファイルが見つかりません。."));
        dialogs.asked.pop_back();
    }
    EXPECT_EQ(filesIn(favorites), std::vector<std::string>{"新しいフォルダ -x \"q\""});
    EXPECT_TRUE(grid().isVisible());
    EXPECT_TRUE(tree().isEnabled());

    dialogs.inputs = std::deque<std::optional<QString>>{std::nullopt}; // cancelled
    trigger("TB_Folder_New");
    EXPECT_EQ(dialogs.asked.size(), 1u);
}

TEST_F(OrganizeTest, FolderCopyCutAndPaste) {
    std::filesystem::create_directories(favorites + "/src/inner");
    writeFavorite("src/inner/deep.url", "http://d/");
    std::filesystem::create_directories(favorites + "/dest");
    open();
    select(favorites + "/src");
    trigger("TB_Folder_Copy");
    EXPECT_EQ(listed().FolderClipboard(), favorites + "/src");
    ASSERT_TRUE(mvtest::waitFor([&] { return form->Action("TB_Folder_Paste")->isEnabled(); }));
    select(favorites + "/dest");
    trigger("TB_Folder_Paste");
    EXPECT_TRUE(std::filesystem::exists(favorites + "/dest/src/inner/deep.url"));
    EXPECT_TRUE(std::filesystem::exists(favorites + "/src/inner/deep.url"));
    EXPECT_TRUE(listed().FolderClipboard().empty());
    ASSERT_TRUE(
        mvtest::waitFor([&] { return !form->Action("TB_Folder_Paste_Toolbar")->isEnabled(); }));

    select(favorites + "/src");
    trigger("TB_Folder_Cut");
    select(favorites + "/dest/src");
    std::filesystem::create_directories(favorites + "/other");
    tree().Refresh();
    select(favorites + "/other");
    trigger("TB_Folder_Paste");
    EXPECT_TRUE(std::filesystem::exists(favorites + "/other/src/inner/deep.url"));
    EXPECT_FALSE(std::filesystem::exists(favorites + "/src"));
}

TEST_F(OrganizeTest, FolderDeleteDeclinedAndConfirmed) {
    std::filesystem::create_directories(favorites + "/parent/child");
    writeFavorite("parent/p.url", "http://p/");
    writeFavorite("parent/child/c.url", "http://c/");
    open();
    select(favorites + "/parent/child");
    grid().setRow(1);
    trigger("TB_Copy");
    ASSERT_EQ(listed().ItemClipboard().size(), 1u);
    dialogs.answers = {mv::mbNo};
    trigger("TB_Folder_Delete");
    EXPECT_TRUE(std::filesystem::exists(favorites + "/parent/child/c.url"));
    EXPECT_EQ(tree().SelectedPath(), favorites + "/parent/child");
    EXPECT_EQ(siteNames(), std::vector<std::string>{"c"});
    EXPECT_TRUE(listed().ItemClipboard().empty());

    dialogs.answers = {mv::mbYes};
    trigger("TB_Folder_Delete");
    EXPECT_FALSE(std::filesystem::exists(favorites + "/parent/child"));
    EXPECT_EQ(tree().SelectedPath(), favorites + "/parent");
    EXPECT_EQ(siteNames(), std::vector<std::string>{"p"});
    EXPECT_EQ(filesIn(trash() + "/files"), std::vector<std::string>{"child"});
    EXPECT_TRUE(grid().isVisible());

    // The favorites folder itself is not deleted.
    select(favorites);
    dialogs.answers = {mv::mbOK};
    trigger("TB_Folder_Delete");
    EXPECT_EQ(dialogs.asked.back().text, QStringLiteral("ルートフォルダは削除できません"));
    EXPECT_TRUE(std::filesystem::exists(favorites + "/parent/p.url"));
}

TEST_F(OrganizeTest, DraggingFolders) {
    std::filesystem::create_directories(favorites + "/moving");
    writeFavorite("moving/m.url", "http://m/");
    std::filesystem::create_directories(favorites + "/target");
    open();
    auto* tree = form->Tree();
    // A drop on the tree, as the tree reports it.
    auto drop = [&](const QPoint& pos) {
        emit tree->DropRequested(pos);
        QApplication::processEvents();
    };
    // Taken just before each drop: the tree may still sort rows in as its reads come in.
    auto pointOf = [&](const std::string& path) {
        return tree->visualRect(tree->IndexOf(QString::fromStdString(path))).center();
    };
    select(favorites + "/moving");

    dialogs.answers = {mv::mbNo};
    drop(pointOf(favorites + "/target"));
    EXPECT_TRUE(std::filesystem::exists(favorites + "/moving/m.url"));

    dialogs.answers = {mv::mbYes};
    drop(QPoint(5, tree->viewport()->height() - 2)); // empty space
    EXPECT_TRUE(std::filesystem::exists(favorites + "/moving/m.url"));

    dialogs.answers = {mv::mbYes};
    drop(pointOf(favorites + "/target"));
    EXPECT_TRUE(std::filesystem::exists(favorites + "/target/moving/m.url"));
    EXPECT_FALSE(std::filesystem::exists(favorites + "/moving"));
    EXPECT_TRUE(listed().FolderClipboard().empty());

    // The root cannot be dragged.
    select(favorites);
    dialogs.answers = {mv::mbYes, mv::mbOK};
    const size_t before = dialogs.asked.size();
    drop(pointOf(favorites + "/target"));
    ASSERT_EQ(dialogs.asked.size(), before + 2);
    EXPECT_EQ(dialogs.asked.back().text, QStringLiteral("ルートフォルダは移動できません"));
    EXPECT_TRUE(std::filesystem::exists(favorites + "/target"));
}

namespace {

// The tree's state that the folder commands must leave as it was.
struct TreeShape {
    mv::TShellTreeView& tree;
    std::string favorites;

    QModelIndex at(const std::string& rel) const {
        return tree.IndexOf(QString::fromStdString(favorites + "/" + rel));
    }
    bool open(const std::string& rel) const { return tree.isExpanded(at(rel)); }
    // Whether the folder's row lies inside the tree's window.
    bool inSight(const std::string& rel) const {
        const QModelIndex index = at(rel);
        return index.isValid() && tree.viewport()->rect().contains(tree.visualRect(index));
    }
    int scrolled() const { return tree.verticalScrollBar()->value(); }
};

} // namespace

TEST_F(OrganizeTest, FolderCommandsKeepTheTreesShapeAndShowWhatTheyMade) {
    for (int i = 0; i < 40; ++i)
        std::filesystem::create_directories(favorites + "/f" + std::to_string(10 + i) + "/in");
    open();
    TreeShape shape{tree(), favorites};
    for (const char* open : {"f11", "f12"})
        tree().expand(shape.at(open));

    // A new folder in a closed branch far down: shown, its parent opened, the selection kept.
    select(favorites + "/f40");
    ASSERT_FALSE(shape.open("f40"));
    dialogs.inputs = {QStringLiteral("made")};
    trigger("TB_Folder_New");
    EXPECT_TRUE(shape.open("f40"));
    EXPECT_TRUE(shape.inSight("f40/made"));
    EXPECT_EQ(tree().SelectedPath(), favorites + "/f40");
    EXPECT_TRUE(shape.open("f11") && shape.open("f12"));

    // A pasted folder is shown inside the folder it went into.
    select(favorites + "/f11");
    trigger("TB_Folder_Copy");
    select(favorites + "/f45");
    trigger("TB_Folder_Paste");
    EXPECT_TRUE(std::filesystem::is_directory(favorites + "/f45/f11/in"));
    EXPECT_TRUE(shape.open("f45"));
    EXPECT_TRUE(shape.inSight("f45/f11"));
    EXPECT_EQ(tree().SelectedPath(), favorites + "/f45");
    EXPECT_TRUE(shape.open("f11") && shape.open("f12") && shape.open("f40"));

    // Deleting a folder in the middle moves neither the view nor the open branches.
    select(favorites + "/f30");
    tree().expand(shape.at("f30"));
    select(favorites + "/f30/in");
    const int before = shape.scrolled();
    dialogs.answers = {mv::mbYes};
    trigger("TB_Folder_Delete");
    EXPECT_FALSE(std::filesystem::exists(favorites + "/f30/in"));
    EXPECT_EQ(tree().SelectedPath(), favorites + "/f30");
    EXPECT_EQ(shape.scrolled(), before);
    EXPECT_TRUE(shape.open("f11") && shape.open("f12") && shape.open("f40"));

    // A dropped folder is shown inside its target, which is selected.
    select(favorites + "/f20");
    tree().scrollTo(shape.at("f21"));
    dialogs.answers = {mv::mbYes};
    emit tree().DropRequested(tree().visualRect(shape.at("f21")).center());
    QApplication::processEvents();
    EXPECT_TRUE(std::filesystem::is_directory(favorites + "/f21/f20"));
    EXPECT_EQ(tree().SelectedPath(), favorites + "/f21");
    EXPECT_TRUE(shape.inSight("f21/f20"));
    EXPECT_TRUE(shape.open("f11") && shape.open("f12") && shape.open("f40"));
}
