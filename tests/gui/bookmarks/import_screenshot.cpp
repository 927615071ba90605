// Writes the picture of the bookmark import's summary for the documentation:
//   xvfb-run -a -s "-screen 0 1280x900x24" build/tests/import_screenshot FIXTURE.html docs
// A Firefox export is imported into a sample favorites folder with the real message boxes;
// the screen is grabbed while the summary is up.

#include "../ScreenshotSupport.h"
#include "app/AppSetup.h"
#include "app/MainWindow.h"
#include "app/QtDialogs.h"
#include "app/ShellTreeView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

using mvshot::saveShot;
using mvshot::settle;
using mvshot::writeFavorite;

// The real message boxes; the file to import is given instead of asked for.
class ShotDialogs final : public mv::Dialogs {
public:
    ShotDialogs(QString file, QString out) : file_(std::move(file)), out_(std::move(out)) {}
    mv::MsgButton message(mv::MsgType type, const QString& text, unsigned buttons,
                          const QString& caption) override {
        QTimer::singleShot(500, [this] { shootAndClose(); });
        return real_.message(type, text, buttons, caption);
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(const QStringList&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> openFileName(const QStringList&) override { return file_; }
    // The window the summary is shown over, grabbed with it.
    QWidget* main = nullptr;

private:
    void shootAndClose() {
        settle();
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        const QRect area =
            main ? main->frameGeometry().united(box->frameGeometry()) : box->frameGeometry();
        saveShot(box->screen(), area, out_ + QStringLiteral("/import-summary.png"));
        box->accept();
    }

    mv::QtDialogs real_;
    QString file_;
    QString out_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    mv::SetupApplication(app, /*realDialogs=*/false);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s BOOKMARKS.html [OUTPUT_FOLDER]\n", argv[0]);
        return 2;
    }
    ShotDialogs dialogs(QString::fromLocal8Bit(argv[1]),
                        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("."));
    mv::Dialogs::install(&dialogs);

    QTemporaryDir dir;
    const QString fav = dir.path() + QStringLiteral("/Favorites");
    QDir().mkpath(fav + QStringLiteral("/ニュース"));
    QDir().mkpath(fav + QStringLiteral("/ブラウザから"));
    writeFavorite(fav + QStringLiteral("/気象庁.url"), "https://www.jma.go.jp/");
    writeFavorite(fav + QStringLiteral("/Debian.url"), "https://www.debian.org/");
    qputenv("MARKVANE_FAVORITES", fav.toLocal8Bit());

    mv::TForm1 form(dir.path().toStdString() + "/markvane.ini");
    dialogs.main = &form;
    form.show();
    form.activateWindow();
    settle();
    form.Tree()->selectPath(fav + QStringLiteral("/ブラウザから"));
    settle();
    form.Action("TB_BookmarkImport")->trigger();
    settle();
    mv::Dialogs::install(nullptr);
    return 0;
}
