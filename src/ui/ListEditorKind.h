#pragma once
// The drop-down list editor (cbsList, cbsDropList): the column's ListStrings in a list below
// the editor; a choice goes into the editor and raises the grid's OnListBoxClick.

#include "ui/EditorKind.h"

namespace mv {

class TPopListBox;

class TListEditorKind : public TEditorKind {
public:
    explicit TListEditorKind(TInplaceEdit3D& editor);
    ~TListEditorKind() override;

    TPopListBox* List() const { return list_; }

    QWidget* OpenPopup() const override;
    void ShowPopup() override;
    void ClosePopup(bool accept) override;
    bool ButtonPressed() override;
    bool DragOverPopup(const QPoint& global, bool held) override;
    void Released(const QPoint& global, bool onButton) override;
    bool KeyPressed(const QKeyEvent& event) override;

private:
    TPopListBox* list_;
    bool visible_ = false;
};

} // namespace mv
