#pragma once
// TInplaceEdit3D: the check-box grid's in-place editor. Its style follows the ButtonStyle of the
// column it edits; the plain style is an ordinary edit box, the check-box style shows the
// cell's check box instead of text and toggles the cell on a click.

#include "ui/MOGridColumn.h"
#include "ui/StringGrid.h"

namespace mv {

class TMOStringGrid;

class TInplaceEdit3D : public TInplaceEdit {
    Q_OBJECT
public:
    explicit TInplaceEdit3D(TMOStringGrid* grid);

    // Check state held for a check-box cell.
    bool Checked() const { return checked_; }
    void setChecked(bool checked);
    TMOColumnButtonStyle EditStyle() const { return editStyle_; }
    void setEditStyle(TMOColumnButtonStyle style);
    // Width of the button area of the non-plain styles.
    int ButtonWidth() const { return buttonWidth_; }
    // imDisable keeps input methods away from the edit box; every other mode allows them.
    TImeMode ImeMode() const { return imeMode_; }
    void setImeMode(TImeMode mode);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void UpdateTextArea();

    TMOStringGrid* moGrid_;
    bool checked_ = false;
    TMOColumnButtonStyle editStyle_ = cbsSimple;
    TImeMode imeMode_ = imDontCare;
    int buttonWidth_;
};

} // namespace mv
