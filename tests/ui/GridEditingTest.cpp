// In-place editing: write-back as program bytes, Escape, input methods, the check-box editor
// and leaving the grid.
#include "GridFixture.h"

#include <string>
#include <vector>

namespace mv::test {
namespace {

class Editing : public GridFixture {
protected:
    TInplaceEdit3D* Editor() const { return grid->Editor(); }
    void StartEditing(int col, int row) {
        grid->setCol(col);
        grid->setRow(row);
        QTest::keyClick(grid, Qt::Key_F2);
        ASSERT_TRUE(grid->EditorMode());
        ASSERT_TRUE(Editor()->isVisible());
    }
};

TEST_F(Editing, TypingWritesEachKeystrokeIntoTheCellAsBytes) {
    grid->setCol(4);
    grid->setRow(2);
    TypeText(QStringLiteral("日本語"));
    EXPECT_TRUE(Editor()->hasFocus());
    EXPECT_EQ(grid->Cells(4, 2), "日本語") << "the first character replaces the old text";
    TypeText(QStringLiteral("のメモ"));
    EXPECT_EQ(grid->Cells(4, 2), "日本語のメモ");
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(grid->Cells(4, 2), "日本語のメモ");
}

TEST_F(Editing, CellsHoldTheActiveCodePage) {
    CodePage::setActiveForTesting(&CodePage::cp932());
    grid->setCells(1, 3, "\x83\x54\x83\x43\x83\x67"); // "サイト" in Shift-JIS
    StartEditing(1, 3);
    EXPECT_EQ(Editor()->text(), QStringLiteral("サイト"));
    TypeText(QStringLiteral("名"));
    EXPECT_EQ(grid->Cells(1, 3), "\x83\x54\x83\x43\x83\x67\x96\xBC");
}

TEST_F(Editing, EscapeRestoresTheBytesFromBeforeEditing) {
    // Bytes that are not valid UTF-8 survive an edit that is cancelled, and whoever follows
    // the typing hears of the cancel too.
    std::vector<std::string> told;
    QObject::connect(grid, &TStringGrid::OnEditText,
                     [&](int col, int row, const std::string& text) {
                         if (col == 2 && row == 4) told.push_back(text);
                     });
    const std::string original = "abc\xff\xfe";
    grid->setCells(2, 4, original);
    StartEditing(2, 4);
    EXPECT_TRUE(told.empty()) << "opening the editor changes nothing";
    TypeText(QStringLiteral("xyz"));
    EXPECT_NE(grid->Cells(2, 4), original);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), grid->Cells(2, 4));
    QTest::keyClick(Editor(), Qt::Key_Escape);
    EXPECT_EQ(grid->Cells(2, 4), original);
    EXPECT_EQ(told.back(), original);
    EXPECT_FALSE(grid->EditorMode());
}

TEST_F(Editing, WithoutTheEditorKindsLibraryOtherStylesEditAsPlainBoxes) {
    // This suite does not link the list, spin and calendar editors nor the integer rule.
    int row = 1;
    for (const TMOColumnButtonStyle style : {cbsList, cbsSpin, cbsCalendar}) {
        grid->GridColumns()[2].setButtonStyle(style); // cbsSpin makes the column dtInteger
        StartEditing(2, row);
        EXPECT_EQ(Editor()->Kind(), nullptr) << style;
        QTest::mouseClick(Editor(), Qt::LeftButton, {}, Editor()->ButtonRect().center());
        QTest::keyClick(Editor(), Qt::Key_F4);
        EXPECT_FALSE(Editor()->ListVisible()) << style;
        EXPECT_FALSE(Editor()->CalendarVisible()) << style;
        EXPECT_TRUE(Editor()->inputMask().isEmpty()) << style;
        Editor()->selectAll();
        TypeText(QStringLiteral("12a"));
        EXPECT_EQ(grid->Cells(2, row), "12a") << style;
        QTest::keyClick(Editor(), Qt::Key_Return);
        ++row;
    }
}

TEST_F(Editing, OpeningAndClosingWithoutTypingLeavesTheCellAlone) {
    const std::string original = "\x81\x40\xff";
    grid->setCells(4, 5, original);
    StartEditing(4, 5);
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_EQ(grid->Cells(4, 5), original);
}

TEST_F(Editing, ArrowKeysCarryTheEditorToTheNextCell) {
    StartEditing(1, 2);
    QTest::keyClick(Editor(), Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_TRUE(grid->EditorMode());
    EXPECT_EQ(Editor()->text(), QStringLiteral("サイト3"));
    // Right at the end of the text moves on; the editor then shows the URL.
    QTest::keyClick(Editor(), Qt::Key_End);
    QTest::keyClick(Editor(), Qt::Key_Right);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(Editor()->text(), QStringLiteral("http://example.jp/3"));
}

TEST_F(Editing, ClickOnTheCurrentCellEditsIt) {
    grid->setCol(2);
    grid->setRow(2);
    Click(2, 2);
    EXPECT_TRUE(grid->EditorMode());
    Click(1, 5); // another cell ends editing and moves there
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(grid->Row(), 5);
}

TEST_F(Editing, ProgramWritesShowInTheOpenEditor) {
    int told = 0;
    QObject::connect(grid, &TStringGrid::OnEditText, [&] { ++told; });
    StartEditing(2, 6);
    grid->setCells(2, 6, "http://new.example/");
    EXPECT_EQ(told, 0) << "a program's write is not the user's edit";
    EXPECT_EQ(Editor()->text(), QStringLiteral("http://new.example/"));
    QTest::keyClick(Editor(), Qt::Key_Escape);
    EXPECT_EQ(grid->Cells(2, 6), "http://new.example/");
}

TEST_F(Editing, ColumnsSetTheEditorsFontAndReadOnlyState) {
    grid->GridColumns()[4].setFont(MsPGothicFont(16));
    grid->GridColumns()[3].setCanEdit(false);
    StartEditing(4, 1);
    EXPECT_EQ(Editor()->font().pixelSize(), 16);
    EXPECT_FALSE(Editor()->isReadOnly());
    QTest::keyClick(Editor(), Qt::Key_Left, Qt::ControlModifier); // to column 3
    ASSERT_EQ(grid->Col(), 3);
    EXPECT_TRUE(Editor()->isReadOnly());
    TypeText(QStringLiteral("x"));
    EXPECT_EQ(grid->Cells(3, 1), "");
}

TEST_F(Editing, InputMethodsFollowTheColumnsImeMode) {
    // Column 2 (URL) has imDisable, 1 imOpen, 4 imHira. The editor is reused between them.
    StartEditing(1, 1);
    EXPECT_TRUE(Editor()->testAttribute(Qt::WA_InputMethodEnabled));
    QTest::keyClick(Editor(), Qt::Key_Right, Qt::ControlModifier);
    ASSERT_EQ(grid->Col(), 2);
    EXPECT_FALSE(Editor()->testAttribute(Qt::WA_InputMethodEnabled));
    // What the platform's input context asks before it composes.
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QApplication::sendEvent(Editor(), &query);
    EXPECT_FALSE(query.value(Qt::ImEnabled).toBool());
    EXPECT_EQ(Editor()->ImeMode(), imDisable);
    QTest::keyClick(Editor(), Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(Editor(), Qt::Key_Right, Qt::ControlModifier);
    ASSERT_EQ(grid->Col(), 4);
    EXPECT_TRUE(Editor()->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(Editor()->ImeMode(), imHira);

    // Before any editor opens, composition is allowed on the grid only where the column allows.
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_TRUE(grid->testAttribute(Qt::WA_InputMethodEnabled));
    grid->setCol(2);
    EXPECT_FALSE(grid->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(Editing, CompositionOnTheGridOpensTheEditor) {
    grid->setCol(4);
    grid->setRow(2);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("ひらがな"));
    QApplication::sendEvent(grid, &commit);
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->Cells(4, 2), "ひらがな");
}

TEST_F(Editing, CheckBoxEditorKeepsTheValueAndTogglesOnClick) {
    grid->setCells(0, 2, "1");
    grid->setCol(1);
    grid->setRow(2);
    QTest::keyClick(grid, Qt::Key_Left); // onto the check column by keyboard
    ASSERT_EQ(grid->Col(), 0);
    TypeText(QStringLiteral("abc"));
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(Editor()->EditStyle(), cbsCheckBox);
    EXPECT_EQ(grid->Cells(0, 2), "1") << "typing never changes a check cell";
    QTest::mouseClick(Editor(), Qt::LeftButton, {}, Editor()->rect().center());
    EXPECT_EQ(grid->Cells(0, 2), "0");
    EXPECT_FALSE(Editor()->Checked());
    TypeText(QStringLiteral("1"));
    EXPECT_EQ(grid->Cells(0, 2), "0");
}

TEST_F(Editing, HeaderRowIsEditableWhenItIsTheOnlyRow) {
    grid->setRowCount(1);
    ASSERT_EQ(grid->FixedRows(), 0);
    ASSERT_EQ(grid->Row(), 0);
    grid->setCol(1);
    TypeText(QStringLiteral("見出し"));
    EXPECT_EQ(grid->Cells(1, 0), "見出し");
}

class LeavingTheGrid : public Editing {
protected:
    void SetUp() override {
        Editing::SetUp();
        QObject::connect(grid, &TMOStringGrid::OnExit, [this] {
            ++exits;
            cellAtExit = grid->Cells(4, 3);
        });
    }
    int exits = 0;
    std::string cellAtExit;
};

TEST_F(LeavingTheGrid, FocusToAnotherControlEndsEditingWithTheTextInTheCell) {
    StartEditing(4, 3);
    TypeText(QStringLiteral("追記"));
    EXPECT_EQ(exits, 0) << "the editor is part of the grid";
    other->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(cellAtExit, "追記");
    EXPECT_FALSE(grid->EditorMode());
}

TEST_F(LeavingTheGrid, TabFromTheEditorLeavesOnce) {
    StartEditing(4, 3);
    TypeText(QStringLiteral("tab"));
    QTest::keyClick(Editor(), Qt::Key_Tab);
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(cellAtExit, "tab");
}

TEST_F(LeavingTheGrid, FocusIntoNothingCounts) {
    StartEditing(4, 3);
    Editor()->clearFocus();
    EXPECT_EQ(exits, 1);
    grid->setFocus();
    grid->clearFocus();
    EXPECT_EQ(exits, 2);
}

TEST_F(LeavingTheGrid, MovingBetweenGridAndEditorDoesNotCount) {
    StartEditing(4, 3);
    QTest::keyClick(Editor(), Qt::Key_Return); // focus back to the grid
    QTest::keyClick(grid, Qt::Key_F2);
    QTest::keyClick(Editor(), Qt::Key_Escape);
    EXPECT_EQ(exits, 0);
}

TEST_F(LeavingTheGrid, DisablingTheGridWhileEditingLeavesIt) {
    StartEditing(4, 3);
    TypeText(QStringLiteral("x"));
    grid->setEnabled(false);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(cellAtExit, "x");
}

} // namespace
} // namespace mv::test
