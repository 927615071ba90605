#pragma once
// The main window with its secondary windows, over a temporary favorites folder. The desktop
// opener, the font dialog and the folder dialog's modal loop are scripted.

#include "../MainWindowFixture.h"
#include "app/SecondaryWindows.h"
#include "organize/dialogs/FolderDialogWindow.h"
#include "organize/dialogs/FolderTree.h"
#include "organize/dialogs/SelectFolderDialog.h"
#include "platform/versioninfo.h"
#include "web/shellexec.h"

#include <QLabel>
#include <QUrl>

#include <vector>

namespace mvtest {

class DialogsTest : public MainWindowTest {
protected:
    std::vector<QUrl> opened;
    mv::SecondaryForms secondary;

    void SetUp() override {
        MainWindowTest::SetUp();
        mv::setShellOpenerForTesting([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        mv::setShellOpenerForTesting({});
        mv::setFontChooserForTesting({});
        mv::TSelectFolderDialog::setExecuteHookForTesting({});
        mv::resetVersionBlockForTesting();
    }

    // As the program starts: the main window, then its secondary windows, then the show.
    mv::TForm1& openAll() {
        form = std::make_unique<mv::TForm1>(settings);
        secondary = mv::CreateSecondaryForms(*form);
        form->show();
        QApplication::processEvents();
        return *form;
    }
};

} // namespace mvtest
