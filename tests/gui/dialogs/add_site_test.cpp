#include "DialogsFixture.h"

#include "favorites/ShortcutFile.h"
#include "platform/codepage.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>

using mvtest::DialogsTest;

namespace {

class AddSiteTest : public DialogsTest {
protected:
    mv::TfrmAdd& dialog() { return *secondary.frmAdd; }

    void openDialog() {
        trigger("TB_Add");
        ASSERT_TRUE(dialog().isVisible());
    }
    void fill(const QString& name, const QString& url, const QString& comment) {
        dialog().txtSiteName->setText(name);
        dialog().txtUrl->setText(url);
        dialog().txtComment->setText(comment);
    }
    void clickAdd() {
        QTest::mouseClick(dialog().btnAdd, Qt::LeftButton);
        QApplication::processEvents();
    }
};

TEST_F(AddSiteTest, AddsIntoAnEmptyFolderAndListsIt) {
    openAll();
    ASSERT_EQ(grid().RowCount(), 1);
    openDialog();
    EXPECT_FALSE(form->isEnabled());
    EXPECT_TRUE(dialog().isEnabled());
    EXPECT_EQ(dialog().windowTitle(), QStringLiteral("サイトの追加"));

    fill(QStringLiteral("Example"), QStringLiteral("http://example.jp/"), QString());
    clickAdd();
    // URL first, then the comment, an empty one as an empty value.
    EXPECT_EQ(mvtest::readBytes(favorites + "/Example.url"),
              "[InternetShortcut]\r\nURL=http://example.jp/\r\n[Comment]\r\nComment=\r\n");
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_TRUE(form->isEnabled());
    ASSERT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(cell(1, 1), "Example");
    EXPECT_EQ(cell(2, 1), "http://example.jp/");

    // Japanese text goes in as typed and reads back the same.
    openDialog();
    fill(QStringLiteral("日本のサイト"), QStringLiteral("https://例え.jp/"),
         QStringLiteral("ソフト表示"));
    clickAdd();
    const std::string path = favorites + "/日本のサイト.url";
    EXPECT_EQ(mv::ReadShortcutUrl(path), "https://例え.jp/");
    EXPECT_EQ(mv::ReadShortcutComment(path), "ソフト表示");
    EXPECT_EQ(grid().RowCount(), 3);
}

TEST_F(AddSiteTest, OverAnExistingFavoriteKeepsItsOtherLines) {
    mvtest::writeBytes(
        favorites + "/Same.url",
        "[DEFAULT]\r\nBASEURL=http://old/\r\n[InternetShortcut]\r\nURL=http://old/\r\n"
        "IconIndex=3\r\n[Comment]\r\nComment=old\r\n");
    openAll();
    openDialog();
    fill(QStringLiteral("Same"), QStringLiteral("http://new/"), QStringLiteral("new"));
    clickAdd();
    EXPECT_EQ(mvtest::readBytes(favorites + "/Same.url"),
              "[DEFAULT]\r\nBASEURL=http://old/\r\n[InternetShortcut]\r\nURL=http://new/\r\n"
              "IconIndex=3\r\n[Comment]\r\nComment=new\r\n");
    ASSERT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(cell(4, 1), "new");
}

TEST_F(AddSiteTest, EmptySiteNameOrUrlIsRefusedWithAWarning) {
    openAll();
    openDialog();
    for (auto [name, url] : {std::pair{u"", u"http://x/"}, std::pair{u"Name", u""}}) {
        fill(QString::fromUtf16(name), QString::fromUtf16(url), QStringLiteral("c"));
        dialogs.asked.clear();
        dialogs.answers = {mv::mbOK};
        clickAdd();
        ASSERT_EQ(dialogs.asked.size(), 1u);
        EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Warning);
        EXPECT_EQ(dialogs.asked[0].text, QStringLiteral("サイト名 または ＵＲＬが未記入です"));
        EXPECT_EQ(dialogs.asked[0].buttons, unsigned(mv::mbOK));
        // The dialog stays with what was typed; nothing is written.
        EXPECT_TRUE(dialog().isVisible());
        EXPECT_FALSE(form->isEnabled());
        EXPECT_EQ(dialog().txtComment->text(), QStringLiteral("c"));
    }
    EXPECT_TRUE(std::filesystem::is_empty(favorites));

    // Spaces count as filled.
    fill(QStringLiteral(" "), QStringLiteral(" "), QString());
    dialogs.asked.clear();
    clickAdd();
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_TRUE(std::filesystem::exists(favorites + "/ .url"));
}

TEST_F(AddSiteTest, QuickInsertItemsAppendAtTheEnd) {
    openAll();
    openDialog();
    dialog().txtSiteName->setText(QStringLiteral("name"));
    dialog().txtComment->setText(QStringLiteral("comment"));
    dialog().txtUrl->setCursorPosition(0);
    for (QAction* item : {dialog().TBItem1, dialog().TBItem2, dialog().TBItem5}) {
        dialog().txtUrl->setCursorPosition(0); // the caret does not matter
        item->trigger();
    }
    EXPECT_EQ(dialog().txtUrl->text(), QStringLiteral("http://www..com"));
    dialog().TBItem3->trigger();
    dialog().TBItem4->trigger();
    EXPECT_EQ(dialog().txtUrl->text(), QStringLiteral("http://www..com.co.jp.net"));
    EXPECT_EQ(dialog().txtSiteName->text(), QStringLiteral("name"));
    EXPECT_EQ(dialog().txtComment->text(), QStringLiteral("comment"));
}

TEST_F(AddSiteTest, EveryWayOfClosingEnablesTheMainWindowAndReopeningClearsTheFields) {
    openAll();
    auto closeBy = std::vector<std::function<void()>>{
        [&] { QTest::mouseClick(dialog().btnCancel, Qt::LeftButton); },
        [&] { dialog().close(); }, // the close box
        [&] { QTest::keyClick(dialog().txtUrl, Qt::Key_Escape); },
    };
    for (size_t i = 0; i < closeBy.size(); ++i) {
        openDialog();
        EXPECT_TRUE(dialog().txtSiteName->text().isEmpty()) << i;
        EXPECT_TRUE(dialog().txtUrl->text().isEmpty()) << i;
        EXPECT_TRUE(dialog().txtComment->text().isEmpty()) << i;
        EXPECT_FALSE(form->isEnabled());
        fill(QStringLiteral("left"), QStringLiteral("http://left/"), QStringLiteral("over"));
        closeBy[i]();
        QApplication::processEvents();
        EXPECT_FALSE(dialog().isVisible()) << i;
        EXPECT_TRUE(form->isEnabled()) << i;
    }
    EXPECT_TRUE(std::filesystem::is_empty(favorites));
}

TEST_F(AddSiteTest, AWriteFailureKeepsTheDialogOpen) {
    std::filesystem::create_directories(favorites + "/gone");
    openAll();
    select(favorites + "/gone");
    openDialog();
    std::filesystem::remove(favorites + "/gone");
    fill(QStringLiteral("x"), QStringLiteral("http://x/"), QString());
    dialogs.answers = {mv::mbOK};
    clickAdd();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Error);
    EXPECT_TRUE(dialogs.asked[0].text.contains(QStringLiteral("gone/x.url に書き込めません")))
        << dialogs.asked[0].text.toStdString();
    EXPECT_TRUE(dialog().isVisible());
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(dialog().txtSiteName->text(), QStringLiteral("x"));
}

TEST_F(AddSiteTest, ABackslashInTheNameReachesASubfolder) {
    std::filesystem::create_directories(favorites + "/sub");
    openAll();
    openDialog();
    fill(QStringLiteral("sub\\inner"), QStringLiteral("http://inner/"), QString());
    clickAdd();
    EXPECT_EQ(mv::ReadShortcutUrl(favorites + "/sub/inner.url"), "http://inner/");
    EXPECT_FALSE(dialog().isVisible());
    // In Shift-JIS the byte 0x5C inside "ソ" is no separator.
    mv::CodePage::setActiveForTesting(&mv::CodePage::cp932());
    EXPECT_EQ(mv::TfrmAdd::FavoritePath("/f", "\x83\x5C\x83\x74\x83\x67"),
              "/f/\x83\x5C\x83\x74\x83\x67.url");
    EXPECT_EQ(mv::TfrmAdd::FavoritePath("/f", "a\\\x83\x5C"), "/f/a/\x83\x5C.url");
    mv::CodePage::setActiveForTesting(nullptr);
}

TEST_F(AddSiteTest, FieldsComeInTabOrder) {
    openAll();
    openDialog();
    std::vector<QWidget*> chain;
    QWidget* w = dialog().txtSiteName;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&dialog()) &&
            w->window() == &dialog())
            chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != dialog().txtSiteName && chain.size() < 20);
    std::string names;
    for (QWidget* c : chain)
        names += c->objectName().toStdString() + "/" + c->metaObject()->className() + " ";
    ASSERT_EQ(chain.size(), 10u) << names;
    EXPECT_EQ(chain[0], dialog().txtSiteName);
    EXPECT_EQ(chain[1], dialog().txtUrl);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(chain[size_t(2 + i)],
                  dialog().TBToolbar1->widgetForAction(dialog().TBToolbar1->actions()[i]));
    EXPECT_EQ(chain[7], dialog().txtComment);
    EXPECT_EQ(chain[8], dialog().btnAdd);
    EXPECT_EQ(chain[9], dialog().btnCancel);
    // No input method in the address field.
    EXPECT_FALSE(dialog().txtUrl->testAttribute(Qt::WA_InputMethodEnabled));
}

} // namespace
