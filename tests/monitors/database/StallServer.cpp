#include "StallServer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

StallServer::~StallServer()
{
    Stop();
}

bool StallServer::Start(std::string& error)
{
    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listenFd < 0 || bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listenFd, 16) != 0 || getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        pipe2(m_wakeFds, O_CLOEXEC) != 0) {
        error = std::string("stall server: ") + std::strerror(errno);
        Stop();
        return false;
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Run(); });
    return true;
}

void StallServer::Run()
{
    for (;;) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakeFds[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        if (fds[0].revents & POLLIN) {
            const int client = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                m_clients.push_back(client);
                ++m_accepted;
            }
        }
    }
}

void StallServer::Stop()
{
    if (m_thread.joinable()) {
        const char wake = 1;
        (void)!write(m_wakeFds[1], &wake, 1);
        m_thread.join();
    }
    for (int fd : m_clients) {
        close(fd);
    }
    m_clients.clear();
    for (int* fd : {&m_listenFd, &m_wakeFds[0], &m_wakeFds[1]}) {
        if (*fd >= 0) {
            close(*fd);
        }
        *fd = -1;
    }
}
