// The start-up benchmark's peer: a minimal Qt Widgets program that shows one empty window.
// It links Qt Widgets alone, so its start is what any Qt program pays.

#include "FirstPaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(640, 480);
    FirstPaint watch;
    window.installEventFilter(&watch);
    window.show();
    return app.exec();
}
