// The component, the LHA binding and the probe against recording stand-in libraries: what
// exactly reaches the library, and when it is loaded, asked and released.
#include "archive/ArchiveFile.h"
#include "archive/ArchiverProbe.h"
#include "archive/LhaArchiver.h"
#include "platform/fileattr.h"
#include "platform/library.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

using namespace mv;
using namespace Qt::Literals::StringLiterals;
namespace fs = std::filesystem;

namespace {

class Binding : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("MV_FAKE_UNLHA_LOG", log.c_str(), 1);
        ::unsetenv("MV_FAKE_UNLHA_RESULT");
        use("ok");
        fs::create_directories(base + "/sub");
        fs::create_directories(base + "/hid");
        for (const char* file :
             {"a.url", "B.url", "hidden.url", "note.txt", "sub/c.url", "hid/e.url"})
            mvtest::writeBytes(base + "/" + file, "[InternetShortcut]\r\nURL=http://a/\r\n");
        ASSERT_EQ(fileattr::set(base + "/hidden.url", fileattr::Hidden | fileattr::Archive),
                  std::error_code());
        ASSERT_EQ(fileattr::set(base + "/hid", fileattr::Hidden | fileattr::Directory),
                  std::error_code());
    }
    void TearDown() override {
        // Leave nothing loaded: a later test may want the library to be missing.
        if (TArchiverDll* dll = TLha32::SharedDll()) dll->Unload();
        library::setSearchFolderForTesting("");
        ::unsetenv("MV_FAKE_UNLHA_LOG");
        ::unsetenv("MV_FAKE_UNLHA_RESULT");
    }

    void use(const std::string& variant) {
        library::setSearchFolderForTesting(std::string(FAKE_UNLHA_ROOT) + "/" + variant);
    }
    std::vector<std::string> lines(const std::string& prefix) const {
        std::vector<std::string> out;
        std::istringstream in(mvtest::readBytes(log));
        for (std::string line; std::getline(in, line);)
            if (line.starts_with(prefix)) out.push_back(line.substr(prefix.size()));
        return out;
    }

    // What the archive command does: probe, set x, r, jso, the buffer and the name, pack.
    int archiveCommand(TArchiveFile& file, const std::string& archive) {
        TArcHelp help;
        help.ProbeAll();
        if (!help.CanUselha()) return -1;
        file.Options().x = 1;
        file.Options().r = 1;
        file.Options().jso = 1;
        file.SetOutputSize(8192);
        file.SetFileName(archive);
        return file.PackFiles(nullptr, nullptr, base, {std::vector<std::string>{"*.url"}});
    }

    mvtest::TempDir dir;
    std::string log = dir / "fake.log";
    std::string base = dir / "Favorites";
};

template <typename E, typename F> QString errorText(F&& call) {
    try {
        call();
    } catch (const E& e) {
        return e.text();
    }
    return u"(no error)"_s;
}

} // namespace

TEST_F(Binding, ArchiveCommandSendsItsExactLineAndTheBuffer) {
    TArchiveFile file;
    const std::string archive = dir / "お気に入り.lzh";
    EXPECT_EQ(archiveCommand(file, archive), 0);
    // The names go in a private list file that is gone after the call.
    const std::string head = "u -+ -p1 -x1 -jso1  \"" + archive + "\" \"" + base + "/\" \"@";
    ASSERT_EQ(lines("cmd ").size(), 1u);
    const std::string line = lines("cmd ")[0];
    ASSERT_TRUE(line.starts_with(head) && line.ends_with("\" ")) << line;
    const std::string list = line.substr(head.size(), line.size() - head.size() - 2);
    EXPECT_TRUE(list.starts_with(fs::temp_directory_path().string() + "/markvane-names-")) << list;
    EXPECT_FALSE(fs::exists(list));
    EXPECT_EQ(lines("res "), (std::vector<std::string>{"\xEF\xBB\xBF"
                                                       "a.url",
                                                       "B.url", "hid/e.url", "sub/c.url"}));
    EXPECT_EQ(file.NamesPassed(), 4u);
    EXPECT_TRUE(file.LeftOut().empty());
    EXPECT_EQ(lines("call "), std::vector<std::string>{"size=8192 null=0 owner=0"});
    EXPECT_EQ(file.CommandLine(), line);
    EXPECT_EQ(file.OutputText(), "fake: ok");
    EXPECT_EQ(file.ArchiverType(), atLha);
    // The component's own options are untouched by the collector.
    EXPECT_EQ(file.Options().r, 1);
    EXPECT_EQ(file.Options().p, -1);
}

TEST_F(Binding, NamesTheCommandLineWouldSplitGoWholeIntoTheList) {
    // A quote followed by a blank ends a quoted argument on the command line; the list holds
    // every name byte for byte, one a line.
    const std::vector<std::string> odd{"Say \"hi\" now.url", "d\" \"x.url", " lead.url",
                                       "-dash.url", "@at.url"};
    for (const std::string& name : odd)
        mvtest::writeBytes(base + "/" + name, "x");
    auto listed = [&] {
        std::vector<std::string> names = lines("res ");
        if (!names.empty() && names[0].starts_with("\xEF\xBB\xBF")) names[0].erase(0, 3);
        std::sort(names.begin(), names.end()); // the collation's order is the locale's
        return names;
    };
    std::vector<std::string> expected = odd;
    expected.insert(expected.end(), {"a.url", "B.url", "hid/e.url", "sub/c.url"});
    std::sort(expected.begin(), expected.end());
    TArchiveFile file;
    EXPECT_EQ(archiveCommand(file, dir / "a.lzh"), 0);
    EXPECT_EQ(listed(), expected);

    // A response file the caller names gets the quoted lines every archiver reads, and stays.
    ::truncate(log.c_str(), 0);
    file.Options().ResFileName = dir / "names.txt";
    EXPECT_EQ(archiveCommand(file, dir / "a.lzh"), 0);
    EXPECT_TRUE(lines("cmd ")[0].ends_with(" \"@" + dir / "names.txt" + "\" ")) << lines("cmd ")[0];
    for (std::string& name : expected)
        name = '"' + name + '"';
    EXPECT_EQ(listed(), expected);
    EXPECT_TRUE(fs::exists(dir / "names.txt"));

    // Without a response file in the usage set, names stay on the command line.
    ::truncate(log.c_str(), 0);
    file.Options().ResFileUsage.Exclude(ruOnPack);
    archiveCommand(file, dir / "b.lzh");
    EXPECT_NE(lines("cmd ")[0].find(" \"sub/c.url\" "), std::string::npos);
    EXPECT_TRUE(lines("res ").empty());
}

TEST_F(Binding, TwoArchivesInARowLoadTheLibraryOnce) {
    TArchiveFile file;
    archiveCommand(file, dir / "one.lzh");
    const size_t loadsAfterFirst = lines("load").size();
    TArchiver* archiver = file.Archiver();
    archiveCommand(file, dir / "two.LZH");
    EXPECT_EQ(lines("load").size(), loadsAfterFirst);
    EXPECT_EQ(lines("cmd ").size(), 2u);
    EXPECT_EQ(file.Archiver(), archiver);
    EXPECT_TRUE(TLha32::SharedDll()->Loaded());
}

TEST_F(Binding, LibraryResultComesBackUnchanged) {
    ::setenv("MV_FAKE_UNLHA_RESULT", "32773", 1);
    TArchiveFile file;
    EXPECT_EQ(archiveCommand(file, dir / "a.lzh"), 32773);
}

TEST_F(Binding, NothingToPackMeansNoCallAndAnEmptyOutput) {
    TArchiveFile file;
    archiveCommand(file, dir / "a.lzh");
    ASSERT_EQ(file.OutputText(), "fake: ok");
    base = dir / "Empty";
    fs::create_directories(base);
    mvtest::writeBytes(base + "/only-hidden.url", "x");
    ASSERT_EQ(fileattr::set(base + "/only-hidden.url", fileattr::Hidden | fileattr::Archive),
              std::error_code());
    EXPECT_EQ(archiveCommand(file, dir / "b.lzh"), 0);
    EXPECT_EQ(lines("cmd ").size(), 1u);
    EXPECT_EQ(file.OutputText(), "");
}

TEST_F(Binding, UnsetJsoIsRefusedBeforeTheLibraryIsCalled) {
    TArchiveFile file;
    file.SetFileName(dir / "a.lzh");
    file.Options().x = 1;
    EXPECT_THROW(file.PackFiles(nullptr, nullptr, base, {"*.url"}), EAssertionFailed);
    EXPECT_TRUE(lines("call").empty());
    EXPECT_EQ(file.CommandLine(), "");
}

TEST_F(Binding, NoBufferIsPassedAsNull) {
    TArchiveFile file;
    file.SetFileName(dir / "a.lzh");
    file.Options().jso = 1;
    EXPECT_EQ(file.PackFiles(nullptr, nullptr, base, {"*.url"}), 0);
    EXPECT_EQ(lines("call "), std::vector<std::string>{"size=0 null=1 owner=0"});
    EXPECT_EQ(file.OutputText(), "");
}

TEST_F(Binding, SeparateOptionsAndArchiverSideFilter) {
    TArchiveFile file;
    file.SetFileName(dir / "a.lzh");
    TArchiverOptions o;
    o.jso = 1;
    o.r = 1;
    o.jx = {"*.bak"};
    o.PackFilter = pfArchiver;
    int owner = 0;
    file.PackFiles(&owner, &o, base, {"*.url", std::string("sub/c.url")});
    EXPECT_EQ(lines("cmd "),
              std::vector<std::string>{"u -+ -r1 -jso1 \"-jx*.bak\"  \"" + dir / "a.lzh" + "\" \"" +
                                       base + "/\" \"*.url\" \"sub/c.url\" "});
    EXPECT_EQ(lines("call "), std::vector<std::string>{"size=0 null=1 owner=1"});
}

TEST_F(Binding, MissingLibraryIsReportedWhenTheFormatIsChosen) {
    use("nowhere");
    TArchiveFile file;
    EXPECT_EQ(errorText<ENoArchiverDLL>([&] { file.SetFileName(dir / "a.lzh"); }),
              u"LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。"_s);
    EXPECT_EQ(file.ArchiverType(), atAutoDetect);
    EXPECT_EQ(file.Archiver(), nullptr);
    EXPECT_EQ(file.FileName(), "");
    // No archiver and no library recognising the content.
    EXPECT_EQ(errorText<EArchiver>([&] { file.PackFiles(nullptr, nullptr, base, {"*.url"}); }),
              u"書庫の形式を判別できません。"_s);
}

TEST_F(Binding, MissingEntryPointNamesTheModuleAndRestoresNothingItDidNotChange) {
    use("nomain");
    const fs::path before = fs::current_path();
    TArchiveFile file;
    file.SetFileName(dir / "a.lzh"); // the library loads
    file.Options().jso = 1;
    const QString expected =
        QString::fromStdString(std::string(FAKE_UNLHA_ROOT) + "/nomain/libunlha32.so") +
        u" に Unlha のエントリが見つかりません。"_s;
    EXPECT_EQ(errorText<EEntryNotFound>([&] { file.PackFiles(nullptr, nullptr, base, {"*.url"}); }),
              expected);
    EXPECT_EQ(fs::current_path(), before);
    EXPECT_TRUE(file.CommandLine().starts_with("u -+ -p1 -jso1 ")); // remembered on failure too
}

TEST_F(Binding, FormatChoiceByExtension) {
    TArchiveFile file;
    file.SetFileName(dir / "a.LZH");
    TArchiver* lha = file.Archiver();
    ASSERT_NE(lha, nullptr);
    file.SetFileName(dir / "noext");
    EXPECT_EQ(file.Archiver(), lha);
    EXPECT_EQ(file.ArchiverType(), atLha);
    EXPECT_EQ(file.FileName(), dir / "noext");

    EXPECT_EQ(errorText<ENoArchiverDLL>([&] { file.SetFileName(dir / "a.zip"); }),
              u"ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。"_s);
    EXPECT_EQ(errorText<ENoArchiverDLL>([&] { file.SetFileName(dir / "a.cab"); }),
              u"CAB 形式書庫 を扱うには CAB32.DLL が 必要です。"_s);
    EXPECT_EQ(errorText<ENoArchiverDLL>([&] { file.SetFileName(dir / "a.tgz"); }),
              u"tar/tgz/taz/bz2 形式書庫 を扱うには TAR32.DLL が 必要です。"_s);
    EXPECT_EQ(errorText<ENoArchiverDLL>([&] { file.SetFileName(dir / "a.7z"); }),
              u"7z 形式書庫 を扱うには 7-zip32.dll が 必要です。"_s);
    EXPECT_EQ(errorText<EArchiver>([&] { file.SetFileName(dir / "a.gca"); }),
              u"書庫の形式を特定できませんでした。"_s);
    // Every refusal left the LHA archiver in place.
    EXPECT_EQ(file.Archiver(), lha);
    EXPECT_EQ(file.ArchiverType(), atLha);

    file.ComponentState = TArchiveFile::csLoading;
    file.SetArchiverType(atBel);
    EXPECT_EQ(file.ArchiverType(), atBel);
    file.ComponentState = TArchiveFile::csDesigning;
    file.SetArchiverType(atCab); // only stored: no library is asked for
    EXPECT_EQ(file.ArchiverType(), atCab);
}

TEST_F(Binding, CollectionProgressAndAbort) {
    TArchiveFile file;
    file.SetFileName(dir / "a.lzh");
    file.Options().jso = 1;
    file.Options().r = 1;
    std::vector<std::string> names;
    file.OnProgress = [&](TArchiveFile* sender, int state, LPEXTRACTINGINFOEX info, bool&) {
        EXPECT_EQ(sender, &file);
        EXPECT_EQ(state, 2053);
        names.push_back(reinterpret_cast<const char*>(info) + 8);
    };
    file.PackFiles(nullptr, nullptr, base, {"*.url"});
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"B.url", "a.url", "hid/e.url", "sub/c.url"}));
    // This library takes no progress window, so the line keeps its own -n setting.
    ASSERT_EQ(lines("cmd ").size(), 1u);
    EXPECT_EQ(lines("cmd ")[0].find(" -n"), std::string::npos);

    file.OnProgress = [](TArchiveFile*, int, LPEXTRACTINGINFOEX, bool& abort) { abort = true; };
    EXPECT_EQ(file.PackFiles(nullptr, nullptr, base, {"*.url"}), 32800);
    EXPECT_EQ(lines("cmd ").size(), 1u);
}

TEST_F(Binding, LibraryProgressReachesTheHandler) {
    use("progress");
    TArchiveFile file;
    file.SetFileName(dir / "a.lzh");
    file.Options().jso = 1;
    std::vector<std::pair<int, std::string>> reports;
    bool abortInLibrary = false;
    file.OnProgress = [&](TArchiveFile*, int state, LPEXTRACTINGINFOEX info, bool& abort) {
        reports.emplace_back(state, info->exinfo.szSourceFileName);
        if (state == 1) abort = abortInLibrary;
    };
    EXPECT_EQ(file.PackFiles(nullptr, nullptr, base, {"*.url"}), 0);
    ASSERT_EQ(lines("cmd ").size(), 1u);
    EXPECT_TRUE(lines("cmd ")[0].starts_with("u -+ -n1 -p1 -jso1 "));
    EXPECT_EQ(lines("setowner").size(), 1u);
    EXPECT_EQ(lines("killowner").size(), 1u);
    EXPECT_EQ(reports.back(), (std::pair<int, std::string>{1, "entry.url"}));
    EXPECT_FALSE(file.Archiver()->ProgressRegistered());

    abortInLibrary = true;
    EXPECT_EQ(file.PackFiles(nullptr, nullptr, base, {"*.url"}), 0x8020);
    EXPECT_EQ(lines("aborted").size(), 1u);
}

TEST_F(Binding, ProbeFindsAnIdleLibraryWithAVersionAndReleasesIt) {
    TArcHelp help;
    EXPECT_EQ(help.AHArctype(), AHLha);
    help.ProbeLha();
    EXPECT_TRUE(help.CanUselha());
    EXPECT_EQ(help.Unlha32Version(), "2.67");
    EXPECT_EQ(lines("load").size(), 1u);
    EXPECT_EQ(lines("unload").size(), 1u);
    help.ProbeAll();
    EXPECT_TRUE(help.CanUselha());
    EXPECT_EQ(help.AHArctype(), AHBel);
    EXPECT_FALSE(help.CanUseCab() || help.CanMakeZip() || help.CanUseTar() || help.CanUseBz2() ||
                 help.CanUseYz1() || help.CanUseUnBel());
    EXPECT_EQ(help.Tar32Version(), "0");
    EXPECT_EQ(lines("unload").size(), 2u);
}

TEST_F(Binding, ProbeRefusesMissingBusyVersionlessAndIncompleteLibraries) {
    for (const char* variant : {"nowhere", "busy", "version0", "norunning"}) {
        SCOPED_TRACE(variant);
        use(variant);
        TArcHelp help;
        help.ProbeAll();
        EXPECT_FALSE(help.CanUselha());
        EXPECT_EQ(help.Unlha32Version(), "0");
    }
    // Each library that loaded was released again.
    EXPECT_EQ(lines("load").size(), 3u);
    EXPECT_EQ(lines("unload").size(), 3u);
}
