// The shared library as the program loads it: exports, version, busy flag, output buffer.
#include "lha_test_support.h"
#include "unlha32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <thread>

namespace lha {
namespace {

using namespace lha::test;

struct Library {
    Library() {
        handle = ::dlopen(UNLHA32_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle) {
            unlha = reinterpret_cast<decltype(unlha)>(::dlsym(handle, "Unlha"));
            version = reinterpret_cast<decltype(version)>(::dlsym(handle, "UnlhaGetVersion"));
            running = reinterpret_cast<decltype(running)>(::dlsym(handle, "UnlhaGetRunning"));
        }
    }
    ~Library() {
        if (handle) ::dlclose(handle);
    }
    void* handle = nullptr;
    int (*unlha)(void*, const char*, char*, unsigned long) = nullptr;
    unsigned short (*version)() = nullptr;
    int (*running)() = nullptr;
};

TEST(SharedLibrary, ExportsOnlyTheThreeEntryPoints) {
    const auto r = runTool({"nm", "-D", "--defined-only", UNLHA32_PATH});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> symbols;
    std::size_t start = 0;
    while (start < r.out.size()) {
        const auto nl = r.out.find('\n', start);
        const std::string line = r.out.substr(start, nl - start);
        symbols.push_back(line.substr(line.rfind(' ') + 1));
        start = nl + 1;
    }
    std::sort(symbols.begin(), symbols.end());
    EXPECT_EQ(symbols, (std::vector<std::string>{"Unlha", "UnlhaGetRunning", "UnlhaGetVersion"}));
}

TEST(SharedLibrary, PacksThroughTheCInterface) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << ::dlerror();
    ASSERT_TRUE(lib.unlha && lib.version && lib.running);
    EXPECT_GT(lib.version(), 0);
    EXPECT_EQ(lib.running(), 0);

    TempDir dir;
    writeFile(dir.path() / "b" / "サイト.url", "[InternetShortcut]\r\nURL=http://x/\r\n");
    const std::string cmd = programCommandLine((dir.path() / "a.lzh").string(),
                                               (dir.path() / "b").string(), {"サイト.url"});
    char out[8192];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(lib.unlha(nullptr, cmd.c_str(), out, sizeof out), 0);
    EXPECT_NE(std::string(out).find("サイト.url"), std::string::npos) << out;
    EXPECT_TRUE(fs::exists(dir.path() / "a.lzh"));

    // No buffer at all, and buffers too small for the log: always terminated, never overrun.
    EXPECT_EQ(lib.unlha(nullptr, "q", nullptr, 0), UNLHA_ERROR_COMMAND);
    char tiny[12];
    std::memset(tiny, 'x', sizeof tiny);
    EXPECT_EQ(lib.unlha(nullptr, "q", tiny, 8), UNLHA_ERROR_COMMAND);
    EXPECT_EQ(std::strlen(tiny), 7u);
    EXPECT_EQ(tiny[8], 'x');
    EXPECT_EQ(lib.unlha(nullptr, "q", tiny, 1), UNLHA_ERROR_COMMAND);
    EXPECT_EQ(tiny[0], '\0');
    EXPECT_EQ(lib.unlha(nullptr, nullptr, out, sizeof out), UNLHA_ERROR_COMMAND);
}

TEST(SharedLibrary, BusyWhileACallRuns) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr);
    // 8 MiB of noise keep the call inside the library long enough to be seen there.
    TempDir dir;
    std::string noise(8 << 20, '\0');
    std::mt19937_64 gen(1);
    for (std::size_t i = 0; i + 8 <= noise.size(); i += 8) {
        const std::uint64_t v = gen();
        std::memcpy(&noise[i], &v, 8);
    }
    writeFile(dir.path() / "b" / "big.bin", noise);
    const std::string cmd = programCommandLine((dir.path() / "a.lzh").string(),
                                               (dir.path() / "b").string(), {"big.bin"});
    std::atomic<bool> done{false};
    int result = -1;
    std::thread worker([&] {
        result = lib.unlha(nullptr, cmd.c_str(), nullptr, 0);
        done = true;
    });
    bool seen = false;
    while (!done && !seen)
        seen = lib.running() == 1;
    worker.join();
    EXPECT_TRUE(seen);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(lib.running(), 0);
}

TEST(SharedLibrary, LongLogsAreCutWithACount) {
    TempDir dir;
    std::vector<std::string> names;
    for (int i = 0; i < 400; ++i) {
        names.push_back("お気に入り number " + std::to_string(i) + ".url");
        writeFile(dir.path() / "b" / names.back(), "x");
    }
    const auto r = runLha(
        programCommandLine((dir.path() / "a.lzh").string(), (dir.path() / "b").string(), names));
    ASSERT_EQ(r.code, 0);
    EXPECT_LT(r.log.size(), 8192u);
    EXPECT_NE(r.log.find("more lines"), std::string::npos);
    EXPECT_NE(r.log.find("400 added"), std::string::npos); // the summary is never cut away
}

} // namespace
} // namespace lha
