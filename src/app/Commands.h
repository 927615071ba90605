#pragma once
// The command inventory of the main window: every toolbar and pop-up menu item with its
// caption, hint, icon, order and separators. Items that stand both on a toolbar and in a
// pop-up menu are two actions; the toolbar one is named with "_Toolbar".

#include <QString>

#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QWidget;

namespace mv {

struct CommandBars {
    QToolBar* mainToolbar = nullptr;
    QToolBar* folderToolbar = nullptr;
    QToolBar* listToolbar = nullptr;
    QToolBar* sortBar = nullptr;
    QMenu* listMenu = nullptr;   // TBPopupMenu_List
    QMenu* folderMenu = nullptr; // TBPopupMenu_Folder
};

// Creates every action (object name = item name) as a child of `window` and lays out the
// bars, the pop-up menus and the window's menu bar. The sort bar is returned unplaced.
CommandBars BuildCommands(QMainWindow* window);

// The keys of the folder menu's commands act while the focus is in `folderPane`, those of the
// list menu while it is in `listPane`, so the same key (copy, delete) serves the pane in use.
void AttachPaneKeys(const CommandBars& bars, QWidget* folderPane, QWidget* listPane);

// Whether the command is refused while a listing or a date fetch runs (TForm1::Busy).
bool RefusedWhileBusy(const QAction* action);

// The toolbar items whose display follows the easy view, in the order they are updated.
const std::vector<const char*>& ViewModeItems();

} // namespace mv
