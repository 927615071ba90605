#pragma once
// What the URL probe and the link checker share of libcurl: its one-time start and the options
// every request carries.

#include "web/UrlProbe.h"

#include <curl/curl.h>

namespace mv {

// True once libcurl is started; the first call starts it, whichever thread makes it.
bool CurlReady();

// The options every request of this program carries: http and https only, redirects too; at
// most 20 redirects followed; `userAgent` and `headers`; a proxy's own answer to CONNECT left
// out; no signals; the time-outs. False when libcurl refused one.
bool SetCommonCurlOptions(CURL* curl, const char* userAgent, curl_slist* headers,
                          const UrlProbeTimeouts& timeouts);

} // namespace mv
