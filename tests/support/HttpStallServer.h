#pragma once
// Fault injection for HTTP clients: a listener on 127.0.0.1 that accepts connections, reads what
// the client sends and never answers. Connections are closed when the server is destroyed.
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
    void Serve();

    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1}; // a pipe that ends Serve()
    int m_nPort = 0;
    std::atomic<int> m_nAccepted{0};
    std::vector<int> m_clients;
    std::thread m_thread;
};
