#include "ui/InplaceEdit.h"

#include "ui/MOStringGrid.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace mv {

TInplaceEdit3D::TInplaceEdit3D(TMOStringGrid* grid)
    : TInplaceEdit(grid), moGrid_(grid),
      buttonWidth_(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) + 4) {
    UpdateTextArea();
}

void TInplaceEdit3D::setChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    update();
}

void TInplaceEdit3D::setEditStyle(TMOColumnButtonStyle style) {
    if (style == editStyle_) return;
    editStyle_ = style;
    // The whole check-box editor is a button; the arrow says so.
    setCursor(style == cbsCheckBox ? Qt::ArrowCursor : Qt::IBeamCursor);
    UpdateTextArea();
    update();
}

void TInplaceEdit3D::setImeMode(TImeMode mode) {
    imeMode_ = mode;
    // QLineEdit re-enables input methods whenever it becomes writable, so this is applied
    // after the read-only state of each edit.
    setAttribute(Qt::WA_InputMethodEnabled, mode != imDisable && !isReadOnly());
    switch (mode) {
    case imDisable:
        setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
        break;
    case imSAlpha:
    case imAlpha:
        setInputMethodHints(Qt::ImhPreferLatin);
        break;
    default:
        setInputMethodHints(Qt::ImhNone);
        break;
    }
    if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

QVariant TInplaceEdit3D::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImEnabled && imeMode_ == imDisable) return false;
    return TInplaceEdit::inputMethodQuery(query);
}

void TInplaceEdit3D::UpdateTextArea() {
    const int right = editStyle_ == cbsSimple ? 2 : 2 + buttonWidth_;
    setTextMargins(2, 0, right, 0);
}

void TInplaceEdit3D::paintEvent(QPaintEvent* event) {
    if (editStyle_ != cbsCheckBox) {
        TInplaceEdit::paintEvent(event);
        return;
    }
    // No text and no caret: the editor shows the current cell's check box.
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    TMOStringGrid::DrawCheckBox(
        painter, rect(), moGrid_ && moGrid_->Cells(moGrid_->Col(), moGrid_->Row()) == "1", this);
}

void TInplaceEdit3D::mouseReleaseEvent(QMouseEvent* event) {
    TInplaceEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && editStyle_ == cbsCheckBox && moGrid_ && Grid())
        setChecked(moGrid_->ToggleCheckCell(moGrid_->Col(), moGrid_->Row()));
}

} // namespace mv
