#include "VersionWindow.h"

#include "JapaneseFonts.h"
#include "LinkLabel.h"
#include "platform/codepage.h"
#include "platform/library.h"
#include "platform/versioninfo.h"

#include <QApplication>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include <exception>

namespace mv {
namespace {

constexpr int kProductName = 9;
constexpr int kProductVersion = 10;
constexpr int kLabel2Right = 324;

QLabel* makeLabel(QWidget* parent, const char* name, const QFont& font, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(p);
    return label;
}

TURLLink* makeLink(QWidget* parent, const char* name, const QString& caption, const QString& link) {
    auto* l = new TURLLink(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTransparent(true);
    l->setFontColor(Qt::blue);
    l->setLinkColor(Qt::red);
    l->setEnableShowHint(false);
    l->setURLType(tpURL);
    l->setCaption(caption);
    l->setLink(link);
    l->adjustSize();
    return l;
}

QFont bold(int pixelSize) {
    QFont f = MsPGothicFont(pixelSize);
    f.setBold(true);
    return f;
}

} // namespace

TfrmVersion::TfrmVersion(QWidget* owner) : TOwnerBlockingDialog(owner) {
    setObjectName(QStringLiteral("frmVersion"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(MsPGothicFont(12));
    setFixedSize(345, 224);

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(12, 16, 32, 32);
    Image2->setPixmap(QApplication::windowIcon().pixmap(32, 32));

    // Placeholders, kept when the version block cannot be read.
    Label1 = makeLabel(this, "Label1", bold(21), QStringLiteral("Markvane"));
    Label1->move(64, 16);
    Label1->adjustSize();
    Label2 = makeLabel(this, "Label2", bold(16), QStringLiteral("Version: ?"));
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceLabel2();

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::NoFrame);
    Panel1->setGeometry(52, 72, 241, 105);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(white);
    Panel1->setAutoFillBackground(true);

    NoticeLabel = new QLabel(QStringLiteral("お気に入り (*.url) の整理・編集ソフト\n"
                                            "© Markvane developers"),
                             Panel1);
    NoticeLabel->setObjectName(QStringLiteral("NoticeLabel"));
    NoticeLabel->move(10, 8);
    NoticeLabel->adjustSize();
    // The makers publish no web page of their own; the help page beside the program is theirs.
    const QString help = toQt(library::executableFolder()) + QStringLiteral("/help.htm");
    URLLink1 = makeLink(Panel1, "URLLink1", QStringLiteral("Markvane のヘルプ"),
                        QUrl::fromLocalFile(help).toString());
    URLLink1->move(10, 42);
    CreditLabel = new QLabel(QStringLiteral("ボタンのアイコン :"), Panel1);
    CreditLabel->setObjectName(QStringLiteral("CreditLabel"));
    CreditLabel->move(10, 66);
    CreditLabel->adjustSize();
    URLLink3 = makeLink(Panel1, "URLLink3", QStringLiteral("Breeze アイコン (KDE)"),
                        QStringLiteral("https://invent.kde.org/frameworks/breeze-icons"));
    URLLink3->move(10, 84);

    btnClose = new QPushButton(QIcon::fromTheme(QStringLiteral("window-close")),
                               QStringLiteral("閉じる"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(120, 192, 105, 25);
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });

    FormCreate();
}

void TfrmVersion::FormCreate() {
    try {
        Label1->setText(toQt(GetVersionString(kProductName)));
        Label1->adjustSize();
        Label2->setText(QStringLiteral("Version: ") + toQt(GetVersionString(kProductVersion)));
        PlaceLabel2();
        Image2->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    } catch (const std::exception&) {
        // The window shows what it has; a version block is nothing to bother the user with.
    }
}

void TfrmVersion::PlaceLabel2() {
    Label2->adjustSize();
    Label2->move(kLabel2Right - Label2->width(), 40);
}

void TfrmVersion::btnCloseClick() {
    close();
}

} // namespace mv
