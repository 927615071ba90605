// libcurl is opened at the first web request, not when the program starts: with the thirty
// libraries it brings along it cost every start about 5 ms, and most runs never fetch a page.
// The libcurl functions this program calls are defined here under their own names and pass
// the call on to the library, which is loaded at the first of them.

// The type-checking macros would wrap the definitions below; the names of the variadic ones
// stand in parentheses, so the plain macros that remain leave them alone.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

#include <cstdarg>
#include <dlfcn.h>
#include <type_traits>

namespace {

struct Api {
    decltype(&curl_global_init) global_init = nullptr;
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&curl_easy_perform) easy_perform = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_easy_strerror) easy_strerror = nullptr;
    decltype(&curl_multi_init) multi_init = nullptr;
    decltype(&curl_multi_setopt) multi_setopt = nullptr;
    decltype(&curl_multi_add_handle) multi_add_handle = nullptr;
    decltype(&curl_multi_remove_handle) multi_remove_handle = nullptr;
    decltype(&curl_multi_perform) multi_perform = nullptr;
    decltype(&curl_multi_poll) multi_poll = nullptr;
    decltype(&curl_multi_wakeup) multi_wakeup = nullptr;
    decltype(&curl_multi_info_read) multi_info_read = nullptr;
    decltype(&curl_multi_cleanup) multi_cleanup = nullptr;
    decltype(&curl_slist_append) slist_append = nullptr;
    decltype(&curl_slist_free_all) slist_free_all = nullptr;
    decltype(&curl_url) url = nullptr;
    decltype(&curl_url_set) url_set = nullptr;
    decltype(&curl_url_get) url_get = nullptr;
    decltype(&curl_url_cleanup) url_cleanup = nullptr;
    decltype(&curl_free) free = nullptr;
};

// The library's functions, or nothing when it cannot be loaded whole. Loaded once, by
// whichever thread asks first.
const Api* api() {
    static const Api* const loaded = []() -> const Api* {
        void* lib = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
        if (!lib) return nullptr;
        static Api a;
        bool complete = true;
        const auto bind = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(::dlsym(lib, name));
            complete = complete && fn != nullptr;
        };
        bind(a.global_init, "curl_global_init");
        bind(a.easy_init, "curl_easy_init");
        bind(a.easy_setopt, "curl_easy_setopt");
        bind(a.easy_getinfo, "curl_easy_getinfo");
        bind(a.easy_perform, "curl_easy_perform");
        bind(a.easy_cleanup, "curl_easy_cleanup");
        bind(a.easy_strerror, "curl_easy_strerror");
        bind(a.multi_init, "curl_multi_init");
        bind(a.multi_setopt, "curl_multi_setopt");
        bind(a.multi_add_handle, "curl_multi_add_handle");
        bind(a.multi_remove_handle, "curl_multi_remove_handle");
        bind(a.multi_perform, "curl_multi_perform");
        bind(a.multi_poll, "curl_multi_poll");
        bind(a.multi_wakeup, "curl_multi_wakeup");
        bind(a.multi_info_read, "curl_multi_info_read");
        bind(a.multi_cleanup, "curl_multi_cleanup");
        bind(a.slist_append, "curl_slist_append");
        bind(a.slist_free_all, "curl_slist_free_all");
        bind(a.url, "curl_url");
        bind(a.url_set, "curl_url_set");
        bind(a.url_get, "curl_url_get");
        bind(a.url_cleanup, "curl_url_cleanup");
        bind(a.free, "curl_free");
        return complete ? &a : nullptr;
    }();
    return loaded;
}

// Every option and every information item takes one argument the size of a pointer (a long,
// a curl_off_t, a data or function pointer), passed as a pointer is.
static_assert(sizeof(long) == sizeof(void*) && sizeof(curl_off_t) == sizeof(void*));
void* onlyArgument(va_list args) {
    return va_arg(args, void*);
}

} // namespace

extern "C" {

CURLcode curl_global_init(long flags) {
    const Api* a = api();
    return a ? a->global_init(flags) : CURLE_FAILED_INIT;
}

CURL* curl_easy_init() {
    const Api* a = api();
    return a ? a->easy_init() : nullptr;
}

CURLcode(curl_easy_setopt)(CURL* curl, CURLoption option, ...) {
    const Api* a = api();
    if (!a) return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, option);
    void* value = onlyArgument(args);
    va_end(args);
    return a->easy_setopt(curl, option, value);
}

CURLcode(curl_easy_getinfo)(CURL* curl, CURLINFO info, ...) {
    const Api* a = api();
    if (!a) return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, info);
    void* into = onlyArgument(args);
    va_end(args);
    return a->easy_getinfo(curl, info, into);
}

CURLcode curl_easy_perform(CURL* curl) {
    const Api* a = api();
    return a ? a->easy_perform(curl) : CURLE_FAILED_INIT;
}

void curl_easy_cleanup(CURL* curl) {
    if (const Api* a = api()) a->easy_cleanup(curl);
}

const char* curl_easy_strerror(CURLcode code) {
    const Api* a = api();
    return a ? a->easy_strerror(code) : "libcurl could not be loaded";
}

CURLM* curl_multi_init() {
    const Api* a = api();
    return a ? a->multi_init() : nullptr;
}

CURLMcode(curl_multi_setopt)(CURLM* multi, CURLMoption option, ...) {
    const Api* a = api();
    if (!a) return CURLM_BAD_HANDLE;
    va_list args;
    va_start(args, option);
    void* value = onlyArgument(args);
    va_end(args);
    return a->multi_setopt(multi, option, value);
}

CURLMcode curl_multi_add_handle(CURLM* multi, CURL* curl) {
    const Api* a = api();
    return a ? a->multi_add_handle(multi, curl) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_remove_handle(CURLM* multi, CURL* curl) {
    const Api* a = api();
    return a ? a->multi_remove_handle(multi, curl) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_perform(CURLM* multi, int* running) {
    const Api* a = api();
    return a ? a->multi_perform(multi, running) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_poll(CURLM* multi, curl_waitfd extra[], unsigned int count, int timeoutMs,
                          int* ready) {
    const Api* a = api();
    return a ? a->multi_poll(multi, extra, count, timeoutMs, ready) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_wakeup(CURLM* multi) {
    const Api* a = api();
    return a ? a->multi_wakeup(multi) : CURLM_BAD_HANDLE;
}

CURLMsg* curl_multi_info_read(CURLM* multi, int* left) {
    const Api* a = api();
    return a ? a->multi_info_read(multi, left) : nullptr;
}

CURLMcode curl_multi_cleanup(CURLM* multi) {
    const Api* a = api();
    return a ? a->multi_cleanup(multi) : CURLM_BAD_HANDLE;
}

curl_slist* curl_slist_append(curl_slist* list, const char* text) {
    const Api* a = api();
    return a ? a->slist_append(list, text) : nullptr;
}

void curl_slist_free_all(curl_slist* list) {
    if (const Api* a = api()) a->slist_free_all(list);
}

CURLU* curl_url() {
    const Api* a = api();
    return a ? a->url() : nullptr;
}

CURLUcode curl_url_set(CURLU* url, CURLUPart part, const char* content, unsigned int flags) {
    const Api* a = api();
    return a ? a->url_set(url, part, content, flags) : CURLUE_BAD_HANDLE;
}

CURLUcode curl_url_get(CURLU* url, CURLUPart part, char** content, unsigned int flags) {
    const Api* a = api();
    return a ? a->url_get(url, part, content, flags) : CURLUE_BAD_HANDLE;
}

void curl_url_cleanup(CURLU* url) {
    if (const Api* a = api()) a->url_cleanup(url);
}

void curl_free(void* p) {
    if (const Api* a = api()) a->free(p);
}

} // extern "C"
