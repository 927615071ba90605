// Command-line building: the builder's rules, the LHA switch order, and the small parsers.
#include "archive/ArchiveFile.h"
#include "archive/ArchiverProbe.h"
#include "archive/LhaArchiver.h"
#include "archive/OtherArchivers.h"
#include "archive/PackCollector.h"
#include "platform/codepage.h"
#include "support/TestFiles.h"

#include <QVariantList>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace mv;
using namespace Qt::Literals::StringLiterals;

TEST(CmdOpt, NumbersAreEmittedOnlyWhenSet) {
    TCmdOpt cmd;
    cmd.AddNumOption("x", -1);
    cmd.AddNumOption("jso", 1);
    cmd.AddNumOption("r", 0);
    cmd.AddNumOption("m", 127);
    EXPECT_EQ(cmd.Text(), " -jso1 -r0 -m127");
}

TEST(CmdOpt, TextAlwaysAddsItsBlank) {
    TCmdOpt cmd;
    cmd.AddText("");
    cmd.AddText("-+");
    cmd.AddText("");
    EXPECT_EQ(cmd.Text(), "  -+ ");
}

TEST(CmdOpt, StringOptionsQuoteAndNameTheValue) {
    TCmdOpt cmd;
    cmd.AddStrOption("", "a b.lzh");
    cmd.AddStrOption("jo", "20240101");
    cmd.AddStrOption(" gr", "x"); // a leading blank drops the dash
    cmd.AddStrOption("jz", NotSetText());
    cmd.AddStrOption("jx", ""); // empty is a value, not "not set"
    EXPECT_EQ(cmd.Text(), R"( "a b.lzh" "-jo20240101" "grx" "-jx")");

    TCmdOpt quoted;
    quoted.QuoteStyle = true;
    quoted.AddStrOption("w", "/tmp");
    quoted.AddStrOption(" gr", "x");
    quoted.AddStrOption("", "n");
    EXPECT_EQ(quoted.Text(), R"( -w "/tmp" gr "x" "n")");
}

TEST(CmdOpt, PathsGetExactlyOneTrailingSlash) {
    TCmdOpt cmd;
    cmd.AddPathOption("", "/home/u/Favorites");
    cmd.AddPathOption("", "/home/u/Favorites/");
    cmd.AddPathOption("w", "/tmp");
    cmd.AddPathOption("", "");
    cmd.AddPathOption("w", NotSetText());
    EXPECT_EQ(cmd.Text(), R"( "/home/u/Favorites/" "/home/u/Favorites/" "-w/tmp/")");
}

TEST(CmdOpt, FileListsConvertEachNameAndSkipNothing) {
    TCmdOpt cmd;
    cmd.ConvertName = [](const std::string& s) { return "conv/" + s; };
    cmd.AddFileList("", {"a.url", "b c.url"});
    cmd.ConvertName = nullptr;
    cmd.AddFileList("jx", {"*.bak"});
    EXPECT_EQ(cmd.Text(), R"( "conv/a.url" "conv/b c.url" "-jx*.bak")");
}

TEST(CmdOpt, ResponseFileHoldsQuotedNamesWithCrLf) {
    mvtest::TempDir dir;
    const std::string res = dir / "list.txt";
    mvtest::writeBytes(res, "old content that must go away\r\n");
    TCmdOpt cmd;
    EXPECT_EQ(cmd.AddResponseFile({"a.url", "sub/b.url"}, res), 2);
    EXPECT_EQ(cmd.Text(), " \"@" + res + "\"");
    EXPECT_EQ(mvtest::readBytes(res), "\"a.url\"\r\n\"sub/b.url\"\r\n");

    TCmdOpt failing;
    EXPECT_THROW(failing.AddResponseFile({"a"}, dir / "missing/list.txt"), mv::Error);
}

// Runs `body` in a child process, with files limited to `maxBytes` when it is not zero (a
// write past it fails as on a full disk). Returns the child's exit code, 77 when the limit
// cannot be set.
int inChild(const std::function<int()>& body, rlim_t maxBytes = 0) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{maxBytes, maxBytes};
        if (maxBytes && ::setrlimit(RLIMIT_FSIZE, &lim) != 0) ::_exit(77);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The response file and a self-extractor are replaced whole or not at all: a write that fails
// part-way leaves the file that was there before.
TEST(ReplacedFiles, FailedWriteLeavesTheOldFileWhole) {
    mvtest::TempDir dir;
    const std::string res = dir / "list.txt";
    mvtest::writeBytes(res, "\"old.url\"\r\n");
    const std::vector<std::string> many(400, std::string(40, 'n') + ".url");
    EXPECT_EQ(inChild(
                  [&] {
                      try {
                          TCmdOpt().AddResponseFile(many, res);
                      } catch (const mv::Error&) {
                          return 0;
                      }
                      return 1;
                  },
                  4096),
              0);
    EXPECT_EQ(mvtest::readBytes(res), "\"old.url\"\r\n");

    const std::string stub(8192, 'S');
    mvtest::writeBytes(dir / "7z.sfx", stub);
    mvtest::writeBytes(dir / "a.7z", "7z archive");
    mvtest::writeBytes(dir / "a.exe", "older program");
    auto makeSfx = [&] {
        ::setenv("PATH", dir.path().c_str(), 1); // 7z.sfx is looked up there
        TSevenZip32 sevenZip;
        TOutputBuffer out(16, 'x');
        TArchiverOptions o;
        o.gw = 1;
        try {
            sevenZip.MakeSfx(nullptr, dir / "a.7z", out, "", o);
        } catch (const mv::Error& e) {
            return e.text() == QString::fromStdString(dir / "a.exe") + u" に書き込めません"_s ? 2
                                                                                              : 3;
        }
        return out[0] == '\0' ? 0 : 4;
    };
    EXPECT_EQ(inChild(makeSfx, 4096), 2);
    EXPECT_EQ(mvtest::readBytes(dir / "a.exe"), "older program");
    EXPECT_EQ(inChild(makeSfx), 0);
    EXPECT_EQ(mvtest::readBytes(dir / "a.exe"), stub + "7z archive");
    const auto leftovers = std::count_if(
        std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator(),
        [](const auto& e) { return e.path().filename().string().starts_with(".markvane-"); });
    EXPECT_EQ(leftovers, 0);
}

TEST(FileArgs, FlattenEveryKindInOrderDroppingEmptyTexts) {
    const char* array[] = {"p1", "", "p2", nullptr};
    TFileArgs args{std::string("s1"),
                   "",
                   "c1",
                   static_cast<const char* const*>(array),
                   std::vector<std::string>{"l1", "", "l2"},
                   QVariant(QVariantList{u"v1"_s, 7, QString()}),
                   QVariant(3.5)};
    EXPECT_EQ(FlattenFileArgs(args),
              (std::vector<std::string>{"s1", "c1", "p1", "p2", "l1", "l2", "v1", "7", "3.5"}));
}

TEST(ArchiverOptions, ResetUnsetsEverythingAndAssignCopiesEverything) {
    TArchiverOptions o;
    EXPECT_EQ(o.a, -1);
    EXPECT_EQ(o.gw, -1);
    EXPECT_EQ(o.jso, -1);
    EXPECT_TRUE(IsNotSet(o.w) && IsNotSet(o.jo) && IsNotSet(o.job) && IsNotSet(o.jz) &&
                IsNotSet(o.gr));
    EXPECT_TRUE(o.jx.empty() && o.UserOptions.empty() && o.ResFileName.empty());
    EXPECT_EQ(o.PackFilter, pfComponent);
    EXPECT_EQ(o.ResFileUsage, (TResFileUsage{ruOnPack, ruOnUnpack, ruOnRemoveItem}));
    EXPECT_FALSE(o.ResFileUsage.Contains(ruOnUpdate));

    o.x = 1;
    o.gw = 2;
    o.jx = {"*.bak", "*.tmp"};
    o.jo = "20240101";
    o.UserFileList = "extra";
    o.PackFilter = pfArchiver;
    o.ResFileUsage.Exclude(ruOnPack);
    TArchiverOptions copy;
    copy.Assign(o);
    EXPECT_EQ(copy, o);
    o.Reset();
    EXPECT_EQ(o, TArchiverOptions());
    EXPECT_NE(copy, o);
}

namespace {

TArchiverOptions archiveCommandOptions() {
    TArchiverOptions o;
    o.x = 1;
    o.r = 1;
    o.jso = 1;
    return o;
}

} // namespace

TEST(LhaCommandLine, PackLineOfTheArchiveCommand) {
    TArchiverOptions o = archiveCommandOptions();
    o.r = -1; // what the collector leaves
    o.p = 1;
    EXPECT_EQ(LhaCommandLine("u", "/out/fav.lzh", {"a.url", "sub/b.url"}, true, "/home/u/Favorites",
                             true, o, false),
              R"(u -+ -p1 -x1 -jso1  "/out/fav.lzh" "/home/u/Favorites/" "a.url" "sub/b.url" )");
}

TEST(LhaCommandLine, SwitchesFollowTheFamilyOrder) {
    TArchiverOptions o;
    o.jso = 1;
    o.gw = 1, o.gr = "R", o.ga = 2, o.jz = "Z", o.jyo = 1, o.jyc = 0, o.jx = {"*.bak", "t*"};
    o.jw = 3, o.jsb = 1, o.jp = 0, o.job = "B", o.jo = "O", o.jn = 1, o.jc = 1, o.x = 1;
    o.w = "/work", o.u = 1, o.o = 1, o.n = 0, o.m = 2, o.a = 1;
    o.UserOptions = "-user";
    o.UserFileList = "tail";
    EXPECT_EQ(LhaCommandLine("u", "A", {"f"}, true, "B", true, o, false),
              "u -+ -a1 -m2 -n0 -o1 -u1 \"-w/work/\" -x1 -jc1 -jn1 \"-joO\" \"-jobB\" -jp0 "
              "-jsb1 -jso1 -jw3 \"-jx*.bak\" \"-jxt*\" -jyc0 -jyo1 \"-jzZ\" -ga2 \"-grR\" -gw1 "
              "-user \"A\" \"B/\" \"f\" tail");
}

TEST(LhaCommandLine, ProgressWindowForcesN1) {
    TArchiverOptions o;
    o.jso = 1;
    o.n = 0;
    EXPECT_EQ(LhaCommandLine("u", "A", {}, true, "B", false, o, true),
              R"(u -+ -n1 -jso1  "A" "B/" )");
}

TEST(LhaCommandLine, RemoveLeavesOutTheBaseFolderAndResponseFileReplacesNames) {
    mvtest::TempDir dir;
    TArchiverOptions o;
    o.jso = 1;
    o.ResFileName = dir / "res.txt";
    EXPECT_EQ(LhaCommandLine("d", "A", {"n1", "n2"}, false, "B", true, o, false),
              "d -+ -jso1  \"A\" \"@" + o.ResFileName + "\" ");
    EXPECT_EQ(mvtest::readBytes(o.ResFileName), "\"n1\"\r\n\"n2\"\r\n");
    // Not allowed for this operation: the names stay on the line.
    EXPECT_EQ(LhaCommandLine("d", "A", {"n1"}, false, "B", false, o, false),
              R"(d -+ -jso1  "A" "n1" )");
    o.ResFileName = NotSetText();
    EXPECT_EQ(LhaCommandLine("d", "A", {"n1"}, false, "B", true, o, false),
              R"(d -+ -jso1  "A" "n1" )");
}

TEST(LhaCommandLine, MissingJsoOrJseIsRefused) {
    TArchiverOptions o;
    try {
        LhaCommandLine("u", "A", {"f"}, true, "B", false, o, false);
        FAIL() << "jso unset must be refused";
    } catch (const EAssertionFailed& e) {
        EXPECT_TRUE(e.text().startsWith(u"jso オプションが設定されていません。"_s));
    }
    o.jso = 1;
    try {
        LhaCommandLine("x", "A", {"f"}, true, "B", false, o, false);
        FAIL() << "jse unset must be refused for extract";
    } catch (const EAssertionFailed& e) {
        EXPECT_TRUE(e.text().startsWith(u"jse オプションが設定されていません。"_s));
    }
    o.jse = 0;
    EXPECT_EQ(LhaCommandLine("x", "A", {}, true, "B", false, o, false),
              R"(x -+ -jse0 -jso1  "A" "B/" )");
}

TEST(ArchiverType, ExtensionsSelectTypesIgnoringCase) {
    EXPECT_EQ(ArchiverTypeOfName("/x/fav.lzh"), atLha);
    EXPECT_EQ(ArchiverTypeOfName("/x/FAV.LZH"), atLha);
    EXPECT_EQ(ArchiverTypeOfName("a.JAR"), atZip);
    EXPECT_EQ(ArchiverTypeOfName("a.tar.gz"), atTgz);
    EXPECT_EQ(ArchiverTypeOfName("a.Z"), atTgz);
    EXPECT_EQ(ArchiverTypeOfName("a.cpio"), atTar);
    EXPECT_EQ(ArchiverTypeOfName("a.bza"), atBga);
    EXPECT_EQ(ArchiverTypeOfName("a.7z"), at7z);
    EXPECT_EQ(ArchiverTypeOfName("a.gca"), atGCA);
    EXPECT_EQ(ArchiverTypeOfName("a.exe"), atAutoDetect);
    EXPECT_EQ(ArchiverTypeOfName("a.lzhx"), atNone);
    EXPECT_EQ(ArchiverTypeOfName("noext"), atNone);
    EXPECT_EQ(ArchiverTypeOfName("/dir.lzh/noext"), atNone); // a folder's dot is no extension
}

TEST(Masks, MatchLikeTheFindFunctions) {
    EXPECT_TRUE(MatchFileMask("Site.URL", "*.url"));
    EXPECT_TRUE(MatchFileMask("abc.url", "a*"));
    EXPECT_TRUE(MatchFileMask("a.b.url", "*.url"));
    EXPECT_FALSE(MatchFileMask("a.url.txt", "*.url"));
    EXPECT_TRUE(MatchFileMask("noext", "*.*"));
    EXPECT_TRUE(MatchFileMask("noext", "*."));
    EXPECT_FALSE(MatchFileMask("a.url", "*."));
    EXPECT_TRUE(MatchFileMask("ab.url", "a?.url"));
    EXPECT_FALSE(MatchFileMask("abc.url", "a?.url"));
    EXPECT_TRUE(MatchFileMask("あ.url", "?.url")); // one character, three bytes
    EXPECT_FALSE(MatchFileMask("あ.url", "??.url"));
    EXPECT_TRUE(MatchFileMask("aXbXc", "*b*c"));
    EXPECT_FALSE(MatchFileMask("a.url", ""));
}

TEST(DateBounds, ParseBothLengthsWithDefaultTimes) {
    EXPECT_EQ(ParseDateBound(NotSetText(), 0), std::nullopt);
    EXPECT_EQ(ParseDateBound("2024011", 0), std::nullopt); // 7 digits: no bound
    EXPECT_EQ(ParseDateBound("20240229", 0), 20240229000000);
    EXPECT_EQ(ParseDateBound("l20240229", 235959), 20240229235959);
    EXPECT_EQ(ParseDateBound("20240229123456", 235959), 20240229123456);
    // Two-digit years fall into the hundred years starting 50 years ago.
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    const int year = tm.tm_year + 1900;
    const int pastTwoDigits = (year - 50) % 100, thisTwoDigits = year % 100;
    auto twoDigit = [](int y) { return (y < 10 ? "0" : "") + std::to_string(y); };
    EXPECT_EQ(*ParseDateBound(twoDigit(pastTwoDigits) + "0101", 0) / 10000000000, year - 50);
    EXPECT_EQ(*ParseDateBound(twoDigit(thisTwoDigits) + "0101", 0) / 10000000000, year);
    EXPECT_EQ(ParseDateBound("240101101112", 0).value() % 1000000, 101112);

    EXPECT_THROW(ParseDateBound("2024x101", 0), mv::Error);
    EXPECT_THROW(ParseDateBound("20230229", 0), mv::Error);
    EXPECT_THROW(ParseDateBound("20240101246000", 0), mv::Error);
}

TEST(Errors, MessagesAreFilledIn) {
    EXPECT_EQ(noArchiverDllError("LHA 形式書庫", "UNLHA32.DLL").text(),
              u"LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。"_s);
    EXPECT_EQ(entryNotFoundError("/x/libunlha32.so", "Unlha").text(),
              u"/x/libunlha32.so に Unlha のエントリが見つかりません。"_s);
    ESfxNoRequiredFile sfx("7z", "7z.sfx", "Win32");
    EXPECT_EQ(sfx.text(),
              u"7z 書庫からのWin32自己解凍書庫の作成には '7z.sfx' ファイルが必要です。"_s);
    EXPECT_EQ(sfx.FormatName(), "7z");
    EXPECT_EQ(sfx.FileName(), "7z.sfx");
    EXPECT_EQ(sfx.Platform(), "Win32");
    EXPECT_EQ(ESfxNoRequiredFile("tar", "kmtarsef.exe").text(),
              u"tar 書庫からの自己解凍書庫の作成には 'kmtarsef.exe' ファイルが必要です。"_s);
}

TEST(Errors, BaseArchiverRefusesWhatAFormatDoesNotOffer) {
    struct Bare : TArchiver {};
    Bare bare;
    TOutputBuffer out;
    TArchiverOptions o;
    auto message = [](auto&& call) {
        try {
            call();
        } catch (const EArchiver& e) {
            return e.text();
        }
        return QString();
    };
    EXPECT_EQ(message([&] { bare.PackFiles(nullptr, "a", out, false, {}, "", o); }),
              u"この形式では書庫ファイルの作成をサポートしておりません。"_s);
    EXPECT_EQ(message([&] { bare.RemoveItems(nullptr, "a", out, false, {}, o); }),
              u"この形式の書庫ではファイルの削除をサポートしておりません。"_s);
    EXPECT_EQ(message([&] { bare.UpdateFiles(nullptr, "a", out, false, {}, "", o); }),
              u"この形式の書庫では書庫の更新をサポートしておりません。"_s);
    EXPECT_EQ(message([&] { bare.MakeSfx(nullptr, "a", out, "", o); }),
              u"この形式では自己解凍書庫の作成をサポートしておりません。"_s);
    std::vector<char> data;
    EXPECT_EQ(message([&] { bare.ExtractMem(nullptr, "a", "n", data, o); }),
              u"この形式ではメモリへの展開をサポートしておりません。"_s);
    EXPECT_EQ(message([&] { bare.CheckArchive("a", 0); }),
              u"この形式では書庫チェック機能をサポートしておりません。"_s);
    EXPECT_EQ(message([&] { bare.LoadDLL(); }),
              u"Abstract method 'TArchiver.LoadDLL' was called"_s);
    EXPECT_EQ(message([&] { bare.FreeDLL(); }),
              u"Abstract method 'TArchiver.FreeDLL' was called"_s);
    EXPECT_EQ(bare.Version(), 0);
    EXPECT_EQ(bare.FileCount("a"), -1);
    EXPECT_EQ(bare.Ratio("a"), -1);
    EXPECT_EQ(bare.Running(), 0);
}

TEST(VersionText, DividesByAHundredInShortestForm) {
    EXPECT_EQ(VersionText(267), "2.67");
    EXPECT_EQ(VersionText(200), "2");
    EXPECT_EQ(VersionText(250), "2.5");
    EXPECT_EQ(VersionText(1), "0.01");
    EXPECT_EQ(VersionText(0), "0");
}
