#pragma once
// Local time for every thread. localtime_r, mktime and strftime all read the C library's one
// time-zone state (tzset), under a lock that race checkers cannot see; every conversion in the
// program goes through here, under one lock of ours, so the check threads and the window share
// that state soundly.
#include <cstddef>
#include <ctime>
#include <optional>

// The local calendar time of a moment; nullopt where the C library cannot represent it.
std::optional<std::tm> LocalTimeOf(std::time_t moment);
// The local calendar time now.
std::tm LocalTimeNow();
// mktime: the moment of a local calendar time, normalising tm; -1 when it has none.
std::time_t MomentOfLocalTime(std::tm& tm);
// strftime: the length written, 0 when the buffer is too small or the text empty.
std::size_t FormatTime(char* buffer, std::size_t size, const char* format, const std::tm& tm);
