// `markvane --open FILE.url...`: web addresses go to the browser, anything else is refused
// with a message naming the file.
#include "app/OpenCommand.h"
#include "platform/codepage.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"
#include "web/shellexec.h"

#include <QUrl>
#include <gtest/gtest.h>

#include <vector>

namespace {

class OpenCommand : public ::testing::Test {
protected:
    mvtest::TempDir dir;
    mvtest::ScriptedDialogs dialogs;
    std::vector<QUrl> opened;

    void SetUp() override {
        mv::setShellOpenerForTesting([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
    }
    void TearDown() override { mv::setShellOpenerForTesting({}); }

    std::string shortcut(const std::string& name, const std::string& bytes) {
        const std::string path = dir / name;
        mvtest::writeBytes(path, bytes);
        return path;
    }
    int run(std::vector<std::string> args) {
        args.insert(args.begin(), {"markvane", "--open"});
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        return mv::RunOpenCommand(int(args.size()), argv.data()).value_or(-1);
    }
};

TEST_F(OpenCommand, WebAddressesInEveryEncoding) {
    const std::string sjis = mv::CodePage::cp932().fromUtf8("天気").value();
    const std::string a =
        shortcut("天気.url", "[InternetShortcut]\r\nURL=http://tenki.jp/" + sjis + "\r\n");
    const std::string b = shortcut("utf8.url", "\xEF\xBB\xBF[InternetShortcut]\r\n"
                                               "URL=https://ja.wikipedia.org/wiki/日本\r\n");
    const std::string c =
        shortcut("wide.URL",
                 "\xFF\xFE" + mv::convertEncoding("[InternetShortcut]\r\nURL=ftp://例え.jp/x\r\n",
                                                  "UTF-8", "UTF-16LE")
                                  .value());
    EXPECT_EQ(run({a, b, c}), 0);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("http://tenki.jp/天気")));
    EXPECT_EQ(opened[1], QUrl(QStringLiteral("https://ja.wikipedia.org/wiki/日本")));
    EXPECT_EQ(opened[2], QUrl(QStringLiteral("ftp://例え.jp/x")));
    EXPECT_TRUE(dialogs.asked.empty());
    // Without --open the program starts as usual.
    char name[] = "markvane";
    char* plain[] = {name, nullptr};
    EXPECT_FALSE(mv::RunOpenCommand(1, plain));
}

TEST_F(OpenCommand, RefusesWhatIsNoWebAddressAndNamesTheFile) {
    const std::vector<std::string> refused = {
        shortcut("script.url", "[InternetShortcut]\r\nURL=javascript:alert(1)\r\n"),
        shortcut("local.url", "[InternetShortcut]\r\nURL=file:///etc/passwd\r\n"),
        shortcut("program.url", "[InternetShortcut]\r\nURL=/usr/bin/xterm\r\n"),
        shortcut("nohost.url", "[InternetShortcut]\r\nURL=http:///x\r\n"),
        shortcut("empty.url", "[InternetShortcut]\r\n"),
        dir / "missing.url",
    };
    const std::string good = shortcut("good.url", "[InternetShortcut]\r\nURL=https://e.jp/\r\n");
    for (size_t i = 0; i < refused.size(); ++i)
        dialogs.answers.push_back(mv::mbOK);
    std::vector<std::string> args = refused;
    args.push_back(good);
    EXPECT_EQ(run(args), 1);
    ASSERT_EQ(opened.size(), 1u); // the good one is still opened
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("https://e.jp/")));
    ASSERT_EQ(dialogs.asked.size(), refused.size());
    for (size_t i = 0; i < refused.size(); ++i) {
        EXPECT_EQ(dialogs.asked[i].type, mv::MsgType::Warning);
        EXPECT_TRUE(dialogs.asked[i].text.contains(QString::fromStdString(refused[i])))
            << dialogs.asked[i].text.toStdString();
    }
    EXPECT_TRUE(dialogs.asked[0].text.contains(QStringLiteral("javascript:alert(1)")));
}

} // namespace
