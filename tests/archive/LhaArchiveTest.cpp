// End to end: the archive command's sequence through the real LHA library, read back by lhasa.
#include "archive/ARCHIVES.h"
#include "archive/ArcHelp.h"
#include "archive/LHA32.h"
#include "platform/fileattr.h"
#include "platform/library.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

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
    if (std::system("command -v lhasa >/dev/null 2>&1") != 0) GTEST_SKIP() << "lhasa missing";
    mvtest::TempDir dir;
    const std::string base = dir / "Favorites";
    fs::create_directories(base + "/ニュース");
    fs::create_directories(base + "/hid");
    const std::string body = "[InternetShortcut]\r\nURL=http://example.com/\r\n";
    for (const char* file :
         {"a.url", "B.url", "hidden.url", "note.txt", "ニュース/天気.url", "hid/e.url"})
        mvtest::writeBytes(base + "/" + file, body);
    ASSERT_TRUE(fileattr::set(base + "/hidden.url", fileattr::Hidden | fileattr::Archive));
    ASSERT_TRUE(fileattr::set(base + "/hid", fileattr::Hidden | fileattr::Directory));

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
    for (const char* name : {" a.url", " B.url", " hid/e.url"})
        EXPECT_NE(listing.find(name), std::string::npos) << name << "\n" << listing;
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
