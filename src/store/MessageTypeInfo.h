#pragma once
// A check item: one usermessagetype row plus what a running program keeps about it. Records hold
// data only: a view keys its nodes on messagetypeid and fetches the current record after an edit.
#include "store/SharedFlag.h"
#include "store/SharedInt.h"
#include "store/UserIdentity.h"

#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

class CAdoConnection;
class CAdoRecordset;

// Check categories (MessageCategory).
enum MessageCategoryValue : int
{
    kCategoryDatabase = 1,
    kCategoryWebPage = 2,
    kCategoryFtp = 3,
    kCategoryMail = 4,
    kCategoryOther = 5,
    kCategoryOtherStored = 9,
    kCategoryBroadcast = 66,
};

class MessageTypeInfo
{
public:
    MessageTypeInfo() = default;
    MessageTypeInfo(const MessageTypeInfo&) = default;
    MessageTypeInfo(MessageTypeInfo&&) noexcept = default; // loading thousands of items moves, not copies
    MessageTypeInfo& operator=(const MessageTypeInfo&) = default;
    MessageTypeInfo& operator=(MessageTypeInfo&&) noexcept = default;
    virtual ~MessageTypeInfo() = default;

    bool LoadFromRecordset(CAdoRecordset& rs);
    // 0 when the statement failed (already reported by the connection).
    int Save(CAdoConnection& connection, int forceInsert = 0);
    int Delete(CAdoConnection& connection);
    int CountUnread(CAdoConnection& connection);

    // Run-time fields. The counters are written by the check worker and read by the UI thread.
    SharedInt m_nUnreadCount = 0;
    SharedFlag m_bBusy; // a check of this item is running
    int MustHaveID = 0;
    SharedInt m_nNewCount = 0; // new-finding counter
    int m_nLoadedId = 0;

    // Columns of usermessagetype.
    int messagetypeid = 0;
    int MessageCategory = kCategoryDatabase;
    int state = 1;
    int CheckInterval = 1200;
    int CheckNumber = 20;
    std::string MessageTypeName;
    std::string MessageTypeUser;
    std::string connAddress;
    std::string UserName;
    std::string Password;
    std::string ViewName;
    int OwnerUserID = kUserId;
    std::string About;
    int bCanChangeState = 1;
    int bNotify = 0;
    int DisplayType = 0;
    std::string IncludeFrom;
    std::string IncludeTo;
    std::string notifysound = "sound/Cuckoo01.wav";
};

// The stored columns of two items are the same (the run-time fields are not compared).
bool SameColumns(const MessageTypeInfo& a, const MessageTypeInfo& b);
// Copies the stored columns, leaving the run-time fields of `to` as they are.
void CopyColumns(MessageTypeInfo& to, const MessageTypeInfo& from);

// The query that loads every check item, in the order the tree and the document keep them.
// Every stored item in key order (the tree's order); nullopt when the table cannot be read. Shows
// nothing: the caller decides what a failure means.
std::optional<std::vector<MessageTypeInfo>> LoadAllItems(CAdoConnection& connection);
// The same items handed over one at a time (onItem may move from it); false when the table cannot
// be read.
bool ForEachStoredItem(CAdoConnection& connection, const std::function<void(MessageTypeInfo&)>& onItem);
struct ItemKeyAndName
{
    int messagetypeid = 0;
    std::string name;
};
// The key and name of every stored item, in the same order: what the health of all items needs.
std::optional<std::vector<ItemKeyAndName>> LoadAllItemNames(CAdoConnection& connection);

// The stored row of one item; nullopt when there is none or it cannot be read.
std::optional<MessageTypeInfo> LoadItem(CAdoConnection& connection, int messagetypeid);
// The columns Save's update leaves alone or that change on their own.
bool SaveMustHaveId(CAdoConnection& connection, int messagetypeid, int mustHaveId);
bool SaveItemState(CAdoConnection& connection, int messagetypeid, int state);
// The stored state of an item (0 = off), kItemGoneState when it is gone; nullopt when it cannot be read.
inline constexpr int kItemGoneState = std::numeric_limits<int>::min();
std::optional<int> ReadItemState(CAdoConnection& connection, int messagetypeid);
// The item's name as its stored message records carry it (the list shows it).
bool RenameItemMessages(CAdoConnection& connection, int messagetypeid, const std::string& name);
