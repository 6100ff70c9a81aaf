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
    FORWARD(Curl(), curl_free, p);
}

const char* curl_easy_strerror(CURLcode code)
{
    FORWARD_OR(Curl(), curl_easy_strerror, Curl().Error(), code);
}

CURL* curl_easy_init()
{
    FORWARD_OR(Curl(), curl_easy_init, nullptr);
}

void curl_easy_cleanup(CURL* handle)
{
    FORWARD(Curl(), curl_easy_cleanup, handle);
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
    FORWARD_OR(Curl(), curl_easy_perform, CURLE_FAILED_INIT, handle);
}

curl_slist* curl_slist_append(curl_slist* list, const char* text)
{
    FORWARD_OR(Curl(), curl_slist_append, nullptr, list, text);
}

void curl_slist_free_all(curl_slist* list)
{
    FORWARD(Curl(), curl_slist_free_all, list);
}

CURLM* curl_multi_init()
{
    FORWARD_OR(Curl(), curl_multi_init, nullptr);
}

CURLMcode curl_multi_cleanup(CURLM* multi)
{
    FORWARD_OR(Curl(), curl_multi_cleanup, CURLM_BAD_HANDLE, multi);
}

CURLMcode curl_multi_add_handle(CURLM* multi, CURL* handle)
{
    FORWARD_OR(Curl(), curl_multi_add_handle, CURLM_BAD_HANDLE, multi, handle);
}

CURLMcode curl_multi_remove_handle(CURLM* multi, CURL* handle)
{
    FORWARD_OR(Curl(), curl_multi_remove_handle, CURLM_BAD_HANDLE, multi, handle);
}

CURLMcode curl_multi_perform(CURLM* multi, int* running)
{
    FORWARD_OR(Curl(), curl_multi_perform, CURLM_BAD_HANDLE, multi, running);
}

CURLMcode curl_multi_poll(CURLM* multi, curl_waitfd extra[], unsigned int extraCount, int timeoutMs, int* ready)
{
    FORWARD_OR(Curl(), curl_multi_poll, CURLM_BAD_HANDLE, multi, extra, extraCount, timeoutMs, ready);
}

CURLMsg* curl_multi_info_read(CURLM* multi, int* queued)
{
    FORWARD_OR(Curl(), curl_multi_info_read, nullptr, multi, queued);
}

CURLU* curl_url()
{
    FORWARD_OR(Curl(), curl_url, nullptr);
}

void curl_url_cleanup(CURLU* url)
{
    FORWARD(Curl(), curl_url_cleanup, url);
}

CURLUcode curl_url_set(CURLU* url, CURLUPart part, const char* text, unsigned int flags)
{
    FORWARD_OR(Curl(), curl_url_set, CURLUE_BAD_HANDLE, url, part, text, flags);
}

CURLUcode curl_url_get(CURLU* url, CURLUPart part, char** text, unsigned int flags)
{
    FORWARD_OR(Curl(), curl_url_get, CURLUE_BAD_HANDLE, url, part, text, flags);
}

const char* curl_url_strerror(CURLUcode code)
{
    FORWARD_OR(Curl(), curl_url_strerror, Curl().Error(), code);
}
