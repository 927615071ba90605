// Writes a picture of the main window showing a search, for the documentation:
//   xvfb-run -s "-screen 0 1024x768x24" build/tests/search_screenshot docs
// The window is shown over a sample favorites folder and grabbed from the X server.

#include "../ScreenshotSupport.h"
#include "app/AppSetup.h"
#include "app/MainWindow.h"
#include "app/SearchIndexKeeper.h"
#include "app/ShellTreeView.h"
#include "ui/CheckBoxGrid.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

using mvshot::saveShot;
using mvshot::settle;
using mvshot::writeFavorite;

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    mv::SetupApplication(app, /*realDialogs=*/false);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");

    QTemporaryDir dir;
    const QString fav = dir.path() + QStringLiteral("/Favorites");
    writeFavorite(fav + QStringLiteral("/気象庁.url"), "https://www.jma.go.jp/", "天気予報");
    writeFavorite(fav + QStringLiteral("/Debian.url"), "https://www.debian.org/", "");
    writeFavorite(fav + QStringLiteral("/ニュース/NHKニュース.url"), "https://www3.nhk.or.jp/news/",
                  "毎朝チェック");
    writeFavorite(fav + QStringLiteral("/ニュース/経済/日経.url"), "https://www.nikkei.com/", "");
    writeFavorite(fav + QStringLiteral("/趣味/旅行/温泉ガイド.url"), "https://onsen.example.jp/",
                  "ﾆｭｰｽﾚﾀｰあり");
    writeFavorite(fav + QStringLiteral("/趣味/旅行/じゃらん.url"), "https://www.jalan.net/",
                  "宿の予約");
    writeFavorite(fav + QStringLiteral("/リンク/にゅーすまとめ.url"), "https://matome.example.com/",
                  "");
    qputenv("MARKVANE_FAVORITES", fav.toLocal8Bit());

    mv::TForm1 form(dir.path().toStdString() + "/markvane.ini");
    form.show();
    settle();
    form.Tree()->expandAll();
    // "ニュース" typed as katakana finds the hiragana and half-width forms too. Typing starts
    // the read of the index, which the search waits for.
    auto* box = form.findChild<QLineEdit*>(QStringLiteral("SearchBox"));
    box->setFocus();
    box->setText(QStringLiteral("ニュース"));
    auto* keeper = form.findChild<mv::SearchIndexKeeper*>();
    while (!keeper->Index())
        settle();
    settle();
    mv::TMOStringGrid& grid = *form.Grid();
    for (int r = 1; r < grid.RowCount(); ++r)
        if (grid.Cells(1, r) == "温泉ガイド") grid.setRow(r);
    box->setFocus();
    settle();

    return saveShot(form.screen(), form.frameGeometry(), out + QStringLiteral("/search.png")) ? 0
                                                                                              : 1;
}
