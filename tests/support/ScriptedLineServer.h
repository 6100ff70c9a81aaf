#pragma once
// A scripted line-protocol server on 127.0.0.1 or ::1 (ephemeral port) for fault injection: it plays the
// same script to every client connection, one connection at a time, and records every line the
// clients send (terminators included). After the last step it keeps reading and recording until
// the client closes. Every wait is bounded, and the server ends by itself after its lifetime.
#include "support/LoopbackListener.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ScriptedLineServer final
{
public:
    using Milliseconds = std::chrono::milliseconds;

    struct Step
    {
        enum class Kind
        {
            Send,
            ReadLine,
            Pause,
            Close,
            Hold
        };
        Kind kind = Kind::Send;
        std::string bytes;
        std::size_t pieceSize = 0; // Send: 0 sends in one go
        Milliseconds delay{0};     // Send: gap between pieces; Pause: length; ReadLine: bound
    };

    // Sends bytes; with pieceSize > 0 in pieces of that size with gap between them.
    static Step Send(std::string bytes, std::size_t pieceSize = 0, Milliseconds gap = Milliseconds(0))
    {
        return {Step::Kind::Send, std::move(bytes), pieceSize, gap};
    }
    // Waits for one line from the client (recorded); ends the script when none comes within bound.
    static Step ReadLine(Milliseconds bound = Milliseconds(5000)) { return {Step::Kind::ReadLine, {}, 0, bound}; }
    // Stays silent (stall); lines sent meanwhile are recorded.
    static Step Pause(Milliseconds length) { return {Step::Kind::Pause, {}, 0, length}; }
    // Closes the connection at once.
    static Step Close() { return {Step::Kind::Close}; }
    // Never answers again: keeps the connection open and silent until the client closes.
    static Step Hold() { return {Step::Kind::Hold}; }
    // A dialogue: sends the first reply at once and each further one after a line from the client.
    static std::vector<Step> Dialogue(const std::vector<std::string>& replies);

    enum class Loopback
    {
        Ipv4, // 127.0.0.1
        Ipv6, // ::1
    };
    explicit ScriptedLineServer(std::vector<Step> script, Milliseconds lifetime = Milliseconds(60000),
                                Loopback loopback = Loopback::Ipv4);
    ~ScriptedLineServer();
    ScriptedLineServer(const ScriptedLineServer&) = delete;
    ScriptedLineServer& operator=(const ScriptedLineServer&) = delete;

    std::uint16_t port() const { return m_listener.port(); }
    // Every line received so far, over all connections, in order. A last piece without a line
    // end is added when its connection ends.
    std::vector<std::string> Lines() const;
    // Waits until the given number of connections have ended; false on timeout.
    bool WaitForConnectionsEnded(int count, Milliseconds timeout) const;
    int ConnectionsAccepted() const { return m_accepted; }

private:
    using Clock = std::chrono::steady_clock;
    void Run();
    void Serve(int fd);
    // Records what the client sends until end (or, with untilLine, until a whole line came); false
    // when the connection ended, the server is stopping, or no line came in time.
    bool Listen(int fd, std::string& partial, Clock::time_point end, bool untilLine);
    bool Stopping() const { return m_stop || Clock::now() >= m_end; }

    std::vector<Step> m_script;
    Clock::time_point m_end;
    LoopbackListener m_listener;
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::vector<std::string> m_lines;
    std::atomic<int> m_accepted = 0;
    int m_ended = 0;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};
