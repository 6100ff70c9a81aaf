#pragma once
// A small HTTP/1.1 server on one loopback address that counts the connections its clients hold
// open at once. Requests are held unanswered until Release(); from then on every request (held or
// new) gets a short page naming its path, on a connection kept open for the next one.
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

    std::string Url(const std::string& path) const;
    void Release();

    int OpenConnections() const;
    int PeakConnections() const;
    int Requests() const;
    // Requests received and not yet answered.
    int Held() const;

private:
    void Serve();
    void Wake();

    std::string m_strAddress;
    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1};
    int m_nPort = 0;
    mutable std::mutex m_lock;
    bool m_bReleased = false;
    bool m_bEnding = false;
    int m_nOpen = 0;
    int m_nPeak = 0;
    int m_nRequests = 0;
    int m_nHeld = 0;
    std::thread m_thread;
};
