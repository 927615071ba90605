#pragma once
// TMOStringGrid: the string grid with a column description (TMOGridColumn) per grid column.
// Cells are drawn from their column's colour, fonts and alignment; check-box columns hold
// "1"/"0", draw a check box and toggle on a left click without moving the current cell. The
// column's ButtonStyle picks the in-place editor (TInplaceEdit3D); integer columns keep
// their cells in canonical decimal.

#include "ui/GridColumns.h"
#include "ui/InplaceEdit.h"
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

    // mgsStriped fills the even rows with StripeColor and the odd ones with Color, whatever
    // the column colours.
    TMOGridStyle GridStyle() const { return gridStyle_; }
    void setGridStyle(TMOGridStyle style);
    QColor StripeColor() const { return stripeColor_; }
    void setStripeColor(const QColor& color);
    // Numbers the empty fixed cells below the title rows: 1, 2, 3, ...
    bool FixAutoNum() const { return fixAutoNum_; }
    void setFixAutoNum(bool on);

    // Background of normal cell (col, row).
    QColor GetCellColor(int col, int row) const;

    TInplaceEdit3D* Editor() const;

    // Draws the check box of a check-box cell into `cellRect`: 14 pixels wide, centred.
    static void DrawCheckBox(QPainter& painter, const QRect& cellRect, bool checked,
                             const QWidget* widget);

signals:
    // OnCheckCellClick: a check-box cell was toggled to `check`. OnEditButtonClick: the ellipsis
    // button was clicked; `str` holds the cell's text and what the handler leaves there is
    // stored. OnListBoxClick: a drop-down list closed; `str` is the chosen text, already in the
    // cell (empty when nothing was chosen). Handlers that change `str` connect directly.
    void OnCheckCellClick(int col, int row, bool check);
    void OnEditButtonClick(int col, int row, std::string& str);
    void OnListBoxClick(int col, int row, std::string& str);

protected:
    // Hooks for descendants; they raise the events.
    virtual void CheckCellClick(int col, int row, bool check);
    virtual void EditButtonClick();
    virtual void ListBoxClick(std::string& str);

    void DrawCell(int col, int row, const QRect& rect, TGridDrawState state,
                  QPainter& painter) override;
    TInplaceEdit* CreateEditor() override;
    bool CanEditModify() override;
    std::string GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const std::string& value) override;
    void SizeChanged(int oldColCount, int oldRowCount) override;
    bool InputMethodAllowed(int col) const override;
    // Space ticks the current check-box cell; Ctrl+Space the row's check box from any column.
    bool CellKey(QKeyEvent* event) override;
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
    TMOGridStyle gridStyle_ = mgsNormal;
    QColor stripeColor_ = Qt::yellow;
    bool fixAutoNum_ = false;
};

} // namespace mv
