// Copying, moving, deleting and hiding favorites; the folder commands and dragging folders.

#include "MainWindow.h"

#include "PaneFocusKeeper.h"

#include "ShellTreeView.h"
#include "favorites/MessagePump.h"
#include "favorites/ShortcutFile.h"
#include "organize/dialogs/SubPath.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "ui/CheckBoxGrid.h"

#include <QApplication>
#include <QFileInfo>
#include <sys/stat.h>

namespace mv {
namespace {

// Hides the grid and disables the tree (with the busy cursor when asked) until it goes out
// of scope, also when an error passes through.
class TreeAndGridAway {
public:
    TreeAndGridAway(QWidget* tree, QWidget* grid, bool busyCursor)
        : tree_(tree), grid_(grid), cursor_(busyCursor), focus_(tree, grid) {
        if (cursor_) QApplication::setOverrideCursor(Qt::WaitCursor);
        tree_->setEnabled(false);
        grid_->hide();
    }
    ~TreeAndGridAway() {
        tree_->setEnabled(true);
        grid_->show();
        if (cursor_) QApplication::restoreOverrideCursor();
    }

private:
    QWidget* tree_;
    QWidget* grid_;
    bool cursor_;
    PaneFocusKeeper focus_; // last: gives the focus back once both are back
};

// Where `folder` lands when moved or copied into `target`.
QString FolderInside(const QString& target, const QString& folder) {
    return target + QLatin1Char('/') + QFileInfo(folder).fileName();
}

} // namespace

std::vector<std::string> TForm1::SelectedRowPath() const {
    std::string path = RowFile(StringGrid1->Row());
    if (path.empty()) return {};
    return {std::move(path)};
}

// Inverts the hidden attribute of each file; the files it could not change, each with the
// system's reason, in one message after the new state is listed.
void TForm1::ToggleHidden(const std::vector<std::string>& paths) {
    QStringList failed;
    for (const HiddenToggleFailure& f : favorites_.ToggleHidden(paths))
        failed << toQt(f.Path) + QStringLiteral(": ") + reasonText(f.SystemError);
    ShellTreeView1Change();
    if (!failed.isEmpty())
        Dialogs::current().message(MsgType::Error,
                                   QStringLiteral("隠し属性を変更できませんでした\r\n") +
                                       failed.join(QStringLiteral("\r\n")),
                                   mbOK);
}

void TForm1::TB_CopyClick() {
    favorites_.PutItems(SelectedRowPath(), true);
}

void TForm1::TB_CutClick() {
    favorites_.PutItems(SelectedRowPath(), false);
}

// The check-marked favorites, in list order.
void TForm1::TB_CheckCopyClick() {
    favorites_.PutItems(favorites_.CheckedPaths(), true);
}

void TForm1::TB_CheckCutClick() {
    favorites_.PutItems(favorites_.CheckedPaths(), false);
}

void TForm1::TB_PasteClick() {
    ShfOperation1.ToFiles.clear();
    ShfOperation1.FromFFList = favorites_.ItemClipboard();
    ShfOperation1.ToFolder = ShellTreeView1->SelectedPath();
    ShfOperation1.OperationF = favorites_.ClipboardMode() ? foCOPY : foMOVE;
    ShfOperation1.Execute();
    favorites_.ClearItemClipboard();
    PumpMessages();
    ShellTreeView1Change();
}

void TForm1::TB_DeleteClick() {
    ShfOperation1.ToFiles.clear();
    ShfOperation1.FromFFList = SelectedRowPath();
    ShfOperation1.OperationF = foDELETE;
    // The shell asks first; the grid stays in sight while the user decides.
    ShfOperation1.Execute();
    TreeAndGridAway away(ShellTreeView1, StringGrid1, true);
    PumpMessages();
    ShellTreeView1Change();
}

void TForm1::TB_CheckDeleteClick() {
    ShfOperation1.ToFiles.clear();
    ShfOperation1.FromFFList = favorites_.CheckedPaths();
    ShfOperation1.OperationF = foDELETE;
    ShfOperation1.Execute();
    TreeAndGridAway away(ShellTreeView1, StringGrid1, true);
    PumpMessages();
    ShellTreeView1Change();
}

void TForm1::TB_HideChangeClick() {
    ToggleHidden(SelectedRowPath());
}

void TForm1::TB_CheckHideChangeClick() {
    ToggleHidden(favorites_.CheckedPaths());
}

// Every listed favorite; the lone header row of an empty folder stands for none.
void TForm1::TB_Folder_HideClick() {
    ToggleHidden(favorites_.Paths());
}

void TForm1::TB_Folder_NewClick() {
    const auto name = Dialogs::current().inputBox(
        QStringLiteral("フォルダの追加"), QStringLiteral("フォルダ名を入力してください"), {});
    if (!name) return;
    if (name->isEmpty()) {
        Dialogs::current().message(
            MsgType::Error,
            QStringLiteral(
                "フォルダ名が入力されなかったため、\r\nフォルダの作成をキャンセルしました"),
            mbOK);
        return;
    }
    TreeAndGridAway away(ShellTreeView1, StringGrid1, false);
    // "a\b" makes "b" inside an existing "a", as the add-site dialog reads a site name.
    const std::string path = PathBelow(ShellTreeView1->SelectedPath(), fromQt(*name));
    if (::mkdir(path.c_str(), 0777) != 0) throw fileError(path, lastError());
    PumpMessages();
    ShellTreeView1->Refresh();
    // The selection stays where it was; the new folder is shown even in a closed branch.
    ShellTreeView1->revealPath(toQt(path));
}

void TForm1::TB_Folder_CopyClick() {
    favorites_.PutFolder(ShellTreeView1->SelectedPath(), true);
}

void TForm1::TB_Folder_CutClick() {
    favorites_.PutFolder(ShellTreeView1->SelectedPath(), false);
}

void TForm1::TB_Folder_PasteClick() {
    ShfOperation1.ToFiles.clear();
    ShfOperation1.FromFFList = {favorites_.FolderClipboard()};
    ShfOperation1.OperationF = favorites_.ClipboardMode() ? foCOPY : foMOVE;
    ShfOperation1.ToFolder = ShellTreeView1->SelectedPath();
    const QString pasted =
        FolderInside(ShellTreeView1->SelectedQPath(), toQt(favorites_.FolderClipboard()));
    ShfOperation1.Execute();
    PumpMessages();
    TreeAndGridAway away(ShellTreeView1, StringGrid1, false);
    ShellTreeView1->Refresh();
    ShellTreeView1->revealPath(pasted);
    favorites_.ClearFolderClipboard();
}

void TForm1::TB_Folder_DeleteClick() {
    const QString selected = ShellTreeView1->SelectedQPath();
    // The favorites folder itself has no parent in the tree to fall back on; deleting it
    // would take every favorite at once. It is refused.
    if (selected.isEmpty() || selected == ShellTreeView1->RootPath()) {
        Dialogs::current().message(MsgType::Warning,
                                   QStringLiteral("ルートフォルダは削除できません"), mbOK);
        return;
    }
    favorites_.ClearItemClipboard();
    favorites_.ClearFolderClipboard();
    ShfOperation1.ToFiles.clear();
    ShfOperation1.FromFFList = {fromQt(selected)};
    ShfOperation1.OperationF = foDELETE;
    // The shell asks first; only then does the grid go away and the parent take the selection.
    // The folder is still listed by the tree until the model hears of its removal, so the
    // parent can be selected after the delete as well as before it.
    ShfOperation1.Execute();
    TreeAndGridAway away(ShellTreeView1, StringGrid1, false);
    if (!ShfOperation1.fAbort()) ShellTreeView1->selectPath(QFileInfo(selected).absolutePath());
    PumpMessages();
    ShellTreeView1->Refresh();
}

void TForm1::ShellTreeView1DragDrop(const QPoint& pos) {
    const MsgButton answer = Dialogs::current().message(
        MsgType::Confirmation, QStringLiteral("フォルダを移動します\r\nよろしいですか？"),
        mbYes | mbNo);
    if (answer != mbYes) return;
    // Paths come from the tree's own model, so they follow the root actually shown.
    const QString dragged = ShellTreeView1->SelectedQPath();
    const QString target = ShellTreeView1->PathAt(ShellTreeView1->indexAt(pos));
    if (target.isEmpty() || dragged.isEmpty()) return;
    if (dragged == ShellTreeView1->RootPath()) {
        Dialogs::current().message(MsgType::Warning,
                                   QStringLiteral("ルートフォルダは移動できません"), mbOK);
        return;
    }
    ShellTreeView1->selectPath(target);
    favorites_.PutFolder(fromQt(dragged), false);
    ShfOperation1.ToFiles.clear();
    ShfOperation1.FromFFList = {favorites_.FolderClipboard()};
    ShfOperation1.OperationF = foMOVE;
    ShfOperation1.ToFolder = fromQt(target);
    ShfOperation1.Execute();
    ShellTreeView1->Refresh();
    ShellTreeView1->revealPath(FolderInside(target, dragged));
    favorites_.ClearFolderClipboard();
}

} // namespace mv
