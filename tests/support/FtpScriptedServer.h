#pragma once
// A small scripted FTP server on 127.0.0.1 (ephemeral port) for what a real server will not do
// on demand: refuse MLSD, send DOS listings, fall silent. It serves one connection at a time,
// answers the commands curl sends (USER, PASS, PWD, CWD, TYPE, EPSV, PASV, MLSD, LIST, QUIT)
// and records every command line it receives.
#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class FtpScriptedServer final
{
public:
    struct Script
    {
        std::string user = "tester";
        std::string password = "secret";
        bool mlsd = true; // false: "500" to MLSD, as servers without it say
        std::string mlsdListing;
        std::string listListing;
        std::set<std::string> directories = {"/"}; // what CWD accepts
        // After this command (e.g. "PASS") the server answers nothing more on the connection.
        std::string silentAfter;
        // The listing's data connection sends this many bytes, then stalls; npos: all of it.
        std::size_t dataBytesBeforeStall = std::string::npos;
    };

    explicit FtpScriptedServer(Script script);
    ~FtpScriptedServer();
    FtpScriptedServer(const FtpScriptedServer&) = delete;
    FtpScriptedServer& operator=(const FtpScriptedServer&) = delete;

    int port() const { return m_nPort; }
    // The command lines received so far, without line ends, in order.
    std::vector<std::string> Commands() const;
    // Just the command words ("USER", "CWD", ...).
    std::vector<std::string> CommandWords() const;

private:
    // Owns one socket descriptor.
    class Fd final
    {
    public:
        Fd() = default;
        explicit Fd(int fd) : m_fd(fd) {}
        ~Fd() { reset(); }
        Fd(Fd&& other) noexcept : m_fd(other.release()) {}
        Fd& operator=(Fd&& other) noexcept
        {
            reset(other.release());
            return *this;
        }
        int get() const { return m_fd; }
        int release()
        {
            const int fd = m_fd;
            m_fd = -1;
            return fd;
        }
        void reset(int fd = -1);

    private:
        int m_fd = -1;
    };

    void Run();
    void Serve(const Fd& control);
    std::string ReadLine(const Fd& control, std::string& buffer, bool& closed);
    void SendListing(const Fd& control, const std::string& listing);
    bool SendLine(int fd, const std::string& line);
    bool WaitReadable(int fd, int timeoutMs) const;
    void HoldUntilStopped() const;

    Script m_script;
    Fd m_listen;
    Fd m_dataListen;
    int m_nPort = 0;
    std::atomic<bool> m_bStop{false};
    mutable std::mutex m_lock;
    std::vector<std::string> m_commands;
    std::thread m_thread;
};
