#include "ui/SpinEditorKind.h"

#include "platform/codepage.h"
#include "ui/GridInteger.h"
#include "ui/InplaceEdit.h"
#include "ui/SpinButton.h"

namespace mv {

TSpinEditorKind::TSpinEditorKind(TInplaceEdit3D& editor)
    : TEditorKind(editor), spinButton_(new TSpinButton(&editor)) {
    spinButton_->setObjectName(QStringLiteral("SpinButton"));
    spinButton_->hide();
    QObject::connect(spinButton_, &TSpinButton::OnUpClick, spinButton_, [this] { SpinUp(); });
    QObject::connect(spinButton_, &TSpinButton::OnDownClick, spinButton_, [this] { SpinDown(); });
}

TSpinEditorKind::~TSpinEditorKind() {
    delete spinButton_;
}

void TSpinEditorKind::StyleEntered() {
    spinButton_->setGeometry(Editor().ButtonRect());
    spinButton_->show();
}

void TSpinEditorKind::StyleLeft() {
    spinButton_->hide();
}

void TSpinEditorKind::Resized() {
    spinButton_->setGeometry(Editor().ButtonRect());
}

void TSpinEditorKind::SpinUp() {
    Spin(true);
}

void TSpinEditorKind::SpinDown() {
    Spin(false);
}

void TSpinEditorKind::Spin(bool up) {
    TInplaceEdit3D& editor = Editor();
    const TMOGridColumn* column = editor.CurrentColumn();
    if (editor.EditStyle() != cbsSpin || !column) return;
    const std::optional<std::string> next =
        SpinGridInteger(fromQt(editor.text()), column->SpinButtonOption(), up);
    if (next) editor.setText(toQt(*next));
}

} // namespace mv
