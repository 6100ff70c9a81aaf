#pragma once
// The database (categories 1 and 66) monitor.
struct CheckContext;
class MessageTypeInfo;

// 1 when at least one new message record was stored, 0 otherwise (also after any failure).
int CheckDatabase(CheckContext& context, MessageTypeInfo& item);
