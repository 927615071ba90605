#include "WindowsNames.h"

#include "platform/codepage.h"

#include <QStringList>

#include <dirent.h>

namespace mv {
namespace {

QChar fullWidthOf(QChar c) {
    switch (c.unicode()) {
    case u'\\':
        return QChar(0xFF3C);
    case u'/':
        return QChar(0xFF0F);
    case u':':
        return QChar(0xFF1A);
    case u'*':
        return QChar(0xFF0A);
    case u'?':
        return QChar(0xFF1F);
    case u'"':
        return QChar(0x201D); // the closing quotation mark CP932 has
    case u'<':
        return QChar(0xFF1C);
    case u'>':
        return QChar(0xFF1E);
    case u'|':
        return QChar(0xFF5C);
    default:
        return c;
    }
}

bool reserved(const QString& name) {
    static const QStringList devices = {QStringLiteral("CON"), QStringLiteral("PRN"),
                                        QStringLiteral("AUX"), QStringLiteral("NUL")};
    // Windows takes "NUL.txt" and "nul " for the device too.
    const QString stem = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    if (devices.contains(stem)) return true;
    return stem.size() == 4 &&
           (stem.startsWith(QLatin1String("COM")) || stem.startsWith(QLatin1String("LPT"))) &&
           stem[3] >= QLatin1Char('1') && stem[3] <= QLatin1Char('9');
}

} // namespace

QString ValidWindowsName(const QString& title) {
    QString name;
    name.reserve(title.size());
    for (QChar c : title)
        name += c.unicode() < 0x20 || c.unicode() == 0x7F ? QLatin1Char(' ') : fullWidthOf(c);
    name = name.trimmed();
    if (name.size() > kMaxNameLength) {
        int cut = kMaxNameLength;
        if (name[cut - 1].isHighSurrogate()) --cut;
        name.truncate(cut);
    }
    while (!name.isEmpty() && (name.endsWith(QLatin1Char('.')) || name.back().isSpace()))
        name.chop(1);
    if (reserved(name)) {
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        name.insert(dot < 0 ? name.size() : dot, QLatin1Char('_'));
    }
    return name;
}

FolderNames::FolderNames(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* e = ::readdir(dir))
        Take(toQt(e->d_name));
    ::closedir(dir);
}

bool FolderNames::Taken(const QString& entryName) const {
    return folded_.contains(entryName.toCaseFolded());
}

void FolderNames::Take(const QString& entryName) {
    folded_.insert(entryName.toCaseFolded());
}

QString FolderNames::Unique(const QString& base, const QString& ext) const {
    QString name = base + ext;
    for (int n = 2; Taken(name); ++n)
        name = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(ext);
    return name;
}

} // namespace mv
