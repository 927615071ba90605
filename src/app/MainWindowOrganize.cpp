// Copying, moving, deleting and hiding favorites; the folder commands and dragging folders.

#include "MainWindow.h"

#include "ShellTreeView.h"
#include "favorites/ShortcutFile.h"
#include "favorites/MessagePump.h"
#include "favorites/HiddenAttribute.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "organize/dialogs/SubPath.h"
#include "ui/CheckBoxGrid.h"

#include <QApplication>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace mv {
namespace {

// Hides the grid and disables the tree (with the busy cursor when asked) until it goes out
// of scope, also when an error passes through.
class TreeAndGridAway {
public:
    TreeAndGridAway(TForm1& form, bool busyCursor) : form_(form), cursor_(busyCursor) {
        if (cursor_) QApplication::setOverrideCursor(Qt::WaitCursor);
        form_.ShellTreeView1->setEnabled(false);
        form_.StringGrid1->hide();
    }
    ~TreeAndGridAway() {
        form_.ShellTreeView1->setEnabled(true);
        form_.StringGrid1->show();
        if (cursor_) QApplication::restoreOverrideCursor();
    }

private:
    TForm1& form_;
    bool cursor_;
};

} // namespace

namespace {

// The files of the check-marked rows, in row order. The header row of an empty folder stands
// for no file.
std::vector<std::string> checkedPaths(TForm1& f) {
    std::vector<std::string> paths;
    for (int r = 0; r < f.StringGrid1->RowCount(); ++r)
        if (f.StringGrid1->Cells(0, r) == "1")
            if (std::string path = f.RowFile(r); !path.empty()) paths.push_back(std::move(path));
    return paths;
}

std::vector<std::string> selectedRowPath(TForm1& f) {
    std::string path = f.RowFile(f.StringGrid1->Row());
    if (path.empty()) return {};
    return {std::move(path)};
}

// Inverts the hidden attribute of each file; the files it could not change, each with the
// system's reason, in one message after the new state is listed.
void toggleHidden(TForm1& f, const std::vector<std::string>& paths) {
    QStringList failed;
    for (const std::string& path : paths)
        if (const std::error_code ec = ToggleHiddenAttribute(path))
            failed << toQt(path) + QStringLiteral(": ") + reasonText(ec);
    f.ShellTreeView1Change();
    if (!failed.isEmpty())
        Dialogs::current().message(MsgType::Error,
                                   QStringLiteral("隠し属性を変更できませんでした\r\n") +
                                       failed.join(QStringLiteral("\r\n")),
                                   mbOK);
}

} // namespace

void TForm1::TB_CopyClick() {
    FolderClipboard.clear();
    ClipboardMode = true;
    ItemClipboard = selectedRowPath(*this);
}

void TForm1::TB_CutClick() {
    FolderClipboard.clear();
    ClipboardMode = false;
    ItemClipboard = selectedRowPath(*this);
}

void TForm1::TB_CheckCopyClick() {
    FolderClipboard.clear();
    ClipboardMode = true;
    ItemClipboard = checkedPaths(*this);
}

void TForm1::TB_CheckCutClick() {
    FolderClipboard.clear();
    ClipboardMode = false;
    ItemClipboard = checkedPaths(*this);
}

void TForm1::TB_PasteClick() {
    if (Busy()) return;
    ShfOperation1.ToFiles.clear();
    ShfOperation1.FromFFList = ItemClipboard;
    ShfOperation1.ToFolder = ShellTreeView1->SelectedPath();
    ShfOperation1.OperationF = ClipboardMode ? foCOPY : foMOVE;
    ShfOperation1.Execute();
    ItemClipboard.clear();
    PumpMessages();
    ShellTreeView1Change();
}

void TForm1::TB_DeleteClick() {
    if (Busy()) return;
    ShfOperation1.ToFiles.clear();
    ShfOperation1.FromFFList = selectedRowPath(*this);
    ShfOperation1.OperationF = foDELETE;
    // The shell asks first; the grid stays in sight while the user decides.
    ShfOperation1.Execute();
    TreeAndGridAway away(*this, true);
    PumpMessages();
    ShellTreeView1Change();
}

void TForm1::TB_CheckDeleteClick() {
    if (Busy()) return;
    ShfOperation1.ToFiles.clear();
    ShfOperation1.FromFFList = checkedPaths(*this);
    ShfOperation1.OperationF = foDELETE;
    ShfOperation1.Execute();
    TreeAndGridAway away(*this, true);
    PumpMessages();
    ShellTreeView1Change();
}

void TForm1::TB_HideChangeClick() {
    if (Busy()) return;
    toggleHidden(*this, selectedRowPath(*this));
}

void TForm1::TB_CheckHideChangeClick() {
    if (Busy()) return;
    toggleHidden(*this, checkedPaths(*this));
}

void TForm1::TB_Folder_HideClick() {
    if (Busy()) return;
    // Every listed favorite; the lone header row of an empty folder stands for none.
    std::vector<std::string> paths;
    for (const FavoriteEntry& e : Listing) paths.push_back(e.Path);
    toggleHidden(*this, paths);
}

void TForm1::TB_Folder_NewClick() {
    if (Busy()) return;
    const auto name = Dialogs::current().inputBox(QStringLiteral("フォルダの追加"),
                                                  QStringLiteral("フォルダ名を入力してください"), {});
    if (!name) return;
    if (name->isEmpty()) {
        Dialogs::current().message(
            MsgType::Error,
            QStringLiteral("フォルダ名が入力されなかったため、\r\nフォルダの作成をキャンセルしました"), mbOK);
        return;
    }
    TreeAndGridAway away(*this, false);
    // "a\b" makes "b" inside an existing "a", as the add-site dialog reads a site name.
    const std::string path = PathBelow(ShellTreeView1->SelectedPath(), fromQt(*name));
    if (::mkdir(path.c_str(), 0777) != 0) throw fileError(path, lastError());
    PumpMessages();
    ShellTreeView1->Refresh();
}

void TForm1::TB_Folder_CopyClick() {
    ItemClipboard.clear();
    ClipboardMode = true;
    FolderClipboard = ShellTreeView1->SelectedPath();
}

void TForm1::TB_Folder_CutClick() {
    ItemClipboard.clear();
    ClipboardMode = false;
    FolderClipboard = ShellTreeView1->SelectedPath();
}

void TForm1::TB_Folder_PasteClick() {
    if (Busy()) return;
    ShfOperation1.ToFiles.clear();
    ShfOperation1.FromFFList = {FolderClipboard};
    ShfOperation1.OperationF = ClipboardMode ? foCOPY : foMOVE;
    ShfOperation1.ToFolder = ShellTreeView1->SelectedPath();
    ShfOperation1.Execute();
    PumpMessages();
    TreeAndGridAway away(*this, false);
    ShellTreeView1->Refresh();
    FolderClipboard.clear();
}

void TForm1::TB_Folder_DeleteClick() {
    if (Busy()) return;
    const QString selected = ShellTreeView1->SelectedQPath();
    // The favorites folder itself has no parent in the tree to fall back on; deleting it
    // would take every favorite at once. It is refused.
    if (selected.isEmpty() || selected == ShellTreeView1->RootPath()) {
        Dialogs::current().message(MsgType::Warning, QStringLiteral("ルートフォルダは削除できません"), mbOK);
        return;
    }
    ItemClipboard.clear();
    FolderClipboard.clear();
    ShfOperation1.ToFiles.clear();
    ShfOperation1.FromFFList = {fromQt(selected)};
    ShfOperation1.OperationF = foDELETE;
    // The shell asks first; only then does the grid go away and the parent take the selection.
    // The folder is still listed by the tree until the model hears of its removal, so the
    // parent can be selected after the delete as well as before it.
    ShfOperation1.Execute();
    TreeAndGridAway away(*this, false);
    if (!ShfOperation1.fAbort()) ShellTreeView1->selectPath(QFileInfo(selected).absolutePath());
    PumpMessages();
    ShellTreeView1->Refresh();
}

void TForm1::ShellTreeView1DragDrop(const QPoint& pos) {
    if (Busy()) return;
    const MsgButton answer = Dialogs::current().message(
        MsgType::Confirmation, QStringLiteral("フォルダを移動します\r\nよろしいですか？"), mbYes | mbNo);
    if (answer != mbYes) return;
    // Paths come from the tree's own model, so they follow the root actually shown.
    const QString dragged = ShellTreeView1->SelectedQPath();
    const QString target = ShellTreeView1->PathAt(ShellTreeView1->indexAt(pos));
    if (target.isEmpty() || dragged.isEmpty()) return;
    if (dragged == ShellTreeView1->RootPath()) {
        Dialogs::current().message(MsgType::Warning, QStringLiteral("ルートフォルダは移動できません"), mbOK);
        return;
    }
    ShellTreeView1->selectPath(target);
    ItemClipboard.clear();
    ClipboardMode = false;
    FolderClipboard = fromQt(dragged);
    ShfOperation1.ToFiles.clear();
    ShfOperation1.FromFFList = {FolderClipboard};
    ShfOperation1.OperationF = foMOVE;
    ShfOperation1.ToFolder = fromQt(target);
    ShfOperation1.Execute();
    ShellTreeView1->Refresh();
    FolderClipboard.clear();
}

} // namespace mv
