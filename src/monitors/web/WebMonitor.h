#pragma once
// The web page monitor (category 2): downloads the item's page, cuts its exclusion ranges, and
// compares the region between IncludeFrom and IncludeTo with the newest stored copy.
// Errors: the result is 0 after any failure, whose reason is left in the status text.
#include "monitors/web/CHttpRequest.h"

#include <chrono>
#include <string>
#include <vector>

class CAdoConnection;
struct CheckContext;
class MessageTypeInfo;

struct WebCheckOptions
{
    HttpLimits http;
    // Frames of frames are followed this deep; a frameset that leads back to itself ends here.
    int maxFrameDepth = 4;
    // And at most this many frames in all per check: a frameset that lists itself many times
    // would otherwise cost (frames per page) to the power of the depth downloads.
    int maxFrames = 32;
    // A whole check, frames included, ends after this long, however slowly the server trickles.
    std::chrono::milliseconds checkTimeLimit = std::chrono::minutes(3);
};

// 1 when a message record was stored; for a check that followed frames, 1 when a frame at any
// depth stored one.
int CheckWebPage(CheckContext& context, MessageTypeInfo& item, bool topLevel);
int CheckWebPage(CheckContext& context, MessageTypeInfo& item, bool topLevel, const WebCheckOptions& options);

// The SourceInfo texts of web records that hold no comparison copy (a start or end marker gone).
std::vector<std::string> WebReportsWithoutCopy();
// The compared region of a stored copy: the item's exclusion ranges cut out, then the text after
// IncludeFrom (when found) and before IncludeTo (none: empty), as a check compares it.
bool WebComparedRegion(CAdoConnection& connection, const MessageTypeInfo& item, std::string& copy);
