#pragma once
// Start-up benchmarks: prints the monotonic time of a window's first paint on standard output
// and ends the process there; and the empty window the start-up is compared with.

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>

inline long long nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Once the paint itself has run: the next turn of the event loop.
            QTimer::singleShot(0, [] {
                std::printf("%lld\n", nowNs());
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }
};

// The peer's whole program: one empty window, ended at its first paint.
inline int ShowEmptyWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(640, 480);
    FirstPaint watch;
    window.installEventFilter(&watch);
    window.show();
    return app.exec();
}
