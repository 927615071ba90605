#pragma once
// The main window: folder tree on the left, the favorites grid on the right, toolbars on top
// and a status bar with a progress bar. Its handlers carry the program's behaviour; the listed
// favorites, the edit under way and the clipboards are held by its FavoritesList, which the
// grid displays.

#include "Commands.h"
#include "SettingsFile.h"
#include "favorites/FavoritesList.h"
#include "favorites/FindFile.h"
#include "favorites/FolderListing.h"
#include "favorites/ListingPrefetch.h"
#include "organize/FileOperation.h"
#include "web/LinkChecker.h"
#include "web/UrlProbe.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QLineEdit;
class QTimer;

namespace mv {

class TMOStringGrid;
class TShellTreeView;
class TfrmVersion;
class TfrmAdd;
class TfrmProperty;
class TForm2;
class TArchiveFile;
class TArcHelp;
class TStatusBar;
class TStatusProgressBar;
class TAyaSGridPrinter;
class TPrintDialog;
class LastColumnFill;
class ToolbarFit;
class ProbeAbort;
struct PropertyValues;
struct SecondaryForms;
class SearchIndexKeeper;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `splash` is hidden and released after the first show.
    explicit TForm1(std::string settingsPath, QWidget* splash = nullptr);
    ~TForm1() override;

    // A command by its item name ("TB_Copy", "TB_Copy_Toolbar").
    QAction* Action(const char* name) const;
    // The listed favorites as the grid shows them, the edit under way and the clipboards.
    const FavoritesList& Favorites() const { return favorites_; }
    TShellTreeView* Tree() const { return ShellTreeView1; }
    TMOStringGrid* Grid() const { return StringGrid1; }
    // The gateway of every move, copy and delete (tests watch the shell through it).
    TShfOperation& FileOperation() { return ShfOperation1; }
    // True while a listing or a date fetch runs; the commands that change files or list
    // again are refused then.
    bool Busy() const { return listing_ || fetchingDates_; }
    // Lists `folder` (when not empty) instead of the saved favorites folder, for this run only:
    // unless another folder is chosen meanwhile, the saved choice is written back unchanged.
    // Call before the window is first shown.
    void OpenForThisRun(const QString& folder) { runFolder_ = folder; }
    // The first listing takes its favorites from `prefetch` when it lists the same folder and
    // nothing in it was added, removed or renamed meanwhile. Call before the window is shown.
    void UseListingPrefetch(std::unique_ptr<ListingPrefetch> prefetch) {
        prefetch_ = std::move(prefetch);
    }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend SecondaryForms CreateSecondaryForms(TForm1& form);
    friend void CreateSecondaryFormsOnFirstUse(TForm1& form);

    // Runs a handler; an error it raises ends it and is shown in the error box.
    void Guarded(const std::function<void()>& handler);
    void BuildLayout();
    void ConnectCommands();
    void Connect(const char* name, void (TForm1::*handler)());

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormCloseQuery();
    void TB_EndClick();
    void TB_RefreshClick();
    void TB_EasyViewClick();
    void ShellTreeView1Change(); // the folder listing
    void StringGrid1DrawCell(int col, int row, const QRect& rect, QPainter& painter);
    void UpdateCommandStates();
    void ApplyViewMode();

    // Editing in the grid, check marks and sorting (MainWindowEditing.cpp).
    void StringGrid1SelectCell(int col, int row, bool& canSelect);
    void StringGrid1Exit();
    void StringGrid1MouseDown(Qt::MouseButton button, int x, int y);
    void StringGrid1CheckCellClick(int col, int row, bool check);
    // What the user typed into a cell, handed to the favorite shown in its row.
    void StringGrid1CellTyped(int col, int row, const std::string& text);
    void CommitRowEdits();
    // Makes the favorite shown in `row` the one being edited, if the row shows one.
    void RememberRow(int row);
    void ForgetRow();
    // The listed favorite shown in data row `row`, or none (the header row of an empty folder,
    // a row beyond the listing).
    std::optional<size_t> RowEntry(int row) const;
    // The file of that favorite; empty when the row shows none.
    std::string RowFile(int row) const;
    void TB_CheckOnClick();
    void TB_CheckOffClick();
    void TB_CheckChangeClick();
    void TB_SortBySiteClick();
    void TB_SortByURLClick();
    void SortRowsByColumn(int col);
    // The property window's values staged on the favorite of `row`, then committed.
    void StorePropertyValues(int row, const PropertyValues& values);
    void CommitPropertyRow(int row);

    // Organising favorites and folders (MainWindowOrganize.cpp).
    void TB_CopyClick();
    void TB_CutClick();
    void TB_PasteClick();
    void TB_CheckCopyClick();
    void TB_CheckCutClick();
    void TB_DeleteClick();
    void TB_CheckDeleteClick();
    void TB_HideChangeClick();
    void TB_CheckHideChangeClick();
    void TB_Folder_HideClick();
    void TB_Folder_NewClick();
    void TB_Folder_CopyClick();
    void TB_Folder_CutClick();
    void TB_Folder_PasteClick();
    void TB_Folder_DeleteClick();
    // A folder dragged within the tree and dropped at `pos` (viewport coordinates).
    void ShellTreeView1DragDrop(const QPoint& pos);
    void ToggleHidden(const std::vector<std::string>& paths);
    std::vector<std::string> SelectedRowPath() const;

    // The secondary windows, browser and help (MainWindowDialogs.cpp).
    void TB_AddClick();
    void TB_PropertyClick();
    void TB_ChangeFavoiteDirClick();
    void TB_ColClick();
    void TB_FontClick();
    void TB_VersionClick();
    void TB_ShowBrowserClick();
    void TBHelpClick();
    // The desktop could not hand `what` to any program: says so instead of doing nothing.
    void ReportNoOpener(const QString& what);

    // Update dates (MainWindowDates.cpp).
    void TB_GetDateClick();
    void TB_CheckGetDateClick();
    void TB_CheckGetDateCancelClick();
    // Gives the favorite of `path` its date, if it is still listed with the URL probed.
    void ShowDate(const std::string& path, const std::string& url, std::string date);
    // Probes `url` for the date of the favorite of `path` and shows it, unless the cancel
    // command stopped the probe: the row then stays as it was.
    void FetchDate(const std::string& path, const std::string& url, UrlProbeResult& result);

    // Link check and the redirects it found (MainWindowLinks.cpp), duplicates
    // (MainWindowDuplicates.cpp).
    void SetupLinkCommands();
    void TB_CheckLinksClick();
    void TB_CheckLinksCancelClick();
    void TB_ApplyRedirectsClick();
    void TB_FindDuplicatesClick();
    // Shows a check's result in the favorite's date cell (and marks a dead one), if it is
    // still listed with the URL checked.
    void ShowLinkResult(const std::string& path, const std::string& url, const LinkResult& result);
    // The result of the favorite's last check while its date cell still shows it.
    const LinkResult* LinkResultOf(size_t index) const;

    // The archive (MainWindowArchive.cpp) and printing (MainWindowPrint.cpp).
    void TBArchiveClick();
    void TB_PrintClick();
    // Bookmark files to and from browsers (MainWindowBookmarks.cpp).
    void TB_BookmarkExportClick();
    void TB_BookmarkImportClick();

    // Listing steps (MainWindow.cpp).
    void ClearGridRows();
    void WidenColumnToFit(int col, int row);
    // Says on the status line when the folder or some of its favorites could not be read.
    void ShowListingNotice(const std::string& folder);
    void AddFoundFile(const std::string& fileName, const std::string& path);
    // Reads the files found into the favorites list, keeping the window answering.
    void ReadFoundFiles();
    // Puts the favorites read ahead into the list; false when there are none for this folder.
    bool TakePrefetchedListing();
    void AddReadFavorites(std::vector<FavoriteEntry>&& entries);
    void ShowListingProgress(int percent);
    // Puts a favorite's values into its row, or every favorite's into theirs.
    void ShowEntry(size_t index);
    void ShowEntries();

    // Searching the whole favorites folder (MainWindowSearch.cpp). While a search is shown the
    // grid lists the favorites found, in place of the selected folder's.
    void BuildSearchBox();
    void TB_SearchClick();
    void SearchBoxChanged();
    // Rows showing the same favorites are left alone unless `always` (a command changed them).
    void ListSearchResults(bool always = false);
    // The listing's part: lists the search's favorites again and returns true while a search
    // is shown for the folder still selected; otherwise ends any search and returns false.
    bool SearchListsAgain();
    void EndSearch();
    void ShowSearchStatus(int row);
    // Files the program itself wrote, so the search index reads their folders again.
    void NoteWritten(const std::vector<std::string>& paths);
    QLineEdit* SearchBox = nullptr;
    SearchIndexKeeper* SearchIndex1 = nullptr;
    QTimer* SearchRetry = nullptr; // a search that waits for a listing or date fetch to end
    QString searchFolder_;         // the folder selected when the search began
    bool searchShown_ = false;
    // Widths of texts worked out for earlier keystrokes, in the grid's font of that time: an
    // upper bound, and the width measured (-1 until it had to be).
    std::unordered_map<std::string, std::pair<int, int>> searchTextWidths_;
    int WidestFoundText(FavoriteField field);
    // Measures every indexed name and URL while the window is idle, so the first keystroke
    // finds them done.
    void PrepareSearchWidths();
    QString searchWidthsFont_;

    // Components of the window.
    TShellTreeView* ShellTreeView1 = nullptr;
    TMOStringGrid* StringGrid1 = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TStatusProgressBar* StatusProgressBar1 = nullptr;
    QTimer* Timer1 = nullptr;
    LastColumnFill* CommentFill = nullptr;
    ToolbarFit* BarFit = nullptr;
    TFindFile FindFile1;
    // Made by the first print (MainWindowPrint.cpp), owned by the window.
    TAyaSGridPrinter* AyaSGridPrinter1 = nullptr;
    TPrintDialog* PrintDialog1 = nullptr;
    TShfOperation ShfOperation1;
    std::unique_ptr<TArchiveFile> ArchiveFile1;
    std::unique_ptr<TArcHelp> ArcHelp1;
    CommandBars Bars;

    // The secondary windows, handed over by CreateSecondaryForms.
    TfrmVersion* frmVersion = nullptr;
    TfrmAdd* frmAdd = nullptr;
    TfrmProperty* frmProperty = nullptr;
    TForm2* Form2 = nullptr;
    // Makes them when they were left for the first command that shows one.
    std::function<void()> makeSecondaryForms_;
    void MakeSecondaryForms();

    FavoritesList favorites_;
    bool ListingEnabled = false;
    int DefaultTextColumnWidth = 64;
    std::string StartupRootPath;

    SettingsFile settings_;
    QString runFolder_;
    // The saved "Path" while runFolder_ stands in for it.
    std::optional<std::string> savedPath_;
    QWidget* splash_ = nullptr;
    bool shown_ = false;
    bool listing_ = false;
    bool relistWanted_ = false;
    std::vector<FoundFavorite> found_;          // the listing's files, found but not yet read
    std::unique_ptr<ListingPrefetch> prefetch_; // for the first listing only
    bool committing_ = false;
    // The window is writing the model's values into cells: nothing of that is typed.
    bool showingEntries_ = false;
    // Update dates (MainWindowDates.cpp): a date command is waiting for its probes; the batch's
    // cancel flag.
    bool fetchingDates_ = false;
    bool dateCancel_ = false;
    // Link check (MainWindowLinks.cpp): the running checker, and each favorite's last result
    // by file, with the URL it was checked at.
    LinkChecker* linkChecker_ = nullptr;
    std::map<std::string, std::pair<std::string, LinkResult>> linkResults_;
    // The probe in flight, which the cancel command stops at once.
    ProbeAbort* probeAbort_ = nullptr;
};

} // namespace mv
