#pragma once
// The tests' pyftpdlib server (FtpServer.py, package python3-pyftpdlib) on 127.0.0.1 at an
// ephemeral port: a served directory of its own, one user and anonymous access. It ends with this
// object, or by itself once the test process is gone.
#include "support/TestStore.h"

#include <cstdio>
#include <string>
#include <sys/types.h>

class FtpServer final
{
public:
    static constexpr const char* kUser = "tester";
    static constexpr const char* kPassword = "p@ss word";

    FtpServer(); // throws when the server does not start
    ~FtpServer();
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    int port() const { return m_port; }
    std::string root() const { return m_dir.path() + "root/"; } // the served directory, ends with '/'
    std::string Log() const;

    // The server shared by the whole test program, started on first use.
    static FtpServer& Shared();

private:
    void Stop();

    TempDir m_dir;
    FILE* m_output = nullptr; // the server's standard output; its first line is "PORT PID"
    int m_port = 0;
    pid_t m_pid = -1;
};
