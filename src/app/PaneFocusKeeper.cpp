#include "PaneFocusKeeper.h"

#include <QApplication>

namespace mv {

PaneFocusKeeper::PaneFocusKeeper(QWidget* first, QWidget* second) {
    QWidget* focus = QApplication::focusWidget();
    for (QWidget* pane : {first, second}) {
        if (focus && (focus == pane || pane->isAncestorOf(focus))) {
            pane_ = pane;
            focus_ = focus;
        }
    }
}

PaneFocusKeeper::~PaneFocusKeeper() {
    if (!pane_ || !focus_) return;
    QWidget* now = QApplication::focusWidget();
    // The focus went where disabling sent it, or nowhere: it comes back. A widget the user
    // chose meanwhile (another window, a dialog) keeps it.
    if (now && now->window() != pane_->window()) return;
    if (focus_->isEnabled() && focus_->isVisible())
        focus_->setFocus(Qt::OtherFocusReason);
    else if (pane_->isEnabled() && pane_->isVisible())
        pane_->setFocus(Qt::OtherFocusReason);
}

} // namespace mv
