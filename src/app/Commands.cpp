#include "Commands.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace mv {
namespace {

// Whether a command runs while a listing or a date fetch is under way. Those that change files
// or list again do not: the listing would go on over files and rows changed beneath it.
enum WhileBusy : bool { kRuns = false, kRefused = true };

const char kRefusedWhileBusy[] = "refusedWhileBusy";

struct Item {
    const char* name;
    const char16_t* caption;
    const char* icon; // theme icon name, or nullptr
    WhileBusy whileBusy = kRuns;
    const char16_t* hint = nullptr;
    // The platform's key for the command; `key` where the platform has none (Windows' key
    // scheme has no quit key) or the command no standard key.
    QKeySequence::StandardKey standardKey = QKeySequence::UnknownKey;
    QKeyCombination key = QKeyCombination::fromCombined(0);
};

// Keys live on the pop-up menu's action; its toolbar twin shows them in its hint only, so
// one key never belongs to two actions of the same pane.
void setKeys(QAction* a, const Item& item, bool withShortcut) {
    QList<QKeySequence> keys;
    if (item.standardKey != QKeySequence::UnknownKey)
        keys = QKeySequence::keyBindings(item.standardKey);
    if (keys.isEmpty() && item.key.toCombined() != 0) keys = {QKeySequence(item.key)};
    if (keys.isEmpty()) return;
    if (withShortcut) a->setShortcuts(keys);
    a->setToolTip(a->toolTip() + QStringLiteral(" (") +
                  keys.first().toString(QKeySequence::NativeText) + QLatin1Char(')'));
}

QAction* makeAction(QObject* owner, const Item& item, const QString& suffix = {}) {
    auto* a = new QAction(QString::fromUtf16(item.caption), owner);
    a->setObjectName(QString::fromLatin1(item.name) + suffix);
    a->setProperty(kRefusedWhileBusy, bool(item.whileBusy));
    if (item.icon) a->setIcon(QIcon::fromTheme(QString::fromLatin1(item.icon)));
    const QString hint = item.hint ? QString::fromUtf16(item.hint) : QString();
    a->setProperty("hint", hint);
    a->setToolTip(hint.isEmpty() ? a->text() : hint);
    setKeys(a, item, suffix.isEmpty());
    return a;
}

QAction* separator(QObject* owner) {
    auto* a = new QAction(owner);
    a->setSeparator(true);
    return a;
}

// A submenu item: an action carrying a menu, shown on toolbars as a drop-down button.
QAction* makeSubmenu(QWidget* owner, const Item& item, const QString& suffix,
                     const std::vector<const Item*>& children) {
    QAction* a = makeAction(owner, item, suffix);
    auto* menu = new QMenu(owner);
    menu->setObjectName(a->objectName() + QStringLiteral("_Menu"));
    for (const Item* child : children) {
        if (!child)
            menu->addAction(separator(owner));
        else
            menu->addAction(makeAction(owner, *child, suffix));
    }
    a->setMenu(menu);
    return a;
}

QToolBar* makeToolBar(QMainWindow* window, const char* name, const QString& title) {
    auto* bar = new QToolBar(title, window);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setFloatable(false);
    bar->setMovable(true);
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return bar;
}

void addTo(QToolBar* bar, QAction* a) {
    bar->addAction(a);
    if (a->menu()) {
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a)))
            button->setPopupMode(QToolButton::InstantPopup);
    }
}

const Item kMain[] = {
    {"TB_ChangeFavoiteDir", u"お気に入りフォルダの変更", "folder-favorites", kRefused},
    {"TB_Refresh", u"最新の情報に更新", "view-refresh", kRefused,
     u"フォルダ・お気に入りファイルを再読み込みします", QKeySequence::Refresh},
    {"TBArchive", u"圧縮ファイル作成", "archive-insert", kRuns,
     u"全お気に入りをLHA形式で圧縮保存します"},
    {"TB_EasyView", u"簡易表示", "view-list-icons"},
    {"TBHelp", u"ヘルプ", "help-contents", kRuns, nullptr, QKeySequence::HelpContents},
    {"TB_Version", u"バージョン情報", "help-about"},
    {"TB_End", u"終了", "application-exit", kRuns, u"Markvaneを終了します", QKeySequence::Quit,
     Qt::CTRL | Qt::Key_Q},
    {"TB_CheckGetDateCancel", u"更新日取得の中止", "process-stop", kRuns, nullptr,
     QKeySequence::Cancel},
};

const Item kFolderNew{"TB_Folder_New", u"新規フォルダの作成", "folder-new", kRefused,
                      nullptr,         QKeySequence::New};
const Item kFolderCopy{"TB_Folder_Copy", u"フォルダのコピー", "edit-copy", kRuns,
                       nullptr,          QKeySequence::Copy};
const Item kFolderCut{"TB_Folder_Cut", u"フォルダの切り取り", "edit-cut", kRuns,
                      nullptr,         QKeySequence::Cut};
const Item kFolderPaste{"TB_Folder_Paste", u"フォルダの貼り付け", "edit-paste", kRefused,
                        nullptr,           QKeySequence::Paste};
const Item kFolderDelete{"TB_Folder_Delete", u"フォルダの削除", "edit-delete",
                         kRefused,           nullptr,           QKeySequence::Delete};
const Item kFolderHide{"TB_Folder_Hide", u"フォルダ内の全ファイルの隠し属性を反転", "view-hidden",
                       kRefused};

const Item kAdd{"TB_Add", u"追加", "list-add", kRefused, nullptr, QKeySequence::New};
const Item kEdit{"TBSubmenu_Edit", u"編集", "document-edit"};
const Item kCopy{"TB_Copy", u"コピー", "edit-copy", kRuns, nullptr, QKeySequence::Copy};
const Item kCut{"TB_Cut", u"切り取り", "edit-cut", kRuns, nullptr, QKeySequence::Cut};
const Item kPaste{"TB_Paste", u"貼り付け", "edit-paste", kRefused, nullptr, QKeySequence::Paste};
const Item kDelete{"TB_Delete", u"削除", "edit-delete", kRefused, nullptr, QKeySequence::Delete};
const Item kHideChange{"TB_HideChange", u"隠し属性の反転", "view-hidden", kRefused};
const Item kGetDate{"TB_GetDate",
                    u"更新日取得",
                    "view-calendar-day",
                    kRefused,
                    nullptr,
                    QKeySequence::UnknownKey,
                    Qt::CTRL | Qt::Key_D};
const Item kCheck{"TBSubmenu_Check", u"チェック", "checkbox"};
const Item kCheckOn{"TB_CheckOn", u"全てにチェックを入れる", nullptr, kRuns,
                    nullptr,      QKeySequence::SelectAll};
const Item kCheckOff{"TB_CheckOff", u"全てのチェックを外す", nullptr};
const Item kCheckChange{"TB_CheckChange", u"全てのチェックを反転させる", nullptr};
const Item kCheckEdit{"TBSubmenu_CheckEdit", u"チェックされた物の編集", "edit-select-all"};
const Item kCheckCopy{"TB_CheckCopy", u"コピー", "edit-copy"};
const Item kCheckCut{"TB_CheckCut", u"切り取り", "edit-cut"};
const Item kCheckDelete{"TB_CheckDelete", u"削除", "edit-delete", kRefused};
const Item kCheckHideChange{"TB_CheckHideChange", u"隠し属性の反転", "view-hidden", kRefused};
const Item kCheckGetDate{"TB_CheckGetDate", u"更新日取得", "view-calendar-day", kRefused};
const Item kShowBrowser{"TB_ShowBrowser", u"ブラウザで開く",        "internet-web-browser", kRuns,
                        nullptr,          QKeySequence::UnknownKey, Qt::CTRL | Qt::Key_B};
const Item kProperty{
    "TB_Property", u"プロパティウインドウの表示", "document-properties",   kRefused,
    nullptr,       QKeySequence::UnknownKey,      Qt::ALT | Qt::Key_Return};

const Item kSort[] = {
    {"TB_SortBySite", u"サイト名でソート", "view-sort-ascending", kRefused},
    {"TB_SortByURL", u"URLでソート", "view-sort-ascending-name", kRefused},
    {"TB_Col", u"列幅の設定", "distribute-horizontal"},
    {"TB_Font", u"フォント設定", "preferences-desktop-font", kRuns,
     u"フォルダツリー・お気に入り一覧のフォントを変更します"},
    {"TB_Print", u"表の印刷", "document-print", kRuns,
     u"現在表示されているお気に入り一覧を印刷します", QKeySequence::Print},
};

// Commands of the menu bar alone: the toolbars keep to the commands they always had, so their
// captions still fit a 1280-pixel window.
const Item kMenuOnly[] = {
    {"TB_BookmarkExport", u"ブックマークのエクスポート", "document-export", kRefused,
     u"お気に入りをブラウザで読み込めるブックマークファイルに書き出します"},
    {"TB_BookmarkImport", u"ブックマークのインポート", "document-import", kRefused,
     u"ブラウザのブックマークファイルを選択中のフォルダに読み込みます"},
    {"TB_CheckLinks", u"リンク切れチェック", "network-server", kRefused,
     u"チェックされたお気に入り (なければ一覧の全て) のリンクを調べます"},
    {"TB_CheckLinksCancel", u"リンク切れチェックの中止", "process-stop"},
    {"TB_ApplyRedirects", u"移動先の反映", "go-jump", kRefused,
     u"恒久的に移動したお気に入りのURLを移動先に書き換えます"},
    {"TB_FindDuplicates", u"重複の検索", "edit-find-replace", kRefused,
     u"お気に入りフォルダ全体から同じURLのお気に入りと空のフォルダを探します"},
};

// Searching the whole favorites folder (Ctrl+F): the window shows it inside its search box.
const Item kSearch{"TB_Search",
                   u"お気に入りの検索",
                   "edit-find",
                   kRuns,
                   u"お気に入りフォルダ全体をサイト名・URL・コメントで検索します",
                   QKeySequence::Find};

// The list menu and the list toolbar hold the same items in the same order.
std::vector<QAction*> listItems(QWidget* owner, const QString& suffix) {
    return {
        makeAction(owner, kAdd, suffix),
        makeSubmenu(owner, kEdit, suffix,
                    {&kCopy, &kCut, &kPaste, nullptr, &kDelete, nullptr, &kHideChange, &kGetDate}),
        separator(owner),
        makeSubmenu(owner, kCheck, suffix, {&kCheckOn, &kCheckOff, &kCheckChange}),
        makeSubmenu(owner, kCheckEdit, suffix,
                    {&kCheckCopy, &kCheckCut, &kCheckDelete, nullptr, &kCheckHideChange, nullptr,
                     &kCheckGetDate}),
        separator(owner),
        makeAction(owner, kShowBrowser, suffix),
        separator(owner),
        makeAction(owner, kProperty, suffix),
    };
}

std::vector<QAction*> folderItems(QWidget* owner, const QString& suffix) {
    return {makeAction(owner, kFolderNew, suffix),    separator(owner),
            makeAction(owner, kFolderCopy, suffix),   makeAction(owner, kFolderCut, suffix),
            makeAction(owner, kFolderPaste, suffix),  separator(owner),
            makeAction(owner, kFolderDelete, suffix), separator(owner),
            makeAction(owner, kFolderHide, suffix)};
}

// The menu bar: each command of the inventory by its name, in the menu it belongs to and in
// that menu's order; nullptr is a separator. A submenu item brings its whole submenu.
struct MenuBarEntry {
    const char16_t* menu;
    const char* item;
};

const char16_t kFileMenu[] = u"ファイル(&F)";
const char16_t kEditMenu[] = u"編集(&E)";
const char16_t kFolderMenu[] = u"フォルダ(&O)";
const char16_t kViewMenu[] = u"表示(&V)";
const char16_t kToolsMenu[] = u"ツール(&T)";
const char16_t kHelpMenu[] = u"ヘルプ(&H)";

const MenuBarEntry kMenuBar[] = {
    {kFileMenu, "TB_ChangeFavoiteDir"},
    {kFileMenu, nullptr},
    {kFileMenu, "TB_Print"},
    {kFileMenu, nullptr},
    {kFileMenu, "TB_BookmarkImport"},
    {kFileMenu, "TB_BookmarkExport"},
    {kFileMenu, nullptr},
    {kFileMenu, "TB_End"},
    {kEditMenu, "TB_Add"},
    {kEditMenu, nullptr},
    {kEditMenu, "TB_Copy"},
    {kEditMenu, "TB_Cut"},
    {kEditMenu, "TB_Paste"},
    {kEditMenu, nullptr},
    {kEditMenu, "TB_Delete"},
    {kEditMenu, nullptr},
    {kEditMenu, "TB_HideChange"},
    {kEditMenu, nullptr},
    {kEditMenu, "TBSubmenu_Check"},
    {kEditMenu, "TBSubmenu_CheckEdit"},
    {kEditMenu, nullptr},
    {kEditMenu, "TB_Property"},
    {kEditMenu, nullptr},
    {kEditMenu, "TB_Search"},
    {kFolderMenu, "TB_Folder_New"},
    {kFolderMenu, nullptr},
    {kFolderMenu, "TB_Folder_Copy"},
    {kFolderMenu, "TB_Folder_Cut"},
    {kFolderMenu, "TB_Folder_Paste"},
    {kFolderMenu, nullptr},
    {kFolderMenu, "TB_Folder_Delete"},
    {kFolderMenu, nullptr},
    {kFolderMenu, "TB_Folder_Hide"},
    {kViewMenu, "TB_Refresh"},
    {kViewMenu, nullptr},
    {kViewMenu, "TB_SortBySite"},
    {kViewMenu, "TB_SortByURL"},
    {kViewMenu, nullptr},
    {kViewMenu, "TB_Col"},
    {kViewMenu, "TB_Font"},
    {kViewMenu, nullptr},
    {kViewMenu, "TB_EasyView"},
    {kToolsMenu, "TB_GetDate"},
    {kToolsMenu, "TB_CheckGetDateCancel"},
    {kToolsMenu, nullptr},
    {kToolsMenu, "TB_CheckLinks"},
    {kToolsMenu, "TB_CheckLinksCancel"},
    {kToolsMenu, "TB_ApplyRedirects"},
    {kToolsMenu, "TB_FindDuplicates"},
    {kToolsMenu, nullptr},
    {kToolsMenu, "TB_ShowBrowser"},
    {kToolsMenu, nullptr},
    {kToolsMenu, "TBArchive"},
    {kHelpMenu, "TBHelp"},
    {kHelpMenu, nullptr},
    {kHelpMenu, "TB_Version"},
};

QMenuBar* makeMenuBar(QMainWindow* window) {
    auto* bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("MenuBar"));
    std::vector<std::pair<const char16_t*, QMenu*>> menus;
    for (const MenuBarEntry& entry : kMenuBar) {
        auto found = std::find_if(menus.begin(), menus.end(),
                                  [&](const auto& m) { return m.first == entry.menu; });
        if (found == menus.end()) {
            QMenu* menu = bar->addMenu(QString::fromUtf16(entry.menu));
            menus.emplace_back(entry.menu, menu);
            found = menus.end() - 1;
        }
        QMenu* menu = found->second;
        if (!entry.item) {
            menu->addSeparator();
        } else if (auto* a = window->findChild<QAction*>(QString::fromLatin1(entry.item))) {
            menu->addAction(a);
        }
    }
    return bar;
}

// Every action of a menu, those of its submenus included.
void collectActions(const QMenu* menu, QList<QAction*>& out) {
    for (QAction* a : menu->actions()) {
        out << a;
        if (a->menu()) collectActions(a->menu(), out);
    }
}

} // namespace

void AttachPaneKeys(const CommandBars& bars, QWidget* folderPane, QWidget* listPane) {
    for (auto [menu, pane] : {std::pair{bars.folderMenu, folderPane}, {bars.listMenu, listPane}}) {
        QList<QAction*> actions;
        collectActions(menu, actions);
        for (QAction* a : actions) {
            if (a->shortcuts().isEmpty()) continue;
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            pane->addAction(a);
        }
    }
}

CommandBars BuildCommands(QMainWindow* window) {
    CommandBars bars;
    const QString toolbar = QStringLiteral("_Toolbar");

    bars.mainToolbar = makeToolBar(window, "MainToolbar", QStringLiteral("メインツールバー"));
    for (const Item& item : kMain)
        addTo(bars.mainToolbar, makeAction(window, item));
    QAction* easy = window->findChild<QAction*>(QStringLiteral("TB_EasyView"));
    easy->setCheckable(true);
    window->findChild<QAction*>(QStringLiteral("TB_CheckGetDateCancel"))->setVisible(false);

    bars.folderToolbar = makeToolBar(window, "FolderToolbar", QStringLiteral("フォルダツールバー"));
    for (QAction* a : folderItems(window, toolbar))
        addTo(bars.folderToolbar, a);
    bars.folderMenu = new QMenu(window);
    bars.folderMenu->setObjectName(QStringLiteral("TBPopupMenu_Folder"));
    for (QAction* a : folderItems(window, {}))
        bars.folderMenu->addAction(a);

    bars.listToolbar =
        makeToolBar(window, "TBPopupMenu_List_ToolBar", QStringLiteral("リストツールバー"));
    for (QAction* a : listItems(window, toolbar))
        addTo(bars.listToolbar, a);
    bars.listMenu = new QMenu(window);
    bars.listMenu->setObjectName(QStringLiteral("TBPopupMenu_List"));
    for (QAction* a : listItems(window, {}))
        bars.listMenu->addAction(a);

    window->addToolBar(Qt::TopToolBarArea, bars.mainToolbar);
    window->addToolBarBreak(Qt::TopToolBarArea);
    window->addToolBar(Qt::TopToolBarArea, bars.folderToolbar);
    window->addToolBarBreak(Qt::TopToolBarArea);
    window->addToolBar(Qt::TopToolBarArea, bars.listToolbar);

    bars.sortBar = new QToolBar(QStringLiteral("ソートバー"), window);
    bars.sortBar->setObjectName(QStringLiteral("SortBar"));
    bars.sortBar->setMovable(false);
    bars.sortBar->setFloatable(false);
    bars.sortBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    for (const Item& item : kSort)
        addTo(bars.sortBar, makeAction(window, item));
    for (const Item& item : kMenuOnly)
        makeAction(window, item);
    makeAction(window, kSearch);
    window->setMenuBar(makeMenuBar(window));
    return bars;
}

bool RefusedWhileBusy(const QAction* action) {
    return action->property(kRefusedWhileBusy).toBool();
}

const std::vector<const char*>& ViewModeItems() {
    static const std::vector<const char*> items = {"TB_ChangeFavoiteDir",
                                                   "TB_Refresh",
                                                   "TBArchive",
                                                   "TB_EasyView",
                                                   "TBHelp",
                                                   "TB_Version",
                                                   "TB_End",
                                                   "TB_CheckGetDateCancel",
                                                   "TB_SortBySite",
                                                   "TB_SortByURL",
                                                   "TB_Col",
                                                   "TB_Font",
                                                   "TB_Print",
                                                   "TB_Folder_New_Toolbar",
                                                   "TB_Folder_Copy_Toolbar",
                                                   "TB_Folder_Cut_Toolbar",
                                                   "TB_Folder_Paste_Toolbar",
                                                   "TB_Folder_Delete_Toolbar",
                                                   "TB_Folder_Hide_Toolbar",
                                                   "TB_Add_Toolbar",
                                                   "TBSubmenu_Edit_Toolbar",
                                                   "TB_Copy_Toolbar",
                                                   "TB_Cut_Toolbar",
                                                   "TB_Paste_Toolbar",
                                                   "TB_Delete_Toolbar",
                                                   "TB_HideChange_Toolbar",
                                                   "TB_GetDate_Toolbar",
                                                   "TBSubmenu_Check_Toolbar",
                                                   "TB_CheckOn_Toolbar",
                                                   "TB_CheckOff_Toolbar",
                                                   "TB_CheckChange_Toolbar",
                                                   "TBSubmenu_CheckEdit_Toolbar",
                                                   "TB_CheckCopy_Toolbar",
                                                   "TB_CheckCut_Toolbar",
                                                   "TB_CheckDelete_Toolbar",
                                                   "TB_CheckHideChange_Toolbar",
                                                   "TB_CheckGetDate_Toolbar",
                                                   "TB_ShowBrowser_Toolbar",
                                                   "TB_Property_Toolbar",
                                                   "TB_EasyView"};
    return items;
}

} // namespace mv
