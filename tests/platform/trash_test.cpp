// The trash writer: what lands in the trash must be listed and restorable by any file manager
// (files/ + info/*.trashinfo with the original Path), and a failure must leave the item alone.

#include "organize/OrganizeTestSupport.h"
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <regex>
#include <unistd.h>

using namespace mvtest;
namespace fs = std::filesystem;

namespace {

const std::string kOddName = "-rf \"quoted\" 'it''s' 50% お気に入り #1.url";

// Restoring is what a file manager does: move the trashed file back to its Path.
void expectRestorable(const std::map<std::string, std::string>& entries, const std::string& path,
                      const std::string& bytes) {
    auto it = entries.find(path);
    ASSERT_NE(it, entries.end()) << path;
    ASSERT_FALSE(exists(path));
    ASSERT_EQ(::rename(it->second.c_str(), path.c_str()), 0) << it->second;
    EXPECT_EQ(readBytes(path), bytes);
}

TEST(Trash, InfoFileRecordsOriginalPathAndDateAndTheItemCanBeRestored) {
    TrashHome home;
    fs::create_directories(home / "fav");
    const std::string path = home / ("fav/" + kOddName);
    writeBytes(path, "[InternetShortcut]\r\nURL=http://example.com/\r\n");
    const std::time_t before = std::time(nullptr);

    std::optional<mv::trash::Trashed> t{std::in_place};
    const std::error_code ec = mv::trash::moveToTrash(path, &*t);
    ASSERT_EQ(ec, std::error_code()) << ec.message();
    EXPECT_EQ(t->file, home.trash() + "/files/" + kOddName);
    EXPECT_EQ(t->info, home.trash() + "/info/" + kOddName + ".trashinfo");

    const std::string info = readBytes(t->info);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(info, m,
                                 std::regex("\\[Trash Info\\]\nPath=([^\n]*)\nDeletionDate="
                                            "(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d)\n")))
        << info;
    EXPECT_EQ(m[1].str().find_first_of(" \"'#"), std::string::npos) << "unescaped byte";
    EXPECT_EQ(mv::trash::decodePath(m[1].str()), path);
    const std::string date = m[2].str();
    EXPECT_TRUE(date == mv::trash::deletionDate(before) ||
                date == mv::trash::deletionDate(before + 1))
        << date;
    expectRestorable(trashEntries(home.trash()), path,
                     "[InternetShortcut]\r\nURL=http://example.com/\r\n");
}

TEST(Trash, DeletionDateIsLocalTime) {
    {
        ScopedEnv tz("TZ", "JST-9");
        ::tzset();
        EXPECT_EQ(mv::trash::deletionDate(0), "1970-01-01T09:00:00");
    }
    ::tzset();
}

TEST(Trash, EncodingRoundTripsEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    const std::string encoded = mv::trash::encodePath(all);
    EXPECT_EQ(encoded.find_first_not_of(
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.~/%"),
              std::string::npos);
    EXPECT_EQ(mv::trash::decodePath(encoded), all);
    EXPECT_EQ(mv::trash::decodePath("a%2"), std::nullopt);
    EXPECT_EQ(mv::trash::decodePath("a%zz"), std::nullopt);
}

TEST(Trash, SameNamesGetUniqueEntriesAndLeftoversAreNotOverwritten) {
    TrashHome home;
    for (const char* d : {"a", "b", "c"}) {
        fs::create_directories(home / d);
        writeBytes(home / (std::string(d) + "/Site.url"), d);
    }
    // A file in files/ without its info file (left by a crash) keeps its place.
    fs::create_directories(home.trash() + "/files");
    fs::create_directories(home.trash() + "/info");
    writeBytes(home.trash() + "/files/Site.url", "leftover");

    for (const char* d : {"a", "b", "c"}) {
        ASSERT_EQ(mv::trash::moveToTrash(home / (std::string(d) + "/Site.url")), std::error_code());
    }

    EXPECT_EQ(readBytes(home.trash() + "/files/Site.url"), "leftover");
    auto entries = trashEntries(home.trash());
    ASSERT_EQ(entries.size(), 3u);
    for (const char* d : {"a", "b", "c"})
        expectRestorable(entries, home / (std::string(d) + "/Site.url"), d);
}

TEST(Trash, LongNamesFoldersAndLinksAreTrashedWhole) {
    TrashHome home;
    std::string longName = "ab";
    for (int i = 0; i < 83; ++i)
        longName += "あ";
    longName += ".url";
    ASSERT_EQ(longName.size(), 255u);
    fs::create_directories(home / "fav/sub");
    writeBytes(home / ("fav/" + longName), "long");
    writeBytes(home / "fav/sub/inner.url", "inner");
    writeBytes(home / "target.url", "target");
    fs::create_symlink(home / "target.url", home / "fav/link.url");

    ASSERT_EQ(mv::trash::moveToTrash(home / ("fav/" + longName)), std::error_code());
    ASSERT_EQ(mv::trash::moveToTrash(home / "fav/sub/"), std::error_code());
    ASSERT_EQ(mv::trash::moveToTrash(home / "fav/link.url"), std::error_code());

    for (const auto& e : fs::directory_iterator(home.trash() + "/info")) {
        EXPECT_LE(e.path().filename().string().size(), 255u);
        // The shortened name stays valid UTF-8 (the entry name a file manager shows).
        EXPECT_FALSE(mv::toQt(e.path().filename().string()).contains(QChar(0xFFFD)));
        const std::string n = e.path().filename().string();
        if (n.rfind("ab", 0) == 0) {
            EXPECT_TRUE(n.ends_with(".url.trashinfo")) << n;
        }
    }
    auto entries = trashEntries(home.trash());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(readBytes(entries[home / "fav/sub"] + "/inner.url"), "inner");
    EXPECT_TRUE(fs::is_symlink(entries[home / "fav/link.url"]));
    EXPECT_EQ(readBytes(home / "target.url"), "target");
    expectRestorable(entries, home / ("fav/" + longName), "long");
}

TEST(Trash, RelativeXdgDataHomeIsIgnored) {
    TrashHome home;
    {
        ScopedEnv xdg("XDG_DATA_HOME", "relative/data");
        EXPECT_EQ(mv::trash::homeTrashPath(), home.trash());
    }
    ScopedEnv xdg("XDG_DATA_HOME", home / "data");
    EXPECT_EQ(mv::trash::homeTrashPath(), home / "data/Trash");
}

TEST(Trash, FailuresLeaveTheItemAndNoInfoFile) {
    TrashHome home;
    shareWithEveryone(home.dir().path());
    fs::create_directories(home / "locked");
    fs::create_directories(home / "open");
    shareWithEveryone(home / "open");
    writeBytes(home / "locked/a.url", "a");
    fs::permissions(home / "locked", fs::perms(0755));
    // Writable trash, but the item's folder forbids removing it: the info file goes again.
    fs::create_directories(home.trash());
    shareWithEveryone(home / "home");
    for (const char* p : {"/.local", "/.local/share", "/.local/share/Trash"})
        shareWithEveryone(home / ("home" + std::string(p)));
    EXPECT_EQ(runUnprivileged([&] {
                  const std::error_code ec = mv::trash::moveToTrash(home / "locked/a.url");
                  if (!ec) return 1;
                  if (ec.value() != EACCES) return 2;
                  return countEntries(home.trash() + "/info") == 0 ? 0 : 3;
              }),
              0);
    EXPECT_EQ(readBytes(home / "locked/a.url"), "a");

    // A home whose trash cannot be made: the item stays and is not deleted.
    fs::remove_all(home / "home/.local");
    fs::permissions(home / "home", fs::perms(0555));
    EXPECT_EQ(runUnprivileged([&] {
                  ScopedEnv noXdg("XDG_DATA_HOME", std::nullopt);
                  writeBytes(home / "open/b.url", "b");
                  const std::error_code ec = mv::trash::moveToTrash(home / "open/b.url");
                  if (!ec) return 1;
                  return ec.value() == EACCES && readBytes(home / "open/b.url") == "b" ? 0 : 2;
              }),
              0);
    EXPECT_FALSE(exists(home.trash()));
}

TEST(Trash, HomeTrashIsPrivateEvenWhenItsParentsExist) {
    for (const bool shareExists : {true, false}) {
        SCOPED_TRACE(shareExists ? "~/.local/share there before" : "nothing there before");
        TrashHome home;
        if (shareExists) {
            fs::create_directories(home / "home/.local/share");
            fs::permissions(home / "home/.local/share", fs::perms(0755));
        }
        writeBytes(home / "a.url", "a");
        const mode_t before = ::umask(0);
        const std::error_code ec = mv::trash::moveToTrash(home / "a.url");
        ::umask(before);
        ASSERT_EQ(ec, std::error_code()) << ec.message();
        for (const std::string sub : {"", "/files", "/info"}) {
            struct stat st {};
            ASSERT_EQ(::lstat((home.trash() + sub).c_str(), &st), 0) << sub;
            EXPECT_EQ(st.st_mode & 07777, 0700u) << "Trash" << sub;
        }
        struct stat share {};
        ::stat((home / "home/.local/share").c_str(), &share);
        if (shareExists) {
            EXPECT_EQ(share.st_mode & 07777, 0755u); // not ours to change
        }
    }
}

// The home's file system has one trash, the home trash. When that cannot be used, the item
// stays; no trash folder appears at the top of the file system instead.
TEST(Trash, FailingHomeTrashDoesNotFallThroughToTheTopdirTrash) {
    TempDir probe;
    OtherFileSystemDir other(probe.path()); // a mount of our own, to look at its top folder
    if (other.path().empty()) {
        GTEST_SKIP() << "no writable mount of another file system here";
    }
    const std::string top = other.mountPoint();
    const std::string topTrash = top + "/.Trash-" + std::to_string(::getuid());
    if (exists(topTrash)) {
        GTEST_SKIP() << topTrash << " exists already";
    }
    struct Case {
        const char* name;
        std::function<void(const std::string& home)> breakHome;
    } const cases[] = {
        {"the trash is a file",
         [](const std::string& h) {
             fs::create_directories(h + "/.local/share");
             writeBytes(h + "/.local/share/Trash", "");
         }},
        {"a loop of links on the way",
         [](const std::string& h) {
             fs::create_directory_symlink("loop", h + "/loop");
             fs::create_directory_symlink("loop", h + "/.local");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string home = other.path() + "/home";
        fs::create_directories(home);
        c.breakHome(home);
        ScopedEnv homeEnv("HOME", home), xdg("XDG_DATA_HOME", std::nullopt);
        writeBytes(other.path() + "/a.url", "a");
        EXPECT_TRUE(mv::trash::moveToTrash(other.path() + "/a.url"));
        EXPECT_EQ(readBytes(other.path() + "/a.url"), "a");
        EXPECT_FALSE(exists(topTrash));
        std::error_code ec;
        fs::remove_all(topTrash, ec);
        fs::remove_all(home, ec);
    }
}

// The trash folder chosen, empty when refused (and then with an error to say why).
std::string topdirTrash(const std::string& top, uid_t uid) {
    std::string out;
    const std::error_code ec = mv::trash::topdirTrashPath(top, uid, out);
    EXPECT_EQ(bool(ec), out.empty()) << ec.message();
    return out;
}

TEST(Trash, TopdirTrashRules) {
    TempDir top;
    const uid_t uid = ::getuid();
    const std::string own = top / (".Trash-" + std::to_string(uid));

    // No .Trash: the per-user folder beside it, private.
    EXPECT_EQ(topdirTrash(top.path(), uid), own);
    EXPECT_EQ(fs::status(own).permissions() & fs::perms::all, fs::perms(0700));
    EXPECT_TRUE(fs::is_directory(own + "/files") && fs::is_directory(own + "/info"));
    fs::remove_all(own);

    // .Trash without the sticky bit, or a link to a sticky folder, must not be used.
    fs::create_directories(top / "elsewhere");
    fs::permissions(top / "elsewhere", fs::perms(01777));
    fs::create_directory_symlink(top / "elsewhere", top / ".Trash");
    EXPECT_EQ(topdirTrash(top.path(), uid), own);
    EXPECT_FALSE(exists(top / ("elsewhere/" + std::to_string(uid))));
    fs::remove(top / ".Trash");
    fs::remove_all(own);
    fs::create_directories(top / ".Trash");
    fs::permissions(top / ".Trash", fs::perms(0777));
    EXPECT_EQ(topdirTrash(top.path(), uid), own);
    fs::remove_all(own);

    // A proper shared .Trash: our folder inside it.
    fs::permissions(top / ".Trash", fs::perms(01777));
    EXPECT_EQ(topdirTrash(top.path(), uid), top / (".Trash/" + std::to_string(uid)));
    fs::remove_all(top / ".Trash");

    // A .Trash-$uid planted as a link, or owned by someone else, is refused.
    fs::create_directory_symlink(top / "elsewhere", own);
    EXPECT_EQ(topdirTrash(top.path(), uid), "");
    fs::remove(own);
    if (uid == 0) {
        fs::create_directory(own);
        ASSERT_EQ(::chown(own.c_str(), 65534, 65534), 0);
        EXPECT_EQ(topdirTrash(top.path(), uid), "");
    }
}

TEST(Trash, OtherFileSystemUsesItsTopdirTrashWithRelativePath) {
    TrashHome home;
    OtherFileSystemDir other(home.dir().path());
    if (other.path().empty()) {
        GTEST_SKIP() << "no writable mount of another file system here";
    }
    const std::string top = other.mountPoint();
    const std::string trash = top + "/.Trash-" + std::to_string(::getuid());
    const bool trashExisted = exists(trash);
    const std::string dir = other.path();
    writeBytes(dir + "/x y.url", "shm");

    std::optional<mv::trash::Trashed> t{std::in_place};
    const std::error_code ec = mv::trash::moveToTrash(dir + "/x y.url", &*t);
    ASSERT_EQ(ec, std::error_code()) << ec.message();
    EXPECT_EQ(t->file.rfind(trash + "/files/", 0), 0u) << t->file;
    const std::string info = readBytes(t->info);
    EXPECT_NE(info.find("\nPath=" + mv::trash::encodePath(dir.substr(top.size() + 1) + "/x y.url") +
                        "\n"),
              std::string::npos)
        << info;
    EXPECT_EQ(readBytes(t->file), "shm");
    EXPECT_EQ(countEntries(home.trash() + "/files"), 0u);

    fs::remove(t->file);
    fs::remove(t->info);
    if (!trashExisted) fs::remove_all(trash);
}

} // namespace
