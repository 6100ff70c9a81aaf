#pragma once
// Read-state changes of stored message records.
class CAdoConnection;
class MessageTypeInfo;

// Marks every record of the item (all items when null) read or unread.
bool SetAllRead(CAdoConnection& connection, const MessageTypeInfo* item, bool read);
// Marks one record read (status 1) or unread (status 0).
bool SetMessageStatus(CAdoConnection& connection, int id, int status);
