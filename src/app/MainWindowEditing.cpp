// Editing in the grid and writing the edits back, check marks and sorting.

#include "MainWindow.h"

#include "ShellTreeView.h"
#include "favorites/ShortcutFile.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/pathcase.h"
#include "platform/shellfileop.h"
#include "ui/CheckBoxGrid.h"

#include <QScopeGuard>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace mv {
namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool isBlank(const std::string& text) { return toQt(text).trimmed().isEmpty(); }

std::string folderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

void tellError(const QString& text) { Dialogs::current().message(MsgType::Error, text, mbOK); }

// Renames without ever replacing another file. Names are compared as Windows would: a
// target that differs from an existing file only in case counts as taken, unless it is the
// file itself (a change of case only). On refusal, says why and returns false.
bool renameFavorite(const std::string& from, const std::string& to) {
    const std::string source = resolvePathCase(from);
    const std::string taken = resolvePathCase(to);
    if (taken != source && exists(taken)) {
        tellError(toQt(to) + QStringLiteral("\r\n同じ名前のお気に入りが既にあります"));
        return false;
    }
    const std::error_code ec = MoveFileA(source, to);
    if (!ec) return true;
    tellError(toQt(from) + QStringLiteral("\r\nの名前を変更できません: ") + reasonText(ec));
    return false;
}

} // namespace

FavoriteEntry* TForm1::RowEntry(int row) {
    if (row < 1 || row >= StringGrid1->RowCount() || row > int(Listing.size())) return nullptr;
    return &Listing[size_t(row - 1)];
}

std::string TForm1::RowFile(int row) {
    const FavoriteEntry* e = RowEntry(row);
    return e ? e->Path : std::string();
}

void TForm1::StringGrid1SelectCell(int, int row, bool& canSelect) {
    canSelect = true;
    CommitRowEdits();
    // A listing that is still filling its rows remembers its current row when it is done.
    if (!listing_) RememberRow(row);
}

void TForm1::RememberRow(int row) {
    // Never the lone header row of an empty folder: its edits would create a file named after
    // the header. The values are the file's as last read or written, so an edit that could not
    // be written differs from them and is tried again when the row is next left.
    const FavoriteEntry* e = RowEntry(row);
    if (!e) return;
    EditPath = e->Path;
    EditUrl = e->Url;
    EditComment = e->Comment;
    EditRow = row;
}

void TForm1::ForgetRow() {
    EditPath.clear();
    EditUrl.clear();
    EditComment.clear();
    EditRow = -1;
}

void TForm1::StringGrid1Exit() { CommitRowEdits(); }

void TForm1::StringGrid1MouseDown(Qt::MouseButton button, int x, int y) {
    if (button != Qt::RightButton) return;
    int col = -1, row = -1;
    StringGrid1->MouseToCell(x, y, col, row);
    if (col < StringGrid1->FixedCols() || row < StringGrid1->FixedRows()) return;
    StringGrid1->setRow(row);
    StringGrid1->setCol(col);
}

void TForm1::CommitRowEdits() {
    // A message box shown by a commit must not start another one.
    if (EditRow == -1 || committing_) return;
    committing_ = true;
    const auto done = qScopeGuard([this] { committing_ = false; });
    // The context names its favorite by file; the row is only where that favorite is shown now.
    FavoriteEntry* e = RowEntry(EditRow);
    if (!e || e->Path != EditPath) {
        ForgetRow();
        return;
    }
    const std::string url = StringGrid1->Cells(2, EditRow);
    const std::string comment = StringGrid1->Cells(4, EditRow);
    const std::string siteName = StringGrid1->Cells(1, EditRow);
    if (!e->Readable) {
        // What the row shows is not the file's content; writing it would replace the file's.
        if (url != EditUrl || comment != EditComment || siteName != e->SiteName) {
            StringGrid1->setCells(1, EditRow, e->SiteName);
            StringGrid1->setCells(2, EditRow, e->Url);
            StringGrid1->setCells(4, EditRow, e->Comment);
            tellError(toQt(e->Path) + QStringLiteral("\r\nを読み込めないため、変更を書き込みません"));
        }
        ForgetRow();
        return;
    }
    try {
        if (url != EditUrl) {
            WriteShortcutUrl(EditPath, url);
            e->Url = EditUrl = url;
        }
        if (comment != EditComment) {
            WriteShortcutComment(EditPath, comment);
            e->Comment = EditComment = comment;
        }
    } catch (const Error& error) {
        // The cells keep the text so it can be corrected; the context stays for another try.
        tellError(error.text());
        return;
    }
    if (siteName != e->SiteName) {
        bool renamed = false;
        if (isBlank(siteName))
            // The file would become a hidden ".url" (or a name of blanks only).
            tellError(toQt(e->Path) + QStringLiteral("\r\nサイト名が空のため、名前を変更しません"));
        else if (siteName.find('/') != std::string::npos)
            tellError(toQt(e->Path) + QStringLiteral("\r\nサイト名に \"/\" は使えません"));
        else {
            const std::string newPath = ItemPath(folderOf(e->Path), siteName);
            renamed = renameFavorite(e->Path, newPath);
            if (renamed) {
                e->Path = newPath;
                e->SiteName = siteName;
            }
        }
        // A row always names its own file.
        if (!renamed) StringGrid1->setCells(1, EditRow, e->SiteName);
    }
    ForgetRow();
}

void TForm1::TB_CheckOnClick() {
    for (int r = 1; r < StringGrid1->RowCount(); ++r) StringGrid1->setCells(0, r, "1");
}

void TForm1::TB_CheckOffClick() {
    for (int r = 0; r < StringGrid1->RowCount(); ++r) StringGrid1->setCells(0, r, "0");
}

void TForm1::TB_CheckChangeClick() {
    for (int r = 1; r < StringGrid1->RowCount(); ++r)
        StringGrid1->setCells(0, r, StringGrid1->Cells(0, r) == "1" ? "0" : "1");
}

void TForm1::TB_SortBySiteClick() { SortRowsByColumn(1); }

void TForm1::TB_SortByURLClick() { SortRowsByColumn(2); }

void TForm1::SortRowsByColumn(int col) {
    if (Busy()) return;
    // Written before rows move. A commit that fails keeps its context, which then moves with
    // its row below, so it can never follow another favorite's cells.
    CommitRowEdits();
    const bool committed = EditRow == -1;
    struct Row {
        std::array<std::string, 5> cells;
        int from = 0;
    };
    const int first = StringGrid1->FixedRows();
    std::vector<Row> rows;
    for (int r = first; r < StringGrid1->RowCount(); ++r) {
        Row row;
        for (int c = 0; c < 5; ++c) row.cells[size_t(c)] = StringGrid1->Cells(c, r);
        row.from = r;
        rows.push_back(std::move(row));
    }
    const CodePage& cp = CodePage::active();
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        return cp.compareNoCase(a.cells[size_t(col)], b.cells[size_t(col)]) < 0;
    });
    const FolderListing before = Listing;
    int editRow = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        const int r = first + int(i);
        for (int c = 0; c < 5; ++c) StringGrid1->setCells(c, r, rows[i].cells[size_t(c)]);
        // The entry (file, hidden state, values on disk) goes with its row.
        const int from = rows[i].from;
        if (r >= 1 && r - 1 < int(before.size()) && from >= 1 && from - 1 < int(before.size()))
            Listing[size_t(r - 1)] = before[size_t(from - 1)];
        if (from == EditRow) editRow = r;
    }
    if (!committed) {
        if (editRow == -1) ForgetRow();
        else EditRow = editRow;
    }
    // What is typed next into the current cell belongs to the favorite shown there now.
    else RememberRow(StringGrid1->Row());
    StringGrid1->viewport()->update();
}

} // namespace mv
