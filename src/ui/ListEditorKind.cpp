#include "ui/ListEditorKind.h"

#include "platform/codepage.h"
#include "ui/InplaceEdit.h"
#include "ui/PopListBox.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QStyle>

#include <algorithm>

namespace mv {

namespace {

constexpr int kListRows = 8;

bool IsDropKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_F4 ||
           (event.key() == Qt::Key_Down && (event.modifiers() & Qt::AltModifier));
}

} // namespace

TListEditorKind::TListEditorKind(TInplaceEdit3D& editor)
    : TEditorKind(editor), list_(new TPopListBox(&editor)) {
    list_->setObjectName(QStringLiteral("PopList"));
    QObject::connect(list_, &TPopListBox::OnMouseRelease, list_, [this] { ClosePopup(true); });
}

TListEditorKind::~TListEditorKind() {
    delete list_;
}

QWidget* TListEditorKind::OpenPopup() const {
    return visible_ ? list_ : nullptr;
}

void TListEditorKind::ShowPopup() {
    if (visible_) return;
    TInplaceEdit3D& editor = Editor();
    list_->clear();
    list_->setFont(editor.font());
    list_->setPalette(editor.palette());
    int textWidth = 0;
    const QFontMetrics metrics(list_->font());
    if (const TMOGridColumn* column = editor.CurrentColumn()) {
        for (const std::string& entry : column->ListStrings()) {
            const QString text = toQt(entry);
            list_->addItem(text);
            textWidth = std::max(textWidth, metrics.horizontalAdvance(text));
        }
    }
    const int count = list_->count();
    const int frame = 2 * list_->frameWidth();
    const int rowHeight = count > 0 ? std::max(list_->sizeHintForRow(0), 1) : metrics.height() + 2;
    const int scrollBar =
        count > kListRows
            ? editor.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &editor)
            : 0;
    // As wide as the editor, wider when an item needs it.
    const int width = std::max(editor.width(), textWidth + 8 + frame + scrollBar);
    list_->resize(width, std::clamp(count, 1, kListRows) * rowHeight + frame);
    editor.PlacePopup(list_);
    list_->show();
    visible_ = true;
    editor.PopupChanged();
    editor.setFocus(Qt::OtherFocusReason);
}

void TListEditorKind::ClosePopup(bool accept) {
    if (!visible_) return;
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    QListWidgetItem* item = list_->currentItem();
    const bool selected = item && item->isSelected();
    list_->hide();
    visible_ = false;
    TInplaceEdit3D& editor = Editor();
    editor.PopupChanged();
    if (!accept) return;
    std::string chosen;
    if (selected) {
        chosen = fromQt(item->text());
        editor.setText(item->text());
    }
    editor.ListBoxClick(chosen);
}

bool TListEditorKind::ButtonPressed() {
    // A press on the button of an open list closes it; otherwise the list drops down and the
    // button stays held until the release.
    if (visible_) {
        ClosePopup(true);
        return false;
    }
    ShowPopup();
    return true;
}

bool TListEditorKind::DragOverPopup(const QPoint& global, bool held) {
    if (!visible_ || !list_->frameGeometry().contains(global)) return false;
    if (held) {
        // The item under the held button follows the pointer, as in a list with the capture.
        const QPoint inList = list_->viewport()->mapFromGlobal(global);
        if (QListWidgetItem* item = list_->itemAt(inList)) list_->setCurrentItem(item);
    }
    return true;
}

void TListEditorKind::Released(const QPoint& global, bool) {
    // A release on the list, after dragging there from the button.
    if (visible_ && list_->frameGeometry().contains(global)) ClosePopup(true);
}

bool TListEditorKind::KeyPressed(const QKeyEvent& event) {
    const int key = event.key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (visible_ && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        const int count = list_->count();
        const int row = list_->currentRow();
        if (count > 0)
            list_->setCurrentRow(key == Qt::Key_Down ? std::min(count - 1, row + 1)
                                                     : std::max(0, row - 1));
        return true;
    }
    if (visible_ && (enter || key == Qt::Key_Escape)) {
        ClosePopup(enter);
        return true;
    }
    if (!IsDropKey(event)) return false;
    if (visible_)
        ClosePopup(true);
    else
        ShowPopup();
    return true;
}

} // namespace mv
