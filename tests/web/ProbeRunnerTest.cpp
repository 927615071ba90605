// The probe run on a worker thread while the calling thread processes its events.

#include "web/ProbeRunner.h"
#include "LoopbackHttpServer.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <future>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;
using mv::UrlProbeResult;
using mv::test::LoopbackHttpServer;

constexpr char kDate[] = "Wed, 21 Oct 2015 07:28:00 GMT";
const std::string kDated =
    std::string("HTTP/1.1 200 OK\r\nLast-Modified: ") + kDate + "\r\nContent-Length: 1\r\n\r\nx";

class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "probe-runner-test";
        static char* argv[] = {name, nullptr};
        app_ = new QCoreApplication(argc, argv);
    }

private:
    QCoreApplication* app_ = nullptr;
};
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

// Runs `job` on the main thread and waits at most 10 s for it; false when the main thread
// did not process its events meanwhile.
bool onMainThread(std::function<void()> job) {
    auto ran = std::make_shared<std::promise<void>>();
    auto future = ran->get_future();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [job = std::move(job), ran] {
            job();
            ran->set_value();
        },
        Qt::QueuedConnection);
    return future.wait_for(10s) == std::future_status::ready;
}

std::thread::id probeThread;
void recordThread(std::string_view, UrlProbeResult& result, const mv::UrlProbeTimeouts&) {
    probeThread = std::this_thread::get_id();
    result = {true, true, "200", "stand-in"};
}
void throwing(std::string_view, UrlProbeResult& result, const mv::UrlProbeTimeouts&) {
    result = {};
    throw std::runtime_error("probe failed");
}

class ProbeRunnerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("no_proxy", "*", 1);
        setenv("NO_PROXY", "*", 1);
    }
    void TearDown() override { mv::SetRunnerProbe(nullptr); }

    LoopbackHttpServer server;
};

TEST_F(ProbeRunnerTest, ProcessesEventsWhileTheProbeWaits) {
    // While the outer reply is held, the main thread runs a posted call that itself probes.
    UrlProbeResult inner;
    bool ran = false;
    server.route("/inner", {kDated});
    server.route("/outer",
                 {kDated, false, false,
                  [&] { ran = onMainThread([&] { mv::RunProbe(server.url("/inner"), inner); }); }});

    UrlProbeResult outer;
    mv::RunProbe(server.url("/outer"), outer);
    ASSERT_TRUE(ran) << "no events were processed during the probe";
    EXPECT_EQ(outer.lastModified, kDate);
    EXPECT_EQ(inner.lastModified, kDate);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[1].starts_with("GET /inner ")) << requests[1];
}

TEST_F(ProbeRunnerTest, ProbesOnAWorkerOnlyWhereEventsCanBeProcessed) {
    mv::SetRunnerProbe(&recordThread);
    UrlProbeResult result;
    mv::RunProbe("http://127.0.0.1/", result);
    EXPECT_EQ(result.lastModified, "stand-in");
    EXPECT_NE(probeThread, std::this_thread::get_id());

    // A plain thread has no event dispatcher: the probe runs right there.
    std::thread::id plain;
    UrlProbeResult plainResult;
    std::thread([&] {
        plain = std::this_thread::get_id();
        mv::RunProbe("http://127.0.0.1/", plainResult);
    }).join();
    EXPECT_EQ(probeThread, plain);
    EXPECT_EQ(plainResult.lastModified, "stand-in");
}

TEST_F(ProbeRunnerTest, ThrowsTheProbesErrorOnTheCallingThread) {
    mv::SetRunnerProbe(&throwing);
    UrlProbeResult result;
    EXPECT_THROW(mv::RunProbe("http://127.0.0.1/", result), std::runtime_error);
    EXPECT_EQ(mv::SetRunnerProbe(nullptr), &throwing);
    EXPECT_EQ(mv::SetRunnerProbe(nullptr), &mv::ProbeUrl);
}

} // namespace
