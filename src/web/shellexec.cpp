#include "shellexec.h"

#include <QDesktopServices>

namespace mv {
namespace {

ShellOpener& opener() {
    static ShellOpener current;
    return current;
}

} // namespace

bool ShellOpen(const QUrl& url) {
    if (!url.isValid() || url.isEmpty()) return false;
    if (opener()) return opener()(url);
    return QDesktopServices::openUrl(url);
}

bool ShellOpenFile(const QString& path) {
    if (path.isEmpty()) return false;
    return ShellOpen(QUrl::fromLocalFile(path));
}

QUrl WebAddress(const QString& text) {
    const QString trimmed = text.trimmed();
    // The scheme must be spelled out: QUrl::fromUserInput would turn "calc" or a path into a
    // web or file address.
    QUrl url(trimmed, QUrl::TolerantMode);
    const QString scheme = url.scheme(); // QUrl gives it in lower case
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
         scheme != QLatin1String("ftp")))
        return {};
    return url;
}

void setShellOpenerForTesting(ShellOpener o) {
    opener() = std::move(o);
}

} // namespace mv
