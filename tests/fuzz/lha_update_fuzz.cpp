// The u command on a mutated archive, as the program sends it. Refused: the archive is byte
// for byte what it was, and no temporary file is left. Accepted: the old archive was one the
// reader takes, and every old entry is in the new one byte for byte beside the added file.
#include "FuzzSupport.h"

#include "error.h"
#include "file_io.h"
#include "header_reader.h"
#include "run.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

namespace {

namespace fs = std::filesystem;

constexpr const char* kNewName = "zz-fuzz-new.url";

std::optional<std::vector<lha::ArchiveEntry>> entriesOf(const fs::path& arc) {
    try {
        lha::FileDescriptor fd(::open(arc.c_str(), O_RDONLY));
        if (!fd) return std::nullopt;
        return lha::readArchive(fd.get(), fs::file_size(arc));
    } catch (const lha::LhaError&) {
        return std::nullopt;
    }
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// Every entry as its path and its raw bytes (header and data).
std::multimap<std::string, std::string> rawEntries(const std::vector<lha::ArchiveEntry>& entries,
                                                   const std::string& bytes) {
    std::multimap<std::string, std::string> m;
    for (const auto& e : entries)
        m.emplace(e.path, bytes.substr(e.offset, e.span));
    return m;
}

const fs::path& base() {
    static const fs::path dir = [] {
        const fs::path b = mvfuzz::scratch() / "base";
        fs::create_directories(b);
        mvfuzz::writeBytes(b / kNewName, "[InternetShortcut]\r\nURL=http://example.com/\r\n");
        return b;
    }();
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path arc = mvfuzz::scratch() / "arc.lzh";
    const std::string before(reinterpret_cast<const char*>(data), size);
    mvfuzz::writeBytes(arc, before);
    const auto oldEntries = entriesOf(arc);

    const std::string cmd = "u -+ -p1 -x1 -jso1  \"" + arc.string() + "\" \"" + base().string() +
                            "/\" \"" + kNewName + "\" ";
    std::string log(8192, '\0');
    const int code = lha::runCommand(cmd.c_str(), log.data(), log.size());

    for (const auto& e : fs::directory_iterator(mvfuzz::scratch())) {
        const auto name = e.path().filename();
        FUZZ_CHECK(name == "arc.lzh" || name == "base", "left behind: " + name.string());
    }
    const std::string after = mvfuzz::readBytes(arc);
    fs::remove(arc);
    if (after == before) return 0;

    FUZZ_CHECK(code == 0, "failed with code " + std::to_string(code) + " but changed the archive");
    FUZZ_CHECK(oldEntries.has_value(), "replaced a file that is not an archive");
    mvfuzz::writeBytes(arc, after);
    const auto newEntries = entriesOf(arc);
    fs::remove(arc);
    FUZZ_CHECK(newEntries.has_value(), "wrote an archive it cannot read");

    auto kept = rawEntries(*newEntries, after);
    for (const auto& old : rawEntries(*oldEntries, before)) {
        const std::string& path = old.first;
        const std::string& raw = old.second;
        if (lower(path) == kNewName) continue; // the one entry the command may replace
        auto range = kept.equal_range(path);
        auto it =
            std::find_if(range.first, range.second, [&](const auto& k) { return k.second == raw; });
        FUZZ_CHECK(it != range.second, "old entry lost or changed: " + path);
        kept.erase(it);
    }
    FUZZ_CHECK(!kept.empty(), "the new file is missing");
    for (const auto& k : kept)
        FUZZ_CHECK(lower(k.first) == kNewName, "an entry from nowhere: " + k.first);
    return 0;
}
