// Start-up: from process start to the first paint of the main window listing 3,000 favorites,
// beside a minimal Qt Widgets program showing one window (bench_startup_minimal, linked with Qt
// Widgets alone), both measured in the same run (offscreen). Each start is a fresh process
// (the peer, or this program run again with a mode argument); the figure is the best of five.
//   usage: bench_startup [favorites]

#include "FirstPaint.h"
#include "app/AppSetup.h"
#include "app/MainWindow.h"
#include "app/SecondaryWindows.h"
#include "app/ShellTreeView.h"
#include "app/SplashScreen.h"
#include "platform/codepage.h"
#include "platform/favoritesfolder.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The start as main() makes it.
int runApp(int argc, char** argv) {
    auto prefetch = std::make_unique<mv::ListingPrefetch>(mv::fromQt(mv::favoritesFolderPath()));
    QApplication app(argc, argv);
    mv::SetupApplication(app, false);
    auto* splash = new mv::TfrmSplash;
    splash->show();
    splash->FormShow();
    QApplication::processEvents();
    splash->repaint();
    mv::TForm1 form(std::string(std::getenv("MARKVANE_BENCH_INI")), splash);
    form.UseListingPrefetch(std::move(prefetch));
    mv::CreateSecondaryFormsOnFirstUse(form);
    FirstPaint watch;
    form.installEventFilter(&watch);
    form.show();
    return app.exec();
}

// The listing alone, for the goal: the folder listed again once the window is up, as a change
// of folder in the tree does; prints its nanoseconds.
int runListing(int argc, char** argv) {
    QApplication app(argc, argv);
    mv::SetupApplication(app, false);
    mv::TForm1 form(std::string(std::getenv("MARKVANE_BENCH_INI")));
    form.show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    const long long t0 = nowNs();
    emit form.Tree()->Change();
    std::printf("%lld\n", nowNs() - t0);
    std::fflush(stdout);
    std::_Exit(0);
}

// The same empty window in this program, which loads the application's libraries: what they
// add to a start before any of its code runs.
int runMinimal(int argc, char** argv) {
    return ShowEmptyWindow(argc, argv);
}

// Runs `program` with `mode` and returns the number it prints, and when it was spawned.
long long runChild(const char* program, const char* mode, long long& t0) {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    char* args[] = {const_cast<char*>(program), const_cast<char*>(mode), nullptr};
    pid_t pid = 0;
    t0 = nowNs();
    const int rc = posix_spawn(&pid, program, &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    char buf[64] = {};
    ssize_t got = 0;
    for (ssize_t n; (n = ::read(fds[0], buf + got, sizeof buf - 1 - static_cast<size_t>(got))) > 0;)
        got += n;
    ::close(fds[0]);
    int status = 0;
    if (rc == 0) ::waitpid(pid, &status, 0);
    if (rc != 0 || got == 0) return -1;
    return std::atoll(buf);
}

// Milliseconds from the spawn of `program` to its first paint.
double startOnce(const char* program, const char* mode) {
    long long t0 = 0;
    const long long painted = runChild(program, mode, t0);
    return painted < 0 ? -1 : static_cast<double>(painted - t0) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--app") return runApp(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--minimal") return runMinimal(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--listing") return runListing(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 3000;

    std::string tmpl = (std::filesystem::temp_directory_path() / "mvstart-XXXXXX").string();
    const std::string dir = ::mkdtemp(tmpl.data());
    const std::string fav = dir + "/Favorites";
    std::filesystem::create_directories(fav);
    for (int i = 0; i < count; ++i)
        std::ofstream(fav + "/お気に入りのサイト" + std::to_string(i) + ".url", std::ios::binary)
            << "[InternetShortcut]\r\nURL=https://example.com/page/" << i
            << "\r\n[Comment]\r\nComment=コメント " << i << "\r\n";
    ::setenv("MARKVANE_FAVORITES", fav.c_str(), 1);
    ::setenv("MARKVANE_BENCH_INI", (dir + "/markvane.ini").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // The peer sits beside this program.
    const std::string self = argv[0];
    const std::string peer = self.substr(0, self.find_last_of('/') + 1) + "bench_startup_minimal";
    double app = 1e30, minimal = 1e30, loaded = 1e30, listing = 1e30;
    bool failed = false;
    const auto best = [&failed](double& into, double ms) {
        failed |= ms < 0;
        into = std::min(into, ms < 0 ? 1e30 : ms);
    };
    for (int i = 0; i < 5; ++i) {
        best(minimal, startOnce(peer.c_str(), "--minimal"));
        best(loaded, startOnce(argv[0], "--minimal"));
        best(app, startOnce(argv[0], "--app"));
        long long t0 = 0;
        const long long l = runChild(argv[0], "--listing", t0);
        best(listing, l < 0 ? -1 : static_cast<double>(l) / 1e6);
    }
    std::filesystem::remove_all(dir);
    std::printf("start to first painted window (offscreen, best of 5)\n");
    std::printf("%-46s %10.1f ms\n", "minimal Qt Widgets window (peer)", minimal);
    std::printf("%-46s %10.1f ms\n", "the same window with the program's libraries", loaded);
    std::printf("%-46s %10.1f ms\n",
                ("main window, " + std::to_string(count) + " favorites").c_str(), app);
    std::printf("%-46s %10.1f ms\n", "of which the listing (listed again)", listing);
    const double limit = 1.5 * minimal + listing;
    std::printf("%-46s %10.1f ms  %s\n", "limit: 1.5 x minimal + listing", limit,
                app <= limit ? "met" : "NOT met");
    std::printf("ratio to minimal: %.2f\n", app / minimal);
    return failed;
}
