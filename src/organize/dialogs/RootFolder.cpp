#include "RootFolder.h"

#include "platform/favoritesfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace mv {
namespace {

struct Special {
    TRootFolder root;
    const char* name;
};

constexpr Special kSpecial[] = {
    {rfDesktop, "rfDesktop"},
    {rfStartMenu, "rfStartMenu"},
    {rfMyComputer, "rfMyComputer"},
    {rfMyDocuments, "rfPersonal"},
    {rfNetwork, "rfNetwork"},
    {rfAppData, "rfAppData"},
    {rfFavorites, "rfFavorites"},
    {rfPrograms, "rfPrograms"},
    {rfRecent, "rfRecent"},
    {rfSendTo, "rfSendTo"},
    {rfStartup, "rfStartup"},
    {rfCommonDesktop, "rfCommonDesktopDirectory"},
    {rfCommonPrograms, "rfCommonPrograms"},
    {rfCommonStartMenu, "rfCommonStartMenu"},
    {rfCommonStartup, "rfCommonStartup"},
};

QString standard(QStandardPaths::StandardLocation location) {
    return QStandardPaths::writableLocation(location);
}

QString firstExisting(std::initializer_list<QString> candidates) {
    for (const QString& c : candidates)
        if (!c.isEmpty() && QFileInfo(c).isDir()) return c;
    return QDir::homePath();
}

QString specialPath(TRootFolder root) {
    const QString home = QDir::homePath();
    switch (root) {
    case rfDesktop:
    case rfMyComputer:
        return QDir::rootPath();
    case rfMyDocuments:
        return firstExisting({standard(QStandardPaths::DocumentsLocation)});
    case rfNetwork:
        // Where the desktop mounts network shares (gvfs), else the usual mount points.
        return firstExisting({standard(QStandardPaths::RuntimeLocation) + QStringLiteral("/gvfs"),
                              QStringLiteral("/mnt")});
    case rfAppData:
    case rfRecent:
        return firstExisting({standard(QStandardPaths::GenericDataLocation)});
    case rfFavorites:
        return FavoritesFolderPath();
    case rfStartMenu:
    case rfPrograms:
        return firstExisting({standard(QStandardPaths::ApplicationsLocation)});
    case rfSendTo:
        return home;
    case rfStartup:
        return firstExisting(
            {standard(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart")});
    case rfCommonDesktop:
    case rfCommonPrograms:
    case rfCommonStartMenu:
        return firstExisting({QStringLiteral("/usr/share/applications")});
    case rfCommonStartup:
        return firstExisting({QStringLiteral("/etc/xdg/autostart")});
    case rfCustom:
        break;
    }
    return home;
}

} // namespace

QString RootFolderText(TRootFolder root, const QString& customPath) {
    if (root == rfCustom) return customPath;
    for (const Special& s : kSpecial)
        if (s.root == root) return QString::fromLatin1(s.name);
    return QString::fromLatin1(kSpecial[0].name);
}

QString RootFolderPath(const QString& rootText) {
    for (const Special& s : kSpecial)
        if (rootText.compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0)
            return specialPath(s.root);
    if (rootText.isEmpty()) return QDir::rootPath();
    return QDir::cleanPath(QFileInfo(rootText).absoluteFilePath());
}

QString FavoritesFolderPath() {
    return favoritesFolderPath();
}

} // namespace mv
