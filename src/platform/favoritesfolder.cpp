#include "favoritesfolder.h"

#include <QDir>
#include <QFileInfo>

namespace mv {

QString favoritesFolderPath() {
    QString path = qEnvironmentVariable("MARKVANE_FAVORITES");
    if (path.isEmpty()) path = QDir::homePath() + QStringLiteral("/Favorites");
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace mv
