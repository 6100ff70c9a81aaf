#pragma once
// Reads the lines of an MLSD listing (RFC 3659, section 7): "fact=value;fact=value; name".
// Times ("modify") are UTC and are handed out in local time. The entries for the directory
// itself and its parent (type cdir, pdir) are no entries of the directory and are left out.
#include "monitors/ftp/FtpEntry.h"

#include <optional>
#include <string_view>
#include <vector>

class CMlsdParser final
{
public:
    // One line without its line end; nothing for lines that name no entry or cannot be read.
    static std::optional<FtpEntry> ParseLine(std::string_view line);
    // Every entry of a whole listing, in the server's order.
    static std::vector<FtpEntry> Parse(std::string_view listing);
};
