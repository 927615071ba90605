// Reads the URL and the comment of 10,000 generated shortcut files and compares the time
// with the floor: reading the same files' bytes and nothing else.
//   usage: bench_shortcut_read [count]

#include "../FloorRead.h"
#include "favorites/ShortcutFile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double best(int rounds, auto&& fn) {
    double bestMs = 1e30;
    for (int i = 0; i < rounds; ++i) {
        auto t0 = Clock::now();
        fn();
        bestMs =
            std::min(bestMs, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    return bestMs;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    std::string tmpl = (std::filesystem::temp_directory_path() / "mvbench-XXXXXX").string();
    const std::string dir = ::mkdtemp(tmpl.data());
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(dir + "/サイト" + std::to_string(i) + ".url");
        std::ofstream(paths.back(), std::ios::binary)
            << "[DEFAULT]\r\nBASEURL=https://example.com/" << i
            << "\r\n[InternetShortcut]\r\nURL=https://example.com/" << i
            << "/index.html\r\nIDList=\r\nIconIndex=1\r\n[Comment]\r\nComment=コメント " << i
            << "\r\n";
    }

    size_t bytes = 0, chars = 0;
    const double floorMs = best(5, [&] { bytes += ReadEachFileOnce(paths); });
    const double oursMs = best(5, [&] {
        for (const auto& p : paths)
            chars += mv::ReadShortcutUrl(p).size() + mv::ReadShortcutComment(p).size();
    });
    const double bothMs = best(5, [&] {
        for (const auto& p : paths) {
            const mv::ShortcutValues v = mv::ReadShortcutValues(p);
            chars += v.Url.size() + v.Comment.size();
        }
    });
    std::filesystem::remove_all(dir);

    std::printf("shortcut files: %d (best of 5, warm cache)\n", count);
    std::printf("%-34s %10s %12s\n", "", "total ms", "us per file");
    std::printf("%-34s %10.1f %12.2f\n", "floor: read bytes once", floorMs, floorMs * 1000 / count);
    std::printf("%-34s %10.1f %12.2f\n", "ours: URL, then comment", oursMs, oursMs * 1000 / count);
    std::printf("%-34s %10.1f %12.2f\n", "ours: both in one read (listing)", bothMs,
                bothMs * 1000 / count);
    std::printf("ratio ours/floor: %.2f one value per read, %.2f both in one read (goal <= 1.5)\n",
                oursMs / floorMs, bothMs / floorMs);
    return bytes + chars == 0; // keeps the work from being optimised away
}
