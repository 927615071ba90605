#include "JapaneseTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace mv {

bool InstallJapaneseTranslations(QCoreApplication& app) {
    // qtbase_ja covers the widgets' dialogs and buttons; the "qt_ja" meta catalogue would pull
    // in modules the program does not use.
    static QTranslator translator;
    if (!translator.isEmpty()) return true;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                         QStringLiteral("_"), folder))
        return false;
    return app.installTranslator(&translator);
}

} // namespace mv
