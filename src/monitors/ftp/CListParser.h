#pragma once
// Reads the lines of a LIST reply, which has no standard form. Two forms are understood:
//   Unix "ls -l":  drwxr-xr-x  2 owner group  4096 Mar  5 14:07 name
//                  -rw-r--r--  1 owner group   512 Mar  5  2023 name
//                  lrwxrwxrwx  1 owner group     7 Mar  5 14:07 name -> target
//   DOS / IIS:     03-05-24  02:07PM       <DIR>          name
//                  03-05-2024  14:07                 512 name
// Lines in neither form ("total 12", banners) are skipped. Times carry no zone and are kept as
// the server shows them. A Unix time of day stands for the most recent such date that is not in
// the future; a day of slack covers servers whose clock runs ahead of ours in another zone.
#include "monitors/ftp/FtpEntry.h"

#include <optional>
#include <string_view>
#include <vector>

class CListParser final
{
public:
    // now: the present, the reference for the year of "Mon DD HH:MM" entries.
    explicit CListParser(FtpTimestamp now) : m_now(now) {}

    std::optional<FtpEntry> ParseLine(std::string_view line) const;
    std::vector<FtpEntry> Parse(std::string_view listing) const;

private:
    std::optional<FtpEntry> ParseUnixLine(std::string_view line) const;
    static std::optional<FtpEntry> ParseDosLine(std::string_view line);

    FtpTimestamp m_now;
};
