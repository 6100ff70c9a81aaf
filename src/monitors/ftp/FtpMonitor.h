#pragma once
// The FTP (category 3) monitor: lists the directory an item's address points to and stores one
// message record for every entry that is new or has a new modification time (to the minute).
struct CheckContext;
class MessageTypeInfo;
struct FtpClientOptions;

// 1 when at least one new message record was stored, 0 otherwise (also after any failure).
int CheckFtpItem(CheckContext& context, MessageTypeInfo& item);
// The same with the client's time-outs and limits given (tests shorten them).
int CheckFtpItemWithOptions(CheckContext& context, MessageTypeInfo& item, const FtpClientOptions& options);
