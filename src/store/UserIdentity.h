#pragma once
// The fixed identity written into every message record and used as the owner of new items.
inline constexpr const char* kUserName = "morvaten";
inline constexpr int kUserId = 88;
// Dates of findings as the monitors write them and as the detail pane shows them.
inline constexpr const char* kFindingDateFormat = "%Y年%m月%d日-%H:%M";
