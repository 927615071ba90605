#pragma once
// The calendar editor (cbsCalendar): a masked date box whose button drops down a month
// calendar; the day picked there is written back in the column's DateFormat.

#include "ui/EditorKind.h"

#include <QDate>

namespace mv {

class TMOPopupPanel;

class TCalendarEditorKind : public TEditorKind {
public:
    explicit TCalendarEditorKind(TInplaceEdit3D& editor);
    ~TCalendarEditorKind() override;

    // The date the calendar opens on and writes back.
    QDate EditDate() const { return editDate_; }
    void setEditDate(const QDate& date) { editDate_ = date; }
    // Exists only while the calendar is open.
    TMOPopupPanel* Popup() const { return calendar_; }

    void StyleLeft() override;
    QWidget* OpenPopup() const override;
    void ShowPopup() override;
    void ClosePopup(bool accept) override;
    void Released(const QPoint& global, bool onButton) override;
    bool KeyPressed(const QKeyEvent& event) override;
    // Sets the mask of the column's DateFormat; a cell that holds no date opens on today.
    std::string EditText(const TMOGridColumn& column, const std::string& cell) override;
    // The mask's separators alone are no date: the cell becomes empty.
    std::string StoredValue(const std::string& value) override;

private:
    TMOPopupPanel* calendar_ = nullptr;
    QDate editDate_ = QDate::currentDate();
};

} // namespace mv
