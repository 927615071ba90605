#include "ui/GridFill.h"

#include "ui/StringGrid.h"

#include <QEvent>

#include <algorithm>

namespace mv {

int FitWidthCap(const TStringGrid& grid, int col, double share, int minimum) {
    const int view = grid.viewport()->width();
    const int last = grid.ColCount() - 1;
    int others = minimum + grid.GridLineWidth();
    for (int c = 0; c < last; ++c)
        if (c != col) others += grid.ColWidths(c) + grid.GridLineWidth();
    const int room = view - others - grid.GridLineWidth();
    return std::max(minimum, std::min(int(view * share), room));
}

LastColumnFill::LastColumnFill(TStringGrid* grid, int minimum, double share)
    : QObject(grid), grid_(grid), minimum_(minimum), share_(share) {
    grid_->viewport()->installEventFilter(this);
}

void LastColumnFill::NoteFitted(int col, int wanted) {
    fitted_[col] = {grid_->ColWidths(col), wanted};
}

int LastColumnFill::Wanted(int col) const {
    const auto found = fitted_.find(col);
    if (found == fitted_.end() || found->second.width != grid_->ColWidths(col))
        return grid_->ColWidths(col);
    return std::max(found->second.wanted, found->second.width);
}

void LastColumnFill::Fill() {
    const int last = grid_->ColCount() - 1;
    if (!active_ || last < 0) return;
    if (filled_ >= 0 && grid_->ColWidths(last) != filled_) {
        active_ = false;
        return;
    }
    int used = 0;
    for (int c = 0; c < last; ++c)
        used += grid_->ColWidths(c) + grid_->GridLineWidth();
    const int width =
        std::max(minimum_, grid_->viewport()->width() - used - grid_->GridLineWidth());
    if (width != grid_->ColWidths(last)) grid_->setColWidths(last, width);
    filled_ = grid_->ColWidths(last);
}

bool LastColumnFill::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_->viewport() && event->type() == QEvent::Resize) {
        for (auto& [col, fitted] : fitted_) {
            if (grid_->ColWidths(col) != fitted.width) continue; // set by hand since
            const int cap = FitWidthCap(*grid_, col, share_, minimum_);
            const int width = std::max(minimum_, std::min(fitted.wanted, cap));
            if (width != fitted.width) {
                grid_->setColWidths(col, width);
                fitted.width = width;
            }
        }
        Fill();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace mv
