// Cell geometry of the string grid without a widget: scroll limits, what shows, hit tests and
// the borders a drag resizes.
#include "ui/GridGeometry.h"

#include <gtest/gtest.h>

namespace mv {
namespace {

// One fixed title row of 20 pixels and `count - 1` rows of `height`; each row adds its line.
GridAxis Rows(int count, int height, int first = 1) {
    GridAxis rows;
    rows.sizes.assign(size_t(count), height);
    rows.sizes[0] = 20;
    rows.fixed = 1;
    rows.first = first;
    return rows;
}

TEST(GridAxis, ScrollLimitsLeaveTheLastRowsFillingTheView) {
    // 100 pixels: the title takes 21, three 20-pixel rows (21 each) fit in the other 79.
    GridAxis rows = Rows(10, 20);
    EXPECT_EQ(rows.FixedExtent(), 21);
    EXPECT_EQ(rows.VisibleCount(100), 3);
    EXPECT_EQ(rows.MaxFirst(100), 7);
    EXPECT_EQ(rows.MaxFirst(84 + 21), 6) << "exactly four rows fit";
    EXPECT_EQ(Rows(3, 20).MaxFirst(1000), 1) << "a short grid does not scroll";
    EXPECT_EQ(rows.MaxFirst(10), 9) << "a view smaller than one row still reaches the last";
    rows.first = 8;
    EXPECT_EQ(rows.VisibleCount(100), 2) << "only two rows are left after row 8";
}

TEST(GridAxis, FirstShowingMovesAsLittleAsPossible) {
    const GridAxis rows = Rows(50, 20, 10); // rows 10, 11, 12 on screen in 100 pixels
    EXPECT_EQ(rows.FirstShowing(11, 100), 10) << "already whole on screen";
    EXPECT_EQ(rows.FirstShowing(12, 100), 10);
    EXPECT_EQ(rows.FirstShowing(4, 100), 4) << "above the view: it becomes the first";
    EXPECT_EQ(rows.FirstShowing(13, 100), 11) << "below: it becomes the last whole row";
    EXPECT_EQ(rows.FirstShowing(40, 100), 38);
    EXPECT_EQ(rows.FirstShowing(0, 100), 10) << "the title row never scrolls";
    GridAxis tall = Rows(5, 20);
    tall.sizes[3] = 300;
    EXPECT_EQ(tall.FirstShowing(3, 100), 3) << "a row taller than the view goes to the top";
}

TEST(GridGeometry, CellsOwnTheLinesAtTheirRightAndBottom) {
    GridGeometry geometry;
    geometry.cols.sizes = {40, 100, 100, 100, 100};
    geometry.cols.fixed = 1;
    geometry.cols.first = 3; // columns 1 and 2 scrolled away
    geometry.rows = Rows(10, 20);
    int col = 0;
    int row = 0;
    geometry.MouseToCell(40, 20, col, row);
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 0);
    geometry.MouseToCell(41, 21, col, row);
    EXPECT_EQ(col, 3) << "the first scrolled column follows the fixed one";
    EXPECT_EQ(row, 1);
    geometry.MouseToCell(41 + 101 + 101, 30, col, row);
    EXPECT_EQ(col, -1) << "right of the last column";
    EXPECT_EQ(row, -1) << "both are -1 when either misses";
    geometry.MouseToCell(-1, 30, col, row);
    EXPECT_EQ(col, -1);

    const QSize view(200, 100);
    EXPECT_EQ(geometry.CellRect(3, 1, view), QRect(41, 21, 100, 20));
    EXPECT_EQ(geometry.CellRect(4, 1, view), QRect(142, 21, 100, 20)) << "partly shown";
    EXPECT_TRUE(geometry.CellRect(2, 1, view).isNull()) << "scrolled away";
    EXPECT_TRUE(geometry.CellRect(3, 5, view).isNull()) << "below the view";
    EXPECT_TRUE(geometry.CellRect(5, 1, view).isNull()) << "no such column";

    const auto shown = geometry.cols.Shown(view.width());
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1], std::make_pair(3, 41));
    EXPECT_EQ(shown[2], std::make_pair(4, 142));
}

TEST(GridGeometry, BordersAreGrabbedNearTheirLineInTheTitles) {
    GridGeometry geometry;
    geometry.cols.sizes = {40, 100, 100, 100};
    geometry.cols.fixed = 1;
    geometry.cols.first = 1;
    geometry.rows = Rows(200, 20);
    const QSize view(400, 300);
    GridGeometry::Sizing sizing;
    // Column 1 spans 41..140, its border at 141.
    ASSERT_TRUE(geometry.SizingHit(144, 5, view, true, true, sizing));
    EXPECT_TRUE(sizing.columns);
    EXPECT_EQ(sizing.index, 1);
    EXPECT_EQ(sizing.start, 41);
    EXPECT_FALSE(geometry.SizingHit(145, 5, view, true, true, sizing)) << "too far";
    EXPECT_FALSE(geometry.SizingHit(141, 25, view, true, true, sizing)) << "below the titles";
    EXPECT_FALSE(geometry.SizingHit(141, 5, view, false, true, sizing)) << "not allowed";
    // Row borders in the fixed column: row 2 spans 42..61.
    ASSERT_TRUE(geometry.SizingHit(10, 60, view, true, true, sizing));
    EXPECT_FALSE(sizing.columns);
    EXPECT_EQ(sizing.index, 2);
    EXPECT_EQ(sizing.start, 42);
    EXPECT_FALSE(geometry.SizingHit(10, 60, view, true, false, sizing));
    geometry.rows.first = 150;
    ASSERT_TRUE(geometry.SizingHit(10, 41, view, true, true, sizing));
    EXPECT_EQ(sizing.index, 150) << "scrolled rows are found where they are shown";
}

} // namespace
} // namespace mv
