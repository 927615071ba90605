#pragma once
// TInplaceEdit3D: the check-box grid's in-place editor. Its style follows the ButtonStyle of the
// column it edits: a plain edit box, a check box, or an edit box with a button at its right
// that drops down a list (cbsList, cbsDropList), raises the grid's OnEditButtonClick
// (cbsEllipsis), steps a number (cbsSpin) or drops down a month calendar (cbsCalendar).

#include "ui/GridColumns.h"
#include "ui/StringGrid.h"

#include <QDate>

namespace mv {

class TMOStringGrid;
class TPopListBox;
class TSpinButton;
class TMOPopupPanel;

class TInplaceEdit3D : public TInplaceEdit {
    Q_OBJECT
public:
    explicit TInplaceEdit3D(TMOStringGrid* grid);
    ~TInplaceEdit3D() override;

    // Check state held for a check-box cell.
    bool Checked() const { return checked_; }
    void setChecked(bool checked);
    // Changing the style closes an open list or calendar; cbsDropList makes the box read-only.
    TMOColumnButtonStyle EditStyle() const { return editStyle_; }
    void setEditStyle(TMOColumnButtonStyle style);
    // Width of the button area of the non-plain styles.
    int ButtonWidth() const { return buttonWidth_; }
    // The rightmost ButtonWidth pixels over the full height; empty for the plain style.
    QRect ButtonRect() const;
    // Where a press works the button: the whole box for cbsDropList and cbsCheckBox, the
    // button for the other non-plain styles.
    bool InHitArea(const QPoint& pos) const;
    // imDisable keeps input methods away from the edit box; every other mode allows them.
    TImeMode ImeMode() const { return imeMode_; }
    void setImeMode(TImeMode mode);
    // The button is drawn pressed (mouse held on it).
    bool Pressed() const { return pressed_; }

    // Drop-down list of cbsList and cbsDropList, made on first use.
    TPopListBox* PopList() const { return popList_; }
    bool ListVisible() const { return listVisible_; }
    void DropDown();
    // Hides the list; `accept` takes the selected item into the editor and raises the grid's
    // OnListBoxClick.
    void CloseUp(bool accept = true);

    // Spin button of cbsSpin, made on first use.
    TSpinButton* SpinButton() const { return spinButton_; }
    void SpinUp();
    void SpinDown();

    // Drop-down calendar of cbsCalendar; it exists only while it is open.
    QDate EditDate() const { return editDate_; }
    void setEditDate(const QDate& date) { editDate_ = date; }
    bool CalendarVisible() const { return calendarVisible_; }
    TMOPopupPanel* CalendarPopup() const { return calendar_; }
    void OpenCalendar();
    // `accept` writes the calendar's date into the editor in the column's DateFormat.
    void CloseCalendar(bool accept = true);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateTextArea();
    void PaintButton(QPainter& painter);
    void StopTracking();
    void Spin(bool up);
    // Places a pop-up below the editor, or above it when it would leave the screen.
    void PlacePopup(QWidget* popup);
    void WatchClicksElsewhere();
    const TMOGridColumn* CurrentColumn() const;

    TMOStringGrid* moGrid_;
    bool checked_ = false;
    TMOColumnButtonStyle editStyle_ = cbsSimple;
    TImeMode imeMode_ = imDontCare;
    int buttonWidth_;
    bool pressed_ = false;
    bool tracking_ = false;
    bool listVisible_ = false;
    bool activeList_ = false;
    TPopListBox* popList_ = nullptr;
    TSpinButton* spinButton_ = nullptr;
    bool calendarVisible_ = false;
    TMOPopupPanel* calendar_ = nullptr;
    QDate editDate_ = QDate::currentDate();
    bool watchingClicks_ = false;
};

} // namespace mv
