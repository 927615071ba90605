#include "organize/dialogs/FolderDialogWindow.h"
#include "organize/dialogs/FolderTree.h"
#include "organize/dialogs/SelectFolderDialog.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

class FolderDialogTest : public ::testing::Test {
protected:
    mvtest::TempDir dir;
    mv::TSelectFolderDialog dialog;
    // What the hook saw of the prepared window.
    std::function<int(mv::TFolderDialogForm&)> onRun = [](mv::TFolderDialogForm&) { return 0; };

    void SetUp() override {
        mv::TSelectFolderDialog::setExecuteHookForTesting(
            [this](mv::TFolderDialogForm& form) { return onRun(form); });
    }
    void TearDown() override { mv::TSelectFolderDialog::setExecuteHookForTesting({}); }
};

TEST(NearestExistingFolder, CutsBackToAnExistingParent) {
    mvtest::TempDir dir;
    std::filesystem::create_directories(dir / "a");
    mvtest::writeBytes(dir / "a/file", "x");
    EXPECT_EQ(mv::NearestExistingFolder(q(dir / "a")), q(dir / "a"));
    EXPECT_EQ(mv::NearestExistingFolder(q(dir / "a/")), q(dir / "a/"));
    EXPECT_EQ(mv::NearestExistingFolder(q(dir / "a/gone/deeper/")), q(dir / "a/"));
    EXPECT_EQ(mv::NearestExistingFolder(q(dir / "a/gone/deeper")), q(dir / "a/"));
    EXPECT_EQ(mv::NearestExistingFolder(q(dir / "a/file")), q(dir / "a/"));
    // Two levels below the root, neither there: the root itself.
    EXPECT_EQ(mv::NearestExistingFolder(QStringLiteral("/mv-gone-1/mv-gone-2/")),
              QStringLiteral("/"));
    EXPECT_EQ(mv::NearestExistingFolder(QStringLiteral("relative-gone")), QString());
    EXPECT_EQ(mv::NearestExistingFolder(QString()), QString());
}

TEST(OwnerCenteredPosition, CentresAndStaysOnTheScreen) {
    // Halves are cut toward zero: 101 / 2 = 50, 51 / 2 = 25.
    EXPECT_EQ(mv::OwnerCenteredPosition({100, 100, 101, 301}, {51, 101}, 1000, 800),
              QPoint(125, 200));
    EXPECT_EQ(mv::OwnerCenteredPosition({-300, -200, 200, 100}, {300, 300}, 1000, 800),
              QPoint(0, 0));
    EXPECT_EQ(mv::OwnerCenteredPosition({900, 700, 200, 200}, {300, 300}, 1000, 800),
              QPoint(700, 500));
}

TEST_F(FolderDialogTest, DefaultButtonAndFocusFollowEachOther) {
    EXPECT_EQ(dialog.DefaultButton(), mv::btNone);
    EXPECT_EQ(dialog.FocusedControl(), mv::fcTreeView);
    dialog.setFocusedControl(mv::fcDefaultButton);
    EXPECT_EQ(dialog.DefaultButton(), mv::btOk);
    dialog.setDefaultButton(mv::btCancel);
    EXPECT_EQ(dialog.FocusedControl(), mv::fcDefaultButton);
    dialog.setDefaultButton(mv::btNone);
    EXPECT_EQ(dialog.FocusedControl(), mv::fcTreeView);
}

TEST_F(FolderDialogTest, PreparesTheWindowFromItsProperties) {
    bool ran = false;
    onRun = [&](mv::TFolderDialogForm& form) {
        ran = true;
        EXPECT_EQ(form.size(), QSize(307, 352));
        // No caption: the program's file name.
        EXPECT_EQ(form.windowTitle(), QStringLiteral("gui_dialogs_tests"));
        EXPECT_EQ(form.MessageLabel->text(), QStringLiteral("選んでください"));
        dialog.setText(QStringLiteral("変わりました"));
        EXPECT_EQ(form.MessageLabel->text(), QStringLiteral("変わりました"));
        EXPECT_FALSE(form.OkButton->isDefault());
        EXPECT_FALSE(form.CancelButton->isDefault());
        // Rooted at the whole file system, starting at the home folder.
        EXPECT_EQ(form.FolderTree->RootPath(), QStringLiteral("/"));
        EXPECT_EQ(form.FolderTree->SelectedPath(), QDir::homePath());
        return int(QDialog::Rejected);
    };
    dialog.setText(QStringLiteral("選んでください"));
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(ran);
    EXPECT_TRUE(dialog.Path.isEmpty());

    dialog.DialogSize = mv::dsCustom;
    dialog.DialogWidth = 400;
    dialog.DialogHeight = 300;
    dialog.Sizeable = false;
    dialog.Position = mv::dpCustom;
    dialog.DialogLeft = 12;
    dialog.DialogTop = 34;
    dialog.Caption = QStringLiteral("フォルダの選択");
    dialog.setDefaultButton(mv::btCancel);
    dialog.setFocusedControl(mv::fcDefaultButton);
    onRun = [&](mv::TFolderDialogForm& form) {
        EXPECT_EQ(form.size(), QSize(400, 300));
        EXPECT_EQ(form.minimumSize(), form.maximumSize());
        EXPECT_EQ(form.pos(), QPoint(12, 34));
        EXPECT_EQ(form.windowTitle(), QStringLiteral("フォルダの選択"));
        EXPECT_TRUE(form.CancelButton->isDefault());
        EXPECT_FALSE(form.OkButton->isDefault());
        form.show();
        QApplication::processEvents();
        EXPECT_TRUE(form.CancelButton->hasFocus());
        form.hide();
        return int(QDialog::Rejected);
    };
    EXPECT_FALSE(dialog.Execute());
}

TEST_F(FolderDialogTest, OwnerCentredPlacementUsesTheOwnersWindow) {
    QWidget owner;
    owner.setGeometry(200, 150, 600, 400);
    owner.show();
    QApplication::processEvents();
    mv::TSelectFolderDialog owned(&owner);
    owned.Position = mv::dpOwnerCenter;
    QPoint at;
    mv::TSelectFolderDialog::setExecuteHookForTesting([&](mv::TFolderDialogForm& form) {
        at = form.pos();
        EXPECT_EQ(form.parentWidget(), &owner);
        return int(QDialog::Rejected);
    });
    owned.Execute();
    const QRect screen = owner.screen()->geometry();
    const QRect work = owner.screen()->availableGeometry();
    EXPECT_EQ(at, mv::OwnerCenteredPosition(owner.frameGeometry(), {307, 352}, screen.width(),
                                            work.top() + work.height()));
}

TEST_F(FolderDialogTest, ReturnsTheChosenFolderWithATrailingSlash) {
    std::filesystem::create_directories(dir / "x/y");
    dialog.Root = mv::rfCustom;
    dialog.CustomRootFolder = q(dir / "x");
    std::vector<QString> selected;
    dialog.OnSelect = [&](const QString& p) { selected.push_back(p); };
    onRun = [&](mv::TFolderDialogForm& form) {
        EXPECT_EQ(form.FolderTree->Root(), q(dir / "x"));
        EXPECT_EQ(form.FolderTree->SelectedPath(), q(dir / "x")); // the top node
        EXPECT_TRUE(form.FolderTree->selectPath(q(dir / "x/y")));
        EXPECT_FALSE(form.FolderTree->selectPath(q(dir.path()))); // outside the root
        form.OkButton->click();
        return form.result();
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Path, q(dir / "x/y/"));
    EXPECT_EQ(selected, std::vector<QString>{q(dir / "x/y/")});
}

TEST_F(FolderDialogTest, CloseQuestionCanKeepTheWindowOpen) {
    int asked = 0, closed = 0;
    bool allow = false;
    dialog.OnCanClose = [&](bool& canClose) {
        ++asked;
        canClose = allow;
    };
    dialog.OnClose = [&] { ++closed; };
    onRun = [&](mv::TFolderDialogForm& form) {
        form.show();
        form.OkButton->click();
        EXPECT_TRUE(form.isVisible());
        allow = true;
        form.OkButton->click();
        EXPECT_FALSE(form.isVisible());
        return form.result();
    };
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(closed, 1);
}

TEST_F(FolderDialogTest, TheModalWindowAnswersOkAndEscape) {
    mv::TSelectFolderDialog::setExecuteHookForTesting({});
    std::filesystem::create_directories(dir / "start");
    dialog.Path = q(dir / "start");
    for (bool ok : {true, false}) {
        bool shown = false;
        dialog.OnShow = [&] { shown = true; };
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<mv::TFolderDialogForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            EXPECT_EQ(form->FolderTree->SelectedPath(), q(dir / "start"));
            if (ok)
                form->OkButton->click();
            else
                QTest::keyClick(form, Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.Execute(), ok);
        EXPECT_TRUE(shown);
        EXPECT_EQ(dialog.Path, q(dir / "start/")); // unchanged by the cancel
    }
    EXPECT_EQ(dialog.Form(), nullptr);
}

TEST(RootFolders, SpecialNamesMapToFolders) {
    EXPECT_EQ(mv::RootFolderText(mv::rfCustom, QStringLiteral("/srv")), QStringLiteral("/srv"));
    EXPECT_EQ(mv::RootFolderPath(QStringLiteral("rfDesktop")), QStringLiteral("/"));
    mvtest::TempDir dir;
    ::setenv("MARKVANE_FAVORITES", (dir / "Fav").c_str(), 1);
    EXPECT_EQ(mv::RootFolderPath(QStringLiteral("RFFAVORITES")), q(dir / "Fav"));
    ::unsetenv("MARKVANE_FAVORITES");
    // Every special folder gives an existing folder.
    for (int r = mv::rfDesktop; r < mv::rfCustom; ++r) {
        if (r == mv::rfFavorites) continue;
        const QString path = mv::RootFolderPath(mv::RootFolderText(mv::TRootFolder(r), {}));
        EXPECT_TRUE(QFileInfo(path).isDir()) << r << " " << path.toStdString();
    }
}

} // namespace
