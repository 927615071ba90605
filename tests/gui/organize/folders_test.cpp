#include "OrganizeFixture.h"

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
