#pragma once
// Dates as text, with strftime codes (the formats "%Y/%m/%d-%H:%M" and "%Y年%m月%d日-%H:%M").
#include "store/DbValue.h"

#include <ctime>
#include <string>

std::string FormatDate(const DbDateTime& date, const std::string& format);
// A moment in local time.
std::string FormatLocalTime(std::time_t moment, const std::string& format);
