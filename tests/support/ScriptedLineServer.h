#pragma once
// A scripted line-protocol server on 127.0.0.1 (ephemeral port) for fault injection: it plays the
// same script to every client connection, one connection at a time, and records every line the
// clients send (terminators included). After the last step it keeps reading and recording until
// the client closes. Every wait is bounded, and the server ends by itself after its lifetime.
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
    static Step Send(std::string bytes, std::size_t pieceSize = 0, Milliseconds gap = Milliseconds(0));
    // Waits for one line from the client (recorded); ends the script when none comes within bound.
    static Step ReadLine(Milliseconds bound = Milliseconds(5000));
    // Stays silent (stall); lines sent meanwhile are recorded.
    static Step Pause(Milliseconds length);
    // Closes the connection at once.
    static Step Close();
    // Never answers again: keeps the connection open and silent until the client closes.
    static Step Hold();

    explicit ScriptedLineServer(std::vector<Step> script, Milliseconds lifetime = Milliseconds(60000));
    ~ScriptedLineServer();
    ScriptedLineServer(const ScriptedLineServer&) = delete;
    ScriptedLineServer& operator=(const ScriptedLineServer&) = delete;

    std::uint16_t port() const { return m_port; }
    // Every line received so far, over all connections, in order. A last piece without a line
    // end is added when its connection ends.
    std::vector<std::string> Lines() const;
    // Waits until the given number of connections have ended; false on timeout.
    bool WaitForConnectionsEnded(int count, Milliseconds timeout) const;
    int ConnectionsAccepted() const;

private:
    void Run();
    void Serve(int fd);
    // Reads what arrives within wait and records complete lines; false when the connection ended
    // or the server is stopping.
    bool ReadInto(int fd, std::string& partial, Milliseconds wait);
    bool Stopping() const;

    std::vector<Step> m_script;
    std::chrono::steady_clock::time_point m_end;
    int m_listen = -1;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    std::uint16_t m_port = 0;
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::vector<std::string> m_lines;
    int m_accepted = 0;
    int m_ended = 0;
    bool m_stop = false;
    std::thread m_thread;
};
