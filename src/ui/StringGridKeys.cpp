// Keyboard of the string grid: moving the current cell, opening and closing the editor, and the
// keys the editor hands back to the grid.
#include "ui/StringGrid.h"

#include <QKeyEvent>

#include <algorithm>

namespace mv {

bool TStringGrid::EditorKey(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const TInplaceEdit* editor = edit_.Editor();
    if (CellKey(event)) return true;
    switch (event->key()) {
    case Qt::Key_Escape:
        edit_.Cancel();
        if (!(options_ & goAlwaysShowEditor)) HideEditor();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!(options_ & goAlwaysShowEditor)) HideEditor();
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (options_ & goTabs) {
            keyPressEvent(event);
        } else {
            const bool back =
                event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
            LeaveByTab(!back);
        }
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        keyPressEvent(event);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Home:
        // Within the text the caret moves; at its start the grid does.
        if (!ctrl && (editor->cursorPosition() != 0 || editor->hasSelectedText())) return false;
        keyPressEvent(event);
        return true;
    case Qt::Key_Right:
    case Qt::Key_End:
        if (!ctrl &&
            (editor->cursorPosition() != editor->text().size() || editor->hasSelectedText()))
            return false;
        keyPressEvent(event);
        return true;
    default:
        return false;
    }
}

bool TStringGrid::CellKey(QKeyEvent*) {
    return false;
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
    if (CellKey(event)) {
        event->accept();
        return;
    }
    int col = col_;
    int row = row_;
    if (MoveKeyTarget(event, col, row) || TabTarget(event, col, row)) {
        if (col != col_ || row != row_)
            MoveCurrent(col, row);
        else
            ScrollIntoView(col, row);
        event->accept();
        return;
    }
    if (EditingKey(event)) {
        event->accept();
        return;
    }
    // Typing a character opens the editor over the current text, which the character replaces.
    if (edit_.TypeIntoEditor(event)) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool TStringGrid::MoveKeyTarget(const QKeyEvent* event, int& col, int& row) const {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int page = std::max(1, VisibleRowCount());
    switch (event->key()) {
    case Qt::Key_Up:
        row = std::max(FixedRows(), row - 1);
        return true;
    case Qt::Key_Down:
        row = std::min(RowCount() - 1, row + 1);
        return true;
    case Qt::Key_Left:
        col = std::max(FixedCols(), col - 1);
        return true;
    case Qt::Key_Right:
        col = std::min(ColCount() - 1, col + 1);
        return true;
    case Qt::Key_PageUp:
        row = std::max(FixedRows(), row - page);
        return true;
    case Qt::Key_PageDown:
        row = std::min(RowCount() - 1, row + page);
        return true;
    case Qt::Key_Home:
        col = FixedCols();
        if (ctrl) row = FixedRows();
        return true;
    case Qt::Key_End:
        col = ColCount() - 1;
        if (ctrl) row = RowCount() - 1;
        return true;
    default:
        return false;
    }
}

bool TStringGrid::TabTarget(const QKeyEvent* event, int& col, int& row) const {
    const int key = event->key();
    if ((key != Qt::Key_Tab && key != Qt::Key_Backtab) || !(options_ & goTabs)) return false;
    // Tab runs along the row and on into the next one, wrapping at the grid's ends.
    if (key == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier)) {
        if (--col < FixedCols()) {
            col = ColCount() - 1;
            row = row > FixedRows() ? row - 1 : RowCount() - 1;
        }
    } else if (++col >= ColCount()) {
        col = FixedCols();
        row = row + 1 < RowCount() ? row + 1 : FixedRows();
    }
    return true;
}

bool TStringGrid::EditingKey(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_F2:
        if (options_ & goEditing) {
            ShowEditor();
            edit_.CaretToEnd();
        }
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!(options_ & goAlwaysShowEditor)) {
            if (EditorMode())
                HideEditor();
            else
                ShowEditor();
        }
        return true;
    default:
        return false;
    }
}

bool TStringGrid::focusNextPrevChild(bool next) {
    // With goTabs the grid keeps Tab for moving between cells.
    if (options_ & goTabs) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TStringGrid::LeaveByTab(bool next) {
    // Step from the grid itself, so the editor (a child) is not taken for the previous control.
    if (edit_.HasFocus()) setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    QWidget::focusNextPrevChild(next);
}

} // namespace mv
