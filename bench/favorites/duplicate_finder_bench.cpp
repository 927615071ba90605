// Finds the duplicates among 10,000 generated favorites in 100 folders, one in five a second
// copy of another's URL spelled differently, and prints the time of the first and the best of
// five searches beside the floor: walking the same folders and reading every file's bytes.
//   usage: bench_duplicate_finder [count]

#include "favorites/DuplicateFinder.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    std::string root = (std::filesystem::temp_directory_path() / "mvbench-XXXXXX").string();
    if (!::mkdtemp(root.data())) return 1;
    for (int i = 0; i < count; ++i) {
        const std::string folder = root + "/フォルダ" + std::to_string(i % 100);
        std::filesystem::create_directories(folder);
        const std::string url = i % 5 == 0 ? "HTTP://Site" + std::to_string(i - 1) + ".example:80"
                                           : "http://site" + std::to_string(i) + ".example/";
        std::ofstream(folder + "/お気に入り" + std::to_string(i) + ".url", std::ios::binary)
            << "[InternetShortcut]\r\nURL=" << url << "\r\n[Comment]\r\nComment=メモ\r\n";
    }
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        const auto t0 = Clock::now();
        const mv::DuplicateReport report = mv::FindDuplicates(root);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (round == 0)
            std::printf("%zu favorites, %zu groups: first %.1f ms\n", report.Favorites,
                        report.Groups.size(), ms);
        best = std::min(best, ms);
    }
    double floor = 1e30;
    for (int round = 0; round < 5; ++round) {
        const auto t0 = Clock::now();
        std::string bytes;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        floor =
            std::min(floor, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::printf("best of 5: %.1f ms; floor (walk and read the bytes): %.1f ms\n", best, floor);
    std::filesystem::remove_all(root);
    return 0;
}
