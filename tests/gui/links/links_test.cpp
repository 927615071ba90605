// Link check, redirects written back, duplicates and the command-line form, in the real main
// window and against an HTTP server on 127.0.0.1 started by the test.

#include "LoopbackHttpServer.h"
#include "gui/MainWindowFixture.h"

#include "app/CheckLinksCommand.h"
#include "platform/codepage.h"

#include <QHelpEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QToolTip>

#include <chrono>
#include <sstream>

namespace {

using namespace std::chrono_literals;
using mv::test::LoopbackHttpServer;

std::string text(const char16_t* s) {
    return mv::fromQt(QString::fromUtf16(s));
}

std::string reply(std::string_view status, std::string_view headers = {}) {
    return "HTTP/1.1 " + std::string(status) + "\r\n" + std::string(headers) +
           "Content-Length: 2\r\n\r\nok";
}

// "日記" in CP932.
const std::string kCp932Diary = "\x93\xfa\x8b\x4c";

class LinksTest : public mvtest::MainWindowTest {
protected:
    static void SetUpTestSuite() {
        setenv("no_proxy", "*", 1);
        setenv("NO_PROXY", "*", 1);
    }
    void SetUp() override {
        MainWindowTest::SetUp();
        server.route("/ok", {reply("200 OK")});
        server.route("/perm", {reply("301 Moved Permanently", "Location: /new\r\n")});
        server.route("/perm-utf8", {reply("308 Permanent Redirect", "Location: /new2\r\n")});
        server.route("/new", {reply("200 OK")});
        server.route("/new2", {reply("200 OK")});
        server.route("/temp", {reply("302 Found", "Location: /ok\r\n")});
        server.route("/gone", {reply("404 Not Found")});
        server.route("/broken", {reply("500 Internal Server Error")});
    }
    int rowOf(const std::string& site) {
        for (int r = 1; r < grid().RowCount(); ++r)
            if (cell(1, r) == site) return r;
        ADD_FAILURE() << "no row " << site;
        return 1;
    }
    QString toolTipOf(int c, int r) {
        const QPoint pos = grid().CellRect(c, r).center();
        QHelpEvent event(QEvent::ToolTip, pos, grid().viewport()->mapToGlobal(pos));
        QApplication::sendEvent(grid().viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    LoopbackHttpServer server;
};

TEST_F(LinksTest, CheckShowsEachStateMarksTheDeadAndWritesPermanentMoves) {
    const std::string cp932File = "[InternetShortcut]\r\nURL=" + server.url("/perm") +
                                  "\r\nIconIndex=0\r\n[Comment]\r\nComment=" + kCp932Diary + "\r\n";
    const std::string utf8File =
        "\xEF\xBB\xBF[DEFAULT]\r\nBASEURL=x\r\n[InternetShortcut]\r\nURL=" +
        server.url("/perm-utf8") + "\r\n[Comment]\r\nComment=日記\r\n";
    mvtest::writeBytes(favorites + "/perm-cp932.url", cp932File);
    mvtest::writeBytes(favorites + "/perm-utf8.url", utf8File);
    writeFavorite("ok.url", server.url("/ok"));
    writeFavorite("temp.url", server.url("/temp"));
    writeFavorite("gone.url", server.url("/gone"));
    writeFavorite("broken.url", server.url("/broken"));
    writeFavorite("refused.url", "http://127.0.0.1:1/");
    open();

    trigger("TB_CheckLinks");
    EXPECT_EQ(cell(3, rowOf("ok")), text(u"正常"));
    EXPECT_EQ(cell(3, rowOf("perm-cp932")), text(u"移動: ") + server.url("/new"));
    EXPECT_EQ(cell(3, rowOf("temp")), text(u"移動: ") + server.url("/ok"));
    EXPECT_EQ(cell(3, rowOf("gone")), text(u"見つからない"));
    EXPECT_EQ(cell(3, rowOf("broken")), text(u"サーバーエラー"));
    EXPECT_EQ(cell(3, rowOf("refused")), text(u"接続ミス"));
    for (const char* site : {"gone", "broken", "refused"})
        EXPECT_EQ(cell(0, rowOf(site)), "1") << site;
    for (const char* site : {"ok", "perm-cp932", "perm-utf8", "temp"})
        EXPECT_EQ(cell(0, rowOf(site)), "0") << site;
    EXPECT_EQ(toolTipOf(3, rowOf("gone")), QStringLiteral("HTTP 404"));
    EXPECT_TRUE(toolTipOf(3, rowOf("perm-cp932")).startsWith(QStringLiteral("HTTP 200 (恒久的")));
    EXPECT_FALSE(form->Action("TB_CheckLinksCancel")->isVisible());

    // Only the two permanent moves are written, each changing its URL line alone.
    dialogs.answers = {mv::mbYes};
    trigger("TB_ApplyRedirects");
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_TRUE(dialogs.asked[0].text.startsWith(QStringLiteral("2 件")));
    auto replaced = [](std::string bytes, const std::string& from, const std::string& to) {
        bytes.replace(bytes.find(from), from.size(), to);
        return bytes;
    };
    EXPECT_EQ(mvtest::readBytes(favorites + "/perm-cp932.url"),
              replaced(cp932File, server.url("/perm"), server.url("/new")));
    EXPECT_EQ(mvtest::readBytes(favorites + "/perm-utf8.url"),
              replaced(utf8File, server.url("/perm-utf8"), server.url("/new2")));
    EXPECT_EQ(mvtest::readBytes(favorites + "/temp.url"),
              "[InternetShortcut]\r\nURL=" + server.url("/temp") + "\r\n");
    // The listing is read again: the new addresses, no states left over.
    EXPECT_EQ(cell(2, rowOf("perm-cp932")), server.url("/new"));
    EXPECT_EQ(cell(3, rowOf("perm-cp932")), "");
}

TEST_F(LinksTest, CancelEndsACheckOfServersThatNeverAnswer) {
    server.route("/never", {"", false, true});
    for (int i = 0; i < 4; ++i)
        writeFavorite("never" + std::to_string(i) + ".url", server.url("/never"));
    writeFavorite("ok.url", server.url("/ok"));
    open();
    setMark(rowOf("never0"));
    setMark(rowOf("never1"));

    bool cancelShown = false;
    std::chrono::steady_clock::time_point cancelled;
    QTimer::singleShot(300, [&] {
        cancelShown = form->Action("TB_CheckLinksCancel")->isVisible();
        cancelled = std::chrono::steady_clock::now();
        form->Action("TB_CheckLinksCancel")->trigger();
    });
    dialogs.answers = {mv::mbOK};
    trigger("TB_CheckLinks");
    const auto took = std::chrono::steady_clock::now() - cancelled;
    EXPECT_TRUE(cancelShown);
    EXPECT_LT(took, 100ms);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].text, QStringLiteral("キャンセルされました"));
    // Only the check-marked ones were asked for; nothing was shown for them.
    EXPECT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(cell(3, rowOf("never0")), "");
    EXPECT_EQ(cell(3, rowOf("ok")), "");
    EXPECT_FALSE(form->Action("TB_CheckLinksCancel")->isVisible());
    EXPECT_FALSE(form->Busy());
}

TEST_F(LinksTest, DuplicatesAreListedWithTheirFoldersAllButTheOldestMarked) {
    for (const char* folder : {"ニュース", "ニュース/国内", "空のフォルダ"})
        std::filesystem::create_directory(favorites + "/" + folder);
    const auto aged = [&](const std::string& rel, const std::string& url, int hours) {
        writeFavorite(rel, url);
        std::filesystem::last_write_time(favorites + "/" + rel,
                                         std::filesystem::file_time_type::clock::now() -
                                             std::chrono::hours(hours));
    };
    aged("朝刊.url", "http://News.example.jp", 1);
    aged("ニュース/朝刊.url", "http://news.example.jp/", 9);
    aged("ニュース/国内/朝刊 (2).url", "http://news.example.jp:80/#top", 5);
    aged("ひとつだけ.url", "http://single.example.jp/", 5);
    open();

    // Asked about the fragment, the user counts "#top" as the same page.
    dialogs.answers = {mv::mbYes, mv::mbOK};
    trigger("TB_FindDuplicates");
    ASSERT_EQ(grid().RowCount(), 4);
    EXPECT_EQ(cell(3, 1), text(u"重複1: ニュース"));
    EXPECT_EQ(cell(3, 2), text(u"重複1: ニュース/国内"));
    EXPECT_EQ(cell(3, 3), text(u"重複1: (お気に入り)"));
    EXPECT_EQ(cell(0, 1) + cell(0, 2) + cell(0, 3), "011");
    EXPECT_EQ(listed().CheckedPaths(),
              (std::vector<std::string>{favorites + "/ニュース/国内/朝刊 (2).url",
                                        favorites + "/朝刊.url"}));
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Confirmation);
    EXPECT_EQ(dialogs.asked[1].text, QStringLiteral("空のフォルダ:\r\n空のフォルダ"));

    // Kept apart, the one with "#top" leaves its group.
    dialogs.answers = {mv::mbNo, mv::mbOK};
    trigger("TB_FindDuplicates");
    ASSERT_EQ(grid().RowCount(), 3);
    EXPECT_EQ(cell(1, 1) + cell(1, 2), "朝刊朝刊");
    EXPECT_EQ(cell(0, 1) + cell(0, 2), "01");
}

TEST_F(LinksTest, CommandLineFormPrintsATableOrJsonAndFailsOnADeadLink) {
    std::filesystem::create_directory(favorites + "/サブ");
    writeFavorite("ok.url", server.url("/ok"));
    writeFavorite("サブ/gone.url", server.url("/gone"));
    std::ostringstream out, err;
    EXPECT_EQ(mv::CheckLinks(favorites, false, out, err), 1);
    EXPECT_EQ(out.str(), text(u"状態\tHTTP\tURL\t移動先\tファイル\n") + text(u"正常") + "\t200\t" +
                             server.url("/ok") + "\t-\tok.url\n" + text(u"見つからない") +
                             "\t404\t" + server.url("/gone") + text(u"\t-\tサブ/gone.url\n") +
                             text(u"2 件中 1 件がリンク切れです\n"));

    std::ostringstream json;
    EXPECT_EQ(mv::CheckLinks(favorites, true, json, err), 1);
    const QJsonArray array = QJsonDocument::fromJson(QByteArray::fromStdString(json.str())).array();
    ASSERT_EQ(array.size(), 2);
    EXPECT_EQ(array[1][QStringLiteral("file")].toString(), QStringLiteral("サブ/gone.url"));
    EXPECT_EQ(array[1][QStringLiteral("state")].toString(), QStringLiteral("not_found"));
    EXPECT_EQ(array[1][QStringLiteral("status")].toInt(), 404);
    EXPECT_TRUE(array[1][QStringLiteral("dead")].toBool());
    EXPECT_EQ(err.str(), "");

    std::filesystem::remove(favorites + "/サブ/gone.url");
    std::ostringstream quiet;
    EXPECT_EQ(mv::CheckLinks(favorites, true, quiet, err), 0);

    char program[] = "markvane", check[] = "--check-links", other[] = "--other";
    char* notOurs[] = {program, other};
    EXPECT_FALSE(mv::RunCheckLinksCommand(2, notOurs));
    char* noFolder[] = {program, check};
    EXPECT_EQ(mv::RunCheckLinksCommand(2, noFolder), 2);
    EXPECT_EQ(mv::CheckLinks(favorites + "/none", false, out, err), 2);
}

} // namespace
