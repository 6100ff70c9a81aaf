#pragma once
// Trying an item as typed, without saving it (the dialog's 测试, wendar-cli check --dry-run): its
// monitor runs as in a check, with markers, exclusion ranges, CheckNumber and the duplicate test
// against what the item has stored, but on a scratch copy of the item's own records, so
// message.dat is never written. Runs on the calling thread (the window runs it off its UI thread)
// and ends early once cancel is set.
#include "app/CItemOperations.h"
#include "monitors/StandardMonitors.h"

#include <atomic>
#include <map>
#include <string>
#include <vector>

inline constexpr int kDryRunSubjects = 5;

struct DryRunResult
{
    bool ok = false;                   // the check ran to its end
    bool cancelled = false;            // cancel was set before it ended
    int newFindings = 0;               // what a check would store now
    std::vector<std::string> subjects; // the first kDryRunSubjects of them
    std::string error;                 // the failure in words, when not ok
};

// mainConnectionString: message.dat's (CTarvoApp::m_strMainConnection). The front ends call it as
// CTarvoApp::DryRun.
// pinnedCertificate: the certificate the item would trust besides the system's (ItemOptions).
DryRunResult RunDryCheck(const std::string& mainConnectionString, const StoredItem& typed,
                         const std::atomic<bool>& cancel, const std::string& pinnedCertificate = {},
                         const std::map<int, MonitorFunction>& monitors = StandardMonitors());
