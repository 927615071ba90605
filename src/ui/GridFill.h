#pragma once
// Column widths that follow the visible part of a grid: a cap for columns widened to fit their
// texts, so one long text cannot push the other columns out of sight, and a last column that
// reaches the right edge.

#include <QObject>

#include <map>

namespace mv {

class TStringGrid;

// The widest column `col` may be made to fit its texts: `share` of the width the cells are
// shown in, and no more than leaves the last column `minimum` wide; never less than `minimum`.
int FitWidthCap(const TStringGrid& grid, int col, double share, int minimum);

// Keeps the last column of `grid` reaching the right edge of the visible cells, whenever the
// grid is resized or Fill() is called. A width set by someone else (the user dragging the
// border, a column-width window) is theirs: from then on the column keeps it.
// Columns noted as fitted to their texts follow the grid's width while they keep the width
// they were fitted to: as wide as their widest text wants, within FitWidthCap(`share`).
class LastColumnFill : public QObject {
    Q_OBJECT
public:
    LastColumnFill(TStringGrid* grid, int minimum, double share);
    void Fill();
    // Column `col` has just been given its width by fitting it to texts whose widest wants
    // `wanted` pixels.
    void NoteFitted(int col, int wanted);
    // What the widest text of a fitted column wants; the column's width for any other.
    int Wanted(int col) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TStringGrid* grid_;
    int minimum_;
    double share_;
    struct Fitted {
        int width;  // as fitted
        int wanted; // for its widest text
    };
    std::map<int, Fitted> fitted_;
    int filled_ = -1; // the width this last gave the column
    bool active_ = true;
};

} // namespace mv
