#include "ui/GridGeometry.h"

#include <algorithm>
#include <cstdlib>

namespace mv {

namespace {

// How far from a border the pointer may be to grab it.
constexpr int kGrip = 3;

} // namespace

int GridAxis::FixedExtent() const {
    int extent = 0;
    for (int i = 0; i < fixed; ++i)
        extent += Size(i) + kLineWidth;
    return extent;
}

int GridAxis::MaxFirst(int extent) const {
    const int avail = extent - FixedExtent();
    int used = 0;
    int result = Count();
    while (result > fixed) {
        const int size = Size(result - 1) + kLineWidth;
        if (used + size > avail) break;
        used += size;
        --result;
    }
    return std::clamp(result, fixed, Count() - 1);
}

int GridAxis::VisibleCount(int extent) const {
    const int avail = extent - FixedExtent();
    int used = 0;
    int count = 0;
    for (int i = first; i < Count(); ++i) {
        used += Size(i) + kLineWidth;
        if (used > avail) break;
        ++count;
    }
    return count;
}

int GridAxis::StartOf(int index, int extent) const {
    if (index < 0 || index >= Count()) return -1;
    int pos = 0;
    if (index < fixed) {
        for (int i = 0; i < index; ++i)
            pos += Size(i) + kLineWidth;
    } else {
        if (index < first) return -1;
        pos = FixedExtent();
        for (int i = first; i < index && pos < extent; ++i)
            pos += Size(i) + kLineWidth;
    }
    return pos < extent ? pos : -1;
}

int GridAxis::IndexAt(int pos) const {
    if (pos < 0) return -1;
    int edge = 0;
    for (int i = 0; i < fixed; ++i) {
        edge += Size(i) + kLineWidth;
        if (pos < edge) return i;
    }
    for (int i = first; i < Count() && edge <= pos; ++i) {
        edge += Size(i) + kLineWidth;
        if (pos < edge) return i;
    }
    return -1;
}

int GridAxis::FirstShowing(int index, int extent) const {
    if (index < fixed) return first;
    if (index < first) return index;
    const int avail = extent - FixedExtent();
    int used = 0;
    for (int i = first; i <= index && used <= avail; ++i)
        used += Size(i) + kLineWidth;
    if (used <= avail) return first;
    // Count back from `index` while the ones before it still fit.
    int result = index;
    used = Size(index) + kLineWidth;
    while (result > fixed && used + Size(result - 1) + kLineWidth <= avail) {
        --result;
        used += Size(result) + kLineWidth;
    }
    return result;
}

std::vector<std::pair<int, int>> GridAxis::Shown(int extent) const {
    std::vector<std::pair<int, int>> shown;
    int pos = 0;
    for (int i = 0; i < fixed && pos < extent; ++i) {
        shown.emplace_back(i, pos);
        pos += Size(i) + kLineWidth;
    }
    for (int i = first; i < Count() && pos < extent; ++i) {
        shown.emplace_back(i, pos);
        pos += Size(i) + kLineWidth;
    }
    return shown;
}

int GridAxis::BorderNear(int pos, int extent) const {
    for (int i = 0; i < Count(); ++i) {
        const int start = StartOf(i, extent);
        if (start < 0) {
            // Past the view every later one is off screen too; stop before a long tail.
            if (i >= fixed && i > first) break;
            continue;
        }
        const int edge = start + Size(i) + kLineWidth / 2;
        if (std::abs(pos - edge) <= kGrip) return i;
        if (start > pos + kGrip) break;
    }
    return -1;
}

QRect GridGeometry::CellRect(int col, int row, QSize view) const {
    const int x = cols.StartOf(col, view.width());
    const int y = rows.StartOf(row, view.height());
    if (x < 0 || y < 0) return {};
    return {x, y, cols.Size(col), rows.Size(row)};
}

void GridGeometry::MouseToCell(int x, int y, int& col, int& row) const {
    const int hitCol = cols.IndexAt(x);
    const int hitRow = rows.IndexAt(y);
    const bool hit = hitCol >= 0 && hitRow >= 0;
    col = hit ? hitCol : -1;
    row = hit ? hitRow : -1;
}

bool GridGeometry::SizingHit(int x, int y, QSize view, bool colSizing, bool rowSizing,
                             Sizing& sizing) const {
    if (colSizing && y < rows.FixedExtent()) {
        const int col = cols.BorderNear(x, view.width());
        if (col >= 0) {
            sizing = {true, col, cols.StartOf(col, view.width())};
            return true;
        }
    }
    if (rowSizing && x < cols.FixedExtent()) {
        const int row = rows.BorderNear(y, view.height());
        if (row >= 0) {
            sizing = {false, row, rows.StartOf(row, view.height())};
            return true;
        }
    }
    return false;
}

} // namespace mv
