#include "store/DateText.h"

#include <vector>

namespace {

std::string FormatTm(const std::tm& tm, const std::string& format)
{
    if (format.empty()) {
        return {};
    }
    // A trailing marker tells an empty expansion from a buffer that was too small.
    const std::string marked = format + "\x01";
    std::vector<char> buffer(format.size() * 4 + 64);
    for (int attempt = 0; attempt < 8; ++attempt) {
        size_t n = std::strftime(buffer.data(), buffer.size(), marked.c_str(), &tm);
        if (n > 0) {
            return std::string(buffer.data(), n - 1);
        }
        buffer.resize(buffer.size() * 4);
    }
    return {};
}

} // namespace

std::string FormatDate(const DbDateTime& date, const std::string& format)
{
    std::tm tm{};
    tm.tm_year = date.year - 1900;
    tm.tm_mon = date.month - 1;
    tm.tm_mday = date.day;
    tm.tm_hour = date.hour;
    tm.tm_min = date.minute;
    tm.tm_sec = date.second;
    // Weekday and day of year for %a, %j and friends, without any time zone shift.
    std::tm copy = tm;
    std::time_t t = timegm(&copy);
    std::tm normal{};
    gmtime_r(&t, &normal);
    tm.tm_wday = normal.tm_wday;
    tm.tm_yday = normal.tm_yday;
    return FormatTm(tm, format);
}

std::string FormatLocalTime(std::time_t moment, const std::string& format)
{
    std::tm tm{};
    localtime_r(&moment, &tm);
    return FormatTm(tm, format);
}
