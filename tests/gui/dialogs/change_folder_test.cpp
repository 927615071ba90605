#include "DialogsFixture.h"

#include <QSignalSpy>

using mvtest::DialogsTest;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

class ChangeFolderTest : public DialogsTest {
protected:
    int runs = 0;
    QString startedAt;
    // The folder the user picks in the dialog; empty: the dialog is cancelled.
    std::string choice;
    std::function<void()> beforeOk;

    void SetUp() override {
        DialogsTest::SetUp();
        mv::TSelectFolderDialog::setExecuteHookForTesting([this](mv::TFolderDialogForm& dialog) {
            ++runs;
            startedAt = dialog.FolderTree->SelectedPath();
            EXPECT_EQ(dialog.MessageLabel->text(),
                      QStringLiteral("フォルダを選択し、OKを押してください"));
            if (choice.empty()) return int(QDialog::Rejected);
            EXPECT_TRUE(dialog.FolderTree->selectPath(q(choice))) << choice;
            if (beforeOk) beforeOk();
            return int(QDialog::Accepted);
        });
        std::filesystem::create_directories(dir / "Other/sub");
        mvtest::writeBytes(dir / "Other/o.url", "[InternetShortcut]\r\nURL=http://other/\r\n");
        writeFavorite("f.url", "http://fav/");
    }

    void change(bool confirm = true) {
        dialogs.answers.push_back(confirm ? mv::mbYes : mv::mbNo);
        trigger("TB_ChangeFavoiteDir");
    }
};

TEST_F(ChangeFolderTest, AskedFirstAndNoChangesNothing) {
    openAll();
    choice = dir / "Other";
    change(false);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Confirmation);
    EXPECT_EQ(dialogs.asked[0].text, QStringLiteral("読み込むお気に入りフォルダを変更しますか？"));
    EXPECT_EQ(dialogs.asked[0].buttons, unsigned(mv::mbYes | mv::mbNo));
    EXPECT_EQ(runs, 0);

    choice.clear(); // cancelled in the dialog
    change();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(tree().Root(), QStringLiteral("rfFavorites"));
    EXPECT_EQ(cell(1, 1), "f");
}

TEST_F(ChangeFolderTest, TheChosenFolderBecomesTheRootAndIsKeptAtTheNextStart) {
    openAll();
    choice = dir / "Other";
    change();
    EXPECT_EQ(tree().Root(), q(dir / "Other/"));
    ASSERT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(cell(1, 1), "o");
    EXPECT_TRUE(dialogs.asked.size() == 1u); // no error

    form->close();
    EXPECT_NE(mvtest::readBytes(settings).find("Path=" + dir / "Other/" + "\r\n"),
              std::string::npos);
    form.reset();
    openAll();
    EXPECT_EQ(tree().Root(), q(dir / "Other/"));
    EXPECT_EQ(cell(1, 1), "o");
}

TEST_F(ChangeFolderTest, ChoosingTheCurrentRootAgainChangesNothing) {
    openAll();
    // Rooted by the favorites token, the same folder by its path rebuilds the tree.
    choice = favorites;
    QSignalSpy changes(form->Tree(), &mv::TShellTreeView::Change);
    change();
    EXPECT_EQ(tree().Root(), q(favorites + "/"));
    EXPECT_GE(changes.count(), 1);

    std::filesystem::create_directories(favorites + "/inner");
    tree().Refresh();
    select(favorites + "/inner");
    changes.clear();
    change();
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(tree().SelectedQPath(), q(favorites + "/inner"));
}

TEST_F(ChangeFolderTest, ReopensAtTheLastChoiceOrItsNearestExistingParent) {
    std::filesystem::create_directories(dir / "A/B/C");
    openAll();
    choice = dir / "A/B/C";
    change();
    EXPECT_EQ(tree().Root(), q(dir / "A/B/C/"));

    choice.clear();
    change();
    EXPECT_EQ(startedAt, q(dir / "A/B/C"));

    std::filesystem::remove_all(dir / "A/B");
    change();
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(startedAt, q(dir / "A"));
}

TEST_F(ChangeFolderTest, AFolderThatCannotBeOpenedIsReportedAndTheRootKept) {
    std::filesystem::create_directories(dir / "Vanishing");
    openAll();
    choice = dir / "Vanishing";
    beforeOk = [&] { std::filesystem::remove(dir / "Vanishing"); };
    dialogs.answers = {mv::mbYes, mv::mbOK}; // the confirmation, then the error
    trigger("TB_ChangeFavoiteDir");
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(dialogs.asked[1].type, mv::MsgType::Error);
    EXPECT_EQ(dialogs.asked[1].text,
              QStringLiteral("パス設定エラー : \"%1\"").arg(q(dir / "Vanishing/")));
    EXPECT_EQ(tree().Root(), QStringLiteral("rfFavorites"));
    EXPECT_EQ(cell(1, 1), "f");
}

} // namespace
