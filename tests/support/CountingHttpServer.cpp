#include "support/CountingHttpServer.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

struct Client
{
    std::string received;
    int held = 0; // complete requests not answered yet
    std::vector<std::string> paths;
};

std::string Page(const std::string& path)
{
    const std::string body = "<html><body><p>" + path + "</p></body></html>";
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

} // namespace

CountingHttpServer::CountingHttpServer(const std::string& address) : m_strAddress(address), m_listener(address, 128)
{
    m_thread = std::thread([this] { Serve(); });
}

CountingHttpServer::~CountingHttpServer()
{
    m_bEnding = true;
    m_thread.join();
}

std::string CountingHttpServer::Url(const std::string& path) const
{
    return "http://" + m_strAddress + ":" + std::to_string(port()) + path;
}

// One thread polls the listener and every client in short slices, so that a release or the end is
// seen at once; bounded by the test's lifetime.
void CountingHttpServer::Serve()
{
    std::map<int, Client> clients;
    while (!m_bEnding) {
        std::vector<pollfd> fds{{m_listener.fd(), POLLIN, 0}};
        for (const auto& [fd, client] : clients) {
            fds.push_back({fd, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), 20) < 0 && errno != EINTR) {
            break;
        }
        const bool released = m_bReleased;
        if (fds[0].revents & POLLIN) {
            const int fd = ::accept4(m_listener.fd(), nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                clients[fd];
                std::lock_guard guard(m_lock);
                ++m_nAccepted;
                m_nPeak = std::max(m_nPeak, ++m_nOpen);
            }
        }
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            Client& client = clients[fds[i].fd];
            char buffer[4096];
            const auto n = ::read(fds[i].fd, buffer, sizeof(buffer));
            if (n <= 0) {
                std::lock_guard guard(m_lock);
                --m_nOpen;
                m_nHeld -= client.held;
                ::close(fds[i].fd);
                clients.erase(fds[i].fd);
                continue;
            }
            client.received.append(buffer, static_cast<std::size_t>(n));
            for (auto end = client.received.find("\r\n\r\n"); end != std::string::npos;
                 end = client.received.find("\r\n\r\n")) {
                const auto space = client.received.find(' ');
                client.paths.push_back(
                    client.received.substr(space + 1, client.received.find(' ', space + 1) - space - 1));
                client.received.erase(0, end + 4);
                ++client.held;
                std::lock_guard guard(m_lock);
                ++m_nRequests;
                ++m_nHeld;
            }
        }
        if (released) {
            for (auto& [fd, client] : clients) {
                for (const std::string& path : client.paths) {
                    const std::string reply = Page(path);
                    [[maybe_unused]] const auto written = ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
                }
                std::lock_guard guard(m_lock);
                m_nHeld -= client.held;
                client.held = 0;
                client.paths.clear();
            }
        }
    }
    for (const auto& [fd, client] : clients) {
        ::close(fd);
    }
}
