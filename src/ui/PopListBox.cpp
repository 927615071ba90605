#include "ui/PopListBox.h"

#include <QMouseEvent>

namespace mv {

TPopListBox::TPopListBox(QWidget* owner) : QListWidget(owner) {
    // A window type that is placed where asked, stays on top and is never activated, so the
    // editor keeps the keyboard focus.
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    hide();
}

void TPopListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    emit OnMouseRelease();
}

} // namespace mv
