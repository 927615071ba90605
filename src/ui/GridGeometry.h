#pragma once
// Where the grid's cells lie: column widths and row heights, the fixed columns and rows, the
// first scrolled column and row shown, and the arithmetic on them (scroll limits, visible range,
// cell rectangles, hit tests). No widget: the view's size is passed in where it matters.

#include <QRect>
#include <QSize>

#include <utility>
#include <vector>

namespace mv {

// One direction of the grid: the columns or the rows. Each cell owns the grid line at its right
// (or bottom) edge.
struct GridAxis {
    static constexpr int kLineWidth = 1;

    std::vector<int> sizes; // width of each column or height of each row
    int fixed = 1;          // leading fixed (title) columns or rows
    int first = 1;          // first scrolled one shown after the fixed ones (LeftCol, TopRow)

    int Count() const { return int(sizes.size()); }
    int Size(int index) const { return sizes[size_t(index)]; }
    // Space taken by the fixed ones, their lines included.
    int FixedExtent() const;
    // The largest `first` that still fills a view `extent` pixels long.
    int MaxFirst(int extent) const;
    // Scrolled ones shown whole from `first` on.
    int VisibleCount(int extent) const;
    // Where `index` starts in the view; -1 when it is scrolled away or beyond the view.
    int StartOf(int index, int extent) const;
    // The one under `pos`; -1 outside them.
    int IndexAt(int pos) const;
    // The `first` that shows `index` whole, moving as little as possible.
    int FirstShowing(int index, int extent) const;
    // The ones on screen with their starts, fixed ones first.
    std::vector<std::pair<int, int>> Shown(int extent) const;
    // The one whose far border lies within a few pixels of `pos`; -1 when none does.
    int BorderNear(int pos, int extent) const;
};

class GridGeometry {
public:
    // A column or row border under the pointer, which a drag resizes.
    struct Sizing {
        bool columns = false; // column border (true) or row border (false)
        int index = -1;       // column or row whose size changes
        int start = 0;        // its left or top edge
    };

    GridAxis cols;
    GridAxis rows;

    // Null when the cell is not on screen.
    QRect CellRect(int col, int row, QSize view) const;
    // -1, -1 for a point outside the cells.
    void MouseToCell(int x, int y, int& col, int& row) const;
    // Column borders are grabbed in the fixed rows, row borders in the fixed columns, each only
    // when allowed.
    bool SizingHit(int x, int y, QSize view, bool colSizing, bool rowSizing, Sizing& sizing) const;
};

} // namespace mv
