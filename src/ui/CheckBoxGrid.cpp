#include "ui/CheckBoxGrid.h"

#include "platform/codepage.h"
#include "ui/EditorKind.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace mv {

namespace {

int HorizontalFlag(TAlignment alignment) {
    switch (alignment) {
    case taRightJustify:
        return Qt::AlignRight;
    case taCenter:
        return Qt::AlignHCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft;
}

int VerticalFlag(TAlignmentV alignment) {
    switch (alignment) {
    case tavTop:
        return Qt::AlignTop;
    case tavBottom:
        return Qt::AlignBottom;
    case tavCenter:
        break;
    }
    return Qt::AlignVCenter;
}

} // namespace

TMOStringGrid::TMOStringGrid(QWidget* parent) : TStringGrid(parent), columns_(this) {
    setDefaultRowHeight(20);
    // The base grid made its columns before the collection existed.
    SizeChanged(ColCount(), RowCount());
    setColCount(6);
    setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goEditing);
}

TMOStringGrid::~TMOStringGrid() = default;

const TMOGridColumn* TMOStringGrid::ColumnOf(int col) const {
    return col >= 0 && col < columns_.Count() ? &columns_[col] : nullptr;
}

TInplaceEdit3D* TMOStringGrid::Editor() const {
    return qobject_cast<TInplaceEdit3D*>(InplaceEditor());
}

void TMOStringGrid::setGridStyle(TMOGridStyle style) {
    if (style == gridStyle_) return;
    gridStyle_ = style;
    InvalidateGrid();
}

void TMOStringGrid::setStripeColor(const QColor& color) {
    if (color == stripeColor_) return;
    stripeColor_ = color;
    InvalidateGrid();
}

void TMOStringGrid::setFixAutoNum(bool on) {
    if (on == fixAutoNum_) return;
    fixAutoNum_ = on;
    InvalidateGrid();
}

QColor TMOStringGrid::GetCellColor(int col, int row) const {
    if (gridStyle_ == mgsStriped) return row % 2 == 0 ? stripeColor_ : Color();
    const TMOGridColumn* column = ColumnOf(col);
    return column ? column->Color() : Color();
}

void TMOStringGrid::DrawCheckBox(QPainter& painter, const QRect& cellRect, bool checked,
                                 const QWidget* widget) {
    const QRect strip(cellRect.left() + cellRect.width() / 2 - 7, cellRect.top(), 14,
                      cellRect.height());
    const int side = std::min(13, strip.height());
    QRect box(0, 0, side, side);
    box.moveCenter(strip.center());
    QStyleOptionButton option;
    option.initFrom(widget);
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    option.state |= checked ? QStyle::State_On : QStyle::State_Off;
    option.rect = box;
    widget->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, widget);
}

void TMOStringGrid::DrawCell(int col, int row, const QRect& rect, TGridDrawState state,
                             QPainter& painter) {
    if (DefaultDrawing()) DefaultDrawCell(col, row, rect, state, painter);
    DrawCellEvent(col, row, rect, state, painter);
}

void TMOStringGrid::DefaultDrawCell(int col, int row, const QRect& rect, TGridDrawState state,
                                    QPainter& painter) {
    const TMOGridColumn* column = ColumnOf(col);
    if (!column) return;
    std::string_view text = Cells(col, row);
    std::string number;
    int flags = Qt::TextSingleLine | Qt::TextDontClip;
    if (state & gdFixed) {
        painter.setFont(column->FixCellFont());
        painter.setPen(column->FixCellFontColor());
        flags |= HorizontalFlag(column->FixAlignment()) | VerticalFlag(column->FixAlignmentV());
        if (text.empty() && row == 0) {
            text = column->Caption();
        } else if (text.empty() && fixAutoNum_ && row >= FixedRows()) {
            number = std::to_string(row - FixedRows() + 1);
            text = number;
        }
    } else {
        // Normal cells take their column's colour, also the current one.
        painter.fillRect(rect, GetCellColor(col, row));
        if (column->ButtonStyle() == cbsCheckBox) {
            DrawCheckBox(painter, rect, text == "1", this);
            return;
        }
        painter.setFont(column->Font());
        painter.setPen(column->FontColor());
        flags |= HorizontalFlag(column->Alignment()) | VerticalFlag(column->AlignmentV());
    }
    // Text keeps 5 pixels off the left and right edges; it may use the full height, since a
    // 12-pixel font in a 20-pixel row needs more than the 14 pixels left inside the margins.
    const QRect textRect = rect.adjusted(5, 3, -5, -3);
    painter.save();
    painter.setClipRect(QRect(textRect.left(), rect.top(), textRect.width(), rect.height()),
                        Qt::IntersectClip);
    painter.drawText(textRect, flags, toQt(text));
    painter.restore();
}

TInplaceEdit* TMOStringGrid::CreateEditor() {
    return new TInplaceEdit3D(this);
}

bool TMOStringGrid::CanEditModify() {
    const TMOGridColumn* column = ColumnOf(Col());
    return column ? column->CanEdit() : true;
}

std::string TMOStringGrid::GetEditText(int col, int row) {
    const TMOGridColumn* column = ColumnOf(col);
    const TMOColumnButtonStyle style = column ? column->ButtonStyle() : cbsSimple;
    if (TInplaceEdit3D* editor = Editor()) {
        // A list or calendar opened for the cell the editor had does not stay open.
        editor->ClosePopup(false);
        editor->setEditStyle(style);
        editor->setReadOnly(!CanEditModify() || style == cbsDropList);
        editor->setFont(column ? column->Font() : font());
        QPalette palette = editor->palette();
        palette.setColor(QPalette::Base, GetCellColor(col, row));
        palette.setColor(QPalette::Text,
                         column ? column->FontColor() : this->palette().color(QPalette::Text));
        editor->setPalette(palette);
        editor->setImeMode(column ? column->ImeMode() : imClose);
        if (style == cbsCheckBox) {
            editor->setChecked(Cells(col, row) == "1");
            return {};
        }
        if (TEditorKind* kind = editor->Kind(); kind && column)
            return kind->EditText(*column, Cells(col, row));
    }
    return Cells(col, row);
}

void TMOStringGrid::SetEditText(int col, int row, const std::string& value) {
    TInplaceEdit3D* editor = Editor();
    const TMOGridColumn* column = ColumnOf(col);
    if (!column || !editor) {
        TStringGrid::SetEditText(col, row, value);
        return;
    }
    // A check-box cell keeps its check state whatever is typed into the editor.
    if (editor->EditStyle() == cbsCheckBox) {
        TStringGrid::SetEditText(col, row, editor->Checked() ? "1" : "0");
        return;
    }
    std::string stored = editor->Kind() ? editor->Kind()->StoredValue(value) : value;
    if (const TCellValueRule rule = CellValueRule(column->DataType())) {
        std::optional<std::string> canonical = rule(stored);
        if (!canonical) {
            // The character just typed is refused: the editor goes back to the cell's text
            // with the caret where it was before the character.
            const int caret = editor->cursorPosition();
            {
                const QSignalBlocker quiet(editor);
                editor->setText(toQt(Cells(col, row)));
            }
            editor->setCursorPosition(std::max(0, caret - 1));
            return;
        }
        stored = std::move(*canonical);
    }
    TStringGrid::SetEditText(col, row, stored);
}

void TMOStringGrid::SizeChanged(int oldColCount, int oldRowCount) {
    columns_.syncColCount_ = false;
    while (columns_.Count() < ColCount())
        columns_.Add();
    while (columns_.Count() > ColCount())
        columns_.Delete(columns_.Count() - 1);
    columns_.syncColCount_ = true;
    TStringGrid::SizeChanged(oldColCount, oldRowCount);
}

void TMOStringGrid::GridColumnsChanged() {
    if (columns_.SyncColCount() && columns_.Count() != ColCount()) setColCount(columns_.Count());
    InvalidateGrid();
}

bool TMOStringGrid::InputMethodAllowed(int col) const {
    const TMOGridColumn* column = ColumnOf(col);
    return !column || column->ImeMode() != imDisable;
}

void TMOStringGrid::CheckCellClick(int col, int row, bool check) {
    emit OnCheckCellClick(col, row, check);
}

void TMOStringGrid::EditButtonClick() {
    // Without a handler the cell is left alone.
    if (!isSignalConnected(QMetaMethod::fromSignal(&TMOStringGrid::OnEditButtonClick))) return;
    const int col = Col();
    const int row = Row();
    std::string str = Cells(col, row);
    emit OnEditButtonClick(col, row, str);
    setCells(col, row, std::move(str));
}

void TMOStringGrid::ListBoxClick(std::string& str) {
    emit OnListBoxClick(Col(), Row(), str);
}

bool TMOStringGrid::ToggleCheckCell(int col, int row) {
    const bool check = Cells(col, row) != "1";
    setCells(col, row, check ? "1" : "0");
    CheckCellClick(col, row, check);
    return check;
}

bool TMOStringGrid::CellKey(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space || Row() < FixedRows()) return false;
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    int col = -1;
    if (mods == Qt::NoModifier) {
        const TMOGridColumn* column = ColumnOf(Col());
        if (column && column->ButtonStyle() == cbsCheckBox) col = Col();
    } else if (mods == Qt::ControlModifier) {
        for (int c = FixedCols(); c < ColCount() && col < 0; ++c)
            if (columns_[c].ButtonStyle() == cbsCheckBox) col = c;
    }
    if (col < 0) return false;
    const bool check = ToggleCheckCell(col, Row());
    if (TInplaceEdit3D* editor = Editor(); editor && EditorMode() && col == Col())
        editor->setChecked(check);
    InvalidateCell(col, Row());
    return true;
}

void TMOStringGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint pos = event->position().toPoint();
        int col = -1;
        int row = -1;
        MouseToCell(pos.x(), pos.y(), col, row);
        const TMOGridColumn* column = ColumnOf(col);
        if (column && col >= FixedCols() && row >= FixedRows() &&
            column->ButtonStyle() == cbsCheckBox) {
            // The press is spent on the check box: no cell move, no OnMouseDown.
            HideEditor();
            ClickHandled();
            ToggleCheckCell(col, row);
            event->accept();
            return;
        }
    }
    TStringGrid::mousePressEvent(event);
}

} // namespace mv
