#pragma once
// Records as JSON objects keyed by their table's column names, and as plain text lines.
#include <functional>
#include <string>

class JsonWriter;
class MessageInfo;
class MessageListInfo;
class MessageTypeInfo;
struct ExcludeRange;

// showPassword: the password and an address's password part as stored, else masked (cli/Masking.h).
// more: keys of the caller's added before the object is closed.
void WriteItemJson(JsonWriter& json, const MessageTypeInfo& item, bool showPassword,
                   const std::function<void(JsonWriter&)>& more = nullptr);
void WriteMessageJson(JsonWriter& json, const MessageInfo& message, bool showPassword);
void WriteListRowJson(JsonWriter& json, const MessageListInfo& row);
void WriteExcludeJson(JsonWriter& json, const ExcludeRange& range);
// Tabs and line breaks in a field would break the plain table; they are shown as blanks, other
// control characters in a visible form (TerminalSafe).
std::string PlainField(const std::string& text);
