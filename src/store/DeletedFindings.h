#pragma once
// Deleted findings stay deleted, and the last deletion can be undone. Deleting records keeps their
// identities in userdata_deleted (what the item's duplicate test compares: the key and its date, and
// for a web page the copy the next check compares with), so a check does not find them new again;
// and keeps the records whole in userdata_undo until the next deletion, so that they can come back
// with their keys, read state and content, also after a restart.
//
// Errors: false, with the database's own words in error.
#include <string>
#include <vector>

class CAdoConnection;

// How many deleted findings each item remembers, the newest first. A check reads at most this many
// findings that could be deleted ones: a database view its newest "检查最新消息条数" rows (at most
// 10000), a mailbox the mails still on the server, an FTP item one directory's entries; a finding
// deleted before the newest 10000 deletions of its item is long gone from any of them. A web item
// needs only its newest copy of the page (and of each frame), so it keeps one per page and kind.
constexpr int kRememberedPerItem = 10000;

// Deletes the records with these keys in one transaction: their identities join the remembered ones
// and the records become the last deletion (replacing the one before). Keys without a record are
// passed over.
bool DeleteRemembering(CAdoConnection& connection, const std::vector<int>& ids, std::string& error);

// Puts the records of the last deletion back, as they were, for the items that still exist, and
// forgets their identities; restored gets their keys (none: nothing to undo).
bool RestoreLastDeletion(CAdoConnection& connection, std::vector<int>& restored, std::string& error);

// How many records the last deletion holds.
bool CountLastDeletion(CAdoConnection& connection, int& count, std::string& error);

// Inside the caller's transaction: the item's remembered findings and its part of the last deletion
// go with the item.
bool ForgetItemDeletions(CAdoConnection& connection, int itemId, std::string& error);
