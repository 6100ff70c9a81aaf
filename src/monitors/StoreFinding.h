#pragma once
// The one way a monitor stores a finding.
#include <string>

class MessageTypeInfo;
class SourceRowInfo;
struct CheckContext;

inline constexpr const char* kLocalDatabaseFailed = "本地数据库读写失败";

// Inserts the finding through the main connection and counts it on the item's new-finding counter.
// The check thread keeps that connection quiet, so a failure is the monitor's to tell through the
// status text: false, with reason = kLocalDatabaseFailed, ": " and the database's own words.
bool StoreFinding(CheckContext& context, MessageTypeInfo& item, const SourceRowInfo& row, std::string& reason);
