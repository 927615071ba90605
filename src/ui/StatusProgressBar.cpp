#include "ui/StatusProgressBar.h"

#include "platform/codepage.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QtDebug>

#include <algorithm>

namespace mv {

// ---------------------------------------------------------------------------------------------
// TStatusBar

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent) {}

int TStatusBar::AddPanel(int width) {
    panels_.push_back({std::max(0, width), {}});
    update();
    emit PanelsChanged();
    return PanelCount() - 1;
}

void TStatusBar::setPanelWidth(int index, int width) {
    if (index < 0 || index >= PanelCount()) return;
    width = std::max(0, width);
    if (panels_[size_t(index)].Width == width) return;
    panels_[size_t(index)].Width = width;
    update();
    emit PanelsChanged();
}

void TStatusBar::setPanelText(int index, std::string text) {
    if (index < 0 || index >= PanelCount()) return;
    panels_[size_t(index)].Text = std::move(text);
    update();
}

QRect TStatusBar::PanelRect(int index) const {
    // Panels after the first start 2 pixels past the widths before them; the last one runs to
    // the right edge.
    int left = 0;
    if (index > 0) {
        left = 2;
        for (int i = 0; i < index && i < PanelCount(); ++i)
            left += panels_[size_t(i)].Width;
    }
    int width = 0;
    if (index >= PanelCount() - 1)
        width = this->width() - left;
    else
        width = panels_[size_t(index)].Width - (index > 0 ? 2 : 0);
    return {left, 2, std::max(0, width), std::max(0, height() - 2)};
}

void TStatusBar::paintEvent(QPaintEvent* event) {
    QStatusBar::paintEvent(event);
    QPainter painter(this);
    for (int i = 0; i < PanelCount(); ++i) {
        const QRect rect = PanelRect(i);
        QStyleOptionFrame frame;
        frame.initFrom(this);
        frame.rect = rect;
        frame.state |= QStyle::State_Sunken;
        frame.lineWidth = 1;
        style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &frame, &painter, this);
        painter.drawText(rect.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         toQt(panels_[size_t(i)].Text));
    }
}

// ---------------------------------------------------------------------------------------------
// TStatusProgressBar

TStatusProgressBar::TStatusProgressBar(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
}

TStatusProgressBar::~TStatusProgressBar() {
    if (statusBar_) statusBar_->removeEventFilter(this);
}

void TStatusProgressBar::setStatusBar(TStatusBar* statusBar) {
    if (statusBar == statusBar_) return;
    if (statusBar_) {
        statusBar_->removeEventFilter(this);
        disconnect(statusBar_, nullptr, this, nullptr);
    }
    statusBar_ = statusBar;
    if (statusBar_) {
        statusBar_->installEventFilter(this);
        connect(statusBar_, &TStatusBar::PanelsChanged, this, [this] { Place(panelIndex_); });
    }
    Place(0);
    panelIndex_ = 0;
}

void TStatusProgressBar::setPanelIndex(int index) {
    if (index < 0 || (statusBar_ && index >= std::max(1, statusBar_->PanelCount()))) {
        qWarning("TStatusProgressBar::setPanelIndex: the status bar has no panel %d", index);
        return;
    }
    Place(index);
    panelIndex_ = index;
}

void TStatusProgressBar::Place(int index) {
    const bool keepHidden = isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide);
    if (!statusBar_) {
        QWidget* form = parentWidget() ? parentWidget()->window() : nullptr;
        if (form && form != parentWidget()) {
            const QRect bounds = geometry();
            setParent(form);
            setGeometry(bounds);
            setVisible(!keepHidden);
        }
        return;
    }
    if (parentWidget() != statusBar_) {
        setParent(statusBar_);
        setVisible(!keepHidden);
    }
    setGeometry(statusBar_->PanelRect(index));
    raise();
}

bool TStatusProgressBar::eventFilter(QObject* watched, QEvent* event) {
    // Qt lays the status bar out after the window is built, so the bar follows its size.
    if (watched == statusBar_ && event->type() == QEvent::Resize) Place(panelIndex_);
    return QProgressBar::eventFilter(watched, event);
}

} // namespace mv
