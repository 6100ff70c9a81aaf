#include "support/LoopbackListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

LoopbackListener::LoopbackListener(const std::string& address, int backlog)
{
    const int family = address.find(':') == std::string::npos ? AF_INET : AF_INET6;
    sockaddr_in v4{.sin_family = AF_INET, .sin_port = 0, .sin_addr = {}, .sin_zero = {}};
    sockaddr_in6 v6{};
    v6.sin6_family = AF_INET6;
    auto* bound = family == AF_INET ? reinterpret_cast<sockaddr*>(&v4) : reinterpret_cast<sockaddr*>(&v6);
    socklen_t length = family == AF_INET ? sizeof v4 : sizeof v6;
    m_fd = socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0 ||
        inet_pton(family, address.c_str(), family == AF_INET ? &v4.sin_addr : static_cast<void*>(&v6.sin6_addr)) != 1 ||
        bind(m_fd, bound, length) != 0 || listen(m_fd, backlog) != 0 || getsockname(m_fd, bound, &length) != 0) {
        if (m_fd >= 0)
            close(m_fd);
        throw std::runtime_error("cannot listen on " + address);
    }
    m_port = ntohs(family == AF_INET ? v4.sin_port : v6.sin6_port);
}

LoopbackListener::~LoopbackListener()
{
    close(m_fd);
}
