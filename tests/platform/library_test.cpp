#include "platform/error.h"
#include "platform/library.h"
#include "platform/versioninfo.h"

#include <gtest/gtest.h>

namespace lib = mv::library;

TEST(Library, MapsWindowsNamesAndLoadsBesideTheProgram) {
    EXPECT_EQ(lib::mapName("UNLHA32.DLL"), "libunlha32.so");
    EXPECT_EQ(lib::mapName("7-zip32.dll"), "lib7-zip32.so");
    EXPECT_EQ(lib::mapName("C:\\x\\Tar32.DLL"), "libtar32.so");

    lib::setSearchFolderForTesting(FAKE_LIBRARY_FOLDER);
    lib::Handle h = lib::load("FAKEARC32.DLL");
    ASSERT_NE(h, nullptr);
    auto fn = reinterpret_cast<int (*)()>(lib::symbol(h, "FakeGetVersion"));
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(fn(), 123);
    EXPECT_EQ(lib::symbol(h, "Missing"), nullptr);
    EXPECT_TRUE(lib::release(h));
    EXPECT_EQ(lib::load("NOSUCH32.DLL"), nullptr);
    lib::setSearchFolderForTesting("");
    EXPECT_FALSE(lib::executableFolder().empty());
}

TEST(VersionInfo, ReadsKeysThroughTheTranslationTable) {
    EXPECT_EQ(mv::GetVersionString(9), "Markvane");
    EXPECT_FALSE(mv::GetVersionString(10).empty());

    mv::VersionBlock other{{0x04B00409u}, {{"\\StringFileInfo\\040904B0\\ProductVersion", "9.9"}}};
    mv::setVersionBlockForTesting(&other);
    EXPECT_EQ(mv::GetVersionString(10), "9.9");
    EXPECT_EQ(mv::GetVersionString(9), "");

    mv::VersionBlock noTranslation{{}, {{"\\StringFileInfo\\040904B0\\ProductVersion", "9.9"}}};
    mv::setVersionBlockForTesting(&noTranslation);
    try {
        mv::GetVersionString(10);
        FAIL() << "expected an error";
    } catch (const mv::Error& e) {
        EXPECT_EQ(e.text(), QStringLiteral("情報の取得に失敗しました"));
    }
    mv::setVersionBlockForTesting(nullptr);
    EXPECT_EQ(mv::GetVersionString(10), "");
    mv::resetVersionBlockForTesting();
}
