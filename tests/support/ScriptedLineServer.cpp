#include "support/ScriptedLineServer.h"

#include <algorithm>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using Step = ScriptedLineServer::Step;

// Waits are cut into slices this short, so that the destructor ends the server promptly.
static constexpr long long kSliceMs = 20;

std::vector<Step> ScriptedLineServer::Dialogue(const std::vector<std::string>& replies)
{
    std::vector<Step> script;
    for (const std::string& reply : replies) {
        if (!script.empty())
            script.push_back(ReadLine());
        script.push_back(Send(reply));
    }
    return script;
}

ScriptedLineServer::ScriptedLineServer(std::vector<Step> script, Milliseconds lifetime, Loopback loopback)
    : m_script(std::move(script)), m_end(Clock::now() + lifetime),
      m_listener(loopback == Loopback::Ipv6 ? "::1" : "127.0.0.1")
{
    m_thread = std::thread([this] { Run(); });
}

ScriptedLineServer::~ScriptedLineServer()
{
    m_stop = true;
    m_thread.join();
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

void ScriptedLineServer::Run()
{
    while (!Stopping()) {
        pollfd listener{m_listener.fd(), POLLIN, 0};
        const int fd = poll(&listener, 1, kSliceMs) > 0 ? accept4(m_listener.fd(), nullptr, nullptr, SOCK_CLOEXEC) : -1;
        if (fd == -1)
            continue;
        ++m_accepted;
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
    bool open = true; // false once the connection is to end without waiting for the client
    for (auto step = m_script.begin(); open && step != m_script.end() && step->kind != Step::Kind::Hold; ++step) {
        // Only a Send has bytes.
        const std::size_t piece = step->pieceSize == 0 ? step->bytes.size() : step->pieceSize;
        for (std::size_t offset = 0; open && offset < step->bytes.size(); offset += piece) {
            const std::size_t count = std::min(piece, step->bytes.size() - offset);
            open = (offset == 0 || Listen(fd, partial, Clock::now() + step->delay, false)) &&
                   send(fd, step->bytes.data() + offset, count, MSG_NOSIGNAL) == static_cast<ssize_t>(count);
        }
        if (step->kind == Step::Kind::ReadLine || step->kind == Step::Kind::Pause)
            open = Listen(fd, partial, Clock::now() + step->delay, step->kind == Step::Kind::ReadLine);
        open = open && step->kind != Step::Kind::Close;
    }
    if (open)
        Listen(fd, partial, m_end, false);
    if (!partial.empty()) {
        std::lock_guard guard(m_lock);
        m_lines.push_back(partial);
    }
}

bool ScriptedLineServer::Listen(int fd, std::string& partial, Clock::time_point end, bool untilLine)
{
    for (;;) {
        if (Stopping())
            return false;
        const auto left = std::chrono::duration_cast<Milliseconds>(end - Clock::now()).count();
        if (left <= 0)
            return !untilLine;
        pollfd peer{fd, POLLIN, 0};
        if (poll(&peer, 1, static_cast<int>(std::min<long long>(left, kSliceMs))) <= 0)
            continue;
        char buffer[4096];
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            return false;
        partial.append(buffer, static_cast<std::size_t>(got));
        std::lock_guard guard(m_lock);
        const std::size_t before = m_lines.size();
        for (std::size_t newline = partial.find('\n'); newline != std::string::npos; newline = partial.find('\n')) {
            m_lines.push_back(partial.substr(0, newline + 1));
            partial.erase(0, newline + 1);
        }
        if (untilLine && m_lines.size() > before)
            return true;
    }
}
