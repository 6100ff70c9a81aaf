#pragma once
// One entry of an FTP directory listing, as the listing parsers read it.
#include <cstdint>
#include <optional>
#include <string>

// A calendar time without a zone: the time an entry is shown with (local time for MLSD, the
// server's own clock for LIST, which names no zone).
struct FtpTimestamp
{
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const FtpTimestamp&, const FtpTimestamp&) = default;
};

struct FtpEntry
{
    std::string name;
    bool isDirectory = false;
    std::int64_t size = 0;
    std::optional<FtpTimestamp> lastWrite; // absent when the server gave none we could read

    friend bool operator==(const FtpEntry&, const FtpEntry&) = default;
};
