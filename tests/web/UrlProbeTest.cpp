// The URL probe against a real HTTP server on 127.0.0.1 started by the test itself.

#include "web/UrlProbe.h"
#include "LoopbackHttpServer.h"
#include "web/ProbeAbort.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <cstdlib>
#include <fstream>
#include <ostream>
#include <thread>

namespace mv {

bool operator==(const UrlProbeResult& a, const UrlProbeResult& b) {
    return a.sessionOpened == b.sessionOpened && a.urlOpened == b.urlOpened &&
           a.statusText == b.statusText && a.lastModified == b.lastModified;
}

void PrintTo(const UrlProbeResult& r, std::ostream* os) {
    *os << "{session " << r.sessionOpened << ", url " << r.urlOpened << ", status \""
        << r.statusText << "\", lastModified \"" << r.lastModified << "\"}";
}

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::LoopbackHttpServer;

constexpr char kDate[] = "Wed, 21 Oct 2015 07:28:00 GMT";
const UrlProbeTimeouts kShort{2s, 5s};

// A complete response with a body of its own length.
std::string response(std::string_view status, std::string_view headers, std::string_view body) {
    return "HTTP/1.1 " + std::string(status) + "\r\n" + std::string(headers) +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

std::string lastModified(std::string_view value) {
    return "Last-Modified: " + std::string(value) + "\r\n";
}

UrlProbeResult probe(std::string_view url, const UrlProbeTimeouts& timeouts = kShort) {
    UrlProbeResult result;
    ProbeUrl(url, result, timeouts);
    return result;
}

UrlProbeResult opened(std::string status, std::string date) {
    return {true, true, std::move(status), std::move(date)};
}
const UrlProbeResult kNotOpened{true, false, "", ""};

class UrlProbeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Loopback only: a proxy from the environment must not carry the requests anywhere.
        setenv("no_proxy", "*", 1);
        setenv("NO_PROXY", "*", 1);
    }

    void SetUp() override {
        server.route("/dated", {response("200 OK", lastModified(kDate), "<html>page</html>")});
        server.route("/undated", {response("200 OK", "", "<html>page</html>")});
    }

    LoopbackHttpServer server;
};

TEST_F(UrlProbeTest, ReportsStatusAndLastModifiedOfTheResponse) {
    server.route("/gone", {response("404 Not Found", lastModified(kDate), "gone")});
    server.route("/bodiless", {response("200 OK", lastModified(kDate), "")});
    // Trailer fields after an empty chunked body are no headers of the response.
    server.route("/trailer", {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n" +
                              lastModified(kDate) + "\r\n"});

    EXPECT_EQ(probe(server.url("/dated")), opened("200", kDate));
    EXPECT_EQ(probe(server.url("/undated")), opened("200", ""));
    // The status decides nothing: an error page's date is reported too.
    EXPECT_EQ(probe(server.url("/gone")), opened("404", kDate));
    // A response that ends before any body byte is complete as well.
    EXPECT_EQ(probe(server.url("/bodiless")), opened("200", kDate));
    EXPECT_EQ(probe(server.url("/trailer")), opened("200", ""));
}

TEST_F(UrlProbeTest, KeepsTheHeaderValueByteForByte) {
    // Not a valid date, mixed case, inner blanks and code-page bytes: nothing is parsed or
    // rewritten. Only the blanks around the value belong to the header line. The header name
    // matches in any case, and a second occurrence does not replace the first.
    const std::string odd = "sunday, 06-NOV-94  08:49:37 +0900 \x93\xfa\x95\x74";
    server.route(
        "/odd",
        {response("200 OK", "last-MODIFIED:\t  " + odd + " \t\r\n" + lastModified(kDate), "x")});
    EXPECT_EQ(probe(server.url("/odd")), opened("200", odd));
}

TEST_F(UrlProbeTest, ValueOf127CharactersIsKeptAndOf128Dropped) {
    const std::string longest = std::string(kDate) + std::string(127 - sizeof kDate + 1, 'z');
    const std::string tooLong = longest + "z";
    ASSERT_EQ(longest.size(), 127u);
    server.route("/127", {response("200 OK", lastModified(longest), "x")});
    server.route("/128", {response("200 OK", lastModified(tooLong), "x")});

    EXPECT_EQ(probe(server.url("/127")), opened("200", longest));
    EXPECT_EQ(probe(server.url("/128")), opened("200", ""));
}

TEST_F(UrlProbeTest, FollowsRedirectsAndReportsOnlyTheFinalResponse) {
    // Redirect responses carry a date and a body of their own; neither may reach the result.
    const std::string redirectDate = "Mon, 01 Jan 1990 00:00:00 GMT";
    server.route("/moved",
                 {response("301 Moved Permanently",
                           lastModified(redirectDate) + "Location: /dated\r\n", "moved")});
    server.route("/found", {response("302 Found",
                                     lastModified(redirectDate) +
                                         "Location: " + server.url("/undated") + "\r\n",
                                     "found")});
    server.route("/twice", {response("307 Temporary Redirect", "Location: /moved\r\n", "")});

    EXPECT_EQ(probe(server.url("/moved")), opened("200", kDate));
    EXPECT_EQ(probe(server.url("/found")), opened("200", ""));
    EXPECT_EQ(probe(server.url("/twice")), opened("200", kDate));
    EXPECT_EQ(server.requests().size(), 2u + 2u + 3u);
}

TEST_F(UrlProbeTest, RefusesRedirectsToOtherSchemesAndEndlessRedirects) {
    const std::string ftp = "ftp://127.0.0.1:" + std::to_string(server.port()) + "/";
    server.route(
        "/to-file",
        {response("302 Found", lastModified(kDate) + "Location: file:///etc/hostname\r\n", "")});
    server.route("/to-ftp",
                 {response("302 Found", lastModified(kDate) + "Location: " + ftp + "\r\n", "")});
    server.route("/loop", {response("302 Found", lastModified(kDate) + "Location: /loop\r\n", "")});

    EXPECT_EQ(probe(server.url("/to-file")), kNotOpened);
    EXPECT_EQ(probe(server.url("/to-ftp")), kNotOpened);
    EXPECT_EQ(server.connections(), 2) << "the ftp target must not be contacted";

    const auto start = Clock::now();
    EXPECT_EQ(probe(server.url("/loop"), {2s, 20s}), kNotOpened);
    EXPECT_LT(Clock::now() - start, 5s) << "a redirect loop must end before the time-out";
}

TEST_F(UrlProbeTest, SendsOneGetThatBypassesCaches) {
    probe(server.url("/dated"));

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].starts_with("GET /dated HTTP/1.1\r\n")) << requests[0];
    EXPECT_NE(requests[0].find("\r\nCache-Control: no-cache\r\n"), std::string::npos)
        << requests[0];
    EXPECT_NE(requests[0].find("\r\nPragma: no-cache"), std::string::npos) << requests[0];
}

TEST_F(UrlProbeTest, NeverDownloadsTheBody) {
    // Announced as 50 MiB and sent slowly without end: reading it would last until the
    // overall time-out.
    server.route(
        "/huge",
        {"HTTP/1.1 200 OK\r\n" + lastModified(kDate) + "Content-Length: 52428800\r\n\r\n", true});

    const auto start = Clock::now();
    EXPECT_EQ(probe(server.url("/huge"), {2s, 20s}), opened("200", kDate));
    EXPECT_LT(Clock::now() - start, 3s);
    EXPECT_LT(server.endlessBytesSent(), 50u << 20);
}

TEST_F(UrlProbeTest, HeadersBeforeAStalledBodyStillCount) {
    server.route("/stalled",
                 {"HTTP/1.1 200 OK\r\n" + lastModified(kDate) + "Content-Length: 1000\r\n\r\n",
                  false, true});
    EXPECT_EQ(probe(server.url("/stalled"), {1s, 1s}), opened("200", kDate));
}

TEST_F(UrlProbeTest, SilentServerFailsAtTheOverallTimeOut) {
    server.route("/silent", {"", false, true});

    const auto start = Clock::now();
    EXPECT_EQ(probe(server.url("/silent"), {1s, 1s}), kNotOpened);
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 900ms);
    EXPECT_LT(elapsed, 3s);
}

TEST_F(UrlProbeTest, AnAbortEndsTheRequestInFlightAtOnce) {
    server.route("/silent", {"", false, true});
    ProbeAbort abort;
    std::thread aborter([&] {
        std::this_thread::sleep_for(300ms);
        abort.abort();
    });
    const auto start = Clock::now();
    EXPECT_EQ(probe(server.url("/silent"), {5s, 5s, &abort}), kNotOpened);
    const auto elapsed = Clock::now() - start;
    aborter.join();
    EXPECT_GE(elapsed, 250ms);
    EXPECT_LT(elapsed, 1s); // far below the 5 s bounds, with room for a loaded machine
    EXPECT_EQ(server.requests().size(), 1u);

    // Aborted before it began: no request at all. An abort meant for another probe does not
    // touch one that was given none.
    EXPECT_EQ(probe(server.url("/dated"), {5s, 5s, &abort}), kNotOpened);
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(probe(server.url("/dated")), opened("200", kDate));
}

TEST_F(UrlProbeTest, UnusableOrUnreachableUrlsAreNotOpened) {
    // A bound socket that does not listen: its port refuses connections and stays ours.
    const int closedSocket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::bind(closedSocket, reinterpret_cast<sockaddr*>(&addr), len), 0);
    ASSERT_EQ(::getsockname(closedSocket, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    const std::string refused = "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/";

    const std::string file = ::testing::TempDir() + "urlchk-local.html";
    std::ofstream(file) << "<html>local</html>";
    const std::string dated = server.url("/dated");
    const std::string port = std::to_string(server.port());

    for (const std::string& url : {
             std::string(),
             std::string("http://"),
             std::string("no url at all"),
             // A name that does not resolve is left out: its lookup would leave the machine.
             refused,
             "ftp://127.0.0.1:" + port + "/",
             "file://" + file,
             "gopher://127.0.0.1:" + port + "/",
             // Read only up to the NUL, this would be a good URL of the server.
             dated + std::string(1, '\0') + "rest",
         }) {
        EXPECT_EQ(probe(url), kNotOpened) << '"' << url << '"';
    }
    EXPECT_EQ(server.connections(), 0);
    ::close(closedSocket);
}

TEST_F(UrlProbeTest, TakesUrlsAsTypedWithBlanksAroundAndSpacesInside) {
    server.route("/my%20page.html", {response("200 OK", lastModified(kDate), "x")});

    EXPECT_EQ(probe(server.url("/my page.html")), opened("200", kDate));
    EXPECT_EQ(probe(" \t" + server.url("/dated") + " \r\n"), opened("200", kDate));
    EXPECT_EQ(probe(server.url("/da\r\nted")), opened("200", kDate));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_TRUE(requests[0].starts_with("GET /my%20page.html HTTP/1.1\r\n")) << requests[0];
    EXPECT_TRUE(requests[1].starts_with("GET /dated HTTP/1.1\r\n")) << requests[1];
}

TEST_F(UrlProbeTest, OverwritesEveryFieldOfAReusedResult) {
    UrlProbeResult result{false, false, "999", "stale"};
    ProbeUrl(server.url("/dated"), result, kShort);
    EXPECT_EQ(result, opened("200", kDate));
    ProbeUrl("http://", result, kShort);
    EXPECT_EQ(result, kNotOpened);

    ProbeUrl(server.url("/dated"), result, kShort);
    server.route("/server-error", {response("500 Internal Server Error", "", "")});
    ProbeUrl(server.url("/server-error"), result, kShort);
    EXPECT_EQ(result, opened("500", ""));
}

TEST_F(UrlProbeTest, ProbesOnSeveralThreadsAtOnceStayApart) {
    constexpr int kThreads = 6;
    constexpr int kRounds = 5;
    for (int i = 0; i < kThreads; ++i)
        server.route("/t" + std::to_string(i),
                     {response("200 OK", lastModified("date " + std::to_string(i)), "x")});

    std::vector<int> wrong(kThreads, 0);
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < kThreads; ++i) {
            threads.emplace_back([&, i] {
                const std::string url = server.url("/t" + std::to_string(i));
                for (int round = 0; round < kRounds; ++round)
                    if (!(probe(url) == opened("200", "date " + std::to_string(i)))) ++wrong[i];
            });
        }
    }
    EXPECT_EQ(wrong, std::vector<int>(kThreads, 0));
    EXPECT_EQ(server.requests().size(), std::size_t{kThreads * kRounds});
}

} // namespace
} // namespace mv
