#pragma once
// A shared library that the desktop program opens the first time one of its functions is called,
// not at start: libcurl and OpenSSL for checks, libpulse and libsndfile for sounds, unixODBC for
// remote databases. The files beside this one define those libraries' functions under their own names and
// forward each call; wendar links them instead of the libraries (wendar-cli and the tests link the
// libraries themselves). Opening is thread-safe and happens once: a library that could not be
// opened stays closed, and every forwarded call then fails the way the library reports a failure,
// its error texts naming the library and the reason.
// Errors: Find returns nullptr; Error() says which library could not be opened and why.
#include <atomic>
#include <mutex>
#include <string>

class OnDemandLibrary final
{
public:
    // Runs once, right after the library opened, with its dlopen handle (libcurl's global set-up);
    // false counts as not opened.
    using SetUp = bool (*)(void* handle);

    // soname: the library's run-time name ("libcurl.so.4").
    explicit OnDemandLibrary(const char* soname, SetUp setUp = nullptr);
    OnDemandLibrary(const OnDemandLibrary&) = delete;
    OnDemandLibrary& operator=(const OnDemandLibrary&) = delete;

    // The named function, the library opened on the first call; nullptr when it could not be.
    template <typename Function> Function* Find(const char* name) { return reinterpret_cast<Function*>(Symbol(name)); }
    // Whether the library is open, without opening it.
    bool IsOpen() const;
    // "libcurl.so.4 could not be loaded: ..." once opening failed, else empty; the text stays valid.
    const char* Error() const;

private:
    void* Symbol(const char* name);
    void Open();

    const char* m_soname;
    SetUp m_setUp;
    std::once_flag m_once;
    std::atomic<bool> m_bTried{false};
    // Written once, inside the call_once, before m_bTried is set.
    void* m_handle = nullptr;
    std::string m_error;
};

// The body of a stand-in named as the library's function: finds that function once and calls it
// with the arguments; without the library, returns `failed` (FORWARD: does nothing).
#define FORWARD_OR(library, function, failed, ...)                                                                     \
    static auto* const real = (library).Find<decltype(function)>(#function);                                           \
    return real != nullptr ? real(__VA_ARGS__) : failed
#define FORWARD(library, function, ...)                                                                                \
    static auto* const real = (library).Find<decltype(function)>(#function);                                           \
    if (real != nullptr) {                                                                                             \
        real(__VA_ARGS__);                                                                                             \
    }
