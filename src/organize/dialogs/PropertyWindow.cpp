#include "PropertyWindow.h"

#include "platform/codepage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace mv {

TfrmProperty::TfrmProperty(QWidget* owner) : TOwnerBlockingDialog(owner) {
    setObjectName(QStringLiteral("frmProperty"));
    setWindowTitle(QStringLiteral("プロパティウインドウ"));
    // A close box, no minimise or maximise boxes.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    resize(440, 260);

    txtName = new QLineEdit(this);
    txtName->setObjectName(QStringLiteral("txtName"));
    txtURL = new QLineEdit(this);
    txtURL->setObjectName(QStringLiteral("txtURL"));
    txtURL->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtComment = new QPlainTextEdit(this);
    txtComment->setObjectName(QStringLiteral("txtComment"));
    txtComment->setTabChangesFocus(true);
    txtDate = new QLineEdit(this);
    txtDate->setObjectName(QStringLiteral("txtDate"));
    txtDate->setReadOnly(true);
    txtDate->setEnabled(false);
    txtDate->setFocusPolicy(Qt::NoFocus);
    Button2 = new QPushButton(QStringLiteral("登録"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1 = new QPushButton(QStringLiteral("キャンセル"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    for (QPushButton* b : {Button2, Button1})
        b->setFixedSize(90, 25);

    auto* grid = new QGridLayout;
    const char16_t* labels[] = {u"名前", u"URL", u"コメント", u"最終更新日"};
    QWidget* fields[] = {txtName, txtURL, txtComment, txtDate};
    for (int i = 0; i < 4; ++i) {
        auto* l = new QLabel(QString::fromUtf16(labels[i]), this);
        l->setBuddy(fields[i]);
        grid->addWidget(l, i, 0, i == 2 ? Qt::AlignTop : Qt::Alignment());
        grid->addWidget(fields[i], i, 1);
    }
    grid->setRowStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);

    setTabOrder(txtName, txtURL);
    setTabOrder(txtURL, txtComment);
    setTabOrder(txtComment, Button2);
    setTabOrder(Button2, Button1);

    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TfrmProperty::Load(int row, const PropertyValues& values, const std::string& date) {
    row_ = row;
    loaded_ = values;
    txtName->setText(toQt(values.SiteName));
    txtURL->setText(toQt(values.Url));
    // The editor keeps its lines with LF; a cell keeps them with CR LF.
    txtComment->setPlainText(
        toQt(values.Comment).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    txtDate->setText(toQt(date));
}

PropertyValues TfrmProperty::Values() const {
    return {fromQt(txtName->text()), fromQt(txtURL->text()),
            fromQt(txtComment->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")))};
}

void TfrmProperty::Button2Click() {
    if (OnStore) OnStore(row_, Values());
    hide();
    if (OnCommit) OnCommit(row_);
}

void TfrmProperty::Button1Click() {
    hide();
}

void TfrmProperty::Opened() {
    txtName->setFocus();
}

} // namespace mv
