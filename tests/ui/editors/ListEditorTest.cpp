// The drop-down list editors: cbsList (typing allowed) and cbsDropList (choice only).
#include "EditorFixture.h"

#include "ui/PopListBox.h"

#include <QScreen>

namespace mv::test {
namespace {

struct ListClick {
    int col;
    int row;
    std::string str;
};

class ListEditor : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        Column().setButtonStyle(cbsList);
        Column().setListStrings({"赤", "緑", "青"});
        QObject::connect(grid, &TMOStringGrid::OnListBoxClick,
                         [this](int col, int row, std::string& str) {
                             clicks.push_back({col, row, str});
                         });
    }
    TPopListBox* List() const { return Editor()->PopList(); }
    void ClickItem(int index) {
        const QRect item = List()->visualItemRect(List()->item(index));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, item.center());
    }

    std::vector<ListClick> clicks;
};

TEST_F(ListEditor, ButtonDropsTheListBelowTheCellAndAChoiceFillsIt) {
    StartEditing(3);
    ClickButton();
    ASSERT_TRUE(Editor()->ListVisible());
    ASSERT_TRUE(List()->isVisible());
    EXPECT_EQ(List()->count(), 3);
    EXPECT_EQ(List()->item(1)->text(), QStringLiteral("緑"));
    EXPECT_EQ(List()->geometry().topLeft(), EditorOnScreen().bottomLeft() + QPoint(0, 1));
    EXPECT_GE(List()->width(), Editor()->width());
    EXPECT_TRUE(Editor()->hasFocus()) << "the list never takes the focus";

    ClickItem(1);
    EXPECT_FALSE(Editor()->ListVisible());
    EXPECT_FALSE(List()->isVisible());
    EXPECT_EQ(Editor()->text(), QStringLiteral("緑"));
    EXPECT_EQ(grid->Cells(kCol, 3), "緑");
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].col, kCol);
    EXPECT_EQ(clicks[0].row, 3);
    EXPECT_EQ(clicks[0].str, "緑");
    EXPECT_TRUE(grid->EditorMode());
}

TEST_F(ListEditor, ASecondClickOnTheButtonClosesWithoutAChoice) {
    StartEditing(2);
    const std::string before = grid->Cells(kCol, 2);
    ClickButton();
    ASSERT_TRUE(Editor()->ListVisible());
    ClickButton();
    EXPECT_FALSE(Editor()->ListVisible());
    EXPECT_EQ(grid->Cells(kCol, 2), before);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].str, "") << "closed with nothing chosen";
}

TEST_F(ListEditor, TheEditBoxStaysWritable) {
    StartEditing(2);
    EXPECT_FALSE(Editor()->isReadOnly());
    QTest::mouseClick(Editor(), Qt::LeftButton, {}, QPoint(5, Editor()->height() / 2));
    EXPECT_FALSE(Editor()->ListVisible()) << "only the button drops the list";
    Editor()->selectAll();
    TypeText(QStringLiteral("紫"));
    EXPECT_EQ(grid->Cells(kCol, 2), "紫");
}

TEST_F(ListEditor, KeyboardOpensChoosesAndCancels) {
    StartEditing(4);
    QTest::keyClick(Editor(), Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(Editor()->ListVisible());
    QTest::keyClick(Editor(), Qt::Key_Down);
    QTest::keyClick(Editor(), Qt::Key_Down);
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_FALSE(Editor()->ListVisible());
    EXPECT_EQ(grid->Cells(kCol, 4), "緑");
    EXPECT_EQ(grid->Row(), 4) << "the arrows moved in the list, not in the grid";
    EXPECT_TRUE(grid->EditorMode());

    QTest::keyClick(Editor(), Qt::Key_F4);
    ASSERT_TRUE(Editor()->ListVisible());
    QTest::keyClick(Editor(), Qt::Key_Down);
    QTest::keyClick(Editor(), Qt::Key_Escape);
    EXPECT_FALSE(Editor()->ListVisible());
    EXPECT_EQ(grid->Cells(kCol, 4), "緑") << "Escape drops the choice";
    EXPECT_TRUE(grid->EditorMode()) << "and leaves the editor open";
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(ListEditor, AClickElsewhereClosesAcceptingTheSelection) {
    StartEditing(5);
    ClickButton();
    List()->setCurrentRow(2);
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_FALSE(Editor()->ListVisible());
    EXPECT_EQ(grid->Cells(kCol, 5), "青");
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].str, "青");
}

TEST_F(ListEditor, MovingToAnotherCellClosesTheListWithoutWritingIt) {
    StartEditing(5);
    ClickButton();
    List()->setCurrentRow(0);
    const std::string sixth = grid->Cells(kCol, 6);
    grid->setRow(6);
    EXPECT_FALSE(Editor()->ListVisible());
    EXPECT_EQ(grid->Cells(kCol, 6), sixth);
    EXPECT_EQ(grid->Cells(kCol, 5), "http://example.jp/5");
}

TEST_F(ListEditor, DraggingFromTheButtonOntoAnItemChoosesIt) {
    StartEditing(3);
    const QPoint button = Editor()->ButtonRect().center();
    QTest::mousePress(Editor(), Qt::LeftButton, {}, button);
    ASSERT_TRUE(Editor()->ListVisible());
    EXPECT_TRUE(Editor()->Pressed());
    const QPoint onItem = Editor()->mapFromGlobal(
        List()->viewport()->mapToGlobal(List()->visualItemRect(List()->item(2)).center()));
    QMouseEvent move(QEvent::MouseMove, onItem, Editor()->mapToGlobal(onItem), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Editor(), &move);
    EXPECT_FALSE(Editor()->Pressed()) << "the list took over from the button";
    EXPECT_EQ(List()->currentRow(), 2);
    QTest::mouseRelease(Editor(), Qt::LeftButton, {}, onItem);
    EXPECT_FALSE(Editor()->ListVisible());
    EXPECT_EQ(grid->Cells(kCol, 3), "青");
}

TEST_F(ListEditor, NearTheBottomOfTheScreenTheListOpensAbove) {
    Column().setListStrings({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
    const QRect screen = window_->screen()->geometry();
    window_->move(window_->x(), screen.bottom() - window_->frameGeometry().height() + 60);
    StartEditing(8);
    ClickButton();
    ASSERT_TRUE(Editor()->ListVisible());
    ASSERT_GT(EditorOnScreen().bottom() + List()->height(), screen.bottom());
    EXPECT_EQ(List()->geometry().bottom() + 1, EditorOnScreen().top());
}

class DropListEditor : public ListEditor {
protected:
    void SetUp() override {
        ListEditor::SetUp();
        Column().setButtonStyle(cbsDropList);
    }
};

TEST_F(DropListEditor, TypingCannotChangeTheCell) {
    StartEditing(2);
    EXPECT_TRUE(Editor()->isReadOnly());
    const std::string before = grid->Cells(kCol, 2);
    TypeText(QStringLiteral("abc"));
    EXPECT_EQ(grid->Cells(kCol, 2), before);
}

TEST_F(DropListEditor, AClickAnywhereOnTheBoxDropsAndClosesTheList) {
    StartEditing(2);
    QTest::mouseClick(Editor(), Qt::LeftButton, {}, QPoint(5, Editor()->height() / 2));
    ASSERT_TRUE(Editor()->ListVisible());
    ClickItem(0);
    EXPECT_EQ(grid->Cells(kCol, 2), "赤");
    EXPECT_TRUE(Editor()->isReadOnly()) << "the choice went in although typing cannot";
    QTest::mouseClick(Editor(), Qt::LeftButton, {}, QPoint(5, Editor()->height() / 2));
    ASSERT_TRUE(Editor()->ListVisible());
    QTest::mouseClick(Editor(), Qt::LeftButton, {}, QPoint(5, Editor()->height() / 2));
    EXPECT_FALSE(Editor()->ListVisible());
}

TEST_F(DropListEditor, OtherColumnsOfTheSameRowStayWritable) {
    StartEditing(2);
    ASSERT_TRUE(Editor()->isReadOnly());
    grid->setCol(kCol - 1);
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_FALSE(Editor()->isReadOnly());
}

} // namespace
} // namespace mv::test
