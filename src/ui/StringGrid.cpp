#include "ui/StringGrid.h"

#include "ui/GridAccessible.h"

#include "platform/codepage.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QtDebug>

#include <algorithm>

namespace mv {

namespace {

const std::string kEmpty;

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

TStringGrid::TStringGrid(QWidget* parent) : QAbstractScrollArea(parent), edit_(*this) {
    color_ = palette().color(QPalette::Base);
    fixedColor_ = palette().color(QPalette::Button);
    options_ = TGridOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine);
    geometry_.cols.sizes.assign(5, defaultColWidth_);
    geometry_.rows.sizes.assign(5, defaultRowHeight_);
    cells_.assign(5, std::vector<std::string>(5));

    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setTracking(false);
    horizontalScrollBar()->setTracking(false);
    edit_.UpdateInputMethod();
    UpdateScrollBars();
    InstallGridAccessibility();
}

TStringGrid::~TStringGrid() {
    edit_.Release();
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
    edit_.CellChanged(col, row);
    NotifyGridCellChanged(this, col, row);
}

void TStringGrid::setColCount(int count) {
    count = std::max(1, count);
    if (count == ColCount()) return;
    const int oldCols = ColCount();
    const int oldRows = RowCount();
    HideEditor();
    GridAxis& cols = geometry_.cols;
    cells_.resize(size_t(count), std::vector<std::string>(size_t(RowCount())));
    cols.sizes.resize(size_t(count), defaultColWidth_);
    if (cols.fixed >= count) cols.fixed = count - 1;
    cols.first = std::clamp(cols.first, cols.fixed, count - 1);
    if (col_ >= count || col_ < cols.fixed)
        ForceCurrent(std::clamp(col_, cols.fixed, count - 1), row_);
    SizeChanged(oldCols, oldRows);
    UpdateScrollBars();
    InvalidateGrid();
    NotifyGridResized(this);
}

void TStringGrid::setRowCount(int count) {
    count = std::max(1, count);
    if (count == RowCount()) return;
    const int oldCols = ColCount();
    const int oldRows = RowCount();
    HideEditor();
    GridAxis& rows = geometry_.rows;
    for (auto& column : cells_)
        column.resize(size_t(count));
    rows.sizes.resize(size_t(count), defaultRowHeight_);
    if (rows.fixed >= count) rows.fixed = count - 1;
    rows.first = std::clamp(rows.first, rows.fixed, count - 1);
    if (row_ >= count || row_ < rows.fixed)
        ForceCurrent(col_, std::clamp(row_, rows.fixed, count - 1));
    SizeChanged(oldCols, oldRows);
    UpdateScrollBars();
    InvalidateGrid();
    NotifyGridResized(this);
}

void TStringGrid::setFixedCols(int count) {
    if (count < 0 || count >= ColCount()) {
        qWarning("TStringGrid::setFixedCols: %d does not leave a scrollable column", count);
        return;
    }
    if (count == FixedCols()) return;
    HideEditor();
    geometry_.cols.fixed = count;
    geometry_.cols.first = count;
    if (col_ < count) ForceCurrent(count, row_);
    UpdateScrollBars();
    edit_.UpdateInputMethod();
    InvalidateGrid();
}

void TStringGrid::setFixedRows(int count) {
    if (count < 0 || count >= RowCount()) {
        qWarning("TStringGrid::setFixedRows: %d does not leave a scrollable row", count);
        return;
    }
    if (count == FixedRows()) return;
    HideEditor();
    geometry_.rows.fixed = count;
    geometry_.rows.first = count;
    if (row_ < count) ForceCurrent(col_, count);
    UpdateScrollBars();
    InvalidateGrid();
}

void TStringGrid::setDefaultColWidth(int width) {
    defaultColWidth_ = std::max(0, width);
    std::fill(geometry_.cols.sizes.begin(), geometry_.cols.sizes.end(), defaultColWidth_);
    UpdateScrollBars();
    edit_.Place();
    InvalidateGrid();
}

void TStringGrid::setDefaultRowHeight(int height) {
    defaultRowHeight_ = std::max(0, height);
    std::fill(geometry_.rows.sizes.begin(), geometry_.rows.sizes.end(), defaultRowHeight_);
    UpdateScrollBars();
    edit_.Place();
    InvalidateGrid();
}

int TStringGrid::ColWidths(int col) const {
    return col >= 0 && col < ColCount() ? geometry_.cols.Size(col) : 0;
}

void TStringGrid::setColWidths(int col, int width) {
    if (col < 0 || col >= ColCount()) return;
    width = std::max(0, width);
    if (geometry_.cols.Size(col) == width) return;
    geometry_.cols.sizes[size_t(col)] = width;
    UpdateScrollBars();
    edit_.Place();
    InvalidateGrid();
}

int TStringGrid::RowHeights(int row) const {
    return row >= 0 && row < RowCount() ? geometry_.rows.Size(row) : 0;
}

void TStringGrid::setRowHeights(int row, int height) {
    if (row < 0 || row >= RowCount()) return;
    height = std::max(0, height);
    if (geometry_.rows.Size(row) == height) return;
    geometry_.rows.sizes[size_t(row)] = height;
    UpdateScrollBars();
    edit_.Place();
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
    edit_.UpdateInputMethod();
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
    if (col < FixedCols() || col >= ColCount()) {
        qWarning("TStringGrid::setCol: %d is not a scrollable column", col);
        return;
    }
    if (col != col_) MoveCurrent(col, row_);
}

void TStringGrid::setRow(int row) {
    if (row < FixedRows() || row >= RowCount()) {
        qWarning("TStringGrid::setRow: %d is not a scrollable row", row);
        return;
    }
    if (row != row_) MoveCurrent(col_, row);
}

bool TStringGrid::SelectCell(int col, int row) {
    bool canSelect = true;
    emit OnSelectCell(col, row, canSelect);
    return canSelect;
}

bool TStringGrid::MoveCurrent(int col, int row) {
    if (col == col_ && row == row_) return true;
    if (!SelectCell(col, row)) return false;
    // The handler may have resized the grid; a move that no longer fits is dropped.
    if (col < FixedCols() || col >= ColCount() || row < FixedRows() || row >= RowCount())
        return false;
    InvalidateCell(col_, row_);
    col_ = col;
    row_ = row;
    ScrollIntoView(col, row);
    InvalidateCell(col_, row_);
    edit_.UpdateInputMethod();
    edit_.FollowCurrent();
    NotifyGridCurrentChanged(this);
    return true;
}

void TStringGrid::ForceCurrent(int col, int row) {
    // The cell the grid had no longer exists: the move cannot be refused, but the owner still
    // hears of it.
    (void)SelectCell(col, row);
    col_ = std::clamp(col, FixedCols(), ColCount() - 1);
    row_ = std::clamp(row, FixedRows(), RowCount() - 1);
    edit_.UpdateInputMethod();
    NotifyGridCurrentChanged(this);
}

QSize TStringGrid::ViewSize() const {
    return viewport()->size();
}

int TStringGrid::VisibleRowCount() const {
    return geometry_.rows.VisibleCount(ViewSize().height());
}

int TStringGrid::VisibleColCount() const {
    return geometry_.cols.VisibleCount(ViewSize().width());
}

void TStringGrid::setTopRow(int row) {
    row = std::clamp(row, FixedRows(), geometry_.rows.MaxFirst(ViewSize().height()));
    if (row == TopRow()) return;
    geometry_.rows.first = row;
    verticalScrollBar()->setValue(row);
    viewport()->update();
    edit_.Place();
}

void TStringGrid::setLeftCol(int col) {
    col = std::clamp(col, FixedCols(), geometry_.cols.MaxFirst(ViewSize().width()));
    if (col == LeftCol()) return;
    geometry_.cols.first = col;
    horizontalScrollBar()->setValue(col);
    viewport()->update();
    edit_.Place();
}

void TStringGrid::ScrollIntoView(int col, int row) {
    const QSize view = ViewSize();
    const int top = geometry_.rows.FirstShowing(row, view.height());
    if (top != TopRow()) setTopRow(top);
    const int left = geometry_.cols.FirstShowing(col, view.width());
    if (left != LeftCol()) setLeftCol(left);
}

void TStringGrid::UpdateScrollBars() {
    // The scroll bars count rows and columns, not pixels.
    const QSize view = ViewSize();
    const auto update = [](QScrollBar* bar, GridAxis& axis, int extent) {
        bar->setRange(axis.fixed, axis.MaxFirst(extent));
        bar->setSingleStep(1);
        axis.first = std::clamp(axis.first, bar->minimum(), bar->maximum());
        bar->setValue(axis.first);
        bar->setPageStep(std::max(1, axis.VisibleCount(extent)));
    };
    update(verticalScrollBar(), geometry_.rows, view.height());
    update(horizontalScrollBar(), geometry_.cols, view.width());
}

void TStringGrid::scrollContentsBy(int, int) {
    geometry_.rows.first = verticalScrollBar()->value();
    geometry_.cols.first = horizontalScrollBar()->value();
    viewport()->update();
    edit_.Place();
}

void TStringGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    edit_.Place();
}

// ---------------------------------------------------------------------------------------------
// Geometry

QRect TStringGrid::CellGeometry(int col, int row) const {
    return geometry_.CellRect(col, row, ViewSize());
}

QRect TStringGrid::CellRect(int col, int row) const {
    return CellGeometry(col, row);
}

void TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
    geometry_.MouseToCell(x, y, col, row);
}

int TStringGrid::TextWidth(std::string_view bytes) const {
    return TextWidth(bytes, font());
}

int TStringGrid::TextWidth(std::string_view bytes, const QFont& font) {
    return QFontMetrics(font).horizontalAdvance(toQt(bytes));
}

bool TStringGrid::TextFitsWithin(std::string_view bytes, int width) const {
    if (bytes.empty()) return width >= 0;
    if (!widthBound_ || widthBound_->Font() != font()) widthBound_.emplace(font());
    // UTF-8 bytes are bounded without making a string of them; the string is made only for
    // the few texts that must be measured.
    const bool utf8 = &CodePage::active() == &CodePage::utf8();
    if (utf8) {
        if (const std::optional<int> bound = widthBound_->OfUtf8(bytes); bound && *bound <= width)
            return true;
    }
    const QString text = toQt(bytes);
    if (!utf8) {
        if (const std::optional<int> bound = widthBound_->Of(text); bound && *bound <= width)
            return true;
    }
    return QFontMetrics(font()).horizontalAdvance(text) <= width;
}

void TStringGrid::InvalidateCell(int col, int row) {
    // Rows far below the view are the common case while a large grid fills; skip them cheaply.
    if (row >= FixedRows() && row < TopRow()) return;
    const QRect rect = CellGeometry(col, row);
    if (!rect.isNull()) viewport()->update(rect.adjusted(0, 0, GridLineWidth(), GridLineWidth()));
}

void TStringGrid::InvalidateGrid() {
    viewport()->update();
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
    return (options_ & goEditing) && isEnabled() && col_ >= FixedCols() && row_ >= FixedRows();
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
    edit_.Show();
}

void TStringGrid::HideEditor() {
    edit_.Hide();
}

void TStringGrid::inputMethodEvent(QInputMethodEvent* event) {
    if (!edit_.TakeComposition(event)) event->ignore();
}

QVariant TStringGrid::inputMethodQuery(Qt::InputMethodQuery query) const {
    bool answered = false;
    const QVariant answer = edit_.InputMethodQuery(query, answered);
    return answered ? answer : QAbstractScrollArea::inputMethodQuery(query);
}

// ---------------------------------------------------------------------------------------------
// Focus

bool TStringGrid::HasFocusWithin() const {
    return hasFocus() || edit_.HasFocus();
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
    emit OnExit();
}

void TStringGrid::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) HideEditor();
    QAbstractScrollArea::changeEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const bool byClick = focusedByClick_;
    focusedByClick_ = false;
    GridGeometry::Sizing sizing;
    if (event->button() == Qt::LeftButton &&
        geometry_.SizingHit(pos.x(), pos.y(), ViewSize(), options_ & goColSizing,
                            options_ & goRowSizing, sizing)) {
        sizing_ = sizing;
        sizingActive_ = true;
    } else if (event->button() == Qt::LeftButton) {
        int col = -1;
        int row = -1;
        MouseToCell(pos.x(), pos.y(), col, row);
        if (col >= FixedCols() && row >= FixedRows()) {
            if (col == col_ && row == row_) {
                // A click on the current cell of a grid that already had the focus edits it.
                if (!byClick && (options_ & goEditing) && !EditorMode()) ShowEditor();
            } else {
                if (!(options_ & goAlwaysShowEditor)) HideEditor();
                MoveCurrent(col, row);
            }
        }
    }
    event->accept();
    emit OnMouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
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
    GridGeometry::Sizing sizing;
    if (event->buttons() == Qt::NoButton &&
        geometry_.SizingHit(pos.x(), pos.y(), ViewSize(), options_ & goColSizing,
                            options_ & goRowSizing, sizing))
        viewport()->setCursor(sizing.columns ? Qt::SplitHCursor : Qt::SplitVCursor);
    else
        viewport()->unsetCursor();
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event) {
    sizingActive_ = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
}

} // namespace mv
