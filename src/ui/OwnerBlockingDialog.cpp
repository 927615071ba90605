#include "OwnerBlockingDialog.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

namespace mv {

void TOwnerBlockingDialog::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        if (QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    Opened();
    if (owner_) owner_->setEnabled(false);
}

void TOwnerBlockingDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous() && owner_) owner_->setEnabled(true);
}

} // namespace mv
