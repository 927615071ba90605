#include "favorites/FolderListing.h"
#include "platform/codepage.h"
#include "platform/fileattr.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
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
