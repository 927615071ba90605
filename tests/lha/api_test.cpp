// The shared library as the program loads it: exports, version, busy flag, output buffer.
#include "lha_test_support.h"
#include "unlha32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
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
    // A response file that is a FIFO holds the call inside the library until we write to it.
    TempDir dir;
    const fs::path fifo = dir.path() / "list";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    writeFile(dir.path() / "b" / "f.url", "f");
    const std::string cmd = "u \"" + (dir.path() / "a.lzh").string() + "\" \"" +
                            (dir.path() / "b").string() + "/\" \"@" + fifo.string() + "\"";
    int result = -1;
    std::thread worker([&] { result = lib.unlha(nullptr, cmd.c_str(), nullptr, 0); });
    // Opening for writing without blocking succeeds once the library has the FIFO open.
    int w = -1;
    for (int i = 0; i < 2000 && w < 0; ++i) {
        w = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (w < 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const bool reached = w >= 0;
    if (reached) {
        EXPECT_EQ(lib.running(), 1);
        EXPECT_EQ(::write(w, "f.url\n", 6), 6);
        ::close(w);
    } else {
        // Never reached the response file: release a reader that may still come.
        ::close(::open(fifo.c_str(), O_RDWR));
    }
    worker.join();
    ASSERT_TRUE(reached) << "the call never opened its response file";
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
