#include "util/LocalTime.h"

#include <mutex>

namespace {

// Taken for every conversion; the time zone is read once, on first use.
std::mutex& TimeLock()
{
    static std::mutex lock;
    static std::once_flag zoneRead;
    std::call_once(zoneRead, [] { tzset(); });
    return lock;
}

} // namespace

std::optional<std::tm> LocalTimeOf(std::time_t moment)
{
    std::lock_guard guard(TimeLock());
    std::tm local{};
    if (localtime_r(&moment, &local) == nullptr) {
        return std::nullopt;
    }
    return local;
}

std::tm LocalTimeNow()
{
    return LocalTimeOf(std::time(nullptr)).value_or(std::tm{});
}

std::time_t MomentOfLocalTime(std::tm& tm)
{
    std::lock_guard guard(TimeLock());
    return std::mktime(&tm);
}

std::size_t FormatTime(char* buffer, std::size_t size, const char* format, const std::tm& tm)
{
    std::lock_guard guard(TimeLock());
    return std::strftime(buffer, size, format, &tm);
}
