#include "SecondaryForms.h"

#include "Unit1.h"

namespace mv {

TfrmVersion::TfrmVersion(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmVersion"));
    setWindowTitle(QStringLiteral("バージョン情報"));
}

TfrmAdd::TfrmAdd(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAdd"));
    setWindowTitle(QStringLiteral("お気に入りの追加"));
}

TfrmProperty::TfrmProperty(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmProperty"));
    setWindowTitle(QStringLiteral("プロパティ"));
}

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("列幅の設定"));
}

void CreateSecondaryForms(TForm1& form) {
    form.frmVersion = new TfrmVersion(&form);
    form.frmAdd = new TfrmAdd(&form);
    form.frmProperty = new TfrmProperty(&form);
    form.Form2 = new TForm2(&form);
}

} // namespace mv
