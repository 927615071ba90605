#include "ui/CalendarEditorKind.h"

#include "platform/codepage.h"
#include "ui/DropDownCalendar.h"
#include "ui/GridDates.h"
#include "ui/InplaceEdit.h"

#include <QKeyEvent>

namespace mv {

TCalendarEditorKind::TCalendarEditorKind(TInplaceEdit3D& editor) : TEditorKind(editor) {}

TCalendarEditorKind::~TCalendarEditorKind() {
    delete calendar_;
}

void TCalendarEditorKind::StyleLeft() {
    TInplaceEdit3D& editor = Editor();
    if (!editor.inputMask().isEmpty()) editor.setInputMask(QString());
}

QWidget* TCalendarEditorKind::OpenPopup() const {
    return calendar_;
}

void TCalendarEditorKind::ShowPopup() {
    if (calendar_) return;
    TInplaceEdit3D& editor = Editor();
    const TMOGridColumn* column = editor.CurrentColumn();
    calendar_ =
        new TMOPopupPanel(column ? column->CalColors() : TMOMonthCalColors(), editDate_, &editor);
    calendar_->setObjectName(QStringLiteral("CalendarPopup"));
    QObject::connect(calendar_->Calendar(), &TMOInplaceCalender::OnDayReleased, calendar_,
                     [this] { ClosePopup(true); });
    editor.PlacePopup(calendar_);
    calendar_->show();
    editor.PopupChanged();
    editor.setFocus(Qt::OtherFocusReason);
    calendar_->RefreshMonthLabel();
}

void TCalendarEditorKind::ClosePopup(bool accept) {
    if (!calendar_) return;
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    if (accept) editDate_ = calendar_->Calendar()->Date();
    // The pop-up may be closing from inside one of its own mouse handlers.
    calendar_->hide();
    calendar_->deleteLater();
    calendar_ = nullptr;
    TInplaceEdit3D& editor = Editor();
    editor.PopupChanged();
    if (!accept) return;
    const TMOGridColumn* column = editor.CurrentColumn();
    const TMODateFormat format = column ? column->DateFormat() : dtShort;
    const QString mask = GridDateInputMask(format);
    if (editor.inputMask() != mask) editor.setInputMask(mask);
    editor.setText(FormatGridDate(editDate_, format));
}

void TCalendarEditorKind::Released(const QPoint&, bool onButton) {
    if (calendar_)
        ClosePopup(true);
    else if (onButton)
        ShowPopup();
}

bool TCalendarEditorKind::KeyPressed(const QKeyEvent& event) {
    const int key = event.key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (calendar_ && (enter || key == Qt::Key_Escape)) {
        ClosePopup(enter);
        return true;
    }
    const bool dropKey =
        key == Qt::Key_F4 || (key == Qt::Key_Down && (event.modifiers() & Qt::AltModifier));
    if (!dropKey) return false;
    if (calendar_)
        ClosePopup(true);
    else
        ShowPopup();
    return true;
}

std::string TCalendarEditorKind::EditText(const TMOGridColumn& column, const std::string& cell) {
    TInplaceEdit3D& editor = Editor();
    const QString mask = GridDateInputMask(column.DateFormat());
    if (editor.inputMask() != mask) editor.setInputMask(mask);
    const QDate today = QDate::currentDate();
    editDate_ = cell.empty() ? today : ParseGridDate(toQt(cell)).value_or(today);
    return cell;
}

std::string TCalendarEditorKind::StoredValue(const std::string& value) {
    return IsEmptyGridDate(toQt(value)) ? std::string() : value;
}

} // namespace mv
