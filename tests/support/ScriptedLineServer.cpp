#include "support/ScriptedLineServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsUntil(Clock::time_point end)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1000 * 3600));
}

} // namespace

ScriptedLineServer::Step ScriptedLineServer::Send(std::string bytes, std::size_t pieceSize, Milliseconds gap)
{
    return Step{Step::Kind::Send, std::move(bytes), pieceSize, gap};
}

ScriptedLineServer::Step ScriptedLineServer::ReadLine(Milliseconds bound)
{
    return Step{Step::Kind::ReadLine, {}, 0, bound};
}

ScriptedLineServer::Step ScriptedLineServer::Pause(Milliseconds length)
{
    return Step{Step::Kind::Pause, {}, 0, length};
}

ScriptedLineServer::Step ScriptedLineServer::Close()
{
    return Step{Step::Kind::Close, {}, 0, Milliseconds(0)};
}

ScriptedLineServer::Step ScriptedLineServer::Hold()
{
    return Step{Step::Kind::Hold, {}, 0, Milliseconds(0)};
}

ScriptedLineServer::ScriptedLineServer(std::vector<Step> script, Milliseconds lifetime)
    : m_script(std::move(script)), m_end(Clock::now() + lifetime)
{
    m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int wake[2] = {-1, -1};
    if (m_listen == -1 || bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listen, 16) != 0 || getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (m_listen != -1)
            close(m_listen);
        throw std::runtime_error("ScriptedLineServer: cannot listen on 127.0.0.1");
    }
    m_wakeRead = wake[0];
    m_wakeWrite = wake[1];
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Run(); });
}

ScriptedLineServer::~ScriptedLineServer()
{
    {
        std::lock_guard guard(m_lock);
        m_stop = true;
    }
    const char byte = 1;
    [[maybe_unused]] const auto written = write(m_wakeWrite, &byte, 1);
    m_thread.join();
    close(m_listen);
    close(m_wakeRead);
    close(m_wakeWrite);
}

std::vector<std::string> ScriptedLineServer::Lines() const
{
    std::lock_guard guard(m_lock);
    return m_lines;
}

bool ScriptedLineServer::WaitForConnectionsEnded(int count, Milliseconds timeout) const
{
    std::unique_lock guard(m_lock);
    return m_changed.wait_for(guard, timeout, [&] { return m_ended >= count; });
}

int ScriptedLineServer::ConnectionsAccepted() const
{
    std::lock_guard guard(m_lock);
    return m_accepted;
}

bool ScriptedLineServer::Stopping() const
{
    std::lock_guard guard(m_lock);
    return m_stop || Clock::now() >= m_end;
}

void ScriptedLineServer::Run()
{
    while (!Stopping()) {
        pollfd fds[2] = {{m_listen, POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
        if (poll(fds, 2, MillisecondsUntil(m_end)) <= 0 || (fds[1].revents & POLLIN))
            continue;
        const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd == -1)
            continue;
        {
            std::lock_guard guard(m_lock);
            ++m_accepted;
        }
        Serve(fd);
        close(fd);
        {
            std::lock_guard guard(m_lock);
            ++m_ended;
        }
        m_changed.notify_all();
    }
}

void ScriptedLineServer::Serve(int fd)
{
    std::string partial;
    auto finish = [&] {
        if (!partial.empty()) {
            std::lock_guard guard(m_lock);
            m_lines.push_back(partial);
        }
    };
    for (const Step& step : m_script) {
        switch (step.kind) {
        case Step::Kind::Send: {
            const std::size_t piece = step.pieceSize == 0 ? step.bytes.size() : step.pieceSize;
            for (std::size_t offset = 0; offset < step.bytes.size(); offset += piece) {
                if (offset > 0 && step.delay.count() > 0 && !ReadInto(fd, partial, step.delay))
                    return finish();
                const std::size_t count = std::min(piece, step.bytes.size() - offset);
                if (send(fd, step.bytes.data() + offset, count, MSG_NOSIGNAL) != static_cast<ssize_t>(count))
                    return finish();
            }
            break;
        }
        case Step::Kind::ReadLine: {
            std::size_t before = 0;
            {
                std::lock_guard guard(m_lock);
                before = m_lines.size();
            }
            const Clock::time_point end = Clock::now() + step.delay;
            for (;;) {
                {
                    std::lock_guard guard(m_lock);
                    if (m_lines.size() > before)
                        break;
                }
                const int left = MillisecondsUntil(end);
                if (left == 0 || !ReadInto(fd, partial, Milliseconds(left)))
                    return finish();
            }
            break;
        }
        case Step::Kind::Pause: {
            const Clock::time_point end = Clock::now() + step.delay;
            while (MillisecondsUntil(end) > 0) {
                if (!ReadInto(fd, partial, Milliseconds(MillisecondsUntil(end))))
                    return finish();
            }
            break;
        }
        case Step::Kind::Close:
            return finish();
        case Step::Kind::Hold:
            while (ReadInto(fd, partial, Milliseconds(1000))) {
            }
            return finish();
        }
    }
    while (ReadInto(fd, partial, Milliseconds(1000))) {
    }
    finish();
}

bool ScriptedLineServer::ReadInto(int fd, std::string& partial, Milliseconds wait)
{
    if (Stopping())
        return false;
    const Clock::time_point end = std::min(Clock::now() + wait, m_end);
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
    const int rc = poll(fds, 2, MillisecondsUntil(end));
    if (rc < 0)
        return errno == EINTR;
    if (fds[1].revents & POLLIN)
        return false;
    if (rc == 0 || !(fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
        return !Stopping();
    char buffer[4096];
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0)
        return false;
    partial.append(buffer, static_cast<std::size_t>(got));
    std::lock_guard guard(m_lock);
    for (std::size_t newline = partial.find('\n'); newline != std::string::npos; newline = partial.find('\n')) {
        m_lines.push_back(partial.substr(0, newline + 1));
        partial.erase(0, newline + 1);
    }
    return true;
}
