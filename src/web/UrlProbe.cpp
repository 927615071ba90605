#include "web/UrlProbe.h"

#include "web/CurlOptions.h"
#include "web/ProbeAbort.h"
#include "web/StatusLine.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

namespace mv {
namespace {

constexpr char kUserAgent[] = "Checking URL Test";

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (isBlank(text.front()) || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// What one transfer has seen of the latest response. curl reports the headers of every response
// of a redirect chain (and of 1xx interim responses), so a status line starts afresh: a header
// of an earlier response must never be taken for one of the final response.
struct Transfer {
    bool inHeaderBlock = false;   // between a status line and the blank line that ends its headers
    bool headerBlockDone = false; // that blank line has arrived
    int status = 0;
    bool hasLocation = false;
    bool lastModifiedSeen = false;
    std::string lastModified;
    bool bodyReached = false;

    // Headers complete and curl will not go on to another response: no interim response, no
    // redirect that is followed.
    bool finalHeadersDone() const {
        const bool redirect = status >= 300 && status < 400 && hasLocation;
        return headerBlockDone && status >= 200 && !redirect;
    }

    void onHeaderLine(std::string_view line) {
        if (line.starts_with("HTTP/")) {
            *this = Transfer{};
            inHeaderBlock = true;
            status = StatusCodeOf(trim(line));
            return;
        }
        if (!inHeaderBlock) return; // trailers after a body are not response headers
        const std::string_view field = trim(line);
        if (field.empty()) {
            inHeaderBlock = false;
            headerBlockDone = true;
            return;
        }
        if (isBlank(line.front()))
            return; // obsolete line folding; no field of interest is folded in practice
        const auto colon = field.find(':');
        if (colon == std::string_view::npos) return;
        const std::string_view name = field.substr(0, colon);
        if (equalsNoCase(name, "Location")) {
            hasLocation = true;
        } else if (equalsNoCase(name, "Last-Modified") && !lastModifiedSeen) {
            // The first occurrence counts, as a header query by name returns it.
            lastModifiedSeen = true;
            lastModified = trim(field.substr(colon + 1));
        }
    }
};

// Callbacks run inside libcurl's C frames: nothing may be thrown through them.
size_t headerCallback(char* data, size_t size, size_t count, void* user) noexcept {
    const size_t bytes = size * count;
    try {
        static_cast<Transfer*>(user)->onHeaderLine(std::string_view(data, bytes));
    } catch (...) {
        return 0; // ends the transfer as failed
    }
    return bytes;
}

// The first byte of the final response's body means its headers are complete; the body itself
// is never wanted, so the transfer ends here (curl reports a write error, which is expected).
size_t bodyCallback(char*, size_t size, size_t count, void* user) noexcept {
    if (size * count > 0) static_cast<Transfer*>(user)->bodyReached = true;
    return 0;
}

bool configure(CURL* curl, Transfer& transfer, curl_slist* headers,
               const UrlProbeTimeouts& timeouts) {
    bool ok = SetCommonCurlOptions(curl, kUserAgent, headers, timeouts);
    const auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(curl, option, value) == CURLE_OK;
    };
    set(CURLOPT_HTTPGET, 1L);
    set(CURLOPT_HEADERFUNCTION, &headerCallback);
    set(CURLOPT_HEADERDATA, static_cast<void*>(&transfer));
    set(CURLOPT_WRITEFUNCTION, &bodyCallback);
    set(CURLOPT_WRITEDATA, static_cast<void*>(&transfer));
    return ok;
}

// Runs the transfer as curl_easy_perform would, but in a loop that an abort can wake at any
// moment, so a silent server does not hold it until the time-out.
CURLcode perform(CURL* curl, ProbeAbort* abort) {
    const std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), curl) != CURLM_OK) return CURLE_FAILED_INIT;
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    if (!abort || abort->attach(multi.get())) {
        int running = 1;
        bool done = false;
        while (!done && !(abort && abort->aborted())) {
            if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
                result = CURLE_FAILED_INIT;
                break;
            }
            int queued = 0;
            while (const CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
                if (message->msg == CURLMSG_DONE) {
                    result = message->data.result;
                    done = true;
                }
            }
            if (!done && running == 0) break; // ended without a message: nothing obtained
            if (!done && curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr) != CURLM_OK) {
                result = CURLE_FAILED_INIT;
                break;
            }
        }
        if (abort) abort->detach();
    }
    curl_multi_remove_handle(multi.get(), curl);
    return result;
}

} // namespace

void ProbeUrl(std::string_view url, UrlProbeResult& result, const UrlProbeTimeouts& timeouts) {
    result = UrlProbeResult{};
    if (!CurlReady()) return;

    // The list must outlive the handle that points to it: declared first, released last.
    // Appending to a list keeps its head, so one owner covers both lines.
    const std::unique_ptr<curl_slist, ListDeleter> headers(
        curl_slist_append(nullptr, "Cache-Control: no-cache"));
    if (!headers || !curl_slist_append(headers.get(), "Pragma: no-cache")) return;
    const std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl) return;
    Transfer transfer;
    if (!configure(curl.get(), transfer, headers.get(), timeouts)) return;
    result.sessionOpened = true;

    // curl reads the URL up to the first NUL; a URL with one inside would be probed as another.
    const std::string urlText = RequestUrl(url);
    if (urlText.find('\0') != std::string::npos ||
        curl_easy_setopt(curl.get(), CURLOPT_URL, urlText.c_str()) != CURLE_OK)
        return;

    const CURLcode code = perform(curl.get(), timeouts.abort);
    if (timeouts.abort && timeouts.abort->aborted()) return;
    // A failure after the final headers (a stalled or broken body) still leaves them valid.
    if (code != CURLE_OK && !transfer.bodyReached && !transfer.finalHeadersDone()) return;
    result.urlOpened = true;
    if (transfer.status == 0) return;
    result.statusText = std::to_string(transfer.status);
    if (transfer.lastModified.size() <= kMaxLastModifiedLength)
        result.lastModified = std::move(transfer.lastModified);
}

std::string RequestUrl(std::string_view url) {
    const auto blankOrControl = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!url.empty() && blankOrControl(url.front()))
        url.remove_prefix(1);
    while (!url.empty() && blankOrControl(url.back()))
        url.remove_suffix(1);
    std::string out;
    out.reserve(url.size());
    for (const char c : url) {
        if (c == '\t' || c == '\n' || c == '\r') continue;
        if (c == ' ')
            out += "%20";
        else
            out += c;
    }
    return out;
}

} // namespace mv
