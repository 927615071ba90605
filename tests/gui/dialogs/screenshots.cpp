// Writes pictures of the secondary windows and the folder dialog for the documentation:
//   xvfb-run -s "-screen 0 1024x768x24" build/tests/dialog_screenshots docs
// Each window is shown over a sample favorites folder and grabbed from the X server.

#include "../ScreenshotSupport.h"
#include "app/AppSetup.h"
#include "app/MainWindow.h"
#include "app/SecondaryWindows.h"
#include "app/SettingsFile.h"
#include "app/ShellTreeView.h"
#include "organize/dialogs/FolderDialogWindow.h"
#include "organize/dialogs/FolderTree.h"
#include "organize/dialogs/SelectFolderDialog.h"
#include "platform/dialogs.h"
#include "ui/CheckBoxGrid.h"
#include "ui/LinkLabel.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

using mvshot::saveShot;
using mvshot::settle;
using mvshot::writeFavorite;

QString gOut;

void shoot(QWidget* window, const char* name) {
    settle();
    saveShot(window->screen(), window->frameGeometry(),
             gOut + QLatin1Char('/') + QString::fromLatin1(name));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    mv::SetupApplication(app, /*realDialogs=*/false);
    gOut = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");

    QTemporaryDir dir;
    const QString fav = dir.path() + QStringLiteral("/Favorites");
    QDir().mkpath(fav + QStringLiteral("/ニュース"));
    QDir().mkpath(fav + QStringLiteral("/リンク"));
    QDir().mkpath(fav + QStringLiteral("/ニュース/経済"));
    QDir().mkpath(fav + QStringLiteral("/ニュース/スポーツ"));
    QDir().mkpath(fav + QStringLiteral("/趣味/旅行"));
    writeFavorite(fav + QStringLiteral("/気象庁.url"), "https://www.jma.go.jp/", "天気予報");
    writeFavorite(fav + QStringLiteral("/Debian.url"), "https://www.debian.org/", "");
    qputenv("MARKVANE_FAVORITES", fav.toLocal8Bit());

    mv::TForm1 form(dir.path().toStdString() + "/markvane.ini");
    const mv::SecondaryForms windows = mv::CreateSecondaryForms(form);
    form.show();
    settle();

    form.Action("TB_Add")->trigger();
    windows.frmAdd->txtSiteName->setText(QStringLiteral("日本語のサイト"));
    windows.frmAdd->txtUrl->setText(QStringLiteral("http://www.example.co.jp/"));
    windows.frmAdd->txtComment->setText(QStringLiteral("よく見るページ"));
    shoot(windows.frmAdd, "dialog-add.png");
    windows.frmAdd->close();

    mv::TMOStringGrid& grid = *form.Grid();
    for (int r = 1; r < grid.RowCount(); ++r)
        if (grid.Cells(1, r) != "Debian") grid.setRow(r);
    // A date as typed into its cell.
    grid.setCol(3);
    grid.setEditorMode(true);
    if (QLineEdit* editor = grid.InplaceEditor())
        editor->setText(QStringLiteral("Mon, 07 Dec 2026 09:00:00 GMT"));
    grid.setEditorMode(false);
    while (!form.Action("TB_Property")->isEnabled())
        settle();
    form.Action("TB_Property")->trigger();
    windows.frmProperty->txtComment->setPlainText(QStringLiteral("天気予報\n週間予報も見られます"));
    shoot(windows.frmProperty, "dialog-property.png");
    windows.frmProperty->close();

    form.Action("TB_Col")->trigger();
    shoot(windows.Form2, "dialog-column-widths.png");
    windows.Form2->close();

    form.Action("TB_Version")->trigger();
    shoot(windows.frmVersion, "dialog-version.png");
    windows.frmVersion->close();

    mv::TSelectFolderDialog::setExecuteHookForTesting([&](mv::TFolderDialogForm& dialog) {
        dialog.show();
        dialog.FolderTree->selectPath(fav + QStringLiteral("/ニュース"));
        shoot(&dialog, "dialog-folder.png");
        return int(QDialog::Rejected);
    });
    mv::TSelectFolderDialog folderDialog(&form);
    // A tree of its own, so the picture shows sample folders and nothing of this machine.
    folderDialog.Root = mv::rfCustom;
    folderDialog.CustomRootFolder = fav;
    folderDialog.setText(QStringLiteral("フォルダを選択し、OKを押してください"));
    folderDialog.Path = fav + QStringLiteral("/リンク");
    folderDialog.Execute();
    return 0;
}
