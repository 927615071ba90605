// The ellipsis and spin editors, integer columns, stripes, automatic numbering and the
// check-cell event.
#include "EditorFixture.h"

#include "ui/SpinButton.h"

namespace mv::test {
namespace {

class EllipsisEditor : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        Column().setButtonStyle(cbsEllipsis);
    }
};

TEST_F(EllipsisEditor, TheButtonRaisesTheEventAndStoresWhatTheHandlerLeaves) {
    std::vector<std::string> seen;
    QObject::connect(grid, &TMOStringGrid::OnEditButtonClick,
                     [&](int col, int row, std::string& str) {
                         EXPECT_EQ(col, kCol);
                         EXPECT_EQ(row, 3);
                         seen.push_back(str);
                         str = "https://example.jp/選んだ";
                     });
    StartEditing(3);
    ClickButton();
    ASSERT_EQ(seen, std::vector<std::string>({"http://example.jp/3"}));
    EXPECT_EQ(grid->Cells(kCol, 3), "https://example.jp/選んだ");
    EXPECT_EQ(Editor()->text(), QStringLiteral("https://example.jp/選んだ"));
    EXPECT_TRUE(grid->EditorMode());
}

TEST_F(EllipsisEditor, OnlyAReleaseOnThePressedButtonCounts) {
    int calls = 0;
    QObject::connect(grid, &TMOStringGrid::OnEditButtonClick,
                     [&](int, int, std::string&) { ++calls; });
    StartEditing(3);
    QTest::mouseClick(Editor(), Qt::LeftButton, {}, QPoint(5, Editor()->height() / 2));
    EXPECT_EQ(calls, 0) << "the text area is no button";
    // Pressed on the button, released after moving off it.
    const QPoint button = Editor()->ButtonRect().center();
    QTest::mousePress(Editor(), Qt::LeftButton, {}, button);
    EXPECT_TRUE(Editor()->Pressed());
    const QPoint off(5, button.y());
    QMouseEvent move(QEvent::MouseMove, off, Editor()->mapToGlobal(off), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Editor(), &move);
    EXPECT_FALSE(Editor()->Pressed());
    QTest::mouseRelease(Editor(), Qt::LeftButton, {}, off);
    EXPECT_EQ(calls, 0);
    ClickButton(Qt::NoModifier);
    EXPECT_EQ(calls, 1);
    QTest::mouseClick(Editor(), Qt::RightButton, {}, button);
    EXPECT_EQ(calls, 1);
}

class SpinEditor : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        Column().setButtonStyle(cbsSpin);
        grid->setCells(kCol, 2, "");
    }
    void Up() {
        QTest::mouseClick(Editor()->SpinButton(), Qt::LeftButton, {},
                          Editor()->SpinButton()->UpRect().center());
    }
    void Down() {
        QTest::mouseClick(Editor()->SpinButton(), Qt::LeftButton, {},
                          Editor()->SpinButton()->DownRect().center());
    }
};

TEST_F(SpinEditor, ButtonsCountWithoutLimitsWhenMinEqualsMax) {
    StartEditing(2);
    ASSERT_NE(Editor()->SpinButton(), nullptr);
    EXPECT_TRUE(Editor()->SpinButton()->isVisible());
    Up();
    EXPECT_EQ(grid->Cells(kCol, 2), "1") << "an empty cell counts from 0";
    Down();
    Down();
    Down();
    EXPECT_EQ(grid->Cells(kCol, 2), "-2");
    EXPECT_TRUE(Editor()->hasFocus()) << "the spin button leaves the focus in the editor";
}

TEST_F(SpinEditor, ButtonsStopAtTheLimitsAndStepByTheIncrement) {
    Column().setSpinButtonOption({3, 10, 1});
    grid->setCells(kCol, 2, "6");
    StartEditing(2);
    Up();
    EXPECT_EQ(grid->Cells(kCol, 2), "9");
    Up();
    EXPECT_EQ(grid->Cells(kCol, 2), "10");
    Up();
    EXPECT_EQ(grid->Cells(kCol, 2), "10");
    for (int i = 0; i < 5; ++i)
        Down();
    EXPECT_EQ(grid->Cells(kCol, 2), "1");
}

TEST_F(SpinEditor, TextThatIsNoNumberIsLeftAlone) {
    Column().setDataType(dtString); // lets the cell hold a word
    grid->setCells(kCol, 2, "abc");
    StartEditing(2);
    Up();
    EXPECT_EQ(grid->Cells(kCol, 2), "abc");
    EXPECT_EQ(Editor()->text(), QStringLiteral("abc"));
}

TEST_F(SpinEditor, TheSpinButtonShowsOnlyInSpinColumns) {
    StartEditing(2);
    ASSERT_TRUE(Editor()->SpinButton()->isVisible());
    grid->setCol(1);
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_FALSE(Editor()->SpinButton()->isVisible());
    grid->setCol(kCol);
    EXPECT_TRUE(Editor()->SpinButton()->isVisible());
}

class IntegerColumn : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        Column().setDataType(dtInteger);
        grid->setCells(kCol, 2, "");
    }
};

TEST_F(IntegerColumn, LeadingZerosAndPlusSignsDisappear) {
    StartEditing(2);
    TypeText(QStringLiteral("0012"));
    EXPECT_EQ(grid->Cells(kCol, 2), "12");
    EXPECT_EQ(Editor()->text(), QStringLiteral("0012")) << "the editor keeps what was typed";
    // A plus sign alone is no number; pasted with its digits it is dropped.
    Editor()->selectAll();
    Editor()->insert(QStringLiteral("+7"));
    EXPECT_EQ(grid->Cells(kCol, 2), "7");
}

TEST_F(IntegerColumn, AMinusSignAloneIsStoredAsMinusZero) {
    StartEditing(2);
    TypeText(QStringLiteral("-"));
    EXPECT_EQ(grid->Cells(kCol, 2), "-0");
    TypeText(QStringLiteral("5"));
    EXPECT_EQ(grid->Cells(kCol, 2), "-5");
}

TEST_F(IntegerColumn, ALetterIsRefusedWithTheCaretKeptBeforeIt) {
    StartEditing(2);
    TypeText(QStringLiteral("12a"));
    EXPECT_EQ(grid->Cells(kCol, 2), "12");
    EXPECT_EQ(Editor()->text(), QStringLiteral("12"));
    EXPECT_EQ(Editor()->cursorPosition(), 2);
    // In the middle of the number.
    Editor()->setCursorPosition(1);
    TypeText(QStringLiteral("x"));
    EXPECT_EQ(Editor()->text(), QStringLiteral("12"));
    EXPECT_EQ(Editor()->cursorPosition(), 1);
    TypeText(QStringLiteral("3"));
    EXPECT_EQ(grid->Cells(kCol, 2), "132");
}

TEST_F(IntegerColumn, EmptyingTheCellIsAllowed) {
    grid->setCells(kCol, 2, "42");
    StartEditing(2); // F2 leaves the caret at the end
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    EXPECT_EQ(grid->Cells(kCol, 2), "4");
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    EXPECT_EQ(grid->Cells(kCol, 2), "");
}

class GridLook : public EditorFixture {
protected:
    // Colour inside cell (col, row), away from its text.
    QColor Fill(int col, int row) {
        const QRect rect = grid->CellRect(col, row);
        return PixelAt(QPoint(rect.right() - 3, rect.top() + 2));
    }
};

TEST_F(GridLook, StripesColourEvenRowsWhateverTheColumnColours) {
    grid->GridColumns()[3].setColor(QColor(0, 128, 0));
    grid->setGridStyle(mgsStriped);
    const QColor stripe(Qt::yellow);
    EXPECT_EQ(grid->StripeColor(), stripe);
    for (const int col : {1, 3}) {
        EXPECT_EQ(Fill(col, 2), stripe) << col;
        EXPECT_EQ(Fill(col, 4), stripe) << col;
        EXPECT_EQ(Fill(col, 3), grid->Color()) << col;
    }
    EXPECT_EQ(Fill(1, 0), grid->FixedColor()) << "title cells keep the title colour";
    grid->setStripeColor(QColor(200, 220, 255));
    EXPECT_EQ(Fill(1, 2), QColor(200, 220, 255));
    grid->setGridStyle(mgsNormal);
    EXPECT_EQ(Fill(3, 2), QColor(0, 128, 0));
    EXPECT_EQ(Fill(1, 3), QColor(Qt::white));
}

TEST_F(GridLook, StripesColourTheEditorToo) {
    grid->setGridStyle(mgsStriped);
    StartEditing(2);
    EXPECT_EQ(Editor()->palette().color(QPalette::Base), QColor(Qt::yellow));
}

TEST_F(GridLook, AutomaticNumbersFillTheEmptyTitleCellsBelowTheTitleRow) {
    grid->setFixedCols(1);
    for (int r = 1; r <= 3; ++r)
        grid->setCells(0, r, "");
    grid->setCells(0, 4, "固定");
    const auto image = [this](int row) {
        return grid->viewport()->grab(grid->CellRect(0, row)).toImage();
    };
    const QImage blank = image(2);
    grid->setFixAutoNum(true);
    std::vector<QImage> numbered;
    for (int r = 1; r <= 4; ++r)
        numbered.push_back(image(r));
    EXPECT_NE(numbered[1], blank);
    // Each shows what the text of its number would show.
    grid->setFixAutoNum(false);
    for (int r = 1; r <= 3; ++r) {
        grid->setCells(0, r, std::to_string(r));
        EXPECT_EQ(image(r), numbered[size_t(r - 1)]) << r;
    }
    EXPECT_EQ(image(4), numbered[3]) << "a cell with text keeps its text";
}

TEST_F(GridLook, CheckCellClicksRaiseTheEvent) {
    std::vector<std::tuple<int, int, bool>> events;
    QObject::connect(grid, &TMOStringGrid::OnCheckCellClick,
                     [&](int col, int row, bool check) { events.emplace_back(col, row, check); });
    grid->setCells(0, 2, "1");
    Click(0, 2);
    Click(0, 5);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], std::make_tuple(0, 2, false));
    EXPECT_EQ(events[1], std::make_tuple(0, 5, true));
}

} // namespace
} // namespace mv::test
