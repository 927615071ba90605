// The main window driven from the keyboard: the commands' keys on the pane that has the focus,
// the menu bar, the check-mark keys and the focus after a folder is chosen with the mouse.

#include "gui/MainWindowFixture.h"

#include <QMenuBar>

namespace {

class KeysTest : public mvtest::MainWindowTest {
protected:
    void openActive() {
        writeFavorite("a.url", "http://a/");
        writeFavorite("b.url", "http://b/");
        std::filesystem::create_directories(favorites + "/sub");
        open();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        ASSERT_EQ(grid().RowCount(), 3);
    }
    void focus(QWidget& pane) {
        pane.setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(pane.hasFocus());
    }
    void press(QWidget& pane, QKeySequence::StandardKey key) {
        QTest::keySequence(&pane, QKeySequence(key));
        QApplication::processEvents();
    }
    QString lastQuestion() const {
        return dialogs.asked.empty() ? QString() : dialogs.asked.back().text;
    }
};

TEST_F(KeysTest, StandardKeysActOnThePaneWithTheFocus) {
    openActive();
    // Wait for the availability timer: the list commands need a listed favorite.
    ASSERT_TRUE(mvtest::waitFor([&] { return form->Action("TB_Copy")->isEnabled(); }));

    focus(grid());
    grid().setRow(2);
    press(grid(), QKeySequence::Copy);
    ASSERT_EQ(listed().ItemClipboard().size(), 1u);
    const std::string second = cell(1, 2);
    EXPECT_EQ(listed().ItemClipboard()[0], favorites + "/" + second + ".url");
    EXPECT_TRUE(listed().FolderClipboard().empty());

    focus(tree());
    ASSERT_TRUE(tree().selectPath(QString::fromStdString(favorites + "/sub")));
    QApplication::processEvents();
    focus(tree());
    press(tree(), QKeySequence::Cut);
    EXPECT_EQ(listed().FolderClipboard(), favorites + "/sub");
    EXPECT_TRUE(listed().ItemClipboard().empty());

    // Delete asks about the folder in the tree, the favorite in the grid.
    dialogs.answers = {mv::mbNo, mv::mbNo};
    press(tree(), QKeySequence::Delete);
    EXPECT_TRUE(lastQuestion().contains(QStringLiteral("'sub'"))) << lastQuestion().toStdString();
    ASSERT_TRUE(tree().selectPath(QString::fromStdString(favorites)));
    QApplication::processEvents();
    focus(grid());
    grid().setRow(1);
    press(grid(), QKeySequence::Delete);
    EXPECT_EQ(dialogs.asked.size(), 2u);
    EXPECT_TRUE(lastQuestion().contains(mv::toQt("'" + cell(1, 1))))
        << lastQuestion().toStdString();

    // Window-wide keys work from either pane: quit asks first.
    dialogs.answers = {mv::mbNo};
    QTest::keySequence(&grid(), form->Action("TB_End")->shortcut());
    EXPECT_EQ(lastQuestion(), QStringLiteral("終了します\r\nよろしいですか？"));
    EXPECT_TRUE(form->isVisible());

    // In the editor the keys are the editor's: Ctrl+C copies text, not the favorite.
    form->Action("TB_Copy")->trigger(); // reset: the clipboard holds row 1 now
    type(4, 2, "typed");
    grid().InplaceEditor()->selectAll();
    press(*grid().InplaceEditor(), QKeySequence::Copy);
    EXPECT_EQ(listed().ItemClipboard()[0], favorites + "/" + cell(1, 1) + ".url");
}

TEST_F(KeysTest, MenuBarHoldsTheInventoryWithItsKeys) {
    openActive();
    const QMenuBar* bar = form->menuBar();
    QStringList titles;
    for (const QAction* menu : bar->actions())
        titles << menu->text();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("ファイル(&F)"), QStringLiteral("編集(&E)"),
                                   QStringLiteral("フォルダ(&O)"), QStringLiteral("表示(&V)"),
                                   QStringLiteral("ツール(&T)"), QStringLiteral("ヘルプ(&H)")}));
    // The same actions as the pop-up menus and toolbars, keys shown.
    const QMenu* edit = bar->actions()[1]->menu();
    EXPECT_TRUE(edit->actions().contains(form->Action("TB_Copy")));
    EXPECT_EQ(form->Action("TB_Copy")->shortcut(), QKeySequence(QKeySequence::Copy));
    EXPECT_EQ(form->Action("TB_Folder_Paste")->shortcut(), QKeySequence(QKeySequence::Paste));
    EXPECT_EQ(form->Action("TB_Refresh")->shortcut(), QKeySequence(QKeySequence::Refresh));
    EXPECT_TRUE(form->Action("TB_Copy_Toolbar")->shortcut().isEmpty());
    EXPECT_TRUE(form->Action("TB_Copy_Toolbar")
                    ->toolTip()
                    .contains(QKeySequence(QKeySequence::Copy).toString(QKeySequence::NativeText)));
    // Every command with a handler can be reached from the menu bar.
    QList<QAction*> reachable;
    std::function<void(const QMenu*)> collect = [&](const QMenu* m) {
        for (QAction* a : m->actions()) {
            reachable << a;
            if (a->menu()) collect(a->menu());
        }
    };
    for (const QAction* menu : bar->actions())
        collect(menu->menu());
    for (const char* name : {"TB_ChangeFavoiteDir", "TB_Print", "TB_End", "TB_Add", "TB_Paste",
                             "TB_CheckOn", "TB_CheckGetDate", "TB_Folder_Hide", "TB_Font",
                             "TB_EasyView", "TB_GetDate", "TBArchive", "TB_Version"})
        EXPECT_TRUE(reachable.contains(form->Action(name))) << name;
}

TEST_F(KeysTest, SpaceAndCtrlSpaceTickTheCurrentRow) {
    openActive();
    focus(grid());
    grid().setRow(1);
    grid().setCol(0);
    QTest::keyClick(&grid(), Qt::Key_Space);
    EXPECT_EQ(cell(0, 1), "1");
    EXPECT_TRUE(listed().At(0).Checked);
    EXPECT_FALSE(grid().EditorMode());

    // From a text column Space is typed; Ctrl+Space ticks the row.
    grid().setRow(2);
    grid().setCol(2);
    QTest::keyClick(&grid(), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(cell(0, 2), "1");
    EXPECT_TRUE(listed().At(1).Checked);
    QTest::keyClick(&grid(), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(cell(0, 2), "0");
    QTest::keyClick(&grid(), Qt::Key_Space);
    EXPECT_EQ(cell(0, 2), "0");
    EXPECT_TRUE(grid().EditorMode());
}

TEST_F(KeysTest, KeysWorkAtOnceAfterAFolderIsClickedAndShowWhere) {
    std::filesystem::create_directories(favorites + "/sub2");
    openActive();
    writeFavorite("sub/in.url", "http://in/");
    tree().expandAll();
    QApplication::processEvents();
    const QModelIndex sub = tree().IndexOf(QString::fromStdString(favorites + "/sub"));
    ASSERT_TRUE(sub.isValid());
    QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, tree().visualRect(sub).center());
    ASSERT_TRUE(mvtest::waitFor([&] { return grid().RowCount() == 2; }));
    QApplication::processEvents();
    EXPECT_TRUE(tree().hasFocus()) << "the listing took the focus away";

    QTest::keyClick(&tree(), Qt::Key_Down);
    ASSERT_TRUE(mvtest::waitFor([&] { return tree().SelectedPath() == favorites + "/sub2"; }))
        << tree().SelectedPath();
    ASSERT_TRUE(mvtest::waitFor([&] { return grid().RowCount() == 1; }));
    EXPECT_TRUE(tree().hasFocus());
}

} // namespace
