#include "QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace mv {

MsgButton QtDialogs::message(MsgType type, const QString& text, unsigned buttons,
                             const QString& caption) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption.isEmpty() ? captionOf(type) : caption);
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setIcon(type == MsgType::Warning       ? QMessageBox::Warning
                : type == MsgType::Error       ? QMessageBox::Critical
                : type == MsgType::Information ? QMessageBox::Information
                                               : QMessageBox::Question);
    struct Choice {
        MsgButton button;
        const char16_t* label;
        QMessageBox::ButtonRole role;
    };
    const Choice choices[] = {
        {mbYes, u"はい(&Y)", QMessageBox::YesRole},
        {mbYesToAll, u"すべてはい(&A)", QMessageBox::YesRole},
        {mbNo, u"いいえ(&N)", QMessageBox::NoRole},
        {mbOK, u"OK", QMessageBox::AcceptRole},
        {mbCancel, u"キャンセル", QMessageBox::RejectRole},
    };
    QHash<QAbstractButton*, MsgButton> map;
    for (const Choice& c : choices) {
        if (!(buttons & c.button)) continue;
        QPushButton* b = box.addButton(QString::fromUtf16(c.label), c.role);
        map.insert(b, c.button);
        if (c.button == mbCancel || (c.button == mbNo && !(buttons & mbCancel)))
            box.setEscapeButton(b);
    }
    box.exec();
    auto it = map.find(box.clickedButton());
    if (it != map.end()) return it.value();
    return (buttons & mbCancel) ? mbCancel : (buttons & mbNo) ? mbNo : mbOK;
}

std::optional<QString> QtDialogs::inputBox(const QString& caption, const QString& prompt,
                                           const QString& initial) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtDialogs::saveFileName(const QStringList& filters,
                                               const QString& defaultExt) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList nameFilters;
    for (const QString& f : filters) {
        const QString label = f.section(u'|', 0, 0), pattern = f.section(u'|', 1, 1);
        nameFilters << (label.contains(pattern) ? label : label + QStringLiteral(" (") + pattern + u')');
    }
    dialog.setNameFilters(nameFilters);
    QString ext = defaultExt;
    ext.remove(QStringLiteral("*.")).remove(u'.');
    dialog.setDefaultSuffix(ext);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front();
}

} // namespace mv
