// URL probe: asks a web server for the status code and the Last-Modified header of one URL.
//
// One blocking HTTP GET per call, with no state kept between calls, so it may run on any thread
// and several probes may run at once. Text is bytes in the process's code page; no Qt needed.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace mv {

class ProbeAbort;

// Filled by ProbeUrl, which overwrites every field on every path: what was not obtained is false
// or empty, so one record can serve a whole batch without one URL inheriting another's date.
struct UrlProbeResult {
    // The HTTP client could be set up for the request (false only when libcurl fails to start
    // or lacks a required option).
    bool sessionOpened = false;
    // The request was sent and the headers of the final response (after redirects) arrived.
    // False for an empty or malformed URL, a scheme other than http and https (also as a
    // redirect target), a host that does not resolve, a refused connection, too many
    // redirects, or a time-out before the final headers. Meaningful only when sessionOpened.
    bool urlOpened = false;
    // Status code of the final response as three decimal digits ("200", "404"); empty when not
    // obtained.
    std::string statusText;
    // The final response's Last-Modified value exactly as the server sent it (only the
    // surrounding blanks of the header line dropped); empty when the header is absent, when
    // statusText is empty, or when the value has kMaxLastModifiedLength + 1 characters or more.
    std::string lastModified;
};

// Longest Last-Modified value that is reported; a longer one is no date and gives an empty text.
inline constexpr std::size_t kMaxLastModifiedLength = 127;

// How long a probe may wait. curl's own defaults (300 s to connect, no overall limit) would let
// a dead host hold the caller for minutes.
struct UrlProbeTimeouts {
    // Name resolution plus TCP and TLS connect. 15 s leaves a slow resolver and a few lost SYNs
    // (resent after 1, 3 and 7 s) time to succeed, and a dead host costs no more than that.
    std::chrono::milliseconds connect{15000};
    // The whole transfer, redirects included: a server that accepts and never answers ends the
    // probe after 30 s, twice the connect bound so a slow but working server still gets through.
    std::chrono::milliseconds total{30000};
    // When set, the probe also ends as soon as this is aborted (see ProbeAbort).
    ProbeAbort* abort = nullptr;
};

// Probes `url` (http or https only; redirects are followed, to http and https only) and fills
// `result`. Blanks around the URL are ignored, and spaces inside it are sent as %20. Blocks until
// the final response's headers arrived or the probe failed; the body is never downloaded. Failures
// are reported only through `result`; nothing but std::bad_alloc is thrown.
void ProbeUrl(std::string_view url, UrlProbeResult& result, const UrlProbeTimeouts& timeouts = {});

// A URL as a person types or pastes it, made into one curl takes: the blanks and control
// characters around it dropped, tabs and line breaks inside removed, and spaces inside sent as
// %20, as browsers do. curl refuses a URL with a space, so a favorite like
// "http://host/my page.html" would otherwise never be reached.
std::string RequestUrl(std::string_view url);

} // namespace mv
