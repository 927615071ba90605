#include "ui/InplaceEdit.h"

#include "ui/CheckBoxGrid.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>

namespace mv {

TInplaceEdit3D::TInplaceEdit3D(TMOStringGrid* grid)
    : TInplaceEdit(grid), moGrid_(grid),
      buttonWidth_(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) + 4) {
    setMouseTracking(true);
    UpdateTextArea();
}

TInplaceEdit3D::~TInplaceEdit3D() {
    if (watchingClicks_) qApp->removeEventFilter(this);
    kind_ = nullptr;
    kinds_.clear();
}

const TMOGridColumn* TInplaceEdit3D::CurrentColumn() const {
    return moGrid_ && Grid() ? moGrid_->ColumnOf(moGrid_->Col()) : nullptr;
}

void TInplaceEdit3D::setChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    update();
}

TEditorKind* TInplaceEdit3D::KindFor(TMOColumnButtonStyle style) {
    const TEditorKindFactory factory = EditorKindFactory(style);
    if (!factory) return nullptr;
    for (const auto& [madeBy, kind] : kinds_)
        if (madeBy == factory) return kind.get();
    kinds_.emplace_back(factory, factory(*this));
    return kinds_.back().second.get();
}

TEditorKind* TInplaceEdit3D::MadeKind(TMOColumnButtonStyle style) const {
    const TEditorKindFactory factory = EditorKindFactory(style);
    for (const auto& [madeBy, kind] : kinds_)
        if (factory && madeBy == factory) return kind.get();
    return nullptr;
}

void TInplaceEdit3D::setEditStyle(TMOColumnButtonStyle style) {
    if (style == editStyle_) return;
    ClosePopup(false);
    if (kind_) kind_->StyleLeft();
    editStyle_ = style;
    setReadOnly(style == cbsDropList);
    kind_ = KindFor(style);
    if (kind_) kind_->StyleEntered();
    // The whole check-box and drop-down-only editor is a button; the arrow says so.
    setCursor(style == cbsCheckBox || style == cbsDropList ? Qt::ArrowCursor : Qt::IBeamCursor);
    UpdateTextArea();
    update();
}

QRect TInplaceEdit3D::ButtonRect() const {
    if (editStyle_ == cbsSimple) return {};
    return QRect(width() - buttonWidth_, 0, buttonWidth_, height());
}

bool TInplaceEdit3D::InHitArea(const QPoint& pos) const {
    switch (editStyle_) {
    case cbsSimple:
        return false;
    case cbsDropList:
    case cbsCheckBox:
        return rect().contains(pos);
    default:
        return ButtonRect().contains(pos);
    }
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

// ---------------------------------------------------------------------------------------------
// Painting

void TInplaceEdit3D::paintEvent(QPaintEvent* event) {
    if (editStyle_ == cbsCheckBox) {
        // No text and no caret: the editor shows the current cell's check box.
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Base));
        TMOStringGrid::DrawCheckBox(
            painter, rect(), moGrid_ && moGrid_->Cells(moGrid_->Col(), moGrid_->Row()) == "1",
            this);
        return;
    }
    TInplaceEdit::paintEvent(event);
    // The text margins keep the text out of the button, which paints over the box's right end.
    if (editStyle_ != cbsSimple && editStyle_ != cbsSpin) {
        QPainter painter(this);
        PaintButton(painter);
    }
}

void TInplaceEdit3D::PaintButton(QPainter& painter) {
    const QRect button = ButtonRect();
    painter.fillRect(button, palette().color(QPalette::Button));
    QStyleOptionButton bevel;
    bevel.initFrom(this);
    bevel.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    bevel.state |= pressed_ ? QStyle::State_Sunken : QStyle::State_Raised;
    bevel.rect = button;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &bevel, &painter, this);
    const int shift = pressed_ ? 1 : 0;
    if (editStyle_ == cbsEllipsis) {
        // Three dots, the middle one at the centre.
        const int side = buttonWidth_ > 7 ? buttonWidth_ / 8 : 1;
        const int x = button.left() + button.width() / 2 + shift - 1;
        const int y = button.top() + button.height() / 2 + shift - 1;
        for (const int dx : {-2 * side, 0, 2 * side})
            painter.fillRect(QRect(x + dx, y, side, side), Qt::black);
        return;
    }
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = button.adjusted(4, 4, -4, -4).translated(shift, shift);
    // A list style without its list shows a dead arrow.
    if ((editStyle_ == cbsList || editStyle_ == cbsDropList) && !kind_)
        arrow.state &= ~QStyle::State_Enabled;
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TInplaceEdit3D::StopTracking() {
    if (!tracking_) return;
    tracking_ = false;
    if (pressed_) {
        pressed_ = false;
        update(ButtonRect());
    }
}

void TInplaceEdit3D::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && InHitArea(pos) && (!kind_ || kind_->ButtonPressed())) {
        tracking_ = true;
        pressed_ = ButtonRect().contains(pos);
        update(ButtonRect());
    }
    TInplaceEdit::mousePressEvent(event);
}

void TInplaceEdit3D::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (editStyle_ != cbsCheckBox && editStyle_ != cbsDropList)
        setCursor(InHitArea(pos) ? Qt::ArrowCursor : Qt::IBeamCursor);
    const bool held = event->buttons() & Qt::LeftButton;
    const bool overPopup = kind_ && kind_->DragOverPopup(event->globalPosition().toPoint(), held);
    if (tracking_) {
        if (overPopup) {
            // Dragged from the button onto the pop-up: the pop-up takes over.
            StopTracking();
        } else if (editStyle_ != cbsSpin) {
            const bool inside = ButtonRect().contains(pos);
            if (inside != pressed_) {
                pressed_ = inside;
                update(ButtonRect());
            }
        }
    }
    if (overPopup && held) return;
    TInplaceEdit::mouseMoveEvent(event);
}

void TInplaceEdit3D::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = pressed_;
    const QPoint pos = event->position().toPoint();
    StopTracking();
    TInplaceEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !moGrid_ || !Grid()) return;
    switch (editStyle_) {
    case cbsEllipsis:
        if (wasPressed) moGrid_->EditButtonClick();
        break;
    case cbsCheckBox:
        setChecked(moGrid_->ToggleCheckCell(moGrid_->Col(), moGrid_->Row()));
        break;
    default:
        if (kind_) kind_->Released(event->globalPosition().toPoint(), InHitArea(pos));
        break;
    }
}

bool TInplaceEdit3D::eventFilter(QObject* watched, QEvent* event) {
    // Another control was clicked: an open list or calendar closes, as on a click elsewhere.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* popup = kind_ ? kind_->OpenPopup() : nullptr;
        const bool inPopup = popup && (widget == popup || popup->isAncestorOf(widget));
        if (widget && widget != this && !isAncestorOf(widget) && !inPopup) ClosePopup(true);
    }
    return TInplaceEdit::eventFilter(watched, event);
}

void TInplaceEdit3D::WatchClicksElsewhere() {
    const bool open = kind_ && kind_->OpenPopup();
    if (open && !watchingClicks_) qApp->installEventFilter(this);
    if (!open && watchingClicks_) qApp->removeEventFilter(this);
    watchingClicks_ = open;
}

// ---------------------------------------------------------------------------------------------
// Keyboard and focus

void TInplaceEdit3D::keyPressEvent(QKeyEvent* event) {
    if (kind_ && kind_->KeyPressed(*event)) {
        event->accept();
        return;
    }
    TInplaceEdit::keyPressEvent(event);
}

void TInplaceEdit3D::focusOutEvent(QFocusEvent* event) {
    // Closed first, so the choice reaches the cell before the grid may close the editor.
    ClosePopup(true);
    TInplaceEdit::focusOutEvent(event);
}

void TInplaceEdit3D::hideEvent(QHideEvent* event) {
    // Hidden with the editor: nothing is written into a cell that is no longer edited.
    ClosePopup(false);
    TInplaceEdit::hideEvent(event);
}

void TInplaceEdit3D::resizeEvent(QResizeEvent* event) {
    TInplaceEdit::resizeEvent(event);
    if (kind_) kind_->Resized();
}

// ---------------------------------------------------------------------------------------------
// Pop-ups

void TInplaceEdit3D::ClosePopup(bool accept) {
    if (kind_ && kind_->OpenPopup()) kind_->ClosePopup(accept);
}

void TInplaceEdit3D::PopupChanged() {
    WatchClicksElsewhere();
    update();
}

bool TInplaceEdit3D::ListVisible() const {
    return (editStyle_ == cbsList || editStyle_ == cbsDropList) && kind_ && kind_->OpenPopup();
}

void TInplaceEdit3D::DropDown() {
    if ((editStyle_ == cbsList || editStyle_ == cbsDropList) && kind_ && !kind_->OpenPopup())
        kind_->ShowPopup();
}

void TInplaceEdit3D::CloseUp(bool accept) {
    if (ListVisible()) kind_->ClosePopup(accept);
}

bool TInplaceEdit3D::CalendarVisible() const {
    return editStyle_ == cbsCalendar && kind_ && kind_->OpenPopup();
}

void TInplaceEdit3D::OpenCalendar() {
    if (editStyle_ == cbsCalendar && kind_ && !kind_->OpenPopup()) kind_->ShowPopup();
}

void TInplaceEdit3D::CloseCalendar(bool accept) {
    if (CalendarVisible()) kind_->ClosePopup(accept);
}

void TInplaceEdit3D::PlacePopup(QWidget* popup) {
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    const QRect screenRect = screen() ? screen()->geometry() : QRect();
    int top = origin.y() + height();
    if (!screenRect.isNull() && top + popup->height() > screenRect.bottom() + 1)
        top = origin.y() - popup->height();
    popup->move(origin.x(), top);
}

void TInplaceEdit3D::ListBoxClick(std::string& str) {
    if (MoGrid()) moGrid_->ListBoxClick(str);
}

} // namespace mv
