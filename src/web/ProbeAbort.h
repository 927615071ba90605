// Stopping a URL probe from another thread while its request is in flight.
#pragma once

#include <atomic>
#include <mutex>

namespace mv {

// Handed to a probe through UrlProbeTimeouts::abort. abort() may be called from any thread,
// before or during the probe: the probe then ends within milliseconds, without waiting for
// the server or the time-outs, and reports nothing obtained.
class ProbeAbort {
public:
    void abort();
    bool aborted() const { return aborted_.load(std::memory_order_acquire); }

    // For the probe: the transfer that abort() must wake (a CURLM*), or null once it is over.
    // False when the probe was aborted before it began.
    bool attach(void* multi);
    void detach();

private:
    std::mutex mutex_; // guards multi_ against its release while abort() wakes it
    void* multi_ = nullptr;
    std::atomic<bool> aborted_{false};
};

} // namespace mv
