#pragma once
// Fault injection for network clients: a listener on 127.0.0.1 that accepts connections and never
// answers; what clients send stays unread in the socket buffers. Connections are closed when the
// server is destroyed.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

class HttpStallServer final
{
public:
    HttpStallServer(); // throws when it cannot listen
    ~HttpStallServer();
    HttpStallServer(const HttpStallServer&) = delete;
    HttpStallServer& operator=(const HttpStallServer&) = delete;

    int port() const { return m_nPort; }
    std::string Url(const std::string& path) const;
    int AcceptedCount() const { return m_nAccepted.load(); }

private:
    int m_listenFd = -1;
    int m_nPort = 0;
    std::atomic<int> m_nAccepted{0};
    std::vector<int> m_clients; // owned by the accepting thread until it ends
    std::thread m_thread;
};
