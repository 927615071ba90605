#include "MainWindow.h"

#include "PaneFocusKeeper.h"
#include "ShellTreeView.h"
#include "ToolbarFit.h"
#include "archive/ArchiveFile.h"
#include "archive/ArchiverProbe.h"
#include "favorites/MessagePump.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "ui/CheckBoxGrid.h"
#include "ui/GridFill.h"
#include "ui/JapaneseFonts.h"
#include "ui/StatusProgressBar.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHash>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace mv {
namespace {

const QColor kFixedColor(223, 223, 223);
const QColor kGridBackground(214, 211, 222);
const QColor kHiddenRow(190, 190, 255);

// Disables the tree and the grid and shows the busy cursor until it goes out of scope. The pane
// that had the keyboard focus gets it back, so the keys work on at once after a folder was
// chosen with the mouse.
class BusyState {
public:
    BusyState(QWidget* tree, QWidget* grid) : tree_(tree), grid_(grid), focus_(tree, grid) {
        grid_->setEnabled(false);
        tree_->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyState() {
        QApplication::restoreOverrideCursor();
        grid_->setEnabled(true);
        tree_->setEnabled(true);
    }

private:
    QWidget* tree_;
    QWidget* grid_;
    PaneFocusKeeper focus_;
};

} // namespace

TForm1::TForm1(std::string settingsPath, QWidget* splash)
    : ArchiveFile1(std::make_unique<TArchiveFile>()), ArcHelp1(std::make_unique<TArcHelp>()),
      settings_(std::move(settingsPath)), splash_(splash) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Markvane"));
    setFont(MsPGothicFont(12));
    resize(730, 494);
    BuildLayout();
    FormCreate();
}

TForm1::~TForm1() = default;

QAction* TForm1::Action(const char* name) const {
    return findChild<QAction*>(QString::fromLatin1(name));
}

void TForm1::BuildLayout() {
    Bars = BuildCommands(this);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setHandleWidth(3);
    splitter->setChildrenCollapsible(false);

    ShellTreeView1 = new TShellTreeView(splitter);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ShellTreeView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        Bars.folderMenu->popup(ShellTreeView1->viewport()->mapToGlobal(p));
    });
    connect(ShellTreeView1, &TShellTreeView::Change, this,
            [this] { Guarded([this] { ShellTreeView1Change(); }); });
    connect(ShellTreeView1, &TShellTreeView::DropRequested, this, [this](const QPoint& pos) {
        // A move while a listing or a date fetch runs is refused, as the commands are.
        if (Busy()) return;
        ignoreFailure("a drop ends quietly on any error; what the move did so far stays done",
                      [&] { ShellTreeView1DragDrop(pos); });
    });

    auto* panel = new QWidget(splitter);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(Bars.sortBar);
    StringGrid1 = new TMOStringGrid(panel);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StringGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        Bars.listMenu->popup(StringGrid1->viewport()->mapToGlobal(p));
    });
    panelLayout->addWidget(StringGrid1);
    // What is typed goes to the favorites list as it is typed.
    connect(StringGrid1, &TStringGrid::OnEditText, this,
            [this](int col, int row, const std::string& text) {
                Guarded([&] { StringGrid1CellTyped(col, row, text); });
            });

    // Commands hide the tree and the grid for a moment: their place stays, so the sort bar
    // and the splitter do not jump meanwhile.
    for (QWidget* pane :
         {static_cast<QWidget*>(ShellTreeView1), static_cast<QWidget*>(StringGrid1)}) {
        QSizePolicy policy = pane->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        pane->setSizePolicy(policy);
    }
    ShellTreeView1->setAccessibleName(QStringLiteral("フォルダ"));
    StringGrid1->setAccessibleName(QStringLiteral("お気に入り一覧"));
    splitter->addWidget(ShellTreeView1);
    splitter->addWidget(panel);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({169, 558});
    setCentralWidget(splitter);

    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    // Room for the progress bar's frame and a line of text in the window's font; 19 pixels
    // (the laid-out height) cut both off at the bottom.
    StatusBar1->setFixedHeight(std::max(17 + 2, fontMetrics().height() + 8));
    StatusBar1->AddPanel(100);
    StatusBar1->AddPanel(50);
    setStatusBar(StatusBar1);
    StatusProgressBar1 = new TStatusProgressBar(this);
    StatusProgressBar1->setObjectName(QStringLiteral("StatusProgressBar1"));
    StatusProgressBar1->setRange(0, 100);
    StatusProgressBar1->setValue(0);
    StatusProgressBar1->setStatusBar(StatusBar1);

    ConnectCommands();
    AttachPaneKeys(Bars, ShellTreeView1, StringGrid1);
    BarFit = new ToolbarFit(this, {Bars.mainToolbar, Bars.folderToolbar, Bars.listToolbar},
                            [this] { ApplyViewMode(); });
    BuildSearchBox();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] { UpdateCommandStates(); });
}

void TForm1::ConnectCommands() {
    Connect("TB_End", &TForm1::TB_EndClick);
    Connect("TB_Refresh", &TForm1::TB_RefreshClick);
    Connect("TB_EasyView", &TForm1::TB_EasyViewClick);
    Connect("TB_CheckOn", &TForm1::TB_CheckOnClick);
    Connect("TB_CheckOff", &TForm1::TB_CheckOffClick);
    Connect("TB_CheckChange", &TForm1::TB_CheckChangeClick);
    Connect("TB_SortBySite", &TForm1::TB_SortBySiteClick);
    Connect("TB_SortByURL", &TForm1::TB_SortByURLClick);
    Connect("TB_Copy", &TForm1::TB_CopyClick);
    Connect("TB_Cut", &TForm1::TB_CutClick);
    Connect("TB_Paste", &TForm1::TB_PasteClick);
    Connect("TB_CheckCopy", &TForm1::TB_CheckCopyClick);
    Connect("TB_CheckCut", &TForm1::TB_CheckCutClick);
    Connect("TB_Delete", &TForm1::TB_DeleteClick);
    Connect("TB_CheckDelete", &TForm1::TB_CheckDeleteClick);
    Connect("TB_HideChange", &TForm1::TB_HideChangeClick);
    Connect("TB_CheckHideChange", &TForm1::TB_CheckHideChangeClick);
    Connect("TB_Folder_Hide", &TForm1::TB_Folder_HideClick);
    Connect("TB_Folder_New", &TForm1::TB_Folder_NewClick);
    Connect("TB_Folder_Copy", &TForm1::TB_Folder_CopyClick);
    Connect("TB_Folder_Cut", &TForm1::TB_Folder_CutClick);
    Connect("TB_Folder_Paste", &TForm1::TB_Folder_PasteClick);
    Connect("TB_Folder_Delete", &TForm1::TB_Folder_DeleteClick);
    Connect("TB_Add", &TForm1::TB_AddClick);
    Connect("TB_Property", &TForm1::TB_PropertyClick);
    Connect("TB_ChangeFavoiteDir", &TForm1::TB_ChangeFavoiteDirClick);
    Connect("TB_Col", &TForm1::TB_ColClick);
    Connect("TB_Font", &TForm1::TB_FontClick);
    Connect("TB_Version", &TForm1::TB_VersionClick);
    Connect("TB_ShowBrowser", &TForm1::TB_ShowBrowserClick);
    Connect("TBHelp", &TForm1::TBHelpClick);
    Connect("TB_GetDate", &TForm1::TB_GetDateClick);
    Connect("TB_CheckGetDate", &TForm1::TB_CheckGetDateClick);
    Connect("TB_CheckGetDateCancel", &TForm1::TB_CheckGetDateCancelClick);
    Connect("TBArchive", &TForm1::TBArchiveClick);
    Connect("TB_Print", &TForm1::TB_PrintClick);
    Connect("TB_BookmarkExport", &TForm1::TB_BookmarkExportClick);
    Connect("TB_BookmarkImport", &TForm1::TB_BookmarkImportClick);
    SetupLinkCommands();
}

void TForm1::Connect(const char* name, void (TForm1::*handler)()) {
    for (const char* suffix : {"", "_Toolbar"}) {
        QAction* a = Action((std::string(name) + suffix).c_str());
        if (!a) continue;
        const bool refusedWhileBusy = RefusedWhileBusy(a);
        connect(a, &QAction::triggered, this, [this, handler, refusedWhileBusy] {
            if (refusedWhileBusy && Busy()) return;
            Guarded([this, handler] { (this->*handler)(); });
        });
    }
}

void TForm1::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const Error& e) {
        Dialogs::current().showError(e.text());
    } catch (const std::exception& e) {
        Dialogs::current().showError(QString::fromLocal8Bit(e.what()));
    }
}

void TForm1::FormCreate() {
    // The grid as the window lays it out.
    TMOGridColumns& columns = StringGrid1->GridColumns();
    StringGrid1->setColCount(5);
    StringGrid1->setFixedCols(0);
    StringGrid1->setDefaultRowHeight(20);
    StringGrid1->setFont(MsPGothicFont(12));
    const TImeMode ime[5] = {imDisable, imOpen, imDisable, imDisable, imHira};
    for (int c = 0; c < 5; ++c) {
        columns[c].setImeMode(ime[c]);
        columns[c].setButtonStyle(c == 0 ? cbsCheckBox : cbsSimple);
        columns[c].setCanEdit(true);
        columns[c].setFont(MsPGothicFont(12));
        columns[c].setFixCellFont(MsPGothicFont(12));
        columns[c].setColor(Qt::white);
    }
    connect(
        StringGrid1, &TStringGrid::OnSelectCell, this,
        [this](int col, int row, bool& canSelect) {
            Guarded([&] { StringGrid1SelectCell(col, row, canSelect); });
        },
        Qt::DirectConnection);
    connect(StringGrid1, &TStringGrid::OnExit, this,
            [this] { Guarded([this] { StringGrid1Exit(); }); });
    connect(StringGrid1, &TStringGrid::OnMouseDown, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
                Guarded([&] { StringGrid1MouseDown(button, x, y); });
            });
    connect(
        StringGrid1, &TStringGrid::OnDrawCell, this,
        [this](int col, int row, const QRect& rect, TGridDrawState, QPainter& painter) {
            StringGrid1DrawCell(col, row, rect, painter);
        },
        Qt::DirectConnection);
    connect(StringGrid1, &TMOStringGrid::OnCheckCellClick, this,
            [this](int col, int row, bool check) {
                Guarded([&] { StringGrid1CheckCellClick(col, row, check); });
            });

    favorites_.ClearItemClipboard();
    ShfOperation1.OperationF = foMOVE;
    ShfOperation1.Options.ALLOWUNDO = true;
    StringGrid1->setFixedColor(kFixedColor);
    StringGrid1->setColor(kGridBackground);
    StringGrid1->setColCount(5);
    StringGrid1->setCells(1, 0, fromQt(QStringLiteral("サイト名")));
    StringGrid1->setCells(2, 0, "URL");
    StringGrid1->setCells(3, 0, fromQt(QStringLiteral("更新日")));
    StringGrid1->setCells(4, 0, fromQt(QStringLiteral("コメント")));
    StringGrid1->setColWidths(0, 40);
    StringGrid1->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine |
                            goRowSizing | goColSizing | goEditing | goThumbTracking);
    StringGrid1->setRowCount(1);
    DefaultTextColumnWidth = StringGrid1->ColWidths(1);
    // The comment column reaches the grid's right edge.
    CommentFill = new LastColumnFill(StringGrid1, DefaultTextColumnWidth, 0.5);
    ListingEnabled = true;
    StartupRootPath = ShellTreeView1->SelectedPath();
    UpdateCommandStates();
    Timer1->start();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    Guarded([this] { FormShow(); });
}

void TForm1::FormShow() {
    ShellTreeView1Change();
    PumpMessages();

    auto releaseSplash = [this] {
        if (!splash_) return;
        splash_->hide();
        splash_->deleteLater();
        splash_ = nullptr;
    };
    std::string path = settings_.ReadString("FavoriteFolder", "Path", StartupRootPath);
    if (!runFolder_.isEmpty()) {
        savedPath_ = path;
        path = fromQt(runFolder_);
    }
    if (path != StartupRootPath) {
        try {
            ShellTreeView1->setRoot(toQt(path));
        } catch (const Error&) {
            // The splash must not stay on screen for the rest of the run.
            releaseSplash();
            throw;
        }
    }
    // The root as the tree names it now, which the close compares against.
    if (savedPath_) runFolder_ = ShellTreeView1->Root();
    move(x(), int(settings_.ReadInteger("FormPosition", "Top", y())));
    move(int(settings_.ReadInteger("FormPosition", "Left", x())), y());
    resize(int(settings_.ReadInteger("FormPosition", "Width", width())), height());
    resize(width(), int(settings_.ReadInteger("FormPosition", "Height", height())));
    if (settings_.ReadBool("FormView", "EasyMode", false)) {
        Action("TB_EasyView")->setChecked(true);
        ApplyViewMode();
    }
    releaseSplash();
}

void TForm1::closeEvent(QCloseEvent* event) {
    try {
        FormCloseQuery();
        event->accept();
    } catch (const Error& e) {
        // The settings could not be written: say so; the window stays open and usable.
        Dialogs::current().showError(e.text());
        event->ignore();
    }
}

void TForm1::FormCloseQuery() {
    const bool runFolderShown = savedPath_ && ShellTreeView1->Root() == runFolder_;
    settings_.WriteString("FavoriteFolder", "Path",
                          runFolderShown ? *savedPath_ : fromQt(ShellTreeView1->Root()));
    settings_.WriteInteger("FormPosition", "Top", y());
    settings_.WriteInteger("FormPosition", "Left", x());
    settings_.WriteInteger("FormPosition", "Width", width());
    settings_.WriteInteger("FormPosition", "Height", height());
    settings_.WriteBool("FormView", "EasyMode", Action("TB_EasyView")->isChecked());
    // Released only once the settings are safe, so a failed close leaves it intact.
    favorites_.ClearItemClipboard();
}

void TForm1::TB_EndClick() {
    const MsgButton answer = Dialogs::current().message(
        MsgType::Confirmation, QStringLiteral("終了します\r\nよろしいですか？"), mbYes | mbNo);
    if (answer == mbYes) close();
}

void TForm1::TB_RefreshClick() {
    const PaneFocusKeeper focus(ShellTreeView1, StringGrid1);
    ShellTreeView1->hide();
    StringGrid1->hide();
    const auto show = qScopeGuard([this] {
        ShellTreeView1->show();
        StringGrid1->show();
    });
    ShellTreeView1->Refresh();
}

void TForm1::TB_EasyViewClick() {
    ApplyViewMode();
}

void TForm1::ApplyViewMode() {
    const bool easyView = Action("TB_EasyView")->isChecked();
    for (const char* name : ViewModeItems()) {
        QAction* a = Action(name);
        if (!a) continue;
        for (QObject* o : a->associatedObjects()) {
            auto* button = qobject_cast<QToolButton*>(o);
            if (!button) continue;
            const bool hasImage = !a->icon().isNull();
            // A toolbar too wide for the window is shown as in the easy view.
            const bool easy =
                easyView || BarFit->Compact(qobject_cast<QToolBar*>(button->parentWidget()));
            button->setToolButtonStyle(!easy      ? Qt::ToolButtonTextBesideIcon
                                       : hasImage ? Qt::ToolButtonIconOnly
                                                  : Qt::ToolButtonTextOnly);
        }
        // The tooltip already shows the caption (and the command's key).
        if (a->property("hint").toString().isEmpty()) a->setProperty("hint", a->text());
    }
}

void TForm1::UpdateCommandStates() {
    // The final state of each item is worked out first and set once, so nothing flickers.
    QHash<QAction*, bool> state;
    auto both = [&](const char* name, bool on) {
        for (const char* suffix : {"", "_Toolbar"})
            if (QAction* a = Action((std::string(name) + suffix).c_str())) state[a] = on;
    };
    both("TB_Folder_Paste", !favorites_.FolderClipboard().empty());
    // Every list item, submenus and their contents included, is enabled...
    for (const QList<QAction*>& items : {Bars.listMenu->actions(), Bars.listToolbar->actions()}) {
        for (QAction* a : items) {
            state[a] = true;
            if (a->menu())
                for (QAction* inner : a->menu()->actions())
                    state[inner] = true;
        }
    }
    // ...except those that need a listed favorite.
    if (StringGrid1->RowCount() < 2) {
        for (const char* name : {"TBSubmenu_Check", "TB_ShowBrowser", "TB_Copy", "TB_Cut",
                                 "TB_Delete", "TB_HideChange", "TB_GetDate", "TB_Property"})
            both(name, false);
    }
    // The header row of an empty folder is no favorite and is never shown marked.
    StringGrid1->setCells(0, 0, "0");
    both("TBSubmenu_CheckEdit", favorites_.AnyChecked());
    both("TB_Paste", !favorites_.ItemClipboard().empty());
    for (auto it = state.cbegin(); it != state.cend(); ++it)
        it.key()->setEnabled(it.value());
}

void TForm1::ClearGridRows() {
    const QScopedValueRollback showing(showingEntries_, true);
    for (int r = 1; r < StringGrid1->RowCount(); ++r)
        for (int c = 0; c < StringGrid1->ColCount(); ++c)
            StringGrid1->setCells(c, r, {});
}

void TForm1::ShowEntry(size_t index) {
    const int r = int(index) + 1;
    if (index >= favorites_.Count() || r >= StringGrid1->RowCount()) return;
    const QScopedValueRollback showing(showingEntries_, true);
    const ListedFavorite& f = favorites_.At(index);
    StringGrid1->setCells(0, r, f.Checked ? "1" : "0");
    StringGrid1->setCells(1, r, f.SiteName);
    StringGrid1->setCells(2, r, f.Url);
    StringGrid1->setCells(3, r, f.DateText);
    StringGrid1->setCells(4, r, f.Comment);
}

void TForm1::ShowEntries() {
    for (size_t i = 0; i < favorites_.Count(); ++i)
        ShowEntry(i);
}

void TForm1::WidenColumnToFit(int col, int row) {
    // Most texts of a listing fit the column the widest so far has made; they are not
    // measured. None grows past half the visible grid, nor so far that the comment column
    // leaves the screen, so a long name leaves the other columns in sight; the cell shows what
    // fits, and the column grows on with the window.
    const std::string& text = StringGrid1->Cells(col, row);
    const int wanted = CommentFill->Wanted(col);
    if (StringGrid1->TextFitsWithin(text, wanted - 10)) return;
    const int textWidth = StringGrid1->TextWidth(text) + 10;
    if (textWidth <= wanted) return;
    const int cap = FitWidthCap(*StringGrid1, col, 0.5, DefaultTextColumnWidth);
    const int width = std::max(StringGrid1->ColWidths(col), std::min(cap, textWidth));
    StringGrid1->setColWidths(col, width);
    CommentFill->NoteFitted(col, textWidth);
    CommentFill->Fill();
}

void TForm1::ShellTreeView1Change() {
    ForgetRow();
    if (!ListingEnabled) return;
    if (listing_) {
        // A change of folder while a listing runs: list again once this one is done.
        relistWanted_ = true;
        return;
    }
    if (SearchListsAgain()) return;
    listing_ = true;
    const auto done = qScopeGuard([this] { listing_ = false; });
    do {
        relistWanted_ = false;
        BusyState busy(ShellTreeView1, StringGrid1);
        ClearGridRows();
        FindFile1.IsFindSub = false;
        FindFile1.FolderName = ShellTreeView1->SelectedPath();
        FindFile1.FileMask = {"*.url"};
        FindFile1.CheckTimeIs = tmNone;
        // The hidden bit is all a favorite shows of its attributes; it is read with the file.
        FindFile1.Detail = FindDetail::Names;
        FindFile1.OnFind = [this](const std::string& name, const std::string& path,
                                  const TSearchRec&, bool&) { AddFoundFile(name, path); };
        favorites_.Clear();
        found_.clear();
        FindFile1.OnIdle = [pump = ThrottledPump()]() mutable { pump(); };
        if (!TakePrefetchedListing()) {
            if (!FindFile1.FolderName.empty()) FindFile1.Execute();
            ReadFoundFiles();
        }
        ShowListingNotice(FindFile1.FolderName);
        PumpMessages();
        StringGrid1->setColWidths(1, DefaultTextColumnWidth);
        StringGrid1->setColWidths(2, DefaultTextColumnWidth);
        CommentFill->NoteFitted(1, DefaultTextColumnWidth);
        CommentFill->NoteFitted(2, DefaultTextColumnWidth);
        const int n = int(favorites_.Count());
        StringGrid1->setRowCount(n + 1);
        if (StringGrid1->RowCount() > 1)
            StringGrid1->setFixedRows(1);
        else
            StringGrid1->setFixedRows(0);
        ThrottledPump pump;
        for (int i = 0; i < n && !relistWanted_; ++i) {
            const int r = i + 1;
            if (pump()) ShowListingProgress(50 + 50 * i / n);
            if (i >= int(favorites_.Count())) break;
            ShowEntry(size_t(i));
            WidenColumnToFit(1, r);
            WidenColumnToFit(2, r);
        }
        StatusProgressBar1->setValue(0);
    } while (relistWanted_);
    CommentFill->Fill();
    // The cell that is current when a listing ends gets no selection event; remembering its
    // row here keeps what is typed into it from being lost.
    RememberRow(StringGrid1->Row());
}

void TForm1::ShowListingNotice(const std::string& folder) {
    // On the status line, so a listing is never held up by a question.
    QString notice;
    const auto unreadable =
        std::count_if(favorites_.Items().cbegin(), favorites_.Items().cend(),
                      [](const ListedFavorite& f) { return !f.Entry.Readable; });
    if (!folder.empty() && FolderListError(folder))
        notice = QStringLiteral("フォルダを読み込めません: ") + toQt(folder);
    else if (unreadable > 0)
        notice = QStringLiteral("読み込めないお気に入りが %1 件あります (変更は書き込みません)")
                     .arg(unreadable);
    StatusBar1->setPanelText(1, fromQt(notice));
}

void TForm1::AddFoundFile(const std::string& fileName, const std::string& path) {
    // Only noted here: the files are read together once the folder is enumerated, and the
    // attribute word with each (the search's record does not hold it).
    found_.push_back({path, fileName, std::nullopt});
}

void TForm1::ReadFoundFiles() {
    ThrottledPump pump;
    const size_t total = found_.size();
    std::vector<FavoriteEntry> entries = ReadFavorites(found_, [&](size_t read) {
        // The first half of the progress bar is the reading, the second the showing.
        if (pump()) ShowListingProgress(int(50 * read / total));
        return !relistWanted_;
    });
    found_ = {};
    AddReadFavorites(std::move(entries));
}

bool TForm1::TakePrefetchedListing() {
    // Read ahead for the first listing alone: whatever it lists, the read is spent.
    const std::unique_ptr<ListingPrefetch> prefetch = std::move(prefetch_);
    if (!prefetch || prefetch->Folder() != FindFile1.FolderName) return false;
    ThrottledPump pump;
    std::optional<std::vector<FavoriteEntry>> entries = prefetch->Take([&] {
        pump();
        return !relistWanted_;
    });
    if (!entries) return false;
    AddReadFavorites(std::move(*entries));
    return true;
}

void TForm1::AddReadFavorites(std::vector<FavoriteEntry>&& entries) {
    favorites_.Reserve(entries.size());
    for (FavoriteEntry& e : entries)
        favorites_.Add(std::move(e));
}

void TForm1::ShowListingProgress(int percent) {
    if (StatusProgressBar1->value() != percent) StatusProgressBar1->setValue(percent);
}

void TForm1::StringGrid1DrawCell(int col, int row, const QRect& rect, QPainter& painter) {
    ignoreFailure("painting one cell must never end the paint of the others", [&] {
        if (row == 0) {
            painter.fillRect(rect, kFixedColor);
            if (col >= 1)
                painter.drawText(rect.adjusted(2, 2, 0, 0),
                                 Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                                 toQt(StringGrid1->Cells(col, row)));
            return;
        }
        if (col < 1 || col > 4 || favorites_.Empty()) return;
        const std::optional<size_t> entry = RowEntry(row);
        const bool hidden = entry && favorites_.At(*entry).Entry.Hidden == 1;
        painter.fillRect(rect, hidden ? kHiddenRow : QColor(Qt::white));
        painter.drawText(rect.adjusted(2, 2, 0, 0),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         toQt(StringGrid1->Cells(col, row)));
    });
}

} // namespace mv
