// Fetching update dates in the real main window, against an HTTP server on 127.0.0.1 that the
// test starts itself. The server holds a reply while the test acts in the window, so what
// happens during a probe is decided by the test, not by timing.

#include "LoopbackHttpServer.h"
#include "gui/MainWindowFixture.h"

#include "platform/codepage.h"
#include "platform/error.h"
#include "ui/StatusProgressBar.h"
#include "web/ProbeRunner.h"

#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>

namespace {

using namespace std::chrono_literals;
using mv::test::LoopbackHttpServer;

std::string text(const char16_t* s) {
    return mv::fromQt(QString::fromUtf16(s));
}

const std::string kNoDate = text(u"日付の取得に失敗");
const std::string kNoConnection = text(u"接続ミス");
const std::string kNoSession = text(u"接続準備ミス");
const QString kCancelled = QStringLiteral("キャンセルされました");

std::string dated(const std::string& date) {
    return "HTTP/1.1 200 OK\r\nLast-Modified: " + date + "\r\nContent-Length: 2\r\n\r\nok";
}
const std::string kUndated = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

// Runs `job` on the GUI thread and waits until it has run, at most 10 s: for the server's
// hooks, which run on its connection threads while the window waits for the reply. False when
// the GUI thread did not get to it (it is not processing events during the probe).
bool onGuiThread(std::function<void()> job) {
    auto ran = std::make_shared<std::promise<void>>();
    auto future = ran->get_future();
    QMetaObject::invokeMethod(
        qApp,
        [job = std::move(job), ran] {
            job();
            ran->set_value();
        },
        Qt::QueuedConnection);
    return future.wait_for(10s) == std::future_status::ready;
}

// The window's state as seen during a probe.
struct Seen {
    bool cancelVisible = false;
    bool treeEnabled = true;
    bool gridEnabled = true;
    bool waitCursor = false;
    int progress = -1;
    int progressMax = -1;
};

// Messages of the information kind throw, to send an error through the batch.
class ThrowingDialogs final : public mv::Dialogs {
public:
    std::vector<std::pair<mv::MsgType, QString>> asked;
    mv::MsgButton message(mv::MsgType type, const QString& text, unsigned,
                          const QString& = {}) override {
        asked.emplace_back(type, text);
        if (type == mv::MsgType::Information) throw mv::Error(QStringLiteral("表示できません"));
        return mv::mbOK;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(const QStringList&, const QString&) override {
        return std::nullopt;
    }
};

// Stand-in probes for what a real server cannot bring about.
void sessionFails(std::string_view, mv::UrlProbeResult& result, const mv::UrlProbeTimeouts&) {
    result = {};
}
void probeThrows(std::string_view, mv::UrlProbeResult& result, const mv::UrlProbeTimeouts&) {
    result = {};
    throw mv::Error(QStringLiteral("プローブ失敗"));
}

class DatesTest : public mvtest::MainWindowTest {
protected:
    static void SetUpTestSuite() {
        // Loopback only: a proxy from the environment must not carry the requests anywhere.
        ::setenv("no_proxy", "*", 1);
        ::setenv("NO_PROXY", "*", 1);
    }

    void TearDown() override {
        mv::SetRunnerProbe(nullptr);
        MainWindowTest::TearDown();
        if (closedSocket_ >= 0) ::close(closedSocket_);
    }

    // A URL on 127.0.0.1 whose port refuses connections: a socket of ours is bound to it but
    // does not listen.
    std::string refusedUrl() {
        closedSocket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        EXPECT_EQ(::bind(closedSocket_, reinterpret_cast<sockaddr*>(&addr), len), 0);
        EXPECT_EQ(::getsockname(closedSocket_, reinterpret_cast<sockaddr*>(&addr), &len), 0);
        return "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/";
    }

    // Favorites named f1..fn whose URLs are /f1../fn of the server, each with its own date.
    void writeDatedFavorites(int n) {
        for (int i = 1; i <= n; ++i) {
            const std::string name = "f" + std::to_string(i);
            writeFavorite(name + ".url", server.url("/" + name));
            server.route("/" + name, {dated(dateOf(name))});
        }
    }
    static std::string dateOf(const std::string& name) {
        return "Mon, 0" + name.substr(1) + " Feb 2026 10:00:00 GMT";
    }

    int rowOf(const std::string& site) {
        for (int r = 1; r < grid().RowCount(); ++r)
            if (cell(1, r) == site) return r;
        ADD_FAILURE() << "no row " << site;
        return 1;
    }
    // The server path of the URL in row r.
    std::string pathOf(int r) { return cell(2, r).substr(server.url("").size()); }

    QAction* action(const char* name) { return form->Action(name); }
    mv::TStatusProgressBar& progressBar() {
        return *component<mv::TStatusProgressBar>("StatusProgressBar1");
    }
    void runBatch() {
        ASSERT_TRUE(action("TB_CheckGetDate")->isEnabled());
        action("TB_CheckGetDate")->trigger();
    }
    void fetchRow(int r) {
        grid().setRow(r);
        trigger("TB_GetDate");
    }

    Seen seeNow() {
        Seen s;
        s.cancelVisible = action("TB_CheckGetDateCancel")->isVisible();
        s.treeEnabled = tree().isEnabled();
        s.gridEnabled = grid().isEnabled();
        s.waitCursor = QApplication::overrideCursor() &&
                       QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        s.progress = progressBar().value();
        s.progressMax = progressBar().maximum();
        return s;
    }

    // The idle state that every date command leaves behind.
    void expectIdle() {
        EXPECT_TRUE(grid().isEnabled());
        EXPECT_TRUE(tree().isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(action("TB_CheckGetDateCancel")->isVisible());
        EXPECT_EQ(progressBar().value(), 0);
        EXPECT_FALSE(form->Busy());
    }

    int messagesWith(const QString& text) {
        int n = 0;
        for (const auto& a : dialogs.asked)
            n += a.text == text;
        return n;
    }

    LoopbackHttpServer server;

private:
    int closedSocket_ = -1;
};

TEST_F(DatesTest, SingleFetchShowsTheServersDateOrWhatWentWrong) {
    // Long enough to be wider than the column as laid out.
    const std::string date = "Tuesday, 15-Nov-1994 08:12:31 GMT (the server's own words)";
    writeFavorite("dated.url", server.url("/dated"));
    writeFavorite("undated.url", server.url("/undated"));
    writeFavorite("refused.url", refusedUrl());
    writeFavorite("empty.url", "");
    server.route("/dated", {dated(date)});
    server.route("/undated", {kUndated});
    const std::string fileBefore = mvtest::readBytes(favorites + "/dated.url");
    open();
    const int widthBefore = grid().ColWidths(3);

    fetchRow(rowOf("dated"));
    EXPECT_EQ(cell(3, rowOf("dated")), date);
    // Widened to the text, as far as the other columns leave room.
    const int widthAfter = grid().ColWidths(3);
    EXPECT_LE(widthAfter, grid().TextWidth(date) + 10);
    EXPECT_GT(widthAfter, widthBefore);
    expectIdle();

    fetchRow(rowOf("undated"));
    EXPECT_EQ(cell(3, rowOf("undated")), kNoDate);
    fetchRow(rowOf("refused"));
    EXPECT_EQ(cell(3, rowOf("refused")), kNoConnection);
    fetchRow(rowOf("empty"));
    EXPECT_EQ(cell(3, rowOf("empty")), kNoConnection);
    mv::SetRunnerProbe(&sessionFails);
    fetchRow(rowOf("dated"));
    EXPECT_EQ(cell(3, rowOf("dated")), kNoSession);
    // Narrower texts never shrink the column.
    EXPECT_EQ(grid().ColWidths(3), widthAfter);

    expectIdle();
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(server.requests().size(), 2u);
    // The date lives in the grid only.
    EXPECT_EQ(mvtest::readBytes(favorites + "/dated.url"), fileBefore);
}

TEST_F(DatesTest, SingleFetchOfAnEmptyFolderLeavesTheTitleRowAlone) {
    open();
    ASSERT_EQ(grid().RowCount(), 1);
    // Unavailable without a favorite; the title row is left alone all the same.
    ASSERT_TRUE(mvtest::waitFor([&] { return !action("TB_GetDate")->isEnabled(); }));
    action("TB_GetDate")->trigger();
    EXPECT_EQ(cell(3, 0), text(u"更新日"));
    EXPECT_EQ(server.connections(), 0);
    expectIdle();
}

TEST_F(DatesTest, BatchCancelledDuringTheThirdProbeDropsItAndStops) {
    writeDatedFavorites(5);
    open();
    ASSERT_EQ(grid().RowCount(), 6);
    for (int r = 1; r <= 5; ++r)
        setMark(r);
    type(3, 4, "old 4");
    type(3, 5, "old 5");
    EXPECT_FALSE(action("TB_CheckGetDateCancel")->isVisible());

    Seen during;
    bool cancelled = false;
    server.route(pathOf(3),
                 {dated(dateOf(pathOf(3).substr(1))), false, false, [&] {
                      onGuiThread([&] { during = seeNow(); });
                      cancelled = onGuiThread([&] { action("TB_CheckGetDateCancel")->trigger(); });
                  }});
    dialogs.answers = {mv::mbOK};
    runBatch();

    ASSERT_TRUE(cancelled) << "the window did not process events during the probe";
    EXPECT_TRUE(during.cancelVisible);
    EXPECT_FALSE(during.treeEnabled);
    EXPECT_FALSE(during.gridEnabled);
    EXPECT_TRUE(during.waitCursor);
    EXPECT_EQ(during.progress, 3);
    EXPECT_EQ(during.progressMax, 5);

    for (int r = 1; r <= 2; ++r) {
        EXPECT_EQ(cell(3, r), dateOf(cell(1, r))) << r;
    }
    // The request in flight is dropped: its row stays as it was.
    EXPECT_EQ(cell(3, 3), "");
    EXPECT_EQ(cell(3, 4), "old 4");
    EXPECT_EQ(cell(3, 5), "old 5");
    EXPECT_EQ(server.requests().size(), 3u);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Information);
    EXPECT_EQ(dialogs.asked[0].text, kCancelled);
    EXPECT_EQ(dialogs.asked[0].buttons, unsigned(mv::mbOK));
    expectIdle();

    // A cancel clicked while idle is forgotten by the next batch.
    action("TB_CheckGetDateCancel")->trigger();
    server.route(pathOf(3), {dated(dateOf(pathOf(3).substr(1)))});
    runBatch();
    EXPECT_EQ(cell(3, 5), dateOf(cell(1, 5)));
    EXPECT_EQ(server.requests().size(), 3u + 5u);
    EXPECT_EQ(dialogs.asked.size(), 1u);
    expectIdle();
}

TEST_F(DatesTest, BatchProbesOnlyMarkedRowsAndGoesOnAfterFailures) {
    writeFavorite("refused.url", refusedUrl());
    writeFavorite("undated.url", server.url("/undated"));
    writeFavorite("dated.url", server.url("/dated"));
    writeFavorite("space.url", server.url("/space"));
    writeFavorite("double.url", server.url("/double"));
    writeFavorite("blank.url", server.url("/blank"));
    server.route("/undated", {kUndated});
    server.route("/dated", {dated("Sun, 06 Nov 1994 08:49:37 GMT")});
    open();
    ASSERT_EQ(grid().RowCount(), 7);
    for (int r = 1; r < 7; ++r)
        type(3, r, "keep");
    setMark(rowOf("refused"));
    setMark(rowOf("undated"));
    setMark(rowOf("dated"));
    // Marked and cleared again: unmarked.
    setMark(rowOf("double"));
    setMark(rowOf("double"), false);
    // The title row's check cell shows "1" until the next tick of the availability timer.
    grid().setCells(0, 0, "1");

    runBatch();
    EXPECT_EQ(cell(3, rowOf("refused")), kNoConnection);
    EXPECT_EQ(cell(3, rowOf("undated")), kNoDate);
    EXPECT_EQ(cell(3, rowOf("dated")), "Sun, 06 Nov 1994 08:49:37 GMT");
    for (const char* skipped : {"space", "double", "blank"}) {
        EXPECT_EQ(cell(3, rowOf(skipped)), "keep") << skipped;
    }
    EXPECT_EQ(cell(3, 0), text(u"更新日"));
    EXPECT_EQ(server.requests().size(), 2u);
    EXPECT_TRUE(dialogs.asked.empty());
    expectIdle();
}

TEST_F(DatesTest, BatchWithNothingMarkedWritesNothing) {
    writeDatedFavorites(3);
    open();
    progressBar().setValue(40);
    runBatch();
    for (int r = 1; r < 4; ++r) {
        EXPECT_EQ(cell(3, r), "");
    }
    EXPECT_EQ(server.connections(), 0);
    EXPECT_TRUE(dialogs.asked.empty());
    expectIdle();
}

TEST_F(DatesTest, NoSecondDateCommandStartsWhileABatchRuns) {
    writeDatedFavorites(3);
    open();
    for (int r = 1; r <= 3; ++r)
        setMark(r);
    bool tried = false;
    std::atomic<int> held{0};
    server.route(pathOf(2), {dated(dateOf(pathOf(2).substr(1))), false, false, [&] {
                                 // Once only: a batch that did start would come here again.
                                 if (held++ > 0) return;
                                 tried = onGuiThread([&] {
                                     action("TB_CheckGetDate")->trigger();
                                     action("TB_CheckGetDate_Toolbar")->trigger();
                                     grid().setRow(1);
                                     action("TB_GetDate")->trigger();
                                     action("TB_GetDate_Toolbar")->trigger();
                                 });
                             }});
    runBatch();

    ASSERT_TRUE(tried);
    EXPECT_EQ(server.requests().size(), 3u);
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(cell(3, r), dateOf(cell(1, r)));
    }
    expectIdle();
    // Once it has ended, the next one runs.
    runBatch();
    EXPECT_EQ(server.requests().size(), 6u);
}

TEST_F(DatesTest, ARowListedAgainDuringItsProbeDoesNotGetTheOldDate) {
    writeDatedFavorites(3);
    std::filesystem::create_directories(favorites + "/sub");
    for (const char* name : {"s1", "s2", "s3"})
        writeFavorite(std::string("sub/") + name + ".url", server.url("/sub"));
    open();
    for (int r = 1; r <= 3; ++r)
        setMark(r);
    bool switched = false;
    server.route(pathOf(2), {dated(dateOf(pathOf(2).substr(1))), false, false,
                             [&] { switched = onGuiThread([&] { select(favorites + "/sub"); }); }});
    runBatch();

    ASSERT_TRUE(switched);
    ASSERT_EQ(grid().RowCount(), 4);
    EXPECT_EQ(cell(1, 2).substr(0, 1), "s");
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(cell(3, r), "") << r;
    }
    EXPECT_EQ(server.requests().size(), 2u);
    expectIdle();
}

TEST_F(DatesTest, BusyStateIsUndoneWhenAnErrorPassesThrough) {
    writeDatedFavorites(3);
    open();
    for (int r = 1; r <= 3; ++r)
        setMark(r);

    // The cancel message fails: the error ends the batch and is shown.
    ThrowingDialogs failing;
    mv::Dialogs::install(&failing);
    server.route(pathOf(1), {dated(dateOf(pathOf(1).substr(1))), false, false, [&] {
                                 onGuiThread([&] { action("TB_CheckGetDateCancel")->trigger(); });
                             }});
    runBatch();
    mv::Dialogs::install(&dialogs);
    ASSERT_EQ(failing.asked.size(), 2u);
    EXPECT_EQ(failing.asked[0].second, kCancelled);
    EXPECT_EQ(failing.asked[1].first, mv::MsgType::Error);
    EXPECT_EQ(failing.asked[1].second, QStringLiteral("表示できません."));
    EXPECT_EQ(cell(3, 1), ""); // cancelled in flight
    EXPECT_EQ(cell(3, 2), "");
    expectIdle();

    // The probe fails with an error in a single fetch.
    mv::SetRunnerProbe(&probeThrows);
    grid().setRow(2);
    ASSERT_TRUE(mvtest::waitFor([&] { return action("TB_GetDate")->isEnabled(); }));
    dialogs.answers = {mv::mbOK};
    action("TB_GetDate")->trigger();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Error);
    EXPECT_EQ(dialogs.asked[0].text, QStringLiteral("プローブ失敗."));
    EXPECT_EQ(cell(3, 2), "");
    expectIdle();

    // And in a batch.
    dialogs.answers = {mv::mbOK};
    runBatch();
    EXPECT_EQ(dialogs.asked.size(), 2u);
    expectIdle();
}

TEST_F(DatesTest, ClosingTheWindowStopsTheBatch) {
    writeDatedFavorites(3);
    open();
    for (int r = 1; r <= 3; ++r)
        setMark(r);
    server.route(pathOf(1), {dated(dateOf(pathOf(1).substr(1))), false, false,
                             [&] { onGuiThread([&] { form->close(); }); }});
    runBatch();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_TRUE(dialogs.asked.empty());
    expectIdle();
}

} // namespace
