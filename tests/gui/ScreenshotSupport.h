#pragma once
// What the documentation's screenshot programs share: letting the window settle, writing a
// sample favorite, and saving a part of the screen.

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QThread>

#include <cstdio>

namespace mvshot {

// Lets pending paints, layouts and timers run.
inline void settle() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
}

// A favorite at `path`, its folder made first; a comment only when one is given.
inline void writeFavorite(const QString& path, const QByteArray& url,
                          const QByteArray& comment = {}) {
    QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return;
    QByteArray text = "[InternetShortcut]\r\nURL=" + url + "\r\n";
    if (!comment.isEmpty()) text += "[Comment]\r\nComment=" + comment + "\r\n";
    f.write(text);
}

// Grabs `area` of `screen` into `path` and prints the path; false (said on stderr) when the
// file cannot be written.
inline bool saveShot(QScreen* screen, const QRect& area, const QString& path) {
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (!shot.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace mvshot
