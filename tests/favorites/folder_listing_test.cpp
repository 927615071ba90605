#include "favorites/FindFile.h"
#include "favorites/FolderListing.h"
#include "favorites/ListingPrefetch.h"
#include "platform/codepage.h"
#include "platform/fileattr.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// Enough files that the reading is shared among threads.
constexpr int kFiles = 600;

class ReadFavoritesTest : public ::testing::Test {
protected:
    void SetUp() override {
        mv::CodePage::setActiveForTesting(&mv::CodePage::utf8());
        for (int i = 0; i < kFiles; ++i) {
            const std::string name = "サイト" + std::to_string(i) + ".url";
            mvtest::writeBytes(dir / name, "[InternetShortcut]\r\nURL=https://example.com/" +
                                               std::to_string(i) + "\r\n");
            found.push_back({dir.path() + "/", name, std::nullopt});
        }
    }
    void TearDown() override { mv::CodePage::setActiveForTesting(nullptr); }

    mvtest::TempDir dir;
    std::vector<mv::FoundFavorite> found;
};

TEST_F(ReadFavoritesTest, KeepsTheFoundOrderAndReadsTheStoredWordWhenNotGiven) {
    if (mv::fileattr::set(dir / "サイト7.url", mv::fileattr::Archive | mv::fileattr::Hidden)) {
        GTEST_SKIP() << "no user extended attributes here";
    }
    // Given attributes are taken as they are, without asking the file.
    found[8].Attributes = mv::fileattr::Archive | mv::fileattr::Hidden;

    const auto entries = mv::ReadFavorites(found, {});
    ASSERT_EQ(entries.size(), found.size());
    for (int i = 0; i < kFiles; ++i) {
        EXPECT_EQ(entries[size_t(i)].SiteName, "サイト" + std::to_string(i));
        EXPECT_EQ(entries[size_t(i)].Url, "https://example.com/" + std::to_string(i));
        EXPECT_EQ(entries[size_t(i)].Hidden, i == 7 || i == 8 ? 1 : 0) << i;
    }
}

TEST_F(ReadFavoritesTest, StoppedEarlyGivesTheFavoritesReadUpToTheFirstNotRead) {
    size_t calls = 0;
    const auto entries = mv::ReadFavorites(found, [&](size_t read) {
        EXPECT_LE(read, found.size());
        return ++calls < 100;
    });
    EXPECT_LT(entries.size(), found.size());
    EXPECT_GE(entries.size(), 99u);
    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i].Url, "https://example.com/" + std::to_string(i));
}

TEST_F(ReadFavoritesTest, AFileGoneBeforeItsReadReadsEmptyAndTheOthersAreRead) {
    std::filesystem::remove(dir / "サイト300.url");
    const auto entries = mv::ReadFavorites(found, [](size_t) { return true; });
    ASSERT_EQ(entries.size(), found.size());
    EXPECT_EQ(entries[300].Url, "");
    EXPECT_EQ(entries[301].Url, "https://example.com/301");
}

} // namespace

// The first listing's read-ahead: used only while the folder's entries are as they were.
class ListingPrefetchTest : public ReadFavoritesTest {
protected:
    // The folder as if last changed a minute ago; a folder changed just now is not read ahead.
    void settle() {
        const timespec past[2] = {{::time(nullptr) - 60, 0}, {::time(nullptr) - 60, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, dir.path().c_str(), past, 0), 0);
    }
};

TEST_F(ListingPrefetchTest, GivesWhatTheListingWouldReadOnceAndNothingForAChangedFolder) {
    if (mv::fileattr::set(dir / "サイト3.url", mv::fileattr::Archive | mv::fileattr::Hidden)) {
        GTEST_SKIP() << "no user extended attributes here";
    }
    settle();
    {
        mv::ListingPrefetch prefetch(dir.path());
        const auto entries = prefetch.Take({});
        ASSERT_TRUE(entries);
        // The folder search's order, which is the file system's, not the order written.
        mv::TFindFile find;
        find.IsFindSub = false;
        find.FolderName = dir.path();
        find.FileMask = {"*.url"};
        std::vector<mv::FoundFavorite> listed;
        find.OnFind = [&](const std::string& name, const std::string& path, const mv::TSearchRec&,
                          bool&) {
            listed.push_back({path, name, std::nullopt});
        };
        find.Execute();
        const auto expected = mv::ReadFavorites(listed, {});
        ASSERT_EQ(entries->size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ((*entries)[i].Path, expected[i].Path);
            EXPECT_EQ((*entries)[i].Url, expected[i].Url);
            EXPECT_EQ((*entries)[i].Hidden, expected[i].Hidden);
        }
        EXPECT_FALSE(prefetch.Take({})) << "a second listing reads for itself";
    }
    for (const char* change : {"add", "remove", "rename"}) {
        SCOPED_TRACE(change);
        settle();
        mv::ListingPrefetch prefetch(dir.path());
        if (std::string(change) == "add")
            mvtest::writeBytes(dir / "new.url", "[InternetShortcut]\r\nURL=x\r\n");
        else if (std::string(change) == "remove")
            std::filesystem::remove(dir / "サイト1.url");
        else
            std::filesystem::rename(dir / "サイト2.url", dir / "改名.url");
        EXPECT_FALSE(prefetch.Take({}));
    }
    // Changed just now: not read ahead at all.
    mv::ListingPrefetch recent(dir.path());
    EXPECT_FALSE(recent.Take({}));
    EXPECT_FALSE(mv::ListingPrefetch(dir / "missing").Take({}));
}
