#pragma once
// A small HTTP/1.1 server on one loopback address that counts the connections its clients hold
// open at once. Requests are held unanswered until Release(); from then on every request (held or
// new) gets a short page naming its path, on a connection kept open for the next one. Never
// released, it is a server that accepts and stalls.
#include "support/LoopbackListener.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

class CountingHttpServer final
{
public:
    explicit CountingHttpServer(const std::string& address = "127.0.0.1"); // throws when it cannot listen
    ~CountingHttpServer();
    CountingHttpServer(const CountingHttpServer&) = delete;
    CountingHttpServer& operator=(const CountingHttpServer&) = delete;

    int port() const { return m_listener.port(); }
    std::string Url(const std::string& path) const;
    void Release() { m_bReleased = true; }

    int AcceptedCount() const { return Locked(m_nAccepted); }
    int OpenConnections() const { return Locked(m_nOpen); }
    int PeakConnections() const { return Locked(m_nPeak); }
    int Requests() const { return Locked(m_nRequests); }
    // Requests received and not yet answered.
    int Held() const { return Locked(m_nHeld); }

private:
    void Serve();
    int Locked(const int& count) const
    {
        std::lock_guard guard(m_lock);
        return count;
    }

    std::string m_strAddress;
    LoopbackListener m_listener;
    std::atomic<bool> m_bReleased = false;
    std::atomic<bool> m_bEnding = false;
    mutable std::mutex m_lock;
    int m_nAccepted = 0;
    int m_nOpen = 0;
    int m_nPeak = 0;
    int m_nRequests = 0;
    int m_nHeld = 0;
    std::thread m_thread;
};
