// The shell file operation on real files: questions asked, what lands where, and that no
// answer, failure or odd name ever costs the user a file.

#include "organize/OrganizeTestSupport.h"
#include "platform/codepage.h"
#include "platform/fileattr.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace mvtest;
using mv::mbCancel;
using mv::mbNo;
using mv::mbOK;
using mv::mbYes;
using mv::mbYesToAll;
namespace fs = std::filesystem;

namespace {

std::string longName() { // 255 bytes, Japanese
    std::string name = "ab";
    for (int i = 0; i < 83; ++i)
        name += "あ";
    return name + ".url";
}

// Names a shell or a careless parser would mangle.
std::vector<std::string> oddNames() {
    return {"a b.url", "\"quoted\" 'x'.url", "お気に入り.url", "-rf --help.url", longName()};
}

std::vector<std::string> makeFiles(const std::string& folder,
                                   const std::vector<std::string>& names) {
    fs::create_directories(folder);
    std::vector<std::string> paths;
    for (const auto& n : names) {
        paths.push_back(folder + "/" + n);
        writeBytes(paths.back(), "URL=" + n);
    }
    return paths;
}

bool hasTempLeftovers(const std::string& folder) {
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().rfind(".markvane-", 0) == 0) return true;
    return false;
}

TEST(ShellDelete, SeveralItemsAreOneQuestionAndAllLandRestorablyInTheTrash) {
    TrashHome home;
    ScriptedDialogs dialogs;
    dialogs.answers = {mbYes};
    auto paths = makeFiles(home / "fav", oddNames());

    auto r = shell(mv::FO_DELETE, paths, {}, mv::FOF_ALLOWUNDO);
    EXPECT_EQ(r.code, 0);
    EXPECT_FALSE(r.aborted);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Confirmation);
    EXPECT_EQ(dialogs.asked[0].text, QStringLiteral("これらの 5 個の項目をごみ箱に移動しますか?"));
    EXPECT_EQ(dialogs.asked[0].buttons, mbYes | mbNo);

    auto entries = trashEntries(home.trash());
    ASSERT_EQ(entries.size(), 5u);
    for (const auto& p : paths) {
        ASSERT_FALSE(exists(p)) << p;
        ASSERT_TRUE(entries.count(p)) << p;
        ASSERT_EQ(::rename(entries[p].c_str(), p.c_str()), 0);
        EXPECT_EQ(readBytes(p), "URL=" + p.substr(p.rfind('/') + 1));
    }
}

TEST(ShellDelete, OneFolderIsNamedInTheQuestionAndTrashedWithItsContent) {
    TrashHome home;
    ScriptedDialogs dialogs;
    dialogs.answers = {mbYes};
    makeFiles(home / "fav/sub dir/inner", {"x.url"});

    EXPECT_EQ(shell(mv::FO_DELETE, {home / "fav/sub dir"}, {}, mv::FOF_ALLOWUNDO).code, 0);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].text, QStringLiteral("'sub dir' をごみ箱に移動しますか?"));
    auto entries = trashEntries(home.trash());
    EXPECT_EQ(readBytes(entries[home / "fav/sub dir"] + "/inner/x.url"), "URL=x.url");
}

TEST(ShellDelete, NoOrCancelKeepsEverythingAndReportsTheAbort) {
    for (auto answer : {mbNo, mbCancel}) {
        TrashHome home;
        ScriptedDialogs dialogs;
        dialogs.answers = {answer};
        auto paths = makeFiles(home / "fav", {"a.url", "b.url"});

        auto r = shell(mv::FO_DELETE, paths, {}, mv::FOF_ALLOWUNDO);
        EXPECT_TRUE(r.aborted);
        EXPECT_EQ(r.code, mv::kShfCancelled);
        EXPECT_TRUE(exists(paths[0]) && exists(paths[1]));
        EXPECT_EQ(countEntries(home.trash() + "/files"), 0u);
    }
}

TEST(ShellDelete, UnwritableTrashLeavesTheFilesAndReportsFailure) {
    TrashHome home;
    shareWithEveryone(home.dir().path());
    fs::create_directories(home / "fav");
    shareWithEveryone(home / "fav");
    fs::permissions(home / "home", fs::perms(0555));
    const int rc = runUnprivileged([&] {
        ScriptedDialogs dialogs;
        dialogs.answers = {mbYes, mbYes, mbOK}; // confirm, go on after the first failure
        auto paths = makeFiles(home / "fav", {"a.url", "b.url"});
        auto r = shell(mv::FO_DELETE, paths, {}, mv::FOF_ALLOWUNDO);
        if (r.code != EACCES || r.aborted) return 1;
        if (readBytes(paths[0]) != "URL=a.url" || readBytes(paths[1]) != "URL=b.url") return 2;
        if (dialogs.asked.size() != 3 || !dialogs.answers.empty()) return 3;
        if (dialogs.asked[1].type != mv::MsgType::Error ||
            dialogs.asked[1].text !=
                QStringLiteral("'a.url' をごみ箱に移動できません: アクセスが拒否されました。"
                               "\r\n\r\n続行しますか?") ||
            dialogs.asked[2].buttons != mbOK)
            return 4;
        return 0;
    });
    EXPECT_EQ(rc, 0);
}

TEST(ShellDelete, WithoutUndoTheTreeIsRemovedButLinksAreNotFollowed) {
    TrashHome home;
    ScriptedDialogs dialogs;
    makeFiles(home / "outside", {"keep.url"});
    makeFiles(home / "fav/dir", {"x.url"});
    fs::create_directory_symlink(home / "outside", home / "fav/dir/link");

    EXPECT_EQ(shell(mv::FO_DELETE, {home / "fav/dir"}, {}, mv::FOF_NOCONFIRMATION).code, 0);
    EXPECT_FALSE(exists(home / "fav/dir"));
    EXPECT_EQ(readBytes(home / "outside/keep.url"), "URL=keep.url");
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST(ShellCopyMove, SeveralOddlyNamedFilesGoAsOneOperationKeepingAttributesAndTimes) {
    TrashHome home;
    ScriptedDialogs dialogs;
    auto paths = makeFiles(home / "src", oddNames());
    const bool xattrs = !mv::fileattr::set(paths[0], mv::fileattr::Hidden | mv::fileattr::Archive);
    const timespec old[2] = {{1000000000, 0}, {1100000000, 500}};
    ASSERT_EQ(::utimensat(AT_FDCWD, paths[0].c_str(), old, 0), 0);

    auto r = shell(mv::FO_COPY, paths, {home / "copy"}, mv::FOF_ALLOWUNDO | mv::FOF_NOCONFIRMMKDIR);
    EXPECT_EQ(r.code, 0);
    for (const auto& n : oddNames()) {
        EXPECT_EQ(readBytes(home / ("copy/" + n)), "URL=" + n) << n;
        EXPECT_EQ(readBytes(home / ("src/" + n)), "URL=" + n) << n;
    }
    if (xattrs) {
        EXPECT_EQ(mv::fileattr::get(home / ("copy/" + oddNames()[0])) & mv::fileattr::Hidden,
                  mv::fileattr::Hidden);
    }
    struct stat st {};
    ASSERT_EQ(::stat((home / ("copy/" + oddNames()[0])).c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1100000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 500);
    EXPECT_FALSE(hasTempLeftovers(home / "copy"));

    r = shell(mv::FO_MOVE, paths, {home / "moved"}, mv::FOF_ALLOWUNDO | mv::FOF_NOCONFIRMMKDIR);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(countEntries(home / "src"), 0u);
    for (const auto& n : oddNames()) {
        EXPECT_EQ(readBytes(home / ("moved/" + n)), "URL=" + n) << n;
    }
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST(ShellCopyMove, NothingIsReplacedWithoutYes) {
    TrashHome home;
    auto src = makeFiles(home / "src", {"a.url", "b.url", "c.url", "d.url"});
    auto seedTargets = [&] {
        fs::remove_all(home / "dst");
        for (const char* n : {"a.url", "b.url", "c.url"}) {
            fs::create_directories(home / "dst");
            writeBytes(home / ("dst/" + std::string(n)), "old");
        }
    };
    {
        // Yes, No, Cancel: the cancel also stops the items after it.
        seedTargets();
        ScriptedDialogs dialogs;
        dialogs.answers = {mbYes, mbNo, mbCancel};
        auto r = shell(mv::FO_COPY, src, {home / "dst"}, mv::FOF_ALLOWUNDO);
        EXPECT_TRUE(r.aborted);
        EXPECT_NE(r.code, 0);
        EXPECT_EQ(readBytes(home / "dst/a.url"), "URL=a.url");
        EXPECT_EQ(readBytes(home / "dst/b.url"), "old");
        EXPECT_EQ(readBytes(home / "dst/c.url"), "old");
        EXPECT_FALSE(exists(home / "dst/d.url"));
        ASSERT_EQ(dialogs.asked.size(), 3u);
        EXPECT_EQ(dialogs.asked[1].text,
                  QStringLiteral("このフォルダーには既に 'b.url' という名前のファイルがあります。"
                                 "\r\n既存のファイルを置き換えますか?"));
        EXPECT_EQ(dialogs.asked[1].buttons, mbYes | mbYesToAll | mbNo | mbCancel);
        EXPECT_FALSE(hasTempLeftovers(home / "dst"));
    }
    {
        // A move answered No leaves both files where they were.
        seedTargets();
        ScriptedDialogs dialogs;
        dialogs.answers = {mbNo};
        auto r = shell(mv::FO_MOVE, {src[0]}, {home / "dst"}, mv::FOF_ALLOWUNDO);
        EXPECT_TRUE(r.aborted);
        EXPECT_EQ(readBytes(src[0]), "URL=a.url");
        EXPECT_EQ(readBytes(home / "dst/a.url"), "old");
    }
    {
        // Yes to all: one question for every conflict.
        seedTargets();
        ScriptedDialogs dialogs;
        dialogs.answers = {mbYesToAll};
        auto r = shell(mv::FO_MOVE, src, {home / "dst"}, mv::FOF_ALLOWUNDO);
        EXPECT_EQ(r.code, 0);
        EXPECT_FALSE(r.aborted);
        EXPECT_EQ(dialogs.asked.size(), 1u);
        for (const char* n : {"a.url", "b.url", "c.url", "d.url"}) {
            EXPECT_EQ(readBytes(home / ("dst/" + std::string(n))), "URL=" + std::string(n));
        }
        EXPECT_EQ(countEntries(home / "src"), 0u);
    }
}

TEST(ShellCopyMove, ExistingFolderIsMergedAndItsFilesStillNeedYes) {
    TrashHome home;
    makeFiles(home / "src/F", {"x.url", "y.url"});
    makeFiles(home / "dst/F", {"z.url"});
    writeBytes(home / "dst/F/x.url", "old");
    {
        ScriptedDialogs dialogs;
        dialogs.answers = {mbYes, mbNo}; // merge, but keep x.url
        shell(mv::FO_COPY, {home / "src/F"}, {home / "dst"}, mv::FOF_ALLOWUNDO);
        ASSERT_EQ(dialogs.asked.size(), 2u);
        EXPECT_TRUE(dialogs.asked[0].text.contains(QStringLiteral("'F' という名前のフォルダー")));
        EXPECT_EQ(readBytes(home / "dst/F/x.url"), "old");
        EXPECT_EQ(readBytes(home / "dst/F/y.url"), "URL=y.url");
        EXPECT_EQ(readBytes(home / "dst/F/z.url"), "URL=z.url");
    }
    {
        fs::remove(home / "dst/F/y.url");
        ScriptedDialogs dialogs;
        dialogs.answers = {mbYes, mbNo}; // merge, but keep x.url
        shell(mv::FO_MOVE, {home / "src/F"}, {home / "dst"}, mv::FOF_ALLOWUNDO);
        EXPECT_EQ(readBytes(home / "dst/F/x.url"), "old");
        EXPECT_EQ(readBytes(home / "src/F/x.url"), "URL=x.url"); // declined, so it stays
        EXPECT_EQ(readBytes(home / "dst/F/y.url"), "URL=y.url");
        EXPECT_FALSE(exists(home / "src/F/y.url"));
    }
}

TEST(ShellCopyMove, FolderIntoItselfIsRefused) {
    TrashHome home;
    makeFiles(home / "F/sub", {"x.url"});
    const struct {
        unsigned func;
        std::string to;
        const char* reason;
    } cases[] = {
        {mv::FO_MOVE, home / "F/sub", "移動先のフォルダーは移動元のフォルダーの中にあります。"},
        {mv::FO_COPY, home / "F/sub", "コピー先のフォルダーはコピー元のフォルダーの中にあります。"},
        {mv::FO_COPY, home / "F", "コピー先のフォルダーはコピー元のフォルダーの中にあります。"},
    };
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        dialogs.answers = {mbOK};
        auto r = shell(c.func, {home / "F"}, {c.to}, mv::FOF_ALLOWUNDO);
        EXPECT_EQ(r.code, EINVAL);
        ASSERT_EQ(dialogs.asked.size(), 1u);
        EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Error);
        EXPECT_TRUE(dialogs.asked[0].text.endsWith(QString::fromUtf8(c.reason)))
            << dialogs.asked[0].text.toStdString();
        EXPECT_EQ(countEntries(home / "F"), 1u);
        EXPECT_EQ(countEntries(home / "F/sub"), 1u);
    }
}

// "F2" begins with "F" but is no part of it.
TEST(ShellCopyMove, FolderGoesIntoASiblingWhoseNameBeginsWithItsOwn) {
    for (const unsigned func : {mv::FO_COPY, mv::FO_MOVE}) {
        SCOPED_TRACE(func == mv::FO_COPY ? "copy" : "move");
        TrashHome home;
        makeFiles(home / "F/sub", {"x.url"});
        makeFiles(home / "F2", {});
        ScriptedDialogs dialogs;
        EXPECT_EQ(shell(func, {home / "F"}, {home / "F2"}, mv::FOF_ALLOWUNDO).code, 0);
        EXPECT_EQ(readBytes(home / "F2/F/sub/x.url"), "URL=x.url");
        EXPECT_EQ(exists(home / "F/sub/x.url"), func == mv::FO_COPY);
    }
}

// One file of a folder cannot be read: it is reported, the rest goes, and a move leaves the
// unreadable file (and so its folder) where it was.
TEST(ShellCopyMove, FolderWithAnUnreadableFileLosesNothing) {
    TrashHome home;
    OtherFileSystemDir other(home.dir().path());
    struct Case {
        const char* name;
        unsigned func;
        std::string to;
    } cases[] = {
        {"copy", mv::FO_COPY, home / "dst"},
        {"move to another file system", mv::FO_MOVE, other.path()},
    };
    shareWithEveryone(home.dir().path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.to.empty()) {
            std::printf("skipped \"%s\": no writable mount of another file system here\n", c.name);
            continue;
        }
        fs::create_directories(c.to);
        shareWithEveryone(c.to);
        const std::string src = home / (std::string("src-") + (c.func == mv::FO_COPY ? "c" : "m"));
        const int rc = runUnprivileged([&] {
            ScriptedDialogs dialogs;
            dialogs.answers = {mbYes}; // go on after the failure
            auto paths = makeFiles(src + "/F", {"a.url", "secret.url", "z.url"});
            ::chmod(paths[1].c_str(), 0);
            auto r = shell(c.func, {src + "/F"}, {c.to}, mv::FOF_ALLOWUNDO);
            if (r.code != EACCES || dialogs.asked.size() != 1) return 1;
            if (!dialogs.asked[0].text.contains(QStringLiteral("secret.url"))) return 2;
            if (readBytes(c.to + "/F/a.url") != "URL=a.url" ||
                readBytes(c.to + "/F/z.url") != "URL=z.url")
                return 3;
            if (exists(c.to + "/F/secret.url") || hasTempLeftovers(c.to + "/F")) return 4;
            const bool moved = c.func == mv::FO_MOVE;
            if (exists(paths[0]) == moved || exists(paths[2]) == moved) return 5;
            return exists(paths[1]) ? 0 : 6;
        });
        EXPECT_EQ(rc, 0);
        ::chmod((src + "/F/secret.url").c_str(), 0644);
        EXPECT_EQ(readBytes(src + "/F/secret.url"), "URL=secret.url");
    }
}

TEST(ShellCopyMove, OntoItselfTheSourceIsNeverHarmed) {
    TrashHome home;
    auto paths = makeFiles(home / "fav", {"a.url", longName()});
    {
        ScriptedDialogs dialogs;
        dialogs.answers = {mbOK};
        auto r = shell(mv::FO_MOVE, {paths[0]}, {home / "fav"}, mv::FOF_ALLOWUNDO);
        EXPECT_NE(r.code, 0);
        ASSERT_EQ(dialogs.asked.size(), 1u);
        EXPECT_EQ(dialogs.asked[0].text,
                  QStringLiteral("'a.url' を移動できません: 移動元と移動先が同じです。"));
        EXPECT_EQ(readBytes(paths[0]), "URL=a.url");
    }
    // A copy onto itself makes a copy with a name of its own, as the desktop does.
    ScriptedDialogs dialogs;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(shell(mv::FO_COPY, paths, {home / "fav"}, mv::FOF_ALLOWUNDO).code, 0);
    }
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(readBytes(paths[0]), "URL=a.url");
    EXPECT_EQ(readBytes(paths[1]), "URL=" + longName());
    EXPECT_EQ(readBytes(home / "fav/a - コピー.url"), "URL=a.url");
    EXPECT_EQ(readBytes(home / "fav/a - コピー (2).url"), "URL=a.url");
    EXPECT_EQ(countEntries(home / "fav"), 6u);
    for (const auto& e : fs::directory_iterator(home / "fav")) {
        const std::string n = e.path().filename().string();
        EXPECT_FALSE(mv::toQt(n).contains(QChar(0xFFFD))) << "name cut inside a character";
        EXPECT_TRUE(n.ends_with(".url")) << n;
    }
}

TEST(ShellCopyMove, LinkToAParentFolderIsCopiedAsALink) {
    TrashHome home;
    makeFiles(home / "src/T/sub", {"x.url"});
    fs::create_directory_symlink("..", home / "src/T/sub/up");
    fs::create_directory_symlink(home / "src", home / "src/T/abs");

    EXPECT_EQ(shell(mv::FO_COPY, {home / "src/T"}, {home / "dst"}, mv::FOF_NOCONFIRMMKDIR).code, 0);
    EXPECT_EQ(fs::read_symlink(home / "dst/T/sub/up"), "..");
    EXPECT_EQ(fs::read_symlink(home / "dst/T/abs"), home / "src");
    EXPECT_EQ(readBytes(home / "dst/T/sub/x.url"), "URL=x.url");
    EXPECT_EQ(countEntries(home / "dst/T"), 2u);
}

TEST(ShellCopyMove, MissingDestinationIsMadeOnlyAfterYes) {
    TrashHome home;
    auto paths = makeFiles(home / "src", {"a.url"});
    ScriptedDialogs dialogs;
    dialogs.answers = {mbNo, mbYes};
    auto r = shell(mv::FO_COPY, paths, {home / "new/deep"}, mv::FOF_ALLOWUNDO);
    EXPECT_TRUE(r.aborted);
    EXPECT_FALSE(exists(home / "new"));
    r = shell(mv::FO_COPY, paths, {home / "new/deep"}, mv::FOF_ALLOWUNDO);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(readBytes(home / "new/deep/a.url"), "URL=a.url");
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(dialogs.asked[1].text,
              QStringLiteral("フォルダー '%1' は存在しません。\r\n作成しますか?")
                  .arg(QString::fromStdString(home / "new/deep")));
}

TEST(ShellCopyMove, MultipleDestinationFilesNameEachTarget) {
    TrashHome home;
    auto paths = makeFiles(home / "src", {"a.url", "b.url"});
    EXPECT_EQ(shell(mv::FO_COPY, paths, {home / "dst/x.url", home / "dst/y.url"},
                    mv::FOF_MULTIDESTFILES | mv::FOF_NOCONFIRMMKDIR)
                  .code,
              0);
    EXPECT_EQ(readBytes(home / "dst/x.url"), "URL=a.url");
    EXPECT_EQ(readBytes(home / "dst/y.url"), "URL=b.url");
}

TEST(ShellCopyMove, UnreadableFileIsReportedAndLeavesNoPartialCopy) {
    TrashHome home;
    shareWithEveryone(home.dir().path());
    const int rc = runUnprivileged([&] {
        ScriptedDialogs dialogs;
        dialogs.answers = {mbYes}; // go on after the failure
        auto paths = makeFiles(home / "src", {"secret.url", "b.url"});
        makeFiles(home / "dst", {});
        ::chmod(paths[0].c_str(), 0);
        auto r = shell(mv::FO_COPY, paths, {home / "dst"}, mv::FOF_ALLOWUNDO);
        if (r.code != EACCES) return 1;
        if (exists(home / "dst/secret.url") || hasTempLeftovers(home / "dst")) return 2;
        return readBytes(home / "dst/b.url") == "URL=b.url" ? 0 : 3;
    });
    EXPECT_EQ(rc, 0);
}

TEST(ShellMoveAcross, FilesAreCopiedThenDeletedAndFailuresUndoTheCopy) {
    TrashHome home;
    OtherFileSystemDir other(home.dir().path());
    if (other.path().empty()) {
        GTEST_SKIP() << "no writable mount of another file system here";
    }
    makeFiles(home / "src/T/sub", {"x.url"});
    fs::create_directory_symlink("..", home / "src/T/sub/up");
    auto files = makeFiles(home / "src", oddNames());
    const timespec old[2] = {{1000000000, 0}, {1100000000, 0}};
    ::utimensat(AT_FDCWD, files[0].c_str(), old, 0);
    writeBytes(other.path() + "/" + oddNames()[1], "old");
    ScriptedDialogs dialogs;
    dialogs.answers = {mbYes}; // replace the one that exists

    files.push_back(home / "src/T");
    auto r = shell(mv::FO_MOVE, files, {other.path()}, mv::FOF_ALLOWUNDO);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(countEntries(home / "src"), 0u);
    for (const auto& n : oddNames()) {
        EXPECT_EQ(readBytes(other.path() + "/" + n), "URL=" + n) << n;
    }
    EXPECT_EQ(readBytes(other.path() + "/T/sub/x.url"), "URL=x.url");
    EXPECT_EQ(fs::read_symlink(other.path() + "/T/sub/up"), "..");
    struct stat st {};
    ::stat((other.path() + "/" + oddNames()[0]).c_str(), &st);
    EXPECT_EQ(st.st_mtim.tv_sec, 1100000000);

    // A source that cannot be removed: the copy is taken back, the source stays.
    shareWithEveryone(home.dir().path());
    fs::permissions(other.path(), fs::perms::all);
    makeFiles(home / "locked", {"keep.url"});
    const int rc = runUnprivileged([&] {
        ScriptedDialogs inner;
        inner.answers = {mbOK};
        auto locked =
            shell(mv::FO_MOVE, {home / "locked/keep.url"}, {other.path()}, mv::FOF_ALLOWUNDO);
        if (locked.code != EACCES) return 1;
        return exists(other.path() + "/keep.url") || hasTempLeftovers(other.path()) ? 2 : 0;
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readBytes(home / "locked/keep.url"), "URL=keep.url");
}

TEST(ShellRename, RenamesNeverReplace) {
    TrashHome home;
    auto paths = makeFiles(home / "fav", {"a.url", "b.url"});
    EXPECT_EQ(mv::MoveFileA(paths[0], paths[1]).value(), EEXIST);
    EXPECT_EQ(mv::MoveFileA(paths[0], home / "fav/-c d.url"), std::error_code());
    EXPECT_EQ(readBytes(home / "fav/-c d.url"), "URL=a.url");
    EXPECT_EQ(readBytes(paths[1]), "URL=b.url");

    ScriptedDialogs dialogs;
    dialogs.answers = {mbOK};
    auto r = shell(mv::FO_RENAME, {home / "fav/-c d.url"}, {"b.url"}, 0);
    EXPECT_EQ(r.code, EEXIST);
    EXPECT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(readBytes(paths[1]), "URL=b.url");
    EXPECT_EQ(shell(mv::FO_RENAME, {home / "fav/-c d.url"}, {"e.url"}, 0).code, 0);
    EXPECT_EQ(readBytes(home / "fav/e.url"), "URL=a.url");
}

} // namespace
