#include "monitors/ftp/FtpListingText.h"

#include "util/LocalTime.h"

#include <ctime>

std::vector<std::string_view> SplitListingLines(std::string_view listing)
{
    std::vector<std::string_view> lines;
    while (!listing.empty()) {
        const std::size_t end = listing.find('\n');
        std::string_view line = listing.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (end == std::string_view::npos) {
            break;
        }
        listing.remove_prefix(end + 1);
    }
    return lines;
}

namespace {

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

FtpTimestamp FromTm(const std::tm& tm)
{
    return FtpTimestamp{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

} // namespace

bool IsValidFtpTimestamp(const FtpTimestamp& time)
{
    return time.year >= 1 && time.year <= 9999 && time.month >= 1 && time.month <= 12 && time.day >= 1 &&
           time.day <= DaysInMonth(time.year, time.month) && time.hour >= 0 && time.hour <= 23 && time.minute >= 0 &&
           time.minute <= 59 && time.second >= 0 && time.second <= 60;
}

std::int64_t FtpTimestampAsUtcSeconds(const FtpTimestamp& time)
{
    return DaysFromCivil(time.year, static_cast<unsigned>(time.month), static_cast<unsigned>(time.day)) * 86400 +
           time.hour * 3600 + time.minute * 60 + time.second;
}

std::optional<FtpTimestamp> FtpUtcToLocal(const FtpTimestamp& utc)
{
    const auto seconds = static_cast<std::time_t>(FtpTimestampAsUtcSeconds(utc));
    const auto local = LocalTimeOf(seconds);
    if (!local) {
        return std::nullopt;
    }
    FtpTimestamp result = FromTm(*local);
    if (!IsValidFtpTimestamp(result)) {
        return std::nullopt;
    }
    return result;
}

FtpTimestamp FtpLocalNow()
{
    return FromTm(LocalTimeNow());
}

std::optional<std::int64_t> ParseFtpDecimal(std::string_view text, std::size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}
