#include "MainWindowFixture.h"

#include "app/SettingsFile.h"

#include <QRegularExpression>
#include <QToolButton>
#include <sys/stat.h>

using mvtest::MainWindowTest;

TEST(SettingsPath, CutsTheExecutableNameAtItsLastDot) {
    mvtest::TempDir dir;
    EXPECT_EQ(mv::SettingsPathFor(dir / "a.b.exe"), dir / "a.b.ini");
    EXPECT_EQ(mv::SettingsPathFor(dir / "markvane"), dir / "markvane.ini");
    // A dot in a folder name is not the executable's extension.
    std::filesystem::create_directories(dir / ".local/bin");
    EXPECT_EQ(mv::SettingsPathFor(dir / ".local/bin/markvane"), dir / ".local/bin/markvane.ini");
    // A folder we cannot write to sends the settings to the user's configuration folder.
    mvtest::shareWithEveryone(dir.path());
    std::filesystem::create_directories(dir / "config");
    mvtest::shareWithEveryone(dir / "config");
    std::filesystem::create_directories(dir / "installed");
    ::chmod((dir / "installed").c_str(), 0555);
    const int rc = mvtest::runUnprivileged([&] {
        ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        return mv::SettingsPathFor(dir / "installed/markvane") ==
                       dir / "config/markvane/markvane.ini"
                   ? 0
                   : 1;
    });
    EXPECT_EQ(rc, 0);
}

TEST_F(MainWindowTest, FirstCloseWritesTheSettingsInOrder) {
    open();
    form->close();
    EXPECT_TRUE(dialogs.asked.empty()); // the close box does not ask
    const QString text = QString::fromStdString(mvtest::readBytes(settings));
    const QRegularExpression shape(
        QStringLiteral("^\\[FavoriteFolder\\]\r\nPath=rfFavorites\r\n\\[FormPosition\\]\r\nTop=-?"
                       "\\d+\r\nLeft=-?\\d+\r\n"
                       "Width=\\d+\r\nHeight=\\d+\r\n\\[FormView\\]\r\nEasyMode=0\r\n$"));
    EXPECT_TRUE(shape.match(text).hasMatch()) << text.toStdString();
}

TEST_F(MainWindowTest, ReadsHexValuesAndTheEasyView) {
    mvtest::writeBytes(settings,
                       "[FormPosition]\r\nTop=0x20\r\nLeft=$30\r\nWidth=800\r\nHeight=0X200\r\n"
                       "[FormView]\r\nEasyMode=0x1\r\n");
    open();
    EXPECT_EQ(form->y(), 32);
    EXPECT_EQ(form->x(), 48);
    EXPECT_EQ(form->width(), 800);
    EXPECT_EQ(form->height(), 512);
    EXPECT_TRUE(form->Action("TB_EasyView")->isChecked());
    // Path was never written: the root stays the favorites token.
    EXPECT_EQ(tree().Root(), QStringLiteral("rfFavorites"));
}

TEST_F(MainWindowTest, BadValuesFallBackToDefaults) {
    for (const char* value : {"abc", "", "0"}) {
        mvtest::writeBytes(settings,
                           std::string("[FormPosition]\r\nWidth=wide\r\n[FormView]\r\nEasyMode=") +
                               value + "\r\n");
        open();
        EXPECT_FALSE(form->Action("TB_EasyView")->isChecked()) << value;
        EXPECT_EQ(form->width(), 730);
        form.reset();
    }
    mvtest::writeBytes(settings, "[FormView]\r\nEasyMode=2\r\n");
    open();
    EXPECT_TRUE(form->Action("TB_EasyView")->isChecked());
}

TEST_F(MainWindowTest, SavedRootIsRestoredAndABrokenOneReported) {
    std::filesystem::create_directories(dir / "Other");
    writeFavorite("../Other/o.url", "http://other/");
    mvtest::writeBytes(settings, "[FavoriteFolder]\r\nPath=" + dir / "Other" +
                                     "\r\n[FormPosition]\r\nTop=0x20\r\n");
    open();
    EXPECT_EQ(tree().Root(), QString::fromStdString(dir / "Other"));
    EXPECT_EQ(grid().Cells(1, 1), "o");
    EXPECT_EQ(form->y(), 32);
    form->close();
    EXPECT_NE(mvtest::readBytes(settings).find("Path=" + dir / "Other" + "\r\n"),
              std::string::npos);
    form.reset();

    const std::string broken = dir / "gone";
    mvtest::writeBytes(settings,
                       "[FavoriteFolder]\r\nPath=" + broken + "\r\n[FormPosition]\r\nTop=0x20\r\n");
    dialogs.answers = {mv::mbOK};
    open();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Error);
    EXPECT_EQ(dialogs.asked[0].caption, QStringLiteral("Markvane"));
    EXPECT_EQ(dialogs.asked[0].text,
              QStringLiteral("パス設定エラー : \"%1\"").arg(QString::fromStdString(broken)));
    EXPECT_EQ(tree().Root(), QStringLiteral("rfFavorites"));
    EXPECT_NE(form->y(), 32); // the rest of the start-up settings are skipped
    form->close();
    EXPECT_NE(mvtest::readBytes(settings).find("Path=rfFavorites\r\n"), std::string::npos);
}

TEST_F(MainWindowTest, QuitAsksFirst) {
    open();
    dialogs.answers = {mv::mbNo};
    form->Action("TB_End")->trigger();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Confirmation);
    EXPECT_EQ(dialogs.asked[0].text, QStringLiteral("終了します\r\nよろしいですか？"));
    EXPECT_EQ(dialogs.asked[0].buttons, unsigned(mv::mbYes | mv::mbNo));
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(std::filesystem::exists(settings));

    dialogs.answers = {mv::mbYes};
    form->Action("TB_End")->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(std::filesystem::exists(settings));
}

TEST_F(MainWindowTest, UnwritableSettingsAreReportedAndTheWindowStays) {
    std::filesystem::create_directories(settings); // a folder where the file should be
    writeFavorite("a.url", "http://a/");
    open();
    grid().setRow(1);
    trigger("TB_Copy");
    dialogs.answers = {mv::mbOK};
    form->close();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].text,
              QStringLiteral("%1 に書き込めません.").arg(QString::fromStdString(settings)));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(listed().ItemClipboard().size(), 1u);
}
