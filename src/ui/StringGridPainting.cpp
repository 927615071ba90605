// Painting of the string grid: only the cells on screen that the paint event asks for.
#include "ui/StringGrid.h"

#include "platform/codepage.h"

#include <QPaintEvent>
#include <QtDebug>

#include <exception>

namespace mv {

namespace {

// Grid lines between normal cells, as the classic light grey grid.
const QColor kLineColor(192, 192, 192);

} // namespace

void TStringGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    painter.fillRect(dirty, color_);

    const QSize view = ViewSize();
    const auto cols = geometry_.cols.Shown(view.width());
    const auto rows = geometry_.rows.Shown(view.height());
    const bool focused = HasFocusWithin();
    const bool editing = edit_.Visible();
    const int lw = GridLineWidth();
    for (const auto& [row, top] : rows) {
        for (const auto& [col, left] : cols) {
            const QRect rect(left, top, geometry_.cols.Size(col), geometry_.rows.Size(row));
            if (rect.adjusted(0, 0, lw, lw).intersects(dirty))
                PaintCell(painter, col, row, rect, focused, editing);
        }
    }
}

TGridDrawState TStringGrid::CellState(int col, int row, bool focused) const {
    TGridDrawState state;
    if (col < FixedCols() || row < FixedRows()) return state | gdFixed;
    if (col == col_ && row == row_) {
        state |= gdSelected;
        if (focused) state |= gdFocused;
    }
    return state;
}

void TStringGrid::PaintCell(QPainter& painter, int col, int row, const QRect& rect, bool focused,
                            bool editing) {
    const TGridDrawState state = CellState(col, row, focused);
    const bool fixed = state & gdFixed;
    if (!rect.isEmpty()) {
        // The current cell is highlighted only while the grid is not focused; with the focus it
        // gets the focus rectangle instead.
        const bool highlight = (state & gdSelected) && !(state & gdFocused);
        painter.save();
        painter.setClipRect(rect);
        painter.fillRect(rect, fixed       ? fixedColor_
                               : highlight ? palette().color(QPalette::Highlight)
                                           : color_);
        painter.setFont(font());
        painter.setPen(palette().color(highlight ? QPalette::HighlightedText : QPalette::Text));
        DrawCell(col, row, rect, state, painter);
        painter.restore();
        if (defaultDrawing_ && (state & gdFocused) && !editing) PaintFocusFrame(painter, rect);
    }
    PaintCellLines(painter, rect, fixed);
}

void TStringGrid::PaintFocusFrame(QPainter& painter, const QRect& rect) {
    // A dotted frame, drawn whatever the style (some draw focus frames only after keyboard
    // navigation).
    painter.save();
    painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

void TStringGrid::PaintCellLines(QPainter& painter, const QRect& rect, bool fixed) {
    // Each cell owns the lines at its right and bottom edge.
    const int lw = GridLineWidth();
    const QColor color = fixed ? palette().color(QPalette::Dark) : kLineColor;
    if (options_ & (fixed ? goFixedVertLine : goVertLine))
        painter.fillRect(QRect(rect.left() + rect.width(), rect.top(), lw, rect.height() + lw),
                         color);
    if (options_ & (fixed ? goFixedHorzLine : goHorzLine))
        painter.fillRect(QRect(rect.left(), rect.top() + rect.height(), rect.width() + lw, lw),
                         color);
}

void TStringGrid::DrawCell(int col, int row, const QRect& rect, TGridDrawState state,
                           QPainter& painter) {
    if (defaultDrawing_)
        painter.drawText(rect.adjusted(2, 2, 0, 0),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, toQt(Cells(col, row)));
    DrawCellEvent(col, row, rect, state, painter);
}

void TStringGrid::DrawCellEvent(int col, int row, const QRect& rect, TGridDrawState state,
                                QPainter& painter) {
    // An owner's painting failure must not break the paint of the whole grid.
    try {
        emit OnDrawCell(col, row, rect, state, painter);
    } catch (const std::exception& error) {
        qWarning("TStringGrid: OnDrawCell failed: %s", error.what());
    } catch (...) {
        qWarning("TStringGrid: OnDrawCell failed");
    }
}

} // namespace mv
