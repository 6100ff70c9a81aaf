#include "monitors/web/ExclusionCut.h"

#include "store/ExcludeTable.h"
#include "store/MessageTypeInfo.h"

#include <cstddef>

void CutExcludedRange(std::string& text, const std::string& startMarker, const std::string& endMarker)
{
    if (startMarker.empty()) {
        return;
    }
    std::size_t start = text.find(startMarker);
    if (start == std::string::npos) {
        return;
    }
    if (endMarker.empty()) {
        text.resize(start + startMarker.size());
        return;
    }
    // One pass that copies the kept parts: every search runs on text no earlier cut has touched.
    std::string kept;
    std::size_t copied = 0;
    while (start != std::string::npos) {
        const std::size_t cutFrom = start + startMarker.size();
        const std::size_t end = text.find(endMarker, cutFrom);
        if (end == std::string::npos) {
            break; // no later start marker can have an end marker either
        }
        kept.append(text, copied, cutFrom - copied);
        copied = end;
        start = text.find(startMarker, end + endMarker.size());
    }
    if (copied == 0) {
        return;
    }
    kept.append(text, copied, std::string::npos);
    text = std::move(kept);
}

bool ApplyExclusions(CAdoConnection& connection, std::string& text, const MessageTypeInfo& item)
{
    const auto ranges = LoadExcludeRanges(connection, item.messagetypeid);
    if (!ranges) {
        return false;
    }
    for (const ExcludeRange& range : *ranges) {
        CutExcludedRange(text, range.excludeFrom, range.excludeTo);
    }
    return true;
}
