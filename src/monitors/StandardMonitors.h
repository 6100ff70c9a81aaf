#pragma once
// The monitor of each check category. The application registers this table with its document.
#include <functional>
#include <map>

class MessageTypeInfo;
struct CheckContext;

// A monitor returns non-zero when it stored at least one new message record.
using MonitorFunction = std::function<int(CheckContext&, MessageTypeInfo&)>;

std::map<int, MonitorFunction> StandardMonitors();
