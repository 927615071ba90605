#pragma once
// The spin editor (cbsSpin): up and down buttons at the editor's right step the number by the
// column's SpinButtonOption.

#include "ui/EditorKind.h"

namespace mv {

class TSpinButton;

class TSpinEditorKind : public TEditorKind {
public:
    explicit TSpinEditorKind(TInplaceEdit3D& editor);
    ~TSpinEditorKind() override;

    TSpinButton* SpinButton() const { return spinButton_; }
    // An empty text counts as 0; a text that is no integer is left alone.
    void SpinUp();
    void SpinDown();

    void StyleEntered() override;
    void StyleLeft() override;
    void Resized() override;

private:
    void Spin(bool up);

    TSpinButton* spinButton_;
};

} // namespace mv
