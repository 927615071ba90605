// The main window fitting its user: Japanese standard dialogs, the font window's starting font,
// columns that stay in sight, a cancel that answers at once, a folder from the command line and
// a message when nothing can open a page.

#include "gui/MainWindowFixture.h"

#include "app/CommandLineFolder.h"
#include "app/SettingsFile.h"
#include "app/ToolbarFit.h"
#include "ui/ColumnWidthWindow.h"
#include "web/shellexec.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFontDialog>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using WindowFitTest = mvtest::MainWindowTest;

// A server that takes connections and never answers: the kernel accepts them into the
// backlog, nobody reads.
class SilentServer {
public:
    SilentServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(fd_, 8) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            ADD_FAILURE() << "no listening socket";
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(fd_); }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    int fd_ = -1;
    int port_ = 0;
};

TEST_F(WindowFitTest, StandardDialogsSpeakJapanese) {
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_TRUE(
        box.button(QDialogButtonBox::Cancel)->text().contains(QStringLiteral("キャンセル")));
    QFontDialog fonts;
    EXPECT_NE(fonts.windowTitle(), QStringLiteral("Select Font"));
}

TEST_F(WindowFitTest, FontWindowOpensOnTheFontInUse) {
    writeFavorite("a.url", "http://a/");
    open();
    const QFont inUse = grid().GridColumns()[1].Font();
    QString startFamily;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        startFamily = dialog->currentFont().family();
        dialog->accept(); // OK without a choice
    });
    trigger("TB_Font");
    EXPECT_EQ(startFamily, QFontInfo(inUse).family());
    EXPECT_EQ(QFontInfo(grid().GridColumns()[1].Font()).family(), QFontInfo(inUse).family());
    EXPECT_EQ(QFontInfo(grid().GridColumns()[1].Font()).pixelSize(), QFontInfo(inUse).pixelSize());
}

TEST_F(WindowFitTest, LongNamesLeaveTheOtherColumnsInSight) {
    const std::string longName =
        "とても長い日本語のサイト名を持つお気に入りファイルで一覧の半分を越えるもの";
    writeFavorite(longName + ".url", "http://example.com/a/rather/long/url/that/needs/room/too");
    writeFavorite("青空文庫.url", "https://www.aozora.gr.jp/");
    writeFavorite("気象庁.url", "https://www.jma.go.jp/");
    open();
    const int view = grid().viewport()->width();
    EXPECT_LE(grid().ColWidths(1), view / 2);
    EXPECT_GT(grid().ColWidths(1), 64);
    // The comment column ends at the right edge.
    int total = 0;
    for (int c = 0; c < 5; ++c)
        total += grid().ColWidths(c) + grid().GridLineWidth();
    EXPECT_EQ(total, view);
    const int capped = grid().ColWidths(1);
    form->resize(1280, 900);
    QApplication::processEvents();
    // The long name gets the room the wider window has.
    EXPECT_GT(grid().ColWidths(1), capped);
    EXPECT_LE(grid().ColWidths(1), grid().viewport()->width() / 2);
    total = 0;
    for (int c = 0; c < 5; ++c)
        total += grid().ColWidths(c) + grid().GridLineWidth();
    EXPECT_EQ(total, grid().viewport()->width());
    // A width the user sets is kept.
    grid().setColWidths(4, 70);
    form->resize(1000, 700);
    QApplication::processEvents();
    EXPECT_EQ(grid().ColWidths(4), 70);
}

TEST_F(WindowFitTest, ToolbarsCompactRatherThanHideCommands) {
    open();
    auto* bar = component<QToolBar>("TBPopupMenu_List_ToolBar");
    auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(form->Action("TB_Add_Toolbar")));
    for (const int width : {730, 1280, 500}) {
        form->resize(width, 700);
        QApplication::processEvents();
        const bool fits = mv::ToolbarFit::FullWidth(*bar) <= width;
        EXPECT_EQ(fits, width == 1280) << width;
        EXPECT_EQ(button->toolButtonStyle(),
                  fits ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly)
            << width;
        // Nothing left behind the overflow arrow: every button lies within the bar.
        for (QAction* a : bar->actions()) {
            QWidget* w = bar->widgetForAction(a);
            if (!a->isVisible() || !w || width == 500) continue;
            EXPECT_TRUE(w->isVisible()) << a->objectName().toStdString() << " at " << width;
        }
    }
}

TEST_F(WindowFitTest, CancelStopsARequestInFlightAtOnce) {
    SilentServer silent;
    writeFavorite("silent.url", silent.url());
    writeFavorite("silent2.url", silent.url());
    open();
    type(3, 1, "as it was");
    QAction* cancel = form->Action("TB_CheckGetDateCancel");
    QElapsedTimer sinceClick;
    QTimer::singleShot(300, [&] {
        EXPECT_TRUE(cancel->isVisible());
        sinceClick.start();
        cancel->trigger();
    });
    grid().setRow(1);
    trigger("TB_GetDate");
    ASSERT_TRUE(sinceClick.isValid()) << "the window did not answer during the request";
    EXPECT_LT(sinceClick.elapsed(), 100);
    EXPECT_EQ(cell(3, 1), "as it was");
    EXPECT_FALSE(cancel->isVisible());
    EXPECT_TRUE(tree().isEnabled());
    EXPECT_FALSE(form->Busy());

    // The batch: the question comes as soon as the request is dropped.
    setMark(1);
    setMark(2);
    qint64 untilQuestion = -1;
    dialogs.answers = {mv::mbOK};
    dialogs.onAsk = [&](const auto&) { untilQuestion = sinceClick.elapsed(); };
    QTimer::singleShot(300, [&] {
        sinceClick.restart();
        cancel->trigger();
    });
    trigger("TB_CheckGetDate");
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].text, QStringLiteral("キャンセルされました"));
    EXPECT_GE(untilQuestion, 0);
    EXPECT_LT(untilQuestion, 100);
    EXPECT_EQ(cell(3, 1), "as it was");
    EXPECT_EQ(cell(3, 2), "");
}

TEST_F(WindowFitTest, FolderOnTheCommandLineWinsForOneRun) {
    const std::string saved = dir / "saved";
    const std::string given = dir / "given";
    std::filesystem::create_directories(saved);
    std::filesystem::create_directories(given);
    mvtest::writeBytes(given + "/g.url", "[InternetShortcut]\r\nURL=http://g/\r\n");
    mvtest::writeBytes(settings, "[FavoriteFolder]\r\nPath=" + saved + "\r\n");

    const std::optional<QString> folder =
        mv::CommandLineFolder({QStringLiteral("markvane"), QString::fromStdString(given)});
    ASSERT_TRUE(folder);
    form = std::make_unique<mv::TForm1>(settings);
    form->OpenForThisRun(*folder);
    form->show();
    QApplication::processEvents();
    EXPECT_EQ(tree().RootPath(), QString::fromStdString(given));
    EXPECT_EQ(grid().RowCount(), 2);
    form->close();
    EXPECT_EQ(mv::SettingsFile(settings).ReadString("FavoriteFolder", "Path", ""), saved);

    EXPECT_EQ(mv::CommandLineFolder({QStringLiteral("markvane")}), QString());
    EXPECT_FALSE(mv::CommandLineFolder({QStringLiteral("markvane"), QStringLiteral("/no/such")}));
    EXPECT_FALSE(mv::CommandLineFolder({QStringLiteral("markvane"), QStringLiteral("--bogus")}));
}

TEST_F(WindowFitTest, SaysSoWhenNothingCanOpenAPage) {
    writeFavorite("a.url", "http://a/");
    open();
    mv::setShellOpenerForTesting([](const QUrl&) { return false; });
    grid().setRow(1);
    dialogs.answers = {mv::mbOK, mv::mbOK};
    trigger("TB_ShowBrowser");
    trigger("TBHelp");
    mv::setShellOpenerForTesting({});
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Warning);
    EXPECT_TRUE(dialogs.asked[0].text.contains(QStringLiteral("http://a/")));
    EXPECT_TRUE(dialogs.asked[1].text.contains(QStringLiteral("help.htm")));
}

} // namespace
