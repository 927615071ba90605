// Columns, check-box cells, the current cell, painting and size of the check-box grid.
#include "GridFixture.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QScrollBar>

#include <tuple>
#include <vector>

namespace mv::test {
namespace {

struct Selection {
    int col;
    int row;
};

class CheckCells : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        grid->setCol(2);
        grid->setRow(3);
        QObject::connect(grid, &TMOStringGrid::OnSelectCell, [this](int col, int row, bool&) {
            selections.push_back({col, row});
        });
        QObject::connect(grid, &TMOStringGrid::OnMouseDown,
                         [this](Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
                             mouseDowns.push_back(button);
                         });
    }
    std::vector<Selection> selections;
    std::vector<Qt::MouseButton> mouseDowns;
};

TEST_F(CheckCells, LeftClickTogglesWithoutMovingTheCurrentCell) {
    const std::pair<std::string, std::string> cases[] = {
        {"1", "0"}, {"0", "1"}, {"", "1"}, {"x", "1"}, {"11", "1"}};
    for (const auto& [before, after] : cases) {
        grid->setCells(0, 5, before);
        Click(0, 5);
        EXPECT_EQ(grid->Cells(0, 5), after) << "from \"" << before << "\"";
    }
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_TRUE(selections.empty());
    EXPECT_TRUE(mouseDowns.empty());
}

TEST_F(CheckCells, ToggleClosesTheEditorOfAnotherCell) {
    QTest::keyClick(grid, Qt::Key_F2);
    ASSERT_TRUE(grid->EditorMode());
    Click(0, 4);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(grid->Cells(0, 4), "1");
}

TEST_F(CheckCells, RightClickDoesNotToggleButReachesOnMouseDown) {
    grid->setCells(0, 5, "1");
    Click(0, 5, Qt::RightButton);
    EXPECT_EQ(grid->Cells(0, 5), "1");
    ASSERT_EQ(mouseDowns.size(), 1u);
    EXPECT_EQ(mouseDowns[0], Qt::RightButton);
    EXPECT_EQ(grid->Row(), 3) << "the grid itself moves the current cell on left presses only";
}

TEST_F(CheckCells, FixedCellOfACheckColumnDoesNotToggle) {
    grid->setCells(0, 0, "0");
    Click(0, 0);
    EXPECT_EQ(grid->Cells(0, 0), "0");
}

TEST_F(CheckCells, HeaderRowTogglesWhenItIsNotFixed) {
    grid->setRowCount(1); // an empty folder: the header row is the only one and not fixed
    ASSERT_EQ(grid->FixedRows(), 0);
    grid->setCells(0, 0, "0");
    Click(0, 0);
    EXPECT_EQ(grid->Cells(0, 0), "1");
}

TEST_F(CheckCells, OtherColumnsMoveTheCurrentCellAndReportIt) {
    Click(1, 6);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 6);
    ASSERT_EQ(selections.size(), 1u);
    EXPECT_EQ(selections[0].col, 1);
    EXPECT_EQ(selections[0].row, 6);
    EXPECT_EQ(mouseDowns.size(), 1u);
}

// The hook a descendant overrides to hear of toggles, from the cell and from the editor.
class HookedGrid : public TMOStringGrid {
public:
    std::vector<std::tuple<int, int, bool>> toggles;

protected:
    void CheckCellClick(int col, int row, bool check) override {
        toggles.emplace_back(col, row, check);
    }
};

TEST(CheckCellHook, ReportsTheNewStateOfEachToggle) {
    QWidget window;
    auto* grid = new HookedGrid;
    (new QVBoxLayout(&window))->addWidget(grid);
    ConfigureFavoritesGrid(*grid);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    grid->setCells(0, 2, "1");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(0, 2).center());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(0, 2).center());
    grid->setCol(0);
    grid->setRow(4);
    grid->setEditorMode(true);
    ASSERT_TRUE(grid->Editor()->isVisible());
    QTest::mouseClick(grid->Editor(), Qt::LeftButton, {}, grid->Editor()->rect().center());
    const std::vector<std::tuple<int, int, bool>> expected = {
        {0, 2, false}, {0, 2, true}, {0, 4, true}};
    EXPECT_EQ(grid->toggles, expected);
    EXPECT_EQ(grid->Cells(0, 4), "1");
}

class CurrentCell : public GridFixture {};

TEST_F(CurrentCell, OnSelectCellCanRefuseClicksKeysAndAssignments) {
    grid->setCol(1);
    grid->setRow(1);
    int asked = 0;
    QObject::connect(grid, &TMOStringGrid::OnSelectCell, [&](int, int, bool& canSelect) {
        ++asked;
        canSelect = false;
    });
    Click(2, 4);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Right);
    grid->setRow(5);
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(CurrentCell, AssignmentsMoveOneStepAtATime) {
    grid->setCol(1);
    grid->setRow(1);
    std::vector<Selection> seen;
    const auto first =
        QObject::connect(grid, &TMOStringGrid::OnSelectCell, [&](int col, int row, bool&) {
            seen.push_back({col, row});
            // The owner reads the grid during the event: it still shows the old cell.
            EXPECT_EQ(grid->Row(), 1);
        });
    grid->setRow(4);
    QObject::disconnect(first);
    QObject::connect(grid, &TMOStringGrid::OnSelectCell, [&](int col, int row, bool&) {
        seen.push_back({col, row});
    });
    grid->setCol(3);
    grid->setCol(3); // no change, no event
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].col, 1);
    EXPECT_EQ(seen[0].row, 4);
    EXPECT_EQ(seen[1].col, 3);
    EXPECT_EQ(seen[1].row, 4);
}

TEST_F(CurrentCell, ShrinkingBelowTheCurrentRowMovesItAndTellsTheOwner) {
    grid->setRow(8);
    int reported = -1;
    QObject::connect(grid, &TMOStringGrid::OnSelectCell, [&](int, int row, bool& canSelect) {
        reported = row;
        canSelect = false; // cannot keep a row that no longer exists
    });
    grid->setRowCount(4);
    EXPECT_EQ(reported, 3);
    EXPECT_EQ(grid->Row(), 3);
}

TEST_F(CurrentCell, KeyboardScrollsTheCurrentRowIntoView) {
    grid->setRowCount(500);
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid->Row(), 499);
    EXPECT_EQ(grid->Col(), 4);
    EXPECT_FALSE(grid->CellRect(4, 499).isEmpty());
    EXPECT_TRUE(grid->CellRect(4, 1).isEmpty());
    EXPECT_EQ(grid->verticalScrollBar()->value(), grid->TopRow());
    // The header stays in place and maps back to row 0.
    int col = -1;
    int row = -1;
    grid->MouseToCell(5, 5, col, row);
    EXPECT_EQ(row, 0);
    const QRect last = grid->CellRect(4, 499);
    grid->MouseToCell(last.left() + 1, last.top() + 1, col, row);
    EXPECT_EQ(col, 4);
    EXPECT_EQ(row, 499);
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->TopRow(), 1);
}

TEST_F(CurrentCell, ScrollBarMovesTheRowsUnderTheHeader) {
    grid->setRowCount(200);
    grid->verticalScrollBar()->setValue(50);
    EXPECT_EQ(grid->TopRow(), 50);
    int col = -1;
    int row = -1;
    const QRect header = grid->CellRect(1, 0);
    grid->MouseToCell(10, header.bottom() + 5, col, row);
    EXPECT_EQ(row, 50);
    EXPECT_TRUE(grid->CellRect(1, 49).isEmpty());
}

TEST_F(CurrentCell, DraggingAColumnBorderInTheHeaderResizesIt) {
    grid->setOptions(grid->Options() | goColSizing);
    const QRect header = grid->CellRect(1, 0);
    const QPoint border(header.right() + 1, header.center().y());
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, border);
    QMouseEvent move(QEvent::MouseMove, QPointF(border + QPoint(30, 0)),
                     QPointF(grid->viewport()->mapToGlobal(border + QPoint(30, 0))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &move);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, border + QPoint(30, 0));
    EXPECT_EQ(grid->ColWidths(1), 140);
}

TEST(GridColumns, FollowColCountBothWays) {
    TMOStringGrid grid;
    EXPECT_EQ(grid.ColCount(), 6);
    EXPECT_EQ(grid.GridColumns().Count(), 6);
    grid.GridColumns()[1].setCaption("名前");
    grid.setColCount(3);
    EXPECT_EQ(grid.GridColumns().Count(), 3);
    EXPECT_EQ(grid.GridColumns()[1].Caption(), "名前") << "remaining columns are kept";
    grid.GridColumns().Add();
    EXPECT_EQ(grid.ColCount(), 4);
    grid.GridColumns().Delete(0);
    EXPECT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(grid.GridColumns()[0].Caption(), "名前");
    grid.GridColumns().Clear();
    EXPECT_EQ(grid.ColCount(), 1) << "a grid keeps at least one column";
    EXPECT_EQ(grid.GridColumns().Count(), 1);
}

TEST(GridColumns, NewColumnsTakeTheGridsLookAndTheDefaults) {
    TMOStringGrid grid;
    grid.setColor(QColor(1, 2, 3));
    grid.setFont(MsPGothicFont(17));
    grid.setColCount(7);
    const TMOGridColumn& old = grid.GridColumns()[0];
    const TMOGridColumn& fresh = grid.GridColumns()[6];
    EXPECT_NE(old.Color(), QColor(1, 2, 3)) << "existing columns keep their colour";
    EXPECT_EQ(fresh.Color(), QColor(1, 2, 3));
    EXPECT_EQ(fresh.Font().pixelSize(), 17);
    EXPECT_EQ(fresh.FixCellFont().pixelSize(), 17);
    EXPECT_EQ(fresh.ButtonStyle(), cbsSimple);
    EXPECT_EQ(fresh.ImeMode(), imDisable);
    EXPECT_EQ(fresh.FixAlignment(), taCenter);
    EXPECT_EQ(fresh.Alignment(), taLeftJustify);
    EXPECT_TRUE(fresh.CanEdit());
    EXPECT_EQ(fresh.DateFormat(), dtShort);
    EXPECT_EQ(fresh.SpinButtonOption(), (TMOSpinButtonOption{1, 0, 0}));
    EXPECT_EQ(fresh.CalColors().Color(TMOMonthCalColors::WeekEndColor), QColor(Qt::red));
    EXPECT_EQ(fresh.Index(), 6);
}

TEST(GridColumns, PropertyRules) {
    TMOStringGrid grid;
    TMOGridColumn& column = grid.GridColumns()[2];
    column.setCaption("");
    EXPECT_EQ(column.Caption(), " ");
    column.setButtonStyle(cbsSpin);
    EXPECT_EQ(column.DataType(), dtInteger);
    column.setButtonStyle(cbsCheckBox);
    EXPECT_EQ(column.DataType(), dtString);
    column.setDataType(dtInteger);
    column.setButtonStyle(cbsCheckBox); // same style again still resets the data type
    EXPECT_EQ(column.DataType(), dtString);
}

TEST(GridColumns, AssigningACollectionCopiesWhatAColumnAssignCopies) {
    TMOStringGrid grid;
    grid.GridColumns()[0].setAlignmentV(tavBottom);
    grid.GridColumns()[0].setButtonStyle(cbsCheckBox);

    TMOGridColumns source;
    for (int i = 0; i < 3; ++i) {
        TMOGridColumn& column = source.Add();
        column.setCaption("列" + std::to_string(i));
        column.setAlignment(taRightJustify);
        column.setAlignmentV(tavTop);
        column.setFixAlignment(taLeftJustify);
        column.setImeMode(imHira);
        column.setCanEdit(false);
        column.setColor(Qt::green);
        column.setButtonStyle(cbsSpin);
        column.setListStrings({"a", "b"});
    }
    grid.setGridColumns(source);
    ASSERT_EQ(grid.ColCount(), 3);
    const TMOGridColumn& copy = grid.GridColumns()[1];
    EXPECT_EQ(copy.Caption(), "列1");
    EXPECT_EQ(copy.Alignment(), taRightJustify);
    EXPECT_EQ(copy.ImeMode(), imHira);
    EXPECT_FALSE(copy.CanEdit());
    EXPECT_EQ(copy.Color(), QColor(Qt::green));
    EXPECT_EQ(copy.DataType(), dtInteger);
    EXPECT_EQ(copy.FixAlignment(), taCenter);
    // Not copied: fresh items keep their own defaults.
    EXPECT_EQ(copy.AlignmentV(), tavCenter);
    EXPECT_EQ(copy.ButtonStyle(), cbsSimple);
    EXPECT_TRUE(copy.ListStrings().empty());
}

class Painting : public GridFixture {};

TEST_F(Painting, OnDrawCellComesForVisibleCellsAfterTheGridsOwnDrawing) {
    grid->setRowCount(300);
    std::vector<Selection> drawn;
    QFont fontSeen;
    QObject::connect(grid, &TMOStringGrid::OnDrawCell,
                     [&](int col, int row, const QRect& rect, TGridDrawState, QPainter& p) {
                         drawn.push_back({col, row});
                         if (col == 2 && row == 3) {
                             fontSeen = p.font();
                             p.fillRect(rect.adjusted(0, 0, 0, 0), QColor(190, 190, 255));
                         }
                     });
    grid->GridColumns()[2].setFont(MsPGothicFont(15));
    const QColor painted = PixelAt(Center(2, 3));
    EXPECT_EQ(painted, QColor(190, 190, 255));
    EXPECT_EQ(fontSeen.pixelSize(), 15) << "the painter carries the column's font";
    const auto has = [&](int col, int row) {
        return std::any_of(drawn.begin(), drawn.end(),
                           [&](const Selection& s) { return s.col == col && s.row == row; });
    };
    EXPECT_TRUE(has(0, 0));
    EXPECT_TRUE(has(4, 1));
    EXPECT_FALSE(has(1, 250)) << "rows below the view are not painted";
}

TEST_F(Painting, CellsAreFilledWithTheirColumnColour) {
    grid->GridColumns()[3].setColor(QColor(10, 200, 30));
    grid->setCol(1);
    const QRect cell = grid->CellRect(3, 4);
    EXPECT_EQ(PixelAt(cell.topLeft() + QPoint(2, 2)), QColor(10, 200, 30));
    // Title cells keep the fixed colour.
    const QRect title = grid->CellRect(3, 0);
    EXPECT_EQ(PixelAt(title.topLeft() + QPoint(1, 1)), QColor(223, 223, 223));
}

TEST_F(Painting, CheckBoxShowsItsState) {
    grid->setCells(0, 2, "0");
    grid->setCells(0, 3, "1");
    const QImage image = grid->viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const auto box = [&](int row) {
        const QRect r = grid->CellRect(0, row);
        return image.copy(QRect(r.topLeft() * ratio, r.size() * ratio));
    };
    const QImage unchecked = box(2);
    const QImage checked = box(3);
    EXPECT_NE(unchecked, checked);
    grid->setCells(0, 4, "yes"); // only "1" is checked
    const QImage image2 = grid->viewport()->grab().toImage();
    const QRect r4 = grid->CellRect(0, 4);
    EXPECT_EQ(image2.copy(QRect(r4.topLeft() * ratio, r4.size() * ratio)), unchecked);
}

TEST_F(Painting, JapaneseTextLeavesInkInTheCell) {
    grid->setCells(4, 2, "");
    grid->setCells(4, 3, "日本語のコメント");
    const QImage image = grid->viewport()->grab().toImage();
    const auto inkIn = [&](int col, int row) {
        const QRect r = grid->CellRect(col, row);
        int dark = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                dark += image.pixelColor(QPoint(x, y) * image.devicePixelRatio()).lightness() < 128;
        return dark;
    };
    EXPECT_EQ(inkIn(4, 2), 0);
    EXPECT_GT(inkIn(4, 3), 40);
    // No tofu: every character of the text has a glyph in the font the grid ends up using.
    const QFontMetrics metrics(grid->GridColumns()[4].Font());
    for (const QChar ch : QStringLiteral("日本語のコメント")) {
        EXPECT_TRUE(metrics.inFont(ch)) << int(ch.unicode());
    }

    if (const QByteArray path = qgetenv("MARKVANE_UI_SNAPSHOT"); !path.isEmpty()) {
        grid->setCells(0, 3, "1");
        grid->setCells(4, 4, "漢字とかなのテキスト");
        grid->grab().save(QString::fromLocal8Bit(path));
    }
}

TEST(GridSize, FiftyThousandRowsFillAndPaintQuickly) {
    TMOStringGrid grid;
    ConfigureFavoritesGrid(grid);
    grid.resize(560, 700);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));

    QElapsedTimer timer;
    timer.start();
    const int rows = 50'000;
    grid.setRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        const std::string n = std::to_string(r);
        grid.setCells(0, r, "0");
        grid.setCells(1, r, "お気に入りのサイト" + n);
        grid.setCells(2, r, "https://www.example.jp/page/" + n);
        grid.setCells(3, r, "");
        grid.setCells(4, r, "コメント" + n);
    }
    const QPixmap top = grid.viewport()->grab();
    grid.setTopRow(rows - 5);
    const QPixmap bottom = grid.viewport()->grab();
    const qint64 elapsed = timer.elapsed();
    EXPECT_FALSE(top.isNull());
    EXPECT_FALSE(bottom.isNull());
    EXPECT_EQ(grid.Cells(1, rows), "お気に入りのサイト50000");
    EXPECT_LT(elapsed, 3000) << "fill and two paints took " << elapsed << " ms";

    timer.restart();
    for (int i = 0; i < 20; ++i) {
        grid.setTopRow(1 + i * 2400);
        grid.viewport()->repaint();
    }
    EXPECT_LT(timer.elapsed(), 2000) << "a paint must not depend on the row count";
}

} // namespace
} // namespace mv::test
