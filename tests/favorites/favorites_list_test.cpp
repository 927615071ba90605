#include "favorites/FavoritesList.h"
#include "favorites/HiddenAttribute.h"
#include "favorites/ShortcutFile.h"
#include "platform/codepage.h"
#include "platform/fileattr.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

using mv::CommitError;
using mv::FavoriteField;
using mvtest::readBytes;
using mvtest::writeBytes;

namespace {

class FavoritesListTest : public ::testing::Test {
protected:
    void SetUp() override { mv::CodePage::setActiveForTesting(&mv::CodePage::utf8()); }
    void TearDown() override { mv::CodePage::setActiveForTesting(nullptr); }

    void writeFavorite(const std::string& name, const std::string& url,
                       const std::string& comment = {}) {
        std::string text = "[InternetShortcut]\r\nURL=" + url + "\r\n";
        if (!comment.empty()) text += "[Comment]\r\nComment=" + comment + "\r\n";
        writeBytes(dir / (name + ".url"), text);
    }
    // Lists the favorites as the window does, in the order given.
    void list(std::initializer_list<const char*> names) {
        favorites.Clear();
        for (const char* name : names) {
            const std::string file = std::string(name) + ".url";
            favorites.Add(mv::ReadFavorite(dir.path() + "/", file, mv::fileattr::get(dir / file)));
        }
    }
    size_t indexOf(const std::string& siteName) const {
        for (size_t i = 0; i < favorites.Count(); ++i)
            if (favorites.At(i).SiteName == siteName) return i;
        ADD_FAILURE() << "no favorite " << siteName;
        return 0;
    }
    std::vector<std::string> shownNames() const {
        std::vector<std::string> names;
        for (const auto& item : favorites.Items())
            names.push_back(item.SiteName);
        return names;
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    mvtest::TempDir dir;
    mv::FavoritesList favorites;
};

} // namespace

TEST_F(FavoritesListTest, CommitWritesWhatChangedThenRenames) {
    writeFavorite("a", "http://a/", "old");
    writeFavorite("b", "http://b/");
    list({"a", "b"});
    const std::string bBytes = readBytes(dir / "b.url");

    // Nothing to commit without an edit, and an edit typed back to its value writes nothing.
    EXPECT_EQ(favorites.Commit().Error, CommitError::None);
    ASSERT_TRUE(favorites.BeginEdit(0));
    const std::string aBytes = readBytes(dir / "a.url");
    favorites.Stage(0, FavoriteField::Comment, "temporary");
    favorites.Stage(0, FavoriteField::Comment, "old");
    EXPECT_EQ(favorites.Commit().Error, CommitError::None);
    EXPECT_EQ(readBytes(dir / "a.url"), aBytes);
    EXPECT_FALSE(favorites.EditIndex());

    favorites.BeginEdit(0);
    favorites.Stage(0, FavoriteField::Url, "http://new/");
    favorites.Stage(0, FavoriteField::Comment, "new");
    favorites.Stage(0, FavoriteField::SiteName, "新しい名前");
    const mv::CommitResult result = favorites.Commit();
    EXPECT_EQ(result.Error, CommitError::None);
    EXPECT_FALSE(result.Restored);
    EXPECT_EQ(files(), (std::vector<std::string>{"b.url", "新しい名前.url"}));
    EXPECT_EQ(mv::ReadShortcutUrl(dir / "新しい名前.url"), "http://new/");
    EXPECT_EQ(mv::ReadShortcutComment(dir / "新しい名前.url"), "new");
    EXPECT_EQ(readBytes(dir / "b.url"), bBytes);
    // The entry follows its file: a later edit reaches the renamed file.
    const mv::FavoriteEntry& entry = favorites.At(0).Entry;
    EXPECT_EQ(entry.Path, dir / "新しい名前.url");
    EXPECT_EQ(entry.SiteName, "新しい名前");
    EXPECT_EQ(entry.Url, "http://new/");
    favorites.BeginEdit(0);
    favorites.Stage(0, FavoriteField::Url, "http://again/");
    favorites.Commit();
    EXPECT_EQ(mv::ReadShortcutUrl(dir / "新しい名前.url"), "http://again/");
}

TEST_F(FavoritesListTest, RenamesNeverReplaceAnotherFavorite) {
    writeFavorite("a", "http://a/");
    writeFavorite("B", "http://b/");
    list({"a", "B"});
    const std::string aBytes = readBytes(dir / "a.url"), bBytes = readBytes(dir / "B.url");
    for (const char* taken : {"B", "b"}) {
        favorites.BeginEdit(0);
        favorites.Stage(0, FavoriteField::SiteName, taken);
        const mv::CommitResult result = favorites.Commit();
        EXPECT_EQ(result.Error, CommitError::NameTaken) << taken;
        EXPECT_EQ(result.Target, dir / (std::string(taken) + ".url"));
        EXPECT_EQ(result.Restored, 0u);
        EXPECT_EQ(favorites.At(0).SiteName, "a");
        EXPECT_EQ(readBytes(dir / "a.url"), aBytes);
        EXPECT_EQ(readBytes(dir / "B.url"), bBytes);
    }
    for (const char* refused : {"", "  \u3000", "x/y"}) {
        favorites.BeginEdit(0);
        favorites.Stage(0, FavoriteField::SiteName, refused);
        const CommitError error = favorites.Commit().Error;
        EXPECT_EQ(error, std::string(refused) == "x/y" ? CommitError::SlashInName
                                                       : CommitError::BlankName);
        EXPECT_EQ(favorites.At(0).SiteName, "a");
    }
    // A change of case only renames the file itself.
    favorites.BeginEdit(1);
    favorites.Stage(1, FavoriteField::SiteName, "b");
    EXPECT_EQ(favorites.Commit().Error, CommitError::None);
    EXPECT_EQ(files(), (std::vector<std::string>{"a.url", "b.url"}));
    EXPECT_EQ(readBytes(dir / "b.url"), bBytes);

    // A favorite deleted behind the list's back is not made again.
    std::filesystem::remove(dir / "a.url");
    favorites.BeginEdit(0);
    favorites.Stage(0, FavoriteField::SiteName, "c");
    const mv::CommitResult gone = favorites.Commit();
    EXPECT_EQ(gone.Error, CommitError::RenameFailed);
    EXPECT_EQ(gone.SystemError, std::errc::no_such_file_or_directory);
    EXPECT_EQ(gone.Path, dir / "a.url");
    EXPECT_EQ(files(), std::vector<std::string>{"b.url"});
}

TEST_F(FavoritesListTest, AFailedCommitStaysWithItsFavoriteThroughASort) {
    // A Shift-JIS file cannot hold an emoji comment: the write is refused.
    writeBytes(dir / "a.url",
               "[InternetShortcut]\r\nURL=http://3/\r\n[Comment]\r\nComment=\x83\x65\x83\x58\r\n");
    writeFavorite("b", "http://1/", "bee");
    writeFavorite("c", "http://2/", "sea");
    list({"a", "b", "c"});
    const std::string aBytes = readBytes(dir / "a.url"), bBytes = readBytes(dir / "b.url"),
                      cBytes = readBytes(dir / "c.url");
    favorites.BeginEdit(0);
    favorites.Stage(0, FavoriteField::Comment, "\xF0\x9F\x98\x80");
    const mv::CommitResult failed = favorites.Commit();
    EXPECT_EQ(failed.Error, CommitError::WriteFailed);
    EXPECT_TRUE(failed.WriteError.contains(QStringLiteral("a.url")));
    EXPECT_EQ(favorites.EditIndex(), 0u);

    favorites.Sort(FavoriteField::Url); // b, c, a
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"b", "c", "a"}));
    EXPECT_EQ(favorites.EditIndex(), 2u);
    EXPECT_EQ(favorites.At(2).Comment, "\xF0\x9F\x98\x80");
    EXPECT_EQ(favorites.Commit().Error, CommitError::WriteFailed);
    favorites.Stage(2, FavoriteField::Comment, "fixed");
    EXPECT_EQ(favorites.Commit().Error, CommitError::None);
    EXPECT_EQ(mv::ReadShortcutComment(dir / "a.url"), "fixed");
    EXPECT_NE(readBytes(dir / "a.url"), aBytes);
    EXPECT_EQ(readBytes(dir / "b.url"), bBytes);
    EXPECT_EQ(readBytes(dir / "c.url"), cBytes);
}

TEST_F(FavoritesListTest, AReadOnlyFileRefusesTheCommitAndKeepsTheEdit) {
    mvtest::shareWithEveryone(dir.path());
    writeFavorite("ro", "http://r/", "note");
    ::chmod((dir / "ro.url").c_str(), 0444);
    list({"ro"});
    const std::string bytes = readBytes(dir / "ro.url");
    EXPECT_EQ(mvtest::runUnprivileged([&] {
                  favorites.BeginEdit(0);
                  favorites.Stage(0, FavoriteField::Url, "http://changed/");
                  const mv::CommitResult result = favorites.Commit();
                  const bool kept = favorites.EditIndex() == 0u &&
                                    favorites.At(0).Url == "http://changed/" &&
                                    favorites.At(0).Entry.Url == "http://r/";
                  return result.Error == CommitError::WriteFailed && kept ? 0 : 1;
              }),
              0);
    EXPECT_EQ(readBytes(dir / "ro.url"), bytes);
}

TEST_F(FavoritesListTest, AnUnreadableFavoriteIsNeverWrittenOver) {
    writeFavorite("x", "http://x/", "kept");
    favorites.Add({"x", "", "", 0, dir / "x.url", false});
    const std::string bytes = readBytes(dir / "x.url");
    favorites.BeginEdit(0);
    favorites.Stage(0, FavoriteField::Url, "http://over/");
    favorites.Stage(0, FavoriteField::SiteName, "renamed");
    const mv::CommitResult result = favorites.Commit();
    EXPECT_EQ(result.Error, CommitError::Unreadable);
    EXPECT_EQ(result.Restored, 0u);
    EXPECT_EQ(favorites.At(0).SiteName, "x");
    EXPECT_EQ(favorites.At(0).Url, "");
    EXPECT_EQ(files(), std::vector<std::string>{"x.url"});
    EXPECT_EQ(readBytes(dir / "x.url"), bytes);
    // Without changes there is nothing to refuse.
    favorites.BeginEdit(0);
    EXPECT_EQ(favorites.Commit().Error, CommitError::None);
}

TEST_F(FavoritesListTest, SortIgnoresCaseIsStableAndMovesMarksDatesAndHiddenState) {
    for (const char* n : {"b", "A", "a", "C"})
        writeFavorite(n, std::string("http://") + n + "/");
    const bool hidden =
        !mv::fileattr::set(dir / "b.url", mv::fileattr::Archive | mv::fileattr::Hidden);
    list({"b", "A", "a", "C"});
    EXPECT_EQ(favorites.At(0).Entry.Hidden, hidden ? 1 : 0);
    favorites.SetChecked(indexOf("C"), true);
    favorites.SetDateText(indexOf("C"), "date of C");
    favorites.Stage(indexOf("a"), FavoriteField::Url, "http://0/"); // shown values are the keys

    favorites.Sort(FavoriteField::SiteName);
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"A", "a", "b", "C"}));
    EXPECT_TRUE(favorites.At(3).Checked);
    EXPECT_EQ(favorites.At(3).DateText, "date of C");
    EXPECT_EQ(favorites.At(2).Entry.Hidden, hidden ? 1 : 0);
    EXPECT_EQ(favorites.At(0).Entry.Hidden, 0);
    favorites.Sort(FavoriteField::Url);
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"a", "A", "b", "C"}));

    // The hidden state follows the file when it is toggled.
    if (hidden) {
        const std::vector<std::string> both = {dir / "b.url", dir / "C.url"};
        EXPECT_TRUE(favorites.ToggleHidden(both).empty());
        EXPECT_EQ(favorites.At(indexOf("b")).Entry.Hidden, 0);
        EXPECT_EQ(favorites.At(indexOf("C")).Entry.Hidden, 1);
        EXPECT_FALSE(mv::IsHiddenFile(dir / "b.url"));
    }
}

TEST_F(FavoritesListTest, CheckMarks) {
    for (const char* n : {"a", "b", "c"})
        writeFavorite(n, "http://x/");
    list({"a", "b", "c"});
    EXPECT_FALSE(favorites.AnyChecked());
    favorites.SetChecked(2, true);
    favorites.SetChecked(0, true);
    favorites.SetChecked(7, true); // no such favorite
    EXPECT_EQ(favorites.CheckedPaths(), (std::vector<std::string>{dir / "a.url", dir / "c.url"}));
    favorites.InvertChecks();
    EXPECT_EQ(favorites.CheckedPaths(), std::vector<std::string>{dir / "b.url"});
    favorites.InvertChecks();
    favorites.InvertChecks();
    favorites.CheckAll();
    EXPECT_EQ(favorites.CheckedPaths().size(), 3u);
    favorites.CheckNone();
    EXPECT_FALSE(favorites.AnyChecked());
    // A new listing starts unmarked.
    favorites.CheckAll();
    list({"a", "b", "c"});
    EXPECT_FALSE(favorites.AnyChecked());
}

TEST_F(FavoritesListTest, OneClipboardHoldsSomethingAtATimeAndOutlivesTheListing) {
    writeFavorite("a", "http://a/");
    list({"a"});
    favorites.PutFolder("/f/folder", false);
    EXPECT_FALSE(favorites.ClipboardMode());
    favorites.PutItems({"/f/a.url", "/f/a.url"}, true);
    EXPECT_TRUE(favorites.FolderClipboard().empty());
    EXPECT_EQ(favorites.ItemClipboard().size(), 2u);
    EXPECT_TRUE(favorites.ClipboardMode());

    favorites.BeginEdit(0);
    list({"a"});
    EXPECT_FALSE(favorites.EditIndex());             // a listing ends the edit...
    EXPECT_EQ(favorites.ItemClipboard().size(), 2u); // ...and keeps the clipboard

    favorites.PutFolder("/f/folder", false);
    EXPECT_TRUE(favorites.ItemClipboard().empty());
    EXPECT_EQ(favorites.FolderClipboard(), "/f/folder");
    EXPECT_FALSE(favorites.ClipboardMode());
    favorites.ClearFolderClipboard();
    EXPECT_TRUE(favorites.FolderClipboard().empty());
}
