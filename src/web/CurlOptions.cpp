#include "web/CurlOptions.h"

#include <algorithm>
#include <climits>

namespace mv {
namespace {

constexpr char kAllowedProtocols[] = "http,https";
// Browsers give up after about 20 hops; a loop ends there instead of at the overall time-out.
constexpr long kMaxRedirects = 20;

long clampMs(std::chrono::milliseconds value) {
    // curl takes 0 as "no limit": never let a small or negative value lift the bound.
    return static_cast<long>(
        std::clamp<std::chrono::milliseconds::rep>(value.count(), 1, LONG_MAX));
}

} // namespace

bool CurlReady() {
    // curl_global_init is not thread-safe; a function-local static runs it exactly once.
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

bool SetCommonCurlOptions(CURL* curl, const char* userAgent, curl_slist* headers,
                          const UrlProbeTimeouts& timeouts) {
    bool ok = true;
    const auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(curl, option, value) == CURLE_OK;
    };
    // A libcurl that cannot restrict protocols (older than 7.85) must not probe at all, or a
    // file: or other URL would be read.
    set(CURLOPT_PROTOCOLS_STR, kAllowedProtocols);
    set(CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols);
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, kMaxRedirects);
    set(CURLOPT_USERAGENT, userAgent);
    set(CURLOPT_HTTPHEADER, headers);
    // A proxy tunnel's own "200 Connection established" is not the server's answer.
    set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    // Signals for time-outs are process-wide and unsafe with threads; the threaded resolver
    // honours the time-outs without them.
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_CONNECTTIMEOUT_MS, clampMs(timeouts.connect));
    set(CURLOPT_TIMEOUT_MS, clampMs(timeouts.total));
    return ok;
}

} // namespace mv
