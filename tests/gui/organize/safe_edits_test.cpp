// Edits in the grid that the file system refuses: the row keeps naming its own file, the
// user is told, and no favorite's values ever reach another favorite's file.

#include "OrganizeFixture.h"

#include "favorites/ShortcutFile.h"
#include "ui/StatusProgressBar.h"

#include <QScopeGuard>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

using mvtest::OrganizeTest;
using mvtest::readBytes;

namespace {

// Every file of a folder with its bytes.
std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.is_regular_file()) files[e.path().filename().string()] = readBytes(e.path().string());
    return files;
}

bool mentions(const mvtest::ScriptedDialogs::Question& q, const char* text) {
    return q.text.contains(QString::fromUtf8(text));
}

} // namespace

class SafeEditTest : public OrganizeTest {
protected:
    // Makes `r` the remembered row, as a click on one of its cells does.
    void enter(int r) {
        grid().setRow(r);
        grid().setCol(grid().Col() == 2 ? 4 : 2);
    }
    void sortBy(const char* action) { form->Action(action)->trigger(); }
};

TEST_F(SafeEditTest, RefusedRenameRestoresTheRowAndItsNextEditGoesToItsOwnFile) {
    for (const char* target : {"B", "b"}) { // the other favorite's name, also in another case
        writeFavorite("a.url", "http://a/");
        writeFavorite("B.url", "http://b/");
        open();
        const std::string bBytes = readBytes(favorites + "/B.url");
        const int r = rowOf("a");
        enter(r);
        type(1, r, target);
        dialogs.answers = {mv::mbOK};
        leaveGrid();
        ASSERT_EQ(dialogs.asked.size(), 1u) << target;
        EXPECT_TRUE(mentions(dialogs.asked[0], "同じ名前のお気に入りが既にあります"));
        EXPECT_TRUE(mentions(dialogs.asked[0], "B.url") || mentions(dialogs.asked[0], "b.url"));
        EXPECT_EQ(cell(1, r), "a");

        enter(r);
        type(2, r, "http://new/");
        leaveGrid();
        EXPECT_EQ(mv::ReadShortcutUrl(favorites + "/a.url"), "http://new/");
        EXPECT_EQ(readBytes(favorites + "/B.url"), bBytes);
        EXPECT_EQ(filesIn(favorites), (std::vector<std::string>{"B.url", "a.url"}));
        dialogs.asked.clear();
        std::filesystem::remove(favorites + "/a.url");
        std::filesystem::remove(favorites + "/B.url");
    }
}

TEST_F(SafeEditTest, BlankAndEmptyNamesAreRefusedAndCommandsStillActOnTheRowsFile) {
    writeFavorite("keep.url", "http://k/");
    writeFavorite("other.url", "http://o/");
    open();
    const int r = rowOf("keep");
    int edits = 0;
    for (const char* name : {"", " ", "  \u3000"}) {
        enter(r);
        type(1, r, name);
        // Not yet committed: the commands take the favorite's file, not the name typed.
        trigger("TB_Copy");
        EXPECT_EQ(listed().ItemClipboard(), std::vector<std::string>{favorites + "/keep.url"});
        setMark(r);
        trigger("TB_CheckCopy");
        EXPECT_EQ(listed().ItemClipboard(), std::vector<std::string>{favorites + "/keep.url"});
        setMark(r, false);

        dialogs.answers = {mv::mbOK};
        leaveGrid();
        ASSERT_EQ(dialogs.asked.size(), 1u) << '"' << name << '"';
        EXPECT_TRUE(mentions(dialogs.asked[0], "サイト名が空"));
        EXPECT_EQ(cell(1, r), "keep");
        dialogs.asked.clear();

        // The next edit of the row reaches keep.url; no ".url" or " .url" appears.
        enter(r);
        const std::string url = "http://k/" + std::to_string(++edits);
        type(2, r, url);
        leaveGrid();
        EXPECT_EQ(mv::ReadShortcutUrl(favorites + "/keep.url"), url);
        EXPECT_EQ(filesIn(favorites), (std::vector<std::string>{"keep.url", "other.url"}));
    }
}

TEST_F(SafeEditTest, SortingAfterAFailedCommitWritesNoFavoriteIntoAnother) {
    // a.url is a Shift-JIS file: a comment it cannot hold is refused.
    mvtest::writeBytes(
        favorites + "/a.url",
        "[InternetShortcut]\r\nURL=http://3/\r\n[Comment]\r\nComment=\x83\x65\x83\x58\x83\x67\r\n");
    writeFavorite("b.url", "http://1/", "bee");
    writeFavorite("c.url", "http://2/", "sea");
    open();
    sortBy("TB_SortBySite");
    ASSERT_EQ(cell(1, 1), "a");
    const auto before = snapshot(favorites);

    enter(1);
    type(4, 1, "\xF0\x9F\x98\x80"); // an emoji: no Shift-JIS form
    dialogs.answers = {mv::mbOK, mv::mbOK};
    sortBy("TB_SortByURL"); // b, c, a: "a" moves from row 1 to row 3
    ASSERT_EQ(cell(1, 3), "a");
    grid().setRow(2); // the failed row is tried again: its own file, refused again
    ASSERT_EQ(dialogs.asked.size(), 2u);
    for (const auto& q : dialogs.asked) {
        EXPECT_TRUE(mentions(q, "に書き込めません"));
        EXPECT_TRUE(mentions(q, "a.url"));
    }
    EXPECT_EQ(snapshot(favorites), before);
    EXPECT_EQ(cell(4, 3), "\xF0\x9F\x98\x80"); // kept for the user to correct

    // Corrected, it is written into a.url and nowhere else.
    type(4, 3, "fixed");
    enter(3);
    leaveGrid();
    EXPECT_EQ(mv::ReadShortcutComment(favorites + "/a.url"), "fixed");
    EXPECT_EQ(readBytes(favorites + "/b.url"), before.at("b.url"));
    EXPECT_EQ(readBytes(favorites + "/c.url"), before.at("c.url"));
}

TEST_F(SafeEditTest, TextTypedAfterASortReachesTheFavoriteShownInTheCurrentRow) {
    writeFavorite("a.url", "http://3/");
    writeFavorite("b.url", "http://1/");
    writeFavorite("c.url", "http://2/");
    open();
    sortBy("TB_SortBySite");
    enter(2); // b
    type(2, 2, "http://0/");
    sortBy("TB_SortByURL"); // b is written first; then b, c, a: row 2 shows c
    EXPECT_EQ(mv::ReadShortcutUrl(favorites + "/b.url"), "http://0/");
    ASSERT_EQ(cell(1, 2), "c");
    // Typed into the cell that stayed current: no cell was selected since the sort.
    ASSERT_EQ(grid().Col(), 2);
    ASSERT_TRUE(grid().InplaceEditor()->isVisible());
    EXPECT_EQ(grid().InplaceEditor()->text(), QStringLiteral("http://2/"));
    grid().InplaceEditor()->setText(QStringLiteral("http://typed/"));
    grid().setRow(1);
    EXPECT_EQ(mv::ReadShortcutUrl(favorites + "/c.url"), "http://typed/");
    EXPECT_EQ(mv::ReadShortcutUrl(favorites + "/b.url"), "http://0/");
    EXPECT_EQ(mv::ReadShortcutUrl(favorites + "/a.url"), "http://3/");
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(SafeEditTest, ALongCommentSurvivesAnEditOfTheUrl) {
    const std::string comment(3000, 'c');
    writeFavorite("long.url", "http://l/", comment);
    open();
    EXPECT_EQ(cell(4, 1), comment);
    enter(1);
    type(2, 1, "http://new/");
    leaveGrid();
    EXPECT_EQ(readBytes(favorites + "/long.url"),
              "[InternetShortcut]\r\nURL=http://new/\r\n[Comment]\r\nComment=" + comment + "\r\n");
}

TEST_F(SafeEditTest, AReadOnlyFavoritesEditIsReportedAndNothingIsWritten) {
    // Both forms of read-only refuse root as well: no write permission, and Windows' flag.
    writeFavorite("mode.url", "http://r/", "note");
    ::chmod((favorites + "/mode.url").c_str(), 0444);
    writeFavorite("flag.url", "http://r/", "note");
    if (::setxattr((favorites + "/flag.url").c_str(), "user.DOSATTRIB", "0x21", 4, 0) != 0)
        std::filesystem::remove(favorites + "/flag.url"); // no user attributes here
    open();
    for (const std::string name : {"mode", "flag"}) {
        const int r = rowOf(name);
        if (r < 0) continue;
        const std::string path = favorites + "/" + name + ".url", bytes = readBytes(path);
        for (int c : {2, 4}) {
            enter(r);
            type(c, r, "changed");
            dialogs.answers = {mv::mbOK};
            leaveGrid();
            ASSERT_EQ(dialogs.asked.size(), 1u) << name << c;
            EXPECT_TRUE(mentions(dialogs.asked[0], (name + ".url に書き込めません").c_str()));
            EXPECT_EQ(cell(c, r), "changed");
            EXPECT_EQ(readBytes(path), bytes);
            type(c, r, c == 2 ? "http://r/" : "note");
            leaveGrid();
            dialogs.asked.clear();
        }
    }
}

TEST_F(SafeEditTest, AFavoriteThatCouldNotBeReadIsNeverWrittenOver) {
    // A FIFO named like a favorite is listed, but nothing can be read from it.
    ASSERT_EQ(::mkfifo((favorites + "/x.url").c_str(), 0644), 0);
    open();
    ASSERT_EQ(grid().RowCount(), 2);
    ASSERT_FALSE(listed().At(0).Entry.Readable);
    for (const auto& [c, text] : {std::pair{2, "http://over/"}, std::pair{1, "renamed"}}) {
        enter(1);
        type(c, 1, text);
        dialogs.answers = {mv::mbOK};
        leaveGrid();
        ASSERT_EQ(dialogs.asked.size(), 1u) << c;
        EXPECT_TRUE(mentions(dialogs.asked[0], "x.url"));
        EXPECT_EQ(cell(1, 1), "x");
        EXPECT_EQ(cell(2, 1), "");
        dialogs.asked.clear();
    }
    EXPECT_EQ(filesIn(favorites), std::vector<std::string>{"x.url"});
    EXPECT_TRUE(std::filesystem::is_fifo(favorites + "/x.url"));
}

TEST_F(SafeEditTest, AFolderThatCannotBeReadIsSaidToBeSoOnTheStatusLine) {
    std::filesystem::create_directories(favorites + "/sub");
    writeFavorite("sub/s.url", "http://s/");
    open();
    select(favorites + "/sub");
    auto* status = component<mv::TStatusBar>("StatusBar1");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->Panels(1).Text, "");
    std::filesystem::remove_all(favorites + "/sub"); // gone before the tree hears of it
    relist();
    EXPECT_EQ(grid().RowCount(), 1);
    EXPECT_EQ(status->Panels(1).Text, "フォルダを読み込めません: " + favorites + "/sub");
}

TEST(FolderListing, AFolderWithoutReadPermissionCannotBeListed) {
    mvtest::TempDir dir;
    mvtest::shareWithEveryone(dir.path());
    const std::string closed = dir / "closed", readable = dir / "readable";
    std::filesystem::create_directories(closed);
    std::filesystem::create_directories(readable);
    mvtest::shareWithEveryone(readable);
    ::chmod(closed.c_str(), 0311); // may be entered, not read
    EXPECT_EQ(mvtest::runUnprivileged([&] {
                  if (::geteuid() == 0) return 2;
                  return (mv::FolderListError(closed) == std::errc::permission_denied &&
                          !mv::FolderListError(readable))
                             ? 0
                             : 1;
              }),
              0);
}

TEST_F(SafeEditTest, AHiddenToggleThatFailsIsReported) {
    writeFavorite("stuck.url", "http://s/");
    writeFavorite("free.url", "http://f/");
    const std::string stuck = favorites + "/stuck.url";
    // An immutable file refuses its attributes even to root.
    const int fd = ::open(stuck.c_str(), O_RDONLY);
    int flags = 0;
    if (fd < 0 || ::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
        GTEST_SKIP() << "no file flags here";
    }
    flags |= FS_IMMUTABLE_FL;
    if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0) {
        ::close(fd);
        GTEST_SKIP() << "cannot make a file immutable (needs CAP_LINUX_IMMUTABLE)";
    }
    const auto release = qScopeGuard([&] {
        flags &= ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        ::close(fd);
    });
    open();
    for (const char* command : {"TB_HideChange", "TB_CheckHideChange", "TB_Folder_Hide"}) {
        grid().setRow(rowOf("stuck"));
        setMark(rowOf("stuck"));
        dialogs.answers = {mv::mbOK};
        trigger(command);
        ASSERT_EQ(dialogs.asked.size(), 1u) << command;
        EXPECT_TRUE(mentions(dialogs.asked[0], "stuck.url")) << command;
        EXPECT_FALSE(mentions(dialogs.asked[0], "free.url")) << command;
        dialogs.asked.clear();
    }
}

TEST_F(SafeEditTest, TheDeleteQuestionIsAskedWhileTheGridIsShown) {
    std::filesystem::create_directories(favorites + "/folder");
    writeFavorite("one.url", "http://1/");
    writeFavorite("two.url", "http://2/");
    open();
    std::vector<bool> shown;
    dialogs.onAsk = [&](const auto&) { shown.push_back(grid().isVisible() && tree().isEnabled()); };
    grid().setRow(rowOf("one"));
    dialogs.answers = {mv::mbYes};
    trigger("TB_Delete");
    mark("two");
    dialogs.answers = {mv::mbNo};
    trigger("TB_CheckDelete");
    select(favorites + "/folder");
    dialogs.answers = {mv::mbYes};
    trigger("TB_Folder_Delete");
    EXPECT_EQ(shown, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(filesIn(favorites), std::vector<std::string>{"two.url"});
    EXPECT_TRUE(grid().isVisible());
}
