#include "OrganizeFixture.h"

#include "favorites/ShortcutFile.h"
#include "platform/shellfileop.h"
#include "platform/trash.h"

using mvtest::OrganizeTest;
using mvtest::readBytes;

namespace {

// Counts the shell operations the window starts, and lets each run for real.
struct ShellCounter {
    int calls = 0;
    std::vector<std::vector<std::string>> sources;
    void attach(mv::TShfOperation& op) {
        op.setShellForTesting([this](mv::SHFILEOPSTRUCTA* s) {
            ++calls;
            sources.push_back(mv::splitPathList(s->pFrom));
            return mv::SHFileOperationA(s);
        });
    }
};

} // namespace

TEST_F(OrganizeTest, CopyAndCutMarkedFavoritesPasteAsOneOperation) {
    std::filesystem::create_directories(favorites + "/dest");
    for (const char* n : {"one", "two", "three", "four"})
        writeFavorite(std::string(n) + ".url", std::string("http://") + n + "/");
    open();
    ShellCounter shell;
    shell.attach(form->FileOperation());

    mark("one");
    mark("three");
    trigger("TB_CheckCopy");
    EXPECT_EQ(listed().ItemClipboard().size(), 2u);
    select(favorites + "/dest");
    trigger("TB_Paste");
    EXPECT_EQ(shell.calls, 1);
    EXPECT_EQ(filesIn(favorites + "/dest"), (std::vector<std::string>{"one.url", "three.url"}));
    EXPECT_EQ(siteNames(), (std::vector<std::string>{"one", "three"}));
    EXPECT_TRUE(listed().ItemClipboard().empty()); // a paste happens once
    EXPECT_TRUE(std::filesystem::exists(favorites + "/one.url"));

    select(favorites);
    mark("two");
    mark("four");
    trigger("TB_CheckCut");
    select(favorites + "/dest");
    trigger("TB_Paste");
    EXPECT_EQ(shell.calls, 2);
    EXPECT_EQ(shell.sources.back().size(), 2u);
    EXPECT_EQ(filesIn(favorites + "/dest"),
              (std::vector<std::string>{"four.url", "one.url", "three.url", "two.url"}));
    EXPECT_FALSE(std::filesystem::exists(favorites + "/two.url"));

    // An item copy empties the folder clipboard.
    trigger("TB_Folder_Copy");
    EXPECT_EQ(listed().FolderClipboard(), favorites + "/dest");
    grid().setRow(1);
    trigger("TB_Copy");
    EXPECT_TRUE(listed().FolderClipboard().empty());
    EXPECT_EQ(listed().ItemClipboard().size(), 1u);
}

TEST_F(OrganizeTest, DeletingFiveMarkedFavoritesAsksOnceAndUsesTheTrash) {
    std::vector<std::string> names{
        "a b.url", "\"quoted\".url", "日本語.url", "-dash.url", std::string(251, 'x') + ".url",
        "kept.url"};
    for (const auto& n : names)
        writeFavorite(n, "http://" + std::to_string(n.size()) + "/");
    std::map<std::string, std::string> bytes;
    for (const auto& n : names)
        bytes[n] = readBytes(favorites + "/" + n);
    open();
    for (const auto& n : names)
        if (n != "kept.url") mark(mv::SiteNameOf(n));

    dialogs.answers = {mv::mbNo};
    trigger("TB_CheckDelete");
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(filesIn(favorites).size(), names.size());
    EXPECT_EQ(grid().RowCount(), int(names.size()) + 1);

    for (const auto& n : names)
        if (n != "kept.url") mark(mv::SiteNameOf(n));
    dialogs.answers = {mv::mbYes};
    trigger("TB_CheckDelete");
    EXPECT_EQ(dialogs.asked.size(), 2u); // one question for all five
    EXPECT_EQ(filesIn(favorites), std::vector<std::string>{"kept.url"});
    EXPECT_EQ(siteNames(), std::vector<std::string>{"kept"});
    EXPECT_TRUE(grid().isVisible());
    EXPECT_TRUE(tree().isEnabled());

    // Every file waits in the trash with an entry that says where it came from.
    ASSERT_EQ(filesIn(trash() + "/files").size(), 5u);
    for (const auto& info : filesIn(trash() + "/info")) {
        const std::string text = readBytes(trash() + "/info/" + info);
        EXPECT_EQ(text.rfind("[Trash Info]\n", 0), 0u);
        const auto pathLine = text.find("Path=");
        ASSERT_NE(pathLine, std::string::npos);
        const auto original = mv::trash::decodePath(
            text.substr(pathLine + 5, text.find('\n', pathLine) - pathLine - 5));
        ASSERT_TRUE(original.has_value());
        const std::string name = original->substr(original->rfind('/') + 1);
        ASSERT_TRUE(bytes.count(name)) << name;
        EXPECT_EQ(*original, favorites + "/" + name);
        // Restoring is moving the trashed file back to its Path: the bytes come back.
        const std::string stem = info.substr(0, info.size() - std::string(".trashinfo").size());
        EXPECT_EQ(readBytes(trash() + "/files/" + stem), bytes[name]);
    }
}

TEST_F(OrganizeTest, DeleteTheSelectedFavorite) {
    writeFavorite("x.url", "http://x/");
    writeFavorite("y.url", "http://y/");
    open();
    grid().setRow(rowOf("y"));
    dialogs.answers = {mv::mbYes};
    trigger("TB_Delete");
    EXPECT_EQ(siteNames(), std::vector<std::string>{"x"});
    EXPECT_EQ(filesIn(trash() + "/files"), std::vector<std::string>{"y.url"});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(OrganizeTest, HideTogglingKeepsTheOtherBits) {
    writeFavorite("plain.url", "1");
    writeFavorite("ro.url", "2");
    writeFavorite("third.url", "3");
    namespace fa = mv::fileattr;
    if (fa::set(favorites + "/ro.url", fa::ReadOnly | fa::Hidden | fa::Archive)) {
        GTEST_SKIP() << "no user xattrs";
    }
    open();
    grid().setRow(rowOf("plain"));
    trigger("TB_HideChange");
    EXPECT_EQ(fa::get(favorites + "/plain.url"), fa::Archive | fa::Hidden);
    trigger("TB_HideChange");
    EXPECT_EQ(fa::get(favorites + "/plain.url"), fa::Archive);

    mark("ro");
    trigger("TB_CheckHideChange");
    EXPECT_EQ(fa::get(favorites + "/ro.url"), fa::ReadOnly | fa::Archive);
    mark("ro");
    trigger("TB_CheckHideChange");
    EXPECT_EQ(fa::get(favorites + "/ro.url"), fa::ReadOnly | fa::Hidden | fa::Archive);

    // The whole folder: the hidden one shows, the two others hide.
    trigger("TB_Folder_Hide");
    EXPECT_FALSE(fa::get(favorites + "/ro.url") & fa::Hidden);
    EXPECT_TRUE(fa::get(favorites + "/plain.url") & fa::Hidden);
    EXPECT_TRUE(fa::get(favorites + "/third.url") & fa::Hidden);
    EXPECT_EQ(listed().Count(), 3u);
    for (const auto& f : listed().Items()) {
        EXPECT_EQ(f.Entry.Hidden, f.Entry.SiteName == "ro" ? 0 : 1);
    }
}

TEST_F(OrganizeTest, OddNamesSurviveCopyMoveAndRename) {
    const std::vector<std::string> names{"a b.url", "\"quoted\".url", "日本語 のサイト.url",
                                         "-rf.url", std::string(251, 'y') + ".url"};
    std::filesystem::create_directories(favorites + "/dest");
    for (const auto& n : names)
        writeFavorite(n, "http://" + std::to_string(n.size()) + "/", "コメント");
    std::map<std::string, std::string> bytes;
    for (const auto& n : names)
        bytes[n] = readBytes(favorites + "/" + n);
    open();
    for (const auto& n : names)
        mark(mv::SiteNameOf(n));
    trigger("TB_CheckCut");
    select(favorites + "/dest");
    trigger("TB_Paste");
    for (const auto& n : names) {
        EXPECT_EQ(readBytes(favorites + "/dest/" + n), bytes[n]) << n;
    }
    EXPECT_EQ(grid().RowCount(), int(names.size()) + 1);
    EXPECT_TRUE(dialogs.asked.empty());

    // Rename one of them in the grid, and back.
    const int r = rowOf("-rf");
    type(1, r, "--help \"x\"");
    leaveGrid();
    EXPECT_EQ(readBytes(favorites + "/dest/--help \"x\".url"), bytes["-rf.url"]);
}

TEST_F(OrganizeTest, PastingAFavoriteThatVanishedLosesNothingElse) {
    writeFavorite("stays.url", "http://s/");
    writeFavorite("vanishes.url", "http://v/");
    std::filesystem::create_directories(favorites + "/dest");
    open();
    mark("stays");
    mark("vanishes");
    trigger("TB_CheckCut");
    std::filesystem::remove(favorites + "/vanishes.url");
    select(favorites + "/dest");
    dialogs.answers = {mv::mbYes}; // go on after the missing item is reported
    trigger("TB_Paste");
    EXPECT_FALSE(dialogs.asked.empty()); // the shell reports the missing file
    EXPECT_TRUE(std::filesystem::exists(favorites + "/dest/stays.url"));
    EXPECT_TRUE(listed().ItemClipboard().empty());
    EXPECT_EQ(siteNames(), std::vector<std::string>{"stays"});
}
