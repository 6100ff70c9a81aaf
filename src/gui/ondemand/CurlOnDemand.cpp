// libcurl's functions as wendar calls them, forwarding to libcurl.so.4 once the first one is called
// (see OnDemandLibrary.h). The library is set up (curl_global_init) right after it opened, once:
// libcurl 7.84 and later set up thread-safely, so the first call may come from the check worker.
// Without the library every call fails: handles are null, codes CURLE_FAILED_INIT, and the error
// texts (curl_easy_strerror, curl_url_strerror) name the library and why it could not be loaded.
#include "gui/ondemand/OnDemandLibrary.h"

#include <cstdarg>
#include <curl/curl.h>
#include <dlfcn.h>

namespace {

bool SetUpCurl(void* handle)
{
    auto* init = reinterpret_cast<decltype(curl_global_init)*>(dlsym(handle, "curl_global_init"));
    return init != nullptr && init(CURL_GLOBAL_ALL) == CURLE_OK;
}

OnDemandLibrary& Curl()
{
    static OnDemandLibrary library("libcurl.so.4", &SetUpCurl);
    return library;
}

// A callback option's value, read as libcurl itself reads it before casting it to its own type.
using AnyFunction = void (*)();

} // namespace

CURLcode curl_global_init(long)
{
    // The set-up ran when the library opened.
    static auto* const open = Curl().Find<decltype(curl_version)>("curl_version");
    return open != nullptr ? CURLE_OK : CURLE_FAILED_INIT;
}

void curl_global_cleanup()
{
    // Only a library that was opened has anything to clean up.
    if (Curl().IsOpen()) {
        static auto* const real = Curl().Find<decltype(curl_global_cleanup)>("curl_global_cleanup");
        real();
    }
}

void curl_free(void* p)
{
    static auto* const real = Curl().Find<decltype(curl_free)>("curl_free");
    if (real != nullptr) {
        real(p);
    }
}

const char* curl_easy_strerror(CURLcode code)
{
    static auto* const real = Curl().Find<decltype(curl_easy_strerror)>("curl_easy_strerror");
    return real != nullptr ? real(code) : Curl().Error();
}

CURL* curl_easy_init()
{
    static auto* const real = Curl().Find<decltype(curl_easy_init)>("curl_easy_init");
    return real != nullptr ? real() : nullptr;
}

void curl_easy_cleanup(CURL* handle)
{
    static auto* const real = Curl().Find<decltype(curl_easy_cleanup)>("curl_easy_cleanup");
    if (real != nullptr) {
        real(handle);
    }
}

CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...)
{
    static auto* const real = Curl().Find<decltype(curl_easy_setopt)>("curl_easy_setopt");
    if (real == nullptr) {
        return CURLE_FAILED_INIT;
    }
    // The value's type follows from the option's number range, as in libcurl's own setopt.
    std::va_list values;
    va_start(values, option);
    CURLcode result = CURLE_OK;
    if (option < CURLOPTTYPE_OBJECTPOINT) {
        result = real(handle, option, va_arg(values, long));
    } else if (option < CURLOPTTYPE_FUNCTIONPOINT) {
        result = real(handle, option, va_arg(values, void*));
    } else if (option < CURLOPTTYPE_OFF_T) {
        result = real(handle, option, va_arg(values, AnyFunction));
    } else if (option < CURLOPTTYPE_BLOB) {
        result = real(handle, option, va_arg(values, curl_off_t));
    } else {
        result = real(handle, option, va_arg(values, void*));
    }
    va_end(values);
    return result;
}

CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...)
{
    static auto* const real = Curl().Find<decltype(curl_easy_getinfo)>("curl_easy_getinfo");
    if (real == nullptr) {
        return CURLE_FAILED_INIT;
    }
    // Every kind of information is written through a pointer.
    std::va_list values;
    va_start(values, info);
    const CURLcode result = real(handle, info, va_arg(values, void*));
    va_end(values);
    return result;
}

CURLcode curl_easy_perform(CURL* handle)
{
    static auto* const real = Curl().Find<decltype(curl_easy_perform)>("curl_easy_perform");
    return real != nullptr ? real(handle) : CURLE_FAILED_INIT;
}

curl_slist* curl_slist_append(curl_slist* list, const char* text)
{
    static auto* const real = Curl().Find<decltype(curl_slist_append)>("curl_slist_append");
    return real != nullptr ? real(list, text) : nullptr;
}

void curl_slist_free_all(curl_slist* list)
{
    static auto* const real = Curl().Find<decltype(curl_slist_free_all)>("curl_slist_free_all");
    if (real != nullptr) {
        real(list);
    }
}

CURLM* curl_multi_init()
{
    static auto* const real = Curl().Find<decltype(curl_multi_init)>("curl_multi_init");
    return real != nullptr ? real() : nullptr;
}

CURLMcode curl_multi_cleanup(CURLM* multi)
{
    static auto* const real = Curl().Find<decltype(curl_multi_cleanup)>("curl_multi_cleanup");
    return real != nullptr ? real(multi) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_add_handle(CURLM* multi, CURL* handle)
{
    static auto* const real = Curl().Find<decltype(curl_multi_add_handle)>("curl_multi_add_handle");
    return real != nullptr ? real(multi, handle) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_remove_handle(CURLM* multi, CURL* handle)
{
    static auto* const real = Curl().Find<decltype(curl_multi_remove_handle)>("curl_multi_remove_handle");
    return real != nullptr ? real(multi, handle) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_perform(CURLM* multi, int* running)
{
    static auto* const real = Curl().Find<decltype(curl_multi_perform)>("curl_multi_perform");
    return real != nullptr ? real(multi, running) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_poll(CURLM* multi, curl_waitfd extra[], unsigned int extraCount, int timeoutMs, int* ready)
{
    static auto* const real = Curl().Find<decltype(curl_multi_poll)>("curl_multi_poll");
    return real != nullptr ? real(multi, extra, extraCount, timeoutMs, ready) : CURLM_BAD_HANDLE;
}

CURLMsg* curl_multi_info_read(CURLM* multi, int* queued)
{
    static auto* const real = Curl().Find<decltype(curl_multi_info_read)>("curl_multi_info_read");
    return real != nullptr ? real(multi, queued) : nullptr;
}

CURLU* curl_url()
{
    static auto* const real = Curl().Find<decltype(curl_url)>("curl_url");
    return real != nullptr ? real() : nullptr;
}

void curl_url_cleanup(CURLU* url)
{
    static auto* const real = Curl().Find<decltype(curl_url_cleanup)>("curl_url_cleanup");
    if (real != nullptr) {
        real(url);
    }
}

CURLUcode curl_url_set(CURLU* url, CURLUPart part, const char* text, unsigned int flags)
{
    static auto* const real = Curl().Find<decltype(curl_url_set)>("curl_url_set");
    return real != nullptr ? real(url, part, text, flags) : CURLUE_BAD_HANDLE;
}

CURLUcode curl_url_get(CURLU* url, CURLUPart part, char** text, unsigned int flags)
{
    static auto* const real = Curl().Find<decltype(curl_url_get)>("curl_url_get");
    return real != nullptr ? real(url, part, text, flags) : CURLUE_BAD_HANDLE;
}

const char* curl_url_strerror(CURLUcode code)
{
    static auto* const real = Curl().Find<decltype(curl_url_strerror)>("curl_url_strerror");
    return real != nullptr ? real(code) : Curl().Error();
}
