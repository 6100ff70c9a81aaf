#pragma once
// The keys that sort the message list by a text column (userdata_sortkeys, see res/schema.sql):
// made by the application, in its text order (ListTextOrder.h), for the records that wait for
// them, a step at a time in one transaction each.
//
// Errors: false with the database's own words in error; nothing is shown.
#include <string>

class CAdoConnection;

struct SortKeysState
{
    std::string order;     // the order the stored keys were made in; empty before the first
    long long waiting = 0; // records without their keys
    // The list may sort by the stored keys.
    bool Ready() const;
    // Making the waiting keys keeps the stored ones (no record waits for keys made again).
    bool Continues() const;
};

bool ReadSortKeysState(CAdoConnection& connection, SortKeysState& state, std::string& error);

// Makes the keys of about stepRows waiting records; when the stored keys were made in another
// order, first marks every record as waiting. A step that is cut off leaves everything as it was.
bool MakeNextSortKeys(CAdoConnection& connection, long long stepRows, SortKeysState& state, std::string& error);

// Whether the list may sort by the stored keys now (never an error: the list then sorts without).
bool SortKeysReady(CAdoConnection& connection);
