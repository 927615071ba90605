#include "ui/InplaceEdit.h"

#include "platform/codepage.h"
#include "ui/GridDates.h"
#include "ui/GridInteger.h"
#include "ui/DropDownCalendar.h"
#include "ui/CheckBoxGrid.h"
#include "ui/PopListBox.h"
#include "ui/SpinButton.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace mv {

namespace {

constexpr int kListRows = 8;

} // namespace

TInplaceEdit3D::TInplaceEdit3D(TMOStringGrid* grid)
    : TInplaceEdit(grid), moGrid_(grid),
      buttonWidth_(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) + 4) {
    setMouseTracking(true);
    UpdateTextArea();
}

TInplaceEdit3D::~TInplaceEdit3D() {
    if (watchingClicks_) qApp->removeEventFilter(this);
}

const TMOGridColumn* TInplaceEdit3D::CurrentColumn() const {
    return moGrid_ && Grid() ? moGrid_->ColumnOf(moGrid_->Col()) : nullptr;
}

void TInplaceEdit3D::setChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    update();
}

void TInplaceEdit3D::setEditStyle(TMOColumnButtonStyle style) {
    if (style == editStyle_) return;
    CloseUp(false);
    CloseCalendar(false);
    editStyle_ = style;
    setReadOnly(style == cbsDropList);
    activeList_ = style == cbsList || style == cbsDropList;
    if (activeList_ && !popList_) {
        popList_ = new TPopListBox(this);
        popList_->setObjectName(QStringLiteral("PopList"));
        popList_->OnMouseRelease = [this] { CloseUp(true); };
    }
    if (style == cbsSpin && !spinButton_) {
        spinButton_ = new TSpinButton(this);
        spinButton_->setObjectName(QStringLiteral("SpinButton"));
        spinButton_->OnUpClick = [this] { SpinUp(); };
        spinButton_->OnDownClick = [this] { SpinDown(); };
    }
    if (spinButton_) {
        spinButton_->setGeometry(ButtonRect());
        spinButton_->setVisible(style == cbsSpin);
    }
    if (style != cbsCalendar && !inputMask().isEmpty()) setInputMask(QString());
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
    if ((editStyle_ == cbsList || editStyle_ == cbsDropList) && !activeList_)
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
    if (event->button() == Qt::LeftButton && InHitArea(pos)) {
        if (listVisible_) {
            CloseUp(true);
        } else {
            tracking_ = true;
            pressed_ = ButtonRect().contains(pos);
            update(ButtonRect());
            if (activeList_) DropDown();
        }
    }
    TInplaceEdit::mousePressEvent(event);
}

void TInplaceEdit3D::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const QPoint global = event->globalPosition().toPoint();
    if (editStyle_ != cbsCheckBox && editStyle_ != cbsDropList)
        setCursor(InHitArea(pos) ? Qt::ArrowCursor : Qt::IBeamCursor);
    const bool overList = listVisible_ && popList_->frameGeometry().contains(global);
    if (tracking_) {
        if (overList) {
            // Dragged from the button onto the list: the list takes over.
            StopTracking();
        } else if (editStyle_ != cbsSpin) {
            const bool inside = ButtonRect().contains(pos);
            if (inside != pressed_) {
                pressed_ = inside;
                update(ButtonRect());
            }
        }
    }
    if (overList && (event->buttons() & Qt::LeftButton)) {
        // The item under the held button follows the pointer, as in a list with the capture.
        const QPoint inList = popList_->viewport()->mapFromGlobal(global);
        if (QListWidgetItem* item = popList_->itemAt(inList)) popList_->setCurrentItem(item);
        return;
    }
    TInplaceEdit::mouseMoveEvent(event);
}

void TInplaceEdit3D::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = pressed_;
    const QPoint pos = event->position().toPoint();
    StopTracking();
    TInplaceEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !moGrid_ || !Grid()) return;
    if (listVisible_ && popList_->frameGeometry().contains(event->globalPosition().toPoint())) {
        // A release on the list, after dragging there from the button.
        CloseUp(true);
        return;
    }
    switch (editStyle_) {
    case cbsEllipsis:
        if (wasPressed) moGrid_->EditButtonClick();
        break;
    case cbsCheckBox:
        setChecked(moGrid_->ToggleCheckCell(moGrid_->Col(), moGrid_->Row()));
        break;
    case cbsCalendar:
        if (calendarVisible_)
            CloseCalendar(true);
        else if (InHitArea(pos))
            OpenCalendar();
        break;
    default:
        break;
    }
}

bool TInplaceEdit3D::eventFilter(QObject* watched, QEvent* event) {
    // Another control was clicked: an open list or calendar closes, as on a click elsewhere.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const auto within = [widget](QWidget* popup) {
            return popup && (widget == popup || popup->isAncestorOf(widget));
        };
        if (widget && widget != this && !isAncestorOf(widget) && !within(calendar_) &&
            !within(popList_)) {
            CloseCalendar(true);
            CloseUp(true);
        }
    }
    return TInplaceEdit::eventFilter(watched, event);
}

void TInplaceEdit3D::WatchClicksElsewhere() {
    if (listVisible_ || calendarVisible_) {
        if (!watchingClicks_) qApp->installEventFilter(this);
        watchingClicks_ = true;
    } else {
        if (watchingClicks_) qApp->removeEventFilter(this);
        watchingClicks_ = false;
    }
}

// ---------------------------------------------------------------------------------------------
// Keyboard and focus

void TInplaceEdit3D::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (listVisible_) {
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            const int count = popList_->count();
            int row = popList_->currentRow();
            row = key == Qt::Key_Down ? std::min(count - 1, row + 1) : std::max(0, row - 1);
            if (count > 0) popList_->setCurrentRow(row);
            event->accept();
            return;
        }
        if (enter || key == Qt::Key_Escape) {
            CloseUp(enter);
            event->accept();
            return;
        }
    }
    if (calendarVisible_ && (enter || key == Qt::Key_Escape)) {
        CloseCalendar(enter);
        event->accept();
        return;
    }
    const bool dropKey =
        key == Qt::Key_F4 || (key == Qt::Key_Down && (event->modifiers() & Qt::AltModifier));
    if (dropKey && activeList_) {
        if (listVisible_)
            CloseUp(true);
        else
            DropDown();
        event->accept();
        return;
    }
    if (dropKey && editStyle_ == cbsCalendar) {
        if (calendarVisible_)
            CloseCalendar(true);
        else
            OpenCalendar();
        event->accept();
        return;
    }
    TInplaceEdit::keyPressEvent(event);
}

void TInplaceEdit3D::focusInEvent(QFocusEvent* event) {
    TInplaceEdit::focusInEvent(event);
    if (spinButton_) spinButton_->setVisible(editStyle_ == cbsSpin);
}

void TInplaceEdit3D::focusOutEvent(QFocusEvent* event) {
    // Closed first, so the choice reaches the cell before the grid may close the editor.
    CloseUp(true);
    CloseCalendar(true);
    TInplaceEdit::focusOutEvent(event);
}

void TInplaceEdit3D::hideEvent(QHideEvent* event) {
    // Hidden with the editor: nothing is written into a cell that is no longer edited.
    CloseUp(false);
    CloseCalendar(false);
    TInplaceEdit::hideEvent(event);
}

void TInplaceEdit3D::resizeEvent(QResizeEvent* event) {
    TInplaceEdit::resizeEvent(event);
    if (spinButton_) spinButton_->setGeometry(ButtonRect());
}

// ---------------------------------------------------------------------------------------------
// Pop-ups

void TInplaceEdit3D::PlacePopup(QWidget* popup) {
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    const QRect screenRect = screen() ? screen()->geometry() : QRect();
    int top = origin.y() + height();
    if (!screenRect.isNull() && top + popup->height() > screenRect.bottom() + 1)
        top = origin.y() - popup->height();
    popup->move(origin.x(), top);
}

void TInplaceEdit3D::DropDown() {
    if (!activeList_ || listVisible_ || !popList_) return;
    popList_->clear();
    popList_->setFont(font());
    popList_->setPalette(palette());
    int textWidth = 0;
    const QFontMetrics metrics(popList_->font());
    if (const TMOGridColumn* column = CurrentColumn()) {
        for (const std::string& entry : column->ListStrings()) {
            const QString text = toQt(entry);
            popList_->addItem(text);
            textWidth = std::max(textWidth, metrics.horizontalAdvance(text));
        }
    }
    const int count = popList_->count();
    const int frame = 2 * popList_->frameWidth();
    const int rowHeight =
        count > 0 ? std::max(popList_->sizeHintForRow(0), 1) : metrics.height() + 2;
    const int scrollBar =
        count > kListRows ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) : 0;
    // As wide as the editor, wider when an item needs it.
    const int width = std::max(this->width(), textWidth + 8 + frame + scrollBar);
    popList_->resize(width, std::clamp(count, 1, kListRows) * rowHeight + frame);
    PlacePopup(popList_);
    popList_->show();
    listVisible_ = true;
    WatchClicksElsewhere();
    update();
    setFocus(Qt::OtherFocusReason);
}

void TInplaceEdit3D::CloseUp(bool accept) {
    if (!listVisible_) return;
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    std::string chosen;
    QListWidgetItem* item = popList_->currentItem();
    const bool selected = item && item->isSelected();
    popList_->hide();
    listVisible_ = false;
    WatchClicksElsewhere();
    update();
    if (!accept) return;
    if (selected) {
        chosen = fromQt(item->text());
        setText(item->text());
    }
    if (moGrid_ && Grid()) moGrid_->ListBoxClick(chosen);
}

void TInplaceEdit3D::SpinUp() {
    Spin(true);
}

void TInplaceEdit3D::SpinDown() {
    Spin(false);
}

void TInplaceEdit3D::Spin(bool up) {
    const TMOGridColumn* column = CurrentColumn();
    if (editStyle_ != cbsSpin || !column) return;
    const std::optional<std::string> next =
        SpinGridInteger(fromQt(text()), column->SpinButtonOption(), up);
    if (next) setText(toQt(*next));
}

void TInplaceEdit3D::OpenCalendar() {
    if (calendarVisible_ || editStyle_ != cbsCalendar) return;
    const TMOGridColumn* column = CurrentColumn();
    calendar_ =
        new TMOPopupPanel(column ? column->CalColors() : TMOMonthCalColors(), editDate_, this);
    calendar_->setObjectName(QStringLiteral("CalendarPopup"));
    calendar_->Calendar()->OnDayReleased = [this] { CloseCalendar(true); };
    PlacePopup(calendar_);
    calendar_->show();
    calendarVisible_ = true;
    WatchClicksElsewhere();
    setFocus(Qt::OtherFocusReason);
    calendar_->RefreshMonthLabel();
    update();
}

void TInplaceEdit3D::CloseCalendar(bool accept) {
    if (!calendarVisible_) return;
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    if (calendar_) {
        if (accept) editDate_ = calendar_->Calendar()->Date();
        // The pop-up may be closing from inside one of its own mouse handlers.
        calendar_->hide();
        calendar_->deleteLater();
        calendar_ = nullptr;
    }
    calendarVisible_ = false;
    WatchClicksElsewhere();
    update();
    if (!accept) return;
    const TMOGridColumn* column = CurrentColumn();
    const TMODateFormat format = column ? column->DateFormat() : dtShort;
    const QString mask = GridDateInputMask(format);
    if (inputMask() != mask) setInputMask(mask);
    setText(FormatGridDate(editDate_, format));
}

} // namespace mv
