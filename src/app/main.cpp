#include <QApplication>
#include <QLabel>

// Placeholder until the main window lands: shows that the build works.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Markvane"));
    QLabel label(QStringLiteral("Markvane: メインウィンドウは準備中です"));
    label.resize(360, 80);
    label.show();
    return app.exec();
}
