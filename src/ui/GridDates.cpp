#include "ui/GridDates.h"

#include <QLocale>
#include <QStringList>

namespace mv {

QString GridDateSeparator() {
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    bool quoted = false;
    for (const QChar ch : format) {
        if (ch == u'\'') quoted = !quoted;
        if (!quoted && ch != u'\'' && !ch.isLetter() && !ch.isSpace()) return QString(ch);
    }
    return QStringLiteral("/");
}

QString GridDateInputMask(TMODateFormat format) {
    QString separator = GridDateSeparator();
    // Characters that mean something in a mask are written escaped.
    if (QStringLiteral("AaNnXx90Dd#HhBb><!;[]{}\\").contains(separator)) separator.prepend(u'\\');
    if (format == dtLong) return QStringLiteral("9999年99月00日;_");
    return QStringLiteral("99") + separator + QStringLiteral("99") + separator +
           QStringLiteral("00;_");
}

QString FormatGridDate(const QDate& date, TMODateFormat format) {
    if (format == dtLong) return date.toString(QStringLiteral("yyyy'年'MM'月'dd'日'"));
    const QString separator = GridDateSeparator();
    return date.toString(QStringLiteral("yy")) + separator + date.toString(QStringLiteral("MM")) +
           separator + date.toString(QStringLiteral("dd"));
}

std::optional<QDate> ParseGridDate(const QString& text, const QDate& today) {
    const QString separator = GridDateSeparator();
    QString normal = text;
    normal.replace(u'年', separator).replace(u'月', separator).remove(u'日');
    QStringList parts = normal.split(separator);
    if (parts.size() != 3) return std::nullopt;
    int numbers[3] = {};
    for (int i = 0; i < 3; ++i) {
        const QString part = parts[i].trimmed();
        bool ok = false;
        numbers[i] = part.toInt(&ok);
        if (!ok || part.startsWith(u'+') || part.startsWith(u'-')) return std::nullopt;
    }
    int year = numbers[0];
    if (parts[0].trimmed().size() <= 2) {
        // The century that puts the year nearest to this one.
        year += today.year() - today.year() % 100;
        if (year > today.year() + 49) year -= 100;
        if (year < today.year() - 50) year += 100;
    }
    const QDate date(year, numbers[1], numbers[2]);
    if (!date.isValid()) return std::nullopt;
    return date;
}

bool IsEmptyGridDate(const QString& text) {
    for (const QChar ch : text)
        if (ch.isDigit()) return false;
    return true;
}

} // namespace mv
