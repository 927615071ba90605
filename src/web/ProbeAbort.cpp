#include "web/ProbeAbort.h"

#include <curl/curl.h>

namespace mv {

void ProbeAbort::abort() {
    const std::lock_guard lock(mutex_);
    aborted_.store(true, std::memory_order_release);
    if (multi_) curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

bool ProbeAbort::attach(void* multi) {
    const std::lock_guard lock(mutex_);
    if (aborted()) return false;
    multi_ = multi;
    return true;
}

void ProbeAbort::detach() {
    const std::lock_guard lock(mutex_);
    multi_ = nullptr;
}

} // namespace mv
