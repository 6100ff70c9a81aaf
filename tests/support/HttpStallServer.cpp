#include "support/HttpStallServer.h"

#include <arpa/inet.h>
#include <array>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

HttpStallServer::HttpStallServer()
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (m_listenFd < 0 || ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(m_listenFd, 16) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(m_wakeFds, O_CLOEXEC) != 0) {
        if (m_listenFd >= 0) {
            ::close(m_listenFd);
        }
        throw std::runtime_error("HttpStallServer: cannot listen on 127.0.0.1");
    }
    m_nPort = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
}

HttpStallServer::~HttpStallServer()
{
    const char wake = 'x';
    [[maybe_unused]] const auto written = ::write(m_wakeFds[1], &wake, 1);
    m_thread.join();
    for (int fd : m_clients) {
        ::close(fd);
    }
    ::close(m_listenFd);
    ::close(m_wakeFds[0]);
    ::close(m_wakeFds[1]);
}

std::string HttpStallServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_nPort) + path;
}

void HttpStallServer::Serve()
{
    std::array<char, 4096> sink{};
    for (;;) {
        std::vector<pollfd> fds{{m_wakeFds[0], POLLIN, 0}, {m_listenFd, POLLIN, 0}};
        for (int fd : m_clients) {
            fds.push_back({fd, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), 1000) < 0) {
            continue;
        }
        if (fds[0].revents != 0) {
            return;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            const int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                m_clients.push_back(client);
                ++m_nAccepted;
            }
        }
        // Read and drop the requests, so the client sees its send succeed and waits for a reply.
        std::vector<int> open;
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0 &&
                ::recv(fds[i].fd, sink.data(), sink.size(), 0) <= 0) {
                ::close(fds[i].fd); // the client went away
                continue;
            }
            open.push_back(fds[i].fd);
        }
        // Clients accepted in this round were not polled yet.
        for (std::size_t i = fds.size() - 2; i < m_clients.size(); ++i) {
            open.push_back(m_clients[i]);
        }
        m_clients = std::move(open);
    }
}
