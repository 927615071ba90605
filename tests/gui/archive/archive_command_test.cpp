#include "../MainWindowFixture.h"

#include "platform/codepage.h"
#include "platform/fileattr.h"
#include "platform/library.h"

#include <QProcess>

#include <optional>
#include <sys/stat.h>

using mvtest::MainWindowTest;

namespace {

// The names the archive holds, as bsdtar lists them (Japanese names converted from CP932).
QStringList archiveNames(const std::string& archive) {
    QProcess p;
    p.start(QStringLiteral("bsdtar"),
            {QStringLiteral("--options"), QStringLiteral("hdrcharset=CP932"), QStringLiteral("-tf"),
             QString::fromStdString(archive)});
    p.waitForFinished(30000);
    QStringList names =
        QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
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
    EXPECT_EQ(dialogs.asked[0].text,
              QStringLiteral("UNLHA32.DLLが無いか使用中のため、利用できません。"));
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
    const bool hidden =
        !mv::fileattr::set(favorites + "/secret.url", mv::fileattr::Archive | mv::fileattr::Hidden);
    ::symlink(favorites.c_str(), (favorites + "/loop").c_str());

    mv::library::setSearchFolderForTesting(LHA_LIBRARY_FOLDER);
    open();
    // Another root chosen later does not change what is packed.
    std::filesystem::create_directories(dir / "Other");
    tree().setRoot(QString::fromStdString(dir / "Other"));
    const std::string archive = dir / "all favorites.lzh";
    dialogs.saveNames = {QString::fromStdString(archive)};
    dialogs.answers = {mv::mbOK};
    form->Action("TBArchive")->trigger();
    ASSERT_TRUE(std::filesystem::exists(archive));
    QStringList expected{QStringLiteral(".hiddenfolder/kept.url"), QStringLiteral("a.url"),
                         QStringLiteral("ニュース/経済/nikkei.url"),
                         QStringLiteral("日本語のサイト.url")};
    if (!hidden) expected << QStringLiteral("secret.url");
    expected.sort();
    EXPECT_EQ(archiveNames(archive), expected);
    // How many went where, and the link to a folder that was not followed.
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Warning);
    EXPECT_EQ(dialogs.asked[0].text,
              QStringLiteral(
                  "%1 件のお気に入りを圧縮しました。\r\n%2\r\n\r\n次の 1 件は入れられませんでした:"
                  "\r\nloop: フォルダへのリンクはたどりません")
                  .arg(expected.size())
                  .arg(QString::fromStdString(archive)));
}
TEST_F(ArchiveCommand, AnExistingArchiveIsUpdatedOrReplacedAsTheUserChooses) {
    writeFavorite("a.url", "http://a/");
    writeFavorite("b.url", "http://b/");
    mv::library::setSearchFolderForTesting(LHA_LIBRARY_FOLDER);
    open();
    const std::string archive = dir / "fav.lzh";
    const QString name = QString::fromStdString(archive);
    auto run = [&](std::optional<mv::MsgButton> choice) {
        dialogs.asked.clear();
        dialogs.saveNames = {name};
        if (choice) dialogs.answers.push_back(*choice);
        if (choice != mv::mbCancel) dialogs.answers.push_back(mv::mbOK);
        form->Action("TBArchive")->trigger();
    };
    run(std::nullopt); // a new archive: nothing to ask
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Information);
    EXPECT_EQ(dialogs.asked[0].text, QStringLiteral("2 件のお気に入りを圧縮しました。\r\n") + name);
    EXPECT_EQ(archiveNames(archive),
              (QStringList{QStringLiteral("a.url"), QStringLiteral("b.url")}));

    std::filesystem::remove(favorites + "/b.url");
    writeFavorite("c.url", "http://c/");
    const std::string before = mvtest::readBytes(archive);
    run(mv::mbCancel); // cancelled at the question: the archive is as it was
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Confirmation);
    EXPECT_TRUE(dialogs.asked[0].text.startsWith(QStringLiteral("「") + name +
                                                 QStringLiteral("」は既にあります。")))
        << dialogs.asked[0].text.toStdString();
    EXPECT_EQ(dialogs.asked[0].buttons, unsigned{mv::mbYes | mv::mbNo | mv::mbCancel});
    EXPECT_EQ(mvtest::readBytes(archive), before);

    run(mv::mbYes); // update: the deleted favorite stays in the archive
    EXPECT_EQ(archiveNames(archive), (QStringList{QStringLiteral("a.url"), QStringLiteral("b.url"),
                                                  QStringLiteral("c.url")}));
    run(mv::mbNo); // replace: what the folder holds now, and no scratch folder left behind
    EXPECT_EQ(archiveNames(archive),
              (QStringList{QStringLiteral("a.url"), QStringLiteral("c.url")}));
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(dialogs.asked[1].text, QStringLiteral("2 件のお気に入りを圧縮しました。\r\n") + name);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".markvane-")) << entry.path();
    }
}

TEST_F(ArchiveCommand, ReplacingWithNothingToPackKeepsTheOldArchive) {
    writeFavorite("a.url", "http://a/");
    mv::library::setSearchFolderForTesting(LHA_LIBRARY_FOLDER);
    open();
    const std::string archive = dir / "fav.lzh";
    dialogs.saveNames = {QString::fromStdString(archive)};
    dialogs.answers = {mv::mbOK};
    form->Action("TBArchive")->trigger();
    const std::string before = mvtest::readBytes(archive);
    ASSERT_FALSE(before.empty());
    std::filesystem::remove(favorites + "/a.url");
    ASSERT_EQ(::mkfifo((favorites + "/pipe.url").c_str(), 0644), 0);
    dialogs.asked.clear();
    dialogs.saveNames = {QString::fromStdString(archive)};
    dialogs.answers = {mv::mbNo, mv::mbOK};
    form->Action("TBArchive")->trigger();
    EXPECT_EQ(mvtest::readBytes(archive), before);
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(
        dialogs.asked[1].text,
        QStringLiteral("圧縮できるお気に入りがありませんでした。次のものは入れられませんでした:\r\n"
                       "pipe.url: 通常のファイルではありません"));
}

// A favorites folder as people have them, in both code pages the program runs in.
class ArchiveRealFolder : public ArchiveCommand, public ::testing::WithParamInterface<const char*> {
protected:
    void TearDown() override {
        mv::CodePage::setActiveForTesting(nullptr);
        ::unsetenv("MARKVANE_ACP");
        ArchiveCommand::TearDown();
    }
};

TEST_P(ArchiveRealFolder, PacksWhatCanBeReadAndNamesTheRest) {
    const std::string acp = GetParam();
    ::setenv("MARKVANE_ACP", acp.c_str(), 1);
    mv::CodePage::setActiveForTesting(acp == "932" ? &mv::CodePage::cp932()
                                                   : &mv::CodePage::utf8());
    std::filesystem::create_directories(favorites + "/ニュース");
    std::filesystem::create_directories(favorites + "/d\" \"");
    const QStringList good{QStringLiteral("Say \"hi\" now.url"), QStringLiteral("d\" \"/x.url"),
                           QStringLiteral("ニュース/天気.url"), QStringLiteral("波〜ダッシュ.url")};
    for (const QString& name : good)
        writeFavorite(name.toStdString(), "http://example.com/");
    std::filesystem::create_symlink(favorites + "/nowhere.url", favorites + "/dead.url");
    writeFavorite("Foo.url", "http://foo/");
    writeFavorite("foo.url", "http://foo2/");

    mv::library::setSearchFolderForTesting(LHA_LIBRARY_FOLDER);
    open();
    // Made after the window has listed the folder: the listing would wait on it for ever.
    ASSERT_EQ(::mkfifo((favorites + "/fifo.url").c_str(), 0644), 0);
    const std::string archive = dir / "backup.lzh";
    dialogs.saveNames = {QString::fromStdString(archive)};
    dialogs.answers = {mv::mbOK};
    form->Action("TBArchive")->trigger();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    const QString text = dialogs.asked[0].text;
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Warning) << text.toStdString();
    EXPECT_TRUE(text.startsWith(QStringLiteral("5 件のお気に入りを圧縮しました。\r\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\r\ndead.url: リンク先がありません")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nfifo.url: 通常のファイルではありません")))
        << text.toStdString();
    const bool fooKept = archiveNames(archive).contains(QStringLiteral("Foo.url"));
    const QString twin = fooKept ? QStringLiteral("foo.url") : QStringLiteral("Foo.url");
    const QString kept = fooKept ? QStringLiteral("Foo.url") : QStringLiteral("foo.url");
    EXPECT_TRUE(text.contains(
        QStringLiteral("\r\n%1: 大文字と小文字だけが違う「%2」を入れました").arg(twin, kept)))
        << text.toStdString();

    QStringList expected = good;
    expected << kept;
    expected.sort();
    EXPECT_EQ(archiveNames(archive), expected);
    // Listed by 7-Zip too, and read back byte for byte.
    QProcess p;
    p.start(QStringLiteral("7zz"), {QStringLiteral("l"), QString::fromStdString(archive)});
    if (p.waitForFinished(30000)) {
        const QString listing = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_TRUE(listing.contains(QStringLiteral("5 files"))) << listing.toStdString();
    }
    p.start(QStringLiteral("bsdtar"), {QStringLiteral("-xOf"), QString::fromStdString(archive),
                                       QStringLiteral("Say \"hi\" now.url")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.readAllStandardOutput().toStdString(),
              mvtest::readBytes(favorites + "/Say \"hi\" now.url"));
}

INSTANTIATE_TEST_SUITE_P(CodePages, ArchiveRealFolder, ::testing::Values("65001", "932"));

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
    EXPECT_TRUE(
        dialogs.asked[0].text.startsWith(QStringLiteral("圧縮ファイルを作成できませんでした")))
        << dialogs.asked[0].text.toStdString();
}
