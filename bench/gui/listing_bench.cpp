// Lists 1,000 / 10,000 / 50,000 favorites into the real main window (offscreen) and prints
// the time beside the floor (reading the same files' bytes, nothing else) and peak memory.
// Each size runs in its own process so peak memory is that size's alone.
//   usage: bench_listing            (all sizes)
//          bench_listing <count>    (one size)

#include "../FloorRead.h"
#include "app/AppSetup.h"
#include "app/MainWindow.h"
#include "app/ShellTreeView.h"
#include "favorites/ShortcutFile.h"
#include "ui/CheckBoxGrid.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Result {
    double floorMs = 0, readMs = 0, listMs = 0, relistMs = 0, peakMiB = 0;
};

int runOne(int count, char* argv0, int reportFd) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "mvlist-XXXXXX").string();
    const std::string dir = ::mkdtemp(tmpl.data());
    const std::string fav = dir + "/Favorites";
    std::filesystem::create_directories(fav);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(fav + "/お気に入りのサイト" + std::to_string(i) + ".url");
        std::ofstream(paths.back(), std::ios::binary)
            << "[InternetShortcut]\r\nURL=https://example.com/page/" << i
            << "\r\n[Comment]\r\nComment=コメント " << i << "\r\n";
    }
    ::setenv("MARKVANE_FAVORITES", fav.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char* args[] = {argv0, nullptr};
    QApplication app(argc, args);
    mv::SetupApplication(app, false);

    auto t0 = Clock::now();
    size_t bytes = ReadEachFileOnce(paths);
    const double floorMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    // The core's part: both values of each file, as the listing reads them.
    t0 = Clock::now();
    for (const auto& p : paths)
        bytes += mv::ReadShortcutValues(p).Url.size();
    const double readMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    // The benchmark's own list of paths is no part of the program's peak memory.
    std::vector<std::string>().swap(paths);

    // The window lists the favorites folder when it is first shown.
    t0 = Clock::now();
    mv::TForm1 form(dir + "/markvane.ini");
    form.show();
    const double listMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    const int rows = form.Grid()->RowCount() - 1;
    // A second listing of the same folder, once the tree's model has settled.
    for (int i = 0; i < 50; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    t0 = Clock::now();
    emit form.Tree()->Change(); // as a change of folder in the tree does
    const double relistMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();

    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("%8d %8d %12.1f %12.1f %10.2f %10.1f %12.1f %12.1f\n", count, rows, floorMs, listMs,
                listMs * 1000.0 / count, listMs / floorMs, relistMs, ru.ru_maxrss / 1024.0);
    std::fflush(stdout);
    const Result result{floorMs, readMs, listMs, relistMs, ru.ru_maxrss / 1024.0};
    if (reportFd >= 0 && ::write(reportFd, &result, sizeof result) != sizeof result) return 1;
    form.hide();
    std::filesystem::remove_all(dir);
    return rows == count && bytes > 0 ? 0 : 1;
}

void printTable(const Result& ten, const Result& fifty) {
    std::printf("\n%-46s %9s %9s %8s %s\n", "work", "floor ms", "ms", "x floor", "goal");
    auto row = [](const char* work, double floorMs, double ms, const char* goal) {
        std::printf("%-46s %9.1f %9.1f %8.2f %s\n", work, floorMs, ms, ms / floorMs, goal);
    };
    row("read URL and comment, 10,000 files (core)", ten.floorMs, ten.readMs, "<= 1.5x");
    row("first listing, 10,000 favorites", ten.floorMs, ten.listMs, "<= 3x");
    row("second listing, same folder", ten.floorMs, ten.relistMs, "<= 2x");
    row("first listing, 50,000 favorites", fifty.floorMs, fifty.listMs, "<= 3x");
    std::printf("%-46s %9s %9.1f %8s %s\n", "peak memory, 50,000 favorites (MiB)", "-",
                fifty.peakMiB, "-", "<= 100 MiB");
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) return runOne(std::atoi(argv[1]), argv[0], -1);
    std::printf("listing favorites into the main window's grid (offscreen)\n");
    std::printf("%8s %8s %12s %12s %10s %10s %12s %12s\n", "files", "rows", "floor ms",
                "listing ms", "us/file", "x floor", "relist ms", "peak MiB");
    int failed = 0;
    Result results[3];
    const int counts[] = {1000, 10000, 50000};
    for (int i = 0; i < 3; ++i) {
        std::fflush(stdout);
        int fds[2];
        if (::pipe(fds) != 0) return 1;
        pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            ::_exit(runOne(counts[i], argv[0], fds[1]));
        }
        ::close(fds[1]);
        failed |= ::read(fds[0], &results[i], sizeof(Result)) != sizeof(Result);
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        failed |= !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    }
    std::printf("floor: reading each file's bytes once (the shortcut read benchmark's floor)\n");
    std::printf("linear growth means us/file stays flat from 1,000 to 50,000\n");
    printTable(results[1], results[2]);
    return failed;
}
