#pragma once
// Records as JSON objects keyed by their table's column names, and as plain text lines.
#include <string>

class JsonWriter;
class MessageInfo;
class MessageListInfo;
class MessageTypeInfo;
struct ExcludeRange;

void WriteItemJson(JsonWriter& json, const MessageTypeInfo& item);
void WriteMessageJson(JsonWriter& json, const MessageInfo& message);
void WriteListRowJson(JsonWriter& json, const MessageListInfo& row);
void WriteExcludeJson(JsonWriter& json, const ExcludeRange& range);
// Tabs and line breaks in a field would break the plain table; they are shown as blanks, other
// control characters in a visible form (TerminalSafe).
std::string PlainField(const std::string& text);
