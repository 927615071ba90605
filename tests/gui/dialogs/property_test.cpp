#include "DialogsFixture.h"

#include "favorites/ShortcutFile.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using mvtest::DialogsTest;

namespace {

// Spacing a rewrite would normalise, so any write shows in the bytes.
const std::string kSite =
    "[InternetShortcut]\r\nURL = http://a/\r\nIconIndex=1\r\n[Comment]\r\nComment = old\r\n";

class PropertyTest : public DialogsTest {
protected:
    std::string path() const { return favorites + "/Site.url"; }
    mv::TfrmProperty& window() { return *secondary.frmProperty; }

    void SetUp() override {
        DialogsTest::SetUp();
        mvtest::writeBytes(favorites + "/Site.url", kSite);
        mvtest::writeBytes(favorites + "/Other.url", "[InternetShortcut]\r\nURL=http://b/\r\n");
        openAll();
        ASSERT_EQ(grid().RowCount(), 3);
        row = cell(1, 1) == "Site" ? 1 : 2;
        // The user was in the grid: it has the focus and the row is current.
        grid().setFocus();
        grid().setCol(1);
        grid().setRow(row);
        QApplication::processEvents();
    }

    void openWindow() {
        trigger("TB_Property");
        ASSERT_TRUE(window().isVisible());
    }
    void registerEdits() {
        QTest::mouseClick(window().Button2, Qt::LeftButton);
        QApplication::processEvents();
    }

    int row = 1;
};

TEST_F(PropertyTest, ShowsTheRowWithAReadOnlyDate) {
    type(3, row, "Mon, 01 Jan 2024 00:00:00 GMT");
    openWindow();
    EXPECT_EQ(window().windowTitle(), QStringLiteral("プロパティウインドウ"));
    EXPECT_EQ(window().txtName->text(), QStringLiteral("Site"));
    EXPECT_EQ(window().txtURL->text(), QStringLiteral("http://a/"));
    EXPECT_EQ(window().txtComment->toPlainText(), QStringLiteral("old"));
    EXPECT_EQ(window().txtDate->text(), QStringLiteral("Mon, 01 Jan 2024 00:00:00 GMT"));
    EXPECT_FALSE(window().txtDate->isEnabled());
    EXPECT_TRUE(window().txtDate->isReadOnly());
    EXPECT_EQ(window().txtDate->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(window().Row(), row);
    EXPECT_FALSE(form->isEnabled());
    EXPECT_TRUE(window().isEnabled());
}

TEST_F(PropertyTest, ANewNameRenamesTheFileAndKeepsItsContent) {
    openWindow();
    window().txtName->setText(QStringLiteral("新しい名前"));
    registerEdits();
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(path()));
    EXPECT_EQ(mvtest::readBytes(favorites + "/新しい名前.url"), kSite);
    EXPECT_EQ(cell(1, row), "新しい名前");
    EXPECT_FALSE(listed().EditIndex());
}

TEST_F(PropertyTest, OnlyAChangedCommentIsWrittenOnOneLine) {
    openWindow();
    window().txtComment->setPlainText(QStringLiteral("一行目\n二行目"));
    registerEdits();
    // The cell keeps the lines; the file gets one line, so no key can be injected.
    EXPECT_EQ(cell(4, row), "一行目\r\n二行目");
    EXPECT_EQ(mv::ReadShortcutComment(path()), "一行目 二行目");
    const std::string bytes = mvtest::readBytes(path());
    const size_t kept = kSite.find("Comment = "); // the lines before stay as they were
    EXPECT_EQ(bytes.substr(0, kept), kSite.substr(0, kept));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 5);

    // Opened again, the comment shows its lines; cleared, the empty comment is written.
    openWindow();
    EXPECT_EQ(window().txtComment->toPlainText(), QStringLiteral("一行目\n二行目"));
    window().txtComment->clear();
    registerEdits();
    EXPECT_EQ(mv::ReadShortcutComment(path()), "");
    EXPECT_NE(mvtest::readBytes(path()).find("Comment=\r\n"), std::string::npos);
    EXPECT_EQ(mv::ReadShortcutUrl(path()), "http://a/");
}

TEST_F(PropertyTest, RegisteringWithoutChangesWritesNothing) {
    openWindow();
    registerEdits();
    EXPECT_EQ(mvtest::readBytes(path()), kSite);
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(PropertyTest, CancelAndTheCloseBoxChangeNothing) {
    for (int way = 0; way < 3; ++way) {
        openWindow();
        window().txtName->setText(QStringLiteral("renamed"));
        window().txtURL->setText(QStringLiteral("http://changed/"));
        window().txtComment->setPlainText(QStringLiteral("changed"));
        if (way == 0)
            QTest::mouseClick(window().Button1, Qt::LeftButton);
        else if (way == 1)
            window().close();
        else
            QTest::keyClick(window().txtName, Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_FALSE(window().isVisible()) << way;
        EXPECT_TRUE(form->isEnabled()) << way;
        EXPECT_EQ(cell(1, row), "Site");
        EXPECT_EQ(cell(2, row), "http://a/");
        // The row stays remembered; its next commit finds nothing to write.
        leaveGrid();
        EXPECT_EQ(mvtest::readBytes(path()), kSite) << way;
    }
}

TEST_F(PropertyTest, APendingGridEditIsCommittedBeforeTheWindowOpens) {
    type(2, row, "http://typed/");
    openWindow();
    EXPECT_EQ(mv::ReadShortcutUrl(path()), "http://typed/");
    EXPECT_EQ(window().txtURL->text(), QStringLiteral("http://typed/"));
    window().txtURL->setText(QStringLiteral("http://window/"));
    registerEdits();
    EXPECT_EQ(mv::ReadShortcutUrl(path()), "http://window/");
    EXPECT_EQ(mv::ReadShortcutComment(path()), "old");
}

} // namespace
