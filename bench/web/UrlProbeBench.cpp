// Probing the URLs of 200 favorites on a local server: ProbeUrl, and RunProbe (the same probe on
// a worker thread while the main thread processes its events, as the date commands run it),
// beside the curl command-line tool sending the same requests (one process per URL, and one
// process for all URLs).

#include "LoopbackHttpServer.h"
#include "RunTool.h"
#include "web/ProbeRunner.h"
#include "web/UrlProbe.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 5;

// Runs argv[0] found on PATH with its standard output discarded; true when it exits with 0.
bool run(const std::vector<std::string>& args) {
    return RunTool(args, false) == 0;
}

struct Timing {
    double bestMs = 0;
    double medianMs = 0;
    bool ok = true;
};

// Best and median wall time of kRounds runs of `job`; the best shows the cost with the least
// disturbance from other work on the machine.
Timing measure(const std::function<bool()>& job) {
    Timing timing;
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        timing.ok = job() && timing.ok;
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    timing.bestMs = times.front();
    timing.medianMs = times[times.size() / 2];
    return timing;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    // 64 KiB is about a typical HTML page; larger pages show what skipping the body saves.
    const std::size_t pageKiB = argc > 2 ? std::max(0, std::atoi(argv[2])) : 64;
    setenv("no_proxy", "*", 1);
    setenv("NO_PROXY", "*", 1);
    // RunProbe processes the events of this thread while it waits; that needs an event loop.
    QCoreApplication app(argc, argv);

    mv::test::LoopbackHttpServer server;
    std::vector<std::string> urls;
    std::vector<std::string> dates;
    const std::string page(pageKiB * 1024, 'p');
    for (int i = 0; i < count; ++i) {
        const std::string path = "/fav/" + std::to_string(i) + ".html";
        dates.push_back("Sat, " + std::to_string(10 + i % 18) + " Jan 2026 12:00:00 GMT");
        server.route(
            path, {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nLast-Modified: " + dates.back() +
                   "\r\nConnection: close\r\nContent-Length: " + std::to_string(page.size()) +
                   "\r\n\r\n" + page});
        urls.push_back(server.url(path));
    }

    const auto probeAllWith = [&](auto probe) {
        mv::UrlProbeResult result;
        bool ok = true;
        for (int i = 0; i < count; ++i) {
            probe(urls[i], result);
            ok = ok && result.urlOpened && result.statusText == "200" &&
                 result.lastModified == dates[i];
        }
        return ok;
    };
    const auto probeAll = [&] {
        return probeAllWith(
            [](const std::string& url, mv::UrlProbeResult& result) { mv::ProbeUrl(url, result); });
    };
    // A timer ticking every millisecond stands in for the window's painting and timers: it
    // shows that events are handled while a probe waits, and what they cost.
    long ticks = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    const auto runAll = [&] {
        return probeAllWith(
            [](const std::string& url, mv::UrlProbeResult& result) { mv::RunProbe(url, result); });
    };
    const std::vector<std::string> curlBase = {
        "curl", "-s", "-H", "Cache-Control: no-cache", "-H", "Pragma: no-cache"};
    const auto curlEach = [&] {
        bool ok = true;
        for (const auto& url : urls) {
            auto args = curlBase;
            args.insert(args.end(), {"-o", "/dev/null", url});
            ok = run(args) && ok;
        }
        return ok;
    };
    const auto curlOnce = [&] {
        auto args = curlBase;
        for (const auto& url : urls)
            args.insert(args.end(), {"-o", "/dev/null", url});
        return run(args);
    };

    const bool curlFound = run({"curl", "--version"});
    probeAll(); // warm-up: library start, first connections
    const Timing probe = measure(probeAll);
    const Timing runner = measure(runAll);
    ticker.start();
    const Timing runTicking = measure(runAll);
    ticker.stop();
    const Timing each = curlFound ? measure(curlEach) : Timing{};
    const Timing once = curlFound ? measure(curlOnce) : Timing{};

    std::printf("%d favorites on 127.0.0.1, %zu KiB pages with Last-Modified, %d rounds\n\n", count,
                pageKiB, kRounds);
    std::printf("%-46s %22s %22s\n", "", "best: total / per URL", "median: total / per URL");
    const auto row = [&](const char* name, const Timing& t) {
        std::printf("%-46s %11.1f ms %7.3f ms %11.1f ms %7.3f ms%s\n", name, t.bestMs,
                    t.bestMs / count, t.medianMs, t.medianMs / count, t.ok ? "" : "  FAILED");
    };
    row("ProbeUrl (headers only, body never read)", probe);
    row("RunProbe (worker thread, events processed)", runner);
    row("RunProbe, with a 1 ms timer ticking", runTicking);
    if (curlFound) {
        row("curl, one process per URL (body to /dev/null)", each);
        row("curl, one process for all URLs", once);
    } else {
        std::printf("curl not found on PATH\n");
    }
    std::printf("\ntimer ticks handled during %d probes through RunProbe: %ld\n", count * kRounds,
                ticks);
    std::printf("requests served: %zu\n", server.requests().size());
    return probe.ok && runner.ok && runTicking.ok && each.ok && once.ok ? 0 : 1;
}
