#pragma once
// TStringGrid: a table of byte-string cells with fixed title rows/columns, column widths, row
// heights, a current cell and an in-place editor. It paints only the visible cells, so grids of
// tens of thousands of rows stay cheap. Cells hold the program's bytes; the code page is applied
// only when a cell is drawn or edited.

#include "ui/GridEditController.h"
#include "ui/GridGeometry.h"
#include "ui/TextWidthBound.h"

#include <QAbstractScrollArea>
#include <QFlags>
#include <QLineEdit>
#include <QPainter>
#include <optional>

#include <string>
#include <string_view>
#include <vector>

namespace mv {

class TStringGrid;

enum TGridOption : unsigned {
    goFixedVertLine = 0x0001,
    goFixedHorzLine = 0x0002,
    goVertLine = 0x0004,
    goHorzLine = 0x0008,
    goRowSizing = 0x0010, // drag row borders in the fixed columns
    goColSizing = 0x0020, // drag column borders in the fixed rows
    goEditing = 0x0040,
    goTabs = 0x0080,             // Tab moves between cells instead of leaving the grid
    goAlwaysShowEditor = 0x0100, // the editor opens on every cell the grid moves to
    goThumbTracking = 0x0200,    // scroll while the scroll bar thumb is dragged
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)

enum TGridDrawStateFlag : unsigned {
    gdSelected = 0x1, // the current cell
    gdFocused = 0x2,  // the current cell while the grid (or its editor) has the focus
    gdFixed = 0x4,    // a title cell
};
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)

// The grid's in-place editor. It belongs to the grid: its focus counts as the grid's focus.
class TInplaceEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TInplaceEdit(TStringGrid* grid);
    TStringGrid* Grid() const { return grid_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class GridEditController;
    TStringGrid* grid_;
};

class TStringGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);
    ~TStringGrid() override;

    // Cells. Reading outside the grid gives an empty text; writing outside it is ignored.
    const std::string& Cells(int col, int row) const;
    void setCells(int col, int row, std::string text);

    int ColCount() const { return geometry_.cols.Count(); }
    void setColCount(int count); // at least 1; FixedCols shrinks to stay below it
    int RowCount() const { return geometry_.rows.Count(); }
    void setRowCount(int count); // at least 1; FixedRows shrinks to stay below it
    int FixedCols() const { return geometry_.cols.fixed; }
    void setFixedCols(int count); // 0 .. ColCount-1, other values are ignored
    int FixedRows() const { return geometry_.rows.fixed; }
    void setFixedRows(int count); // 0 .. RowCount-1, other values are ignored

    int DefaultColWidth() const { return defaultColWidth_; }
    void setDefaultColWidth(int width); // resets every column width
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void setDefaultRowHeight(int height); // resets every row height
    int ColWidths(int col) const;
    void setColWidths(int col, int width);
    int RowHeights(int row) const;
    void setRowHeights(int row, int height);
    int GridLineWidth() const { return GridAxis::kLineWidth; }

    // Current cell. Setting it raises OnSelectCell, which may refuse the move.
    int Col() const { return col_; }
    void setCol(int col);
    int Row() const { return row_; }
    void setRow(int row);
    // First scrollable row/column shown after the fixed ones.
    int TopRow() const { return geometry_.rows.first; }
    void setTopRow(int row);
    int LeftCol() const { return geometry_.cols.first; }
    void setLeftCol(int col);
    int VisibleRowCount() const; // fully visible scrollable rows
    int VisibleColCount() const;

    QColor Color() const { return color_; } // background of normal cells
    void setColor(const QColor& color);
    QColor FixedColor() const { return fixedColor_; } // background of title cells
    void setFixedColor(const QColor& color);
    TGridOptions Options() const { return options_; }
    void setOptions(TGridOptions options);
    // Off: cells get only their background; OnDrawCell does the rest.
    bool DefaultDrawing() const { return defaultDrawing_; }
    void setDefaultDrawing(bool on);

    bool EditorMode() const { return edit_.Active(); }
    void setEditorMode(bool on);
    TInplaceEdit* InplaceEditor() const { return edit_.Editor(); }

    // Geometry in viewport coordinates (the coordinates of OnMouseDown). CellRect is empty for a
    // cell that is not on screen; MouseToCell gives -1, -1 for a point outside the cells.
    QRect CellRect(int col, int row) const;
    void MouseToCell(int x, int y, int& col, int& row) const;
    // Width of `bytes` drawn in the grid's font, or in `font`.
    int TextWidth(std::string_view bytes) const;
    static int TextWidth(std::string_view bytes, const QFont& font);
    // True when `bytes` in the grid's font is surely no wider than `width`: a bound from
    // the characters' own advances, so only a text that may be wider gets measured whole.
    bool TextFitsWithin(std::string_view bytes, int width) const;

signals:
    // OnSelectCell comes before the current cell changes (click, keyboard or setCol/setRow);
    // set `canSelect` false to refuse (connect directly). OnDrawCell comes after the grid drew
    // a cell; the painter is clipped to the cell and carries the font the grid used. OnExit
    // comes when the keyboard focus leaves the grid and its editor for another widget (or for
    // none) of the same window. OnMouseDown comes for every press the grid itself handles,
    // after its own handling. OnEditText comes when the user changes the text of the cell
    // being edited (typing, or Escape putting the cell back), with the text the cell now holds.
    void OnSelectCell(int col, int row, bool& canSelect);
    void OnDrawCell(int col, int row, const QRect& rect, mv::TGridDrawState state,
                    QPainter& painter);
    void OnExit();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void OnEditText(int col, int row, const std::string& text);

protected:
    // Steps a descendant may replace.
    virtual void DrawCell(int col, int row, const QRect& rect, TGridDrawState state,
                          QPainter& painter);
    void DrawCellEvent(int col, int row, const QRect& rect, TGridDrawState state,
                       QPainter& painter);
    virtual bool SelectCell(int col, int row);
    virtual TInplaceEdit* CreateEditor();
    virtual bool CanEditModify();
    virtual bool CanEditShow();
    // Prepares the editor for (col, row) and gives its starting text.
    virtual std::string GetEditText(int col, int row);
    // Stores what the editor reports for (col, row).
    virtual void SetEditText(int col, int row, const std::string& value);
    virtual void SizeChanged(int oldColCount, int oldRowCount);
    // Whether input methods may be used while typing into column `col`.
    virtual bool InputMethodAllowed(int col) const;
    // A key a descendant gives a meaning of its own, offered before the grid's and the
    // editor's handling; true when it was used.
    virtual bool CellKey(QKeyEvent* event);

    void ShowEditor();
    void HideEditor();
    void InvalidateCell(int col, int row);
    void InvalidateGrid();
    // For a descendant that handles a press itself: the press that focused the grid is spent.
    void ClickHandled() { focusedByClick_ = false; }
    // The grid's own focus or its editor's.
    bool HasFocusWithin() const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TInplaceEdit;
    friend class GridEditController;

    // Current cell and scrolling.
    bool MoveCurrent(int col, int row);
    void ForceCurrent(int col, int row);
    void ScrollIntoView(int col, int row);
    void UpdateScrollBars();
    QSize ViewSize() const;
    QRect CellGeometry(int col, int row) const; // null when the cell is not on screen

    // Painting steps.
    void PaintCell(QPainter& painter, int col, int row, const QRect& rect, bool focused,
                   bool editing);
    TGridDrawState CellState(int col, int row, bool focused) const;
    void PaintFocusFrame(QPainter& painter, const QRect& rect);
    void PaintCellLines(QPainter& painter, const QRect& rect, bool fixed);

    // Keyboard steps.
    bool EditorKey(QKeyEvent* event); // keys the editor hands to the grid
    bool MoveKeyTarget(const QKeyEvent* event, int& col, int& row) const;
    bool TabTarget(const QKeyEvent* event, int& col, int& row) const;
    bool EditingKey(QKeyEvent* event);
    void LeaveByTab(bool next);

    void FocusLeft(QFocusEvent* event);

    std::vector<std::vector<std::string>> cells_; // [col][row]
    GridGeometry geometry_;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int col_ = 1;
    int row_ = 1;
    QColor color_;
    QColor fixedColor_;
    TGridOptions options_;
    bool defaultDrawing_ = true;

    GridEditController edit_;
    bool focusedByClick_ = false;
    GridGeometry::Sizing sizing_;
    bool sizingActive_ = false;
    mutable std::optional<TextWidthBound> widthBound_; // for the font it was made for
};

} // namespace mv

Q_DECLARE_OPERATORS_FOR_FLAGS(mv::TGridOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(mv::TGridDrawState)
