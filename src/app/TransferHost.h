#pragma once
// The server an item's check talks to, as the per-host limit of a check-all run counts it: the host
// name of a web or FTP item's address in lower case (the port is not part of it: servers are
// counted, not services). Empty for the other kinds and for an address that cannot be read; those
// checks are not limited per host.
#include <string>

class MessageTypeInfo;

std::string TransferHost(const MessageTypeInfo& item);
