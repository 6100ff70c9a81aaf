#pragma once
// The items' health and check logs as wendar-cli prints them: plain table fields and JSON keys.
#include "app/CHealthOperations.h"

#include <iosfwd>
#include <string>
#include <vector>

class JsonWriter;

// 正常, 失败, 恢复, 沉寂.
std::string HealthWord(HealthState state);
// Into an open object: health, consecutiveFailures, lastCheck, lastSuccess, lastError (times in
// local time, "" for never).
void WriteHealthJson(JsonWriter& json, const ItemHealth& health);
// Into an open object: "log": [{start, durationMs, trigger, result, newFindings, text}], newest first.
void WriteLogJson(JsonWriter& json, const std::vector<CheckLogEntry>& log);
// One line per entry, newest first, under a header line.
void PrintLog(std::ostream& out, const std::vector<CheckLogEntry>& log);
