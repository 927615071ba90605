#include "SplashScreen.h"

#include "platform/codepage.h"
#include "platform/versioninfo.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace mv {
namespace {

// The title picture: the program's name on a band, drawn rather than shipped.
QPixmap titlePicture() {
    QPixmap pm(320, 50);
    pm.fill(QColor(140, 142, 172));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f = p.font();
    f.setPixelSize(34);
    f.setBold(true);
    f.setItalic(true);
    p.setFont(f);
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRect(8, 0, 312, 50), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Markvane"));
    p.setPen(QColor(232, 232, 255));
    p.drawLine(8, 44, 300, 44);
    return pm;
}

} // namespace

TfrmSplash::TfrmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(532, 254);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(232, 232, 255));
    setPalette(pal);

    auto* panel = new QFrame(this);
    panel->setGeometry(0, 0, 532, 254);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAutoFillBackground(true);
    QPalette pp = panel->palette();
    pp.setColor(QPalette::Window, QColor(140, 142, 172));
    panel->setPalette(pp);

    auto* picture = new QLabel(panel);
    picture->setGeometry(18, 10, 320, 50);
    picture->setPixmap(titlePicture());

    auto* wait = new QLabel(QStringLiteral("起動中...しばらくおまちください"), panel);
    QFont bold = wait->font();
    bold.setPixelSize(16);
    bold.setBold(true);
    wait->setFont(bold);
    wait->adjustSize();
    wait->move(296 - (wait->width() + 296 > 526 ? wait->width() + 296 - 526 : 0), 216);

    label2_ = new QLabel(QStringLiteral("Label2"), panel);
    label2_->setObjectName(QStringLiteral("Label2"));
    QFont vf = label2_->font();
    vf.setPixelSize(16);
    label2_->setFont(vf);
    QPalette lp = label2_->palette();
    lp.setColor(QPalette::WindowText, Qt::white);
    label2_->setPalette(lp);
    label2_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label2_->setGeometry(337 - 200, 64, 200, 20); // right edge at 337

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TfrmSplash::FormShow() {
    label2_->setText(QStringLiteral("Version ") + toQt(GetVersionString(10)));
}

} // namespace mv
