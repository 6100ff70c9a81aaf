#pragma once
// A TCP socket listening on a loopback address at an ephemeral port, closed with the object: the
// listener of every test server here. Taken and let go, it names a port nothing listens on.
#include <cstdint>
#include <string>

class LoopbackListener final
{
public:
    // address: "127.0.0.1", another 127.x address, or "::1"; throws when it cannot listen.
    explicit LoopbackListener(const std::string& address = "127.0.0.1", int backlog = 16);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    int fd() const { return m_fd; }
    std::uint16_t port() const { return m_port; }

private:
    int m_fd = -1;
    std::uint16_t m_port = 0;
};
