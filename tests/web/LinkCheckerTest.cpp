// The link checker against real HTTP servers on loopback addresses started by the test.

#include "web/LinkChecker.h"
#include "LoopbackHttpServer.h"
#include "web/StatusLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <future>
#include <thread>

namespace mv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::LoopbackHttpServer;

std::string reply(std::string_view status, std::string_view headers = {}) {
    return "HTTP/1.1 " + std::string(status) + "\r\n" + std::string(headers) +
           "Content-Length: 4\r\n\r\nbody";
}

// A port on 127.0.0.1 that nothing listens on.
int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), len);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

LoopbackHttpServer::Reply slowOk(std::chrono::milliseconds delay) {
    return {reply("200 OK"), false, false, [delay] { std::this_thread::sleep_for(delay); }};
}

class LinkCheckerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("no_proxy", "*", 1);
        setenv("NO_PROXY", "*", 1);
    }
    LinkCheckLimits limits{32, 2, {2s, 5s}};
};

TEST_F(LinkCheckerTest, TellsEachStateWithItsStatus) {
    LoopbackHttpServer server;
    server.route("/ok", {reply("200 OK")});
    server.route("/perm", {reply("301 Moved Permanently", "Location: /perm2\r\n")});
    server.route("/perm2", {reply("308 Permanent Redirect", "Location: /ok\r\n")});
    server.route("/temp", {reply("302 Found", "Location: /ok\r\n")});
    server.route("/mixed", {reply("301 Moved Permanently", "Location: /temp\r\n")});
    server.route("/to-gone", {reply("301 Moved Permanently", "Location: /gone\r\n")});
    server.route("/gone", {reply("404 Not Found")});
    server.route("/removed", {reply("410 Gone")});
    server.route("/broken", {reply("503 Service Unavailable")});
    server.route("/secret", {reply("403 Forbidden")});
    server.route("/loop", {reply("301 Moved Permanently", "Location: /loop\r\n")});
    const std::string refused = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
    const std::vector<std::string> urls = {server.url("/ok"),
                                           server.url("/perm"),
                                           server.url("/temp"),
                                           server.url("/mixed"),
                                           server.url("/to-gone"),
                                           server.url("/gone"),
                                           server.url("/removed"),
                                           server.url("/broken"),
                                           server.url("/secret"),
                                           server.url("/loop"),
                                           refused,
                                           "ftp://127.0.0.1/file",
                                           " " + server.url("/ok") + " "};

    std::vector<int> reported(urls.size(), 0);
    LinkChecker checker(limits);
    const auto results = checker.Check(urls, [&](size_t i, const LinkResult&) { ++reported[i]; });
    ASSERT_EQ(results.size(), urls.size());
    EXPECT_EQ(reported, std::vector<int>(urls.size(), 1));

    const auto expect = [&](size_t i, LinkState state, int status, bool permanent = false,
                            const std::string& finalUrl = {}) {
        SCOPED_TRACE(urls[i]);
        EXPECT_EQ(results[i].State, state);
        EXPECT_EQ(results[i].Status, status);
        EXPECT_EQ(results[i].Permanent, permanent);
        EXPECT_EQ(results[i].FinalUrl, finalUrl);
    };
    expect(0, LinkState::Ok, 200);
    expect(1, LinkState::Moved, 200, true, server.url("/ok"));
    expect(2, LinkState::Moved, 200, false, server.url("/ok"));
    expect(3, LinkState::Moved, 200, false, server.url("/ok"));
    expect(4, LinkState::NotFound, 404, true, server.url("/gone"));
    expect(5, LinkState::NotFound, 404);
    expect(6, LinkState::NotFound, 410);
    expect(7, LinkState::ServerError, 503);
    expect(8, LinkState::OtherStatus, 403);
    EXPECT_EQ(results[9].State, LinkState::ConnectFailed);
    EXPECT_EQ(results[10].State, LinkState::ConnectFailed);
    EXPECT_FALSE(results[10].Error.empty());
    expect(11, LinkState::NotChecked, 0);
    expect(12, LinkState::Ok, 200);

    EXPECT_TRUE(IsDead(LinkState::NotFound) && IsDead(LinkState::ServerError) &&
                IsDead(LinkState::ConnectFailed));
    EXPECT_FALSE(IsDead(LinkState::Moved) || IsDead(LinkState::OtherStatus) ||
                 IsDead(LinkState::NotChecked));
}

TEST_F(LinkCheckerTest, FallsBackToGetWithoutReadingTheBody) {
    LoopbackHttpServer server;
    server.route("HEAD", "/nohead", {reply("405 Method Not Allowed")});
    server.route("GET", "/nohead", {"HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n", true});
    server.route("HEAD", "/hangup", {"HTTP/1.1"}); // closes without a status line
    server.route("GET", "/hangup", {reply("200 OK")});
    server.route("/ok", {reply("200 OK")});

    LinkChecker checker(limits);
    const auto results =
        checker.Check({server.url("/nohead"), server.url("/hangup"), server.url("/ok")});
    EXPECT_EQ(results[0].State, LinkState::Ok);
    EXPECT_EQ(results[1].State, LinkState::Ok);
    EXPECT_EQ(results[2].State, LinkState::Ok);
    // The page was never downloaded: the transfer ended at its first bytes.
    EXPECT_LT(server.endlessBytesSent(), 8u * 1024 * 1024);

    std::vector<std::string> lines;
    for (const std::string& head : server.requests())
        lines.push_back(head.substr(0, head.find(" HTTP/")));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"GET /hangup", "GET /nohead", "HEAD /hangup",
                                               "HEAD /nohead", "HEAD /ok"}));
}

TEST_F(LinkCheckerTest, HoldsThePerHostAndTotalLimits) {
    {
        LoopbackHttpServer server;
        server.route("*", slowOk(100ms));
        std::vector<std::string> urls;
        for (int i = 0; i < 8; ++i)
            urls.push_back(server.url("/page" + std::to_string(i)));
        const auto results = LinkChecker(limits).Check(urls);
        EXPECT_TRUE(std::all_of(results.begin(), results.end(),
                                [](const LinkResult& r) { return r.State == LinkState::Ok; }));
        EXPECT_EQ(server.maxConcurrent(), 2);
    }
    {
        // Four hosts: several run at once, never more than the total allows.
        LoopbackHttpServer server(4);
        server.route("*", slowOk(100ms));
        std::vector<std::string> urls;
        for (int host = 1; host <= 4; ++host)
            for (int i = 0; i < 4; ++i)
                urls.push_back("http://127.0.0." + std::to_string(host) + ":" +
                               std::to_string(server.port()) + "/p" + std::to_string(i));
        LinkChecker(limits).Check(urls);
        EXPECT_EQ(server.maxConcurrent(), 8);
        LinkCheckLimits three = limits;
        three.total = 3;
        LoopbackHttpServer second(4);
        second.route("*", slowOk(100ms));
        for (std::string& url : urls)
            url.replace(url.rfind(':'), url.find('/', url.rfind(':')) - url.rfind(':'),
                        ":" + std::to_string(second.port()));
        LinkChecker(three).Check(urls);
        EXPECT_EQ(second.maxConcurrent(), 3);
    }
}

TEST_F(LinkCheckerTest, CancelStopsEveryTransferAtOnce) {
    LoopbackHttpServer server;
    server.route("/never", {"", false, true});
    LinkChecker checker(limits);
    std::vector<std::string> urls;
    for (int i = 0; i < 6; ++i)
        urls.push_back("http://127.0.0." + std::to_string(1) + ":" + std::to_string(server.port()) +
                       "/never");
    auto running = std::async(std::launch::async, [&] { return checker.Check(urls); });
    while (server.requests().size() < 2)
        std::this_thread::sleep_for(5ms);
    const auto cancelled = Clock::now();
    checker.Cancel();
    ASSERT_EQ(running.wait_for(1s), std::future_status::ready);
    EXPECT_LT(Clock::now() - cancelled, 100ms);
    for (const LinkResult& r : running.get())
        EXPECT_EQ(r.State, LinkState::NotChecked);
    // A cancelled checker checks nothing until it is reset.
    EXPECT_EQ(checker.Check({server.url("/never")})[0].State, LinkState::NotChecked);
}

} // namespace
} // namespace mv

// The probe and the link checker read a status line alike, whether it comes with its line end
// or without.
TEST(StatusLine, CodeIsThreeDigitsStandingAlone) {
    EXPECT_EQ(mv::StatusCodeOf("HTTP/1.1 200 OK\r\n"), 200);
    EXPECT_EQ(mv::StatusCodeOf("HTTP/1.1 404\r\n"), 404);
    EXPECT_EQ(mv::StatusCodeOf("HTTP/2 301"), 301);
    EXPECT_EQ(mv::StatusCodeOf("HTTP/1.1  503 Busy"), 503);
    for (const char* broken : {"HTTP/1.1 2000 OK", "HTTP/1.1 20", "HTTP/1.1 099 Low", "HTTP/1.1",
                               "HTTP/1.1 2x0 OK", ""}) {
        EXPECT_EQ(mv::StatusCodeOf(broken), 0) << broken;
    }
}
