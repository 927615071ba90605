#include "web/LinkChecker.h"

#include "web/CurlOptions.h"
#include "web/StatusLine.h"

#include <curl/curl.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <optional>

namespace mv {
namespace {

constexpr char kUserAgent[] = "Markvane link check";

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// "scheme://host:port" in lower case, with the default port filled in; empty when the URL is
// not http or https or cannot be parsed.
std::string hostKey(const std::string& url) {
    CURLU* parts = curl_url();
    if (!parts) return {};
    std::string key;
    if (curl_url_set(parts, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
        char* scheme = nullptr;
        char* host = nullptr;
        char* port = nullptr;
        if (curl_url_get(parts, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
            curl_url_get(parts, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
            curl_url_get(parts, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
            const std::string s(scheme);
            if (s == "http" || s == "https") key = s + "://" + host + ":" + port;
        }
        curl_free(scheme);
        curl_free(host);
        curl_free(port);
    }
    curl_url_cleanup(parts);
    std::transform(key.begin(), key.end(), key.begin(), lower);
    return key;
}

struct Transfer {
    size_t index = 0;
    std::string host;
    std::string url;
    CURL* easy = nullptr;
    bool usingGet = false;
    // Status of every response after the 1xx ones: the redirects, then the final one.
    std::vector<int> statuses;
    bool inHeaders = false;
    bool headersDone = false;
    bool bodyReached = false;

    void startResponse(int status) {
        if (status >= 200) statuses.push_back(status);
        inHeaders = true;
        headersDone = false;
    }
};

size_t onHeader(char* data, size_t size, size_t count, void* user) noexcept {
    auto* t = static_cast<Transfer*>(user);
    const std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        const int status = StatusCodeOf(line);
        if (status == 0) return 0; // no HTTP answer; ends the transfer as failed
        try {
            t->startResponse(status);
        } catch (...) {
            return 0;
        }
    } else if (t->inHeaders && (line == "\r\n" || line == "\n")) {
        t->inHeaders = false;
        t->headersDone = true;
    }
    return size * count;
}

// The body is never wanted: its first byte ends the transfer (reported as a write error).
size_t onBody(char*, size_t size, size_t count, void* user) noexcept {
    if (size * count > 0) static_cast<Transfer*>(user)->bodyReached = true;
    return 0;
}

bool configure(Transfer& t, curl_slist* headers, const UrlProbeTimeouts& timeouts) {
    bool ok = SetCommonCurlOptions(t.easy, kUserAgent, headers, timeouts);
    const auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(t.easy, option, value) == CURLE_OK;
    };
    set(CURLOPT_URL, t.url.c_str());
    if (t.usingGet)
        set(CURLOPT_HTTPGET, 1L);
    else
        set(CURLOPT_NOBODY, 1L);
    set(CURLOPT_HEADERFUNCTION, &onHeader);
    set(CURLOPT_HEADERDATA, static_cast<void*>(&t));
    set(CURLOPT_WRITEFUNCTION, &onBody);
    set(CURLOPT_WRITEDATA, static_cast<void*>(&t));
    set(CURLOPT_PRIVATE, static_cast<void*>(&t));
    return ok;
}

// Servers that refuse HEAD answer it with 405 or 501, some with another error or by closing
// the connection; a GET tells whether the page is really missing.
bool worthAGet(const Transfer& t, CURLcode code) {
    if (t.usingGet) return false;
    if (t.statuses.empty())
        return code == CURLE_GOT_NOTHING || code == CURLE_RECV_ERROR ||
               code == CURLE_PARTIAL_FILE || code == CURLE_WEIRD_SERVER_REPLY;
    return t.statuses.back() >= 400;
}

LinkResult resultOf(const Transfer& t, CURLcode code) {
    LinkResult r;
    const int status = t.statuses.empty() ? 0 : t.statuses.back();
    const bool answered = status != 0 && (t.headersDone || t.bodyReached);
    // A redirect that was to be followed and failed: a loop, or a target that cannot be
    // reached. A stalled body after final headers is no failure.
    const bool redirectFailed = code != CURLE_OK && status >= 300 && status < 400;
    if (!answered || redirectFailed) {
        r.State = LinkState::ConnectFailed;
        r.Status = status;
        r.Error = curl_easy_strerror(code);
        return r;
    }
    r.Status = status;
    const bool redirected = t.statuses.size() > 1;
    if (redirected) {
        char* effective = nullptr;
        if (curl_easy_getinfo(t.easy, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
            r.FinalUrl = effective;
        r.Permanent = std::all_of(t.statuses.begin(), t.statuses.end() - 1,
                                  [](int s) { return s == 301 || s == 308; });
    }
    if (status >= 200 && status < 300)
        r.State = redirected && r.FinalUrl != t.url ? LinkState::Moved : LinkState::Ok;
    else if (status == 404 || status == 410)
        r.State = LinkState::NotFound;
    else if (status >= 500)
        r.State = LinkState::ServerError;
    else
        r.State = LinkState::OtherStatus;
    return r;
}

struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

} // namespace

bool IsDead(LinkState state) {
    return state == LinkState::NotFound || state == LinkState::ServerError ||
           state == LinkState::ConnectFailed;
}

LinkChecker::LinkChecker(LinkCheckLimits limits) : limits_(limits) {
    limits_.total = std::max<std::size_t>(1, limits_.total);
    limits_.perHost = std::max<std::size_t>(1, limits_.perHost);
}

void LinkChecker::Cancel() {
    cancelled_ = true;
    std::lock_guard lock(wakeMutex_);
    if (multi_) curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

std::vector<LinkResult> LinkChecker::Check(const std::vector<std::string>& urls,
                                           const ResultHandler& onResult) {
    std::vector<LinkResult> results(urls.size());
    if (urls.empty() || cancelled_ || !CurlReady()) return results;

    const std::unique_ptr<curl_slist, ListDeleter> headers(
        curl_slist_append(nullptr, "Cache-Control: no-cache"));
    const std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!headers || !multi) return results;
    curl_multi_setopt(multi.get(), CURLMOPT_MAX_TOTAL_CONNECTIONS, long(limits_.total));
    // Redirects may lead to another host than the one counted below; curl holds that line.
    curl_multi_setopt(multi.get(), CURLMOPT_MAX_HOST_CONNECTIONS, long(limits_.perHost));
    curl_multi_setopt(multi.get(), CURLMOPT_MAXCONNECTS, long(limits_.total));

    // Per host a queue of what is still to start, served in turn so one large site does not
    // hold back the others.
    std::map<std::string, std::deque<size_t>> waiting;
    std::vector<std::string> hostOrder;
    std::vector<std::unique_ptr<Transfer>> transfers(urls.size());
    const auto finish = [&](size_t index, LinkResult result) {
        results[index] = std::move(result);
        if (onResult) onResult(index, results[index]);
    };
    for (size_t i = 0; i < urls.size(); ++i) {
        auto t = std::make_unique<Transfer>();
        t->index = i;
        t->url = RequestUrl(urls[i]);
        t->host = t->url.find('\0') == std::string::npos ? hostKey(t->url) : std::string();
        if (t->host.empty()) {
            finish(i, {});
            continue;
        }
        auto& queue = waiting[t->host];
        if (queue.empty()) hostOrder.push_back(t->host);
        queue.push_back(i);
        transfers[i] = std::move(t);
    }

    std::map<std::string, size_t> activePerHost;
    size_t active = 0;
    size_t nextHost = 0;
    const auto start = [&](Transfer& t) {
        if (!t.easy) t.easy = curl_easy_init();
        if (!t.easy || !configure(t, headers.get(), limits_.timeouts) ||
            curl_multi_add_handle(multi.get(), t.easy) != CURLM_OK) {
            LinkResult failed;
            failed.State = LinkState::ConnectFailed;
            failed.Error = "client setup failed";
            return std::optional<LinkResult>(failed);
        }
        return std::optional<LinkResult>();
    };
    const auto release = [&](Transfer& t) {
        curl_multi_remove_handle(multi.get(), t.easy);
        curl_easy_cleanup(t.easy);
        t.easy = nullptr;
        --active;
        --activePerHost[t.host];
    };
    // Starts what the limits allow, taking hosts in turn.
    const auto fill = [&] {
        bool started = true;
        while (active < limits_.total && started && !hostOrder.empty()) {
            started = false;
            for (size_t n = 0; n < hostOrder.size() && active < limits_.total; ++n) {
                const size_t h = (nextHost + n) % hostOrder.size();
                auto& queue = waiting[hostOrder[h]];
                if (queue.empty() || activePerHost[hostOrder[h]] >= limits_.perHost) continue;
                Transfer& t = *transfers[queue.front()];
                queue.pop_front();
                ++active;
                ++activePerHost[t.host];
                started = true;
                if (auto failed = start(t)) {
                    if (t.easy) curl_easy_cleanup(t.easy);
                    t.easy = nullptr;
                    --active;
                    --activePerHost[t.host];
                    finish(t.index, *failed);
                }
            }
            nextHost = hostOrder.empty() ? 0 : (nextHost + 1) % hostOrder.size();
        }
    };

    {
        std::lock_guard lock(wakeMutex_);
        multi_ = multi.get();
    }
    fill();
    while (active > 0 && !cancelled_) {
        int running = 0;
        curl_multi_perform(multi.get(), &running);
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left)) {
            if (msg->msg != CURLMSG_DONE) continue;
            void* priv = nullptr;
            curl_easy_getinfo(msg->easy_handle, CURLINFO_PRIVATE, &priv);
            Transfer& t = *static_cast<Transfer*>(priv);
            const CURLcode code = msg->data.result;
            if (worthAGet(t, code)) {
                curl_multi_remove_handle(multi.get(), t.easy);
                t.usingGet = true;
                t.statuses.clear();
                t.inHeaders = t.headersDone = t.bodyReached = false;
                if (!start(t)) continue;
            }
            LinkResult result = resultOf(t, code);
            release(t);
            finish(t.index, std::move(result));
        }
        fill();
        // curl's own timers shorten the wait, and Cancel wakes it.
        if (active > 0 && !cancelled_) curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr);
    }
    {
        std::lock_guard lock(wakeMutex_);
        multi_ = nullptr;
    }
    // Cancelled: whatever is still under way is dropped, its connections closed.
    for (auto& t : transfers)
        if (t && t->easy) {
            curl_multi_remove_handle(multi.get(), t->easy);
            curl_easy_cleanup(t->easy);
        }
    return results;
}

} // namespace mv
