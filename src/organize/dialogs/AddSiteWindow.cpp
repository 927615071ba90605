#include "AddSiteWindow.h"

#include "SubPath.h"

#include "favorites/ShortcutFile.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/error.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

namespace mv {
namespace {

QLabel* label(QWidget* parent, const QString& text, int top) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(8, top, 56, 21);
    return l;
}

QLineEdit* edit(QWidget* parent, const char* name, int top) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(68, top, 217, 21);
    return e;
}

} // namespace

TfrmAdd::TfrmAdd(QWidget* owner) : TOwnerBlockingDialog(owner) {
    setObjectName(QStringLiteral("frmAdd"));
    setWindowTitle(QStringLiteral("サイトの追加"));
    setFixedSize(293, 156);

    label(this, QStringLiteral("サイト名"), 8);
    txtSiteName = edit(this, "txtSiteName", 8);
    label(this, QStringLiteral("URL"), 36);
    txtUrl = edit(this, "txtUrl", 36);
    // Addresses are typed in Latin letters: no input method here.
    txtUrl->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtUrl->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhUrlCharactersOnly |
                                Qt::ImhNoPredictiveText);

    TBToolbar1 = new QToolBar(this);
    TBToolbar1->setObjectName(QStringLiteral("TBToolbar1"));
    TBToolbar1->setGeometry(68, 60, 217, 22);
    TBToolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    TBToolbar1->setIconSize(QSize(0, 0));
    TBToolbar1->setMovable(false);
    TBToolbar1->setFloatable(false);
    TBToolbar1->setContentsMargins(0, 0, 0, 0);
    TBToolbar1->layout()->setSpacing(1);
    QAction** items[] = {&TBItem1, &TBItem2, &TBItem3, &TBItem4, &TBItem5};
    const char16_t* captions[] = {u"http://", u"www.", u".co.jp", u".net", u".com"};
    for (int i = 0; i < 5; ++i) {
        QAction* a = TBToolbar1->addAction(QString::fromUtf16(captions[i]));
        a->setObjectName(QStringLiteral("TBItem%1").arg(i + 1));
        // Appended at the end whatever the caret position; the other fields stay as they are.
        connect(a, &QAction::triggered, this,
                [this, a] { txtUrl->setText(txtUrl->text() + a->text()); });
        if (auto* b = qobject_cast<QToolButton*>(TBToolbar1->widgetForAction(a))) {
            b->setFocusPolicy(Qt::TabFocus);
            // Just wider than the caption, so all five fit under the address.
            b->setFixedWidth(b->fontMetrics().horizontalAdvance(a->text()) + 10);
        }
        *items[i] = a;
    }

    label(this, QStringLiteral("コメント"), 88);
    txtComment = edit(this, "txtComment", 88);

    btnAdd = new QPushButton(QStringLiteral("追加"), this);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnAdd->setGeometry(112, 122, 81, 25);
    btnAdd->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(204, 122, 81, 25);
    connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });

    setTabOrder(txtSiteName, txtUrl);
    QWidget* previous = txtUrl;
    for (QAction* a : TBToolbar1->actions()) {
        if (QWidget* b = TBToolbar1->widgetForAction(a)) {
            setTabOrder(previous, b);
            previous = b;
        }
    }
    setTabOrder(previous, txtComment);
    setTabOrder(txtComment, btnAdd);
    setTabOrder(btnAdd, btnCancel);
}

std::string TfrmAdd::FavoritePath(const std::string& folder, const std::string& siteName) {
    return PathBelow(folder, siteName) + ".url";
}

void TfrmAdd::FormShow() {
    txtSiteName->clear();
    txtUrl->clear();
    txtComment->clear();
    txtSiteName->setFocus();
}

void TfrmAdd::btnAddClick() {
    if (txtSiteName->text().isEmpty() || txtUrl->text().isEmpty()) {
        Dialogs::current().message(MsgType::Warning,
                                   QStringLiteral("サイト名 または ＵＲＬが未記入です"), mbOK);
        return;
    }
    try {
        AddFavorite();
    } catch (const Error& e) {
        // The entry stays in the dialog so the user can correct it.
        Dialogs::current().showError(e.text());
        return;
    }
    close();
}

void TfrmAdd::AddFavorite() {
    const std::string siteName = fromQt(txtSiteName->text());
    const std::string folder = SelectedFolder ? SelectedFolder() : std::string();
    // Without a selected folder the path would start at the file system's root.
    if (folder.empty()) throw cannotWriteError(siteName + ".url");
    const std::string path = FavoritePath(folder, siteName);
    // Text the program's code page cannot hold is refused rather than written as "?".
    const CodePage& cp = CodePage::active();
    const auto name = cp.fromQString(txtSiteName->text());
    const auto url = cp.fromQString(txtUrl->text());
    const auto comment = cp.fromQString(txtComment->text());
    if (!name || !url || !comment) throw cannotWriteError(path);
    // One write for both keys, so a failure never leaves a favorite without its comment.
    WriteNewShortcut(path, *url, *comment);
    if (Relist) Relist();
}

void TfrmAdd::btnCancelClick() {
    close();
}

} // namespace mv
