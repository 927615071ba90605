#include "DialogsFixture.h"

#include "platform/library.h"

#include <QFile>
#include <QMenu>
#include <QRegularExpression>

using mvtest::DialogsTest;

namespace {

class BrowserTest : public DialogsTest {
protected:
    // Lists one favorite with `url` and opens it in the browser.
    void openInBrowser(const std::string& url) {
        std::filesystem::remove_all(favorites);
        std::filesystem::create_directories(favorites);
        writeFavorite("site.url", url);
        form->Action("TB_Refresh")->trigger();
        QApplication::processEvents();
        ASSERT_EQ(grid().RowCount(), 2) << url;
        grid().setRow(1);
        trigger("TB_ShowBrowser");
    }
};

TEST_F(BrowserTest, OpensWebAddressesOnly) {
    openAll();
    openInBrowser("https://example.com/ページ?q=日本");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("https://example.com/ページ?q=日本")));
    openInBrowser("ftp://ftp.example.org/pub/");
    openInBrowser("HTTP://EXAMPLE.ORG/");
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[2].scheme(), QStringLiteral("http"));

    // What the desktop would run or open as a file is refused, silently.
    for (const char* refused : {"/usr/bin/xterm", "file:///etc/passwd", "javascript:alert(1)",
                                "--help", "calc.exe", "http:///no-host", "", "mailto:a@b.jp"}) {
        openInBrowser(refused);
        EXPECT_EQ(opened.size(), 3u) << refused;
    }
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(BrowserTest, HelpOpensThePageBesideTheProgram) {
    openAll();
    trigger("TBHelp");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].isLocalFile());
    EXPECT_EQ(opened[0].toLocalFile(), QString::fromStdString(mv::library::executableFolder()) +
                                           QStringLiteral("/help.htm"));
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(BrowserTest, APathWithSpacesAndJapaneseIsHandedOverWhole) {
    const QString path = QStringLiteral("/opt/マークベイン 1.0/help.htm");
    EXPECT_TRUE(mv::ShellOpenFile(path));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toLocalFile(), path);
}

TEST_F(BrowserTest, TheHelpPageExplainsEveryCommand) {
    QFile page(QStringLiteral(MARKVANE_HELP_PAGE));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    openAll();
    int commands = 0;
    for (QAction* a : form->findChildren<QAction*>()) {
        if (a->isSeparator() || a->text().isEmpty() || a->objectName().isEmpty()) continue;
        ++commands;
        EXPECT_TRUE(html.contains(a->text()))
            << a->objectName().toStdString() << " " << a->text().toStdString();
    }
    EXPECT_GT(commands, 30);
    // Every anchor the page links to exists.
    const QRegularExpression link(QStringLiteral("href=\"#([a-z]+)\""));
    for (auto it = link.globalMatch(html); it.hasNext();) {
        const QString id = it.next().captured(1);
        EXPECT_TRUE(html.contains(QStringLiteral("id=\"%1\"").arg(id))) << id.toStdString();
    }
}

} // namespace
