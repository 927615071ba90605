#include "ui/SpinButton.h"

#include "ui/AutoRepeat.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace mv {

TSpinButton::TSpinButton(QWidget* parent)
    : QWidget(parent), up_(new TAutoRepeat([this] { emit OnUpClick(); }, this)),
      down_(new TAutoRepeat([this] { emit OnDownClick(); }, this)) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

QRect TSpinButton::UpRect() const {
    return QRect(0, 0, width(), height() / 2);
}

QRect TSpinButton::DownRect() const {
    return QRect(0, height() / 2, width(), height() - height() / 2);
}

void TSpinButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const auto half = [&](const QRect& rect, bool held, QStyle::PrimitiveElement arrow) {
        QStyleOptionButton bevel;
        bevel.initFrom(this);
        bevel.rect = rect;
        bevel.state |= held ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &bevel, &painter, this);
        QStyleOption glyph;
        glyph.initFrom(this);
        glyph.rect = rect.adjusted(3, 1, -3, -1);
        style()->drawPrimitive(arrow, &glyph, &painter, this);
    };
    half(UpRect(), up_->Held(), QStyle::PE_IndicatorArrowUp);
    half(DownRect(), down_->Held(), QStyle::PE_IndicatorArrowDown);
}

void TSpinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (UpRect().contains(event->position().toPoint()))
        up_->Press();
    else
        down_->Press();
    update();
}

void TSpinButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    up_->Release();
    down_->Release();
    update();
}

} // namespace mv
