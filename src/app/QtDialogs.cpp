#include "QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <tuple>
#include <vector>

namespace mv {

namespace {

// Escape (closing the box) answers Cancel, else No, as the Windows message box does.
MsgButton ask(MsgType type, const QString& text, const QString& caption,
              const std::vector<std::tuple<MsgButton, QString, QMessageBox::ButtonRole>>& buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption.isEmpty() ? captionOf(type) : caption);
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setIcon(type == MsgType::Warning       ? QMessageBox::Warning
                : type == MsgType::Error       ? QMessageBox::Critical
                : type == MsgType::Information ? QMessageBox::Information
                                               : QMessageBox::Question);
    unsigned bits = 0;
    for (const auto& button : buttons)
        bits |= std::get<0>(button);
    QHash<QAbstractButton*, MsgButton> map;
    for (const auto& [button, label, role] : buttons) {
        QPushButton* b = box.addButton(label, role);
        map.insert(b, button);
        if (button == mbCancel || (button == mbNo && !(bits & mbCancel))) box.setEscapeButton(b);
    }
    box.exec();
    auto it = map.find(box.clickedButton());
    if (it != map.end()) return it.value();
    return (bits & mbCancel) ? mbCancel : (bits & mbNo) ? mbNo : mbOK;
}

QMessageBox::ButtonRole roleOf(MsgButton button) {
    switch (button) {
    case mbYes:
    case mbYesToAll:
        return QMessageBox::YesRole;
    case mbNo:
        return QMessageBox::NoRole;
    case mbCancel:
        return QMessageBox::RejectRole;
    default:
        return QMessageBox::AcceptRole;
    }
}

// "label|pattern" pairs as Qt's name filters, "label (pattern)".
QStringList nameFiltersOf(const QStringList& filters) {
    QStringList nameFilters;
    for (const QString& f : filters) {
        const QString label = f.section(u'|', 0, 0), pattern = f.section(u'|', 1, 1);
        nameFilters << (label.contains(pattern) ? label
                                                : label + QStringLiteral(" (") + pattern + u')');
    }
    return nameFilters;
}

} // namespace

MsgButton QtDialogs::message(MsgType type, const QString& text, unsigned buttons,
                             const QString& caption) {
    struct Choice {
        MsgButton button;
        const char16_t* label;
    };
    const Choice choices[] = {
        {mbYes, u"はい(&Y)"}, {mbYesToAll, u"すべてはい(&A)"}, {mbNo, u"いいえ(&N)"},
        {mbOK, u"OK"},        {mbCancel, u"キャンセル"},
    };
    std::vector<std::tuple<MsgButton, QString, QMessageBox::ButtonRole>> shown;
    for (const Choice& c : choices)
        if (buttons & c.button)
            shown.emplace_back(c.button, QString::fromUtf16(c.label), roleOf(c.button));
    return ask(type, text, caption, shown);
}

MsgButton QtDialogs::choose(MsgType type, const QString& text, const LabelledButtons& buttons,
                            const QString& caption) {
    std::vector<std::tuple<MsgButton, QString, QMessageBox::ButtonRole>> shown;
    for (const auto& [button, label] : buttons)
        shown.emplace_back(button, label, roleOf(button));
    return ask(type, text, caption, shown);
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
    // The caller decides what an existing file means (the archive asks update or replace).
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(nameFiltersOf(filters));
    QString ext = defaultExt;
    ext.remove(QStringLiteral("*.")).remove(u'.');
    dialog.setDefaultSuffix(ext);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<QString> QtDialogs::openFileName(const QStringList& filters) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFiltersOf(filters));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front();
}

} // namespace mv
