#include "monitors/web/ExclusionCut.h"

#include "store/ExcludeTable.h"
#include "store/MessageTypeInfo.h"

#include <algorithm>
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
    // One pass that moves the kept parts forward in place: every search runs on text no earlier
    // cut has touched, and a page of many megabytes is not copied.
    std::size_t written = 0; // the kept text so far is text[0, written)
    std::size_t copied = 0;  // text before this is kept or removed already
    while (start != std::string::npos) {
        const std::size_t cutFrom = start + startMarker.size();
        const std::size_t end = text.find(endMarker, cutFrom);
        if (end == std::string::npos) {
            break; // no later start marker can have an end marker either
        }
        if (written != copied) {
            // Forward copy to a lower position: safe within one buffer.
            std::copy(text.begin() + static_cast<std::ptrdiff_t>(copied),
                      text.begin() + static_cast<std::ptrdiff_t>(cutFrom),
                      text.begin() + static_cast<std::ptrdiff_t>(written));
        }
        written += cutFrom - copied;
        copied = end;
        start = text.find(startMarker, end + endMarker.size());
    }
    if (copied == 0) {
        return;
    }
    text.erase(written, copied - written);
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
