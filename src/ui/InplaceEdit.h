#pragma once
// TInplaceEdit3D: the check-box grid's in-place editor. Its style follows the ButtonStyle of the
// column it edits: a plain edit box, a check box, or an edit box with a button at its right
// that raises the grid's OnEditButtonClick (cbsEllipsis), drops down a list (cbsList,
// cbsDropList), steps a number (cbsSpin) or drops down a month calendar (cbsCalendar). The last
// three are editor kinds of the grid editors library (EditorKind.h).

#include "ui/EditorKind.h"
#include "ui/GridColumns.h"
#include "ui/StringGrid.h"

#include <memory>
#include <utility>
#include <vector>

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

    // The kind serving the current style, or null.
    TEditorKind* Kind() const { return kind_; }
    // The kind made for `style` so far, or null.
    TEditorKind* MadeKind(TMOColumnButtonStyle style) const;
    // Closes an open list or calendar; `accept` takes its choice into the editor.
    void ClosePopup(bool accept);
    // A kind opened or closed its pop-up: clicks elsewhere close it while it is open.
    void PopupChanged();

    // Drop-down list of cbsList and cbsDropList.
    bool ListVisible() const;
    void DropDown();
    // Hides the list; `accept` takes the selected item into the editor and raises the grid's
    // OnListBoxClick.
    void CloseUp(bool accept = true);
    // Drop-down calendar of cbsCalendar.
    bool CalendarVisible() const;
    void OpenCalendar();
    // `accept` writes the calendar's date into the editor in the column's DateFormat.
    void CloseCalendar(bool accept = true);

    // Parts of the editor kinds; defined by the grid editors library, null until made.
    TPopListBox* PopList() const;
    TSpinButton* SpinButton() const;
    TMOPopupPanel* CalendarPopup() const;

    // The grid it edits for, and the column of the current cell there (null when it has none).
    TMOStringGrid* MoGrid() const { return Grid() ? moGrid_ : nullptr; }
    const TMOGridColumn* CurrentColumn() const;
    // Places a pop-up below the editor, or above it when it would leave the screen.
    void PlacePopup(QWidget* popup);
    // A list closed with `str` chosen: the grid raises OnListBoxClick.
    void ListBoxClick(std::string& str);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateTextArea();
    void PaintButton(QPainter& painter);
    void StopTracking();
    void WatchClicksElsewhere();
    TEditorKind* KindFor(TMOColumnButtonStyle style);

    TMOStringGrid* moGrid_;
    bool checked_ = false;
    TMOColumnButtonStyle editStyle_ = cbsSimple;
    TImeMode imeMode_ = imDontCare;
    int buttonWidth_;
    bool pressed_ = false;
    bool tracking_ = false;
    std::vector<std::pair<TEditorKindFactory, std::unique_ptr<TEditorKind>>> kinds_;
    TEditorKind* kind_ = nullptr;
    bool watchingClicks_ = false;
};

} // namespace mv
