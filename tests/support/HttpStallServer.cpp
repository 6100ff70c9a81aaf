#include "support/HttpStallServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

HttpStallServer::HttpStallServer()
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (m_listenFd < 0 || ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(m_listenFd, 16) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (m_listenFd >= 0) {
            ::close(m_listenFd);
        }
        throw std::runtime_error("HttpStallServer: cannot listen on 127.0.0.1");
    }
    m_nPort = ntohs(address.sin_port);
    // Shutting the listener down in the destructor makes accept() fail, which ends this thread.
    m_thread = std::thread([this] {
        for (;;) {
            const int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                m_clients.push_back(client);
                ++m_nAccepted;
            } else if (errno != EINTR && errno != ECONNABORTED) {
                return;
            }
        }
    });
}

HttpStallServer::~HttpStallServer()
{
    ::shutdown(m_listenFd, SHUT_RDWR);
    m_thread.join();
    for (int fd : m_clients) {
        ::close(fd);
    }
    ::close(m_listenFd);
}

std::string HttpStallServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_nPort) + path;
}
