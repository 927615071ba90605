#pragma once
// The main window: folder tree on the left, the favorites grid on the right, toolbars on top
// and a status bar with a progress bar. Its handlers carry the program's behaviour.

#include "Commands.h"
#include "SettingsFile.h"
#include "favorites/FindFile.h"
#include "favorites/FolderListing.h"
#include "organize/FileOperation.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

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

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `splash` is hidden and released after the first show.
    explicit TForm1(std::string settingsPath, QWidget* splash = nullptr);
    ~TForm1() override;

    // Components of the window.
    TShellTreeView* ShellTreeView1 = nullptr;
    TMOStringGrid* StringGrid1 = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TStatusProgressBar* StatusProgressBar1 = nullptr;
    QTimer* Timer1 = nullptr;
    TFindFile FindFile1;
    // Made by the first print (MainWindowPrint.cpp), owned by the window.
    TAyaSGridPrinter* AyaSGridPrinter1 = nullptr;
    TPrintDialog* PrintDialog1 = nullptr;
    TShfOperation ShfOperation1;
    std::unique_ptr<TArchiveFile> ArchiveFile1;
    std::unique_ptr<TArcHelp> ArcHelp1;
    CommandBars Bars;

    // Shared state.
    FolderListing Listing;
    bool ListingEnabled = false;
    int DefaultTextColumnWidth = 64;
    std::string StartupRootPath;
    std::vector<std::string> ItemClipboard;
    std::string FolderClipboard;
    bool ClipboardMode = false; // true: copy, false: cut
    // Edit context: the row whose cells are compared with the file at the next commit.
    std::string EditPath, EditUrl, EditComment;
    int EditRow = -1;

    // The secondary windows, created at start by CreateSecondaryForms.
    TfrmVersion* frmVersion = nullptr;
    TfrmAdd* frmAdd = nullptr;
    TfrmProperty* frmProperty = nullptr;
    TForm2* Form2 = nullptr;

    SettingsFile& Settings() { return settings_; }
    QAction* Action(const char* name) const;
    // True while a listing or a date fetch runs; commands that change files or list again do
    // nothing then.
    bool Busy() const { return listing_ || fetchingDates_; }

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
    void CommitRowEdits();
    // Makes `row` the edit context, if it is a filled row of listed favorites.
    void RememberRow(int row);
    void ForgetRow();
    // The listed favorite shown in data row `row`, or none (the header row of an empty folder,
    // a row beyond the listing).
    FavoriteEntry* RowEntry(int row);
    // The file of that favorite; empty when the row shows none. Commands act on this file,
    // never on a path built from the site-name cell, which may hold an edit not yet made.
    std::string RowFile(int row);
    void TB_CheckOnClick();
    void TB_CheckOffClick();
    void TB_CheckChangeClick();
    void TB_SortBySiteClick();
    void TB_SortByURLClick();
    void SortRowsByColumn(int col);

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

    // The secondary windows, browser and help (MainWindowDialogs.cpp).
    void TB_AddClick();
    void TB_PropertyClick();
    void TB_ChangeFavoiteDirClick();
    void TB_ColClick();
    void TB_FontClick();
    void TB_VersionClick();
    void TB_ShowBrowserClick();
    void TBHelpClick();

    // Update dates (MainWindowDates.cpp).
    void TB_GetDateClick();
    void TB_CheckGetDateClick();
    void TB_CheckGetDateCancelClick();

    // The archive (MainWindowArchive.cpp) and printing (MainWindowPrint.cpp).
    void TBArchiveClick();
    void TB_PrintClick();

    // Listing steps, public for the commands of other windows.
    void ClearGridRows();
    void WidenColumnToFit(int col, int row);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // Runs a handler; an error it raises ends it and is shown in the error box.
    void Guarded(const std::function<void()>& handler);

private:
    void BuildLayout();
    void ConnectCommands();
    void Connect(const char* name, void (TForm1::*handler)());
    // Says on the status line when the folder or some of its favorites could not be read.
    void ShowListingNotice(const std::string& folder);
    void AddFoundFile(const std::string& fileName, const std::string& path, uint32_t attributes);

    SettingsFile settings_;
    QWidget* splash_ = nullptr;
    bool shown_ = false;
    bool listing_ = false;
    bool relistWanted_ = false;
    bool committing_ = false;
    // Update dates (MainWindowDates.cpp): a date command is waiting for its probes; the batch's
    // cancel flag.
    bool fetchingDates_ = false;
    bool dateCancel_ = false;
};

} // namespace mv
