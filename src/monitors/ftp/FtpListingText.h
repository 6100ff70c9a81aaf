#pragma once
// Small helpers the FTP listing parsers share: line splitting and calendar arithmetic.
#include "monitors/ftp/FtpEntry.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The lines of a listing, without their line ends; servers end lines with CRLF or a bare LF.
std::vector<std::string_view> SplitListingLines(std::string_view listing);

// True for a real date (29 February only in leap years) with a time of day in range.
bool IsValidFtpTimestamp(const FtpTimestamp& time);

// Seconds since 1970 when the calendar time is read as UTC (no time zone involved).
std::int64_t FtpTimestampAsUtcSeconds(const FtpTimestamp& time);

// The calendar time, read as UTC, in the process's local time zone (TZ).
std::optional<FtpTimestamp> FtpUtcToLocal(const FtpTimestamp& utc);

// The present in the local time zone.
FtpTimestamp FtpLocalNow();

// An unsigned decimal of at most maxDigits digits and nothing else.
std::optional<std::int64_t> ParseFtpDecimal(std::string_view text, std::size_t maxDigits = 18);
