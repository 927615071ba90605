// Editing in the grid and writing the edits back, check marks and sorting.

#include "Unit1.h"

#include "ShellTreeView.h"
#include "favorites/ShortcutFile.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/pathcase.h"
#include "platform/shellfileop.h"
#include "ui/MOStringGrid.h"

#include <algorithm>
#include <array>
#include <sys/stat.h>

namespace mv {
namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Renames without ever replacing another file. Names are compared as Windows would: a
// target that differs from an existing file only in case counts as taken, unless it is the
// file itself (a change of case only).
bool renameFavorite(const std::string& from, const std::string& to) {
    const std::string source = resolvePathCase(from);
    const std::string taken = resolvePathCase(to);
    if (taken != source && exists(taken)) return false;
    return MoveFileA(source, to);
}

} // namespace

void TForm1::StringGrid1SelectCell(int, int row, bool& canSelect) {
    canSelect = true;
    CommitRowEdits();
    // A listing that is still filling its rows remembers its current row when it is done.
    if (!listing_) RememberRow(row);
}

void TForm1::RememberRow(int row) {
    // Never the lone header row of an empty folder: its edits would create a file named after
    // the header.
    if (row < 1 || row >= StringGrid1->RowCount() || Listing.empty()) return;
    const std::string folder = ShellTreeView1->SelectedPath();
    if (folder.empty()) return;
    EditPath = ItemPath(folder, StringGrid1->Cells(1, row));
    EditUrl = StringGrid1->Cells(2, row);
    EditComment = StringGrid1->Cells(4, row);
    EditRow = row;
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
    if (EditRow == -1) return;
    if (EditRow >= StringGrid1->RowCount()) {
        // The row is gone (a new listing); nothing of it can be compared any more.
        EditPath.clear();
        EditUrl.clear();
        EditComment.clear();
        EditRow = -1;
        return;
    }
    try {
        const std::string& url = StringGrid1->Cells(2, EditRow);
        if (url != EditUrl) WriteShortcutUrl(EditPath, url);
        const std::string& comment = StringGrid1->Cells(4, EditRow);
        if (comment != EditComment) WriteShortcutComment(EditPath, comment);
    } catch (const Error&) {
        // Tried again at the next commit moment; the context stays.
        return;
    }
    const std::string siteName = StringGrid1->Cells(1, EditRow);
    // An empty site name would make the favorite a hidden ".url": the file keeps its name.
    if (!EditPath.empty() && !siteName.empty()) {
        const std::string newPath = ItemPath(ShellTreeView1->SelectedPath(), siteName);
        if (newPath != EditPath) renameFavorite(EditPath, newPath);
    }
    EditPath.clear();
    EditUrl.clear();
    EditComment.clear();
    EditRow = -1;
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
    // The remembered row is written before rows move, so it can never follow another file.
    CommitRowEdits();
    struct Row {
        std::array<std::string, 5> cells;
        uint8_t hidden = 0;
    };
    const int first = StringGrid1->FixedRows();
    std::vector<Row> rows;
    for (int r = first; r < StringGrid1->RowCount(); ++r) {
        Row row;
        for (int c = 0; c < 5; ++c) row.cells[size_t(c)] = StringGrid1->Cells(c, r);
        if (r >= 1 && r - 1 < int(Listing.size())) row.hidden = Listing[size_t(r - 1)].Hidden;
        rows.push_back(std::move(row));
    }
    const CodePage& cp = CodePage::active();
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        return cp.compareNoCase(a.cells[size_t(col)], b.cells[size_t(col)]) < 0;
    });
    for (size_t i = 0; i < rows.size(); ++i) {
        const int r = first + int(i);
        for (int c = 0; c < 5; ++c) StringGrid1->setCells(c, r, rows[i].cells[size_t(c)]);
        if (r >= 1 && r - 1 < int(Listing.size())) {
            FavoriteEntry& e = Listing[size_t(r - 1)];
            e.SiteName = rows[i].cells[1];
            e.Url = rows[i].cells[2];
            e.Comment = rows[i].cells[4];
            e.Hidden = rows[i].hidden;
        }
    }
    StringGrid1->viewport()->update();
}

} // namespace mv
