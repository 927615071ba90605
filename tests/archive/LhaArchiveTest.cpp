// End to end: the archive command's sequence through the real LHA library, read back by lhasa.
#include "archive/ArchiveFile.h"
#include "archive/ArchiverProbe.h"
#include "archive/LhaArchiver.h"
#include "platform/codepage.h"
#include "platform/fileattr.h"
#include "platform/library.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

using namespace mv;
namespace fs = std::filesystem;

namespace {

std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
            out.append(buf, n);
        ::pclose(pipe);
    }
    return out;
}

} // namespace

TEST(LhaArchive, FavoritesTreeIsPackedAndReadableByLhasa) {
    if (std::system("command -v lhasa >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "lhasa missing";
    }
    mvtest::TempDir dir;
    const std::string base = dir / "Favorites";
    fs::create_directories(base + "/ニュース");
    fs::create_directories(base + "/hid");
    const std::string body = "[InternetShortcut]\r\nURL=http://example.com/\r\n";
    for (const char* file :
         {"a.url", "B.url", "hidden.url", "note.txt", "ニュース/天気.url", "hid/e.url"})
        mvtest::writeBytes(base + "/" + file, body);
    ASSERT_EQ(fileattr::set(base + "/hidden.url", fileattr::Hidden | fileattr::Archive),
              std::error_code());
    ASSERT_EQ(fileattr::set(base + "/hid", fileattr::Hidden | fileattr::Directory),
              std::error_code());

    library::setSearchFolderForTesting(UNLHA_FOLDER);
    TArcHelp help;
    help.ProbeAll();
    ASSERT_TRUE(help.CanUselha());
    EXPECT_NE(help.Unlha32Version(), "0");

    TArchiveFile file;
    const std::string archive = dir / "fav.lzh";
    for (int round = 0; round < 2; ++round) {
        file.Options().x = 1;
        file.Options().r = 1;
        file.Options().jso = 1;
        file.SetOutputSize(8192);
        file.SetFileName(archive);
        EXPECT_EQ(file.PackFiles(nullptr, nullptr, base, {std::vector<std::string>{"*.url"}}), 0)
            << file.OutputText();
    }
    ASSERT_TRUE(fs::exists(archive));

    // lhasa shows the names as stored in the CP932 header fields, so ASCII names are checked
    // there; bsdtar reads the Unicode name fields, so it checks the Japanese one and the bytes.
    const std::string listing = run("lhasa l '" + archive + "' 2>&1");
    for (const char* name : {" a.url", " B.url", " hid/e.url"}) {
        EXPECT_NE(listing.find(name), std::string::npos) << name << "\n" << listing;
    }
    EXPECT_NE(listing.find(" 4 files"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("hidden.url"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("note.txt"), std::string::npos) << listing;
    const std::string tested = run("lhasa t '" + archive + "' 2>&1");
    size_t count = 0;
    for (size_t pos = 0; (pos = tested.find("- Tested", pos)) != std::string::npos; ++pos)
        ++count;
    EXPECT_EQ(count, 4u) << tested;

    if (std::system("command -v bsdtar >/dev/null 2>&1") == 0) {
        EXPECT_NE(run("bsdtar -tf '" + archive + "'").find("ニュース/天気.url"), std::string::npos);
        EXPECT_EQ(run("bsdtar -xOf '" + archive + "' 'ニュース/天気.url'"), body);
    }

    if (TArchiverDll* dll = TLha32::SharedDll()) dll->Unload();
    library::setSearchFolderForTesting("");
}

namespace {

// The entry names an archive lists, by bsdtar (it reads the Unicode name fields), files only.
std::vector<std::string> listedNames(const std::string& archive) {
    std::vector<std::string> names;
    std::string all = run("bsdtar -tf '" + archive + "' 2>&1");
    for (size_t pos = 0; pos < all.size();) {
        size_t end = all.find('\n', pos);
        if (end == std::string::npos) end = all.size();
        std::string name = all.substr(pos, end - pos);
        if (!name.empty() && name.back() != '/') names.push_back(name);
        pos = end + 1;
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// Odd but legal names, Japanese names and entries that cannot be read, packed in both code
// pages the program runs in: every favorite that can be read comes back exactly, the rest is
// named with its reason.
TEST(LhaArchive, RealFavoritesPackInBothCodePages) {
    if (std::system("command -v bsdtar >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "bsdtar missing";
    }
    mvtest::TempDir dir;
    const std::string base = dir / "Favorites";
    const std::vector<std::string> good{"Say \"hi\" now.url", "d\" \"/x.url", " lead.url",
                                        "日本語/天気.url",    "波〜.url",     "ｶﾅ.url"};
    fs::create_directories(base + "/d\" \"");
    fs::create_directories(base + "/日本語");
    for (const std::string& name : good)
        mvtest::writeBytes(base + "/" + name, "[InternetShortcut]\r\nURL=http://" + name + "/\r\n");
    ASSERT_EQ(::mkfifo((base + "/fifo.url").c_str(), 0644), 0);
    fs::create_symlink(base + "/gone.url", base + "/dead.url");
    library::setSearchFolderForTesting(UNLHA_FOLDER);

    struct Mode {
        const char* acp;
        const CodePage* cp;
    };
    for (const Mode mode : {Mode{"65001", &CodePage::utf8()}, Mode{"932", &CodePage::cp932()}}) {
        SCOPED_TRACE(mode.acp);
        ::setenv("MARKVANE_ACP", mode.acp, 1);
        CodePage::setActiveForTesting(mode.cp);
        TArchiveFile file;
        file.Options().x = 1;
        file.Options().r = 1;
        file.Options().jso = 1;
        file.SetOutputSize(8192);
        const std::string archive = dir / (std::string("fav-") + mode.acp + ".lzh");
        file.SetFileName(archive);
        const int result =
            file.PackFiles(nullptr, nullptr, base, {std::vector<std::string>{"*.url"}});
        CodePage::setActiveForTesting(nullptr);
        ::unsetenv("MARKVANE_ACP");
        EXPECT_EQ(result, 0) << file.OutputText();
        EXPECT_EQ(file.NamesPassed(), good.size());
        ASSERT_EQ(file.LeftOut().size(), 2u);
        EXPECT_EQ(file.LeftOut()[0].reason, TLeftOutReason::DanglingLink);
        EXPECT_EQ(file.LeftOut()[1].reason, TLeftOutReason::NotAFile);

        std::vector<std::string> expected = good;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(listedNames(archive), expected);
        for (const std::string& name : good) {
            // bsdtar takes the name as a pattern: quote what the shell and it would read.
            EXPECT_EQ(run("bsdtar -xOf '" + archive + "' '" + name + "'"),
                      mvtest::readBytes(base + "/" + name))
                << name;
        }
        if (std::system("command -v 7zz >/dev/null 2>&1") == 0) {
            const std::string tested = run("7zz t '" + archive + "' 2>&1");
            EXPECT_NE(tested.find("Everything is Ok"), std::string::npos) << tested;
        }
        if (std::system("command -v lhasa >/dev/null 2>&1") == 0) {
            const std::string listing = run("lhasa l '" + archive + "' 2>&1");
            EXPECT_NE(listing.find(" 6 files"), std::string::npos) << listing;
        }
    }
    if (TArchiverDll* dll = TLha32::SharedDll()) dll->Unload();
    library::setSearchFolderForTesting("");
}
