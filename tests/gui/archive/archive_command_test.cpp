#include "../MainWindowFixture.h"

#include "platform/fileattr.h"
#include "platform/library.h"

#include <QProcess>

using mvtest::MainWindowTest;

namespace {

// The names the archive holds, as bsdtar lists them (Japanese names converted from CP932).
QStringList archiveNames(const std::string& archive) {
    QProcess p;
    p.start(QStringLiteral("bsdtar"), {QStringLiteral("--options"), QStringLiteral("hdrcharset=CP932"),
                                       QStringLiteral("-tf"), QString::fromStdString(archive)});
    p.waitForFinished(30000);
    QStringList names = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    names.removeIf([](const QString& n) { return n.endsWith(u'/'); }); // folder entries
    names.sort();
    return names;
}

class ArchiveCommand : public MainWindowTest {
protected:
    void TearDown() override {
        mv::library::setSearchFolderForTesting("");
        MainWindowTest::TearDown();
    }
};

} // namespace

// Runs first: once the real library is loaded in this process it stays loaded.
TEST_F(ArchiveCommand, MissingLibraryIsReportedAndNothingWritten) {
    writeFavorite("a.url", "http://a/");
    mv::library::setSearchFolderForTesting(dir / "nolib");
    open();
    const std::string archive = dir / "out.lzh";
    dialogs.saveNames = {QString::fromStdString(archive)};
    dialogs.answers = {mv::mbOK};
    form->Action("TBArchive")->trigger();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Error);
    EXPECT_EQ(dialogs.asked[0].text, QStringLiteral("UNLHA32.DLLが無いか使用中のため、利用できません。"));
    EXPECT_FALSE(std::filesystem::exists(archive));
}

TEST_F(ArchiveCommand, CancelDoesNothing) {
    writeFavorite("a.url", "http://a/");
    mv::library::setSearchFolderForTesting(LHA_LIBRARY_FOLDER);
    open();
    dialogs.saveNames = {std::nullopt}; // cancelled
    form->Action("TBArchive")->trigger();
    ASSERT_EQ(dialogs.saveFilters.size(), 1u);
    EXPECT_EQ(dialogs.saveFilters[0], QStringList{QStringLiteral("LHA圧縮ファイル(*.lzh)|*.lzh")});
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(ArchiveCommand, PacksEveryVisibleFavoriteWithItsFolders) {
    writeFavorite("a.url", "http://a/");
    writeFavorite("日本語のサイト.url", "http://jp/", "コメント");
    std::filesystem::create_directories(favorites + "/ニュース/経済");
    writeFavorite("ニュース/経済/nikkei.url", "http://n/");
    std::filesystem::create_directories(favorites + "/.hiddenfolder");
    writeFavorite(".hiddenfolder/kept.url", "http://k/");
    writeFavorite("secret.url", "http://s/");
    mvtest::writeBytes(favorites + "/notes.txt", "not a favorite");
    const bool hidden = mv::fileattr::set(favorites + "/secret.url", mv::fileattr::Archive | mv::fileattr::Hidden);
    ::symlink(favorites.c_str(), (favorites + "/loop").c_str());

    mv::library::setSearchFolderForTesting(LHA_LIBRARY_FOLDER);
    open();
    // Another root chosen later does not change what is packed.
    std::filesystem::create_directories(dir / "Other");
    form->ShellTreeView1->setRoot(QString::fromStdString(dir / "Other"));
    const std::string archive = dir / "all favorites.lzh";
    dialogs.saveNames = {QString::fromStdString(archive)};
    form->Action("TBArchive")->trigger();
    EXPECT_TRUE(dialogs.asked.empty()) << dialogs.asked[0].text.toStdString();
    ASSERT_TRUE(std::filesystem::exists(archive));
    QStringList expected{QStringLiteral(".hiddenfolder/kept.url"), QStringLiteral("a.url"),
                         QStringLiteral("ニュース/経済/nikkei.url"), QStringLiteral("日本語のサイト.url")};
    if (!hidden) expected << QStringLiteral("secret.url");
    expected.sort();
    EXPECT_EQ(archiveNames(archive), expected);

    // A second run updates the same archive and keeps its entries.
    writeFavorite("b.url", "http://b/");
    dialogs.saveNames = {QString::fromStdString(archive)};
    form->Action("TBArchive")->trigger();
    EXPECT_TRUE(archiveNames(archive).contains(QStringLiteral("b.url")));
    EXPECT_EQ(archiveNames(archive).size(), expected.size() + 1);
}

TEST_F(ArchiveCommand, NoVisibleFavoriteWritesNothingAndSaysNothing) {
    std::filesystem::create_directories(favorites + "/empty");
    mv::library::setSearchFolderForTesting(LHA_LIBRARY_FOLDER);
    open();
    const std::string archive = dir / "none.lzh";
    dialogs.saveNames = {QString::fromStdString(archive)};
    form->Action("TBArchive")->trigger();
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_FALSE(std::filesystem::exists(archive));
}

TEST_F(ArchiveCommand, AFailedPackingIsReported) {
    writeFavorite("a.url", "http://a/");
    mv::library::setSearchFolderForTesting(LHA_LIBRARY_FOLDER);
    open();
    // The archive's folder does not exist: the library cannot write it.
    dialogs.saveNames = {QString::fromStdString(dir / "missing/out.lzh")};
    dialogs.answers = {mv::mbOK};
    form->Action("TBArchive")->trigger();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Error);
    EXPECT_TRUE(dialogs.asked[0].text.startsWith(QStringLiteral("圧縮ファイルを作成できませんでした"))) << dialogs.asked[0].text.toStdString();
}
