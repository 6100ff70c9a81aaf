#pragma once
// A real FTP server (pyftpdlib under /usr/bin/python3) on 127.0.0.1 with an ephemeral port,
// serving a fresh temporary directory to one user with a password and to anonymous users.
// Started by the constructor, stopped by the destructor; it also ends by itself when the test
// process dies (its stdin closes).
#include "support/TestStore.h"

#include <string>
#include <sys/types.h>

class FtpServerProcess final
{
public:
    static constexpr const char* kUser = "tester";
    static constexpr const char* kPassword = "p@ss word";

    FtpServerProcess();
    ~FtpServerProcess();
    FtpServerProcess(const FtpServerProcess&) = delete;
    FtpServerProcess& operator=(const FtpServerProcess&) = delete;

    // False (with the reason in error()) when the server did not come up.
    bool running() const { return m_nPort != 0; }
    const std::string& error() const { return m_strError; }
    int port() const { return m_nPort; }
    // The served directory (ends with '/').
    std::string root() const { return m_dir.path() + "root/"; }
    // The server's log, for failure messages.
    std::string log() const;

private:
    void Stop();

    TempDir m_dir;
    pid_t m_pid = -1;
    int m_stdinFd = -1;
    int m_nPort = 0;
    std::string m_strError;
};
