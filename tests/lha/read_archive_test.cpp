// The archive reader: where an archive ends, each integrity check hit and just missed, and
// time stamps across daylight-saving changes.
#include "error.h"
#include "header_reader.h"
#include "read_fixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <optional>

namespace lha {
namespace {

using namespace lha::test;

struct Outcome {
    int error = 0; // LhaError code, 0 when read
    std::vector<ArchiveEntry> entries;
};

Outcome read(const std::string& archive) {
    Outcome o;
    try {
        o.entries = readArchive(bytesOf(archive));
    } catch (const LhaError& e) {
        o.error = e.code();
    }
    return o;
}

std::vector<std::string> namesOf(const Outcome& o) {
    std::vector<std::string> v;
    for (const auto& e : o.entries)
        v.push_back(e.path);
    return v;
}

TEST(ReadArchive, WhereTheArchiveEnds) {
    const std::string a = level2Entry("a", "A");
    const std::string b = level2Entry("b", "B", 256); // its header starts with 0x00
    const std::string c = level2Entry("c", "C");
    ASSERT_EQ(b[0], '\0');
    std::string damaged = a + c + '\0';
    damaged[0] = '\0';
    struct Case {
        const char* what;
        std::string bytes;
        int error;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"empty file", "", UNLHA_ERROR_NOT_ARC_FILE, {}},
        {"only the end marker", std::string(1, '\0'), UNLHA_ERROR_NOT_ARC_FILE, {}},
        {"zero byte, then text", '\0' + std::string(903, 'x'), UNLHA_ERROR_NOT_ARC_FILE, {}},
        {"first byte damaged", damaged, UNLHA_ERROR_HEADER_BROKEN, {}},
        {"one entry", a + '\0', 0, {"a"}},
        {"no end marker", a, 0, {"a"}},
        {"a byte after the end", a + '\0' + 'x', UNLHA_ERROR_HEADER_BROKEN, {}},
        {"a zero after the end", a + '\0' + '\0', UNLHA_ERROR_HEADER_BROKEN, {}},
        {"entries after a stray zero", a + '\0' + c + '\0', UNLHA_ERROR_HEADER_BROKEN, {}},
        {"header size 256 in the middle", a + b + c + '\0', 0, {"a", "b", "c"}},
        {"header size 256 first", b + c + '\0', 0, {"b", "c"}},
        {"header size 257", a + level2Entry("b", "B", 257) + c + '\0', 0, {"a", "b", "c"}},
        {"garbage after an entry", a + "xyz", UNLHA_ERROR_HEADER_BROKEN, {}},
    };
    for (const Case& k : cases) {
        const Outcome o = read(k.bytes);
        EXPECT_EQ(o.error, k.error) << k.what;
        EXPECT_EQ(namesOf(o), k.names) << k.what;
    }
}

// One archive per case, changed by the case; each check is met once and missed once.
TEST(ReadArchive, IntegrityChecks) {
    const std::string attr("\x21\x00", 2);
    const std::string l0 = level01Entry(0, "name", "data");
    const std::string l1 = level01Entry(1, "name", "data", 0x56EF6000, 'M', {{0x40, attr}});
    const std::string l1Named = level01Entry(1, "x", "data", 0x56EF6000, 'M', {{0x01, "name"}});
    const std::string l1Empty = level01Entry(1, "name", "", 0x56EF6000, 'M', {{0x40, attr}});
    const std::string l2 = level2Entry("name", "data", 0, 'M', 0, {{0x7E, ""}, {0x40, attr}});
    const std::size_t l2Ext = 26 + 5 + 7; // 0x7E ext, after the common and name headers
    const std::size_t l2Last = l2Ext + 3; // 0x40 ext, the last one
    using Change = std::function<void(std::string&)>;
    auto set = [](std::size_t at, char v) { return [=](std::string& s) { s[at] = v; }; };
    auto both = [](Change a, Change b) {
        return [=](std::string& s) {
            a(s);
            b(s);
        };
    };
    auto sum01 = [](std::string& s) { fixLevel01Checksum(s, 0); };
    auto crc2 = [](std::string& s) { fixLevel2Crc(s, 0); };
    auto size16 = [](std::size_t at, unsigned v) {
        return [=](std::string& s) {
            s[at] = static_cast<char>(v & 0xFF);
            s[at + 1] = static_cast<char>(v >> 8);
        };
    };
    struct Case {
        const char* what;
        std::string archive;
        Change change;
        int error;
        std::string name; // read back when there is no error
    };
    const Case cases[] = {
        {"level 0 as made", l0, [](std::string&) {}, 0, "name"},
        {"level 0 name changed", l0, set(22, 'N'), UNLHA_ERROR_HEADER_CRC, ""},
        {"level 0 name and checksum changed", l0, both(set(22, 'N'), sum01), 0, "Name"},
        {"level 0 checksum off by one", l0, set(1, static_cast<char>(l0[1] + 1)),
         UNLHA_ERROR_HEADER_CRC, ""},
        {"level 1 name changed", l1, set(22, 'N'), UNLHA_ERROR_HEADER_CRC, ""},
        {"level 1 name and checksum changed", l1, both(set(22, 'N'), sum01), 0, "Name"},
        // Level-1 extended headers are counted in the packed size and must fit into it.
        {"level 1 extensions fill the packed size", l1Empty, [](std::string&) {}, 0, "name"},
        {"level 1 extensions one past the packed size", l1Empty,
         both(set(7, static_cast<char>(l1Empty[7] - 1)), sum01), UNLHA_ERROR_HEADER_BROKEN, ""},
        {"level 1 name from its extension", l1Named, [](std::string&) {}, 0, "name"},
        {"level 1 extension size 2", l1Named, both(size16(25 + 1, 2), sum01),
         UNLHA_ERROR_HEADER_BROKEN, ""},
        {"level 2 name changed", l2, set(26 + 5 + 1, 'N'), UNLHA_ERROR_HEADER_CRC, ""},
        {"level 2 name and CRC changed", l2, both(set(26 + 5 + 1, 'N'), crc2), 0, "Name"},
        {"level 2 CRC off by one", l2, set(27, static_cast<char>(l2[27] + 1)),
         UNLHA_ERROR_HEADER_CRC, ""},
        // Extended headers must lie inside the header: the last one ends exactly at its end.
        {"level 2 last extension one byte longer", l2, both(size16(l2Ext + 1, 6), crc2),
         UNLHA_ERROR_HEADER_BROKEN, ""},
        {"level 2 last extension as long as it is", l2, both(size16(l2Ext + 1, 5), crc2), 0,
         "name"},
        {"level 2 empty extension, size 3", l2, [](std::string&) {}, 0, "name"},
        {"level 2 extension size 2", l2, both(size16(29, 2), crc2), UNLHA_ERROR_HEADER_BROKEN, ""},
        {"level 2 header size below the fixed part", l2, both(size16(0, 25), crc2),
         UNLHA_ERROR_HEADER_BROKEN, ""},
        // The packed data must be in the file.
        {"data to the last byte", l2, [](std::string&) {}, 0, "name"},
        {"data one byte short", l2, [](std::string& s) { s.pop_back(); }, UNLHA_ERROR_HEADER_BROKEN,
         ""},
    };
    ASSERT_EQ(static_cast<std::uint8_t>(l2[l2Ext]), 0x7E);
    ASSERT_EQ(static_cast<std::uint8_t>(l2[l2Last]), 0x40);
    for (const Case& c : cases) {
        std::string a = c.archive;
        c.change(a);
        const Outcome o = read(a);
        EXPECT_EQ(o.error, c.error) << c.what;
        if (c.error == 0 && o.error == 0) {
            ASSERT_EQ(o.entries.size(), 1u) << c.what;
            EXPECT_EQ(o.entries[0].path, c.name) << c.what;
        }
    }
}

// A header shorter than its fixed part, with a correct checksum: refused without reading
// past it (a bounds-checked build aborts on such a read).
TEST(ReadArchive, HeadersShorterThanTheFixedPart) {
    for (int level : {0, 1}) {
        for (unsigned length : {3u, 20u, 21u, 23u}) {
            std::string a = level01Entry(level, "", "");
            a[0] = static_cast<char>(length - 2);
            fixLevel01Checksum(a, 0);
            EXPECT_EQ(read(a).error, UNLHA_ERROR_HEADER_BROKEN) << level << " " << length;
        }
    }
    EXPECT_EQ(read(level01Entry(0, "", "") + '\0').error, 0);
}

class BerlinTime : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ")) saved_ = tz;
        ::setenv("TZ", "Europe/Berlin", 1);
        ::tzset();
    }
    void TearDown() override {
        if (saved_)
            ::setenv("TZ", saved_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::optional<std::string> saved_;
};

std::uint32_t dos(unsigned y, unsigned mo, unsigned d, unsigned h, unsigned mi, unsigned s) {
    return ((y - 1980) << 25) | (mo << 21) | (d << 16) | (h << 11) | (mi << 5) | (s / 2);
}

// DOS stamps are local time (summer time applies); Unix stamps are UTC whatever the zone.
TEST_F(BerlinTime, TimeStampsReadBackAcrossDaylightSaving) {
    struct Case {
        const char* what;
        std::uint32_t dosTime;
        std::int64_t unix;
    };
    const Case cases[] = {
        {"winter", dos(2023, 1, 15, 12, 0, 0), 1673780400},
        {"summer", dos(2023, 7, 15, 12, 0, 0), 1689415200},
        {"last winter hour before the change", dos(2023, 3, 26, 1, 30, 0), 1679790600},
        {"first summer hour after the change", dos(2023, 3, 26, 3, 30, 0), 1679794200},
        {"odd second rounds down", dos(2023, 7, 15, 12, 0, 59), 1689415200 + 58},
    };
    for (const Case& c : cases) {
        for (int level : {0, 1}) {
            const Outcome o = read(level01Entry(level, "n", "x", c.dosTime));
            ASSERT_EQ(o.error, 0) << c.what;
            EXPECT_EQ(o.entries[0].mtime, c.unix) << c.what << ", level " << level;
            EXPECT_TRUE(o.entries[0].dosTime);
        }
        EXPECT_EQ(unixToDosTime(c.unix), c.dosTime) << c.what;
        // Level 2 and the Unix time extension of level 1 are not shifted.
        const std::uint32_t t = static_cast<std::uint32_t>(c.unix);
        const std::string stamp{static_cast<char>(t), static_cast<char>(t >> 8),
                                static_cast<char>(t >> 16), static_cast<char>(t >> 24)};
        for (const std::string& a :
             {level2Entry("n", "x", 0, 'M', t),
              level01Entry(1, "n", "x", dos(1999, 1, 1, 0, 0, 0), 'U', {{0x54, stamp}})}) {
            const Outcome o = read(a);
            ASSERT_EQ(o.error, 0) << c.what;
            EXPECT_EQ(o.entries[0].mtime, c.unix) << c.what;
            EXPECT_FALSE(o.entries[0].dosTime);
        }
    }
}

} // namespace
} // namespace lha
