#include "platform/fileattr.h"
#include "platform/filesearch.h"
#include "platform/pathcase.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
const mv::FindData* byName(const std::vector<mv::FindData>& v, const std::string& n) {
    auto it = std::find_if(v.begin(), v.end(), [&](const auto& d) { return d.name == n; });
    return it == v.end() ? nullptr : &*it;
}
} // namespace

TEST(FileSearch, ListsEntriesWithAttributesTimesAndLinks) {
    mvtest::TempDir dir;
    mvtest::writeBytes(dir / ".hidden.url", "12345");
    ::mkdir((dir / "sub").c_str(), 0755);
    ::symlink(dir.path().c_str(), (dir / "up").c_str());
    ::symlink((dir / ".hidden.url").c_str(), (dir / "link.url").c_str());

    auto entries = mv::listFolder(dir.path());
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->size(), 4u); // no "." or ".."
    const auto* f = byName(*entries, ".hidden.url");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->size, 5u);
    EXPECT_GT(f->lastWriteTime, 116444736000000000ULL);
    EXPECT_NE(f->creationTime, 0u);
    EXPECT_TRUE(byName(*entries, "sub")->attributes & mv::fileattr::Directory);
    const auto* up = byName(*entries, "up");
    EXPECT_TRUE(up->attributes & mv::fileattr::Directory);
    EXPECT_TRUE(up->attributes & mv::fileattr::ReparsePoint);
    const auto* link = byName(*entries, "link.url");
    EXPECT_EQ(link->size, 5u); // a link to a file is seen as the file
    EXPECT_FALSE(link->attributes & mv::fileattr::Directory);

    EXPECT_FALSE(mv::listFolder(dir / "missing"));
    EXPECT_EQ(mv::toFileTime(0, 0), 116444736000000000ULL);
}

TEST(FileSearch, AttributesOnlyListingAgreesWithTheFullOneOnTypesAndStoredBits) {
    mvtest::TempDir dir;
    mvtest::writeBytes(dir / "plain.url", "1");
    mvtest::writeBytes(dir / "hidden.url", "22");
    ASSERT_FALSE(
        mv::fileattr::set(dir / "hidden.url", mv::fileattr::Hidden | mv::fileattr::System));
    ::mkdir((dir / "sub").c_str(), 0755);
    ::symlink(dir.path().c_str(), (dir / "up").c_str());
    ::symlink((dir / "hidden.url").c_str(), (dir / "link.url").c_str());

    const auto full = mv::listFolder(dir.path());
    const auto lean = mv::listFolder(dir.path(), mv::FindDetail::Attributes);
    ASSERT_TRUE(full && lean);
    ASSERT_EQ(lean->size(), full->size());
    constexpr uint32_t kModeBit = mv::fileattr::ReadOnly;
    for (const mv::FindData& f : *full) {
        const auto* l = byName(*lean, f.name);
        ASSERT_TRUE(l) << f.name;
        EXPECT_EQ(l->attributes & ~kModeBit, f.attributes & ~kModeBit) << f.name;
    }
    EXPECT_TRUE(byName(*lean, "hidden.url")->attributes & mv::fileattr::Hidden);
    EXPECT_FALSE(byName(*lean, "plain.url")->attributes & mv::fileattr::Hidden);
    EXPECT_TRUE(byName(*lean, "up")->attributes & mv::fileattr::ReparsePoint);
}

TEST(PathCase, ResolvesLastComponentsWithoutRegardToCase) {
    mvtest::TempDir dir;
    ::mkdir((dir / "News").c_str(), 0755);
    mvtest::writeBytes(dir / "News/Site.URL", "x");
    mvtest::writeBytes(dir / "News/ＡＢＣ.url", "x");
    EXPECT_EQ(mv::resolvePathCase(dir / "News/Site.URL"), dir / "News/Site.URL");
    EXPECT_EQ(mv::resolvePathCase(dir / "News/Site.url"), dir / "News/Site.URL");
    EXPECT_EQ(mv::resolvePathCase(dir / "news/site.url"), dir / "News/Site.URL");
    EXPECT_EQ(mv::resolvePathCase(dir / "News/ａｂｃ.url"), dir / "News/ＡＢＣ.url");
    // Nothing to resolve: the path comes back as asked.
    EXPECT_EQ(mv::resolvePathCase(dir / "News/Other.url"), dir / "News/Other.url");
}
