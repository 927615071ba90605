// Names as the library stores them: every name reads back as stored (so an update finds the
// entry again), Windows tools get no stray folder separators, and both command code pages
// pack Japanese names exactly.
#include "codepage.h"
#include "lha_test_support.h"
#include "unlha32.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace lha {
namespace {

using namespace lha::test;

RunResult packList(const fs::path& arc, const fs::path& base,
                   const std::vector<std::string>& names) {
    const fs::path list = arc.parent_path() / "names.txt";
    writeFile(list, exactList(names));
    return runLha("u -+ -p1 -x1 -jso1 \"" + arc.string() + "\" \"" + base.string() + "/\" \"@" +
                  list.string() + "\"");
}

bool hasUtf16Name(const std::string& archive, const std::string& utf8) {
    return archive.find("\x44" + utf8ToUtf16le(utf8)) != std::string::npos;
}

TEST(StoredNames, ReadBackAsStoredAndUpdateInPlace) {
    struct Case {
        std::string disk;   // name on disk
        std::string stored; // name in the archive
        bool utf16;         // the UTF-16 name field is needed
    };
    const Case cases[] = {
        {"back\\slash.url", "back＼slash.url", false}, // a folder separator on Windows
        {"plain.url", "plain.url", false},
        {"caf\xE9.url", "caf\uFFFD.url", true}, // not UTF-8
        {"é/a.url", "é/a.url", true},           // only the folder lacks a CP932 form
        {"é/b 😀.url", "é/b 😀.url", true},
        {"😀 folder/sub/c.url", "😀 folder/sub/c.url", true},
        {"予定表.url", "予定表.url", false}, // CP932 trail byte 0x5C
        {"ソ/表.url", "ソ/表.url", false},
    };
    TempDir dir;
    const fs::path base = dir.path() / "Favorites";
    std::vector<std::string> disk, stored;
    for (const Case& c : cases) {
        writeFile(base / c.disk, c.stored); // no stray backslash in the data
        disk.push_back(c.disk);
        stored.push_back(c.stored);
    }
    const fs::path arc = dir.path() / "a.lzh";
    const auto r = packList(arc, base, disk);
    ASSERT_EQ(r.code, 0) << r.log;
    EXPECT_EQ(archiveNames(arc), stored);
    const std::string bytes = readFile(arc);
    for (const Case& c : cases) {
        const auto slash = c.stored.rfind('/');
        const std::string file = slash == std::string::npos ? c.stored : c.stored.substr(slash + 1);
        EXPECT_EQ(hasUtf16Name(bytes, file), c.utf16) << c.disk;
    }
    EXPECT_EQ(bytes.find("back\\slash"), std::string::npos);
    EXPECT_NE(bytes.find(*fromUtf8("back＼slash.url", CodePage::Cp932)), std::string::npos);

    // Unchanged files are found again: the second run adds nothing.
    const auto again = packList(arc, base, disk);
    ASSERT_EQ(again.code, 0) << again.log;
    EXPECT_EQ(archiveNames(arc), stored);
    EXPECT_EQ(readFile(arc), bytes);
}

class CommandCodePage : public ::testing::TestWithParam<CodePage> {
protected:
    void SetUp() override {
        if (GetParam() == CodePage::Cp932) ::setenv("MARKVANE_ACP", "932", 1);
    }
    void TearDown() override { ::unsetenv("MARKVANE_ACP"); }
    // Text of the command line in the command's code page.
    std::string text(const std::string& utf8) const {
        return GetParam() == CodePage::Cp932 ? *fromUtf8(utf8, CodePage::Cp932) : utf8;
    }
};

TEST_P(CommandCodePage, JapaneseNamesPackExactly) {
    // The disk spells names in UTF-8; the command speaks its own code page, the exact
    // response file UTF-8 whatever the code page.
    TempDir dir;
    const fs::path base = dir.path() / "お気に入り";
    const std::vector<std::string> onCommandLine = {"天気予報/東京.url", "予定表.url",
                                                    "ソフト.url"};
    const std::vector<std::string> inList = {"天気予報/大阪 ¥ 〜.url", "絵文字 😀.url",
                                             "Say \"hi\" now.url"};
    for (const auto& n : onCommandLine)
        writeFile(base / n, n);
    for (const auto& n : inList)
        writeFile(base / n, n);
    const std::string arc = (dir.path() / "書庫.lzh").string();
    std::string cmd = "u -+ -p1 -x1 -jso1 \"" + text(arc) + "\" \"" + text(base.string()) + "/\"";
    for (const auto& n : onCommandLine)
        cmd += " \"" + text(n) + "\"";
    writeFile(dir.path() / "list.txt", exactList(inList));
    cmd += " \"@" + (dir.path() / "list.txt").string() + "\"";
    const auto r = runLha(cmd);
    ASSERT_EQ(r.code, 0) << r.log;
    std::vector<std::string> all = onCommandLine;
    all.insert(all.end(), inList.begin(), inList.end());
    EXPECT_EQ(archiveNames(arc), all);
    EXPECT_NE(r.log.find(text("天気予報/東京.url")), std::string::npos); // the log's code page
    // Extracted by a reader that converts the names, the favorites come back whole.
    const fs::path out = dir.path() / "out";
    fs::create_directories(out);
    ASSERT_EQ(
        runTool({"bsdtar", "--options", "hdrcharset=CP932", "-xf", arc, "-C", out.string()}).status,
        0);
    EXPECT_TRUE(readTree(out) == readTree(base));
}

INSTANTIATE_TEST_SUITE_P(Both, CommandCodePage, ::testing::Values(CodePage::Utf8, CodePage::Cp932),
                         [](const auto& p) {
                             return p.param == CodePage::Cp932 ? "Cp932" : "Utf8";
                         });

} // namespace
} // namespace lha
