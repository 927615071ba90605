#pragma once
// Shared pieces of the fuzz targets: a private scratch folder, whole-file helpers and the
// check that turns a broken invariant into a crash libFuzzer records.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace mvfuzz {

// Aborts with the message: libFuzzer saves the input as a crash.
[[noreturn]] inline void fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.c_str());
    std::abort();
}
#define FUZZ_CHECK(cond, detail)                                                                   \
    do {                                                                                           \
        if (!(cond)) ::mvfuzz::fail(#cond, detail);                                                \
    } while (0)

// One folder per process, in MARKVANE_FUZZ_TMP or /dev/shm (no disk writes, and the
// archiver's fsync costs nothing there), removed at exit.
inline const std::filesystem::path& scratch() {
    static const std::filesystem::path dir = [] {
        const char* base = std::getenv("MARKVANE_FUZZ_TMP");
        std::filesystem::path root = base && *base ? base : "/dev/shm";
        std::error_code ec;
        if (!std::filesystem::is_directory(root, ec)) root = std::filesystem::temp_directory_path();
        std::filesystem::create_directories(root, ec);
        std::string tmpl = (root / "mvfuzz-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) fail("mkdtemp", tmpl);
        std::atexit([] {
            std::error_code e;
            std::filesystem::remove_all(scratch(), e);
        });
        return std::filesystem::path(tmpl);
    }();
    return dir;
}

inline void writeBytes(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) fail("cannot write", p.string());
}

inline std::string readBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Splits off a prefix of the input: the first byte gives its length (at most `max`).
inline std::string_view takeField(std::string_view& in, std::size_t max) {
    if (in.empty()) return {};
    const std::size_t n =
        std::min<std::size_t>(static_cast<unsigned char>(in[0]) % (max + 1), in.size() - 1);
    std::string_view field = in.substr(1, n);
    in.remove_prefix(1 + n);
    return field;
}

} // namespace mvfuzz
