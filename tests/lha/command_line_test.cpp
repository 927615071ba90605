// The command-line parser: the program's exact form, quoting, switches, response files.
#include "command_line.h"
#include "error.h"
#include "lha_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace lha {
namespace {

using test::TempDir;
using test::writeFile;

std::vector<std::string> names(const CommandLine& cl) {
    std::vector<std::string> v;
    for (const auto& n : cl.names)
        v.push_back(n.utf8);
    return v;
}

int errorOf(const std::string& cmd, CodePage cp = CodePage::Utf8) {
    try {
        parseCommandLine(cmd, cp);
    } catch (const LhaError& e) {
        return e.code();
    }
    return 0;
}

TEST(CommandLine, ProgramFormWithAwkwardNames) {
    const auto cl = parseCommandLine(
        "u -+ -p1 -x1 -jso1  \"/tmp/x y/a.lzh\" \"/home/u/お気に入り/\" \"sub/a.url\" "
        "\"b c.url\" \"-dash.url\" \"日本語/ページ.url\" \"it's \"quoted\".url\" ",
        CodePage::Utf8);
    EXPECT_EQ(cl.command, 'u');
    EXPECT_EQ(cl.switches.p, 1);
    EXPECT_EQ(cl.switches.x, 1);
    EXPECT_EQ(cl.switches.jso, 1);
    EXPECT_EQ(cl.switches.r, 0);
    EXPECT_EQ(cl.archive.utf8, "/tmp/x y/a.lzh");
    ASSERT_TRUE(cl.baseFolder);
    EXPECT_EQ(cl.baseFolder->utf8, "/home/u/お気に入り/");
    EXPECT_EQ(names(cl), (std::vector<std::string>{"sub/a.url", "b c.url", "-dash.url",
                                                   "日本語/ページ.url", "it's \"quoted\".url"}));
}

TEST(CommandLine, SwitchForms) {
    auto cl = parseCommandLine("u -r2x1 -a1 -c -m1 -n2 -+1 -p0 \"-w/tmp/work dir/\" a.lzh f",
                               CodePage::Utf8);
    EXPECT_EQ(cl.switches.r, 2);
    EXPECT_EQ(cl.switches.x, 1);
    EXPECT_EQ(cl.switches.a, 1);
    EXPECT_EQ(cl.switches.c, 1); // a bare switch means 1
    EXPECT_EQ(cl.switches.p, 0);
    ASSERT_TRUE(cl.switches.workFolder);
    EXPECT_EQ(*cl.switches.workFolder, "/tmp/work dir/");
    cl = parseCommandLine("U -w\"/tmp/w/\" a.lzh b/ -x1 f", CodePage::Utf8);
    EXPECT_EQ(cl.command, 'u');
    EXPECT_EQ(*cl.switches.workFolder, "/tmp/w/");
    EXPECT_EQ(cl.switches.x, 1); // unquoted switches may follow the archive name
    EXPECT_EQ(cl.baseFolder->utf8, "b/");
    EXPECT_EQ(names(cl), std::vector<std::string>{"f"});
    // After "--" even unquoted dashes are names.
    cl = parseCommandLine("u a.lzh -- -x1", CodePage::Utf8);
    EXPECT_EQ(names(cl), std::vector<std::string>{"-x1"});
    // Only the first argument after the archive can be the base folder.
    cl = parseCommandLine("u a.lzh f sub/", CodePage::Utf8);
    EXPECT_FALSE(cl.baseFolder);
    EXPECT_EQ(names(cl), (std::vector<std::string>{"f", "sub/"}));
}

TEST(CommandLine, RefusesWhatItCannotHonour) {
    EXPECT_EQ(errorOf("u -q a.lzh f"), UNLHA_ERROR_NOT_SUPPORTED);
    EXPECT_EQ(errorOf("u -jyc1 a.lzh f"), UNLHA_ERROR_NOT_SUPPORTED);
    EXPECT_EQ(errorOf("u -gm1 a.lzh f"), UNLHA_ERROR_NOT_SUPPORTED);
    EXPECT_EQ(errorOf("u -x2 a.lzh f"), UNLHA_ERROR_NOT_SUPPORTED);
    EXPECT_EQ(errorOf("u -jso9 a.lzh f"), UNLHA_ERROR_NOT_SUPPORTED);
    EXPECT_EQ(errorOf("u -x1! a.lzh f"), UNLHA_ERROR_COMMAND);
    EXPECT_EQ(errorOf("u - a.lzh f"), UNLHA_ERROR_COMMAND);
    EXPECT_EQ(errorOf("u -w a.lzh f"), UNLHA_ERROR_COMMAND);
    EXPECT_EQ(errorOf("u \"a.lzh\" \"unterminated"), UNLHA_ERROR_COMMAND);
    EXPECT_EQ(errorOf("u \"a.lzh\" \"x\" y.url\""), UNLHA_ERROR_COMMAND);
    EXPECT_EQ(errorOf("x -jse1 a.lzh"), UNLHA_ERROR_NOT_SUPPORTED);
    EXPECT_EQ(errorOf("l a.lzh"), UNLHA_ERROR_NOT_SUPPORTED);
    EXPECT_EQ(errorOf("q a.lzh"), UNLHA_ERROR_COMMAND);
    EXPECT_EQ(errorOf("update a.lzh"), UNLHA_ERROR_COMMAND);
    EXPECT_EQ(errorOf("   "), UNLHA_ERROR_COMMAND);
    EXPECT_EQ(errorOf("u -x1"), UNLHA_ERROR_NO_FILENAME);
    // A quoted switch before the archive is still a switch and checked as one.
    EXPECT_EQ(errorOf("u \"-zz\" a.lzh f"), UNLHA_ERROR_NOT_SUPPORTED);
}

TEST(CommandLine, TokenizerKeepsBlanksAndQuotesInsideNames) {
    const auto t = tokenize("  a\t\"b  c\" \"\"  d\"e f\"g\" \"h\"\"\" ");
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].text, "a");
    EXPECT_EQ(t[1].text, "b  c");
    EXPECT_TRUE(t[1].quotedStart);
    EXPECT_EQ(t[2].text, "de f\"g"); // the inner quote is followed by text: part of the name
    EXPECT_EQ(t[3].text, "h\"\"");
}

TEST(CommandLine, ResponseFiles) {
    TempDir dir;
    const auto list = dir.path() / "list.txt";
    writeFile(list, "a.url\r\n\"b c.url\"\r\n\r\n  sub/日本.url  \n-d.url\n@e.url");
    auto cl = parseCommandLine("u \"a.lzh\" \"" + dir.str() + "/base/\" \"x.url\" \"@" +
                                   list.string() + "\" \"y.url\"",
                               CodePage::Utf8);
    EXPECT_EQ(names(cl), (std::vector<std::string>{"x.url", "a.url", "b c.url", "sub/日本.url",
                                                   "-d.url", "@e.url", "y.url"}));
    // Missing response file.
    EXPECT_EQ(errorOf("u a.lzh \"@" + dir.str() + "/none.txt\""), UNLHA_ERROR_RESPONSE_READ);
    // A favorite really named "@..." in the base folder is a name...
    writeFile(dir.path() / "base" / "@fav.url", "x");
    cl = parseCommandLine("u a.lzh \"" + dir.str() + "/base/\" \"@fav.url\"", CodePage::Utf8);
    EXPECT_EQ(names(cl), std::vector<std::string>{"@fav.url"});
    // ...but when a response file of the same name exists too, the line is ambiguous.
    const std::string cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    writeFile(dir.path() / "fav.url", "list");
    const int code = errorOf("u a.lzh \"" + dir.str() + "/base/\" \"@fav.url\"");
    std::filesystem::current_path(cwd);
    EXPECT_EQ(code, UNLHA_ERROR_COMMAND);
}

std::vector<PathArg> responseNames(const std::string& content, CodePage cp) {
    TempDir dir;
    writeFile(dir.path() / "list", content);
    return parseCommandLine("u a.lzh \"@" + dir.str() + "/list\"", cp).names;
}

TEST(CommandLine, ExactResponseFilesTakeEveryName) {
    // With the byte order mark, each line is a UTF-8 name byte for byte, in either code page.
    const std::vector<std::string> names = {"Say \"hi\" now.url",
                                            "d\" \"",
                                            " lead and trail .url ",
                                            "\"quoted\"",
                                            "-dash.url",
                                            "@at.url",
                                            "日本語/予定表.url",
                                            "emoji 😀 ¥ 〜.url",
                                            "back\\slash.url",
                                            "tab\there",
                                            "cr at end\r",
                                            "--",
                                            "*.url"};
    std::string lines = "\xEF\xBB\xBF", zeros = "\xEF\xBB\xBF";
    for (const auto& n : names) {
        lines += n + "\n";
        zeros += n + std::string(1, '\0');
    }
    for (const CodePage cp : {CodePage::Utf8, CodePage::Cp932}) {
        const auto got = responseNames(lines, cp);
        ASSERT_EQ(got.size(), names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(got[i].utf8, names[i]);
            EXPECT_EQ(got[i].fs, names[i]); // the disk is UTF-8 in the tests
        }
    }
    // Zero bytes end the names instead when there are any: line breaks are then names' own.
    auto withBreak = names;
    withBreak.push_back("line\nbreak.url");
    const auto got = responseNames(zeros + "line\nbreak.url", CodePage::Utf8);
    ASSERT_EQ(got.size(), withBreak.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].utf8, withBreak[i]);
    }
    // Bytes that are not UTF-8 are the disk's own and kept as they are.
    const auto raw = responseNames("\xEF\xBB\xBF"
                                   "caf\xE9.url\n",
                                   CodePage::Cp932);
    ASSERT_EQ(raw.size(), 1u);
    EXPECT_EQ(raw[0].fs, "caf\xE9.url");
    // Without the mark the plain form still trims and unquotes, in the command's code page.
    EXPECT_EQ(responseNames(" \"a b\" \r\n", CodePage::Utf8)[0].utf8, "a b");
    EXPECT_EQ(responseNames("\x95\x5C.url\n", CodePage::Cp932)[0].utf8, "表.url");
}

TEST(CommandLine, ResponseFileSizeIsBounded) {
    // The largest accepted file and one byte more.
    TempDir dir;
    const auto list = dir.path() / "list";
    for (const std::size_t size : {kMaxResponseFile, kMaxResponseFile + 1}) {
        std::string content = "x.url\n";
        content.resize(size, ' ');
        writeFile(list, content);
        const std::string cmd = "u a.lzh \"@" + list.string() + "\"";
        if (size <= kMaxResponseFile)
            EXPECT_EQ(names(parseCommandLine(cmd, CodePage::Utf8)),
                      std::vector<std::string>{"x.url"});
        else
            EXPECT_EQ(errorOf(cmd), UNLHA_ERROR_RESPONSE_READ);
    }
}

TEST(CommandLine, Cp932CommandLines) {
    // "日本/名前.url" in CP932; 0x5C inside 表 (0x95 0x5C) must not split anything.
    const std::string sjis = "\x93\xFA\x96\x7B/\x96\xBC\x91\x4F\x95\x5C.url";
    const auto cl = parseCommandLine("u -x1 \"a.lzh\" \"base/\" \"" + sjis + "\"", CodePage::Cp932);
    ASSERT_EQ(cl.names.size(), 1u);
    EXPECT_EQ(cl.names[0].utf8, "日本/名前表.url");
    EXPECT_EQ(cl.names[0].fs, "日本/名前表.url"); // the disk is UTF-8 in the tests
    // Bytes that are not CP932 are refused rather than guessed.
    EXPECT_EQ(errorOf("u a.lzh \"\x81\"", CodePage::Cp932), UNLHA_ERROR_COMMAND);

    TempDir dir;
    writeFile(dir.path() / "list.txt", sjis + "\r\n");
    const auto r = parseCommandLine("u a.lzh \"@" + dir.str() + "/list.txt\"", CodePage::Cp932);
    EXPECT_EQ(r.names[0].utf8, "日本/名前表.url");
}

TEST(CommandLine, FileSystemSpellingFollowsTheDisk) {
    // A UTF-8 command line for a Shift-JIS disk: paths are opened in CP932.
    const auto cl =
        parseCommandLine("u \"a.lzh\" \"お気に入り/\" \"表.url\"", CodePage::Utf8, CodePage::Cp932);
    EXPECT_EQ(cl.baseFolder->fs, "\x82\xA8\x8B\x43\x82\xC9\x93\xFC\x82\xE8/");
    EXPECT_EQ(cl.names[0].fs, "\x95\x5C.url");
    EXPECT_EQ(cl.names[0].utf8, "表.url");
}

TEST(CommandLine, ProcessCodePageFollowsMarkvaneAcp) {
    ::setenv("MARKVANE_ACP", "932", 1);
    EXPECT_EQ(processCodePage(), CodePage::Cp932);
    ::setenv("MARKVANE_ACP", "65001", 1);
    EXPECT_EQ(processCodePage(), CodePage::Utf8);
    ::unsetenv("MARKVANE_ACP");
    EXPECT_EQ(processCodePage(), CodePage::Utf8); // C.UTF-8 or C locale in tests
}

} // namespace
} // namespace lha
