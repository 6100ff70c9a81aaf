#pragma once
// What every FTP test shares: libcurl initialised once, a fixed time zone, and one pyftpdlib
// server for the whole run (started on first use), stopped at the end even when tests fail.
#include "support/FtpServerProcess.h"

#include <string>

class FtpTestEnvironment
{
public:
    // The running server; the calling test fails when it could not be started.
    static FtpServerProcess& Server();
    // A fresh, empty directory under the served root, unique per test; returns its FTP path
    // ("/name/") and sets localPath to where it lives on disk.
    static std::string FreshDirectory(std::string& localPath);
};

// Sets a file's modification time, given as UTC "YYYY-MM-DD HH:MM:SS".
void SetModificationTimeUtc(const std::string& path, const std::string& utc);
