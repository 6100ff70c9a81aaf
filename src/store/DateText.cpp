#include "store/DateText.h"

#include "util/LocalTime.h"

#include <vector>

namespace {

void AppendNumber(std::string& out, int value, int width)
{
    char digits[16];
    int n = 0;
    unsigned v = value < 0 ? 0u : static_cast<unsigned>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0 && n < 15);
    for (int i = n; i < width; ++i) {
        out += '0';
    }
    while (n > 0) {
        out += digits[--n];
    }
}

// The codes every stored date uses, without strftime; false for any other code.
bool FormatCommon(const std::tm& tm, const std::string& format, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (++i >= format.size()) {
            return false;
        }
        switch (format[i]) {
        case 'Y':
            AppendNumber(out, tm.tm_year + 1900, 4);
            break;
        case 'm':
            AppendNumber(out, tm.tm_mon + 1, 2);
            break;
        case 'd':
            AppendNumber(out, tm.tm_mday, 2);
            break;
        case 'H':
            AppendNumber(out, tm.tm_hour, 2);
            break;
        case 'M':
            AppendNumber(out, tm.tm_min, 2);
            break;
        case 'S':
            AppendNumber(out, tm.tm_sec, 2);
            break;
        case '%':
            out += '%';
            break;
        default:
            return false;
        }
    }
    return true;
}

std::string FormatTm(const std::tm& tm, const std::string& format)
{
    if (format.empty()) {
        return {};
    }
    if (std::string common; tm.tm_year + 1900 >= 0 && FormatCommon(tm, format, common)) {
        return common;
    }
    // A trailing marker tells an empty expansion from a buffer that was too small.
    const std::string marked = format + "\x01";
    std::vector<char> buffer(format.size() * 4 + 64);
    for (int attempt = 0; attempt < 8; ++attempt) {
        size_t n = FormatTime(buffer.data(), buffer.size(), marked.c_str(), tm);
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
    // Weekday and day of year for %a, %j and friends, worked out without any time zone.
    static constexpr int kMonthStart[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const int y = date.year;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    const int m = date.month >= 1 && date.month <= 12 ? date.month : 1;
    tm.tm_yday = kMonthStart[m - 1] + date.day - 1 + (leap && m > 2 ? 1 : 0);
    static constexpr int kSakamoto[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    const int yy = m < 3 ? y - 1 : y;
    tm.tm_wday = ((yy + yy / 4 - yy / 100 + yy / 400 + kSakamoto[m - 1] + date.day) % 7 + 7) % 7;
    return FormatTm(tm, format);
}

std::string FormatLocalTime(std::time_t moment, const std::string& format)
{
    return FormatTm(LocalTimeOf(moment).value_or(std::tm{}), format);
}
