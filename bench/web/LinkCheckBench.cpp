// The link checker beside Debian's linkchecker on the same links: a server on 127.0.0.1 to
// 127.0.0.100 answers every request after 200 ms; linkchecker gets the links as one HTML page
// checked to depth 1 (external links included, 10 threads as it comes).
//
// Run by hand: ./bench/web_link_check_bench [skip-linkchecker]

#include "LoopbackHttpServer.h"
#include "RunTool.h"
#include "web/LinkChecker.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using mv::test::LoopbackHttpServer;

constexpr auto kDelay = std::chrono::milliseconds(200);

// Runs argv[0] found on PATH with its output discarded; false when it could not be started.
bool run(const std::vector<std::string>& args) {
    return RunTool(args, true).has_value();
}

std::vector<std::string> links(const LoopbackHttpServer& server, int count, int hosts) {
    std::vector<std::string> urls;
    for (int i = 0; i < count; ++i)
        urls.push_back("http://127.0.0." + std::to_string(1 + i % hosts) + ":" +
                       std::to_string(server.port()) + "/page" + std::to_string(i) + ".html");
    return urls;
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void compare(LoopbackHttpServer& server, int count, int hosts, bool withLinkchecker) {
    const std::vector<std::string> urls = links(server, count, hosts);
    std::string page = "<html><body>\n";
    for (const std::string& url : urls)
        page += "<a href=\"" + url + "\">" + url + "</a>\n";
    page += "</body></html>\n";
    const std::string index = "/index" + std::to_string(count) + ".html";
    server.route(index, {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                         std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page});

    auto start = Clock::now();
    const auto results = mv::LinkChecker().Check(urls);
    const double ours = seconds(Clock::now() - start);
    const auto ok = std::count_if(results.begin(), results.end(), [](const mv::LinkResult& r) {
        return r.State == mv::LinkState::Ok;
    });
    std::printf("%4d links over %3d hosts: markvane   %6.2f s (%ld ok)\n", count, hosts, ours,
                long(ok));
    if (!withLinkchecker) return;
    const size_t before = server.requests().size();
    start = Clock::now();
    const bool ran = run({"linkchecker", "-r1", "--check-extern", "--no-status", "-o", "none",
                          "http://127.0.0.1:" + std::to_string(server.port()) + index});
    const double theirs = seconds(Clock::now() - start);
    if (!ran) {
        std::printf("%32s linkchecker could not be run\n", "");
        return;
    }
    std::printf("%32s linkchecker %6.2f s (%zu requests); markvane takes %.0f %% of its time\n", "",
                theirs, server.requests().size() - before, 100 * ours / theirs);
}

} // namespace

int main(int argc, char** argv) {
    setenv("no_proxy", "*", 1);
    setenv("NO_PROXY", "*", 1);
    const bool withLinkchecker = !(argc > 1 && std::strcmp(argv[1], "skip-linkchecker") == 0);
    LoopbackHttpServer server(100);
    server.route("*", {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok", false,
                       false, [] { std::this_thread::sleep_for(kDelay); }});
    server.route("/robots.txt", {"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"});
    compare(server, 200, 20, withLinkchecker);
    compare(server, 1000, 100, withLinkchecker);
    return 0;
}
