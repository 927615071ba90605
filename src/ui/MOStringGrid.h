#pragma once
// TMOStringGrid: the string grid with a column description (TMOGridColumn) per grid column.
// Cells are drawn from their column's colour, fonts and alignment; check-box columns hold
// "1"/"0", draw a check box and toggle on a left click without moving the current cell.

#include "ui/InplaceEdit.h"
#include "ui/MOGridColumn.h"
#include "ui/StringGrid.h"

namespace mv {

class TMOStringGrid : public TStringGrid {
    Q_OBJECT
public:
    // Six columns, row height 20, grid lines and goEditing.
    explicit TMOStringGrid(QWidget* parent = nullptr);
    ~TMOStringGrid() override;

    // Always as many columns as ColCount: changing one changes the other.
    TMOGridColumns& GridColumns() { return columns_; }
    const TMOGridColumns& GridColumns() const { return columns_; }
    void setGridColumns(const TMOGridColumns& columns) { columns_.Assign(columns); }

    // Background of normal cell (col, row).
    QColor GetCellColor(int col, int row) const;

    TInplaceEdit3D* Editor() const;

    // Draws the check box of a check-box cell into `cellRect`: 14 pixels wide, centred.
    static void DrawCheckBox(QPainter& painter, const QRect& cellRect, bool checked,
                             const QWidget* widget);

protected:
    // Hook for descendants, called after a check-box cell was toggled to `check`.
    virtual void CheckCellClick(int col, int row, bool check);

    void DrawCell(int col, int row, const QRect& rect, TGridDrawState state,
                  QPainter& painter) override;
    TInplaceEdit* CreateEditor() override;
    bool CanEditModify() override;
    std::string GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const std::string& value) override;
    void SizeChanged(int oldColCount, int oldRowCount) override;
    bool InputMethodAllowed(int col) const override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    friend class TMOGridColumns;
    friend class TInplaceEdit3D;

    void DefaultDrawCell(int col, int row, const QRect& rect, TGridDrawState state,
                         QPainter& painter);
    // "1" becomes "0", anything else "1"; gives the new state.
    bool ToggleCheckCell(int col, int row);
    void GridColumnsChanged();
    const TMOGridColumn* ColumnOf(int col) const;

    TMOGridColumns columns_;
};

} // namespace mv
