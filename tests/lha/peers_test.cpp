// Archives written by the library, checked by independent readers: lhasa, bsdtar (libarchive),
// 7zz (7-Zip) and jlha. Trees of 1, 100 and 10,000 generated favorites.
#include "codepage.h"
#include "fixtures/corpus.h"
#include "lha_test_support.h"
#include "unlha32.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>

namespace lha {
namespace {

using namespace lha::test;

// The name as a reader without CP932 support sees it: the CP932 name field's bytes.
std::string cp932Path(const std::string& utf8Path) {
    std::string out;
    std::size_t start = 0;
    while (true) {
        const auto slash = utf8Path.find('/', start);
        out += utf8ToCp932Lossy(utf8Path.substr(start, slash - start));
        if (slash == std::string::npos) break;
        out += '/';
        start = slash + 1;
    }
    return out;
}

std::map<std::string, std::string> renamed(const std::map<std::string, std::string>& tree,
                                           bool backslashSplits) {
    std::map<std::string, std::string> out;
    for (const auto& [name, data] : tree) {
        std::string n = cp932Path(name);
        if (backslashSplits) // 7zz on Linux takes a CP932 trail byte 0x5C for a separator
            for (char& c : n)
                if (c == '\\') c = '/';
        out[n] = data;
    }
    return out;
}

class PeerArchive : public ::testing::TestWithParam<std::size_t> {};

TEST_P(PeerArchive, ListsTestsAndExtractsByteForByte) {
    const std::size_t count = GetParam();
    TempDir dir;
    const fs::path base = dir.path() / "Favorites";
    fixtures::FavoriteTreeOptions opt;
    opt.count = count;
    opt.seed = static_cast<std::uint32_t>(count);
    auto names = fixtures::writeFavoriteTree(base, opt);
    if (count > 1) {
        // The awkward files: empty, 1 MiB of text, incompressible, characters CP932 lacks.
        std::mt19937 gen(5);
        std::string noise(300000, 0);
        for (char& c : noise)
            c = static_cast<char>(gen());
        const std::vector<std::pair<std::string, std::string>> extras = {
            {"空のファイル.url", ""},
            {"大きい/1MiB テキスト.txt", fixtures::generateText(1 << 20, 3)},
            {"random データ.bin", noise},
            {"emoji 😀 é 〜.url", fixtures::shortcutText("https://example.com/é", 1)},
        };
        for (const auto& [n, data] : extras) {
            writeFile(base / fs::u8path(n), data);
            names.push_back(n);
        }
    }
    // Known, distinct modification times, to check the stamps the readers restore.
    for (std::size_t i = 0; i < names.size(); ++i)
        setMtime(base / fs::u8path(names[i]), 1600000000 + static_cast<std::int64_t>(i) * 61);
    const auto expected = readTree(base);
    ASSERT_EQ(expected.size(), names.size());

    const std::string arc = (dir.path() / "fav.lzh").string();
    const auto r = runLha(programCommandLine(arc, base.string(), names));
    ASSERT_EQ(r.code, 0) << r.log;
    EXPECT_EQ(runLha("t \"" + arc + "\"").code, 0);

    // Every reader streams the data of all entries, in order, byte for byte.
    std::string all;
    for (const auto& n : names)
        all += expected.at(fs::u8path(n).string());
    EXPECT_TRUE(runTool({"bsdtar", "-xOf", arc}).out == all);
    EXPECT_TRUE(runTool({"lhasa", "pq", arc}).out == all);
    EXPECT_TRUE(runTool({"7zz", "x", "-so", arc}).out == all);
    const auto t = runTool({"7zz", "t", arc});
    EXPECT_EQ(t.status, 0) << t.out << t.err;
    EXPECT_NE(t.out.find("Everything is Ok"), std::string::npos);
    // bsdtar lists the exact Unicode names.
    std::string listing;
    for (const auto& n : names)
        listing += n + "\n";
    EXPECT_TRUE(runTool({"bsdtar", "--options", "hdrcharset=CP932", "-tf", arc}).out == listing);

    // Extraction to disk: names, data and times. Creating 10,000 files three times over
    // would take most of a minute on a slow disk, and adds nothing the streams above and the
    // 100-file tree do not check.
    if (count <= 100) {
        {
            // bsdtar: Unicode names exactly, with their times.
            const fs::path out = dir.path() / "bsdtar";
            fs::create_directories(out);
            const auto x = runTool(
                {"bsdtar", "--options", "hdrcharset=CP932", "-xf", arc, "-C", out.string()});
            ASSERT_EQ(x.status, 0) << x.err;
            EXPECT_TRUE(readTree(out) == expected);
            for (std::size_t i = 0; i < names.size(); ++i) {
                struct stat st;
                ASSERT_EQ(::stat((out / fs::u8path(names[i])).c_str(), &st), 0) << names[i];
                EXPECT_EQ(st.st_mtime, 1600000000 + static_cast<std::int64_t>(i) * 61) << names[i];
            }
        }
        {
            // lhasa writes the CP932 name bytes as they are.
            const fs::path out = dir.path() / "lhasa";
            fs::create_directories(out);
            const auto x = runTool({"lhasa", "xq", arc}, out);
            ASSERT_EQ(x.status, 0) << x.err;
            EXPECT_TRUE(readTree(out) == renamed(expected, false));
        }
        {
            const fs::path out = dir.path() / "7z";
            const auto x = runTool({"7zz", "x", "-y", "-o" + out.string(), arc});
            ASSERT_EQ(x.status, 0) << x.out << x.err;
            EXPECT_TRUE(readTree(out) == renamed(expected, true));
        }
    }
    // jlha (Java): its test command reports each entry; failures only go to stderr.
    {
        const auto jt = runTool({"jlha", "t", arc});
        EXPECT_EQ(jt.status, 0);
        EXPECT_EQ(jt.err, "");
        std::size_t tested = 0;
        for (std::size_t at = 0; (at = jt.out.find("- Tested", at)) != std::string::npos; ++at)
            ++tested;
        EXPECT_EQ(tested, names.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Favorites, PeerArchive, ::testing::Values(1, 100, 10000));

TEST(PeerArchive, NameFieldsOfTheHeader) {
    // One entry whose name needs every field: CP932 name and folder with "_" for what CP932
    // lacks, code page 932, exact UTF-16 name and folder.
    TempDir dir;
    const std::string name = "フォルダ é/サイト 😀.url";
    writeFile(dir.path() / "b" / fs::u8path(name), "data");
    const std::string arc = (dir.path() / "a.lzh").string();
    ASSERT_EQ(runLha(programCommandLine(arc, (dir.path() / "b").string(), {name})).code, 0);
    const std::string a = readFile(arc);
    auto has = [&](const std::string& bytes) { return a.find(bytes) != std::string::npos; };
    EXPECT_TRUE(has(std::string("\x01") + utf8ToCp932Lossy("サイト _.url")));
    EXPECT_TRUE(has(std::string("\x02") + utf8ToCp932Lossy("フォルダ _") + "\xFF"));
    EXPECT_TRUE(has(std::string("\x46\xA4\x03\x00\x00", 5)));
    EXPECT_TRUE(has("\x44" + utf8ToUtf16le("サイト 😀.url")));
    EXPECT_TRUE(has("\x45" + utf8ToUtf16le("フォルダ é") + "\xFF\xFF"));
    EXPECT_EQ(a.substr(2, 5), "-lh0-");
    EXPECT_EQ(a[19], '\x20');
    EXPECT_EQ(a[20], '\x02');
    EXPECT_EQ(a[23], 'M');
    EXPECT_EQ(a.back(), '\0');

    // bsdtar reads the Unicode fields back exactly, lhasa the CP932 ones.
    const auto list = runTool({"bsdtar", "--options", "hdrcharset=CP932", "-tf", arc});
    EXPECT_EQ(list.out, name + "\n");
}

TEST(PeerArchive, HeaderSizesNeverEndInAZeroByte) {
    // Names of every length from 150 to 247 bytes: some would make a header size end in 0x00,
    // so that the header starts with 0x00, the end marker. The format's padding byte is
    // misread by 7-Zip; the writer must avoid such sizes, and every reader must agree.
    TempDir dir;
    const fs::path base = dir.path() / "b";
    std::vector<std::string> names;
    for (std::size_t len = 150; len <= 247; ++len) {
        std::string n = std::to_string(len) + "-" + std::string(len, 'n') + ".url";
        writeFile(base / n, n);
        names.push_back(n);
    }
    const std::string arc = (dir.path() / "a.lzh").string();
    ASSERT_EQ(runLha(programCommandLine(arc, base.string(), names)).code, 0);
    const std::string a = readFile(arc);
    std::size_t entries = 0;
    for (std::size_t at = 0; at < a.size() && a[at] != 0; ++entries) {
        const auto u = [&](std::size_t k) { return static_cast<std::uint8_t>(a[at + k]); };
        at += (u(0) | u(1) << 8) + (u(7) | u(8) << 8 | u(9) << 16 | u(10) << 24);
    }
    EXPECT_EQ(entries, names.size());
    const auto t = runTool({"7zz", "t", arc});
    EXPECT_EQ(t.status, 0) << t.out;
    const auto l = runTool({"bsdtar", "-tf", arc});
    EXPECT_EQ(l.status, 0) << l.err;
    EXPECT_EQ(std::count(l.out.begin(), l.out.end(), '\n'), static_cast<long>(names.size()));
}

} // namespace
} // namespace lha
