#pragma once
// A private Dovecot POP3 server for tests: its own configuration, passwd-file user, maildir and
// self-signed certificate (for "localhost") in a temporary directory, a plain and an implicit-TLS
// listener on 127.0.0.1. Runs in the foreground as a child of the test process and dies with it.
// Needs root (Dovecot drops to its own users) and the packages dovecot-core, dovecot-pop3d and
// openssl.
#include "support/SharedServer.h"
#include "support/TestStore.h"

#include <cstdint>
#include <string>
#include <sys/types.h>

class DovecotServer final
{
public:
    DovecotServer() = default;
    ~DovecotServer();
    DovecotServer(const DovecotServer&) = delete;
    DovecotServer& operator=(const DovecotServer&) = delete;

    // Starts the server; false with error saying why (missing binary, no root, no port ...).
    bool Start(std::string& error);

    std::uint16_t plainPort() const { return m_plainPort; }
    std::uint16_t tlsPort() const { return m_tlsPort; }
    static constexpr const char* kUser = "tester";
    static constexpr const char* kPassword = "secret";
    // The server's certificate (PEM), to trust through SSL_CERT_FILE.
    std::string certificateFile() const { return m_dir + "cert.pem"; }

    // Delivers a message (the text as it lies on disk) under a unique file name, which Dovecot
    // also gives as its UIDL.
    bool AddMessage(const std::string& fileName, const std::string& text);
    // Deletes a delivered message from the mailbox; an empty name deletes every message.
    bool RemoveMessage(const std::string& fileName);

private:
    bool Launch(std::string& error);
    void Stop();

    TempDir m_temp;
    const std::string m_dir = m_temp.path(); // ends with '/'
    std::string m_maildir;
    std::uint16_t m_plainPort = 0;
    std::uint16_t m_tlsPort = 0;
    pid_t m_pid = -1;
};
