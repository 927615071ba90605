// Link checker: asks the web servers of many favorites at once whether their pages are still
// there, where they moved, or why they cannot be reached.
//
// One libcurl multi handle drives every transfer from the calling thread: at most `total`
// requests at once and `perHost` to one host (name and port), each a HEAD, followed by a GET
// whose body is never read when the server refuses HEAD or answers it with an error. Only http
// and https are contacted, redirects included. No Qt needed.
#pragma once

#include "web/UrlProbe.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace mv {

enum class LinkState {
    NotChecked,    // not http or https, or the check was cancelled before it ended
    Ok,            // 2xx at the address itself
    Moved,         // 2xx after redirects to another address
    NotFound,      // 404 or 410
    ServerError,   // 5xx
    ConnectFailed, // no answer: name not resolved, refused, time-out, too many redirects
    OtherStatus,   // any other final status (401, 403, 3xx without a target...)
};

// The states that make a favorite dead: check-marked by the window, a failure for cron.
bool IsDead(LinkState state);

struct LinkResult {
    LinkState State = LinkState::NotChecked;
    // Status code of the final response; 0 when none arrived.
    int Status = 0;
    // Where the redirects ended (Moved, and a dead link reached through redirects).
    std::string FinalUrl;
    // Every redirect on the way was permanent (301 or 308), so FinalUrl may replace the URL.
    bool Permanent = false;
    // libcurl's reason for ConnectFailed.
    std::string Error;
};

struct LinkCheckLimits {
    std::size_t total = 32;
    std::size_t perHost = 2;
    UrlProbeTimeouts timeouts;
};

class LinkChecker {
public:
    explicit LinkChecker(LinkCheckLimits limits = {});
    LinkChecker(const LinkChecker&) = delete;
    LinkChecker& operator=(const LinkChecker&) = delete;

    // Called on the checking thread as each URL's result is known, in the order they end.
    using ResultHandler = std::function<void(std::size_t index, const LinkResult& result)>;

    // Checks every URL and returns their results in the order given. Blocks until all are
    // done or Cancel is called; what had not ended then stays NotChecked. Only one Check at a
    // time per checker.
    std::vector<LinkResult> Check(const std::vector<std::string>& urls,
                                  const ResultHandler& onResult = {});

    // From any thread: ends every transfer of the running Check at once (and the next Check
    // before it starts, until Reset).
    void Cancel();
    bool Cancelled() const { return cancelled_; }
    void Reset() { cancelled_ = false; }

private:
    LinkCheckLimits limits_;
    std::atomic<bool> cancelled_{false};
    // The running Check's multi handle, woken by Cancel.
    std::mutex wakeMutex_;
    void* multi_ = nullptr;
};

} // namespace mv
