#pragma once
// A real main window over a temporary favorites folder and settings file.

#include "app/MainWindow.h"
#include "app/ShellTreeView.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"
#include "support/WaitFor.h"
#include "ui/CheckBoxGrid.h"

#include <QAction>
#include <QApplication>
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

    mv::TMOStringGrid& grid() { return *form->StringGrid1; }
    std::string cell(int c, int r) { return grid().Cells(c, r); }
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
        ASSERT_TRUE(form->ShellTreeView1->selectPath(QString::fromStdString(folder)));
        QApplication::processEvents();
    }
};

} // namespace mvtest
