#pragma once
// Hands a document to the desktop: a web address to the default browser, a local file to the
// program registered for its type. The desktop's opener receives the URL as one argument and
// no shell sees it, but it opens anything it is given, so callers that pass text from the
// user's files check it with WebAddress first.

#include <QString>
#include <QUrl>

#include <functional>

namespace mv {

// Passes `url` to the opener; false when the url is invalid or the opener refused it.
bool ShellOpen(const QUrl& url);
// The local file at `path`, as the opener's file URL (spaces and Japanese names kept whole).
bool ShellOpenFile(const QString& path);

// The text as an http, https or ftp address with a host, or an invalid URL for anything
// else (paths to programs, file: and javascript: URLs, options starting with "-").
QUrl WebAddress(const QString& text);

// The opener the program uses; tests install a recorder. An empty function restores the
// desktop's (QDesktopServices::openUrl).
using ShellOpener = std::function<bool(const QUrl&)>;
void setShellOpenerForTesting(ShellOpener opener);

} // namespace mv
