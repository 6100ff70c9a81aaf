#pragma once
// The one way a monitor stores a finding, and the words for a failure of the local database.
#include "util/UiText.h"

#include <string>

class CFindingStore;
class MessageTypeInfo;
class SourceRowInfo;
struct CheckContext;

inline constexpr const char* kLocalDatabaseFailed = WENDAR_TR_NOOP("StoreFinding", "本地数据库读写失败");

// Inserts the finding through the check thread's connection and counts it on the item's new-finding counter.
// The check thread keeps that connection quiet, so a failure is the monitor's to tell through the
// status text: false, with reason = kLocalDatabaseFailed, ": " and the database's own words.
bool StoreFinding(CheckContext& context, MessageTypeInfo& item, const SourceRowInfo& row, std::string& reason);

// kLocalDatabaseFailed with the database's own words for the last failure the check thread's quiet
// connection kept from being shown (a read of the stored copy or the exclusion ranges).
std::string LocalDatabaseFailure(CheckContext& context);

// kLocalDatabaseFailed with the database's own words for the finding store's last failure.
std::string FindingStoreFailure(const CFindingStore& store);
