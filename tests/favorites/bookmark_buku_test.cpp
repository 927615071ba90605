// The exported bookmark file read by another program: buku imports it into a private database
// and prints its records, which must hold every favorite's URL, name and comment.
#include "favorites/BookmarkExport.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <tuple>

namespace {

using Record = std::tuple<QString, QString, QString>; // URL, title, comment

TEST(BookmarkBuku, ExportReadByBuku) {
    const QString buku = QStandardPaths::findExecutable(QStringLiteral("buku"));
    if (buku.isEmpty()) GTEST_SKIP() << "buku is not installed";

    mvtest::TempDir dir;
    const std::string fav = dir / "Favorites";
    std::filesystem::create_directories(fav + "/ニュース & 天気/国内");
    mvtest::writeBytes(fav + "/ニュース & 天気/Yahoo!ニュース.url",
                       "[InternetShortcut]\r\nURL=https://news.yahoo.co.jp/?a=1&b=2\r\n"
                       "[Comment]\r\nComment=毎日 <見る>\r\n");
    mvtest::writeBytes(fav + "/ニュース & 天気/国内/Tom & Jerry's.url",
                       "[InternetShortcut]\r\nURL=http://example.com/\"q\"\r\n");
    mvtest::writeBytes(fav + "/日本語のページ.url",
                       "[InternetShortcut]\r\nURL=https://ja.wikipedia.org/wiki/日本\r\n");
    const std::string html = dir / "bookmarks.html";
    mvtest::writeBytes(html, mv::BookmarkFileText(mv::CollectFavorites(fav)));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(dir / "data"));
    env.insert(QStringLiteral("HOME"), QString::fromStdString(dir.path()));
    env.insert(QStringLiteral("PYTHONWARNINGS"), QStringLiteral("ignore"));
    auto run = [&](const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setStandardInputFile(QProcess::nullDevice());
        p.start(buku, QStringList{QStringLiteral("--nostdin")} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return p.readAllStandardOutput();
    };
    run({QStringLiteral("--np"), QStringLiteral("--tacit"), QStringLiteral("-i"),
         QString::fromStdString(html)});
    const QByteArray json =
        run({QStringLiteral("--np"), QStringLiteral("-p"), QStringLiteral("-j")});

    std::set<Record> got;
    for (const QJsonValue& v : QJsonDocument::fromJson(json).array()) {
        const QJsonObject o = v.toObject();
        got.insert({o[QStringLiteral("uri")].toString(), o[QStringLiteral("title")].toString(),
                    o[QStringLiteral("description")].toString()});
    }
    const std::set<Record> expected = {
        {QStringLiteral("https://news.yahoo.co.jp/?a=1&b=2"), QStringLiteral("Yahoo!ニュース"),
         QStringLiteral("毎日 <見る>")},
        {QStringLiteral("http://example.com/\"q\""), QStringLiteral("Tom & Jerry's"), QString()},
        {QStringLiteral("https://ja.wikipedia.org/wiki/日本"), QStringLiteral("日本語のページ"),
         QString()},
    };
    EXPECT_EQ(got, expected) << json.toStdString();
}

} // namespace
