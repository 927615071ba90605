#include "ColumnWidthWindow.h"

#include "CheckBoxGrid.h"
#include "JapaneseFonts.h"

#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <limits>

namespace mv {
namespace {

FontChooser& fontChooser() {
    static FontChooser chooser;
    return chooser;
}

QSpinBox* makeSpin(QWidget* parent, const char* name, int top) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    // No limits: the grid itself treats a negative width as 0.
    spin->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    spin->setSingleStep(1);
    spin->setGeometry(72, top, 73, 21);
    return spin;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(p);
    label->adjustSize();
    // Right-aligned 6 pixels before its spin box (which starts at 72) and centred on it:
    // the laid-out left edge of 24 let "サイト名" touch the box.
    label->move(std::max(8, 72 - 6 - label->width()), top + (21 - label->height()) / 2);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, int top) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(184, top, 121, 25);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

TForm2::TForm2(TMOStringGrid* grid, QWidget* owner) : TOwnerBlockingDialog(owner), grid_(grid) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("列幅の設定"));
    setFont(MsPGothicFont(12));
    setFixedSize(332, 191);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(140, 142, 172));
    setPalette(p);
    setAutoFillBackground(true);

    Label1 = makeLabel(this, "Label1", QStringLiteral("サイト名"), 24);
    Label2 = makeLabel(this, "Label2", QStringLiteral("URL"), 56);
    Label3 = makeLabel(this, "Label3", QStringLiteral("更新日"), 88);
    Label4 = makeLabel(this, "Label4", QStringLiteral("コメント"), 120);
    spnSite = makeSpin(this, "spnSite", 24);
    spnURL = makeSpin(this, "spnURL", 56);
    spnDate = makeSpin(this, "spnDate", 88);
    spnComment = makeSpin(this, "spnComment", 120);
    btnSet = makeButton(this, "btnSet", QStringLiteral("設定"), 40);
    btnCancel = makeButton(this, "btnCancel", QStringLiteral("キャンセル"), 104);
    btnSet->setDefault(true);
    connect(btnSet, &QPushButton::clicked, this, [this] { btnSetClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

int TForm2::SpinValue(const QSpinBox& spin) {
    bool ok = false;
    const int value = spin.cleanText().toInt(&ok, 10);
    return ok ? value : 0;
}

void TForm2::FormShow() {
    if (!grid_) return;
    spnSite->setValue(grid_->ColWidths(1));
    spnURL->setValue(grid_->ColWidths(2));
    spnDate->setValue(grid_->ColWidths(3));
    spnComment->setValue(grid_->ColWidths(4));
}

void TForm2::btnSetClick() {
    if (grid_) {
        grid_->setColWidths(1, SpinValue(*spnSite));
        grid_->setColWidths(2, SpinValue(*spnURL));
        grid_->setColWidths(3, SpinValue(*spnDate));
        grid_->setColWidths(4, SpinValue(*spnComment));
    }
    hide();
}

void TForm2::btnCancelClick() {
    hide();
}

std::optional<QFont> ChooseFont(const QFont& initial, QWidget* parent) {
    if (fontChooser()) return fontChooser()(initial);
    // The dialog lists installed families only: a requested family that the system stands in
    // for ("ＭＳ Ｐゴシック") would leave it on the first font of the list, which OK would then
    // apply. It opens on the font actually in use instead.
    QFont start = initial;
    const QFontInfo used(initial);
    start.setFamily(used.family());
    start.setStyleName(used.styleName());
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, start, parent, QStringLiteral("フォント"));
    if (!ok) return std::nullopt;
    return font;
}

void setFontChooserForTesting(FontChooser chooser) {
    fontChooser() = std::move(chooser);
}

} // namespace mv
