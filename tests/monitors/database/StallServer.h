#pragma once
// A TCP server on 127.0.0.1 that accepts connections and never says a word: a database server
// that hangs. Holds every accepted socket until it is stopped.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

class StallServer final
{
public:
    StallServer() = default;
    ~StallServer();
    StallServer(const StallServer&) = delete;
    StallServer& operator=(const StallServer&) = delete;

    bool Start(std::string& error);
    void Stop();
    int port() const { return m_port; }
    int AcceptedCount() const { return m_accepted.load(); }

private:
    void Run();

    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1};
    int m_port = 0;
    std::atomic<int> m_accepted{0};
    std::vector<int> m_clients;
    std::thread m_thread;
};
