#include "ToolbarFit.h"

#include <QAction>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QStyle>
#include <QToolBar>

#include <algorithm>

namespace mv {

ToolbarFit::ToolbarFit(QMainWindow* window, std::vector<QToolBar*> bars,
                       std::function<void()> restyle)
    : QObject(window), window_(window), bars_(std::move(bars)), compact_(bars_.size(), false),
      restyle_(std::move(restyle)) {
    window_->installEventFilter(this);
}

bool ToolbarFit::Compact(const QToolBar* bar) const {
    const auto found = std::find(bars_.begin(), bars_.end(), bar);
    return found != bars_.end() && compact_[size_t(found - bars_.begin())];
}

int ToolbarFit::FullWidth(const QToolBar& bar) {
    const QFontMetrics metrics(bar.font());
    const int icon = bar.iconSize().width();
    const int margins = 2 * bar.style()->pixelMetric(QStyle::PM_ToolBarItemMargin, nullptr, &bar) +
                        bar.style()->pixelMetric(QStyle::PM_ToolBarHandleExtent, nullptr, &bar) +
                        2 * bar.style()->pixelMetric(QStyle::PM_ToolBarFrameWidth, nullptr, &bar);
    const int spacing = bar.style()->pixelMetric(QStyle::PM_ToolBarItemSpacing, nullptr, &bar);
    int width = margins;
    for (const QAction* a : bar.actions()) {
        if (!a->isVisible()) continue;
        if (a->isSeparator()) {
            width += bar.style()->pixelMetric(QStyle::PM_ToolBarSeparatorExtent, nullptr, &bar) +
                     spacing;
            continue;
        }
        QString text = a->iconText();
        text.remove(QLatin1Char('&'));
        // Image, gap, caption and the button's own frame; a drop-down arrow for a submenu.
        width += icon + 4 + metrics.horizontalAdvance(text) + 12 + spacing;
        if (a->menu()) width += 12;
    }
    return width;
}

void ToolbarFit::Update() {
    bool changed = false;
    for (size_t i = 0; i < bars_.size(); ++i) {
        const bool compact = FullWidth(*bars_[i]) > window_->width();
        if (compact != compact_[i]) {
            compact_[i] = compact;
            changed = true;
        }
    }
    if (changed && restyle_) restyle_();
}

bool ToolbarFit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Resize) Update();
    return QObject::eventFilter(watched, event);
}

} // namespace mv
