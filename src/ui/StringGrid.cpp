#include "ui/StringGrid.h"

#include "platform/codepage.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QtDebug>

#include <algorithm>
#include <exception>

namespace mv {

namespace {

const std::string kEmpty;

// Grid lines between normal cells, as the classic light grey grid.
const QColor kLineColor(192, 192, 192);

} // namespace

// ---------------------------------------------------------------------------------------------
// TInplaceEdit

TInplaceEdit::TInplaceEdit(TStringGrid* grid) : QLineEdit(grid->viewport()), grid_(grid) {
    setFrame(false);
    // Only the grid opens the editor; Tab never lands on it.
    setFocusPolicy(Qt::ClickFocus);
    setTextMargins(2, 0, 2, 0);
    hide();
}

bool TInplaceEdit::event(QEvent* event) {
    // Tab is the grid's (next cell or next control); QWidget would otherwise move the focus
    // from here back onto the grid itself.
    if (grid_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            grid_->EditorKey(key);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void TInplaceEdit::keyPressEvent(QKeyEvent* event) {
    if (grid_ && grid_->EditorKey(event)) return;
    QLineEdit::keyPressEvent(event);
}

void TInplaceEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (grid_) grid_->FocusLeft(event);
}

// ---------------------------------------------------------------------------------------------
// TStringGrid: construction and storage

TStringGrid::TStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    color_ = palette().color(QPalette::Base);
    fixedColor_ = palette().color(QPalette::Button);
    options_ = TGridOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine);
    colWidths_.assign(5, defaultColWidth_);
    rowHeights_.assign(5, defaultRowHeight_);
    cells_.assign(5, std::vector<std::string>(5));

    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setTracking(false);
    horizontalScrollBar()->setTracking(false);
    UpdateInputMethod();
    UpdateScrollBars();
}

TStringGrid::~TStringGrid() {
    // The editor must not report focus changes to a grid that is going away.
    if (editor_) {
        editor_->grid_ = nullptr;
        delete editor_;
    }
}

const std::string& TStringGrid::Cells(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return kEmpty;
    return cells_[size_t(col)][size_t(row)];
}

void TStringGrid::setCells(int col, int row, std::string text) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) {
        qWarning("TStringGrid::setCells: cell (%d, %d) is outside the grid", col, row);
        return;
    }
    cells_[size_t(col)][size_t(row)] = std::move(text);
    InvalidateCell(col, row);
    // A cell changed by the program under the open editor: show the new text (but not when
    // the editor itself is writing, which would move the caret while typing).
    if (col == col_ && row == row_ && !writingBack_ && editor_ && editor_->isVisible()) {
        loadingEditor_ = true;
        editOriginal_ = cells_[size_t(col)][size_t(row)];
        editor_->setText(toQt(GetEditText(col_, row_)));
        loadingEditor_ = false;
    }
}

void TStringGrid::setColCount(int count) {
    count = std::max(1, count);
    if (count == ColCount()) return;
    const int oldCols = ColCount();
    const int oldRows = RowCount();
    HideEditor();
    cells_.resize(size_t(count), std::vector<std::string>(size_t(RowCount())));
    colWidths_.resize(size_t(count), defaultColWidth_);
    if (fixedCols_ >= count) fixedCols_ = count - 1;
    leftCol_ = std::clamp(leftCol_, fixedCols_, count - 1);
    if (col_ >= count || col_ < fixedCols_)
        ForceCurrent(std::clamp(col_, fixedCols_, count - 1), row_);
    SizeChanged(oldCols, oldRows);
    UpdateScrollBars();
    InvalidateGrid();
}

void TStringGrid::setRowCount(int count) {
    count = std::max(1, count);
    if (count == RowCount()) return;
    const int oldCols = ColCount();
    const int oldRows = RowCount();
    HideEditor();
    for (auto& column : cells_)
        column.resize(size_t(count));
    rowHeights_.resize(size_t(count), defaultRowHeight_);
    if (fixedRows_ >= count) fixedRows_ = count - 1;
    topRow_ = std::clamp(topRow_, fixedRows_, count - 1);
    if (row_ >= count || row_ < fixedRows_)
        ForceCurrent(col_, std::clamp(row_, fixedRows_, count - 1));
    SizeChanged(oldCols, oldRows);
    UpdateScrollBars();
    InvalidateGrid();
}

void TStringGrid::setFixedCols(int count) {
    if (count < 0 || count >= ColCount()) {
        qWarning("TStringGrid::setFixedCols: %d does not leave a scrollable column", count);
        return;
    }
    if (count == fixedCols_) return;
    HideEditor();
    fixedCols_ = count;
    leftCol_ = count;
    if (col_ < count) ForceCurrent(count, row_);
    UpdateScrollBars();
    UpdateInputMethod();
    InvalidateGrid();
}

void TStringGrid::setFixedRows(int count) {
    if (count < 0 || count >= RowCount()) {
        qWarning("TStringGrid::setFixedRows: %d does not leave a scrollable row", count);
        return;
    }
    if (count == fixedRows_) return;
    HideEditor();
    fixedRows_ = count;
    topRow_ = count;
    if (row_ < count) ForceCurrent(col_, count);
    UpdateScrollBars();
    InvalidateGrid();
}

void TStringGrid::setDefaultColWidth(int width) {
    defaultColWidth_ = std::max(0, width);
    std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
    UpdateScrollBars();
    UpdateEditor();
    InvalidateGrid();
}

void TStringGrid::setDefaultRowHeight(int height) {
    defaultRowHeight_ = std::max(0, height);
    std::fill(rowHeights_.begin(), rowHeights_.end(), defaultRowHeight_);
    UpdateScrollBars();
    UpdateEditor();
    InvalidateGrid();
}

int TStringGrid::ColWidths(int col) const {
    return col >= 0 && col < ColCount() ? colWidths_[size_t(col)] : 0;
}

void TStringGrid::setColWidths(int col, int width) {
    if (col < 0 || col >= ColCount()) return;
    width = std::max(0, width);
    if (colWidths_[size_t(col)] == width) return;
    colWidths_[size_t(col)] = width;
    UpdateScrollBars();
    UpdateEditor();
    InvalidateGrid();
}

int TStringGrid::RowHeights(int row) const {
    return row >= 0 && row < RowCount() ? rowHeights_[size_t(row)] : 0;
}

void TStringGrid::setRowHeights(int row, int height) {
    if (row < 0 || row >= RowCount()) return;
    height = std::max(0, height);
    if (rowHeights_[size_t(row)] == height) return;
    rowHeights_[size_t(row)] = height;
    UpdateScrollBars();
    UpdateEditor();
    InvalidateGrid();
}

void TStringGrid::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    InvalidateGrid();
}

void TStringGrid::setFixedColor(const QColor& color) {
    if (color == fixedColor_) return;
    fixedColor_ = color;
    InvalidateGrid();
}

void TStringGrid::setOptions(TGridOptions options) {
    if (options == options_) return;
    options_ = options;
    verticalScrollBar()->setTracking(options_ & goThumbTracking);
    horizontalScrollBar()->setTracking(options_ & goThumbTracking);
    if (!(options_ & goEditing)) HideEditor();
    UpdateInputMethod();
    InvalidateGrid();
}

void TStringGrid::setDefaultDrawing(bool on) {
    if (on == defaultDrawing_) return;
    defaultDrawing_ = on;
    InvalidateGrid();
}

void TStringGrid::setEditorMode(bool on) {
    if (on)
        ShowEditor();
    else
        HideEditor();
}

// ---------------------------------------------------------------------------------------------
// Current cell and scrolling

void TStringGrid::setCol(int col) {
    if (col < fixedCols_ || col >= ColCount()) {
        qWarning("TStringGrid::setCol: %d is not a scrollable column", col);
        return;
    }
    if (col != col_) MoveCurrent(col, row_);
}

void TStringGrid::setRow(int row) {
    if (row < fixedRows_ || row >= RowCount()) {
        qWarning("TStringGrid::setRow: %d is not a scrollable row", row);
        return;
    }
    if (row != row_) MoveCurrent(col_, row);
}

bool TStringGrid::SelectCell(int col, int row) {
    bool canSelect = true;
    if (OnSelectCell) OnSelectCell(col, row, canSelect);
    return canSelect;
}

bool TStringGrid::MoveCurrent(int col, int row) {
    if (col == col_ && row == row_) return true;
    if (!SelectCell(col, row)) return false;
    // The handler may have resized the grid; a move that no longer fits is dropped.
    if (col < fixedCols_ || col >= ColCount() || row < fixedRows_ || row >= RowCount())
        return false;
    InvalidateCell(col_, row_);
    col_ = col;
    row_ = row;
    ScrollIntoView(col, row);
    InvalidateCell(col_, row_);
    UpdateInputMethod();
    if (editorMode_)
        LoadEditor(true);
    else if (options_ & goAlwaysShowEditor && HasFocusWithin())
        ShowEditor();
    return true;
}

void TStringGrid::ForceCurrent(int col, int row) {
    // The cell the grid had no longer exists: the move cannot be refused, but the owner still
    // hears of it.
    (void)SelectCell(col, row);
    col_ = std::clamp(col, fixedCols_, ColCount() - 1);
    row_ = std::clamp(row, fixedRows_, RowCount() - 1);
    UpdateInputMethod();
}

int TStringGrid::FixedExtent(const std::vector<int>& sizes, int fixed) const {
    int extent = 0;
    for (int i = 0; i < fixed; ++i)
        extent += sizes[size_t(i)] + GridLineWidth();
    return extent;
}

int TStringGrid::MaxTopRow() const {
    const int avail = viewport()->height() - FixedExtent(rowHeights_, fixedRows_);
    int used = 0;
    int top = RowCount();
    while (top > fixedRows_) {
        const int h = rowHeights_[size_t(top - 1)] + GridLineWidth();
        if (used + h > avail) break;
        used += h;
        --top;
    }
    return std::clamp(top, fixedRows_, RowCount() - 1);
}

int TStringGrid::MaxLeftCol() const {
    const int avail = viewport()->width() - FixedExtent(colWidths_, fixedCols_);
    int used = 0;
    int left = ColCount();
    while (left > fixedCols_) {
        const int w = colWidths_[size_t(left - 1)] + GridLineWidth();
        if (used + w > avail) break;
        used += w;
        --left;
    }
    return std::clamp(left, fixedCols_, ColCount() - 1);
}

int TStringGrid::VisibleRowCount() const {
    const int avail = viewport()->height() - FixedExtent(rowHeights_, fixedRows_);
    int used = 0;
    int count = 0;
    for (int r = topRow_; r < RowCount(); ++r) {
        used += rowHeights_[size_t(r)] + GridLineWidth();
        if (used > avail) break;
        ++count;
    }
    return count;
}

int TStringGrid::VisibleColCount() const {
    const int avail = viewport()->width() - FixedExtent(colWidths_, fixedCols_);
    int used = 0;
    int count = 0;
    for (int c = leftCol_; c < ColCount(); ++c) {
        used += colWidths_[size_t(c)] + GridLineWidth();
        if (used > avail) break;
        ++count;
    }
    return count;
}

void TStringGrid::setTopRow(int row) {
    row = std::clamp(row, fixedRows_, MaxTopRow());
    if (row == topRow_) return;
    topRow_ = row;
    verticalScrollBar()->setValue(row);
    viewport()->update();
    UpdateEditor();
}

void TStringGrid::setLeftCol(int col) {
    col = std::clamp(col, fixedCols_, MaxLeftCol());
    if (col == leftCol_) return;
    leftCol_ = col;
    horizontalScrollBar()->setValue(col);
    viewport()->update();
    UpdateEditor();
}

void TStringGrid::ScrollIntoView(int col, int row) {
    const int lw = GridLineWidth();
    if (row >= fixedRows_) {
        const int avail = viewport()->height() - FixedExtent(rowHeights_, fixedRows_);
        if (row < topRow_) {
            setTopRow(row);
        } else {
            int used = 0;
            for (int r = topRow_; r <= row && used <= avail; ++r)
                used += rowHeights_[size_t(r)] + lw;
            if (used > avail) {
                int top = row;
                used = rowHeights_[size_t(row)] + lw;
                while (top > fixedRows_ && used + rowHeights_[size_t(top - 1)] + lw <= avail) {
                    --top;
                    used += rowHeights_[size_t(top)] + lw;
                }
                setTopRow(top);
            }
        }
    }
    if (col >= fixedCols_) {
        const int avail = viewport()->width() - FixedExtent(colWidths_, fixedCols_);
        if (col < leftCol_) {
            setLeftCol(col);
        } else {
            int used = 0;
            for (int c = leftCol_; c <= col && used <= avail; ++c)
                used += colWidths_[size_t(c)] + lw;
            if (used > avail) {
                int left = col;
                used = colWidths_[size_t(col)] + lw;
                while (left > fixedCols_ && used + colWidths_[size_t(left - 1)] + lw <= avail) {
                    --left;
                    used += colWidths_[size_t(left)] + lw;
                }
                setLeftCol(left);
            }
        }
    }
}

void TStringGrid::UpdateScrollBars() {
    QScrollBar* vbar = verticalScrollBar();
    vbar->setRange(fixedRows_, MaxTopRow());
    vbar->setSingleStep(1);
    topRow_ = std::clamp(topRow_, vbar->minimum(), vbar->maximum());
    vbar->setValue(topRow_);
    vbar->setPageStep(std::max(1, VisibleRowCount()));

    QScrollBar* hbar = horizontalScrollBar();
    hbar->setRange(fixedCols_, MaxLeftCol());
    hbar->setSingleStep(1);
    leftCol_ = std::clamp(leftCol_, hbar->minimum(), hbar->maximum());
    hbar->setValue(leftCol_);
    hbar->setPageStep(std::max(1, VisibleColCount()));
}

void TStringGrid::scrollContentsBy(int, int) {
    // The scroll bars count rows and columns, not pixels.
    topRow_ = verticalScrollBar()->value();
    leftCol_ = horizontalScrollBar()->value();
    viewport()->update();
    UpdateEditor();
}

void TStringGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    UpdateEditor();
}

// ---------------------------------------------------------------------------------------------
// Geometry

int TStringGrid::LeftOf(int col) const {
    const int lw = GridLineWidth();
    const int width = viewport()->width();
    if (col < 0 || col >= ColCount()) return -1;
    int x = 0;
    if (col < fixedCols_) {
        for (int c = 0; c < col; ++c)
            x += colWidths_[size_t(c)] + lw;
    } else {
        if (col < leftCol_) return -1;
        x = FixedExtent(colWidths_, fixedCols_);
        for (int c = leftCol_; c < col && x < width; ++c)
            x += colWidths_[size_t(c)] + lw;
    }
    return x < width ? x : -1;
}

int TStringGrid::TopOf(int row) const {
    const int lw = GridLineWidth();
    const int height = viewport()->height();
    if (row < 0 || row >= RowCount()) return -1;
    int y = 0;
    if (row < fixedRows_) {
        for (int r = 0; r < row; ++r)
            y += rowHeights_[size_t(r)] + lw;
    } else {
        if (row < topRow_) return -1;
        y = FixedExtent(rowHeights_, fixedRows_);
        for (int r = topRow_; r < row && y < height; ++r)
            y += rowHeights_[size_t(r)] + lw;
    }
    return y < height ? y : -1;
}

QRect TStringGrid::CellGeometry(int col, int row) const {
    const int x = LeftOf(col);
    const int y = TopOf(row);
    if (x < 0 || y < 0) return {};
    return {x, y, colWidths_[size_t(col)], rowHeights_[size_t(row)]};
}

QRect TStringGrid::CellRect(int col, int row) const {
    return CellGeometry(col, row);
}

void TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
    col = -1;
    row = -1;
    if (x < 0 || y < 0) return;
    const int lw = GridLineWidth();
    // Each cell owns the grid line at its right and bottom edge.
    int hitCol = -1;
    int edge = 0;
    for (int c = 0; c < fixedCols_ && hitCol < 0; ++c) {
        edge += colWidths_[size_t(c)] + lw;
        if (x < edge) hitCol = c;
    }
    for (int c = leftCol_; c < ColCount() && hitCol < 0 && edge <= x; ++c) {
        edge += colWidths_[size_t(c)] + lw;
        if (x < edge) hitCol = c;
    }
    int hitRow = -1;
    edge = 0;
    for (int r = 0; r < fixedRows_ && hitRow < 0; ++r) {
        edge += rowHeights_[size_t(r)] + lw;
        if (y < edge) hitRow = r;
    }
    for (int r = topRow_; r < RowCount() && hitRow < 0 && edge <= y; ++r) {
        edge += rowHeights_[size_t(r)] + lw;
        if (y < edge) hitRow = r;
    }
    if (hitCol >= 0 && hitRow >= 0) {
        col = hitCol;
        row = hitRow;
    }
}

int TStringGrid::TextWidth(std::string_view bytes) const {
    return TextWidth(bytes, font());
}

int TStringGrid::TextWidth(std::string_view bytes, const QFont& font) {
    return QFontMetrics(font).horizontalAdvance(toQt(bytes));
}

void TStringGrid::InvalidateCell(int col, int row) {
    // Rows far below the view are the common case while a large grid fills; skip them cheaply.
    if (row >= fixedRows_ && row < topRow_) return;
    const QRect rect = CellGeometry(col, row);
    if (!rect.isNull()) viewport()->update(rect.adjusted(0, 0, GridLineWidth(), GridLineWidth()));
}

void TStringGrid::InvalidateGrid() {
    viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Painting

void TStringGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    painter.fillRect(dirty, color_);

    const int lw = GridLineWidth();
    const int width = viewport()->width();
    const int height = viewport()->height();
    std::vector<std::pair<int, int>> cols; // index, left
    std::vector<std::pair<int, int>> rows; // index, top
    int x = 0;
    for (int c = 0; c < fixedCols_ && x < width; ++c) {
        cols.emplace_back(c, x);
        x += colWidths_[size_t(c)] + lw;
    }
    for (int c = leftCol_; c < ColCount() && x < width; ++c) {
        cols.emplace_back(c, x);
        x += colWidths_[size_t(c)] + lw;
    }
    int y = 0;
    for (int r = 0; r < fixedRows_ && y < height; ++r) {
        rows.emplace_back(r, y);
        y += rowHeights_[size_t(r)] + lw;
    }
    for (int r = topRow_; r < RowCount() && y < height; ++r) {
        rows.emplace_back(r, y);
        y += rowHeights_[size_t(r)] + lw;
    }

    const bool focused = HasFocusWithin();
    const bool editing = editor_ && editor_->isVisible();
    const QColor fixedLine = palette().color(QPalette::Dark);
    for (const auto& [row, top] : rows) {
        const int h = rowHeights_[size_t(row)];
        for (const auto& [col, left] : cols) {
            const int w = colWidths_[size_t(col)];
            const QRect rect(left, top, w, h);
            if (!rect.adjusted(0, 0, lw, lw).intersects(dirty)) continue;
            const bool fixed = col < fixedCols_ || row < fixedRows_;
            TGridDrawState state;
            if (fixed) state |= gdFixed;
            if (!fixed && col == col_ && row == row_) {
                state |= gdSelected;
                if (focused) state |= gdFocused;
            }
            // The current cell is highlighted only while the grid is not focused; with the
            // focus it gets the focus rectangle instead.
            const bool highlight = (state & gdSelected) && !(state & gdFocused);
            if (w > 0 && h > 0) {
                painter.save();
                painter.setClipRect(rect);
                painter.fillRect(rect, fixed       ? fixedColor_
                                       : highlight ? palette().color(QPalette::Highlight)
                                                   : color_);
                painter.setFont(font());
                painter.setPen(
                    palette().color(highlight ? QPalette::HighlightedText : QPalette::Text));
                DrawCell(col, row, rect, state, painter);
                painter.restore();
                if (defaultDrawing_ && (state & gdFocused) && !editing) {
                    // A dotted frame, drawn whatever the style (some draw focus frames only
                    // after keyboard navigation).
                    painter.save();
                    painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
                    painter.drawRect(rect.adjusted(0, 0, -1, -1));
                    painter.restore();
                }
            }
            if (options_ & (fixed ? goFixedVertLine : goVertLine))
                painter.fillRect(QRect(left + w, top, lw, h + lw), fixed ? fixedLine : kLineColor);
            if (options_ & (fixed ? goFixedHorzLine : goHorzLine))
                painter.fillRect(QRect(left, top + h, w + lw, lw), fixed ? fixedLine : kLineColor);
        }
    }
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
    if (!OnDrawCell) return;
    // An owner's painting failure must not break the paint of the whole grid.
    try {
        OnDrawCell(col, row, rect, state, painter);
    } catch (const std::exception& error) {
        qWarning("TStringGrid: OnDrawCell failed: %s", error.what());
    } catch (...) {
        qWarning("TStringGrid: OnDrawCell failed");
    }
}

// ---------------------------------------------------------------------------------------------
// Editor

TInplaceEdit* TStringGrid::CreateEditor() {
    return new TInplaceEdit(this);
}

bool TStringGrid::CanEditModify() {
    return true;
}

bool TStringGrid::CanEditShow() {
    return (options_ & goEditing) && isEnabled() && col_ >= fixedCols_ && row_ >= fixedRows_;
}

std::string TStringGrid::GetEditText(int col, int row) {
    return Cells(col, row);
}

void TStringGrid::SetEditText(int col, int row, const std::string& value) {
    setCells(col, row, value);
}

void TStringGrid::SizeChanged(int, int) {}

bool TStringGrid::InputMethodAllowed(int) const {
    return true;
}

void TStringGrid::ShowEditor() {
    if (!CanEditShow()) return;
    if (!editor_) {
        editor_ = CreateEditor();
        connect(editor_, &QLineEdit::textChanged, this, &TStringGrid::EditorTextChanged);
    }
    editorMode_ = true;
    ScrollIntoView(col_, row_);
    LoadEditor(true);
}

void TStringGrid::HideEditor() {
    if (!editorMode_) return;
    editorMode_ = false;
    if (editor_) {
        if (editor_->hasFocus()) setFocus(Qt::OtherFocusReason);
        editor_->hide();
    }
    InvalidateCell(col_, row_);
}

void TStringGrid::LoadEditor(bool selectAll) {
    if (!CanEditShow()) {
        HideEditor();
        return;
    }
    const QRect rect = CellGeometry(col_, row_);
    if (rect.isNull()) {
        HideEditor();
        return;
    }
    const bool takeFocus = HasFocusWithin();
    loadingEditor_ = true;
    editOriginal_ = Cells(col_, row_);
    editor_->setReadOnly(!CanEditModify());
    editor_->setText(toQt(GetEditText(col_, row_)));
    loadingEditor_ = false;
    editor_->setGeometry(rect);
    if (selectAll)
        editor_->selectAll();
    else
        editor_->end(false);
    editor_->show();
    editor_->update();
    if (takeFocus) editor_->setFocus(Qt::OtherFocusReason);
    InvalidateCell(col_, row_);
}

void TStringGrid::UpdateEditor() {
    if (!editorMode_ || !editor_) return;
    const QRect rect = CellGeometry(col_, row_);
    if (rect.isNull())
        HideEditor();
    else
        editor_->setGeometry(rect);
}

void TStringGrid::EditorTextChanged(const QString& text) {
    if (loadingEditor_ || !editorMode_) return;
    writingBack_ = true;
    SetEditText(col_, row_, fromQt(text));
    writingBack_ = false;
}

// ---------------------------------------------------------------------------------------------
// Keyboard

bool TStringGrid::EditorKey(QKeyEvent* event) {
    const auto mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Escape:
        // Typing wrote into the cell as it went; put back what it held before.
        setCells(col_, row_, editOriginal_);
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
            const bool back = event->key() == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
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
        if (ctrl || (editor_->cursorPosition() == 0 && !editor_->hasSelectedText())) {
            keyPressEvent(event);
            return true;
        }
        return false;
    case Qt::Key_Right:
    case Qt::Key_End:
        if (ctrl ||
            (editor_->cursorPosition() == editor_->text().size() && !editor_->hasSelectedText())) {
            keyPressEvent(event);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
    const auto mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    int col = col_;
    int row = row_;
    bool move = true;
    switch (event->key()) {
    case Qt::Key_Up:
        row = std::max(fixedRows_, row - 1);
        break;
    case Qt::Key_Down:
        row = std::min(RowCount() - 1, row + 1);
        break;
    case Qt::Key_Left:
        col = std::max(fixedCols_, col - 1);
        break;
    case Qt::Key_Right:
        col = std::min(ColCount() - 1, col + 1);
        break;
    case Qt::Key_PageUp:
        row = std::max(fixedRows_, row - std::max(1, VisibleRowCount()));
        break;
    case Qt::Key_PageDown:
        row = std::min(RowCount() - 1, row + std::max(1, VisibleRowCount()));
        break;
    case Qt::Key_Home:
        col = fixedCols_;
        if (ctrl) row = fixedRows_;
        break;
    case Qt::Key_End:
        col = ColCount() - 1;
        if (ctrl) row = RowCount() - 1;
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!(options_ & goTabs)) {
            move = false;
            break;
        }
        if (event->key() == Qt::Key_Backtab || (mods & Qt::ShiftModifier)) {
            if (--col < fixedCols_) {
                col = ColCount() - 1;
                row = row > fixedRows_ ? row - 1 : RowCount() - 1;
            }
        } else if (++col >= ColCount()) {
            col = fixedCols_;
            row = row + 1 < RowCount() ? row + 1 : fixedRows_;
        }
        break;
    default:
        move = false;
        break;
    }
    if (move) {
        if (col != col_ || row != row_)
            MoveCurrent(col, row);
        else
            ScrollIntoView(col, row);
        event->accept();
        return;
    }

    switch (event->key()) {
    case Qt::Key_F2:
        if (options_ & goEditing) {
            ShowEditor();
            if (editorMode_) editor_->end(false);
        }
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!(options_ & goAlwaysShowEditor)) {
            if (editorMode_)
                HideEditor();
            else
                ShowEditor();
        }
        event->accept();
        return;
    default:
        break;
    }

    // Typing a character opens the editor over the current text, which the character replaces.
    const QString text = event->text();
    // A key a read-only editor ignores comes back up to the grid; it ends here.
    if ((options_ & goEditing) && !forwardingKey_ && !text.isEmpty() && text.at(0).isPrint() &&
        !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        if (!editorMode_) ShowEditor();
        if (editorMode_ && editor_->isVisible()) {
            QKeyEvent copy(event->type(), event->key(), mods, text, event->isAutoRepeat(),
                           ushort(event->count()));
            forwardingKey_ = true;
            QCoreApplication::sendEvent(editor_, &copy);
            forwardingKey_ = false;
            event->accept();
            return;
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool TStringGrid::focusNextPrevChild(bool next) {
    // With goTabs the grid keeps Tab for moving between cells.
    if (options_ & goTabs) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TStringGrid::LeaveByTab(bool next) {
    // Step from the grid itself, so the editor (a child) is not taken for the previous control.
    if (editor_ && editor_->hasFocus())
        setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    QWidget::focusNextPrevChild(next);
}

void TStringGrid::inputMethodEvent(QInputMethodEvent* event) {
    // Composition started on the grid: open the editor and let it take the composition.
    if (!editorMode_) ShowEditor();
    if (editorMode_ && editor_->isVisible()) {
        QCoreApplication::sendEvent(editor_, event);
        return;
    }
    event->ignore();
}

QVariant TStringGrid::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return bool(options_ & goEditing) && InputMethodAllowed(col_);
    case Qt::ImCursorRectangle:
        return CellGeometry(col_, row_);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void TStringGrid::UpdateInputMethod() {
    setAttribute(Qt::WA_InputMethodEnabled, (options_ & goEditing) && InputMethodAllowed(col_));
    if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

// ---------------------------------------------------------------------------------------------
// Focus

bool TStringGrid::HasFocusWithin() const {
    return hasFocus() || (editor_ && editor_->hasFocus());
}

void TStringGrid::focusInEvent(QFocusEvent* event) {
    focusedByClick_ = event->reason() == Qt::MouseFocusReason;
    InvalidateCell(col_, row_);
    QAbstractScrollArea::focusInEvent(event);
}

void TStringGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    FocusLeft(event);
}

void TStringGrid::FocusLeft(QFocusEvent* event) {
    InvalidateCell(col_, row_);
    // Another window or a pop-up menu took the focus for a moment; the grid still owns it
    // within its own window.
    const auto reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    QWidget* now = QApplication::focusWidget();
    if (now && (now == this || isAncestorOf(now))) return;
    HideEditor();
    if (OnExit) OnExit();
}

void TStringGrid::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) HideEditor();
    QAbstractScrollArea::changeEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Mouse

bool TStringGrid::SizingHit(int x, int y, Sizing& sizing) const {
    const int lw = GridLineWidth();
    const int grip = 3;
    if ((options_ & goColSizing) && y < FixedExtent(rowHeights_, fixedRows_)) {
        for (int c = 0; c < ColCount(); ++c) {
            const int left = LeftOf(c);
            if (left < 0) continue;
            const int edge = left + colWidths_[size_t(c)] + lw / 2;
            if (std::abs(x - edge) <= grip) {
                sizing = {true, c, left};
                return true;
            }
            if (left > x + grip) break;
        }
    }
    if ((options_ & goRowSizing) && x < FixedExtent(colWidths_, fixedCols_)) {
        for (int r = 0; r < RowCount(); ++r) {
            const int top = TopOf(r);
            if (top < 0) {
                if (r >= fixedRows_ && r > topRow_) break;
                continue;
            }
            const int edge = top + rowHeights_[size_t(r)] + lw / 2;
            if (std::abs(y - edge) <= grip) {
                sizing = {false, r, top};
                return true;
            }
            if (top > y + grip) break;
        }
    }
    return false;
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const bool byClick = focusedByClick_;
    focusedByClick_ = false;
    Sizing sizing;
    if (event->button() == Qt::LeftButton && SizingHit(pos.x(), pos.y(), sizing)) {
        sizing_ = sizing;
        sizingActive_ = true;
    } else if (event->button() == Qt::LeftButton) {
        int col = -1;
        int row = -1;
        MouseToCell(pos.x(), pos.y(), col, row);
        if (col >= fixedCols_ && row >= fixedRows_) {
            if (col == col_ && row == row_) {
                // A click on the current cell of a grid that already had the focus edits it.
                if (!byClick && (options_ & goEditing) && !editorMode_) ShowEditor();
            } else {
                if (!(options_ & goAlwaysShowEditor)) HideEditor();
                MoveCurrent(col, row);
            }
        }
    }
    event->accept();
    if (OnMouseDown) OnMouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (sizingActive_) {
        const int size = std::max(1, (sizing_.columns ? pos.x() : pos.y()) - sizing_.start);
        if (sizing_.columns)
            setColWidths(sizing_.index, size);
        else
            setRowHeights(sizing_.index, size);
        return;
    }
    Sizing sizing;
    if (event->buttons() == Qt::NoButton && SizingHit(pos.x(), pos.y(), sizing))
        viewport()->setCursor(sizing.columns ? Qt::SplitHCursor : Qt::SplitVCursor);
    else
        viewport()->unsetCursor();
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event) {
    sizingActive_ = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
}

} // namespace mv
