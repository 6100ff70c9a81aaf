#pragma once
// The FTP (category 3) monitor.
struct CheckContext;
class MessageTypeInfo;

// 1 when at least one new message record was stored, 0 otherwise (also after any failure).
int CheckFtpItem(CheckContext& context, MessageTypeInfo& item);
