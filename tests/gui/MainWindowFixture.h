#pragma once
// A real main window over a temporary favorites folder and settings file.

#include "app/MainWindow.h"
#include "app/ShellTreeView.h"
#include "platform/codepage.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"
#include "support/WaitFor.h"
#include "ui/CheckBoxGrid.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace mvtest {

class MainWindowTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string favorites = dir / "Favorites";
    std::string settings = dir / "markvane.ini";
    ScriptedDialogs dialogs;
    std::unique_ptr<mv::TForm1> form;

    void SetUp() override {
        std::filesystem::create_directories(favorites);
        ::setenv("MARKVANE_FAVORITES", favorites.c_str(), 1);
    }
    void TearDown() override {
        if (form) form->setAttribute(Qt::WA_DeleteOnClose, false);
        form.reset();
        ::unsetenv("MARKVANE_FAVORITES");
    }

    void writeFavorite(const std::string& relPath, const std::string& url,
                       const std::string& comment = {}) {
        std::string text = "[InternetShortcut]\r\nURL=" + url + "\r\n";
        if (!comment.empty()) text += "[Comment]\r\nComment=" + comment + "\r\n";
        writeBytes(favorites + "/" + relPath, text);
    }

    // Creates and shows the window (which lists the favorites folder).
    mv::TForm1& open() {
        form = std::make_unique<mv::TForm1>(settings);
        form->show();
        QApplication::processEvents();
        return *form;
    }

    mv::TMOStringGrid& grid() { return *form->Grid(); }
    mv::TShellTreeView& tree() { return *form->Tree(); }
    const mv::FavoritesList& listed() { return form->Favorites(); }
    std::string cell(int c, int r) { return grid().Cells(c, r); }
    // A component of the window by its object name.
    template <class T> T* component(const char* name) {
        return form->findChild<T*>(QString::fromLatin1(name));
    }

    // Types `text` into cell (c, r) as the user does: the cell becomes current (which commits
    // the row left, as a click does) and its editor gets the text.
    void type(int c, int r, const std::string& text) {
        grid().setRow(r);
        grid().setCol(c);
        grid().setEditorMode(true);
        QLineEdit* editor = grid().InplaceEditor();
        ASSERT_TRUE(editor && editor->isVisible()) << "no editor on " << c << ", " << r;
        editor->setText(mv::toQt(text));
        QApplication::processEvents();
    }
    // Clicks the check box of row r until it shows `on`.
    void setMark(int r, bool on = true) {
        for (int i = 0; i < 2 && (cell(0, r) == "1") != on; ++i)
            QTest::mouseClick(grid().viewport(), Qt::LeftButton, {},
                              grid().CellRect(0, r).center());
        ASSERT_EQ(cell(0, r) == "1", on) << "row " << r;
    }
    // Lists the selected folder again, as the tree's change notification does.
    void relist() {
        emit tree().Change();
        QApplication::processEvents();
    }
    // Moves the keyboard focus from the grid to the tree, which commits the edit under way.
    void leaveGrid() {
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get())) ADD_FAILURE() << "the window is not active";
        if (!grid().isAncestorOf(QApplication::focusWidget()) &&
            QApplication::focusWidget() != &grid()) {
            grid().setFocus();
            QApplication::processEvents();
        }
        tree().setFocus();
        QApplication::processEvents();
    }
    // Waits for the availability timer to enable the command, then runs it. A command that is
    // missing or stays disabled fails the test and is not run.
    void trigger(const char* name, int timeoutMs = 2000) {
        QAction* action = form->Action(name);
        if (!action) {
            ADD_FAILURE() << "no command " << name;
            return;
        }
        if (!waitFor([&] { return action->isEnabled(); }, timeoutMs)) {
            ADD_FAILURE() << name << " stays disabled";
            return;
        }
        action->trigger();
        QApplication::processEvents();
    }
    void select(const std::string& folder) {
        ASSERT_TRUE(tree().selectPath(QString::fromStdString(folder)));
        QApplication::processEvents();
    }
};

} // namespace mvtest
