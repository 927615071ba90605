// The main window's commands that open the secondary windows, the folder dialog, the font
// dialog, the browser and the help page.

#include "MainWindow.h"

#include "SecondaryWindows.h"
#include "ShellTreeView.h"
#include "favorites/ShortcutFile.h"
#include "organize/dialogs/SelectFolderDialog.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/library.h"
#include "ui/CheckBoxGrid.h"
#include "web/shellexec.h"

#include <utility>

namespace mv {
namespace {

// The main window's folder dialog, made at its first use; its Path is kept for the run so
// the dialog reopens at the folder chosen last.
TSelectFolderDialog& SelectFolderDialog1(TForm1& form) {
    auto* dialog = form.findChild<TSelectFolderDialog*>(QStringLiteral("SelectFolderDialog1"),
                                                        Qt::FindDirectChildrenOnly);
    if (!dialog) {
        dialog = new TSelectFolderDialog(&form);
        dialog->setObjectName(QStringLiteral("SelectFolderDialog1"));
        dialog->DialogLeft = 0;
        dialog->DialogTop = 0;
    }
    return *dialog;
}

} // namespace

void TForm1::MakeSecondaryForms() {
    if (const auto make = std::exchange(makeSecondaryForms_, {})) make();
}

void TForm1::TB_AddClick() {
    MakeSecondaryForms();
    if (!frmAdd) return;
    frmAdd->show();
    frmAdd->raise();
    frmAdd->activateWindow();
}

void TForm1::TB_PropertyClick() {
    MakeSecondaryForms();
    if (!frmProperty) return;
    const int row = StringGrid1->Row();
    const std::optional<size_t> entry = RowEntry(row);
    if (!entry) return;
    const ListedFavorite& shown = favorites_.At(*entry);
    frmProperty->Load(row, {shown.SiteName, shown.Url, shown.Comment}, shown.DateText);
    CommitRowEdits();
    RememberRow(row);
    frmProperty->show();
    frmProperty->raise();
    frmProperty->activateWindow();
}

void TForm1::TB_ChangeFavoiteDirClick() {
    if (Dialogs::current().message(MsgType::Confirmation,
                                   QStringLiteral("読み込むお気に入りフォルダを変更しますか？"),
                                   mbYes | mbNo) != mbYes)
        return;
    TSelectFolderDialog& dialog = SelectFolderDialog1(*this);
    dialog.Root = rfDesktop;
    dialog.Caption = QStringLiteral("お気に入りフォルダの選択");
    dialog.setText(QStringLiteral("フォルダを選択し、OKを押してください"));
    if (!dialog.Execute()) return;
    // The tree refuses a folder it cannot open ("パス設定エラー") and keeps its root.
    ShellTreeView1->setRoot(dialog.Path);
}

void TForm1::TB_ColClick() {
    MakeSecondaryForms();
    if (!Form2) return;
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
}

void TForm1::TB_FontClick() {
    TMOGridColumns& columns = StringGrid1->GridColumns();
    const std::optional<QFont> font = ChooseFont(columns[1].Font(), this);
    if (!font) return;
    // The text columns and the tree only: the titles, the check marks and the grid's own
    // font (which the printer and the width measurements use) keep theirs.
    for (int c = 1; c <= 4; ++c)
        columns[c].setFont(*font);
    ShellTreeView1->setFont(*font);
}

void TForm1::TB_VersionClick() {
    MakeSecondaryForms();
    if (!frmVersion) return;
    frmVersion->show();
    frmVersion->raise();
    frmVersion->activateWindow();
}

void TForm1::TB_ShowBrowserClick() {
    const std::optional<size_t> entry = RowEntry(StringGrid1->Row());
    if (!entry) return;
    // Only web addresses: a URL can be a path to a program or a file: URL, which the desktop
    // would run or open.
    const QUrl url = WebAddress(toQt(favorites_.At(*entry).Url));
    if (url.isValid() && !ShellOpen(url)) ReportNoOpener(url.toDisplayString());
}

void TForm1::TBHelpClick() {
    // A missing page is the desktop's to show; a desktop that cannot open anything is ours.
    const QString page = toQt(library::executableFolder()) + QStringLiteral("/help.htm");
    if (!ShellOpenFile(page)) ReportNoOpener(page);
}

void TForm1::ReportNoOpener(const QString& what) {
    Dialogs::current().message(MsgType::Warning,
                               QStringLiteral("%1 を開けません\r\n"
                                              "URLやファイルを開くプログラム (xdg-open と"
                                              "ブラウザ) がインストールされていません")
                                   .arg(what),
                               mbOK);
}

} // namespace mv
