#include "LinkLabel.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace mv {
namespace {

// The address window: a borderless top-most window that never takes the focus.
class HintForm final : public QWidget {
public:
    HintForm()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowDoesNotAcceptFocus) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAutoFillBackground(true);
    }
    QString text;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setFont(font());
        p.setPen(palette().color(QPalette::ToolTipText));
        p.drawText(QRect(2, 2, width() - 2, height() - 2), Qt::AlignLeft | Qt::AlignTop, text);
    }
};

} // namespace

TURLLink::TURLLink(QWidget* parent) : QLabel(parent) {
    hintFormColor_ = palette().color(QPalette::ToolTipBase);
    hintFormFont_ = QFont();
    setFontColor(Qt::blue);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true); // moves without a button pressed show the hint
    Opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    hint_ = new HintForm;
    hint_->setObjectName(QStringLiteral("URLLinkHint"));
}

TURLLink::~TURLLink() {
    delete hint_;
}

void TURLLink::setURLType(TURLtype value) {
    if (urlType_ == value) return;
    urlType_ = value;
    update();
}

void TURLLink::setLink(const QString& value) {
    if (link_ == value) return;
    link_ = value;
    update();
}

void TURLLink::setLinkColor(const QColor& value) {
    if (linkColor_ == value) return;
    linkColor_ = value;
    if (hovered_) setFontColor(value);
    update();
}

void TURLLink::setHintFormFont(const QFont& value) {
    if (hintFormFont_ == value) return;
    hintFormFont_ = value;
    update();
}

void TURLLink::setEnableShowHint(bool value) {
    if (enableShowHint_ == value) return;
    enableShowHint_ = value;
    if (!value) HideHint();
    update();
}

void TURLLink::setHintFormColor(const QColor& value) {
    if (hintFormColor_ == value) return;
    hintFormColor_ = value;
    update();
}

void TURLLink::setHintOffsetX(int value) {
    if (hintOffsetX_ == value) return;
    hintOffsetX_ = value;
    update();
}

void TURLLink::setHintOffsetY(int value) {
    if (hintOffsetY_ == value) return;
    hintOffsetY_ = value;
    update();
}

void TURLLink::setTransparent(bool value) {
    if (Transparent() == value) return;
    setAutoFillBackground(!value);
    update();
}

void TURLLink::setCaption(const QString& value) {
    if (text() == value) return;
    setText(value);
}

QColor TURLLink::FontColor() const {
    return palette().color(QPalette::WindowText);
}

void TURLLink::setFontColor(const QColor& value) {
    if (FontColor() == value) return;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, value);
    setPalette(p);
    update();
}

QColor TURLLink::Color() const {
    return palette().color(QPalette::Window);
}

void TURLLink::setColor(const QColor& value) {
    if (Color() == value) return;
    QPalette p = palette();
    p.setColor(QPalette::Window, value);
    setPalette(p);
    update();
}

QUrl TURLLink::Target() const {
    if (urlType_ == tpMAIL) return QUrl(QStringLiteral("mailto:") + link_, QUrl::TolerantMode);
    return QUrl(link_, QUrl::TolerantMode);
}

void TURLLink::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    if (hovered_) return;
    hovered_ = true;
    savedFontColor_ = FontColor();
    setFontColor(linkColor_);
}

void TURLLink::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    if (hovered_) {
        hovered_ = false;
        setFontColor(savedFontColor_);
    }
    HideHint();
}

void TURLLink::mouseMoveEvent(QMouseEvent* event) {
    // The label's own move handling is left out on purpose: the hint window replaces it.
    if (enableShowHint_ && !hintShown_) ShowHint(event->globalPosition().toPoint());
}

void TURLLink::mousePressEvent(QMouseEvent* event) {
    update();
    QLabel::mousePressEvent(event);
    emit mouseDown(event->button());
    if (event->button() != Qt::LeftButton) return;
    if (Opener) Opener(Target());
    HideHint();
}

void TURLLink::ShowHint(const QPoint& globalPos) {
    auto* hint = static_cast<HintForm*>(hint_);
    QPalette p = hint->palette();
    p.setColor(QPalette::Window, hintFormColor_);
    hint->setPalette(p);
    hint->setFont(hintFormFont_);
    hint->text = link_;
    const QFontMetrics metrics(hintFormFont_);
    hint->resize(metrics.horizontalAdvance(link_) + 6, metrics.height() + 3);
    hint->move(globalPos + QPoint(hintOffsetX_, hintOffsetY_));
    hint->show();
    hint->update();
    hintShown_ = true;
}

void TURLLink::HideHint() {
    if (!hintShown_) return;
    hint_->hide();
    hintShown_ = false;
}

} // namespace mv
