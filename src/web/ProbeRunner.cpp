#include "web/ProbeRunner.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QObject>

#include <atomic>
#include <exception>
#include <string>
#include <thread>

namespace mv {
namespace {

std::atomic<ProbeFunction> runnerProbe{&ProbeUrl};

} // namespace

ProbeFunction SetRunnerProbe(ProbeFunction probe) {
    return runnerProbe.exchange(probe ? probe : &ProbeUrl);
}

void RunProbe(std::string_view url, UrlProbeResult& result, const UrlProbeTimeouts& timeouts) {
    const ProbeFunction probe = runnerProbe.load();
    // Without a dispatcher processEvents returns at once: waiting would only spin.
    if (!QAbstractEventDispatcher::instance()) {
        probe(url, result, timeouts);
        return;
    }

    // The worker owns copies of its inputs and its own record, so nothing the events do here
    // (even a nested probe) can touch what it works on.
    const std::string urlText(url);
    UrlProbeResult workerResult;
    std::exception_ptr error;
    std::atomic<bool> done{false};
    // Receives the posted call that wakes this thread; declared before the worker so the
    // worker is joined before it goes.
    QObject waker;
    std::jthread worker([&] {
        try {
            probe(urlText, workerResult, timeouts);
        } catch (...) {
            error = std::current_exception();
        }
        done.store(true, std::memory_order_release);
        // Set before the call is posted: the waiting loop either sees the flag or is woken.
        QMetaObject::invokeMethod(
            &waker, [] {}, Qt::QueuedConnection);
    });
    while (!done.load(std::memory_order_acquire))
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    worker.join();
    if (error) std::rethrow_exception(error);
    result = std::move(workerResult);
}

} // namespace mv
