#include "AppSetup.h"

#include "JapaneseTranslations.h"
#include "QtDialogs.h"
#include "ui/JapaneseFonts.h"

#include <QApplication>
#include <QIcon>

// Resources of a static library must be registered by name before first use.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace mv {

void SetupApplication(QApplication& app, bool realDialogs) {
    initResources();
    app.setApplicationName(QStringLiteral("Markvane"));
    // No display name: Qt would append it to every window title, and window managers cut the
    // titles of the small dialogs to "情報… ne".
    app.setDesktopFileName(QStringLiteral("markvane"));
    // The offscreen and minimal platforms know no icon theme: name the folder and a fallback.
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(QStringLiteral("/usr/share/icons")))
        paths << QStringLiteral("/usr/share/icons");
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName(QStringLiteral("breeze"));
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor"))
        QIcon::setThemeName(QStringLiteral("breeze"));
    InstallJapaneseFontSubstitutes();
    InstallJapaneseTranslations(app);
    app.setFont(MsPGothicFont(12));
    app.setWindowIcon(
        QIcon::fromTheme(QStringLiteral("bookmarks"), QIcon(QStringLiteral(":/markvane.svg"))));
    if (realDialogs) {
        static QtDialogs dialogs;
        Dialogs::install(&dialogs);
    }
}

} // namespace mv
