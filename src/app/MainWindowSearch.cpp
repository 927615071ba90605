// Searching the whole favorites folder: the search box on the sort bar, the favorites it finds
// listed in the grid in place of a folder's (through the same favorites list, so editing and
// every command act on the found files), and the index that answers it.

#include "MainWindow.h"

#include "SearchIndexKeeper.h"
#include "ShellTreeView.h"
#include "platform/codepage.h"
#include "ui/CheckBoxGrid.h"
#include "ui/StatusProgressBar.h"
#include "ui/TextWidthBound.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <optional>

namespace mv {
namespace {

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string filePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

void TForm1::BuildSearchBox() {
    SearchIndex1 = new SearchIndexKeeper(this);
    SearchIndex1->setObjectName(QStringLiteral("SearchIndex1"));

    SearchBox = new QLineEdit(this);
    SearchBox->setObjectName(QStringLiteral("SearchBox"));
    SearchBox->setPlaceholderText(QStringLiteral("お気に入りを検索"));
    SearchBox->setClearButtonEnabled(true);
    SearchBox->setMinimumWidth(150);
    SearchBox->setMaximumWidth(260);
    // Beside the sort bar, which gives way first when the window is narrow.
    auto* column = qobject_cast<QBoxLayout*>(Bars.sortBar->parentWidget()->layout());
    auto* line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 2, 0);
    line->setSpacing(4);
    column->insertLayout(column->indexOf(Bars.sortBar), line);
    column->removeWidget(Bars.sortBar);
    line->addWidget(Bars.sortBar, 1);
    line->addWidget(SearchBox);
    connect(SearchBox, &QLineEdit::textChanged, this,
            [this] { Guarded([this] { SearchBoxChanged(); }); });
    // Escape in the box gives the folder's listing back.
    auto* escape = new QAction(SearchBox);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    escape->setShortcutContext(Qt::WidgetShortcut);
    connect(escape, &QAction::triggered, SearchBox, &QLineEdit::clear);
    SearchBox->addAction(escape);

    QAction* search = Action("TB_Search");
    SearchBox->addAction(search, QLineEdit::LeadingPosition);
    Connect("TB_Search", &TForm1::TB_SearchClick);

    SearchRetry = new QTimer(this);
    SearchRetry->setSingleShot(true);
    SearchRetry->setInterval(100);
    connect(SearchRetry, &QTimer::timeout, this, [this] {
        // Not while a cell of the grid is being edited: the rows would change under it.
        QWidget* focus = QApplication::focusWidget();
        if (StringGrid1->EditorMode() && focus && StringGrid1->isAncestorOf(focus)) {
            SearchRetry->start();
            return;
        }
        Guarded([this] { SearchBoxChanged(); });
    });
    // A search typed before the index was read is answered once it is.
    connect(SearchIndex1, &SearchIndexKeeper::IndexReady, this, [this] {
        if (!SearchBox->text().trimmed().isEmpty()) Guarded([this] { SearchBoxChanged(); });
        PrepareSearchWidths();
    });
    // Changes made by other programs show in the search shown.
    connect(SearchIndex1, &SearchIndexKeeper::IndexChanged, this, [this] {
        if (searchShown_) SearchRetry->start();
    });
    connect(
        StringGrid1, &TStringGrid::OnSelectCell, this,
        [this](int, int row, bool&) {
            if (searchShown_) ShowSearchStatus(row);
        },
        Qt::DirectConnection);
}

void TForm1::TB_SearchClick() {
    // The tree is read from here on, while the user types.
    SearchIndex1->setRoot(filePath(ShellTreeView1->RootPath()));
    SearchBox->setFocus(Qt::ShortcutFocusReason);
    SearchBox->selectAll();
}

void TForm1::SearchBoxChanged() {
    // Rows must not change beneath a listing or a date fetch.
    if (Busy()) {
        SearchRetry->start();
        return;
    }
    if (SearchBox->text().trimmed().isEmpty()) {
        if (searchShown_) EndSearch();
        return;
    }
    SearchIndex1->setRoot(filePath(ShellTreeView1->RootPath()));
    if (!SearchIndex1->Index()) {
        StatusBar1->setPanelText(1, fromQt(QStringLiteral("検索の準備中です...")));
        return;
    }
    if (!searchShown_) {
        CommitRowEdits();
        searchFolder_ = ShellTreeView1->SelectedQPath();
        searchShown_ = true;
        for (const char* name : {"TB_Folder_Hide", "TB_Folder_Hide_Toolbar"})
            if (QAction* a = Action(name)) a->setEnabled(false);
    }
    ListSearchResults();
}

void TForm1::ListSearchResults(bool always) {
    std::vector<const FavoriteEntry*> found;
    if (const SearchIndex* index = SearchIndex1->Index())
        found = index->Find(SearchBox->text().toStdU16String());
    // A keystroke that finds the same favorites, unchanged, leaves the rows as they are
    // (with their marks and the edit under way).
    const auto same = [](const FavoriteEntry& a, const FavoriteEntry& b) {
        return a.Path == b.Path && a.SiteName == b.SiteName && a.Url == b.Url &&
               a.Comment == b.Comment && a.Hidden == b.Hidden;
    };
    if (!always && found.size() == favorites_.Count() &&
        int(found.size()) + 1 == StringGrid1->RowCount() &&
        std::equal(found.cbegin(), found.cend(), favorites_.Items().cbegin(),
                   [&](const FavoriteEntry* f, const ListedFavorite& l) {
                       return same(*f, l.Entry) && l.SiteName == l.Entry.SiteName &&
                              l.Url == l.Entry.Url && l.Comment == l.Entry.Comment;
                   })) {
        ShowSearchStatus(StringGrid1->Row());
        return;
    }

    // The favorite in the current row stays current when it is found again.
    const std::string current = RowFile(StringGrid1->Row());
    ForgetRow();
    listing_ = true;
    const auto done = qScopeGuard([this] { listing_ = false; });
    favorites_.Clear();
    for (const FavoriteEntry* entry : found)
        favorites_.Add(*entry);
    const int n = int(favorites_.Count());
    StringGrid1->setRowCount(n + 1);
    StringGrid1->setFixedRows(n > 0 ? 1 : 0);
    ShowEntries();
    // Columns 1 and 2 fit their widest text, as after a listing.
    StringGrid1->setColWidths(
        1, std::max(DefaultTextColumnWidth, WidestFoundText(FavoriteField::SiteName) + 10));
    StringGrid1->setColWidths(
        2, std::max(DefaultTextColumnWidth, WidestFoundText(FavoriteField::Url) + 10));
    if (const auto at = favorites_.IndexOf(current)) StringGrid1->setRow(int(*at) + 1);
    listing_ = false;
    RememberRow(StringGrid1->Row());
    ShowSearchStatus(StringGrid1->Row());
    StringGrid1->viewport()->update();
}

// The width entry of one text, its bound worked out when it is new.
static std::pair<int, int>&
TextWidthEntry(TMOStringGrid& grid, std::unordered_map<std::string, std::pair<int, int>>& widths,
               std::optional<TextWidthBound>& bounds, const std::string& text) {
    auto [at, added] = widths.try_emplace(text, 0, -1);
    if (added) {
        if (!bounds) bounds.emplace(grid.font());
        const std::optional<int> bound = bounds->Of(toQt(text));
        at->second.first = bound ? *bound : grid.TextWidth(text);
        if (!bound) at->second.second = at->second.first;
    }
    return at->second;
}

int TForm1::WidestFoundText(FavoriteField field) {
    // Shaping a text is most of what a keystroke over thousands of favorites would cost. Each
    // text's upper bound is worked out once (a table look-up per character) and only the texts
    // whose bound beats the widest measured so far are shaped, each once for all keystrokes.
    if (searchWidthsFont_ != StringGrid1->font().key() || searchTextWidths_.size() > 200000) {
        searchTextWidths_.clear();
        searchWidthsFont_ = StringGrid1->font().key();
    }
    std::optional<TextWidthBound> bounds;
    std::vector<std::pair<const std::string*, std::pair<int, int>*>> unmeasured;
    int widest = 0;
    for (const ListedFavorite& f : favorites_.Items()) {
        const std::string& text = f.Shown(field);
        std::pair<int, int>& width = TextWidthEntry(*StringGrid1, searchTextWidths_, bounds, text);
        if (width.second >= 0)
            widest = std::max(widest, width.second);
        else
            unmeasured.emplace_back(&text, &width);
    }
    // Widest bound first: once a bound is no wider than the widest text, none after it is.
    std::sort(unmeasured.begin(), unmeasured.end(),
              [](const auto& a, const auto& b) { return a.second->first > b.second->first; });
    for (const auto& [text, width] : unmeasured) {
        if (width->first <= widest) break;
        width->second = StringGrid1->TextWidth(*text);
        widest = std::max(widest, width->second);
    }
    return widest;
}

void TForm1::PrepareSearchWidths() {
    const SearchIndex* index = SearchIndex1->Index();
    if (!index) return;
    auto texts = std::make_shared<std::vector<std::string>>();
    for (const FavoriteEntry* f : index->All()) {
        texts->push_back(f->SiteName);
        texts->push_back(f->Url);
    }
    searchWidthsFont_ = StringGrid1->font().key();
    auto* timer = new QTimer(this);
    timer->setInterval(0);
    auto next = std::make_shared<size_t>(0);
    auto bounds = std::make_shared<std::optional<TextWidthBound>>();
    connect(timer, &QTimer::timeout, this, [this, timer, texts, next, bounds] {
        // A few milliseconds at a time, so typing is never held up.
        const size_t end = std::min(*next + 200, texts->size());
        const bool sameFont = searchWidthsFont_ == StringGrid1->font().key();
        for (; sameFont && *next < end; ++*next) {
            const std::string& text = (*texts)[*next];
            auto& width = TextWidthEntry(*StringGrid1, searchTextWidths_, *bounds, text);
            if (width.second < 0) width.second = StringGrid1->TextWidth(text);
        }
        if (!sameFont || *next >= texts->size()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

bool TForm1::SearchListsAgain() {
    // Once the search was used, the index follows the root the tree shows.
    if (SearchIndex1 && SearchIndex1->Started())
        SearchIndex1->setRoot(filePath(ShellTreeView1->RootPath()));
    if (!searchShown_) return false;
    if (ShellTreeView1->SelectedQPath() != searchFolder_) {
        // Another folder was chosen: it is listed, and the search ends.
        EndSearch();
        return false;
    }
    // A command changed files: the favorites it may have touched are read again first, and
    // any folder whose entries changed (a paste, a delete, a new favorite).
    NoteWritten(favorites_.Paths());
    SearchIndex1->SyncStale();
    ListSearchResults(true);
    return true;
}

void TForm1::EndSearch() {
    searchShown_ = false;
    SearchRetry->stop();
    for (const char* name : {"TB_Folder_Hide", "TB_Folder_Hide_Toolbar"})
        if (QAction* a = Action(name)) a->setEnabled(true);
    if (!SearchBox->text().isEmpty()) {
        const QSignalBlocker quiet(SearchBox);
        SearchBox->clear();
    }
    // Called by the listing itself when another folder was chosen; otherwise lists the folder.
    if (ShellTreeView1->SelectedQPath() == searchFolder_) ShellTreeView1Change();
}

void TForm1::ShowSearchStatus(int row) {
    QString text = QStringLiteral("検索結果 %1 件").arg(favorites_.Count());
    if (const std::optional<size_t> entry = RowEntry(row)) {
        // Where the favorite lives, from the favorites folder's own name down.
        const QString root = ShellTreeView1->RootPath();
        const QString folder = QFile::decodeName(
            QByteArray::fromStdString(folderOf(favorites_.At(*entry).Entry.Path)));
        QString shown = QFileInfo(root).fileName();
        if (folder.startsWith(root + QLatin1Char('/'))) shown += folder.mid(root.size());
        text += QStringLiteral("  場所: ") + shown;
    }
    StatusBar1->setPanelText(1, fromQt(text));
}

void TForm1::NoteWritten(const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    for (const std::string& path : paths)
        if (!path.empty()) files.push_back(path);
    SearchIndex1->NoteFiles(files);
}

} // namespace mv
