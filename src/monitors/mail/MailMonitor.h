#pragma once
// The POP3 mail (category 4) monitor.
struct CheckContext;
class MessageTypeInfo;

// 1 when at least one new message record was stored, 0 otherwise (also after any failure).
int CheckMailItem(CheckContext& context, MessageTypeInfo& item);
