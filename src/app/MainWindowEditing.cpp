// Editing in the grid and writing the edits back, check marks and sorting. The grid shows
// the favorites list; what is typed goes to the list, and commits and commands read it there.

#include "MainWindow.h"

#include "organize/dialogs/PropertyWindow.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "ui/CheckBoxGrid.h"

#include <QScopedValueRollback>

namespace mv {
namespace {

constexpr int kMarkCol = 0;
constexpr int kSiteCol = 1;
constexpr int kUrlCol = 2;
constexpr int kDateCol = 3;
constexpr int kCommentCol = 4;

// The message that tells why a commit did not do all it was asked; empty when it did.
QString CommitMessage(const CommitResult& result) {
    const QString path = toQt(result.Path);
    switch (result.Error) {
    case CommitError::None:
        break;
    case CommitError::Unreadable:
        return path + QStringLiteral("\r\nを読み込めないため、変更を書き込みません");
    case CommitError::WriteFailed:
        return result.WriteError;
    case CommitError::BlankName:
        return path + QStringLiteral("\r\nサイト名が空のため、名前を変更しません");
    case CommitError::SlashInName:
        return path + QStringLiteral("\r\nサイト名に \"/\" は使えません");
    case CommitError::NameTaken:
        return toQt(result.Target) + QStringLiteral("\r\n同じ名前のお気に入りが既にあります");
    case CommitError::RenameFailed:
        return path + QStringLiteral("\r\nの名前を変更できません: ") +
               reasonText(result.SystemError);
    }
    return {};
}

} // namespace

std::optional<size_t> TForm1::RowEntry(int row) const {
    if (row < 1 || row >= StringGrid1->RowCount() || row > int(favorites_.Count()))
        return std::nullopt;
    return size_t(row - 1);
}

std::string TForm1::RowFile(int row) const {
    const std::optional<size_t> entry = RowEntry(row);
    return entry ? favorites_.At(*entry).Entry.Path : std::string();
}

void TForm1::StringGrid1SelectCell(int, int row, bool& canSelect) {
    canSelect = true;
    CommitRowEdits();
    // A listing that is still filling its rows remembers its current row when it is done.
    if (!listing_) RememberRow(row);
}

void TForm1::RememberRow(int row) {
    // Never the lone header row of an empty folder: its edits would create a file named after
    // the header. A favorite whose edit could not be written still differs from its file's
    // values, so the edit is tried again when it is next left.
    if (const std::optional<size_t> entry = RowEntry(row)) favorites_.BeginEdit(*entry);
}

void TForm1::ForgetRow() {
    favorites_.EndEdit();
}

void TForm1::StringGrid1Exit() {
    CommitRowEdits();
}

void TForm1::StringGrid1MouseDown(Qt::MouseButton button, int x, int y) {
    if (button != Qt::RightButton) return;
    int col = -1, row = -1;
    StringGrid1->MouseToCell(x, y, col, row);
    if (col < StringGrid1->FixedCols() || row < StringGrid1->FixedRows()) return;
    StringGrid1->setRow(row);
    StringGrid1->setCol(col);
}

void TForm1::StringGrid1CheckCellClick(int col, int row, bool check) {
    if (col != kMarkCol) return;
    if (const std::optional<size_t> entry = RowEntry(row)) favorites_.SetChecked(*entry, check);
}

void TForm1::StringGrid1CellTyped(int col, int row, const std::string& text) {
    if (showingEntries_) return;
    const std::optional<size_t> entry = RowEntry(row);
    if (!entry) return;
    switch (col) {
    case kMarkCol:
        favorites_.SetChecked(*entry, text == "1");
        break;
    case kSiteCol:
        favorites_.Stage(*entry, FavoriteField::SiteName, text);
        break;
    case kUrlCol:
        favorites_.Stage(*entry, FavoriteField::Url, text);
        break;
    case kDateCol:
        favorites_.SetDateText(*entry, text);
        break;
    case kCommentCol:
        favorites_.Stage(*entry, FavoriteField::Comment, text);
        break;
    default:
        break;
    }
}

void TForm1::CommitRowEdits() {
    // A message box shown by a commit must not start another one.
    if (favorites_.EditPath().empty() || committing_) return;
    const QScopedValueRollback committing(committing_, true);
    const CommitResult result = favorites_.Commit();
    // The search index reads the favorite again, under its new name too.
    NoteWritten({result.Path, result.Target});
    if (result.Restored) ShowEntry(*result.Restored);
    const QString message = CommitMessage(result);
    if (!message.isEmpty()) Dialogs::current().message(MsgType::Error, message, mbOK);
}

void TForm1::TB_CheckOnClick() {
    favorites_.CheckAll();
    ShowEntries();
}

void TForm1::TB_CheckOffClick() {
    favorites_.CheckNone();
    ShowEntries();
    StringGrid1->setCells(kMarkCol, 0, "0");
}

void TForm1::TB_CheckChangeClick() {
    favorites_.InvertChecks();
    ShowEntries();
}

void TForm1::TB_SortBySiteClick() {
    SortRowsByColumn(kSiteCol);
}

void TForm1::TB_SortByURLClick() {
    SortRowsByColumn(kUrlCol);
}

void TForm1::SortRowsByColumn(int col) {
    // Written before favorites move. One whose commit fails stays the one being edited and
    // moves with its edit.
    CommitRowEdits();
    const bool committed = favorites_.EditPath().empty();
    favorites_.Sort(col == kUrlCol ? FavoriteField::Url : FavoriteField::SiteName);
    ShowEntries();
    // What is typed next into the current cell belongs to the favorite shown there now.
    if (committed) RememberRow(StringGrid1->Row());
    StringGrid1->viewport()->update();
}

void TForm1::StorePropertyValues(int row, const PropertyValues& values) {
    const std::optional<size_t> entry = RowEntry(row);
    if (!entry) return;
    favorites_.Stage(*entry, FavoriteField::SiteName, values.SiteName);
    favorites_.Stage(*entry, FavoriteField::Url, values.Url);
    favorites_.Stage(*entry, FavoriteField::Comment, values.Comment);
    ShowEntry(*entry);
}

void TForm1::CommitPropertyRow(int row) {
    // Made the edited favorite again here because the grid may have committed (and ended) the
    // edit when the main window was disabled.
    if (!RowEntry(row)) return;
    RememberRow(row);
    CommitRowEdits();
}

} // namespace mv
