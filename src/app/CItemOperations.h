#pragma once
// The check items and the presets as both front ends use them: an item with its exclusion ranges
// loaded, saved (insert or update, one transaction: all or nothing), deleted with its messages and
// ranges, options and check log, switched on or off; the ready-made items of messagetype.dat.
//
// Errors: an operation returns false or nullopt and gives the database's own words in error; it
// never shows a message itself, the front end decides what the user sees. The connection is the one
// the calling thread uses; the presets are read on a connection of their own at every call.
#include "store/ExcludeTable.h"
#include "store/MessageTypeInfo.h"
#include "store/PresetReader.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class CAdoConnection;

struct StoredItem
{
    MessageTypeInfo item;   // with its unread count
    ExcludeRanges excludes; // in stored order
};

class CItemOperations final
{
public:
    // presetConnectionString: the application's own, read at every use.
    CItemOperations(CAdoConnection& connection, const std::string& presetConnectionString);
    CItemOperations(const CItemOperations&) = delete;
    CItemOperations& operator=(const CItemOperations&) = delete;

    // Nullopt when the item is not stored (error empty) or cannot be read.
    std::optional<StoredItem> Load(int messagetypeid, std::string& error);
    std::optional<ExcludeRanges> LoadRanges(int messagetypeid, std::string& error);
    // An item with id 0 is inserted and then carries its new key; any other is updated, and its
    // stored messages take a changed name with it. MustHaveID is written either way; ranges, when
    // given, replace the item's. On failure the store and item.messagetypeid are as they were.
    bool Save(MessageTypeInfo& item, const std::optional<ExcludeRanges>& ranges, std::string& error);
    bool Delete(int messagetypeid, std::string& error);
    bool SetState(int messagetypeid, int state, std::string& error);
    // In the order the preset file returns them, each with its ranges.
    std::optional<std::vector<Preset>> Presets(std::string& error) const;

private:
    // Every write of an operation goes through here: its statements in one transaction, all or
    // nothing, with the connection kept quiet on this thread.
    bool Write(const std::function<bool()>& statements, std::string& error);

    CAdoConnection& m_connection;
    const std::string& m_strPresetConnection;
};
